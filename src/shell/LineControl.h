#pragma once

#include <QColor>
#include <QWidget>

// A straight rule laid on a container, horizontal or vertical, drawn above whatever the
// container paints itself. Its ends are in the container's pixels; the width is centred on
// the line. Every rule of one width comes out equally wide in device pixels, whatever the
// pixel ratio.
class LineControl : public QWidget
{
    Q_OBJECT

public:
    explicit LineControl(const QString &name, const QColor &color, int borderWidth = 1,
                         QWidget *parent = nullptr);

    void SetEnds(QPointF from, QPointF to);
    QPointF From() const { return m_from; }
    QPointF To() const { return m_to; }
    QColor Color() const { return m_color; }
    int BorderWidth() const { return m_width; }
    void SetBorderWidth(int width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void place();

    QColor m_color;
    int m_width;
    bool m_horizontal = true;
    QRect m_rule; // in the container's pixels, as laid out; the widget may be larger
    qreal m_placedAtRatio = 1;
    QPointF m_from;
    QPointF m_to;
};
