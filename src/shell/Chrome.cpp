#include "Chrome.h"

#include "AppIcon.h"
#include "Look.h"

#include <QAction>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

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
    if (window->layout())
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    else
        window->setFixedSize(clientArea->size());
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
