#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

#include <sys/types.h>

// Replaces a file with new contents in one step, so that whatever happens on the way (a kill,
// a power cut, a failing call, another program changing the file) the name holds either the
// old file or the complete new one, and the caller is told which.
//
// The new contents go to a scratch file of the program's own in the file's folder; on commit
// it takes the old file's permission bits (read from the descriptor the old contents were read
// through, and checked), is synced, and is swapped with the old file in one step; then the
// folder is synced. Only when what came out of the name is the file that was read, unchanged,
// does the swap stand; otherwise it is undone and nothing has changed.
//
// QSaveFile cannot give these promises: it takes the mode from a separate look at the name
// (and sets 0 when that look fails), ignores a failing folder sync, replaces whatever the name
// holds at that moment, and would write a file deleted meanwhile anew. So the calls are made
// here, by hand.
class FileReplacement
{
public:
    enum class Outcome {
        Done,
        Changed, // the name no longer holds the file that was read; nothing was replaced
        Failed // a call failed; the name holds what it held, the scratch file is gone
    };

    // `target` names the file itself, not a link to it: the scratch file goes beside it.
    explicit FileReplacement(const QString &target);
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    // Starts the new contents. `oldFd` is open on the file read from the target, whose mode
    // the new file takes; -1 when there is no such file and the new one may only take a name
    // nothing holds.
    bool open(int oldFd);
    bool write(QByteArrayView bytes);

    // Puts the new file in place. `stillAsRead` reads the old file again through its
    // descriptor and closes that: Done when it held exactly what was read, Changed when not,
    // Failed when a call failed. It runs once the old file can no longer be reached by its
    // name (where the file system can swap two names), so that nobody can change it between
    // that check and the replacement but through a descriptor opened before. Every failing
    // call, up to the last one, leaves the name holding what it held.
    Outcome commit(const std::function<Outcome()> &stillAsRead);

    // Removes the program's own scratch files left beside `target` by an earlier run that
    // ended before it could: regular files of this user, named as this class names them.
    static void RemoveLeftovers(const QString &target);

private:
    Outcome replace(const std::function<Outcome()> &stillAsRead);
    Outcome replaceWithoutExchange(const std::function<Outcome()> &stillAsRead);
    Outcome create();
    Outcome finish(const QByteArray &oldName, const std::function<void()> &undo);
    void undoExchange();
    void discard();

    QString m_target;
    QByteArray m_targetName;
    QByteArray m_scratchName;
    QByteArray m_folderName;
    int m_fd = -1;
    int m_folderFd = -1;
    bool m_hasOld = false;
    mode_t m_mode = 0600;
    dev_t m_oldDevice = 0;
    ino_t m_oldInode = 0;
    dev_t m_newDevice = 0;
    ino_t m_newInode = 0;
};
