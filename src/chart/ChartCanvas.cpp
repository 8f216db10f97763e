#include "ChartCanvas.h"

#include "shell/Look.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

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
    , m_bounds(userBounds)
{ }

ChartCanvas::PointWriter::~PointWriter()
{
    if (m_bounds.isNull()) {
        m_canvas.update();
        return;
    }
    const QRectF b = m_bounds.normalized();
    m_canvas.update(QRect(QPoint(m_canvas.PixelX(b.left()) - 1, m_canvas.PixelY(b.top()) - 1),
                          QPoint(m_canvas.PixelX(b.right()) + 1, m_canvas.PixelY(b.bottom()) + 1))
                        .intersected(m_canvas.rect()));
}
