#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

// The program's icon, drawn by the program: three interlaced cycle curves on a dark tile.
namespace AppIcon {

QPixmap Picture(int size = 32);

// The emblem's three cycles (red, green, blue, each a chain of parabolic half-waves of its own
// period) across an area, with the mid line through it.
void PaintCycles(QPainter &p, const QRectF &area, qreal penWidth);
const QIcon &Icon();

} // namespace AppIcon
