#include "ImageList.h"

void ImageList::Add(const QString &key, const QPixmap &picture)
{
    m_images.append({ key, picture.deviceIndependentSize().toSize(), picture, {} });
}

void ImageList::Add(const QString &key, QSize size, std::function<QPixmap()> draw)
{
    m_images.append({ key, size, QPixmap(), std::move(draw) });
}

QPixmap ImageList::Picture(int position) const
{
    if (position < 1 || position > Count())
        return {};
    const Entry &entry = m_images.at(position - 1);
    if (entry.draw) {
        entry.picture = entry.draw();
        entry.draw = nullptr;
    }
    return entry.picture;
}

QSize ImageList::PictureSize(int position) const
{
    if (position < 1 || position > Count())
        return {};
    return m_images.at(position - 1).size;
}

QString ImageList::Key(int position) const
{
    if (position < 1 || position > Count())
        return {};
    return m_images.at(position - 1).key;
}

int ImageList::IndexOf(const QString &key) const
{
    for (int i = 0; i < Count(); ++i) {
        if (m_images.at(i).key == key)
            return i + 1;
    }
    return 0;
}
