#include "SavedMembersFile.h"

#include "platform/DataLocation.h"
#include "platform/Dates.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMap>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Record = SavedMembersFile::Record;
using Fingerprint = SavedMembersFile::Fingerprint;

// How much of the file is read at a time, and how much of a new file gathers before it is
// written.
constexpr qsizetype ChunkBytes = 256 * 1024;

constexpr QByteArrayView ByteOrderMark("\xEF\xBB\xBF");

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// The first three items of one line. A quoted item runs to the next double quote, or to the
// end of the line when that quote is missing; what follows a closing quote up to the next
// comma belongs to no item. An unquoted item runs to the next comma, blanks around it dropped.
std::array<QStringView, 3> firstItems(QStringView line)
{
    std::array<QStringView, 3> items;
    qsizetype i = 0;
    const qsizetype n = line.size();
    for (QStringView &item : items) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i < n && line[i] == QLatin1Char('"')) {
            const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            item = line.mid(i + 1, end - i - 1);
            const qsizetype comma = close < 0 ? -1 : line.indexOf(QLatin1Char(','), close + 1);
            i = comma < 0 ? n : comma;
        } else {
            const qsizetype comma = line.indexOf(QLatin1Char(','), i);
            const qsizetype end = comma < 0 ? n : comma;
            item = trimBlanks(line.mid(i, end - i));
            i = end;
        }
        if (i >= n)
            break;
        ++i; // past the comma
    }
    return items;
}

// A line holding nothing but blanks is no record. The decoder drops a byte order mark that
// opens a line, so one alone makes a line blank too.
bool isBlankLine(QByteArrayView line)
{
    if (line.startsWith(ByteOrderMark))
        line = line.sliced(ByteOrderMark.size());
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

Record parseLine(QByteArrayView line)
{
    // Bytes that do not decode become replacement characters; they never stop the reading.
    const QString text = QString::fromLocal8Bit(line);
    const std::array<QStringView, 3> items = firstItems(text);
    return Record { items[0].toString(), items[1].toString(), items[2].toString() };
}

QByteArray quoted(const QString &field)
{
    // One record a line, whatever a field holds.
    QString text = field;
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return '"' + text.toLocal8Bit() + '"';
}

// Cuts a stream of bytes, fed in pieces of any size, into lines. LF, CR LF and a bare CR each
// end a line; a byte order mark that opens the stream belongs to no line. It hands its
// handler every line of up to MaxLineBytes without its line end, through line(), which says
// whether the line stays, and then every byte that stays, in order, through keep(): a removal
// writes those out, so a line that goes takes its line end with it and nothing else changes.
// A longer line is damaged: it stays, and is passed on piece by piece as it comes, never held.
class LineSplitter
{
public:
    template<typename Handler> void feed(QByteArrayView bytes, Handler &handler)
    {
        if (!m_headDone) {
            while (!bytes.isEmpty() && m_head.size() < ByteOrderMark.size()
                   && bytes.front() == ByteOrderMark[m_head.size()]) {
                m_head += bytes.front();
                bytes = bytes.sliced(1);
            }
            if (m_head.size() == ByteOrderMark.size()) {
                m_headDone = true;
                handler.keep(m_head);
            } else if (!bytes.isEmpty()) {
                // Only the start of a mark: those bytes begin the first line.
                m_headDone = true;
                const QByteArray head = m_head;
                split(head, handler);
            } else {
                return;
            }
        }
        split(bytes, handler);
    }

    // The end of the stream: a last line without a line end is a line too.
    template<typename Handler> void finish(Handler &handler)
    {
        if (!m_headDone) {
            m_headDone = true;
            const QByteArray head = m_head;
            split(head, handler);
        }
        if (m_overlong)
            m_overlong = false;
        else if (!m_pending.isEmpty())
            endLine({}, {}, handler);
        m_pending.clear();
    }

private:
    template<typename Handler> void split(QByteArrayView bytes, Handler &handler)
    {
        qsizetype i = 0;
        const qsizetype n = bytes.size();
        if (m_afterCr != AfterCr::No && n > 0) {
            // The LF of a CR LF that came in two pieces goes where its CR went.
            if (bytes[0] == '\n') {
                if (m_afterCr == AfterCr::Kept)
                    handler.keep(bytes.first(1));
                i = 1;
            }
            m_afterCr = AfterCr::No;
        }
        while (i < n) {
            qsizetype end = i;
            while (end < n && bytes[end] != '\n' && bytes[end] != '\r')
                ++end;
            if (end == n) {
                grow(bytes.sliced(i), handler);
                return;
            }
            qsizetype terminator = 1;
            bool crAtEnd = false;
            if (bytes[end] == '\r') {
                if (end + 1 < n)
                    terminator = bytes[end + 1] == '\n' ? 2 : 1;
                else
                    crAtEnd = true;
            }
            const bool kept
                = endLine(bytes.sliced(i, end - i), bytes.sliced(end, terminator), handler);
            if (crAtEnd)
                m_afterCr = kept ? AfterCr::Kept : AfterCr::Dropped;
            i = end + terminator;
        }
    }

    // Bytes of a line whose end has not come yet.
    template<typename Handler> void grow(QByteArrayView bytes, Handler &handler)
    {
        if (m_overlong) {
            handler.keep(bytes);
        } else if (m_pending.size() + bytes.size() > SavedMembersFile::MaxLineBytes) {
            m_overlong = true;
            handler.keep(m_pending);
            handler.keep(bytes);
            m_pending.clear();
        } else {
            m_pending += bytes;
        }
    }

    template<typename Handler>
    bool endLine(QByteArrayView tail, QByteArrayView terminator, Handler &handler)
    {
        bool kept = true;
        if (m_overlong) {
            m_overlong = false;
            handler.keep(tail);
        } else if (m_pending.size() + tail.size() > SavedMembersFile::MaxLineBytes) {
            handler.keep(m_pending);
            handler.keep(tail);
        } else if (m_pending.isEmpty()) {
            kept = handler.line(tail);
            if (kept)
                handler.keep(tail);
        } else {
            m_pending += tail;
            kept = handler.line(m_pending);
            if (kept)
                handler.keep(m_pending);
        }
        m_pending.clear();
        if (kept)
            handler.keep(terminator);
        return kept;
    }

    enum class AfterCr { No, Kept, Dropped };

    QByteArray m_head; // the first bytes of the stream, while they may be a byte order mark
    bool m_headDone = false;
    QByteArray m_pending; // the start of a line that goes on in the next piece
    bool m_overlong = false; // the line being cut is over the limit
    AfterCr m_afterCr = AfterCr::No; // the last piece ended with a line's CR
};

// Positions among the records, in ascending order, met one record at a time.
class Positions
{
public:
    explicit Positions(const QList<int> &positions)
        : m_positions(positions.begin(), positions.end())
    {
        std::sort(m_positions.begin(), m_positions.end());
        m_positions.erase(std::unique(m_positions.begin(), m_positions.end()), m_positions.end());
    }

    // Whether the next record is at one of the positions.
    bool nextIsOne()
    {
        const int record = m_next++;
        while (m_cursor < m_positions.size() && m_positions[m_cursor] < record)
            ++m_cursor;
        return m_cursor < m_positions.size() && m_positions[m_cursor] == record;
    }

    bool allMet() const { return m_positions.empty() || m_positions.back() < m_next; }

private:
    std::vector<int> m_positions;
    size_t m_cursor = 0;
    int m_next = 0;
};

// The reading handlers: all of them keep every line; a removal drops some.
struct Lister
{
    const std::function<void(Record &&)> &take;

    bool line(QByteArrayView line)
    {
        if (take && !isBlankLine(line))
            take(parseLine(line));
        return true;
    }
    void keep(QByteArrayView) { }
};

struct Picker
{
    Positions wanted;
    QMap<int, Record> found;
    int record = 0;

    bool line(QByteArrayView line)
    {
        if (isBlankLine(line))
            return true;
        const int at = record++;
        if (wanted.nextIsOne())
            found.insert(at, parseLine(line));
        return true;
    }
    void keep(QByteArrayView) { }
};

struct Remover
{
    Positions removed;
    QByteArray kept; // what stays, until it is written out

    bool line(QByteArrayView line) { return isBlankLine(line) || !removed.nextIsOne(); }
    void keep(QByteArrayView bytes) { kept += bytes; }
};

// The saved-members file opened for reading. Whatever the name leads to, only a regular file
// is taken: opening a FIFO waits for a writer that may never come, and a device never ends.
class InputFile
{
public:
    explicit InputFile(const QString &path)
    {
        // Without O_NONBLOCK, open() itself would wait on a FIFO.
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            m_missing = errno == ENOENT;
            return;
        }
        struct stat info;
        if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        m_size = info.st_size;
    }
    ~InputFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool isMissing() const { return m_missing; }
    qint64 size() const { return m_size; }

    // Reads the file to its end, a piece at a time, through `consume`, which may stop it by
    // returning false. The fingerprint of the bytes read; none when the reading failed or
    // was stopped.
    template<typename Consume> std::optional<Fingerprint> stream(Consume &&consume)
    {
        QCryptographicHash hash(QCryptographicHash::Blake2b_256);
        QByteArray buffer(ChunkBytes, Qt::Uninitialized);
        qint64 total = 0;
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer.data(), size_t(buffer.size()));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return std::nullopt;
            if (got == 0)
                break;
            const QByteArrayView piece(buffer.constData(), got);
            hash.addData(piece);
            total += got;
            if (!consume(piece))
                return std::nullopt;
        }
        return Fingerprint { total, hash.result() };
    }

private:
    int m_fd = -1;
    bool m_missing = false;
    qint64 m_size = 0;
};

template<typename Handler> std::optional<Fingerprint> streamLines(InputFile &file, Handler &handler)
{
    LineSplitter lines;
    std::optional<Fingerprint> read = file.stream([&](QByteArrayView piece) {
        lines.feed(piece, handler);
        return true;
    });
    lines.finish(handler);
    return read;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

// After a rename only the folder's own entry says which file the name stands for.
void syncFolder(const QString &folder)
{
    const int fd
        = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

SavedMembersFile::SavedMembersFile(const QString &path)
    : m_path(path)
{ }

QString SavedMembersFile::DefaultPath()
{
    return DataLocation::Folder() + QStringLiteral("/Vantrel");
}

void SavedMembersFile::EnsureExists() const
{
    // Names and birth dates are nobody else's business. O_EXCL leaves whatever is at the name
    // already as it is, even a link that leads nowhere.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

std::optional<SavedMembersFile::Fingerprint>
SavedMembersFile::Read(const std::function<void(Record &&)> &take) const
{
    InputFile file(m_path);
    if (!file.isOpen())
        return std::nullopt;
    Lister lister { take };
    return streamLines(file, lister);
}

QList<SavedMembersFile::Record> SavedMembersFile::Parse(const QByteArray &bytes)
{
    QList<Record> records;
    const std::function<void(Record &&)> take
        = [&records](Record &&record) { records.append(std::move(record)); };
    Lister lister { take };
    LineSplitter lines;
    lines.feed(bytes, lister);
    lines.finish(lister);
    return records;
}

QList<SavedMembersFile::Record> SavedMembersFile::Records() const
{
    QList<Record> records;
    if (!Read([&records](Record &&record) { records.append(std::move(record)); }))
        return {};
    return records;
}

QStringList SavedMembersFile::Names() const
{
    QStringList names;
    if (!Read([&names](Record &&record) { names.append(std::move(record.name)); }))
        return {};
    return names;
}

bool SavedMembersFile::IsStorableName(const QString &name)
{
    return !name.contains(QLatin1Char('"'));
}

QByteArray SavedMembersFile::RecordLine(const QString &name, const QDate &dob, qint32 color)
{
    // ISO dates read back the same whatever the date settings are when they are read.
    return quoted(name) + ',' + quoted(dob.toString(Qt::ISODate)) + ','
        + quoted(QString::number(color)) + "\r\n";
}

bool SavedMembersFile::Append(const QString &name, const QDate &dob, qint32 color) const
{
    if (!IsStorableName(name))
        return false;
    const QByteArray line = RecordLine(name, dob, color);
    // The reader takes a longer line for damaged: the person would be saved only to be lost.
    if (line.size() - 2 > MaxLineBytes)
        return false;

    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const auto closed = [fd](bool result) {
        ::close(fd);
        return result;
    };
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return closed(false);
    const off_t size = info.st_size;
    QByteArray bytes;
    if (size > 0) {
        // A last line without its line break would swallow the new record.
        char last = 0;
        if (::pread(fd, &last, 1, size - 1) != 1)
            return closed(false);
        // A file cut between CR and LF only lacks the LF.
        if (last == '\r')
            bytes = "\n";
        else if (last != '\n')
            bytes = "\r\n";
    }
    bytes += line;
    // On the disk before the user is told it is saved.
    if (::lseek(fd, size, SEEK_SET) == size && writeAll(fd, bytes) && ::fsync(fd) == 0)
        return closed(true);
    // Leave no half record behind.
    if (::ftruncate(fd, size) == 0)
        ::fsync(fd);
    return closed(false);
}

SavedMembersFile::Outcome
SavedMembersFile::RemovePositions(const QList<int> &positions,
                                  const std::optional<Fingerprint> &listed) const
{
    InputFile input(m_path);
    if (!input.isOpen())
        // Gone since it was listed: that is a change. Unreadable: nothing can be rewritten.
        return input.isMissing() && listed ? Outcome::Changed : Outcome::Failed;
    if (!listed || input.size() != listed->size)
        return Outcome::Changed;

    // Rewritten where its bytes are: a link stays a link, to the new contents. QSaveFile
    // writes a uniquely named file in that folder, gives it the old one's permission bits
    // and renames it over the old one in one step, so at every moment the saved file is
    // either the old one or the complete new one.
    const QString target = QFileInfo(m_path).canonicalFilePath();
    if (target.isEmpty())
        return Outcome::Failed;
    QSaveFile output(target);
    if (!output.open(QIODevice::WriteOnly))
        return Outcome::Failed;

    // One pass both checks the file against the list and writes what stays; only a file
    // that proves to be the listed one, to its last byte, takes the old one's place.
    Remover remover { Positions(positions), {} };
    LineSplitter lines;
    bool written = true;
    const auto writeKept = [&] {
        written = output.write(remover.kept) == remover.kept.size();
        remover.kept.clear();
        return written;
    };
    const std::optional<Fingerprint> read = input.stream([&](QByteArrayView piece) {
        lines.feed(piece, remover);
        return remover.kept.size() < ChunkBytes || writeKept();
    });
    lines.finish(remover);
    if (!read || !written || !writeKept()) {
        output.cancelWriting();
        return Outcome::Failed;
    }
    if (*read != *listed) {
        output.cancelWriting();
        return Outcome::Changed;
    }
    if (!remover.removed.allMet()) {
        output.cancelWriting();
        return Outcome::Failed;
    }
    // On the disk before it takes the saved file's place, so that even a power cut leaves
    // the old file or the complete new one.
    if (!output.flush() || output.handle() < 0 || ::fsync(output.handle()) != 0) {
        output.cancelWriting();
        return Outcome::Failed;
    }
    if (!output.commit())
        return Outcome::Failed;
    // The new file is in place whatever this says: telling the user otherwise would be wrong.
    syncFolder(QFileInfo(target).absolutePath());
    return Outcome::Done;
}

std::optional<QList<SavedMembersFile::Record>>
SavedMembersFile::RecordsAt(const QList<int> &positions,
                            const std::optional<Fingerprint> &listed) const
{
    InputFile input(m_path);
    if (!input.isOpen() || !listed || input.size() != listed->size)
        return std::nullopt;
    Picker picker { Positions(positions), {} };
    const std::optional<Fingerprint> read = streamLines(input, picker);
    if (!read || *read != *listed)
        return std::nullopt;
    QList<Record> records;
    records.reserve(positions.size());
    // A position past the last record has none: its member stays empty.
    for (int position : positions)
        records.append(picker.found.value(position));
    return records;
}

std::optional<QDate> SavedMembersFile::DateFromText(const QString &text)
{
    const QLocale locale = QLocale::system();
    auto convert = [&](const QString &t) -> std::optional<QDate> {
        for (const QDate &date :
             { QDate::fromString(t, Qt::ISODate), locale.toDate(t, Dates::ShortDateFormat()),
               locale.toDate(t, QLocale::ShortFormat) }) {
            if (Dates::IsStorable(date))
                return date;
        }
        return std::nullopt;
    };
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (std::optional<QDate> date = convert(trimmed))
        return date;
    // Older records may carry a time of day after the date.
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    if (blank > 0)
        return convert(trimmed.left(blank));
    return std::nullopt;
}

std::optional<qint32> SavedMembersFile::ColorFromText(const QString &text)
{
    bool ok = false;
    const qint32 color = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return color;
}
