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

// The build draws the picture ahead for the common pixel ratios, and the window unpacks it
// when it first paints. For any other ratio, or where the fonts come out differently from the
// build's, drawing it takes about as long as building the start-up window's controls, so the
// window starts it on a thread of its own before it builds them. The shapes are drawn at once;
// the lettering waits for StartLettering(), since the font database serves one thread at a
// time and the window's own labels need it first. Call these on the GUI thread, once the
// fonts the look uses are in place.
void StartDrawing();
void StartLettering();
// Lets a drawing under way finish and waits for it. Also run as the application ends, since
// the drawing uses its fonts.
void FinishDrawing();
// The picture, unpacked or drawn here and now if neither was started.
const QPixmap &Picture();
// The picture drawn here and now in one go, whatever was drawn before.
QImage Draw();
// The picture the build drew, if it drew one for this screen and these fonts; else null.
QImage DrawnByTheBuild();

} // namespace PanelBackdrop
