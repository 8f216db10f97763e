#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>

// An ordered list of keyed pictures. Buttons take their pictures by 1-based position, so the
// order in which pictures are added is what matters.
class ImageList
{
public:
    explicit ImageList(QSize nominalSize = {})
        : m_nominalSize(nominalSize)
    { }

    void Add(const QString &key, const QPixmap &picture);
    // Adds a picture of a known size (in device-independent pixels) that is drawn the first
    // time it is asked for: most pictures of a list are never shown, or only once the pointer
    // rests on a button.
    void Add(const QString &key, QSize size, std::function<QPixmap()> draw);
    int Count() const { return int(m_images.size()); }
    QSize NominalSize() const { return m_nominalSize; }

    // The picture at a 1-based position; a null pixmap outside 1 .. Count().
    QPixmap Picture(int position) const;
    // Its size in device-independent pixels, known without drawing it; empty outside 1 .. Count().
    QSize PictureSize(int position) const;
    QString Key(int position) const;
    // 1-based position of a key, 0 when absent.
    int IndexOf(const QString &key) const;

private:
    struct Entry
    {
        QString key;
        QSize size;
        mutable QPixmap picture;
        mutable std::function<QPixmap()> draw;
    };
    QSize m_nominalSize;
    QList<Entry> m_images;
};
