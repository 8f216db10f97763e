#pragma once

#include <QLabel>

class ImageList;

// A borderless push button that shows a picture from an image list and takes its size. It
// shows its hover picture while the pointer is over it (and it is enabled), and its normal
// picture as soon as the pointer has left it. From the keyboard, Tab reaches it while it is
// enabled, a ring over its edge shows the focus, and Space or Enter press it; assistive
// technology sees a button with a Press action.
class PictureButton : public QLabel
{
    Q_OBJECT

public:
    PictureButton(const ImageList &list, int normalPosition, int hoverPosition,
                  const QString &caption, QWidget *parent = nullptr);

    const ImageList &List() const { return *m_list; }
    int NormalPosition() const { return m_normal; }
    int HoverPosition() const { return m_hover; }
    // True while the hover picture is shown.
    bool IsHighlighted() const { return m_highlighted; }
    // Presses the button as a click does, if it is enabled.
    void click();

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void showPicture(int position, bool highlighted);
    bool isInside(const QPointF &pos) const;

    const ImageList *m_list;
    int m_normal;
    int m_hover;
    bool m_highlighted = false;
    // The picture shown, or to be shown once the button is in sight.
    int m_position = 0;
    bool m_picturePending = false;
    bool m_pressed = false;
    bool m_spacePressed = false;
    // The ring shows a keyboard user where the focus is: it comes with Tab or a key, not with
    // a window's activation, so that a mouse user's view stays as it was.
    bool m_ringShown = false;
};
