#pragma once

class QWidget;

namespace calmora {

// Places a window in the middle of its screen's available area, by its outer size.
void centreOnScreen(QWidget *window);

} // namespace calmora
