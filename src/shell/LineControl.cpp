#include "LineControl.h"

#include <QPainter>

#include <cmath>

LineControl::LineControl(const QString &name, const QColor &color, int borderWidth, QWidget *parent)
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
    m_horizontal = right - left >= bottom - top;
    if (m_horizontal) {
        // Horizontal: the width runs across the line.
        const int y = int(std::floor(top - half + 0.5));
        const int x = int(std::floor(left + 0.5));
        m_rule = QRect(x, y, qMax(1, int(std::floor(right + 0.5)) - x), m_width);
    } else {
        const int x = int(std::floor(left - half + 0.5));
        const int y = int(std::floor(top + 0.5));
        m_rule = QRect(x, y, m_width, qMax(1, int(std::floor(bottom + 0.5)) - y));
    }
    // At a fractional pixel ratio the rule's device pixels may reach half a pixel past the
    // widget's own, which would cut them off: the widget then takes a logical pixel of room
    // on either side and leaves it clear.
    m_placedAtRatio = devicePixelRatioF();
    const bool room = m_placedAtRatio != std::round(m_placedAtRatio);
    setAttribute(Qt::WA_OpaquePaintEvent, !room);
    setGeometry(!room              ? m_rule
                    : m_horizontal ? m_rule.adjusted(0, -1, 0, 1)
                                   : m_rule.adjusted(-1, 0, 1, 0));
}

void LineControl::paintEvent(QPaintEvent *)
{
    if (devicePixelRatioF() != m_placedAtRatio) {
        // Moved to a screen of another pixel ratio: placed anew, then painted.
        QMetaObject::invokeMethod(this, &LineControl::place, Qt::QueuedConnection);
        return;
    }
    // Drawn in device pixels: at a fractional pixel ratio a whole logical pixel covers one
    // device pixel in one place and two in the next, so filling the rule's logical pixels
    // would make rules of one width come out in two. The width across is the whole number of
    // device pixels nearest to the rule's, the same for every rule, laid where its middle falls.
    QPainter painter(this);
    const QTransform toDevice = painter.deviceTransform();
    const QRectF area = toDevice.mapRect(QRectF(m_rule.translated(-pos())));
    const int across = qMax(1, qRound(m_width * m_placedAtRatio));
    auto start = [across](qreal middle) { return int(std::floor(middle - across / 2.0 + 0.5)); };
    const QRect rule = m_horizontal ? QRect(qRound(area.left()), start(area.center().y()),
                                            qRound(area.right()) - qRound(area.left()), across)
                                    : QRect(start(area.center().x()), qRound(area.top()), across,
                                            qRound(area.bottom()) - qRound(area.top()));
    painter.setTransform(toDevice.inverted());
    painter.fillRect(rule, m_color);
}
