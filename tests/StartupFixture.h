#pragma once

#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "shell/modRegistry.h"
#include "startup/frmAtFirst.h"

#include <QDesktopServices>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// What the tests of the start-up window share: a lock folder of their own, web pages caught
// instead of opened, a fresh visit for every case and no window left behind by one.
class StartupFixture : public QObject
{
    Q_OBJECT

public slots:
    void openPage(const QUrl &url) { m_pages << url.toString(); }

protected:
    // For initTestCase().
    void catchPagesAndLock()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(lockFolder().isValid());
        // This test's own lock must not meet a copy of the program that happens to run. The
        // temporary folder is private to the user, as a runtime folder must be.
        qputenv("XDG_RUNTIME_DIR", lockFolder().path().toLocal8Bit());
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openPage");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openPage");
    }

    // For cleanupTestCase().
    void releasePages()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    // For init().
    void startAfresh()
    {
        using namespace modBiorhythm;
        m_pages.clear();
        QSettings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel")).clear();
        ClearMemberTable();
        TotalVisitors = VisitorsLeft = GroupSize = UsedColorCount = 0;
        UsedColors.fill(0);
        IsSelf = false;
        VisitType.clear();
        CurrentView.clear();
    }

    // For cleanup().
    void closeWindows()
    {
        if (frmBio *chart = frmBio::Instance())
            delete chart;
        if (frmAtFirst *window = frmAtFirst::Instance())
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList left;
        for (QWidget *widget : QApplication::topLevelWidgets())
            left << QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ')
                    + widget->objectName();
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QStringLiteral(", "))));
    }

    frmAtFirst *openWindow()
    {
        frmAtFirst *window = frmAtFirst::GetOrCreate();
        if (!window)
            return nullptr;
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window) ? window : nullptr;
    }

    int farewells() const { return int(m_pages.count(modRegistry::FarewellPageAddress())); }

    QStringList m_pages;

private:
    // Where the windows take the program's lock. A static, so that it outlives the lock,
    // which is held until the process ends.
    static QTemporaryDir &lockFolder()
    {
        static QTemporaryDir folder;
        return folder;
    }
};
