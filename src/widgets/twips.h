#pragma once

#include <QRect>
#include <QSize>

#include <cmath>

namespace calmora {

// Window geometry is specified in twips; 15 twips make one device-independent pixel.
constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(int twips)
{
    return int(std::lround(double(twips) / kTwipsPerPixel));
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

inline QSize twipsSize(int width, int height)
{
    return QSize(twipsToPixels(width), twipsToPixels(height));
}

} // namespace calmora
