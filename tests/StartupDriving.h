#pragma once

#include "startup/frmAtFirst.h"

#include <QComboBox>
#include <QtTest>

// Driving the start-up window as a user does: by names, clicks and access keys.
namespace StartupDriving {

template<typename T = QWidget> T *child(QObject *window, const QString &name)
{
    return window->findChild<T *>(name);
}

inline void choose(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// The panel at the front of the start-up window's stack: the last of them among its siblings.
inline QString frontPanel(frmAtFirst *window)
{
    QString front;
    for (QObject *object : window->centralWidget()->children()) {
        const QString name = object->objectName();
        if (name == QLatin1String("Picture2") || name == QLatin1String("Picture3")
            || name == QLatin1String("Picture4") || name == QLatin1String("Picture5"))
            front = name;
    }
    return front;
}

// An access key of a hidden action button: the button clicks itself a moment later.
inline void pressAltKey(QWidget *window, Qt::Key key)
{
    // Keys go to the active window. The offscreen platform, unlike a desktop, does not give
    // the activation back to the window when a dialog of it closes.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, key, Qt::AltModifier);
    QTest::qWait(200);
}

inline void click(QWidget *button)
{
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

} // namespace StartupDriving
