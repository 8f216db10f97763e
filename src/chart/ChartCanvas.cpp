#include "ChartCanvas.h"

#include "shell/Look.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

ChartCanvas::ChartCanvas(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    fitImage();
}

void ChartCanvas::SetScaleWidth(float width)
{
    if (width > 0)
        m_scaleWidth = width;
}

void ChartCanvas::SetScaleHeight(float height)
{
    if (height > 0)
        m_scaleHeight = height;
}

void ChartCanvas::Clear()
{
    fitImage();
    // A plain fill keeps the image in the cache for the points drawn right after a clear;
    // QImage::fill streams past it, which makes every later point a cache miss.
    std::fill_n(reinterpret_cast<QRgb *>(m_image.bits()),
                m_image.sizeInBytes() / qsizetype(sizeof(QRgb)), qRgb(255, 255, 255));
    update();
}

double ChartCanvas::TextWidth(const QString &text) const
{
    return QFontMetricsF(font()).horizontalAdvance(text) * m_scaleWidth / qMax(1, width());
}

double ChartCanvas::TextHeight(const QString &text) const
{
    Q_UNUSED(text);
    return QFontMetricsF(font()).height() * m_scaleHeight / qMax(1, height());
}

void ChartCanvas::PlaceAt(QWidget *child, double left, double top) const
{
    if (child)
        child->move(PixelX(left), PixelY(top));
}

void ChartCanvas::fitImageToSize()
{
    // The pixel density is asked for only when the size no longer fits: points come in runs
    // of thousands, and the density rarely changes.
    if (m_image.deviceIndependentSize().toSize() != size())
        fitImage();
}

int ChartCanvas::DotSizeAt(qreal devicePixelRatio)
{
    return qMax(1, qRound(devicePixelRatio));
}

QPoint ChartCanvas::PointPixel(float x, float y) const
{
    const float sx = float(m_image.width()) / m_scaleWidth;
    const float sy = float(m_image.height()) / m_scaleHeight;
    return QPoint(int(std::floor(x * sx)), int(std::floor(y * sy)));
}

void ChartCanvas::fitImage()
{
    // A hidden widget gets no resize event until it is shown, but its size is already set:
    // check it whenever the image is about to be used.
    const qreal dpr = devicePixelRatioF();
    const QSize deviceSize = (QSizeF(size()) * dpr).toSize().expandedTo(QSize(1, 1));
    if (m_image.size() == deviceSize && qFuzzyCompare(m_image.devicePixelRatio(), dpr))
        return;
    QImage image(deviceSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (!m_image.isNull()) {
        QPainter p(&image);
        p.drawImage(image.rect(), m_image);
    }
    image.setDevicePixelRatio(dpr);
    m_image = image;
}

void ChartCanvas::resizeEvent(QResizeEvent *event)
{
    fitImage();
    QWidget::resizeEvent(event);
}

void ChartCanvas::paintEvent(QPaintEvent *event)
{
    fitImage(); // the window may have moved to a screen of another pixel density
    QPainter p(this);
    const qreal dpr = m_image.devicePixelRatio();
    const QRect r = event->rect();
    const QRectF source(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr);
    p.drawImage(QRectF(r), m_image, source);
}

ChartCanvas::PointWriter::PointWriter(ChartCanvas &canvas, qint32 bgr, const QRectF &userBounds)
    : m_canvas((canvas.fitImageToSize(), canvas))
    , m_bits(canvas.m_image.bits())
    , m_stride(canvas.m_image.bytesPerLine())
    , m_width(float(canvas.m_image.width()))
    , m_height(float(canvas.m_image.height()))
    , m_sx(float(canvas.m_image.width()) / canvas.m_scaleWidth)
    , m_sy(float(canvas.m_image.height()) / canvas.m_scaleHeight)
    , m_rgb(Look::FromBgr(bgr).rgb())
    , m_dot(canvas.DotSize())
    , m_bounds(userBounds)
{ }

void ChartCanvas::PointWriter::setDot(int px, int py)
{
    const int left = px - (m_dot - 1) / 2;
    const int top = py - (m_dot - 1) / 2;
    const int right = qMin(left + m_dot, int(m_width));
    const int bottom = qMin(top + m_dot, int(m_height));
    for (int y = qMax(0, top); y < bottom; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(m_bits + qsizetype(y) * m_stride);
        std::fill(row + qMax(0, left), row + right, m_rgb);
    }
}

ChartCanvas::PointWriter::~PointWriter()
{
    if (m_bounds.isNull()) {
        m_canvas.update();
        return;
    }
    const QRectF b = m_bounds.normalized();
    // A dot reaches up to one logical pixel past its point.
    const int margin = m_dot == 1 ? 1 : 2;
    m_canvas.update(
        QRect(QPoint(m_canvas.PixelX(b.left()) - margin, m_canvas.PixelY(b.top()) - margin),
              QPoint(m_canvas.PixelX(b.right()) + margin, m_canvas.PixelY(b.bottom()) + margin))
            .intersected(m_canvas.rect()));
}

namespace {

struct ArcRun
{
    QRgb *bits;
    qint32 stridePixels;
    float width, height, sx, sy;
    QRgb rgb;
    double Xa, Ya, k;
};

// One point at a time, each handed to plot(px, py) as the device pixel it falls in. Both runs
// answer the x at which they stopped, on the canvas still or past its right edge, so that the
// caller sets the rest one point at a time.
template<typename Plot> double setArcRunByPoint(const ArcRun &run, double x, double last, Plot plot)
{
    const float width = run.width, height = run.height, sx = run.sx, sy = run.sy;
    const double Xa = run.Xa, Ya = run.Ya, k = run.k;
    for (; x <= last; x += 0.01) {
        const float fx = float(x) * sx;
        if (!(fx < width))
            break;
        const float fy = float(k * (x - Xa) * (x - Xa) + Ya) * sy;
        if (fy >= 0 && fy < height)
            plot(int(fx), int(fy));
    }
    return x;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define VANTREL_ARC_RUN_BY_FOUR

// Four neighbouring points at a time in vector registers. Every operation on a lane is the
// very operation of the one-point-at-a-time run, so the points land on the same pixels.
using Doubles = double __attribute__((vector_size(32)));
using Floats = float __attribute__((vector_size(16)));
using Ints = qint32 __attribute__((vector_size(16)));

__attribute__((target("avx2"))) bool allSet(Ints lanes)
{
    quint64 halves[2];
    static_assert(sizeof(halves) == sizeof(lanes));
    std::memcpy(halves, &lanes, sizeof(halves));
    return (halves[0] & halves[1]) == ~quint64(0);
}

__attribute__((target("avx2"))) double setArcRunByFour(const ArcRun &run, double x, double last)
{
    // Copies the compiler can keep in registers: the pixel stores might alias the run.
    QRgb *const bits = run.bits;
    const qint32 stride = run.stridePixels;
    const float width = run.width, height = run.height, sx = run.sx, sy = run.sy;
    const QRgb rgb = run.rgb;
    const double Xa = run.Xa, Ya = run.Ya, k = run.k;
    const double step = 0.01;
    for (;;) {
        // The chain of x stays one addition after the other; only the work on the points
        // that it places runs side by side.
        const double x1 = x + step;
        const double x2 = x1 + step;
        const double x3 = x2 + step;
        if (!(x3 <= last))
            break;
        const Doubles xs = { x, x1, x2, x3 };
        const Doubles d = xs - Xa;
        const Doubles ys = k * d * d + Ya;
        const Floats fx = __builtin_convertvector(xs, Floats) * sx;
        const Floats fy = __builtin_convertvector(ys, Floats) * sy;
        // Lanes are -1 where the point is on the canvas (x is never left of it here).
        const Ints leftOfEdge = fx < width;
        const Ints inside = leftOfEdge & (fy >= 0) & (fy < height);
        const Ints offsets
            = __builtin_convertvector(fy, Ints) * stride + __builtin_convertvector(fx, Ints);
        if (allSet(inside)) {
            bits[offsets[0]] = rgb;
            bits[offsets[1]] = rgb;
            bits[offsets[2]] = rgb;
            bits[offsets[3]] = rgb;
        } else {
            if (!leftOfEdge[0])
                return x; // past the right edge, and so is everything after
            for (int lane = 0; lane < 4; ++lane) {
                if (inside[lane])
                    bits[offsets[lane]] = rgb;
            }
        }
        x = x3 + step;
    }
    return x;
}

// Without AVX2 the four lanes would be taken apart again, slower than one point at a time.
bool canRunByFour()
{
    static const bool avx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return avx2;
}
#endif

} // namespace

void ChartCanvas::PointWriter::SetArcRun(double x, double last, double Xa, double Ya, double k)
{
    const ArcRun run { reinterpret_cast<QRgb *>(m_bits),
                       qint32(m_stride / qsizetype(sizeof(QRgb))),
                       m_width,
                       m_height,
                       m_sx,
                       m_sy,
                       m_rgb,
                       Xa,
                       Ya,
                       k };
    if (m_dot != 1) {
        // The very points of the run, each set as a dot.
        setArcRunByPoint(run, x, last, [this](int px, int py) { setDot(px, py); });
        return;
    }
#ifdef VANTREL_ARC_RUN_BY_FOUR
    if (canRunByFour())
        x = setArcRunByFour(run, x, last);
#endif
    QRgb *const bits = run.bits;
    const qint32 stride = run.stridePixels;
    const QRgb rgb = run.rgb;
    setArcRunByPoint(run, x, last, [bits, stride, rgb](int px, int py) {
        bits[qsizetype(py) * stride + px] = rgb;
    });
}
