// Writes the desktop icon files from the program's own drawing of its icon:
//   make_icons OUT.svg OUT.png
#include "shell/AppIcon.h"

#include <QFile>
#include <QGuiApplication>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        qCritical("usage: make_icons OUT.svg OUT.png");
        return 2;
    }
    QFile svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(AppIcon::Svg()) < 0)
        return 1;
    svg.close();
    return AppIcon::Picture(32).save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
