// Where the program keeps its data and how copies of it meet, with real processes: the
// program itself (VANTREL_BINARY) and a driver that saves a person (SAVE_DRIVER), some of them
// run as another user.

#include "chart/frmBio.h"
#include "platform/SingleInstance.h"
#include "startup/frmAtFirst.h"

#include <QDesktopServices>
#include <QHostInfo>
#include <QMainWindow>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions Shared
    = OwnerOnly | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

bool isRoot()
{
    return ::geteuid() == 0;
}

// The ordinary user that root hands a process to.
const QStringList &asOtherUser()
{
    static const QStringList prefix { QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                                      QStringLiteral("--regid=nogroup"),
                                      QStringLiteral("--clear-groups"), QStringLiteral("--") };
    return prefix;
}

bool giveToOtherUser(const QString &path)
{
    return QProcess::execute(QStringLiteral("chown"),
                             { QStringLiteral("-R"), QStringLiteral("nobody:nogroup"), path })
        == 0;
}

QString fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

// A scene for starting copies: a home, a runtime folder private to the user, and a PATH whose
// only "browser" writes down what it was asked to open.
class Scene
{
public:
    Scene()
    {
        QFile::setPermissions(m_dir.path(), Shared);
        for (const QString &name : { QStringLiteral("bin"), QStringLiteral("home"),
                                     QStringLiteral("runtime"), QStringLiteral("program") })
            QDir().mkpath(path(name));
        QFile::setPermissions(path(QStringLiteral("runtime")), OwnerOnly);
        writeFile(path(QStringLiteral("bin/xdg-open")),
                  QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(pagesLog()).toUtf8());
        QFile::setPermissions(path(QStringLiteral("bin/xdg-open")), Shared);

        m_env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             { "BROWSER", "DEFAULT_BROWSER", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
               "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "XDG_DATA_HOME", "XDG_CONFIG_HOME",
               "TMPDIR", "XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID" })
            m_env.remove(QString::fromLatin1(name));
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
        m_env.insert(QStringLiteral("PATH"),
                     path(QStringLiteral("bin")) + QStringLiteral(":/usr/bin:/bin"));
    }

    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString &name = QString()) const
    {
        return name.isEmpty() ? m_dir.path() : m_dir.filePath(name);
    }
    QString pagesLog() const { return path(QStringLiteral("pages.log")); }
    QString lock() const { return path(QStringLiteral("runtime/vantrel.lock")); }
    QProcessEnvironment &env() { return m_env; }

    // A copy of a program of the build in the scene's program folder, so that any user can
    // run it and its program folder is the scene's.
    QString programCopy(const QString &binary) const
    {
        const QString copy = path(QStringLiteral("program/")) + QFileInfo(binary).fileName();
        if (!QFile::exists(copy) && !QFile::copy(binary, copy))
            return QString();
        QFile::setPermissions(copy, Shared);
        return copy;
    }

    bool start(QProcess &process, const QString &binary, const QStringList &args = {},
               bool otherUser = false)
    {
        const QString copy = programCopy(binary);
        if (copy.isEmpty())
            return false;
        QStringList command = otherUser ? asOtherUser() : QStringList();
        command << copy << args;
        process.setProcessEnvironment(m_env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(command.takeFirst(), command);
        return process.waitForStarted(10000);
    }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};

qint64 deadPid()
{
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    gone.waitForFinished(10000);
    return gone.processId() ? gone.processId() : 999999;
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(10000);
}

} // namespace

class tst_platform : public QObject
{
    Q_OBJECT

public slots:
    void openPage(const QUrl &url) { m_pages << url.toString(); }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void savedMembersLocation_data();
    void savedMembersLocation();
    void lockNeverBlocks_data();
    void lockNeverBlocks();
    void anotherUsersCopyIsNotOurs();
    void handOver_data();
    void handOver();

private:
    QString m_runtime;
    QStringList m_pages;
};

void tst_platform::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // Made before the lock, the folder goes after it at exit, so the lock can remove its file.
    static QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    m_runtime = runtime.path();
    // No update question may come up in the windows shown here.
    QSettings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel"))
        .setValue(QStringLiteral("UpdateReminderDate"), QDate::currentDate().toString(Qt::ISODate));
    // This process is the first copy of the hand-over tests; its lock goes in a runtime folder
    // of its own (a temporary folder is private to the user, as a runtime folder must be).
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
    QVERIFY(!SingleInstance::AnotherIsRunning());
    QVERIFY(QFileInfo(SingleInstance::LockFilePath()).isFile());
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openPage");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openPage");
}

void tst_platform::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void tst_platform::cleanup()
{
    if (frmBio *chart = frmBio::Instance())
        delete chart;
    if (frmAtFirst *window = frmAtFirst::Instance())
        delete window;
    for (QWidget *widget : QApplication::topLevelWidgets())
        delete widget;
    m_pages.clear();
}

void tst_platform::savedMembersLocation_data()
{
    QTest::addColumn<bool>("programFolderWritable");
    QTest::addColumn<bool>("dataFolderExists");

    QTest::newRow("writable program folder") << true << false;
    QTest::newRow("read-only program folder") << false << false;
    QTest::newRow("read-only program folder, data folder there") << false << true;
}

void tst_platform::savedMembersLocation()
{
    QFETCH(bool, programFolderWritable);
    QFETCH(bool, dataFolderExists);

    Scene scene;
    QVERIFY(scene.isValid());
    const QString dataHome = scene.path(QStringLiteral("home/.local/share"));
    const QString dataFolder = dataHome + QStringLiteral("/Vantrel");
    if (dataFolderExists)
        QVERIFY(QDir().mkpath(dataFolder));
    // Root writes anywhere, so the program then runs as another user; anyone else is kept out
    // of the program folder by its mode.
    const bool otherUser = !programFolderWritable && isRoot();
    if (otherUser)
        QVERIFY(giveToOtherUser(scene.path(QStringLiteral("home"))));
    QVERIFY(!scene.programCopy(QStringLiteral(SAVE_DRIVER)).isEmpty());
    if (!programFolderWritable && !isRoot())
        QVERIFY(QFile::setPermissions(scene.path(QStringLiteral("program")),
                                      QFile::ReadOwner | QFile::ExeOwner));
    QProcess driver;
    QVERIFY(scene.start(driver, QStringLiteral(SAVE_DRIVER), { QStringLiteral("Ada") }, otherUser));
    QVERIFY(driver.waitForFinished(30000));
    QFile::setPermissions(scene.path(QStringLiteral("program")), Shared);
    QCOMPARE(driver.exitCode(), 0);

    const QString expected = programFolderWritable ? scene.path(QStringLiteral("program/Vantrel"))
                                                   : dataFolder + QStringLiteral("/Vantrel");
    QCOMPARE(QString::fromLocal8Bit(driver.readAllStandardOutput()).trimmed(), expected);
    QVERIFY(fileText(expected).startsWith(QLatin1String("\"Ada\",\"1984-03-14\",")));
    QCOMPARE(QFileInfo::exists(scene.path(QStringLiteral("program/Vantrel"))),
             programFolderWritable);
    if (!programFolderWritable) {
        // Personal data: the folders the program made are the user's alone.
        for (const QString &folder : { dataHome, dataFolder }) {
            struct stat info
            {
            };
            QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
            if (!dataFolderExists)
                QCOMPARE(info.st_mode & 0777, 0700u);
        }
        QCOMPARE(QFileInfo(expected).ownerId(), otherUser ? 65534u : ::geteuid());
    }
}

void tst_platform::lockNeverBlocks_data()
{
    QTest::addColumn<QByteArray>("lockText");
    QTest::addColumn<bool>("otherUsersFile");

    const QByteArray host = QHostInfo::localHostName().toUtf8();
    const QByteArray dead = QByteArray::number(deadPid());
    QTest::newRow("emptied") << QByteArray() << false;
    QTest::newRow("damaged") << QByteArray("\x01\xff garbage\nno number\n") << false;
    QTest::newRow("stale") << dead + "\nvantrel\n" + host + '\n' << false;
    QTest::newRow("living process of another program")
        << QByteArray::number(QCoreApplication::applicationPid()) + "\nvantrel\n" + host + '\n'
        << false;
    QTest::newRow("another machine") << dead + "\nvantrel\nelsewhere\n" << false;
    QTest::newRow("made by another user") << QByteArray("1\nvantrel\n") + host + '\n' << true;
}

void tst_platform::lockNeverBlocks()
{
    QFETCH(QByteArray, lockText);
    QFETCH(bool, otherUsersFile);
    if (otherUsersFile && !isRoot())
        QSKIP("only root can hand a file to another user");

    Scene scene;
    QVERIFY(scene.isValid());
    QVERIFY(writeFile(scene.lock(), lockText));
    if (otherUsersFile) {
        QVERIFY(giveToOtherUser(scene.lock()));
        QVERIFY(QFile::setPermissions(scene.lock(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                          | QFile::ReadOther));
    }
    QProcess program;
    QVERIFY(scene.start(program, QStringLiteral(VANTREL_BINARY)));
    QVERIFY2(!program.waitForFinished(3000), "the program ended instead of showing its window");
    // It took the lock, so the next start finds it and hands over.
    QCOMPARE(fileText(scene.lock()).section(QLatin1Char('\n'), 0, 0),
             QString::number(program.processId()));
    QProcess second;
    QVERIFY(scene.start(second, QStringLiteral(VANTREL_BINARY)));
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(program.state(), QProcess::Running);
    stop(program);
    QVERIFY(!QFile::exists(scene.pagesLog()));
}

void tst_platform::anotherUsersCopyIsNotOurs()
{
    if (!isRoot())
        QSKIP("only root can start a program as another user");
    // Another user's copy, and a runtime folder left for us in the shared temporary folder by
    // that user (where the toolkit looks when the session names none), holding a lock.
    Scene theirs;
    Scene ours;
    QVERIFY(theirs.isValid() && ours.isValid());
    QVERIFY(giveToOtherUser(theirs.path(QStringLiteral("home"))));
    QVERIFY(giveToOtherUser(theirs.path(QStringLiteral("runtime"))));
    const QString shared = theirs.path(QStringLiteral("shared-tmp"));
    QVERIFY(QDir().mkpath(shared + QStringLiteral("/runtime-root")));
    QVERIFY(QFile::setPermissions(shared, Shared | QFile::WriteGroup | QFile::WriteOther));
    QVERIFY(writeFile(shared + QStringLiteral("/runtime-root/vantrel.lock"), "garbage"));
    QVERIFY(QFile::setPermissions(shared + QStringLiteral("/runtime-root"), OwnerOnly));
    QVERIFY(giveToOtherUser(shared + QStringLiteral("/runtime-root")));

    QProcess theirCopy;
    QVERIFY(theirs.start(theirCopy, QStringLiteral(VANTREL_BINARY), {}, true));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(theirs.lock()), 10000);

    for (const bool namedRuntime : { true, false }) {
        if (!namedRuntime) {
            ours.env().remove(QStringLiteral("XDG_RUNTIME_DIR"));
            ours.env().insert(QStringLiteral("TMPDIR"), shared);
        }
        QProcess ourCopy;
        QVERIFY(ours.start(ourCopy, QStringLiteral(VANTREL_BINARY)));
        QVERIFY2(!ourCopy.waitForFinished(3000), namedRuntime ? "own runtime" : "no runtime");
        stop(ourCopy);
    }
    QCOMPARE(theirCopy.state(), QProcess::Running);
    stop(theirCopy);
}

void tst_platform::handOver_data()
{
    QTest::addColumn<QString>("front");
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<QString>("secondCopy");
    // The activation token the launcher hands the second start: variable=value, or nothing.
    QTest::addColumn<QString>("token");

    const QString program = QStringLiteral(VANTREL_BINARY);
    QTest::newRow("start-up window")
        << QStringLiteral("frmAtFirst") << false << program << QString();
    QTest::newRow("start-up window, minimised")
        << QStringLiteral("frmAtFirst") << true << program << QString();
    QTest::newRow("chart window") << QStringLiteral("frmBio") << false << program << QString();
    QTest::newRow("second copy through the start-up window's load")
        << QStringLiteral("frmAtFirst") << false << QStringLiteral(SAVE_DRIVER) << QString();
    QTest::newRow("launched with a Wayland activation token")
        << QStringLiteral("frmAtFirst") << true << program
        << QStringLiteral("XDG_ACTIVATION_TOKEN=gnome-shell/Vantrel/1234-5-host_TIME67890");
    QTest::newRow("launched with an X11 startup id")
        << QStringLiteral("frmBio") << false << program
        << QStringLiteral("DESKTOP_STARTUP_ID=launcher-1234-host-vantrel-0_TIME67890");
    QTest::newRow("launched with a token of unprintable characters")
        << QStringLiteral("frmAtFirst") << false << program
        << QStringLiteral("XDG_ACTIVATION_TOKEN=\t\x01 \x7f");
}

void tst_platform::handOver()
{
    QFETCH(QString, front);
    QFETCH(bool, minimised);
    QFETCH(QString, secondCopy);
    QFETCH(QString, token);

    // This process is the running copy; another application's window has the focus.
    QMainWindow *window = front == QLatin1String("frmBio")
        ? static_cast<QMainWindow *>(frmBio::GetOrCreate())
        : static_cast<QMainWindow *>(frmAtFirst::GetOrCreate());
    QVERIFY(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    if (minimised) {
        window->showMinimized();
        QTRY_VERIFY(window->isMinimized());
    }

    Scene scene;
    QVERIFY(scene.isValid());
    scene.env().insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    if (!token.isEmpty())
        scene.env().insert(token.section(QLatin1Char('='), 0, 0),
                           token.section(QLatin1Char('='), 1));
    QProcess second;
    QVERIFY(scene.start(second, secondCopy));
    // This copy answers from its event loop, so it must keep running it while it waits.
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), secondCopy == QLatin1String(VANTREL_BINARY) ? 0 : 2);

    QTRY_COMPARE(QApplication::activeWindow(), window);
    QVERIFY(!window->isMinimized());
    QVERIFY(window->isVisible());
    // Neither copy said farewell: nobody left the program.
    QVERIFY(!QFile::exists(scene.pagesLog()));
    QVERIFY(m_pages.isEmpty());
}

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
