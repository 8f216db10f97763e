#include "startup/SavedMembersFile.h"

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
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------------------------------------
// Faults on demand. A full disk or a refused rename cannot be arranged for real in a temporary
// folder, so this program puts its own rename() and write() in front of the C library's: the
// code under test reaches them through std::filesystem and QFile. They behave normally unless
// a case arms them.

namespace Injected {
int renameErrno = 0; // non-zero: every rename fails with it
int renameCalls = 0;
// Writes to regular files: -1 lets them through; otherwise the bytes still written before the
// disk counts as full.
qint64 writeBudget = -1;
bool diskFullForAMoment = false; // after one refused write there is room again
int writeRefusals = 0;

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
    QByteArray terminator = "\r\n"; // "\r\n", "\n", or "" on the last line
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
                if (g.chance(0.3) && g.insertIntoName(line, "\r")) {
                    line.expect->name.reset();
                } else {
                    // A lone CR ends no line: a CR in place of the line break joins two lines.
                    if (g.chance(0.5) && i + 1 < count) {
                        line.content += '\r' + g.record().content;
                        ++i;
                    } else {
                        g.insertAt(line.content, "\r");
                    }
                    line.expect.reset();
                }
            }
            break;
        case Kind::LineBreaks:
            if (g.chance(0.5))
                line.terminator = "\n";
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

// A line's bytes as the reader sees them: without the CR of its line break, and without the
// byte order mark that may open the file. The decoder drops one at the start of every line too,
// so a line holding nothing else counts as empty.
QByteArray readerView(const QList<GenLine> &lines, qsizetype i)
{
    QByteArray bytes = lines[i].content;
    for (int marks = i == 0 ? 2 : 1; marks > 0 && bytes.startsWith(ByteOrderMark); --marks)
        bytes.remove(0, ByteOrderMark.size());
    if (lines[i].terminator != "\r\n" && bytes.endsWith('\r'))
        bytes.chop(1);
    return bytes;
}

bool isBlankLine(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == ' ' || c == '\t'; });
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

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
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
    void scratchNameIsALink();
    void saveCannotTakeFile_data();
    void saveCannotTakeFile();
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
    QVERIFY(file.RemovePositions({ 0 }));
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
    const QString scratch = dir.filePath(QStringLiteral("temp"));

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

        // One record per line that is not blank, whatever the line holds.
        QList<qsizetype> recordLine; // record index -> line index
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (!isBlankLine(readerView(lines, i)))
                recordLine << i;
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
            const GenLine &line = lines[recordLine[r]];
            if (!line.expect)
                continue;
            const Record &got = records[r];
            const Expect &e = *line.expect;
            const bool ok = (!e.name || *e.name == got.name) && (!e.dob || *e.dob == got.dob)
                && (!e.color || *e.color == got.color);
            fieldsChecked
                += int(e.name.has_value()) + int(e.dob.has_value()) + int(e.color.has_value());
            if (!ok) {
                findings.add(QStringLiteral("file %1, record %2: got %3 from line \"%4\"")
                                 .arg(f)
                                 .arg(r)
                                 .arg(shown(got), shown(QByteArrayView(line.content))));
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
            const GenLine &line = lines[recordLine[r]];
            if (line.expect && line.expect->date && line.expect->dob
                && (date != line.expect->date || colour != line.expect->colour)) {
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
        QList<int> positions;
        QList<Record> kept;
        for (int r = 0; r < beforeRemoval.size(); ++r) {
            if (g.chance(0.3))
                positions << r;
            else
                kept << beforeRemoval[r];
        }
        if (!file.RemovePositions(positions)) {
            findings.add(QStringLiteral("file %1: RemovePositions failed").arg(f));
        } else {
            const QByteArray after = contentsOf(path);
            if (!sameRecords(file.Records(), kept))
                findings.add(QStringLiteral("file %1: removing %2 left other records: %3")
                                 .arg(f)
                                 .arg(positions.size())
                                 .arg(shown(QByteArrayView(after))));
            // What a removal writes is in the program's own format.
            if (after.count('\n') != after.count("\r\n")
                || (!after.isEmpty() && !after.endsWith("\r\n")))
                findings.add(QStringLiteral("file %1: removal wrote bare line breaks: %2")
                                 .arg(f)
                                 .arg(shown(QByteArrayView(after))));
        }
        if (QFileInfo::exists(scratch))
            findings.add(QStringLiteral("file %1: the scratch file was left behind").arg(f));
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
    ScratchIsFolderWithFiles,
    ScratchIsEmptyFolder,
    ScratchIsDanglingLink,
    ScratchOnFullDisk,
    ScratchWriteStops,
    RenameCrossDevice,
    RenameRefused,
    SavedFileMissing,
    SavedFileIsFolder
};

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                  | QDir::System);
}

} // namespace

void tst_faults::removalInterrupted_data()
{
    QTest::addColumn<int>("obstacle");
    QTest::addColumn<QByteArray>("before");

    const QByteArray records
        = SavedMembersFile::RecordLine(QStringLiteral("Anna"), QDate(1990, 5, 17), 444415)
        + SavedMembersFile::RecordLine(QStringLiteral("Bob"), QDate(1975, 11, 30), 65280)
        + SavedMembersFile::RecordLine(QStringLiteral("Zoë 山田"), QDate(100, 1, 1), -1);
    // A removal that went through would rewrite all of this; one that did not must keep it.
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
        { "scratch name taken by a folder with files", Obstacle::ScratchIsFolderWithFiles },
        { "scratch name taken by an empty folder", Obstacle::ScratchIsEmptyFolder },
        { "scratch name is a link into a missing folder", Obstacle::ScratchIsDanglingLink },
        { "scratch file on a full disk", Obstacle::ScratchOnFullDisk },
        { "scratch file stops part-way", Obstacle::ScratchWriteStops },
        { "rename across devices", Obstacle::RenameCrossDevice },
        { "rename refused", Obstacle::RenameRefused },
        { "saved file missing", Obstacle::SavedFileMissing },
        { "saved file is a folder", Obstacle::SavedFileIsFolder },
    };
    for (const auto &o : obstacles) {
        QTest::addRow("%s, records", o.name) << int(o.obstacle) << records;
        if (o.obstacle == Obstacle::SavedFileMissing || o.obstacle == Obstacle::SavedFileIsFolder)
            continue;
        QTest::addRow("%s, untidy file", o.name) << int(o.obstacle) << untidy;
        // Nothing is left to write, so only the rename can fail.
        if (o.obstacle != Obstacle::ScratchOnFullDisk && o.obstacle != Obstacle::ScratchWriteStops)
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
    const QString scratch = dir.filePath(QStringLiteral("temp"));
    const SavedMembersFile file(path);
    QCOMPARE(file.ScratchPath(), scratch);

    if (in == Obstacle::SavedFileIsFolder) {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeFile(path + QStringLiteral("/inside"), before));
    } else if (in != Obstacle::SavedFileMissing) {
        QVERIFY(writeFile(path, before));
    }
    switch (in) {
    case Obstacle::ScratchIsFolderWithFiles:
        QVERIFY(QDir().mkpath(scratch + QStringLiteral("/sub")));
        QVERIFY(writeFile(scratch + QStringLiteral("/notes"), "keep me"));
        break;
    case Obstacle::ScratchIsEmptyFolder:
        QVERIFY(QDir().mkpath(scratch));
        break;
    case Obstacle::ScratchIsDanglingLink:
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere/temp")), scratch));
        break;
    case Obstacle::ScratchOnFullDisk:
        if (!QFileInfo(QStringLiteral("/dev/full")).exists())
            QSKIP("no /dev/full here");
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), scratch));
        break;
    case Obstacle::ScratchWriteStops:
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
    const QStringList entries = entriesOf(dir.path());
    const QByteArray scratchNotes = contentsOf(scratch + QStringLiteral("/notes"));
    const QList<Record> records = file.Records();

    Injected::renameCalls = 0;
    Injected::writeRefusals = 0;
    const bool removed = file.RemovePositions({ 0 });
    Injected::disarm();

    // A link where the scratch file goes may be cleared away and the removal go through.
    const bool mayGoThrough
        = in == Obstacle::ScratchIsDanglingLink || in == Obstacle::ScratchOnFullDisk;
    if (in == Obstacle::None || (removed && mayGoThrough)) {
        QVERIFY(removed);
        QVERIFY(QFileInfo(path).isFile());
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(Injected::renameCalls, 1);
        QVERIFY(sameRecords(file.Records(), records.mid(1)));
        QVERIFY(!QFileInfo::exists(scratch) && !QFileInfo(scratch).isSymLink());
        return;
    }
    QVERIFY(!removed);
    // The fault must really have been met on the way.
    if (in == Obstacle::RenameCrossDevice || in == Obstacle::RenameRefused)
        QCOMPARE(Injected::renameCalls, 1);
    else
        QCOMPARE(Injected::renameCalls, 0);
    if (in == Obstacle::ScratchWriteStops)
        QVERIFY(Injected::writeRefusals > 0);

    switch (in) {
    case Obstacle::SavedFileMissing:
        QVERIFY(!QFileInfo::exists(path));
        break;
    case Obstacle::SavedFileIsFolder:
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(contentsOf(path + QStringLiteral("/inside")), before);
        break;
    default:
        QVERIFY(QFileInfo(path).isFile());
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(contentsOf(path), before);
        break;
    }
    // Nothing new in the folder, and what stood in the way is still there as it was (a link
    // to the full disk may go: it was where the scratch file was written).
    QStringList expectedEntries = entries;
    if (in == Obstacle::ScratchOnFullDisk && !QFileInfo(scratch).isSymLink())
        expectedEntries.removeOne(QStringLiteral("temp"));
    QCOMPARE(entriesOf(dir.path()), expectedEntries);
    if (in == Obstacle::ScratchIsFolderWithFiles) {
        QCOMPARE(contentsOf(scratch + QStringLiteral("/notes")), scratchNotes);
        QVERIFY(QFileInfo(scratch + QStringLiteral("/sub")).isDir());
    }
}

void tst_faults::scratchNameIsALink()
{
    // A link left where the scratch file goes must neither carry the new contents into the
    // file it points to nor take the saved file's place.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Vantrel"));
    const QString other = dir.filePath(QStringLiteral("letter.txt"));
    const QByteArray records
        = SavedMembersFile::RecordLine(QStringLiteral("Anna"), QDate(1990, 5, 17), 444415)
        + SavedMembersFile::RecordLine(QStringLiteral("Bob"), QDate(1975, 11, 30), 65280);
    QVERIFY(writeFile(path, records));
    QVERIFY(writeFile(other, "Dear Anna,\n"));
    QVERIFY(QFile::link(other, dir.filePath(QStringLiteral("temp"))));

    const SavedMembersFile file(path);
    const bool removed = file.RemovePositions({ 0 });

    QCOMPARE(contentsOf(other), QByteArray("Dear Anna,\n"));
    QVERIFY(!QFileInfo(path).isSymLink());
    QCOMPARE(contentsOf(path),
             removed
                 ? SavedMembersFile::RecordLine(QStringLiteral("Bob"), QDate(1975, 11, 30), 65280)
                 : records);
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
    const QString huge = QStringLiteral("Anna ").repeated(20000);

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

QTEST_GUILESS_MAIN(tst_faults)

#include "tst_faults.moc"
