// Draws the start-up panels' backdrop ahead with the program's own drawing, at the pixel ratio
// of its screen (1 or 2, set by QT_SCALE_FACTOR), and writes it out as a C++ source file the
// program is built with:
//   QT_SCALE_FACTOR=2 make_backdrop OUT.cpp
// The window then unpacks the picture instead of drawing it, where the fonts and the dots per
// inch are what they were here.
#include "startup/BackdropArt.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>

namespace {

// Every byte as an octal escape: a fixed width, so no following character is taken into it.
QByteArray cString(const QByteArray &text)
{
    QByteArray out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')
            || (byte >= '0' && byte <= '9') || byte == ' ';
        out += plain ? QByteArray(1, c)
                     : QByteArray("\\") + QByteArray::number(byte, 8).rightJustified(3, '0');
    }
    return out + '"';
}

QByteArray numberList(const QList<quint32> &numbers)
{
    QByteArray out;
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        out += (i % 8 == 0) ? "\n    " : " ";
        out += "0x" + QByteArray::number(numbers.at(i), 16) + ',';
    }
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const int ratio = qRound(app.devicePixelRatio());
    if (argc != 2 || ratio != app.devicePixelRatio() || (ratio != 1 && ratio != 2)) {
        qCritical("usage: QT_SCALE_FACTOR=1|2 make_backdrop OUT.cpp");
        return 2;
    }
    using namespace PanelBackdrop;
    // The format opaque pixmaps have on screens of 24 and 32 bits.
    constexpr QImage::Format format = QImage::Format_RGB32;
    const Setting setting = CurrentSetting(format);
    const QList<quint32> runs = Runs(DrawWhole({ qreal(ratio), format }));
    if (runs.isEmpty())
        return 1;

    const QByteArray source = "// Written by make_backdrop as the program was built.\n"
                              "#include \"startup/BackdropArt.h\"\n\n"
                              "namespace PanelBackdrop {\n\nnamespace {\n\nconst quint32 runs[] = {"
        + numberList(runs) + "\n};\n\n} // namespace\n\n"
        + "const StoredPicture DrawnAtRatio" + QByteArray::number(ratio) + " { "
        + QByteArray::number(ratio) + ", QImage::Format_RGB32, "
        + QByteArray::number(setting.dotsPerInch) + ", "
        + (setting.scaledScreens ? "true" : "false") + ", " + cString(setting.fontFamily.toUtf8())
        + ", runs };\n\n} // namespace PanelBackdrop\n";

    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(source) != source.size())
        return 1;
    return out.flush() ? 0 : 1;
}
