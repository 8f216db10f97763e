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

    // How many device pixels wide and high a point is set: the whole ones nearest to one
    // logical pixel, so that a curve weighs at every pixel ratio what it weighs at ratio 1, as
    // the grid lines do. The point's own pixel is the top left one of the square (its middle
    // one when the side is odd).
    int DotSize() const { return DotSizeAt(m_image.devicePixelRatio()); }
    static int DotSizeAt(qreal devicePixelRatio);

    // The drawing alone, without the child controls, at device resolution.
    const QImage &Drawing() const { return m_image; }

    // Sets single points straight into the drawing. One writer serves a run of points (an
    // arc) in one colour; when it goes away the area it may have touched is repainted: the
    // given bounds in user units, or the whole canvas.
    class PointWriter
    {
    public:
        PointWriter(ChartCanvas &canvas, qint32 bgr, const QRectF &userBounds = {});
        ~PointWriter();
        PointWriter(const PointWriter &) = delete;
        PointWriter &operator=(const PointWriter &) = delete;

        void Set(float x, float y)
        {
            // Points are taken to the device pixel they fall in. Anything left of or above
            // the canvas (or not a number) is clipped first, so for the rest truncation is
            // the floor; the bottom edge y = height is the first row below the canvas.
            const float fx = x * m_sx;
            const float fy = y * m_sy;
            if (!(fx >= 0 && fy >= 0 && fx < m_width && fy < m_height))
                return;
            if (m_dot == 1)
                reinterpret_cast<QRgb *>(m_bits + qsizetype(int(fy)) * m_stride)[int(fx)] = m_rgb;
            else
                setDot(int(fx), int(fy));
        }

        // Sets the points (x, k (x - Xa)^2 + Ya) of a parabolic arc for x and each further x
        // one addition of 0.01 on, while x <= last. The run starts on the canvas, not left of
        // it; it ends early at the right edge, past which every further point is clipped.
        void SetArcRun(double x, double last, double Xa, double Ya, double k);

    private:
        void setDot(int px, int py);

        ChartCanvas &m_canvas;
        uchar *m_bits;
        qsizetype m_stride;
        float m_width;
        float m_height;
        float m_sx;
        float m_sy;
        QRgb m_rgb;
        int m_dot;
        QRectF m_bounds;
    };

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Keeps the image at the widget's size in device pixels, carrying the drawing over.
    void fitImage();
    void fitImageToSize();

    QImage m_image;
    float m_scaleWidth = 1;
    float m_scaleHeight = 1;
};
