#include "PictureButton.h"

#include "ImageList.h"

#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The hand pointer every picture button and web-link hotspot carries.
const QCursor &handCursor()
{
    static const QCursor cursor(Qt::PointingHandCursor);
    return cursor;
}

} // namespace

PictureButton::PictureButton(const ImageList &list, int normalPosition, int hoverPosition,
                             const QString &caption, QWidget *parent)
    : QLabel(parent)
    , m_list(&list)
    , m_normal(normalPosition)
    , m_hover(hoverPosition)
{
    setFrameShape(QFrame::NoFrame);
    setContentsMargins(0, 0, 0, 0);
    setMouseTracking(true);
    setCursor(handCursor());
    setAccessibleName(caption);
    showPicture(m_normal, false);
}

bool PictureButton::isInside(const QPointF &pos) const
{
    // The edges belong to the button.
    return pos.x() >= 0 && pos.x() <= width() && pos.y() >= 0 && pos.y() <= height();
}

void PictureButton::showPicture(int position, bool highlighted)
{
    const QPixmap picture = m_list->Picture(position);
    // A missing picture leaves the button as it was.
    if (picture.isNull())
        return;
    setPixmap(picture);
    resize(picture.deviceIndependentSize().toSize());
    m_highlighted = highlighted;
}

void PictureButton::enterEvent(QEnterEvent *event)
{
    if (isEnabled() && !m_highlighted)
        showPicture(m_hover, true);
    QLabel::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent *event)
{
    showPicture(m_normal, false);
    QLabel::leaveEvent(event);
}

void PictureButton::mouseMoveEvent(QMouseEvent *event)
{
    // A move that lands outside (while a press holds the mouse) drops the highlight at once;
    // a move inside only highlights once, so moving within the button reloads nothing.
    if (!isInside(event->position()))
        showPicture(m_normal, false);
    else if (!m_highlighted)
        showPicture(m_hover, true);
    QLabel::mouseMoveEvent(event);
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
        && isInside(event->position());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

void PictureButton::changeEvent(QEvent *event)
{
    // A button disabled while highlighted goes back to its normal picture.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        showPicture(m_normal, false);
    QLabel::changeEvent(event);
}

void PictureButton::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    // A disabled button shows its normal picture as it is, not greyed out by the style.
    QPainter painter(this);
    painter.drawPixmap(contentsRect().topLeft(), pixmap());
}
