#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QMessageBox>
#include <QTimer>

// Test helpers that answer the program's real modal dialogs from a timer, the way a user
// would, and keep what the dialogs showed.

// Answers every message box that comes up while it lives, with the given button, and keeps
// what the last one showed.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok)
        : m_answer(answer)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &BoxAnswerer::poll);
        m_timer.start();
    }

    int count = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        ++count;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        if (QAbstractButton *button = box->button(m_answer))
            button->click();
        else
            box->reject();
    }

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};

// Confirms or cancels the next colour dialog after picking a colour in it.
class ColorAnswerer : public QObject
{
public:
    ColorAnswerer(const QColor &pick, bool confirm)
        : m_pick(pick)
        , m_confirm(confirm)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &ColorAnswerer::poll);
        m_timer.start();
    }

    bool seen = false;
    QColor shownAtStart;
    QString name;

private:
    void poll()
    {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || seen)
            return;
        seen = true;
        name = dialog->objectName();
        shownAtStart = dialog->currentColor();
        dialog->setCurrentColor(m_pick);
        if (m_confirm)
            dialog->accept();
        else
            dialog->reject();
    }

    QColor m_pick;
    bool m_confirm;
    QTimer m_timer;
};
