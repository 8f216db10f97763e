#include "AppIcon.h"

#include "Look.h"
#include "PoolTask.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <future>
#include <utility>

namespace AppIcon {

namespace {

// The tile in a 32 x 32 design grid.
const QRectF Tile(1, 1, 30, 30);
constexpr qreal TileRadius = 5;
const QRectF CurveArea(4, 7, 24, 18);
constexpr qreal CurveWidth = 1.6;
const QColor MidLine(200, 200, 200);

QString svgColor(const QColor &c)
{
    return c.name(QColor::HexRgb);
}

} // namespace

QList<Curve> Cycles(const QRectF &area)
{
    // Periods in proportion to 23, 28 and 33 days, phases apart so the curves cross.
    const struct
    {
        QColor color;
        qreal period;
        qreal phase;
    } cycles[] = { { QColor(255, 64, 64), 0.6, 0 },
                   { QColor(64, 230, 64), 0.73, 0.2 },
                   { QColor(80, 140, 255), 0.86, 0.5 } };
    const qreal amplitude = area.height() / 2;
    const qreal mid = area.center().y();
    QList<Curve> curves;
    for (const auto &c : cycles) {
        Curve curve { c.color, {} };
        for (int step = 0; step <= 100; ++step) {
            const qreal t = step / 100.0;
            const qreal phase = std::fmod(t + c.phase, c.period) / c.period; // 0..1: peak, trough
            const qreal u = std::fmod(phase, 0.5) * 4 - 1; // -1..1 in a half-wave
            const qreal value = (1 - u * u) * (phase < 0.5 ? 1 : -1);
            curve.points.append(QPointF(area.left() + t * area.width(), mid - value * amplitude));
        }
        curves.append(curve);
    }
    return curves;
}

void PaintCycles(QPainter &p, const QRectF &area, qreal penWidth)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    for (const Curve &curve : Cycles(area)) {
        p.setPen(QPen(curve.color, penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(curve.points);
    }
    p.setPen(QPen(MidLine, penWidth / 2));
    const qreal mid = area.center().y();
    p.drawLine(QPointF(area.left(), mid), QPointF(area.right(), mid));
    p.restore();
}

namespace {

// Touches nothing shared, so it may run on any thread.
QImage drawPicture(int size, qreal devicePixelRatio)
{
    const qreal dpr = qMax(qreal(1), devicePixelRatio);
    QImage picture(QSize(qRound(size * dpr), qRound(size * dpr)),
                   QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);
    p.setPen(QPen(Look::Amber, 1.2));
    p.setBrush(Look::Background);
    p.drawRoundedRect(Tile, TileRadius, TileRadius);
    PaintCycles(p, CurveArea, CurveWidth);
    return picture;
}

} // namespace

QPixmap Picture(int size, qreal devicePixelRatio)
{
    return QPixmap::fromImage(drawPicture(size, devicePixelRatio));
}

QByteArray Svg()
{
    QString svg = QStringLiteral(
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                      "viewBox=\"0 0 32 32\">\n"
                      "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\" "
                      "stroke=\"%7\" stroke-width=\"1.2\"/>\n")
                      .arg(Tile.x())
                      .arg(Tile.y())
                      .arg(Tile.width())
                      .arg(Tile.height())
                      .arg(TileRadius)
                      .arg(svgColor(Look::Background), svgColor(Look::Amber));
    for (const Curve &curve : Cycles(CurveArea)) {
        QStringList points;
        for (const QPointF &pt : curve.points)
            points << QString::number(pt.x(), 'f', 2) + QLatin1Char(',')
                    + QString::number(pt.y(), 'f', 2);
        svg += QStringLiteral(
                   "  <polyline fill=\"none\" stroke=\"%1\" stroke-width=\"%2\" "
                   "stroke-linecap=\"round\" stroke-linejoin=\"round\" points=\"%3\"/>\n")
                   .arg(svgColor(curve.color))
                   .arg(CurveWidth)
                   .arg(points.join(QLatin1Char(' ')));
    }
    const qreal mid = CurveArea.center().y();
    svg += QStringLiteral("  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" stroke=\"%4\" "
                          "stroke-width=\"%5\"/>\n</svg>\n")
               .arg(CurveArea.left())
               .arg(mid)
               .arg(CurveArea.right())
               .arg(svgColor(MidLine))
               .arg(CurveWidth / 2);
    return svg.toUtf8();
}

namespace {

const QList<QSize> &iconSizes()
{
    static const QList<QSize> sizes { { 16, 16 }, { 32, 32 }, { 48, 48 }, { 64, 64 }, { 128, 128 } };
    return sizes;
}

QList<QImage> drawIconSizes()
{
    QList<QImage> pictures;
    for (const QSize &size : iconSizes())
        pictures.append(drawPicture(size.width(), 1));
    return pictures;
}

// The icon's pictures being drawn ahead; used on the GUI thread only.
std::future<QList<QImage>> drawingAhead;

// The window icon with every size drawn, as the desktop gets it.
const QIcon &drawnIcon()
{
    static const QIcon icon = [] {
        const QList<QImage> pictures = drawingAhead.valid() ? drawingAhead.get() : drawIconSizes();
        QIcon i;
        for (const QImage &picture : pictures)
            i.addPixmap(QPixmap::fromImage(picture));
        return i;
    }();
    return icon;
}

// Windows take the icon as they are built, but most desktops never ask for its pictures, and
// drawing its five sizes takes longer than building the start-up window's controls. This
// engine knows the sizes and draws them the first time a picture is asked for; what it
// answers then is what the drawn icon answers.
class DeferredEngine : public QIconEngine
{
public:
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        // At a ratio of 1 the icon hands the request to its own engine unchanged.
        return drawnIcon().pixmap(size, 1.0, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        // The drawn icon's engine gives its pictures the sizes it reports.
        return pixmap(size, mode, state).size();
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        drawnIcon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        // The drawn pictures were added as the normal, off ones.
        if (mode == QIcon::Normal && state == QIcon::Off)
            return iconSizes();
        return {};
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("AppIcon"); }
    QIconEngine *clone() const override { return new DeferredEngine; }
};

} // namespace

void StartDrawing()
{
    static bool started = false;
    // Only X11 asks for a window icon's pictures, and it asks as the window is created.
    if (std::exchange(started, true) || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    drawingAhead = RunOnPool(drawIconSizes);
}

const QIcon &Icon()
{
    static const QIcon icon(new DeferredEngine);
    return icon;
}

} // namespace AppIcon
