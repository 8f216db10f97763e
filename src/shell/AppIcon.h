#pragma once

#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QPolygonF>

class QPainter;
class QRectF;

// The program's icon, drawn by the program: three cycle curves on a dark tile. The same
// drawing serves the windows, the emblem on the start-up panels and the desktop's icon files.
namespace AppIcon {

// The icon at a size in device-independent pixels, drawn for a pixel density.
QPixmap Picture(int size = 32, qreal devicePixelRatio = 1);
// The window icon. Its pictures are drawn when first asked for, or ahead by StartDrawing(),
// which a window calls on the GUI thread before it builds its controls.
const QIcon &Icon();
void StartDrawing();
// The icon as an SVG document, for the desktop's icon theme.
QByteArray Svg();

struct Curve
{
    QColor color;
    QPolygonF points;
};
// The emblem's three cycles (red, green, blue, each a chain of parabolic half-waves of its own
// period) across an area.
QList<Curve> Cycles(const QRectF &area);
// The cycles with the mid line through them.
void PaintCycles(QPainter &p, const QRectF &area, qreal penWidth);

} // namespace AppIcon
