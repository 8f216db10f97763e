#pragma once

#include <QAccessible>
#include <QList>

#include <functional>

class QDateEdit;
class QLabel;
class QListWidget;
class QRadioButton;
class QWidget;

// What assistive technology sees of the controls the toolkit does not describe well by itself:
// controls that act on a click without being push buttons, combo boxes (named after their
// label, not their current choice), date pickers (their date as text, not a number), lists of
// tick boxes, and client areas with hidden action buttons below them.
namespace Accessibility {

// Makes the program's own interfaces take part; only the first call does anything.
void Install();

// A control that acts on a click but is no push button of the toolkit (a picture button, a
// colour swatch, a web-link hotspot): it reports `role` and, while enabled, a Press action.
// The action returns at once and `press` runs in the next turn of the event loop, so that a
// modal window it opens never holds up the caller.
void MakePressable(QWidget *control, QAccessible::Role role, std::function<void()> press);

// A list of tick boxes: every entry reports "checkable" and its Toggle action runs `toggle`
// for the entry's row in the next turn of the event loop, as a click on it would.
void MakeCheckableList(QListWidget *list, std::function<void(int row)> toggle);

// A window's client area whose children outside its visible rectangle (the hidden action
// buttons below it) are no part of the accessibility tree.
void LeaveOutOfSightChildrenOut(QWidget *clientArea);

// A date picker that reads its new date back to a screen reader once the user pauses, refuses
// out loud a key it cannot take, and takes a month name typed letter by letter.
void MakeDateField(QDateEdit *picker);

// Option buttons that belong together under one label: each is labelled by it, so a screen
// reader names the group with the option.
void LabelGroup(QLabel *label, const QList<QRadioButton *> &options);

// A control that reports `role` and whose description `describe` works out each time it is
// asked for, so that it is never out of date and changing it disturbs nobody.
void DescribeAs(QWidget *control, QAccessible::Role role, std::function<QString()> describe);

// Has a screen reader speak `text` now, for the window of `context`, wherever the focus is:
// a notification of the window that nobody sees. Nothing happens while the window is hidden.
void Announce(QWidget *context, const QString &text);

} // namespace Accessibility
