#pragma once

#include <span>

class QLabel;
class QRadioButton;

namespace calmora {

// The windows' geometry was measured for a narrower font than desktops use.
// These make a caption that would be cut off fit, changing as little as they can.

// A label too short for its caption wraps it onto further lines, centred
// where the one line was.
void wrapIfCut(QLabel *label);

// Radio buttons stacked in one frame (their parent) that are too short for
// their captions widen to the frame's edge, move towards its left edge, and
// the frame widens up to the x-coordinate limit, in that order.
void fitOptions(std::span<QRadioButton *const> options, int limit);

} // namespace calmora
