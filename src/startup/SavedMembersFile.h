#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// The file of saved people beside the program: one person a line, three double-quoted fields
// (name, date of birth, colour) separated by commas and ended by CR LF. Every operation opens
// the file, does its work and closes it again; nothing is held open in between.
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

    explicit SavedMembersFile(const QString &path = DefaultPath());

    // "Vantrel" in the program's folder.
    static QString DefaultPath();

    QString Path() const { return m_path; }
    // Where a removal writes the new file before it takes the old one's place.
    QString ScratchPath() const;

    // Creates the file, empty, when it does not exist yet.
    void EnsureExists() const;

    // The records in file order. A file that cannot be read holds none.
    QList<Record> Records() const;
    QStringList Names() const;

    // Adds one record at the end. False when nothing was written: the file then is as it was.
    bool Append(const QString &name, const QDate &dob, qint32 color) const;

    // Rewrites the file without the records at the given positions (0-based, in file order).
    // False when that could not be done completely; the file then is as it was, byte for byte.
    bool RemovePositions(const QList<int> &positions) const;

    // A double quote would end the name field early: the format has no escape for it.
    static bool IsStorableName(const QString &name);
    static QByteArray RecordLine(const QString &name, const QDate &dob, qint32 color);
    // Converted field texts; empty when the text does not convert.
    static std::optional<QDate> DateFromText(const QString &text);
    static std::optional<qint32> ColorFromText(const QString &text);
    // The records of a file's bytes.
    static QList<Record> Parse(const QByteArray &bytes);

private:
    struct Line
    {
        QByteArray raw; // without its line break
        Record record;
    };

    static QList<Line> parseLines(const QByteArray &bytes);
    std::optional<QByteArray> readAll() const;

    QString m_path;
};
