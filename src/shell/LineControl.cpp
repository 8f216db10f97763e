#include "LineControl.h"

#include <QPainter>

#include <cmath>

LineControl::LineControl(const QString &name, const QColor &color, int borderWidth,
                         QWidget *parent)
    : QWidget(parent)
    , m_color(color)
    , m_width(qMax(1, borderWidth))
{
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LineControl::SetEnds(QPointF from, QPointF to)
{
    m_from = from;
    m_to = to;
    place();
}

void LineControl::SetBorderWidth(int width)
{
    m_width = qMax(1, width);
    place();
}

void LineControl::place()
{
    const qreal left = std::min(m_from.x(), m_to.x());
    const qreal right = std::max(m_from.x(), m_to.x());
    const qreal top = std::min(m_from.y(), m_to.y());
    const qreal bottom = std::max(m_from.y(), m_to.y());
    const qreal half = m_width / 2.0;
    if (right - left >= bottom - top) {
        // Horizontal: the width runs across the line.
        const int y = int(std::floor(top - half + 0.5));
        const int x = int(std::floor(left + 0.5));
        setGeometry(x, y, qMax(1, int(std::floor(right + 0.5)) - x), m_width);
    } else {
        const int x = int(std::floor(left - half + 0.5));
        const int y = int(std::floor(top + 0.5));
        setGeometry(x, y, m_width, qMax(1, int(std::floor(bottom + 0.5)) - y));
    }
}

void LineControl::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), m_color);
}
