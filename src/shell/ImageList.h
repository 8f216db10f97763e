#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

// An ordered list of keyed pictures. Buttons take their pictures by 1-based position, so the
// order in which pictures are added is what matters.
class ImageList
{
public:
    explicit ImageList(QSize nominalSize = {}) : m_nominalSize(nominalSize) { }

    void Add(const QString &key, const QPixmap &picture);
    int Count() const { return int(m_images.size()); }
    QSize NominalSize() const { return m_nominalSize; }

    // The picture at a 1-based position; a null pixmap outside 1 .. Count().
    QPixmap Picture(int position) const;
    QString Key(int position) const;
    // 1-based position of a key, 0 when absent.
    int IndexOf(const QString &key) const;

private:
    struct Entry
    {
        QString key;
        QPixmap picture;
    };
    QSize m_nominalSize;
    QList<Entry> m_images;
};
