#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The file of saved people beside the program: one person a line, three double-quoted fields
// (name, date of birth, colour) separated by commas and ended by CR LF. Every operation opens
// the file, does its work and closes it again; nothing is held open in between.
//
// Reading accepts LF, CR LF and a bare CR as line ends, and streams the file: it never holds
// more than one line. Only a regular file, or a link to one, is ever read or written. Saves and
// removals write the file anew and put it in place in one step (FileReplacement): cut short
// anywhere, they leave the old file or the new one, never a third.
class SavedMembersFile
{
public:
    // The three fields of a line, as text; converting them is the reader's business.
    struct Record
    {
        QString name;
        QString dob;
        QString color;
    };

    // What one reading of the file saw: the size and the digest of every byte it read. An
    // operation that acts on positions a list showed compares it first, so that another copy
    // of the program, a sync tool or an editor changing the file in between cannot make it
    // act on other people.
    struct Fingerprint
    {
        qint64 size = 0;
        QByteArray digest;

        bool operator==(const Fingerprint &) const = default;
    };

    enum class Outcome {
        Done,
        Changed, // the file is no longer the one the list was read from; nothing was done
        Failed // could not be done completely; the file is as it was, byte for byte
    };

    // A longer line is damaged: it is not listed, and a removal keeps it as it is. No name
    // the save panel takes makes a record that long unless it is tens of thousands of
    // characters long.
    static constexpr qsizetype MaxLineBytes = 64 * 1024;

    explicit SavedMembersFile(const QString &path = DefaultPath());

    // "Vantrel" in the program's folder.
    static QString DefaultPath();

    QString Path() const { return m_path; }

    // Creates the file, empty and readable by its owner only, when nothing is at its name yet,
    // and syncs it and its folder. False when something failed on the way.
    bool EnsureExists() const;
    // Clears away the scratch files of saves and removals that never finished.
    void RemoveLeftovers() const;

    // Hands every record to `take` in file order, and tells what was read. None when the
    // file could not be read through (missing, not a regular file, a read error); `take` may
    // have seen records of it by then.
    std::optional<Fingerprint> Read(const std::function<void(Record &&)> &take = {}) const;
    // The records in file order. A file that cannot be read holds none.
    QList<Record> Records() const;
    QStringList Names() const;

    enum class IfMissing {
        Create, // a save may make the file
        Fail // the file was there when it was listed: one deleted since is not made anew
    };

    // Adds one record at the end, behind every byte the file holds, and syncs it to the disk.
    // A change by another program meanwhile stays, with the record after it. False when
    // nothing was written: the file then is as it was.
    bool Append(const QString &name, const QDate &dob, qint32 color,
                IfMissing ifMissing = IfMissing::Create) const;

    // Rewrites the file without the records at the given positions (0-based, counting the
    // records a reading lists), provided the file holds exactly what `listed` was taken of
    // up to the moment it is replaced. Every other byte stays as it was. The new file takes
    // the old one's place in one step; a link is rewritten at its target, and the permission
    // bits are kept.
    Outcome RemovePositions(const QList<int> &positions,
                            const std::optional<Fingerprint> &listed) const;

    // The records at the given positions, in the order given, provided the file still holds
    // exactly what `listed` was taken of; none otherwise.
    std::optional<QList<Record>> RecordsAt(const QList<int> &positions,
                                           const std::optional<Fingerprint> &listed) const;

    // A double quote would end the name field early: the format has no escape for it.
    static bool IsStorableName(const QString &name);
    static QByteArray RecordLine(const QString &name, const QDate &dob, qint32 color);
    // Converted field texts; empty when the text does not convert.
    static std::optional<QDate> DateFromText(const QString &text);
    static std::optional<qint32> ColorFromText(const QString &text);
    // The records of a file's bytes.
    static QList<Record> Parse(const QByteArray &bytes);

private:
    QString m_path;
};
