// Saves and removals cut short at every file call they make, and met by other writers, with
// the real start-up window in a process of its own (crash_driver) under libfiu's POSIX
// wrappers and fault_shim.so. The driver counts the calls of an operation itself, so the test
// follows the code as calls are added or taken away; then, call by call, the program is killed
// there, the write there is torn (half written, then killed), or the call fails with an error.
// After each, the file must be the old one or the new one, byte for byte, with its mode and its
// link, and the message must tell the truth.

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace TestFiles;

const QString Saved = QStringLiteral("Information Saved Successfully");
const QString NotSaved = QStringLiteral("Information Could Not Be Saved");
const QString Removed = QStringLiteral("Information Removed Successfully");
const QString NotRemoved = QStringLiteral("Information Could Not Be Removed");
const QString Changed = QStringLiteral("The Saved Information Has Changed|Please Select Again");
constexpr int CriticalIcon = 3; // QMessageBox::Critical

QByteArray record(const QByteArray &name, const QByteArray &dob, const QByteArray &end = "\r\n")
{
    return '"' + name + "\",\"" + dob + "\",\"444415\"" + end;
}

// The line a removal takes away: the fifth record.
const QByteArray RemovedLine = record("Remove Me", "1970-01-01", "\n");
constexpr int RemovedRow = 4;

// 37 people as files out there hold them: a byte order mark, all three line ends, blank,
// damaged and over-long lines, and no line break at the end.
QByteArray untidyFile()
{
    QByteArray bytes = "\xEF\xBB\xBF";
    const QList<QByteArray> ends { "\r\n", "\n", "\r" };
    for (int i = 0; i < 37; ++i) {
        if (i == RemovedRow) {
            bytes += RemovedLine;
            continue;
        }
        const QByteArray name = "Person " + QByteArray::number(i);
        bytes += record(name, "1980-02-0" + QByteArray::number(i % 9 + 1),
                        i == 36 ? QByteArray() : ends[i % 3]);
        if (i == 10)
            bytes += "   \r\n";
        if (i == 20)
            bytes += "\"Bo\xFF"
                     "b\",\"1975\r\n\"unclosed,\"x\"\n";
        if (i == 30)
            bytes += '"' + QByteArray(70 * 1024, 'y') + "\"\r\n";
    }
    return bytes;
}

const QByteArray TwoRecords = record("Anna", "1990-05-17") + record("Bob", "1975-11-30");

bool appendFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

QStringList scratchFiles(const QString &folder)
{
    return QDir(folder).entryList({ QStringLiteral(".*.vantrel-*") },
                                  QDir::AllEntries | QDir::Hidden | QDir::System);
}

// How the saved-members file is laid out in the driver's program folder.
struct Layout
{
    bool link = false; // Vantrel -> synced/people
    int mode = 0600;
    bool noExchange = false; // a file system without renameat2(RENAME_EXCHANGE)
};

struct Run
{
    bool killed = false;
    QStringList calls;
    QString message;
    int icon = 0;
    QStringList listedAfter;
    QString output;
};

// The driver's surroundings: its own home and runtime folder, the fault to make, and libfiu's
// wrappers with the shim preloaded.
QProcessEnvironment driverEnvironment(const QString &home, const QString &runtime,
                                      const QString &fault)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
#ifdef ASAN_RUNTIME
    env.insert(QStringLiteral("LD_PRELOAD"),
               QStringLiteral(ASAN_RUNTIME ":" FIU_POSIX_PRELOAD ":" FAULT_SHIM));
#else
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(FIU_POSIX_PRELOAD ":" FAULT_SHIM));
#endif
    env.insert(QStringLiteral("VANTREL_FAULT"), fault);
    env.remove(QStringLiteral("VANTREL_NO_EXCHANGE"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    // Killed on purpose: no leak report. The preloaded libraries stand next to the
    // sanitizer's runtime, not behind it.
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS"))
                   + QStringLiteral(":verify_asan_link_order=0:detect_leaks=0"));
    return env;
}

// Runs the driver to its end; `during` is called when it pauses, and it goes on after.
Run runDriver(QStringList command, const QProcessEnvironment &env,
              const std::function<void()> &during)
{
    QProcess driver;
    driver.setProcessEnvironment(env);
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(command.takeFirst(), command);
    Run result;
    if (!driver.waitForStarted(10000))
        return result;
    QByteArray out;
    while (driver.state() != QProcess::NotRunning || driver.bytesAvailable()) {
        if (!driver.bytesAvailable() && !driver.waitForReadyRead(60000)
            && driver.state() != QProcess::NotRunning)
            break;
        out += driver.readAll();
        if (out.contains("paused\n") && during) {
            out.replace("paused\n", "");
            during();
            driver.write("go\n");
            driver.waitForBytesWritten();
        }
    }
    driver.waitForFinished(60000);
    result.output = QString::fromUtf8(out);
    result.killed = driver.exitStatus() == QProcess::CrashExit || driver.exitCode() != 0;
    for (const QString &line : result.output.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("call ")))
            result.calls << line.mid(5);
        else if (line.startsWith(QLatin1String("message ")))
            result.message = line.mid(8);
        else if (line.startsWith(QLatin1String("icon ")))
            result.icon = line.mid(5).toInt();
        else if (line.startsWith(QLatin1String("listed after ")))
            result.listedAfter = line.mid(13).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    }
    return result;
}

// The driver's program folder with the saved-members file and its surroundings.
class Scene
{
public:
    explicit Scene(const Layout &layout)
        : m_layout(layout)
    {
        m_folder = QFileInfo(QStringLiteral(CRASH_DRIVER)).absolutePath();
        m_home.setAutoRemove(true);
        m_runtime.setAutoRemove(true);
    }

    QString name() const { return m_folder + QStringLiteral("/Vantrel"); }
    QString target() const
    {
        return m_layout.link ? m_folder + QStringLiteral("/synced/people") : name();
    }
    QString targetFolder() const { return QFileInfo(target()).absolutePath(); }

    // The old file in place, with its mode and link; leftovers of a run are left for the
    // next run's start to clear.
    bool setUp(const QByteArray &bytes)
    {
        for (const QString &entry : QDir(m_folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot
                                                             | QDir::Hidden | QDir::System)) {
            const QString path = m_folder + QLatin1Char('/') + entry;
            if (entry == QStringLiteral("synced"))
                continue;
            if (entry.startsWith(QLatin1Char('.')) && entry.contains(QLatin1String(".vantrel-")))
                continue;
            if (QFileInfo(path).isExecutable() && !QFileInfo(path).isSymLink()
                && QFileInfo(path).isFile())
                continue; // the driver itself
            QFile::remove(path);
        }
        if (m_layout.link) {
            QDir().mkpath(targetFolder());
            if (!QFile::link(QStringLiteral("synced/people"), name()))
                return false;
        } else {
            QDir(targetFolder() + QStringLiteral("/synced")).removeRecursively();
        }
        QFile::remove(target());
        return writeFile(target(), bytes)
            && ::chmod(QFile::encodeName(target()).constData(), mode_t(m_layout.mode)) == 0;
    }

    void tearDown()
    {
        QDir(m_folder + QStringLiteral("/synced")).removeRecursively();
        QFile::remove(name());
        for (const QString &scratch : scratchFiles(m_folder))
            QFile::remove(m_folder + QLatin1Char('/') + scratch);
    }

    // The driver on `operation` with the fault given; `during` is called when it pauses.
    Run run(const QStringList &operation, const QString &fault,
            const std::function<void()> &during = {})
    {
        QProcessEnvironment env = driverEnvironment(m_home.path(), m_runtime.path(), fault);
        if (m_layout.noExchange)
            env.insert(QStringLiteral("VANTREL_NO_EXCHANGE"), QStringLiteral("1"));
        return runDriver(QStringList { QStringLiteral(CRASH_DRIVER) } + operation, env, during);
    }

    // What the name holds now, against the old and the new contents.
    QString stateAgainst(const QByteArray &oldBytes, const QByteArray &newBytes) const
    {
        if (m_layout.link && QFile::symLinkTarget(name()) != target())
            return QStringLiteral("third: the link changed");
        struct stat info;
        if (::stat(QFile::encodeName(name()).constData(), &info) != 0)
            return QStringLiteral("third: no file");
        if (int(info.st_mode & 07777) != m_layout.mode)
            return QStringLiteral("third: mode %1").arg(info.st_mode & 07777, 0, 8);
        const QByteArray bytes = contentsOf(name());
        if (bytes == oldBytes)
            return QStringLiteral("old");
        if (bytes == newBytes)
            return QStringLiteral("new");
        return QStringLiteral("third: %1 bytes").arg(bytes.size());
    }

    QTemporaryDir &home() { return m_home; }

private:
    Layout m_layout;
    QString m_folder;
    QTemporaryDir m_home;
    QTemporaryDir m_runtime;
};

QStringList saveOf(const QString &name)
{
    return { QStringLiteral("save"), name };
}

QStringList removalOf(int row)
{
    return { QStringLiteral("remove"), QString::number(row) };
}

const QList<int> Errors { EIO, ENOSPC, EDQUOT, EACCES, EROFS, EXDEV, EPERM };

} // namespace

class tst_crash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyCall_data();
    void everyCall();
    void otherWriters_data();
    void otherWriters();
    void syncBeforeSuccess_data();
    void syncBeforeSuccess();
    void folderTurnsReadOnly();
};

void tst_crash::initTestCase()
{
    QVERIFY(QFileInfo::exists(QStringLiteral(CRASH_DRIVER)));
    QVERIFY(QFileInfo::exists(QStringLiteral(FAULT_SHIM)));
}

void tst_crash::everyCall_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("link");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("noExchange");

    for (bool save : { true, false }) {
        const char *op = save ? "save" : "removal";
        QTest::addRow("%s, plain file, 0640", op) << save << false << 0640 << false;
        QTest::addRow("%s, through a link, 0600", op) << save << true << 0600 << false;
        QTest::addRow("%s, no exchange, 0644", op) << save << false << 0644 << true;
    }
}

void tst_crash::everyCall()
{
    QFETCH(bool, save);
    QFETCH(bool, link);
    QFETCH(int, mode);
    QFETCH(bool, noExchange);

    Scene scene(Layout { link, mode, noExchange });
    const QByteArray oldBytes = untidyFile();
    const QStringList operation = save ? saveOf(QStringLiteral("Ada")) : removalOf(RemovedRow);
    const QString success = save ? Saved : Removed;
    const QString failure = save ? NotSaved : NotRemoved;

    // Once without a fault: the calls, and the new file.
    QVERIFY(scene.setUp(oldBytes));
    const Run counted = scene.run(operation, QStringLiteral("count"));
    QVERIFY2(!counted.killed, qPrintable(counted.output));
    QCOMPARE(counted.message, success);
    const QByteArray newBytes = contentsOf(scene.name());
    if (save) {
        QVERIFY(newBytes.startsWith(oldBytes + "\r\n\"Ada\",\"1984-03-14\","));
        QCOMPARE(newBytes.count('\n'), oldBytes.count('\n') + 2);
    } else {
        QCOMPARE(newBytes, QByteArray(oldBytes).replace(RemovedLine, ""));
    }
    const int n = int(counted.calls.size());
    QVERIFY(n > 10);

    struct Tally
    {
        int old = 0, fresh = 0, third = 0;
    };
    Tally kills, tears, errors;
    QStringList problems;
    QStringList leftBehind; // by the last killed run, for the next start to clear
    auto account = [&](Tally &tally, const QString &what, const Run &run, bool killed) {
        const QString state = scene.stateAgainst(oldBytes, newBytes);
        if (state == QLatin1String("old"))
            ++tally.old;
        else if (state == QLatin1String("new"))
            ++tally.fresh;
        else
            ++tally.third;
        if (state.startsWith(QLatin1String("third")))
            problems << what + QStringLiteral(": ") + state;
        if (!killed && run.killed)
            problems << what + QStringLiteral(": the program ended: ") + run.output;
        if (killed && !run.killed)
            problems << what + QStringLiteral(": not killed");
        // What the user is told must be what the file holds.
        if (run.message == success && state != QLatin1String("new"))
            problems << what + QStringLiteral(": success told, file ") + state;
        if (!killed
            && (run.message != failure || run.icon != CriticalIcon
                || state != QLatin1String("old")))
            problems << what + QStringLiteral(": told \"%1\", file %2").arg(run.message, state);
        const QStringList scratch = scratchFiles(scene.targetFolder());
        for (const QString &name : leftBehind) {
            if (scratch.contains(name))
                problems << what + QStringLiteral(": the start left %1 in place").arg(name);
        }
        if (!killed && !scratch.isEmpty())
            problems << what + QStringLiteral(": left %1").arg(scratch.join(QLatin1Char(' ')));
        leftBehind = killed ? scratch : QStringList();
    };

    for (int k = 1; k <= n; ++k) {
        const QString call = QStringLiteral("call %1 (%2)").arg(k).arg(counted.calls[k - 1]);
        QVERIFY(scene.setUp(oldBytes));
        account(kills, QStringLiteral("killed at ") + call,
                scene.run(operation, QStringLiteral("kill:%1").arg(k)), true);
        if (counted.calls[k - 1] == QLatin1String("posix/io/rw/write")) {
            QVERIFY(scene.setUp(oldBytes));
            account(tears, QStringLiteral("torn at ") + call,
                    scene.run(operation, QStringLiteral("torn:%1").arg(k)), true);
        }
        const int error = Errors[k % Errors.size()];
        QVERIFY(scene.setUp(oldBytes));
        account(errors,
                QStringLiteral("%1 at ").arg(QString::fromLocal8Bit(strerror(error))) + call,
                scene.run(operation, QStringLiteral("fail:%1:%2").arg(k).arg(error)), false);
    }
    // The next start clears what the last killed run left.
    QVERIFY(scene.setUp(oldBytes));
    scene.run({ QStringLiteral("list") }, QStringLiteral("count"));
    for (const QString &name : leftBehind) {
        if (scratchFiles(scene.targetFolder()).contains(name))
            problems << QStringLiteral("the last start left %1 in place").arg(name);
    }
    scene.tearDown();

    qInfo("%s: N = %d calls; kill: old %d, new %d, third %d; torn: old %d, new %d, third %d; "
          "error: old %d, new %d, third %d",
          QTest::currentDataTag(), n, kills.old, kills.fresh, kills.third, tears.old, tears.fresh,
          tears.third, errors.old, errors.fresh, errors.third);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.mid(0, 12).join(QLatin1Char('\n'))));
    QVERIFY(tears.old + tears.fresh > 0);
}

namespace {

enum class Other { Appends, RenamesOver, Deletes, AppendsAfterSwap };

} // namespace

void tst_crash::otherWriters_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("other");
    QTest::addColumn<bool>("noExchange");

    const struct
    {
        const char *name;
        Other other;
    } others[] = { { "appends", Other::Appends },
                   { "renames a new version over it", Other::RenamesOver },
                   { "deletes it", Other::Deletes },
                   { "appends through a descriptor, after the swap", Other::AppendsAfterSwap } };
    for (bool noExchange : { false, true }) {
        for (bool save : { true, false }) {
            for (const auto &o : others)
                QTest::addRow("%s, another program %s%s", save ? "save" : "removal", o.name,
                              noExchange ? ", no exchange" : "")
                    << save << int(o.other) << noExchange;
        }
    }
}

void tst_crash::otherWriters()
{
    QFETCH(bool, save);
    QFETCH(int, other);
    QFETCH(bool, noExchange);
    const Other writer = Other(other);

    Scene scene(Layout { false, 0600, noExchange });
    QVERIFY(scene.setUp(TwoRecords));
    const QByteArray theirs = record("Zed", "2000-01-01");
    const QByteArray edited = record("Cy", "2001-02-03");
    // Opened before the operation starts, as an editor or a sync tool holds it.
    QFile held(scene.name());
    QVERIFY(held.open(QIODevice::Append));

    // The slow step, made slow: the new file's sync waits until the other program is done;
    // for the last case, the reading-again after the swap.
    const QString pause = writer == Other::AppendsAfterSwap
        ? QStringLiteral("pause:posix/io/rw/pread:1")
        : QStringLiteral("pause:posix/io/sync/fsync:1");
    bool acted = false;
    const Run run = scene.run(save ? saveOf(QStringLiteral("Ada")) : removalOf(0), pause, [&] {
        acted = true;
        switch (writer) {
        case Other::Appends:
            QVERIFY(appendFile(scene.name(), theirs));
            break;
        case Other::AppendsAfterSwap:
            QCOMPARE(held.write(theirs), theirs.size());
            QVERIFY(held.flush());
            break;
        case Other::RenamesOver: {
            const QString temp = scene.name() + QStringLiteral(".edit");
            QVERIFY(writeFile(temp, edited));
            QVERIFY(::rename(QFile::encodeName(temp).constData(),
                             QFile::encodeName(scene.name()).constData())
                    == 0);
            break;
        }
        case Other::Deletes:
            QVERIFY(QFile::remove(scene.name()));
            break;
        }
    });
    QVERIFY2(acted, qPrintable(run.output));
    QVERIFY2(!run.killed, qPrintable(run.output));
    const QByteArray now = QFileInfo::exists(scene.name()) ? contentsOf(scene.name()) : "<none>";
    const QByteArray ada = "\"Ada\",\"1984-03-14\",";
    const QByteArray anna = TwoRecords.left(TwoRecords.indexOf('\n') + 1);
    const QByteArray bob = TwoRecords.mid(anna.size());

    if (writer == Other::Deletes) {
        // Nothing is written anew, and the user hears of it.
        QCOMPARE(run.message, save ? NotSaved : Changed);
        QCOMPARE(now, QByteArray("<none>"));
    } else if (save) {
        // Saved on top of the other program's change: both are in the file.
        QCOMPARE(run.message, Saved);
        const QByteArray base = writer == Other::RenamesOver ? edited : TwoRecords + theirs;
        QVERIFY2(now.startsWith(base + ada), now.constData());
        QCOMPARE(now.count('\n'), base.count('\n') + 1);
    } else {
        // Nothing removed; the list is read again and shows the other program's change.
        QCOMPARE(run.message, Changed);
        QCOMPARE(now, writer == Other::RenamesOver ? edited : TwoRecords + theirs);
        QCOMPARE(run.listedAfter.size(), writer == Other::RenamesOver ? 1 : 3);
    }
    QCOMPARE(run.icon, run.message == Saved ? 1 : CriticalIcon);
    QVERIFY(scratchFiles(scene.targetFolder()).isEmpty());
    held.close();
    scene.tearDown();
}

void tst_crash::syncBeforeSuccess_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("nth");
    QTest::addColumn<bool>("link");

    for (bool save : { true, false }) {
        for (bool link : { false, true }) {
            // The new file's sync, then the folder's after the swap.
            QTest::addRow("%s, new file's sync%s", save ? "save" : "removal",
                          link ? ", through a link" : "")
                << save << 1 << link;
            QTest::addRow("%s, folder's sync%s", save ? "save" : "removal",
                          link ? ", through a link" : "")
                << save << 2 << link;
        }
    }
}

void tst_crash::syncBeforeSuccess()
{
    QFETCH(bool, save);
    QFETCH(int, nth);
    QFETCH(bool, link);

    // A sync that fails means the disk may not hold the change: no success then.
    Scene scene(Layout { link, 0600, false });
    QVERIFY(scene.setUp(TwoRecords));
    const Run run
        = scene.run(save ? saveOf(QStringLiteral("Ada")) : removalOf(0),
                    QStringLiteral("failpoint:posix/io/sync/fsync:%1:%2").arg(nth).arg(EIO));
    QVERIFY2(!run.killed, qPrintable(run.output));
    QCOMPARE(run.message, save ? NotSaved : NotRemoved);
    QCOMPARE(run.icon, CriticalIcon);
    QCOMPARE(contentsOf(scene.name()), TwoRecords);
    QVERIFY(scratchFiles(scene.targetFolder()).isEmpty());
    scene.tearDown();
}

void tst_crash::folderTurnsReadOnly()
{
    // Root writes into a read-only folder all the same, so the driver then runs as nobody, in
    // a folder of its own that nobody owns.
    const bool root = ::geteuid() == 0;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile::setPermissions(dir.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                              | QFile::ExeOther);
    const QString program = dir.filePath(QStringLiteral("program"));
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString runtime = dir.filePath(QStringLiteral("runtime"));
    for (const QString &folder : { program, home, runtime })
        QVERIFY(QDir().mkpath(folder));
    const QString driver = program + QStringLiteral("/crash_driver");
    QVERIFY(QFile::copy(QStringLiteral(CRASH_DRIVER), driver));
    const QString saved = program + QStringLiteral("/Vantrel");
    QVERIFY(writeFile(saved, TwoRecords));
    QCOMPARE(::chmod(QFile::encodeName(saved).constData(), 0600), 0);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Where a program folder that cannot be written sends the saved people: another file, of
    // another install, that must not get the person.
    const QString elsewhere = home + QStringLiteral("/.local/share/Vantrel/Vantrel");
    const QByteArray other = record("Other", "1960-01-01");
    QVERIFY(QDir().mkpath(QFileInfo(elsewhere).absolutePath()));
    QVERIFY(writeFile(elsewhere, other));
    if (root)
        QCOMPARE(QProcess::execute(QStringLiteral("chown"),
                                   { QStringLiteral("-R"), QStringLiteral("nobody:nogroup"),
                                     program, home, runtime }),
                 0);
    const QStringList asNobody = root
        ? QStringList { QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                        QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups"),
                        QStringLiteral("--") }
        : QStringList();

    // The folder turns read-only after the listing, before the click on Save.
    const Run run = runDriver(asNobody + QStringList { driver } + saveOf(QStringLiteral("Ada")),
                              driverEnvironment(home, runtime, QStringLiteral("pause:ready")), [&] {
                                  QVERIFY(QFile::setPermissions(
                                      program,
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                          | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
                              });
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(!run.killed, qPrintable(run.output));
    QVERIFY2(run.output.contains(QLatin1String("listed 2\n")), qPrintable(run.output));

    // Not somewhere else: the file the list was read from, or nowhere.
    QCOMPARE(run.message, NotSaved);
    QCOMPARE(contentsOf(saved), TwoRecords);
    QCOMPARE(contentsOf(elsewhere), other);
}

QTEST_GUILESS_MAIN(tst_crash)

#include "tst_crash.moc"
