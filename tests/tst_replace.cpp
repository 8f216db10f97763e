// The replace-in-one-step on its own: what the name holds after a replacement that succeeds,
// meets a change or fails, on file systems with and without an exchange of two names.

#include "TestFiles.h"

#include "platform/FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool noExchange = false; // as on NFS
}

extern "C" int renameat2(int fromFolder, const char *from, int toFolder, const char *to,
                         unsigned int flags) noexcept
{
    using Real = int (*)(int, const char *, int, const char *, unsigned int);
    static Real real = nullptr;
    if (!real) {
        void *symbol = dlsym(RTLD_NEXT, "renameat2");
        std::memcpy(&real, &symbol, sizeof real);
    }
    if (noExchange && (flags & RENAME_EXCHANGE)) {
        errno = EINVAL;
        return -1;
    }
    return real(fromFolder, from, toFolder, to, flags);
}

namespace {

using namespace TestFiles;
using Outcome = FileReplacement::Outcome;

int modeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                  | QDir::System);
}

// What another program does while the replacement is under way.
enum class Meanwhile { Nothing, Appends, RenamesOver, Deletes, ChecksFails };

} // namespace

class tst_replace : public QObject
{
    Q_OBJECT

private slots:
    void init() { noExchange = false; }
    void replaces_data();
    void replaces();
    void creates_data();
    void creates();
    void leftovers();
};

void tst_replace::replaces_data()
{
    QTest::addColumn<bool>("exchange");
    QTest::addColumn<int>("meanwhile");
    QTest::addColumn<int>("mode");

    for (bool exchange : { true, false }) {
        const char *fs = exchange ? "exchange" : "no exchange";
        for (int mode : { 0600, 0640, 0604 })
            QTest::addRow("%s, mode %o", fs, mode) << exchange << int(Meanwhile::Nothing) << mode;
        QTest::addRow("%s, appended", fs) << exchange << int(Meanwhile::Appends) << 0600;
        QTest::addRow("%s, renamed over", fs) << exchange << int(Meanwhile::RenamesOver) << 0600;
        QTest::addRow("%s, deleted", fs) << exchange << int(Meanwhile::Deletes) << 0600;
        QTest::addRow("%s, check fails", fs) << exchange << int(Meanwhile::ChecksFails) << 0600;
    }
}

void tst_replace::replaces()
{
    QFETCH(bool, exchange);
    QFETCH(int, meanwhile);
    QFETCH(int, mode);
    const Meanwhile other = Meanwhile(meanwhile);
    noExchange = !exchange;

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("people"));
    const QByteArray old = "old\r\n";
    QVERIFY(writeFile(path, old));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);

    FileReplacement replacement(path);
    QVERIFY(replacement.open(fd));
    QVERIFY(replacement.write("old\r\n"));
    QVERIFY(replacement.write("new\r\n"));
    QByteArray theirs = old;
    switch (other) {
    case Meanwhile::Appends: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("theirs\r\n");
        theirs += "theirs\r\n";
        break;
    }
    case Meanwhile::RenamesOver:
        theirs = "edited\r\n";
        QVERIFY(writeFile(dir.filePath(QStringLiteral("edit.tmp")), theirs));
        QCOMPARE(::rename(QFile::encodeName(dir.filePath(QStringLiteral("edit.tmp"))).constData(),
                          QFile::encodeName(path).constData()),
                 0);
        break;
    case Meanwhile::Deletes:
        QVERIFY(QFile::remove(path));
        break;
    default:
        break;
    }
    // As the saved-members file does it: the descriptor read again, then closed.
    bool checked = false;
    const Outcome outcome = replacement.commit([&] {
        checked = true;
        char bytes[64];
        const ssize_t got = ::pread(fd, bytes, sizeof bytes, 0);
        ::close(fd);
        if (other == Meanwhile::ChecksFails || got < 0)
            return Outcome::Failed;
        return QByteArray(bytes, got) == old ? Outcome::Done : Outcome::Changed;
    });

    switch (other) {
    case Meanwhile::Nothing:
        QCOMPARE(outcome, Outcome::Done);
        QCOMPARE(contentsOf(path), QByteArray("old\r\nnew\r\n"));
        break;
    case Meanwhile::Deletes:
        // Not written anew.
        QCOMPARE(outcome, Outcome::Changed);
        QVERIFY(!QFile::exists(path));
        break;
    case Meanwhile::ChecksFails:
        QCOMPARE(outcome, Outcome::Failed);
        QCOMPARE(contentsOf(path), old);
        break;
    default:
        QCOMPARE(outcome, Outcome::Changed);
        QCOMPARE(contentsOf(path), theirs);
        break;
    }
    if (other != Meanwhile::Deletes) {
        // The other program's file keeps the mode it was given.
        if (other != Meanwhile::RenamesOver)
            QCOMPARE(modeOf(path), mode);
        QCOMPARE(entriesOf(dir.path()), QStringList { QStringLiteral("people") });
    } else {
        QVERIFY(entriesOf(dir.path()).isEmpty());
    }
    if (other != Meanwhile::Deletes && other != Meanwhile::RenamesOver)
        QVERIFY(checked);
}

void tst_replace::creates_data()
{
    QTest::addColumn<bool>("takenMeanwhile");
    QTest::newRow("name free") << false;
    QTest::newRow("name taken meanwhile") << true;
}

void tst_replace::creates()
{
    QFETCH(bool, takenMeanwhile);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("people"));
    const mode_t mask = ::umask(0);
    FileReplacement replacement(path);
    QVERIFY(replacement.open(-1));
    QVERIFY(replacement.write("new\r\n"));
    if (takenMeanwhile)
        QVERIFY(writeFile(path, "theirs\r\n"));
    const Outcome outcome = replacement.commit([] { return Outcome::Done; });
    ::umask(mask);
    QCOMPARE(outcome, takenMeanwhile ? Outcome::Changed : Outcome::Done);
    QCOMPARE(contentsOf(path), QByteArray(takenMeanwhile ? "theirs\r\n" : "new\r\n"));
    if (!takenMeanwhile)
        QCOMPARE(modeOf(path), 0600);
    QCOMPARE(entriesOf(dir.path()), QStringList { QStringLiteral("people") });
}

void tst_replace::leftovers()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("people"));
    QVERIFY(writeFile(path, "kept"));
    // What an earlier run left, and what only looks like it.
    const QStringList ours { QStringLiteral(".people.vantrel-Ab3dEf9h"),
                             QStringLiteral(".people.vantrel-00000000") };
    const QStringList notOurs { QStringLiteral(".people.vantrel-short"),
                                QStringLiteral("people.vantrel-Ab3dEf9h"),
                                QStringLiteral(".other.vantrel-Ab3dEf9h"),
                                QStringLiteral("people.backup") };
    for (const QString &name : ours + notOurs)
        QVERIFY(writeFile(dir.filePath(name), "x"));
    // Not a regular file, or not this user's: not ours either.
    const QString folder = QStringLiteral(".people.vantrel-FOLDER01");
    const QString link = QStringLiteral(".people.vantrel-LINK0001");
    QVERIFY(QDir(dir.path()).mkdir(folder));
    QVERIFY(QFile::link(path, dir.filePath(link)));
    QStringList kept = notOurs + QStringList { folder, link, QStringLiteral("people") };
    if (::geteuid() == 0) {
        const QString foreign = QStringLiteral(".people.vantrel-NOBODY01");
        QVERIFY(writeFile(dir.filePath(foreign), "x"));
        QCOMPARE(QProcess::execute(QStringLiteral("chown"),
                                   { QStringLiteral("nobody"), dir.filePath(foreign) }),
                 0);
        kept << foreign;
    }

    FileReplacement::RemoveLeftovers(path);
    QStringList left = entriesOf(dir.path());
    left.sort();
    kept.sort();
    QCOMPARE(left, kept);
    QCOMPARE(contentsOf(path), QByteArray("kept"));
}

QTEST_GUILESS_MAIN(tst_replace)

#include "tst_replace.moc"
