#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include <span>

// The drawing of the start-up panels' backdrop, kept apart from the window so that the build
// can draw it ahead with the very code the program runs (make_backdrop).
namespace PanelBackdrop {

// What a picture is drawn for.
struct Target
{
    qreal devicePixelRatio;
    QImage::Format format;
};

// The banner's strip and its emblem, on the plain body.
QImage DrawShapes(const Target &target);
// The logo, the tag line and the address, over the shapes.
void DrawLettering(QImage &picture);
// The two in one go.
QImage DrawWhole(const Target &target);

// What a finished picture is told apart by, beyond its size: the logical dots per inch its
// fonts are scaled by, whether any screen is scaled (the toolkit then draws text without
// hinting), and the family the look's font comes out as here.
struct Setting
{
    int dotsPerInch;
    bool scaledScreens;
    QString fontFamily;
    bool operator==(const Setting &) const = default;
};
Setting CurrentSetting(QImage::Format format);

// A picture of 32-bit pixels kept as runs of equal pixels, row by row, no run going past the end
// of its row: pixel, count, pixel, count, ... The panels' picture is mostly plain, so this
// keeps it small, and it unpacks as fast as it can be filled in.
QList<quint32> Runs(const QImage &picture);

// The pictures the build drew, each in a source file make_backdrop writes.
struct StoredPicture
{
    int devicePixelRatio;
    QImage::Format format;
    int dotsPerInch;
    bool scaledScreens;
    const char *fontFamily;
    std::span<const quint32> runs;
};
// The picture, or null if its runs do not fill it exactly.
QImage Unpack(const StoredPicture &stored);
extern const StoredPicture DrawnAtRatio1;
extern const StoredPicture DrawnAtRatio2;

} // namespace PanelBackdrop
