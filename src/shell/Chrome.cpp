#include "Chrome.h"

#include "AppIcon.h"
#include "Look.h"
#include "platform/WindowSystem.h"

#include <QAction>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

namespace {

// Keeps the fixed client area centred in a frame that has grown (the main window's layout
// would leave it at the top left), and fills what the frame shows around it with the client
// area's own colour, so the layout stands in one plain field. The menu bar paints itself above
// it in the desktop's look.
class GrowingFrame : public QObject
{
public:
    GrowingFrame(QMainWindow *window, QWidget *clientArea)
        : QObject(window)
        , m_window(window)
        , m_clientArea(clientArea)
    {
        window->installEventFilter(this);
        clientArea->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Paint:
            if (watched == m_window)
                QPainter(m_window).fillRect(m_window->rect(),
                                            m_clientArea->palette().color(QPalette::Window));
            break;
        case QEvent::Move:
        case QEvent::Resize:
            // The layout has just placed the client area, or the frame changed size.
            centre();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void centre()
    {
        const QWidget *menu = m_window->menuWidget();
        const int top = menu && menu->isVisible() ? menu->geometry().bottom() + 1 : 0;
        const QSize room(m_window->width(), m_window->height() - top);
        const QSize size = m_clientArea->size();
        const QPoint place(qMax(0, (room.width() - size.width()) / 2),
                           top + qMax(0, (room.height() - size.height()) / 2));
        if (m_clientArea->pos() != place)
            m_clientArea->move(place);
    }

    QMainWindow *m_window;
    QWidget *m_clientArea;
};

// The same for a window whose controls lie on it directly (a dialog): they all move together
// so as to stay centred in the grown window.
class GrowingDialog : public QObject
{
public:
    GrowingDialog(QWidget *window, QSize fixed)
        : QObject(window)
        , m_window(window)
        , m_fixed(fixed)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize) {
            const QSize room = m_window->size();
            const QPoint offset(qMax(0, (room.width() - m_fixed.width()) / 2),
                                qMax(0, (room.height() - m_fixed.height()) / 2));
            for (QWidget *child : m_window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (!child->isWindow())
                    child->move(child->pos() + offset - m_offset);
            }
            m_offset = offset;
        }
        return false;
    }

private:
    QWidget *m_window;
    QSize m_fixed;
    QPoint m_offset;
};

} // namespace

namespace Chrome {

void SetUpWindow(QWidget *window, QWidget *clientArea, int widthTw, int heightTw)
{
    window->setWindowTitle(Title);
    window->setWindowIcon(AppIcon::Icon());
    window->setWindowFlags((window->windowFlags() & Qt::WindowType_Mask) | Qt::CustomizeWindowHint
                           | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    // The client area carries the dark look; a main window's menu bar keeps the desktop's.
    Look::PaintBackground(clientArea);
    clientArea->setFixedSize(Look::Px(widthTw), Look::Px(heightTw));
    auto *mainWindow = qobject_cast<QMainWindow *>(window);
    if (!mainWindow && WindowSystem::IsWayland()) {
        // As below for a main window.
        window->setMinimumSize(clientArea->size());
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        window->resize(clientArea->size());
        new GrowingDialog(window, clientArea->size());
        return;
    }
    if (!mainWindow) {
        window->setFixedSize(clientArea->size());
        return;
    }
    // A Wayland compositor that maximises a window expects its surface to take the size it
    // names and may end a client that keeps another (Weston does). So there the frame only
    // keeps the layout's size as its least and may grow. On X11 the window asks for a fixed
    // size, but a window manager may still force another on it (Weston's does).
    mainWindow->layout()->setSizeConstraint(WindowSystem::IsWayland() ? QLayout::SetMinimumSize
                                                                      : QLayout::SetFixedSize);
    new GrowingFrame(mainWindow, clientArea);
}

QPushButton *MakeActionButton(QWidget *parent, const QString &name, const QString &caption,
                              int left, int top, int width, int height, bool bold,
                              bool routeAccessKey)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(Look::Verdana(8.25, bold));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, Look::White);
    palette.setColor(QPalette::ButtonText, Look::Black);
    button->setPalette(palette);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    Look::PlaceTw(button, left, top, width, height);
    button->hide();
    // A hidden button's own access key is dead; the window's shortcut stands in for it.
    const QKeySequence key = QKeySequence::mnemonic(caption);
    if (routeAccessKey && !key.isEmpty()) {
        auto *shortcut = new QShortcut(key, parent->window());
        QObject::connect(shortcut, &QShortcut::activated, button, [button] {
            // As the key of a visible button does: pressed now, clicked a moment later.
            if (button->isEnabled())
                button->animateClick();
        });
    }
    return button;
}

QAction *AddEntry(QMenu *menu, const QString &name, const QString &caption, bool visible)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setVisible(visible);
    return action;
}

QAction *AddSeparator(QMenu *menu, const QString &name, bool visible)
{
    QAction *action = menu->addSeparator();
    action->setObjectName(name);
    action->setVisible(visible);
    return action;
}

QMenu *AddMenu(QWidget *owner, QMenu *parentMenu, const QString &name, const QString &caption)
{
    QMenu *menu = nullptr;
    if (parentMenu) {
        menu = parentMenu->addMenu(caption);
    } else if (auto *mainWindow = qobject_cast<QMainWindow *>(owner)) {
        menu = mainWindow->menuBar()->addMenu(caption);
    }
    if (!menu)
        return nullptr;
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

} // namespace Chrome
