#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon, drawn by the program: three interlaced cycle curves on a dark tile.
namespace AppIcon {

QPixmap Picture(int size = 32);
const QIcon &Icon();

} // namespace AppIcon
