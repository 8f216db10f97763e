#include "TestFiles.h"

#include "startup/SavedMembersFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <random>
#include <utility>

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// ---------------------------------------------------------------------------------------------
// Faults on demand. A full disk or a refused rename cannot be arranged for real in a temporary
// folder, so this program puts its own rename(), renameat2() and write() in front of the C
// library's, and counts the syncs of folders. They behave normally unless a case arms them.

namespace Injected {
int renameErrno = 0; // non-zero: every rename fails with it
int renameCalls = 0;
// Writes to regular files: -1 lets them through; otherwise the bytes still written before the
// disk counts as full.
qint64 writeBudget = -1;
bool diskFullForAMoment = false; // after one refused write there is room again
int writeRefusals = 0;
int folderSyncs = 0;

void disarm()
{
    renameErrno = 0;
    writeBudget = -1;
    diskFullForAMoment = false;
}

template<typename Function> Function next(const char *name)
{
    void *symbol = dlsym(RTLD_NEXT, name);
    Function function = nullptr;
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

bool isRegularFile(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}
} // namespace Injected

extern "C" int rename(const char *from, const char *to) noexcept
{
    using Real = int (*)(const char *, const char *);
    static const Real real = Injected::next<Real>("rename");
    ++Injected::renameCalls;
    if (Injected::renameErrno != 0) {
        errno = Injected::renameErrno;
        return -1;
    }
    return real(from, to);
}

// The swap of two names that replaces the file is a rename too.
extern "C" int renameat2(int fromFolder, const char *from, int toFolder, const char *to,
                         unsigned int flags) noexcept
{
    using Real = int (*)(int, const char *, int, const char *, unsigned int);
    static const Real real = Injected::next<Real>("renameat2");
    ++Injected::renameCalls;
    if (Injected::renameErrno != 0) {
        errno = Injected::renameErrno;
        return -1;
    }
    return real(fromFolder, from, toFolder, to, flags);
}

// A file is only there after a power cut once its folder is synced too.
extern "C" int fsync(int fd)
{
    using Real = int (*)(int);
    static const Real real = Injected::next<Real>("fsync");
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        ++Injected::folderSyncs;
    return real(fd);
}

extern "C" ssize_t write(int fd, const void *data, size_t size)
{
    using Real = ssize_t (*)(int, const void *, size_t);
    static const Real real = Injected::next<Real>("write");
    if (Injected::writeBudget < 0 || size == 0 || !Injected::isRegularFile(fd))
        return real(fd, data, size);
    if (Injected::writeBudget == 0) {
        ++Injected::writeRefusals;
        if (Injected::diskFullForAMoment)
            Injected::writeBudget = -1;
        errno = ENOSPC;
        return -1;
    }
    const ssize_t written = real(fd, data, std::min<size_t>(size, size_t(Injected::writeBudget)));
    if (written > 0)
        Injected::writeBudget -= written;
    return written;
}

// ---------------------------------------------------------------------------------------------

namespace {

using namespace TestFiles;
using Record = SavedMembersFile::Record;

constexpr quint32 Seed = 0x5EED2024u;
const QByteArray ByteOrderMark("\xEF\xBB\xBF");

// What one line of a generated file must read back as; a field left empty is not checked.
struct Expect
{
    std::optional<QString> name;
    std::optional<QString> dob;
    std::optional<QString> color;
    std::optional<QDate> date;
    std::optional<qint32> colour;
};

struct GenLine
{
    QByteArray content; // never holds a line feed
    QByteArray terminator = "\r\n"; // "\r\n", "\n", "\r", or "" on the last line
    std::optional<Expect> expect;
};

enum class Kind {
    RandomBytes,
    RandomLines,
    Truncated,
    Quotes,
    Nul,
    CarriageReturn,
    LineBreaks,
    InvalidUtf8,
    HugeNames,
    Everything
};

class Generator
{
public:
    explicit Generator(quint32 seed)
        : m_rng(seed)
    { }

    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }
    template<typename T> const T &pick(const QList<T> &from)
    {
        return from[between(0, int(from.size()) - 1)];
    }

    QString name(int maxPieces = 6)
    {
        static const QList<QString> pieces {
            QStringLiteral("Anna"),   QStringLiteral("Bob"),    QStringLiteral(" "),
            QStringLiteral("  "),     QStringLiteral(","),      QStringLiteral("'"),
            QStringLiteral("-"),      QStringLiteral("\t"),     QStringLiteral("Zoë"),
            QStringLiteral("Straße"), QStringLiteral("山田"),   QStringLiteral("Владимир"),
            QStringLiteral("😀"),      QStringLiteral("<b>"),    QStringLiteral("A & B"),
            QStringLiteral("\\"),     QStringLiteral(";"),      QStringLiteral("0"),
            QStringLiteral("x"),      QStringLiteral("\u00A0"), QStringLiteral("\uFEFF")
        };
        QString text;
        for (int n = between(0, maxPieces); n > 0; --n)
            text += pick(pieces);
        return text;
    }

    QDate date()
    {
        static const qint64 first = QDate(100, 1, 1).toJulianDay();
        static const qint64 last = QDate(9999, 12, 31).toJulianDay();
        return QDate::fromJulianDay(std::uniform_int_distribution<qint64>(first, last)(m_rng));
    }

    qint32 colour()
    {
        static const QList<qint32> notable { 444415, 0, -1, 0x00FFFFFF, INT_MIN, INT_MAX };
        return chance(0.3) ? pick(notable) : qint32(m_rng());
    }

    // A line as the program writes it.
    GenLine record(const QString &name)
    {
        const QDate dob = date();
        const qint32 c = colour();
        GenLine line;
        line.content = SavedMembersFile::RecordLine(name, dob, c).chopped(2);
        line.expect = Expect { name, dob.toString(Qt::ISODate), QString::number(c), dob, c };
        return line;
    }
    GenLine record() { return record(name()); }

    // Well-formed, but not as the program writes it: blanks around the fields, or no quotes.
    GenLine looseRecord()
    {
        GenLine line = record(chance(0.5) ? name() : QStringLiteral("Anna Maria"));
        const Expect &e = *line.expect;
        const QByteArray dob = e.dob->toUtf8();
        const QByteArray color = e.color->toUtf8();
        if (chance(0.5) && !e.name->contains(QLatin1Char(',')) && *e.name == e.name->trimmed()
            && !e.name->startsWith(QLatin1Char('\t')) && !e.name->endsWith(QLatin1Char('\t'))
            && !e.name->contains(QChar(0xA0)) && !e.name->startsWith(QChar(0xFEFF))) {
            line.content = e.name->toUtf8() + blanks() + ',' + blanks() + dob + blanks() + ','
                + color + blanks();
        } else {
            line.content = blanks() + '"' + e.name->toUtf8() + '"' + blanks() + ',' + blanks() + '"'
                + dob + '"' + blanks() + ',' + blanks() + '"' + color + '"' + blanks();
        }
        return line;
    }

    QByteArray blanks()
    {
        static const QList<QByteArray> some { "", "", " ", "\t", "  \t " };
        return pick(some);
    }

    // Bytes without a line feed, heavy on the ones the reader cares about.
    QByteArray garbage(int maxLength)
    {
        static const QByteArray special("\"\", \t\r\0\xEF\xBB\xBF\xFF\xC3", 12);
        QByteArray bytes(between(0, maxLength), Qt::Uninitialized);
        for (char &b : bytes) {
            do
                b = chance(0.4) ? special[between(0, int(special.size()) - 1)] : char(m_rng());
            while (b == '\n');
        }
        return bytes;
    }

    QByteArray randomFile(int maxLength)
    {
        QByteArray bytes = garbage(maxLength);
        for (char &b : bytes) {
            if (chance(0.04))
                b = '\n';
        }
        return bytes;
    }

    QByteArray invalidUtf8()
    {
        static const QList<QByteArray> sequences {
            "\x80", "\xBF", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80",
            "\xFF", "\xFE", "\xC3",     "\xE6\x97",     "\xF0\x9F\x98", "\xF4\x90\x80\x80"
        };
        return pick(sequences);
    }

    void insertAt(QByteArray &bytes, const QByteArray &what)
    {
        bytes.insert(between(0, int(bytes.size())), what);
    }

    // Bytes placed inside the name's quotes; false for a line that does not start with them.
    bool insertIntoName(GenLine &line, const QByteArray &what, bool beforeClosingQuote = false)
    {
        const qsizetype close = line.content.indexOf('"', 1);
        if (!line.content.startsWith('"') || close < 1)
            return false;
        line.content.insert(beforeClosingQuote ? int(close) : between(1, int(close)), what);
        return true;
    }

private:
    std::mt19937 m_rng;
};

QList<GenLine> linesOf(const QByteArray &bytes)
{
    QList<GenLine> lines;
    qsizetype from = 0;
    while (from < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', from);
        GenLine line;
        if (lf < 0) {
            line.content = bytes.mid(from);
            line.terminator = "";
            from = bytes.size();
        } else {
            line.content = bytes.mid(from, lf - from);
            line.terminator = "\n";
            from = lf + 1;
        }
        lines << line;
    }
    return lines;
}

QList<GenLine> generate(Kind kind, Generator &g)
{
    if (kind == Kind::RandomBytes)
        return linesOf(g.randomFile(600));

    QList<GenLine> lines;
    const int count = kind == Kind::HugeNames ? g.between(1, 5) : g.between(0, 14);
    for (int i = 0; i < count; ++i) {
        GenLine line = (kind == Kind::LineBreaks || kind == Kind::Everything) && g.chance(0.3)
            ? g.looseRecord()
            : g.record();
        const bool damage = g.chance(0.35);
        Kind how = kind;
        if (kind == Kind::Everything)
            how = Kind(g.between(int(Kind::RandomLines), int(Kind::HugeNames)));
        switch (how) {
        case Kind::RandomBytes:
        case Kind::Everything:
            break;
        case Kind::RandomLines:
            if (damage)
                line = GenLine { g.garbage(80), "\r\n", std::nullopt };
            break;
        case Kind::Truncated:
            if (damage) {
                line.content.truncate(g.between(0, int(line.content.size()) - 1));
                line.expect.reset();
            }
            break;
        case Kind::Quotes:
            if (damage) {
                if (g.chance(0.5)) {
                    g.insertAt(line.content, "\"");
                } else {
                    qsizetype at = -1;
                    for (int n = g.between(1, 6); n > 0; --n)
                        at = line.content.indexOf('"', at + 1);
                    if (at >= 0)
                        line.content.remove(at, 1);
                }
                line.expect.reset();
            }
            break;
        case Kind::Nul:
            if (damage) {
                if (g.chance(0.4)) {
                    // Inside the quotes a NUL is just another character of the name.
                    QString name = g.name();
                    qsizetype at = g.between(0, int(name.size()));
                    if (at < name.size() && name[at].isLowSurrogate())
                        ++at;
                    line = g.record(name.insert(at, QChar(0)));
                } else {
                    for (int n = g.between(1, 3); n > 0; --n)
                        g.insertAt(line.content, QByteArray(1, '\0'));
                    line.expect.reset();
                }
            }
            break;
        case Kind::CarriageReturn:
            if (damage) {
                // A lone CR ends a line, as files from old Macs have it: in place of the
                // line break it is one, anywhere else it cuts the record in two.
                if (g.chance(0.5)) {
                    line.terminator = "\r";
                } else {
                    if (!g.chance(0.3) || !g.insertIntoName(line, "\r"))
                        g.insertAt(line.content, "\r");
                    line.expect.reset();
                }
            }
            break;
        case Kind::LineBreaks:
            if (g.chance(0.6))
                line.terminator = g.chance(0.5) ? "\n" : "\r";
            if (damage) {
                static const QList<QByteArray> emptyish { "", " ", "\t", "  \t ", "\r" };
                lines << GenLine { g.pick(emptyish), g.chance(0.5) ? "\n" : "\r\n", std::nullopt };
            }
            break;
        case Kind::InvalidUtf8:
            if (damage) {
                // Bytes that do not decode cost the name, never the fields after it; not even a
                // sequence cut short right before the closing quote.
                if (g.chance(0.5) && g.insertIntoName(line, g.invalidUtf8(), g.chance(0.5))) {
                    line.expect->name.reset();
                } else {
                    g.insertAt(line.content, g.invalidUtf8());
                    line.expect.reset();
                }
            }
            break;
        case Kind::HugeNames:
            if (g.chance(kind == Kind::HugeNames ? 0.5 : 0.03)) {
                const int size = g.chance(0.2) ? 100 * 1024 : g.between(1024, 100 * 1024);
                const QString chunk = g.name(12) + QStringLiteral("Anna");
                QString huge = chunk.repeated(size / int(chunk.toUtf8().size()) + 1);
                line = g.record(huge);
                if (damage) {
                    // No closing quote anywhere on a very long line.
                    line.content = '"' + huge.toUtf8();
                    line.expect.reset();
                }
            }
            break;
        }
        lines << line;
    }
    if (!lines.isEmpty() && g.chance(0.25))
        lines.last().terminator = "";
    if (kind == Kind::Truncated && !lines.isEmpty() && g.chance(0.5)) {
        // The file cut off in the middle of a line, perhaps between its CR and its LF.
        const int last = g.between(0, int(lines.size()) - 1);
        lines.resize(last + 1);
        GenLine &cut = lines.last();
        cut.content.truncate(g.between(0, int(cut.content.size())));
        if (g.chance(0.3))
            cut.content += '\r';
        cut.terminator = "";
        cut.expect.reset();
    }
    return lines;
}

QByteArray bytesOf(const QList<GenLine> &lines)
{
    QByteArray bytes;
    for (const GenLine &line : lines)
        bytes += line.content + line.terminator;
    return bytes;
}

// One line of a file, cut the plain way: LF, CR LF and a bare CR each end a line.
struct FileLine
{
    QByteArray content; // as the reader sees it: without the byte order mark opening the file
    QByteArray terminator;
    qsizetype start = 0; // where its bytes begin in the file, the mark included
    qsizetype next = 0; // where the next line begins
};

QList<FileLine> fileLines(const QByteArray &bytes)
{
    const qsizetype bom = bytes.startsWith(ByteOrderMark) ? ByteOrderMark.size() : 0;
    QList<FileLine> lines;
    qsizetype from = bom;
    auto add = [&](qsizetype end, qsizetype next) {
        lines << FileLine { bytes.mid(from, end - from), bytes.mid(end, next - end),
                            lines.isEmpty() ? 0 : from, next };
        from = next;
    };
    for (qsizetype i = bom; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r') {
            add(i,
                bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? i + 2 : i + 1);
            i = from - 1;
        }
    }
    if (from < bytes.size())
        add(bytes.size(), bytes.size());
    return lines;
}

// The generated line a file line is all of, if it is all of one.
const GenLine *generatedAs(const QList<GenLine> &generated, const FileLine &line)
{
    qsizetype start = 0;
    for (const GenLine &g : generated) {
        const qsizetype next = start + g.content.size() + g.terminator.size();
        if (start == line.start && next == line.next)
            return &g;
        start = next;
    }
    return nullptr;
}

// A line is a record unless it holds nothing but blanks (the decoder drops a byte order mark
// that opens it) or is too long to be anything but damaged.
bool isRecordLine(const QByteArray &content)
{
    if (content.size() > SavedMembersFile::MaxLineBytes)
        return false;
    const QByteArray text = content.startsWith(ByteOrderMark) ? content.mid(3) : content;
    return !std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The file without the lines of the records at the given positions, every other byte kept.
QByteArray withoutRecords(const QByteArray &bytes, const QList<int> &positions)
{
    QByteArray kept = bytes.startsWith(ByteOrderMark) ? ByteOrderMark : QByteArray();
    int record = 0;
    for (const FileLine &line : fileLines(bytes)) {
        if (!isRecordLine(line.content) || !positions.contains(record++))
            kept += line.content + line.terminator;
    }
    return kept;
}

QString shown(QByteArrayView bytes)
{
    QString text;
    for (const char c : bytes.first(std::min<qsizetype>(bytes.size(), 100))) {
        const uchar u = uchar(c);
        text += u >= 0x20 && u < 0x7F && c != '\\'
            ? QString(QLatin1Char(c))
            : QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    if (bytes.size() > 100)
        text += QStringLiteral("...(%1 bytes)").arg(bytes.size());
    return text;
}

QString shown(const QString &text)
{
    return shown(QByteArrayView(text.toUtf8()));
}

QString shown(const Record &r)
{
    return QStringLiteral("(%1 | %2 | %3)").arg(shown(r.name), shown(r.dob), shown(r.color));
}

bool same(const Record &a, const Record &b)
{
    return a.name == b.name && a.dob == b.dob && a.color == b.color;
}

bool sameRecords(const QList<Record> &a, const QList<Record> &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same);
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                  | QDir::System);
}

struct Findings
{
    int count = 0;
    QStringList examples;

    void add(const QString &what)
    {
        if (++count <= 5)
            examples << what;
    }
};

// Totals over the whole run, for the closing summary.
struct Totals
{
    qint64 files = 0;
    qint64 lines = 0;
    qint64 fieldsChecked = 0;
    qint64 onDisk = 0;
    qint64 findings = 0;
} totals;

} // namespace

class tst_faults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void damagedFiles_data();
    void damagedFiles();
    void removalInterrupted_data();
    void removalInterrupted();
    void saveCannotTakeFile_data();
    void saveCannotTakeFile();
    void linksAndPermissions_data();
    void linksAndPermissions();
    void createdPrivate_data();
    void createdPrivate();
    void specialFiles_data();
    void specialFiles();
    void lineLimit_data();
    void lineLimit();
    void lineLimitOnSave();
    void readPieceBoundaries_data();
    void readPieceBoundaries();
    void hundredMegabyteLine();
    void changedSinceListing_data();
    void changedSinceListing();
};

void tst_faults::initTestCase()
{
    // The injected functions must really stand in front of the C library's, or every case
    // below passes without testing anything.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const SavedMembersFile file(dir.filePath(QStringLiteral("Vantrel")));
    QVERIFY(file.Append(QStringLiteral("Anna"), QDate(1990, 5, 17), 444415));
    Injected::renameCalls = 0;
    QCOMPARE(file.RemovePositions({ 0 }, file.Read()), SavedMembersFile::Outcome::Done);
    QCOMPARE(Injected::renameCalls, 1);
    Injected::writeRefusals = 0;
    Injected::writeBudget = 0;
    const bool appended = file.Append(QStringLiteral("Bob"), QDate(1975, 11, 30), 0);
    Injected::disarm();
    QVERIFY(!appended);
    QVERIFY(Injected::writeRefusals > 0);
}

void tst_faults::cleanupTestCase()
{
    qInfo("seed %#x: %lld files (%lld lines, %lld fields checked), %lld of them also on disk "
          "through Records, Append and RemovePositions; %lld findings",
          Seed, totals.files, totals.lines, totals.fieldsChecked, totals.onDisk, totals.findings);
}

void tst_faults::init()
{
    Injected::disarm();
}

// ---------------------------------------------------------------------------------------------

void tst_faults::damagedFiles_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("files");

    // 20,000 files in all.
    QTest::newRow("random bytes") << int(Kind::RandomBytes) << 4000;
    QTest::newRow("random lines among records") << int(Kind::RandomLines) << 2000;
    QTest::newRow("truncated records") << int(Kind::Truncated) << 2500;
    QTest::newRow("unbalanced quotes") << int(Kind::Quotes) << 2500;
    QTest::newRow("NUL bytes") << int(Kind::Nul) << 2000;
    QTest::newRow("CR without LF") << int(Kind::CarriageReturn) << 2000;
    QTest::newRow("CR LF, LF, blank lines") << int(Kind::LineBreaks) << 2000;
    QTest::newRow("invalid UTF-8") << int(Kind::InvalidUtf8) << 1500;
    QTest::newRow("huge names") << int(Kind::HugeNames) << 1000;
    QTest::newRow("everything at once") << int(Kind::Everything) << 500;
}

void tst_faults::damagedFiles()
{
    QFETCH(int, kind);
    QFETCH(int, files);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vantrel"));

    Generator g(Seed + quint32(kind));
    Findings findings;
    qint64 slowestNs = 0;
    qint64 lineCount = 0;
    qint64 fieldsChecked = 0;
    int onDisk = 0;
    QElapsedTimer row;
    row.start();

    for (int f = 0; f < files; ++f) {
        const QList<GenLine> lines = generate(Kind(kind), g);
        const QByteArray bytes = bytesOf(lines);
        lineCount += lines.size();

        QElapsedTimer one;
        one.start();
        const QList<Record> records = SavedMembersFile::Parse(bytes);
        slowestNs = std::max(slowestNs, one.nsecsElapsed());

        // One record per line that is not blank or damaged by its length, whatever it holds.
        QList<const GenLine *> recordLine; // record index -> the line it was generated as
        const QList<FileLine> inFile = fileLines(bytes);
        for (const FileLine &line : inFile) {
            if (isRecordLine(line.content))
                recordLine << generatedAs(lines, line);
        }
        if (records.size() != recordLine.size()) {
            findings.add(QStringLiteral("file %1: %2 records from %3 lines that are not blank: %4")
                             .arg(f)
                             .arg(records.size())
                             .arg(recordLine.size())
                             .arg(shown(QByteArrayView(bytes))));
            continue;
        }
        for (qsizetype r = 0; r < records.size(); ++r) {
            const GenLine *line = recordLine[r];
            if (!line || !line->expect)
                continue;
            const Record &got = records[r];
            const Expect &e = *line->expect;
            const bool ok = (!e.name || *e.name == got.name) && (!e.dob || *e.dob == got.dob)
                && (!e.color || *e.color == got.color);
            fieldsChecked
                += int(e.name.has_value()) + int(e.dob.has_value()) + int(e.color.has_value());
            if (!ok) {
                findings.add(QStringLiteral("file %1, record %2: got %3 from line \"%4\"")
                                 .arg(f)
                                 .arg(r)
                                 .arg(shown(got), shown(QByteArrayView(line->content))));
            }
        }

        if (f % 25 != 0)
            continue;
        // Now and then the same bytes as a real file, through every operation on it.
        ++onDisk;
        QVERIFY(writeFile(path, bytes));
        const SavedMembersFile file(path);
        if (!sameRecords(file.Records(), records))
            findings.add(QStringLiteral("file %1: Records() differs from Parse()").arg(f));

        for (qsizetype r = 0; r < records.size(); ++r) {
            // The chart converts whatever the fields hold; that must never go wrong.
            const std::optional<QDate> date = SavedMembersFile::DateFromText(records[r].dob);
            const std::optional<qint32> colour = SavedMembersFile::ColorFromText(records[r].color);
            const GenLine *line = recordLine[r];
            if (line && line->expect && line->expect->date && line->expect->dob
                && (date != line->expect->date || colour != line->expect->colour)) {
                findings.add(QStringLiteral("file %1, record %2: %3 converts to %4, %5")
                                 .arg(f)
                                 .arg(r)
                                 .arg(shown(records[r]),
                                      date ? date->toString(Qt::ISODate) : QStringLiteral("-"),
                                      colour ? QString::number(*colour) : QStringLiteral("-")));
            }
        }

        const GenLine added = g.record();
        QList<Record> expected = records;
        expected << Record { *added.expect->name, *added.expect->dob, *added.expect->color };
        if (!file.Append(*added.expect->name, *added.expect->date, *added.expect->colour))
            findings.add(QStringLiteral("file %1: Append failed").arg(f));
        else if (!sameRecords(file.Records(), expected))
            findings.add(QStringLiteral("file %1: after Append the records are not the old ones "
                                        "plus the new one: %2")
                             .arg(f)
                             .arg(shown(QByteArrayView(contentsOf(path)))));

        const QList<Record> beforeRemoval = file.Records();
        const QByteArray appended = contentsOf(path);
        QList<int> positions;
        QList<Record> kept;
        for (int r = 0; r < beforeRemoval.size(); ++r) {
            if (g.chance(0.3))
                positions << r;
            else
                kept << beforeRemoval[r];
        }
        const QStringList entries = entriesOf(dir.path());
        if (file.RemovePositions(positions, file.Read()) != SavedMembersFile::Outcome::Done) {
            findings.add(QStringLiteral("file %1: RemovePositions failed").arg(f));
        } else {
            const QByteArray after = contentsOf(path);
            if (!sameRecords(file.Records(), kept))
                findings.add(QStringLiteral("file %1: removing %2 left other records: %3")
                                 .arg(f)
                                 .arg(positions.size())
                                 .arg(shown(QByteArrayView(after))));
            // Nothing changes but the lines of the removed records.
            if (after != withoutRecords(appended, positions))
                findings.add(
                    QStringLiteral("file %1: removing %2 changed other bytes: %3 became %4")
                        .arg(f)
                        .arg(positions.size())
                        .arg(shown(QByteArrayView(appended)), shown(QByteArrayView(after))));
        }
        if (entriesOf(dir.path()) != entries)
            findings.add(QStringLiteral("file %1: the removal left files behind").arg(f));
    }

    const qint64 ms = row.elapsed();
    qInfo(
        "%s: %d files, %lld lines, %lld fields checked, %d on disk; %lld ms, slowest read %.1f ms; "
        "%d findings",
        QTest::currentDataTag(), files, lineCount, fieldsChecked, onDisk, ms,
        double(slowestNs) / 1e6, findings.count);
    totals.files += files;
    totals.lines += lineCount;
    totals.fieldsChecked += fieldsChecked;
    totals.onDisk += onDisk;
    totals.findings += findings.count;

    QVERIFY2(findings.count == 0, qPrintable(findings.examples.join(QLatin1Char('\n'))));
    // Reading is linear in the file's size; a read that takes a second has gone wrong somewhere.
    QVERIFY2(slowestNs < 1000000000, qPrintable(QStringLiteral("%1 ms").arg(slowestNs / 1000000)));
}

// ---------------------------------------------------------------------------------------------

namespace {

enum class Obstacle {
    None,
    TempIsFile,
    TempIsHardLink,
    TempIsFifo,
    TempIsFolderWithFiles,
    TempIsLinkToFile,
    TempIsDanglingLink,
    DiskFull,
    WriteStops,
    RenameCrossDevice,
    RenameRefused,
    SavedFileMissing,
    SavedFileIsFolder,
    SavedFileIsFifo,
    SavedFileIsDevice
};

QString fileState(const QString &name, int links, int mode, const QByteArray &bytes)
{
    return QStringLiteral("%1: %2 links, mode %3, %4")
        .arg(name)
        .arg(links)
        .arg(mode, 0, 8)
        .arg(shown(QByteArrayView(bytes)));
}

// Every entry of a folder as it stands: its kind and what it holds or points to.
QStringList stateOf(const QString &folder)
{
    QStringList state;
    for (const QString &name : entriesOf(folder)) {
        const QString path = folder + QLatin1Char('/') + name;
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
            state << name + QStringLiteral(": gone");
        } else if (S_ISLNK(info.st_mode)) {
            state << name + QStringLiteral(" -> ") + QFile::symLinkTarget(path);
        } else if (S_ISDIR(info.st_mode)) {
            state << name + QStringLiteral("/ {") + stateOf(path).join(QStringLiteral(", "))
                    + QLatin1Char('}');
        } else if (S_ISREG(info.st_mode)) {
            state << fileState(name, int(info.st_nlink), int(info.st_mode & 07777),
                               contentsOf(path));
        } else {
            state << QStringLiteral("%1: special %2").arg(name).arg(info.st_mode, 0, 8);
        }
    }
    return state;
}

// Stops the program with a message if something waits on a FIFO or reads a device forever.
class HangGuard
{
public:
    explicit HangGuard(unsigned seconds = 60) { ::alarm(seconds); }
    ~HangGuard() { ::alarm(0); }
};

const QByteArray TwoRecords
    = SavedMembersFile::RecordLine(QStringLiteral("Anna"), QDate(1990, 5, 17), 444415)
    + SavedMembersFile::RecordLine(QStringLiteral("Bob"), QDate(1975, 11, 30), 65280);

} // namespace

void tst_faults::removalInterrupted_data()
{
    QTest::addColumn<int>("obstacle");
    QTest::addColumn<QByteArray>("before");

    const QByteArray records = TwoRecords
        + SavedMembersFile::RecordLine(QStringLiteral("Zoë 山田"), QDate(100, 1, 1), -1);
    // Whatever a removal does, it must not tidy any of this up.
    static const char tail[] = "\"Cy\0\",\"2001-02-03\",\"255\"\r\"Di\"";
    const QByteArray untidy = ByteOrderMark
        + "\"Anna\",\"1990-05-17\",\"444415\"\n\n  \r\n"
          "\"Bo\xFF"
          "b\",\"1975\r\n\"unclosed,\"x\"\n"
        + QByteArray(tail, sizeof tail - 1);

    const struct
    {
        const char *name;
        Obstacle obstacle;
    } obstacles[] = {
        { "nothing in the way", Obstacle::None },
        { "a file of the user's at temp", Obstacle::TempIsFile },
        { "a hard link at temp", Obstacle::TempIsHardLink },
        { "a FIFO at temp", Obstacle::TempIsFifo },
        { "a folder with files at temp", Obstacle::TempIsFolderWithFiles },
        { "a link to a letter at temp", Obstacle::TempIsLinkToFile },
        { "a dangling link at temp", Obstacle::TempIsDanglingLink },
        { "full disk", Obstacle::DiskFull },
        { "new file stops part-way", Obstacle::WriteStops },
        { "rename across devices", Obstacle::RenameCrossDevice },
        { "rename refused", Obstacle::RenameRefused },
        { "saved file missing", Obstacle::SavedFileMissing },
        { "saved file is a folder", Obstacle::SavedFileIsFolder },
        { "saved file is a FIFO", Obstacle::SavedFileIsFifo },
        { "saved file is a link to /dev/zero", Obstacle::SavedFileIsDevice },
    };
    for (const auto &o : obstacles) {
        QTest::addRow("%s, records", o.name) << int(o.obstacle) << records;
        if (o.obstacle >= Obstacle::SavedFileMissing)
            continue;
        QTest::addRow("%s, untidy file", o.name) << int(o.obstacle) << untidy;
        // Nothing is left to write, so only the rename can fail.
        if (o.obstacle != Obstacle::DiskFull && o.obstacle != Obstacle::WriteStops)
            QTest::addRow("%s, 0 bytes", o.name) << int(o.obstacle) << QByteArray("");
    }
}

void tst_faults::removalInterrupted()
{
    QFETCH(int, obstacle);
    QFETCH(QByteArray, before);
    const Obstacle in = Obstacle(obstacle);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vantrel"));
    const QByteArray temp = QFile::encodeName(dir.filePath(QStringLiteral("temp")));
    const QString letter = dir.filePath(QStringLiteral("letter.txt"));
    const SavedMembersFile file(path);

    QVERIFY(writeFile(letter, "Dear Anna,\n"));
    switch (in) {
    case Obstacle::SavedFileMissing:
        break;
    case Obstacle::SavedFileIsFolder:
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeFile(path + QStringLiteral("/inside"), before));
        break;
    case Obstacle::SavedFileIsFifo:
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        break;
    case Obstacle::SavedFileIsDevice:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        break;
    default:
        QVERIFY(writeFile(path, before));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0644), 0);
        break;
    }
    switch (in) {
    case Obstacle::TempIsFile:
        QVERIFY(writeFile(QFile::decodeName(temp), "my own notes"));
        break;
    case Obstacle::TempIsHardLink:
        QCOMPARE(::link(QFile::encodeName(letter).constData(), temp.constData()), 0);
        break;
    case Obstacle::TempIsFifo:
        QCOMPARE(::mkfifo(temp.constData(), 0600), 0);
        break;
    case Obstacle::TempIsFolderWithFiles:
        QVERIFY(QDir().mkpath(QFile::decodeName(temp) + QStringLiteral("/sub")));
        QVERIFY(writeFile(QFile::decodeName(temp) + QStringLiteral("/notes"), "keep me"));
        break;
    case Obstacle::TempIsLinkToFile:
        QVERIFY(QFile::link(letter, QFile::decodeName(temp)));
        break;
    case Obstacle::TempIsDanglingLink:
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere/temp")), QFile::decodeName(temp)));
        break;
    default:
        break;
    }
    const QStringList state = stateOf(dir.path());
    HangGuard guard;
    const std::optional<SavedMembersFile::Fingerprint> listed = file.Read();
    QCOMPARE(listed.has_value(), in < Obstacle::SavedFileMissing);

    switch (in) {
    case Obstacle::DiskFull:
        Injected::writeBudget = 0;
        break;
    case Obstacle::WriteStops:
        Injected::writeBudget = before.size() / 3;
        break;
    case Obstacle::RenameCrossDevice:
        Injected::renameErrno = EXDEV;
        break;
    case Obstacle::RenameRefused:
        Injected::renameErrno = EACCES;
        break;
    default:
        break;
    }
    Injected::renameCalls = 0;
    Injected::writeRefusals = 0;
    // A file of 0 bytes has no record to remove, but is rewritten all the same.
    const QList<int> removed = before.isEmpty() ? QList<int>() : QList<int> { 0 };
    const SavedMembersFile::Outcome outcome = file.RemovePositions(removed, listed);
    Injected::disarm();

    // Nothing at temp stands in the way, and nothing there is touched.
    if (in <= Obstacle::TempIsDanglingLink) {
        QCOMPARE(outcome, SavedMembersFile::Outcome::Done);
        QCOMPARE(Injected::renameCalls, 1);
        QCOMPARE(contentsOf(path), withoutRecords(before, removed));
        // The same file, bar the removed record: its links and permission bits too.
        QStringList expected = state;
        expected.replace(
            expected.indexOf(fileState(QStringLiteral("Vantrel"), 1, 0644, before)),
            fileState(QStringLiteral("Vantrel"), 1, 0644, withoutRecords(before, removed)));
        QCOMPARE(stateOf(dir.path()), expected);
        return;
    }
    QCOMPARE(outcome, SavedMembersFile::Outcome::Failed);
    // The fault must really have been met on the way.
    const bool atRename = in == Obstacle::RenameCrossDevice || in == Obstacle::RenameRefused;
    QCOMPARE(Injected::renameCalls, atRename ? 1 : 0);
    if (in == Obstacle::DiskFull || in == Obstacle::WriteStops)
        QVERIFY(Injected::writeRefusals > 0);
    // Nothing new in the folder, nothing gone, nothing changed.
    QCOMPARE(stateOf(dir.path()), state);
}

// ---------------------------------------------------------------------------------------------

namespace {

enum class SaveObstacle {
    FolderMissing,
    PathIsFolder,
    ParentIsFile,
    LinkIntoMissingFolder,
    FullDisk,
    WriteStops,
    DiskFullForAMoment
};

} // namespace

void tst_faults::saveCannotTakeFile_data()
{
    QTest::addColumn<int>("obstacle");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("name");

    const QByteArray records
        = SavedMembersFile::RecordLine(QStringLiteral("Anna"), QDate(1990, 5, 17), 444415)
        + SavedMembersFile::RecordLine(QStringLiteral("Bob"), QDate(1975, 11, 30), 65280);
    const QString anna = QStringLiteral("Anna");
    // As long as a record may be.
    const QString huge = QStringLiteral("Anna ").repeated(13000);

    QTest::newRow("folder missing") << int(SaveObstacle::FolderMissing) << QByteArray() << anna;
    QTest::newRow("path is a folder") << int(SaveObstacle::PathIsFolder) << records << anna;
    QTest::newRow("folder is a file") << int(SaveObstacle::ParentIsFile) << records << anna;
    QTest::newRow("link into a missing folder")
        << int(SaveObstacle::LinkIntoMissingFolder) << QByteArray() << anna;
    QTest::newRow("full disk") << int(SaveObstacle::FullDisk) << QByteArray() << anna;
    for (const auto &[tag, obstacle] :
         { std::pair { "write stops part-way", SaveObstacle::WriteStops },
           std::pair { "disk full for a moment", SaveObstacle::DiskFullForAMoment } }) {
        QTest::addRow("%s, records", tag) << int(obstacle) << records << anna;
        // The line break the last line lacked goes first, and must go again.
        QTest::addRow("%s, no final line break", tag)
            << int(obstacle) << records.chopped(2) << anna;
        QTest::addRow("%s, 0 bytes", tag) << int(obstacle) << QByteArray("") << anna;
        QTest::addRow("%s, huge name", tag) << int(obstacle) << records << huge;
    }
}

void tst_faults::saveCannotTakeFile()
{
    QFETCH(int, obstacle);
    QFETCH(QByteArray, before);
    QFETCH(QString, name);
    const SaveObstacle in = SaveObstacle(obstacle);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(QStringLiteral("Vantrel"));
    QString watched = path; // the file whose bytes must stay as they were
    const QByteArray line = SavedMembersFile::RecordLine(name, QDate(1990, 5, 17), 444415);

    switch (in) {
    case SaveObstacle::FolderMissing:
        path = dir.filePath(QStringLiteral("missing/Vantrel"));
        break;
    case SaveObstacle::PathIsFolder:
        QVERIFY(QDir().mkpath(path));
        watched = path + QStringLiteral("/inside");
        QVERIFY(writeFile(watched, before));
        break;
    case SaveObstacle::ParentIsFile:
        QVERIFY(writeFile(path, before));
        path += QStringLiteral("/Vantrel");
        break;
    case SaveObstacle::LinkIntoMissingFolder:
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("missing/Vantrel")), path));
        break;
    case SaveObstacle::FullDisk:
        if (!QFileInfo(QStringLiteral("/dev/full")).exists())
            QSKIP("no /dev/full here");
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), path));
        break;
    case SaveObstacle::WriteStops:
    case SaveObstacle::DiskFullForAMoment:
        QVERIFY(writeFile(path, before));
        Injected::writeBudget = line.size() / 2;
        Injected::diskFullForAMoment = in == SaveObstacle::DiskFullForAMoment;
        break;
    }
    const QStringList entries = entriesOf(dir.path());

    Injected::writeRefusals = 0;
    const bool appended = SavedMembersFile(path).Append(name, QDate(1990, 5, 17), 444415);
    Injected::disarm();

    QVERIFY(!appended);
    if (in == SaveObstacle::WriteStops || in == SaveObstacle::DiskFullForAMoment)
        QVERIFY(Injected::writeRefusals > 0);
    QCOMPARE(entriesOf(dir.path()), entries);
    if (!before.isNull())
        QCOMPARE(contentsOf(watched), before);
    if (in == SaveObstacle::FullDisk)
        QCOMPARE(QFileInfo(path).symLinkTarget(), QStringLiteral("/dev/full"));
}

// ---------------------------------------------------------------------------------------------

namespace {

// What a link says, as it says it: a relative link stays relative.
QByteArray linkTextOf(const QString &path)
{
    char text[4096];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), text, sizeof text);
    return size < 0 ? QByteArray() : QByteArray(text, size);
}

} // namespace

void tst_faults::linksAndPermissions_data()
{
    QTest::addColumn<QString>("layout"); // how the name leads to the file
    QTest::addColumn<int>("mode");

    for (const char *layout : { "plain file", "link", "relative link", "link to a link" }) {
        for (int mode : { 0600, 0640, 0604 })
            QTest::addRow("%s, mode %o", layout, mode) << QString::fromLatin1(layout) << mode;
    }
}

void tst_faults::linksAndPermissions()
{
    QFETCH(QString, layout);
    QFETCH(int, mode);

    // The saved file may be a link into a synced folder: a removal must keep feeding it.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("program"))));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("synced"))));
    const QString path = dir.filePath(QStringLiteral("program/Vantrel"));
    const QString target = layout == QLatin1String("plain file")
        ? path
        : dir.filePath(QStringLiteral("synced/people"));
    QVERIFY(writeFile(target, TwoRecords));
    QCOMPARE(::chmod(QFile::encodeName(target).constData(), mode_t(mode)), 0);
    QString linkText;
    if (layout == QLatin1String("link")) {
        linkText = target;
    } else if (layout == QLatin1String("relative link")) {
        linkText = QStringLiteral("../synced/people");
    } else if (layout == QLatin1String("link to a link")) {
        linkText = dir.filePath(QStringLiteral("synced/current"));
        QVERIFY(QFile::link(target, linkText));
    }
    if (!linkText.isEmpty())
        QCOMPARE(
            ::symlink(QFile::encodeName(linkText).constData(), QFile::encodeName(path).constData()),
            0);
    const QStringList program = entriesOf(dir.filePath(QStringLiteral("program")));
    const QStringList synced = entriesOf(dir.filePath(QStringLiteral("synced")));

    const SavedMembersFile file(path);
    QCOMPARE(file.RemovePositions({ 0 }, file.Read()), SavedMembersFile::Outcome::Done);
    QVERIFY(file.Append(QStringLiteral("Cy"), QDate(2001, 2, 3), 255));

    const QByteArray expected = TwoRecords.mid(TwoRecords.indexOf('\n') + 1)
        + SavedMembersFile::RecordLine(QStringLiteral("Cy"), QDate(2001, 2, 3), 255);
    QCOMPARE(contentsOf(target), expected);
    QCOMPARE(QFileInfo(path).isSymLink(), !linkText.isEmpty());
    if (!linkText.isEmpty())
        QCOMPARE(linkTextOf(path), QFile::encodeName(linkText));
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), mode);
    QCOMPARE(entriesOf(dir.filePath(QStringLiteral("program"))), program);
    QCOMPARE(entriesOf(dir.filePath(QStringLiteral("synced"))), synced);
}

void tst_faults::createdPrivate_data()
{
    QTest::addColumn<bool>("bySave"); // false: created empty when the window loads
    QTest::addColumn<int>("umask");

    for (int mask : { 022, 0, 077 }) {
        QTest::addRow("on load, umask %03o", mask) << false << mask;
        QTest::addRow("by a save, umask %03o", mask) << true << mask;
    }
}

void tst_faults::createdPrivate()
{
    QFETCH(bool, bySave);
    QFETCH(int, umask);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vantrel"));
    const mode_t old = ::umask(mode_t(umask));
    const SavedMembersFile file(path);
    Injected::folderSyncs = 0;
    if (bySave)
        QVERIFY(file.Append(QStringLiteral("Anna"), QDate(1990, 5, 17), 444415));
    else
        QVERIFY(file.EnsureExists());
    ::umask(old);
    // The new name synced into its folder before anyone is told it is there.
    QVERIFY(Injected::folderSyncs > 0);
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
    // Names and birth dates: for the user's eyes only, whatever the umask allows.
    QCOMPARE(int(info.st_mode & 07777), 0600);
    QCOMPARE(contentsOf(path),
             bySave
                 ? SavedMembersFile::RecordLine(QStringLiteral("Anna"), QDate(1990, 5, 17), 444415)
                 : QByteArray());
}

void tst_faults::specialFiles_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind :
         { "FIFO", "link to a FIFO", "link to /dev/zero", "folder", "socket", "dangling link" })
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void tst_faults::specialFiles()
{
    QFETCH(QString, kind);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vantrel"));
    const QByteArray native = QFile::encodeName(path);
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
    if (kind == QLatin1String("FIFO")) {
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    } else if (kind == QLatin1String("link to a FIFO")) {
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QCOMPARE(::symlink(fifo.constData(), native.constData()), 0);
    } else if (kind == QLatin1String("link to /dev/zero")) {
        QCOMPARE(::symlink("/dev/zero", native.constData()), 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("socket")) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(native.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
    } else {
        QCOMPARE(::symlink(QFile::encodeName(dir.filePath(QStringLiteral("gone"))).constData(),
                           native.constData()),
                 0);
    }
    const QStringList state = stateOf(dir.path());

    // None of these may hang the program, fill its memory, or be replaced by a file.
    HangGuard guard(20);
    const SavedMembersFile file(path);
    file.EnsureExists();
    QVERIFY(!file.Read());
    QVERIFY(file.Records().isEmpty());
    QVERIFY(!file.RecordsAt({ 0 }, SavedMembersFile::Fingerprint {}));
    // A file that is not there may have been removed since it was listed: that is a change.
    QCOMPARE(file.RemovePositions({ 0 }, SavedMembersFile::Fingerprint {}),
             kind == QLatin1String("dangling link") ? SavedMembersFile::Outcome::Changed
                                                    : SavedMembersFile::Outcome::Failed);
    QCOMPARE(file.RemovePositions({}, std::nullopt), SavedMembersFile::Outcome::Failed);
    if (kind == QLatin1String("dangling link")) {
        // A save may create the file the link was made for; only that.
        QVERIFY(file.Append(QStringLiteral("Anna"), QDate(1990, 5, 17), 444415));
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(file.Names(), QStringList { QStringLiteral("Anna") });
        return;
    }
    QVERIFY(!file.Append(QStringLiteral("Anna"), QDate(1990, 5, 17), 444415));
    QCOMPARE(stateOf(dir.path()), state);
}

namespace {

// The names read from the bytes, in one piece and from a file, and the file after a removal.
void readAndRemove(const QByteArray &bytes, const QStringList &names, const QList<int> &removed,
                   const QByteArray &after)
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vantrel"));
    QVERIFY(writeFile(path, bytes));
    const SavedMembersFile file(path);
    QStringList parsed;
    for (const Record &record : SavedMembersFile::Parse(bytes))
        parsed << record.name;
    QCOMPARE(parsed, names);
    QCOMPARE(file.Names(), names);
    QCOMPARE(file.RemovePositions(removed, file.Read()), SavedMembersFile::Outcome::Done);
    QCOMPARE(contentsOf(path), after);
}

} // namespace

void tst_faults::lineLimit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("removed");
    QTest::addColumn<QByteArray>("after");

    const QByteArray anna = SavedMembersFile::RecordLine(QStringLiteral("Anna"), QDate(), 1);
    const QByteArray bob = SavedMembersFile::RecordLine(QStringLiteral("Bob"), QDate(), 2);
    // A record line of exactly the given length, line end not counted.
    auto lineOf = [](qsizetype length) { return '"' + QByteArray(length - 2, 'x') + "\""; };
    const qsizetype limit = SavedMembersFile::MaxLineBytes;
    const QString longest = QString(limit - 2, QLatin1Char('x'));
    const QStringList annaBob { QStringLiteral("Anna"), QStringLiteral("Bob") };

    QTest::newRow("at the limit") << anna + lineOf(limit) + "\r\n"
            + bob << QStringList { QStringLiteral("Anna"), longest, QStringLiteral("Bob") }
                                  << QList<int> { 1 } << anna + bob;
    const QByteArray over = lineOf(limit + 1);
    QTest::newRow("one byte over")
        << anna + over + "\r\n" + bob << annaBob << QList<int> { 0, 1 } << over + "\r\n";
    QTest::newRow("over, bare CR ends")
        << anna + over + "\r" + bob << annaBob << QList<int> { 1 } << anna + over + "\r";
    QTest::newRow("over, last line without a break")
        << anna + bob + over << annaBob << QList<int> { 0 } << bob + over;
    QTest::newRow("over, without quotes or commas")
        << QByteArray(limit * 3, 'y') + "\n" + anna << QStringList { QStringLiteral("Anna") }
        << QList<int> { 0 } << QByteArray(limit * 3, 'y') + "\n";
    QTest::newRow("byte order mark before a line at the limit")
        << ByteOrderMark + lineOf(limit) + "\n" + bob
        << QStringList { longest, QStringLiteral("Bob") } << QList<int> { 0 }
        << ByteOrderMark + bob;
    QTest::newRow("byte order mark before a line over it")
        << ByteOrderMark + over + "\n" + bob << QStringList { QStringLiteral("Bob") }
        << QList<int> { 0 } << ByteOrderMark + over + "\n";
}

void tst_faults::lineLimit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, removed);
    QFETCH(QByteArray, after);

    readAndRemove(bytes, names, removed, after);
}

void tst_faults::lineLimitOnSave()
{
    // A record the reader would take for damaged must not be saved: it would be lost at once.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vantrel"));
    QVERIFY(writeFile(path, TwoRecords));
    const SavedMembersFile file(path);
    const QDate dob(1990, 5, 17);
    const qsizetype room = SavedMembersFile::MaxLineBytes
        - (SavedMembersFile::RecordLine(QString(), dob, 444415).size() - 2);
    // Four bytes a character in the file, one character for the name box.
    const QString emoji = QStringLiteral("😀");
    QVERIFY(!file.Append(emoji.repeated(room / 4 + 1), dob, 444415));
    QCOMPARE(contentsOf(path), TwoRecords);
    const QString longest = emoji.repeated(room / 4) + QString(room % 4, QLatin1Char('x'));
    QVERIFY(file.Append(longest, dob, 444415));
    QCOMPARE(file.Names().value(2), longest);
}

void tst_faults::readPieceBoundaries_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<int>("shift"); // where the line end sits against each 4 KiB boundary

    for (const char *end : { "\r\n", "\r", "\n" }) {
        for (int shift : { -2, -1, 0, 1 })
            QTest::addRow("%s at %+d",
                          end[1]               ? "CR LF"
                              : end[0] == '\r' ? "CR"
                                               : "LF",
                          shift)
                << QByteArray(end) << shift;
    }
}

void tst_faults::readPieceBoundaries()
{
    QFETCH(QByteArray, lineEnd);
    QFETCH(int, shift);

    // Whatever the size of the pieces the file is read in (a power of two from 4 KiB to
    // 1 MiB), a line end falls across their boundaries here, over and over: a reading that
    // loses track there joins, splits or drops records.
    QByteArray bytes = ByteOrderMark;
    QStringList names;
    const qsizetype boundary = 4096;
    while (bytes.size() < 3 * 1024 * 1024) {
        const qsizetype nextBoundary = (bytes.size() / boundary + 1) * boundary;
        const QString name = QStringLiteral("P%1").arg(names.size());
        const QByteArray head = "\"" + name.toUtf8() + "\",\"1990-05-17\",\"";
        qsizetype pad = nextBoundary + shift - bytes.size() - head.size() - 1;
        if (pad < 1)
            pad += boundary;
        names << name;
        bytes += head + QByteArray(pad, '7') + "\"" + lineEnd;
        // A short line and a blank one between them, so not every line is the same length.
        names << name + QStringLiteral("b");
        bytes += "\"" + name.toUtf8() + "b\"" + lineEnd + " " + lineEnd;
    }
    const QList<int> removed { 0, 3, int(names.size()) / 2, int(names.size()) - 1 };
    readAndRemove(bytes, names, removed, withoutRecords(bytes, removed));
}

namespace {

// Peak resident memory of this process so far, in KiB.
long peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

void tst_faults::hundredMegabyteLine()
{
    // Written in pieces and checked by digest: the test itself never holds the line either.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vantrel"));
    const QByteArray piece = QByteArray("\"Anna ").repeated(1024 * 1024 / 6);
    const int pieces = 100;
    QCryptographicHash hugeLine(QCryptographicHash::Sha256);
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(TwoRecords), TwoRecords.size());
        for (int i = 0; i < pieces; ++i) {
            QCOMPARE(out.write(piece), piece.size());
            hugeLine.addData(piece);
        }
        QCOMPARE(out.write("\r\n"), 2);
        hugeLine.addData("\r\n");
        QCOMPARE(out.write(TwoRecords), TwoRecords.size());
    }
    const long before = peakMemoryKiB();
    const SavedMembersFile file(path);
    const QStringList annaBob { QStringLiteral("Anna"), QStringLiteral("Bob") };
    QCOMPARE(file.Names(), annaBob + annaBob);
    // Remove the Anna after the line and the Bob before it.
    QCOMPARE(file.RemovePositions({ 1, 2 }, file.Read()), SavedMembersFile::Outcome::Done);
    const long grown = peakMemoryKiB() - before;
    QVERIFY2(grown < 16 * 1024, qPrintable(QStringLiteral("%1 KiB more").arg(grown)));

    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray anna = TwoRecords.left(TwoRecords.indexOf('\n') + 1);
    const QByteArray bob = TwoRecords.mid(anna.size());
    QCOMPARE(in.read(anna.size()), anna);
    QCryptographicHash kept(QCryptographicHash::Sha256);
    for (qint64 left = qint64(piece.size()) * pieces + 2; left > 0;) {
        const QByteArray chunk = in.read(std::min<qint64>(left, 1 << 20));
        QVERIFY(!chunk.isEmpty());
        kept.addData(chunk);
        left -= chunk.size();
    }
    QCOMPARE(kept.result(), hugeLine.result());
    QCOMPARE(in.readAll(), bob);
}

void tst_faults::changedSinceListing_data()
{
    QTest::addColumn<QByteArray>("changedTo"); // what a second writer leaves; null: untouched
    QTest::addColumn<bool>("sameBytes");

    const QByteArray anna
        = SavedMembersFile::RecordLine(QStringLiteral("Anna"), QDate(1990, 5, 17), 1);
    const QByteArray bob
        = SavedMembersFile::RecordLine(QStringLiteral("Bob"), QDate(1975, 11, 30), 2);
    const QByteArray cy = SavedMembersFile::RecordLine(QStringLiteral("Cy"), QDate(2001, 2, 3), 3);
    const QByteArray all = anna + bob + cy;
    QTest::newRow("untouched") << QByteArray() << true;
    QTest::newRow("written again, same bytes") << all << true;
    QTest::newRow("record removed before") << bob + cy << false;
    QTest::newRow("record added at the end")
        << all + SavedMembersFile::RecordLine(QStringLiteral("Dee"), QDate(2002, 3, 4), 4) << false;
    QTest::newRow("record added in front")
        << SavedMembersFile::RecordLine(QStringLiteral("Dee"), QDate(2002, 3, 4), 4) + all << false;
    QTest::newRow("record edited, same size")
        << anna + SavedMembersFile::RecordLine(QStringLiteral("Bob"), QDate(1975, 11, 29), 2) + cy
        << false;
    QTest::newRow("line ends changed") << QByteArray(all).replace("\r\n", "\n") + "\n\n\n" << false;
    QTest::newRow("truncated") << all.left(all.size() - 10) << false;
    QTest::newRow("emptied") << QByteArray("") << false;
}

void tst_faults::changedSinceListing()
{
    QFETCH(QByteArray, changedTo);
    QFETCH(bool, sameBytes);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vantrel"));
    const QByteArray all
        = SavedMembersFile::RecordLine(QStringLiteral("Anna"), QDate(1990, 5, 17), 1)
        + SavedMembersFile::RecordLine(QStringLiteral("Bob"), QDate(1975, 11, 30), 2)
        + SavedMembersFile::RecordLine(QStringLiteral("Cy"), QDate(2001, 2, 3), 3);
    QVERIFY(writeFile(path, all));
    const SavedMembersFile file(path);
    const std::optional<SavedMembersFile::Fingerprint> listed = file.Read();
    QVERIFY(listed);
    if (!changedTo.isNull()) {
        QVERIFY(writeFile(path, changedTo));
        // A different time stamp says nothing: only the bytes count.
        QFile changed(path);
        QVERIFY(changed.open(QIODevice::ReadWrite));
        QVERIFY(changed.setFileTime(QDateTime::currentDateTime().addDays(-3),
                                    QFileDevice::FileModificationTime));
    }
    const QByteArray now = contentsOf(path);

    const std::optional<QList<Record>> picked = file.RecordsAt({ 1 }, listed);
    QCOMPARE(picked.has_value(), sameBytes);
    if (picked) {
        QCOMPARE(picked->size(), 1);
        QCOMPARE(picked->at(0).name, QStringLiteral("Bob"));
        QCOMPARE(picked->at(0).dob, QStringLiteral("1975-11-30"));
    }
    const SavedMembersFile::Outcome outcome = file.RemovePositions({ 1 }, listed);
    QCOMPARE(outcome,
             sameBytes ? SavedMembersFile::Outcome::Done : SavedMembersFile::Outcome::Changed);
    QCOMPARE(contentsOf(path), sameBytes ? withoutRecords(all, { 1 }) : now);
    QCOMPARE(entriesOf(dir.path()), QStringList { QStringLiteral("Vantrel") });
}

QTEST_GUILESS_MAIN(tst_faults)

#include "tst_faults.moc"
