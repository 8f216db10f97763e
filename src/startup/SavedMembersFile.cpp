#include "SavedMembersFile.h"

#include "SavedMembersFileLines.h"
#include "platform/DataLocation.h"
#include "platform/FileReplacement.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Record = SavedMembersFile::Record;
using Fingerprint = SavedMembersFile::Fingerprint;
using Replaced = FileReplacement::Outcome;

// How much of the file is read at a time, and how much of a new file gathers before it is
// written.
constexpr qsizetype ChunkBytes = 256 * 1024;

// A save that meets another program's change starts again on the changed file; one that
// keeps meeting changes gives up rather than hold the user up.
constexpr int SaveAttempts = 3;

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

class Picker : public SavedMembersLines::Handler
{
public:
    explicit Picker(const QList<int> &positions)
        : m_wanted(positions)
    { }

    bool line(QByteArrayView line) override
    {
        if (SavedMembersLines::IsBlankLine(line))
            return true;
        const int at = m_record++;
        if (m_wanted.nextIsOne())
            m_found.insert(at, SavedMembersLines::ParseLine(line));
        return true;
    }
    void keep(QByteArrayView) override { }

    Record found(int position) const { return m_found.value(position); }

private:
    Positions m_wanted;
    QMap<int, Record> m_found;
    int m_record = 0;
};

class Remover : public SavedMembersLines::Handler
{
public:
    explicit Remover(const QList<int> &positions)
        : m_removed(positions)
    { }

    bool line(QByteArrayView line) override
    {
        return SavedMembersLines::IsBlankLine(line) || !m_removed.nextIsOne();
    }
    void keep(QByteArrayView bytes) override { m_kept += bytes; }

    bool allMet() const { return m_removed.allMet(); }
    // What stays, once enough of it has gathered or when `all`.
    bool writeOut(FileReplacement &output, bool all = false)
    {
        if (m_kept.size() < ChunkBytes && !all)
            return true;
        const bool written = output.write(m_kept);
        m_kept.clear();
        return written;
    }

private:
    Positions m_removed;
    QByteArray m_kept;
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
            ::close(std::exchange(m_fd, -1));
            return;
        }
        m_size = info.st_size;
    }
    ~InputFile()
    {
        // Only read from: closing it cannot lose anything.
        if (m_fd >= 0)
            ::close(m_fd);
    }
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool isMissing() const { return m_missing; }
    qint64 size() const { return m_size; }
    int descriptor() const { return m_fd; }

    // Reads the file to its end, a piece at a time, through `consume`, which may stop it by
    // returning false. The fingerprint of the bytes read; none when the reading failed or
    // was stopped.
    template<typename Consume> std::optional<Fingerprint> stream(Consume &&consume)
    {
        return streamFrom([this](char *data, size_t size) { return ::read(m_fd, data, size); },
                          consume);
    }

    // Whether the file, read again from its start, holds what `read` was taken of. The
    // descriptor is closed then: a replacement counts that close among its calls.
    Replaced stillHolds(const Fingerprint &read)
    {
        off_t offset = 0;
        const std::optional<Fingerprint> again = streamFrom(
            [this, &offset](char *data, size_t size) {
                const ssize_t got = ::pread(m_fd, data, size, offset);
                if (got > 0)
                    offset += got;
                return got;
            },
            [](QByteArrayView) { return true; });
        const bool closed = ::close(std::exchange(m_fd, -1)) == 0;
        if (!again || !closed)
            return Replaced::Failed;
        return *again == read ? Replaced::Done : Replaced::Changed;
    }

private:
    template<typename Read, typename Consume>
    static std::optional<Fingerprint> streamFrom(Read &&readSome, Consume &&consume)
    {
        QCryptographicHash hash(QCryptographicHash::Blake2b_256);
        QByteArray buffer(ChunkBytes, Qt::Uninitialized);
        qint64 total = 0;
        for (;;) {
            const ssize_t got = readSome(buffer.data(), size_t(buffer.size()));
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

    int m_fd = -1;
    bool m_missing = false;
    qint64 m_size = 0;
};

std::optional<Fingerprint> streamLines(InputFile &file, SavedMembersLines::Handler &handler)
{
    SavedMembersLines::Splitter lines;
    std::optional<Fingerprint> read = file.stream([&](QByteArrayView piece) {
        lines.feed(piece, handler);
        return true;
    });
    lines.finish(handler);
    return read;
}

// Where the bytes behind a name live: the name itself, or what its links lead to, link by link,
// so that a link stays a link and the file it leads to is the one rewritten. Also when nothing
// is there yet (a link made for a file still to come). Empty when it cannot be told. Done by
// hand rather than by realpath(), whose own calls would hide from a check of every call.
QString resolvedTarget(const QString &path)
{
    QByteArray name = QFile::encodeName(path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (::lstat(name.constData(), &info) != 0)
            return errno == ENOENT ? QFile::decodeName(name) : QString();
        if (!S_ISLNK(info.st_mode))
            return QFile::decodeName(name);
        char text[PATH_MAX];
        const ssize_t size = ::readlink(name.constData(), text, sizeof text);
        if (size <= 0 || size_t(size) >= sizeof text)
            return QString();
        const QByteArray link(text, size);
        name = link.startsWith('/') ? link : name.left(name.lastIndexOf('/') + 1) + link;
    }
    return QString();
}

// After a file is made only the folder's entry says that the name stands for it.
bool syncFolderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? "/" : path.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

} // namespace

SavedMembersFile::SavedMembersFile(const QString &path)
    : m_path(path)
{ }

QString SavedMembersFile::DefaultPath()
{
    return DataLocation::Folder() + QStringLiteral("/Vantrel");
}

bool SavedMembersFile::EnsureExists() const
{
    // Names and birth dates are nobody else's business. O_EXCL leaves whatever is at the name
    // already as it is, even a link that leads nowhere.
    const QByteArray name = QFile::encodeName(m_path);
    const int fd
        = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced && syncFolderOf(name);
}

void SavedMembersFile::RemoveLeftovers() const
{
    const QString target = resolvedTarget(m_path);
    if (!target.isEmpty())
        FileReplacement::RemoveLeftovers(target);
}

std::optional<SavedMembersFile::Fingerprint>
SavedMembersFile::Read(const std::function<void(Record &&)> &take) const
{
    InputFile file(m_path);
    if (!file.isOpen())
        return std::nullopt;
    SavedMembersLines::Lister lister(take);
    return streamLines(file, lister);
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

bool SavedMembersFile::Append(const QString &name, const QDate &dob, qint32 color,
                              IfMissing ifMissing) const
{
    if (!IsStorableName(name))
        return false;
    const QByteArray line = RecordLine(name, dob, color);
    // The reader takes a longer line for damaged: the person would be saved only to be lost.
    if (line.size() - 2 > MaxLineBytes)
        return false;

    // Not an append at the end: a write cut short there would leave half a record, and one
    // at the size read would go over what another program added since. The file is written
    // anew, its bytes and then the record, and replaces the one read only if that is
    // unchanged; a change meanwhile has the save start again on the changed file.
    for (int attempt = 0; attempt < SaveAttempts; ++attempt) {
        InputFile input(m_path);
        if (!input.isOpen() && !(input.isMissing() && ifMissing == IfMissing::Create))
            return false;
        const QString target = resolvedTarget(m_path);
        if (target.isEmpty())
            return false;
        FileReplacement output(target);
        if (!output.open(input.descriptor()))
            return false;
        Replaced outcome = Replaced::Failed;
        if (!input.isOpen()) {
            if (!output.write(line))
                return false;
            outcome = output.commit([] { return Replaced::Done; });
        } else {
            char last = '\n';
            bool written = true;
            const std::optional<Fingerprint> read = input.stream([&](QByteArrayView piece) {
                last = piece.back();
                written = output.write(piece);
                return written;
            });
            if (!read || !written)
                return false;
            // A last line without its line break would swallow the new record; a file cut
            // between CR and LF only lacks the LF.
            const QByteArray lineEnd = last == '\r' ? "\n" : last != '\n' ? "\r\n" : "";
            if (!output.write(lineEnd + line))
                return false;
            outcome = output.commit([&input, &read] { return input.stillHolds(*read); });
        }
        if (outcome != Replaced::Changed)
            return outcome == Replaced::Done;
    }
    return false;
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

    const QString target = resolvedTarget(m_path);
    if (target.isEmpty())
        return Outcome::Failed;
    FileReplacement output(target);
    if (!output.open(input.descriptor()))
        return Outcome::Failed;

    // One pass both checks the file against the list and writes what stays; only a file
    // that proves to be the listed one, to its last byte, takes the old one's place.
    Remover remover(positions);
    SavedMembersLines::Splitter lines;
    bool written = true;
    const std::optional<Fingerprint> read = input.stream([&](QByteArrayView piece) {
        lines.feed(piece, remover);
        written = remover.writeOut(output);
        return written;
    });
    lines.finish(remover);
    if (!read || !written || !remover.writeOut(output, true))
        return Outcome::Failed;
    if (*read != *listed)
        return Outcome::Changed;
    if (!remover.allMet())
        return Outcome::Failed;
    switch (output.commit([&input, &read] { return input.stillHolds(*read); })) {
    case Replaced::Done:
        return Outcome::Done;
    case Replaced::Changed:
        return Outcome::Changed;
    case Replaced::Failed:
        break;
    }
    return Outcome::Failed;
}

std::optional<QList<SavedMembersFile::Record>>
SavedMembersFile::RecordsAt(const QList<int> &positions,
                            const std::optional<Fingerprint> &listed) const
{
    InputFile input(m_path);
    if (!input.isOpen() || !listed || input.size() != listed->size)
        return std::nullopt;
    Picker picker(positions);
    const std::optional<Fingerprint> read = streamLines(input, picker);
    if (!read || *read != *listed)
        return std::nullopt;
    QList<Record> records;
    records.reserve(positions.size());
    // A position past the last record has none: its member stays empty.
    for (int position : positions)
        records.append(picker.found(position));
    return records;
}
