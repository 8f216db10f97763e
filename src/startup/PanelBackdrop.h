#pragma once

#include <QPixmap>
#include <QRect>

// The picture all four panels of the start-up window show behind their controls: a banner
// with the product logo and an emblem, a plain dark body, and the site address at the lower
// right, where the web-link hotspot lies over it.
namespace PanelBackdrop {

inline constexpr int Width = 685;
inline constexpr int Height = 365;
inline constexpr int BannerHeight = 68;

// The hotspot's rectangle in panel pixels; the address is printed inside it.
QRect AddressArea();

const QPixmap &Picture();

} // namespace PanelBackdrop
