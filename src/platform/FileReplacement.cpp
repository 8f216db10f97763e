#include "FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Scratch files are hidden beside the file they replace and say whose they are, so that the
// next start can tell them from anything the user keeps there.
QString scratchPrefix(const QString &target)
{
    return QLatin1Char('.') + QFileInfo(target).fileName() + QStringLiteral(".vantrel-");
}

constexpr int ScratchRandomChars = 8;

QByteArray scratchName(const QString &target)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString name = scratchPrefix(target);
    for (int i = 0; i < ScratchRandomChars; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return QFile::encodeName(QFileInfo(target).absoluteDir().filePath(name));
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

bool exchange(const QByteArray &a, const QByteArray &b)
{
    return ::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) == 0;
}

bool isInode(const QByteArray &path, dev_t device, ino_t inode)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

} // namespace

FileReplacement::FileReplacement(const QString &target)
    : m_target(target)
    , m_targetName(QFile::encodeName(target))
    , m_folderName(QFile::encodeName(QFileInfo(target).absolutePath()))
{ }

FileReplacement::~FileReplacement()
{
    discard();
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

bool FileReplacement::open(int oldFd)
{
    m_hasOld = oldFd >= 0;
    if (m_hasOld) {
        // The mode comes from the file that was read, not from another look at the name,
        // which may by now show something else, or fail.
        struct stat old;
        if (::fstat(oldFd, &old) != 0 || !S_ISREG(old.st_mode))
            return false;
        m_mode = old.st_mode & 07777;
        m_oldDevice = old.st_dev;
        m_oldInode = old.st_ino;
    }
    // Held open to sync the folder: after a rename only the folder's entry says which file
    // the name stands for.
    m_folderFd = ::open(m_folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0)
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = scratchName(m_target);
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            m_scratchName = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool FileReplacement::write(QByteArrayView bytes)
{
    return m_fd >= 0 && writeAll(m_fd, bytes);
}

FileReplacement::Outcome FileReplacement::commit(const std::function<Outcome()> &stillAsRead)
{
    if (m_fd < 0)
        return Outcome::Failed;
    // Set explicitly, whatever the umask, and checked: a file system may take the call and
    // keep a mode of its own.
    struct stat made;
    if (::fchmod(m_fd, m_mode) != 0 || ::fstat(m_fd, &made) != 0 || (made.st_mode & 07777) != m_mode
        || ::fsync(m_fd) != 0) {
        discard();
        return Outcome::Failed;
    }
    m_newDevice = made.st_dev;
    m_newInode = made.st_ino;
    // A failing close may be the first word of a write that never reached the disk.
    const int closed = ::close(std::exchange(m_fd, -1));
    if (closed != 0) {
        discard();
        return Outcome::Failed;
    }
    return m_hasOld ? replace(stillAsRead) : create();
}

FileReplacement::Outcome FileReplacement::replace(const std::function<Outcome()> &stillAsRead)
{
    if (!exchange(m_scratchName, m_targetName)) {
        const int error = errno;
        if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP)
            return replaceWithoutExchange(stillAsRead);
        // Deleted meanwhile: it is not written anew.
        struct stat info;
        const bool gone
            = error == ENOENT && ::lstat(m_targetName.constData(), &info) != 0 && errno == ENOENT;
        discard();
        return gone ? Outcome::Changed : Outcome::Failed;
    }
    // The name holds the new file now, and the scratch name what it held a moment ago: that
    // must be the file that was read, still holding what was read.
    struct stat out;
    if (::lstat(m_scratchName.constData(), &out) != 0) {
        undoExchange();
        return Outcome::Failed;
    }
    if (out.st_dev != m_oldDevice || out.st_ino != m_oldInode) {
        undoExchange();
        return Outcome::Changed;
    }
    const Outcome unchanged = stillAsRead();
    if (unchanged != Outcome::Done) {
        undoExchange();
        return unchanged;
    }
    return finish(m_scratchName, [this] { undoExchange(); });
}

// For file systems without an exchange (NFS, some FUSE file systems). The old file gets a
// second name of ours first: it pins exactly what the name held for the check, and keeps a
// way back should a later call fail. What another program writes, or renames over the name,
// in the moment between those checks and the rename is lost here; the exchange above leaves
// no such moment.
FileReplacement::Outcome
FileReplacement::replaceWithoutExchange(const std::function<Outcome()> &stillAsRead)
{
    const Outcome unchanged = stillAsRead();
    if (unchanged != Outcome::Done) {
        discard();
        return unchanged;
    }
    QByteArray aside;
    for (int attempt = 0; attempt < 100 && aside.isEmpty(); ++attempt) {
        const QByteArray name = scratchName(m_target);
        if (::link(m_targetName.constData(), name.constData()) == 0)
            aside = name;
        else if (errno != EEXIST)
            break;
    }
    if (aside.isEmpty()) {
        const bool gone = errno == ENOENT;
        discard();
        return gone ? Outcome::Changed : Outcome::Failed;
    }
    struct stat pinned;
    const bool looked = ::lstat(aside.constData(), &pinned) == 0;
    if (!looked || pinned.st_dev != m_oldDevice || pinned.st_ino != m_oldInode) {
        ::unlink(aside.constData());
        discard();
        return looked ? Outcome::Changed : Outcome::Failed;
    }
    if (::rename(m_scratchName.constData(), m_targetName.constData()) != 0) {
        ::unlink(aside.constData());
        discard();
        return Outcome::Failed;
    }
    m_scratchName.clear();
    return finish(aside, [this, aside] {
        ::rename(aside.constData(), m_targetName.constData());
        ::fsync(m_folderFd);
    });
}

FileReplacement::Outcome FileReplacement::create()
{
    // A link never takes a name something holds: a file another program made meanwhile stays.
    if (::link(m_scratchName.constData(), m_targetName.constData()) != 0) {
        const bool taken = errno == EEXIST;
        discard();
        return taken ? Outcome::Changed : Outcome::Failed;
    }
    return finish(m_scratchName, [this] {
        if (isInode(m_targetName, m_newDevice, m_newInode))
            ::unlink(m_targetName.constData());
        ::fsync(m_folderFd);
    });
}

// The new file is at the name. Until the folder is synced and the old file's last name of ours
// is gone, any failure takes the change back: the user is told it failed, so it must not stand.
FileReplacement::Outcome FileReplacement::finish(const QByteArray &oldName,
                                                 const std::function<void()> &undo)
{
    if (::fsync(m_folderFd) != 0 || ::close(std::exchange(m_folderFd, -1)) != 0) {
        if (m_folderFd < 0)
            m_folderFd = ::open(m_folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        undo();
        discard();
        return Outcome::Failed;
    }
    if (::unlink(oldName.constData()) != 0) {
        m_folderFd = ::open(m_folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        undo();
        discard();
        return Outcome::Failed;
    }
    if (oldName == m_scratchName)
        m_scratchName.clear();
    return Outcome::Done;
}

void FileReplacement::undoExchange()
{
    if (!exchange(m_scratchName, m_targetName)) {
        // The scratch name still holds the old file: it must not be removed with the scratch.
        m_scratchName.clear();
    } else if (!isInode(m_scratchName, m_newDevice, m_newInode)) {
        // Someone put a file of their own at the name after the exchange: it goes back there,
        // and what came out stays for the next start to clear away.
        exchange(m_scratchName, m_targetName);
        m_scratchName.clear();
    }
    if (m_folderFd >= 0)
        ::fsync(m_folderFd);
    discard();
}

void FileReplacement::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_scratchName.isEmpty())
        ::unlink(std::exchange(m_scratchName, QByteArray()).constData());
}

void FileReplacement::RemoveLeftovers(const QString &target)
{
    const QString prefix = scratchPrefix(target);
    const QDir folder = QFileInfo(target).absoluteDir();
    const QStringList names = folder.entryList({ prefix + QLatin1Char('*') },
                                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (name.size() != prefix.size() + ScratchRandomChars)
            continue;
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        struct stat info;
        if (::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode)
            && info.st_uid == ::geteuid())
            ::unlink(path.constData());
    }
}
