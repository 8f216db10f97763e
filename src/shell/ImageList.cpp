#include "ImageList.h"

void ImageList::Add(const QString &key, const QPixmap &picture)
{
    m_images.append({key, picture});
}

QPixmap ImageList::Picture(int position) const
{
    if (position < 1 || position > Count())
        return {};
    return m_images.at(position - 1).picture;
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
