#include "PictureButton.h"

#include "Accessibility.h"
#include "ImageList.h"
#include "Look.h"

#include <QCursor>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace {

// The hand pointer every picture button and web-link hotspot carries.
const QCursor &handCursor()
{
    static const QCursor cursor(Qt::PointingHandCursor);
    return cursor;
}

// The focus ring lies over the edge of the picture, so that what the picture says stays as it is
// and a button without the focus shows its picture unchanged.
void drawFocusRing(QPainter &painter, const QRect &area)
{
    QPen pen(Look::Amber, 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(area).adjusted(1, 1, -1, -1));
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
    // Tab only: a click must not leave a focus ring on the picture a mouse user just clicked.
    setFocusPolicy(Qt::TabFocus);
    // Before the name: setting it already makes assistive technology ask what this is.
    Accessibility::MakePressable(this, QAccessible::Button, [this] { click(); });
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
    const QSize size = m_list->PictureSize(position);
    // A missing picture leaves the button as it was.
    if (size.isEmpty())
        return;
    resize(size);
    m_highlighted = highlighted;
    m_position = position;
    // Most buttons of a window lie on panels behind the front one: their pictures are drawn
    // when they first come into sight, not while the window is built.
    if (isVisible())
        setPixmap(m_list->Picture(position));
    else
        m_picturePending = true;
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
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && isInside(event->position());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

void PictureButton::click()
{
    if (isEnabled())
        emit clicked();
}

bool PictureButton::event(QEvent *event)
{
    if (event->type() == QEvent::Show && std::exchange(m_picturePending, false))
        setPixmap(m_list->Picture(m_position));
    // Tab on the only button of a window keeps the focus where it is, and never reaches
    // keyPressEvent.
    if (event->type() == QEvent::KeyPress && hasFocus() && !m_ringShown) {
        m_ringShown = true;
        update();
    }
    return QLabel::event(event);
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        // Pressed as a push button is: on letting go of the key.
        if (!event->isAutoRepeat())
            m_spacePressed = true;
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        click();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void PictureButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        event->accept();
        if (std::exchange(m_spacePressed, false))
            click();
        return;
    }
    QLabel::keyReleaseEvent(event);
}

namespace {

// The window losing or regaining the activation changes nothing about whose focus it is.
bool keepsRing(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

} // namespace

void PictureButton::focusInEvent(QFocusEvent *event)
{
    const Qt::FocusReason reason = event->reason();
    if (!keepsRing(reason))
        m_ringShown = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
            || reason == Qt::ShortcutFocusReason;
    update();
    QLabel::focusInEvent(event);
}

void PictureButton::focusOutEvent(QFocusEvent *event)
{
    m_spacePressed = false;
    if (!keepsRing(event->reason()))
        m_ringShown = false;
    update();
    QLabel::focusOutEvent(event);
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
    if (hasFocus() && m_ringShown)
        drawFocusRing(painter, rect());
}
