#include "ButtonImages.h"

#include "ImageList.h"
#include "Look.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ButtonImages {

namespace {

constexpr int PictureHeight = 35;

enum class Glyph { None, Left, Right };

struct Face
{
    const char *key; // the key of the normal picture
    const char *caption; // what the face reads
    int width; // pixels
    Glyph glyph = Glyph::None;
};

QSize faceSize(const Face &face)
{
    return QSize(face.width, PictureHeight);
}

// The largest bold size up to 8 pt at which the caption fits the width. Every size tried
// loads a font of its own, so the answer is kept for the caption's other faces.
QFont captionFont(const QString &caption, qreal width)
{
    static QHash<QPair<QString, qreal>, qreal> fitted;
    QFont font = Look::Verdana(8, true);
    const auto known = fitted.constFind({ caption, width });
    if (known != fitted.constEnd()) {
        font.setPointSizeF(*known);
        return font;
    }
    qreal size = 8;
    for (; size >= 5; size -= 0.25) {
        font.setPointSizeF(size);
        if (QFontMetricsF(font).horizontalAdvance(caption) <= width)
            break;
    }
    fitted.insert({ caption, width }, font.pointSizeF());
    return font;
}

QPixmap drawFace(const Face &face, bool hover)
{
    // Drawn at the screen's pixel density, so the faces stay sharp on a high-DPI screen;
    // their size in the layout is the stated width x 35 whatever the density.
    const qreal dpr = qMax(qreal(1), qApp ? qApp->devicePixelRatio() : qreal(1));
    QPixmap picture(faceSize(face) * dpr);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Look::Background);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    // A dark raised plate; the hover picture lights it up and rings it in amber.
    const QRectF plate = QRectF(0, 0, face.width, PictureHeight).adjusted(1.5, 3.5, -1.5, -3.5);
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    if (hover) {
        fill.setColorAt(0, QColor(120, 104, 52));
        fill.setColorAt(1, QColor(70, 58, 22));
    } else {
        fill.setColorAt(0, QColor(78, 76, 76));
        fill.setColorAt(1, QColor(24, 23, 23));
    }
    p.setBrush(fill);
    p.setPen(QPen(hover ? Look::Amber : QColor(110, 108, 108), 1));
    p.drawRoundedRect(plate, 5, 5);

    p.setPen(Look::White);
    p.setBrush(Look::White);
    if (face.glyph != Glyph::None) {
        const QPointF c = plate.center();
        const qreal s = 7;
        QPainterPath arrow;
        if (face.glyph == Glyph::Left) {
            arrow.moveTo(c.x() - s, c.y());
            arrow.lineTo(c.x() + s * 0.8, c.y() - s);
            arrow.lineTo(c.x() + s * 0.8, c.y() + s);
        } else {
            arrow.moveTo(c.x() + s, c.y());
            arrow.lineTo(c.x() - s * 0.8, c.y() - s);
            arrow.lineTo(c.x() - s * 0.8, c.y() + s);
        }
        arrow.closeSubpath();
        p.drawPath(arrow);
        return picture;
    }

    const QString caption = QString::fromUtf8(face.caption);
    p.setFont(captionFont(caption, plate.width() - 6));
    p.drawText(plate, Qt::AlignCenter, caption);
    return picture;
}

// A list of faces, each added as its normal picture and then its hover picture.
ImageList buildList(QSize nominal, std::initializer_list<Face> faces, const char *hoverSuffix)
{
    ImageList list(nominal);
    for (const Face &face : faces) {
        const QString key = QString::fromUtf8(face.key);
        list.Add(key, faceSize(face), [face] { return drawFace(face, false); });
        list.Add(key + QString::fromUtf8(hoverSuffix), faceSize(face),
                 [face] { return drawFace(face, true); });
    }
    return list;
}

} // namespace

const ImageList &StartupImg2()
{
    static const ImageList list = buildList({ 115, 35 },
                                            {
                                                { "back_to_main", "Back To Main", 115 },
                                                { "back", "Back", 68 },
                                                { "show_chart", "Show Chart", 111 },
                                                { "next", "Next", 68 },
                                                { "view_result", "View Result", 121 },
                                                { "save_information", "Save Information", 158 },
                                                { "recall_information", "Recall Information", 158 },
                                            },
                                            "_hyper");
    return list;
}

const ImageList &StartupImg()
{
    // Only positions 27 to 32, 39 and 40 are used by buttons; the others keep the full set
    // of faces in this list's own naming.
    static const ImageList list = buildList({ 103, 35 },
                                            {
                                                { "physical", "Physical", 71 },
                                                { "emotional", "Emotional", 79 },
                                                { "intellectual", "Intellectual", 79 },
                                                { "show-all", "Show All", 71 },
                                                { "left", "Previous Day", 54, Glyph::Left },
                                                { "right", "Next Day", 54, Glyph::Right },
                                                { "today", "Today", 54 },
                                                { "back-to-main", "Back To Main", 115 },
                                                { "next", "Next", 68 },
                                                { "view-result", "View Result", 121 },
                                                { "show-chart", "Show Chart", 111 },
                                                { "save-information", "Save Information", 158 },
                                                { "recall-information", "Recall Information", 158 },
                                                { "back", "Back", 71 },
                                                { "deselect-all", "Deselect All", 71 },
                                                { "select-all", "Select All", 71 },
                                                { "ok", "OK", 54 },
                                                { "exit", "Exit", 71 },
                                                { "help", "Help", 71 },
                                                { "remove", "Remove", 71 },
                                            },
                                            "-hyper");
    return list;
}

const ImageList &ChartImg()
{
    static const ImageList list = [] {
        ImageList l = buildList({ 71, 35 },
                                {
                                    { "physical", "Physical", 71 },
                                    { "emotional", "Emotional", 79 },
                                    { "intellectual", "Intellectual", 79 },
                                    { "show_all", "Show All", 71 },
                                    { "left", "Previous Day", 54, Glyph::Left },
                                    { "right", "Next Day", 54, Glyph::Right },
                                    { "today", "Today", 54 },
                                },
                                "_hyper");
        // Positions 15 and 16: a Back To Main face in this list's other naming, unused since
        // the chart's Back button draws from the start-up list.
        const Face back { "back-to-main", "Back To Main", 115 };
        l.Add(QStringLiteral("back-to-main"), faceSize(back), [back] { return drawFace(back, false); });
        l.Add(QStringLiteral("back-to-main-hyper"), faceSize(back),
              [back] { return drawFace(back, true); });
        return l;
    }();
    return list;
}

const ImageList &AboutImg()
{
    static const ImageList list = buildList({ 54, 35 }, { { "ok", "OK", 54 } }, "-hyper");
    return list;
}

} // namespace ButtonImages
