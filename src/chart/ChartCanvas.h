#pragma once

#include <QImage>
#include <QWidget>

#include <cmath>

// The chart's drawing surface. What is drawn stays in a persistent image until it is cleared;
// painting only copies the image to the screen. Drawing uses a user scale: x from 0 to
// ScaleWidth() (days), y from 0 at the top to ScaleHeight() at the bottom. Child controls
// (grid lines, day numbers) lie above the drawing.
class ChartCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit ChartCanvas(QWidget *parent = nullptr);

    float ScaleWidth() const { return m_scaleWidth; }
    float ScaleHeight() const { return m_scaleHeight; }
    void SetScaleWidth(float width);
    void SetScaleHeight(float height);

    // Erases everything drawn.
    void Clear();

    // Text metrics of the canvas font, in user units: width along x, height along y.
    double TextWidth(const QString &text) const;
    double TextHeight(const QString &text) const;

    // User units to widget pixels, and placing a child control by user units.
    int PixelX(double x) const { return int(std::floor(x * width() / m_scaleWidth + 0.5)); }
    int PixelY(double y) const { return int(std::floor(y * height() / m_scaleHeight + 0.5)); }
    void PlaceAt(QWidget *child, double left, double top) const;

    // The device pixel of the drawing that a point set at (x, y) lands on.
    QPoint PointPixel(float x, float y) const;

    // The drawing alone, without the child controls, at device resolution.
    const QImage &Drawing() const { return m_image; }

    // Sets single points straight into the drawing. One writer serves a run of points (an
    // arc); the area it touched is repainted when it goes away.
    class PointWriter
    {
    public:
        PointWriter(ChartCanvas &canvas, qint32 bgr);
        ~PointWriter();
        PointWriter(const PointWriter &) = delete;
        PointWriter &operator=(const PointWriter &) = delete;

        void Set(float x, float y)
        {
            // Truncation, as device coordinates are taken: the bottom edge y = height is the
            // first row below the canvas, every y short of it lands on the canvas.
            const int px = int(std::floor(x * m_sx));
            const int py = int(std::floor(y * m_sy));
            if (uint(px) >= uint(m_width) || uint(py) >= uint(m_height))
                return; // outside the canvas: clipped
            reinterpret_cast<QRgb *>(m_bits + qsizetype(py) * m_stride)[px] = m_rgb;
            m_left = std::min(m_left, px);
            m_right = std::max(m_right, px);
            m_top = std::min(m_top, py);
            m_bottom = std::max(m_bottom, py);
        }

    private:
        ChartCanvas &m_canvas;
        uchar *m_bits;
        qsizetype m_stride;
        int m_width;
        int m_height;
        float m_sx;
        float m_sy;
        QRgb m_rgb;
        int m_left;
        int m_right;
        int m_top;
        int m_bottom;
    };

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Keeps the image at the widget's size in device pixels, carrying the drawing over.
    void fitImage();
    void repaintDevice(const QRect &deviceRect);

    QImage m_image;
    float m_scaleWidth = 1;
    float m_scaleHeight = 1;
};
