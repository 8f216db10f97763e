#pragma once

#include <QString>

class QAction;
class QMenu;
class QPushButton;
class QWidget;

// What every window of the program has in common: title, icon, fixed layout with a close box
// only, and the hidden action buttons that hold the code of its commands.
namespace Chrome {

inline const QString Title = QStringLiteral("Vantrel v1.0");

// Gives a top-level window its caption, icon and dark look, and fixes its client area
// (the widget that holds the controls) at the given size in twips. The window offers only a
// close box and cannot be resized, except that on Wayland a main window's frame grows when
// the compositor maximises it, the client area staying as it is, centred in its own colour.
void SetUpWindow(QWidget *window, QWidget *clientArea, int widthTw, int heightTw);

// A hidden action button: a white-faced push button laid out below the visible client area.
// It is really hidden, so that neither Tab nor assistive technology ever meets it; its access
// key (the letter after "&") still presses it, through a shortcut of its window, while it is
// enabled. Where two hidden buttons share a key the window routes the key itself
// (`routeAccessKey` false). The parent must already belong to its window.
QPushButton *MakeActionButton(QWidget *parent, const QString &name, const QString &caption,
                              int left, int top, int width, int height, bool bold,
                              bool routeAccessKey = true);

// A menu entry and a separator with their layout names; hidden ones are never shown.
QAction *AddEntry(QMenu *menu, const QString &name, const QString &caption, bool visible = true);
QAction *AddSeparator(QMenu *menu, const QString &name, bool visible = true);
QMenu *AddMenu(QWidget *owner, QMenu *parentMenu, const QString &name, const QString &caption);

} // namespace Chrome
