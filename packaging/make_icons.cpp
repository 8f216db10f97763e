// Writes the desktop icon files from the program's own drawing of its icon:
//   make_icons OUT.svg SIZE OUT.png [SIZE OUT.png ...]
#include "shell/AppIcon.h"

#include <QFile>
#include <QGuiApplication>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 4 || argc % 2 != 0) {
        qCritical("usage: make_icons OUT.svg SIZE OUT.png [SIZE OUT.png ...]");
        return 2;
    }
    QFile svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(AppIcon::Svg()) < 0)
        return 1;
    svg.close();
    for (int i = 2; i + 1 < argc; i += 2) {
        bool isNumber = false;
        const int size = QByteArray(argv[i]).toInt(&isNumber);
        if (!isNumber || size < 16 || size > 1024
            || !AppIcon::Picture(size).save(QString::fromLocal8Bit(argv[i + 1]), "PNG"))
            return 1;
    }
    return 0;
}
