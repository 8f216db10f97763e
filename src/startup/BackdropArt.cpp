#include "BackdropArt.h"

#include "PanelBackdrop.h"
#include "shell/AppIcon.h"
#include "shell/Look.h"
#include "shell/modRegistry.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace PanelBackdrop {

namespace {

// The site as people type it: without the scheme.
QString printedAddress()
{
    QString address = modRegistry::SiteAddress();
    const int scheme = address.indexOf(QStringLiteral("://"));
    if (scheme >= 0)
        address.remove(0, scheme + 3);
    return address;
}

// The banner's strip, with a faint cycle running through it and an amber edge.
void drawBannerShapes(QPainter &p)
{
    const QRectF banner(0, 0, Width, BannerHeight);
    QLinearGradient sky(banner.topLeft(), banner.bottomLeft());
    sky.setColorAt(0, QColor(74, 62, 30));
    sky.setColorAt(0.55, QColor(40, 36, 30));
    sky.setColorAt(1, QColor(22, 21, 21));
    p.fillRect(banner, sky);

    // The cycle echoes what the program draws.
    QPainterPath wave;
    for (int x = 0; x <= Width; x += 2) {
        const double y = 40 + 14 * std::sin(x / 46.0);
        if (x == 0)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    p.setPen(QPen(QColor(255, 199, 6, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);

    p.setPen(QPen(Look::Amber, 2));
    p.drawLine(QPointF(0, BannerHeight - 1), QPointF(Width, BannerHeight - 1));
}

// A round badge at the banner's right end with the three cycles crossing on their mid line.
void drawEmblem(QPainter &p)
{
    const QPointF centre(Width - 48, BannerHeight / 2.0);
    const qreal r = 27;
    QRadialGradient glow(centre, r);
    glow.setColorAt(0, QColor(60, 56, 50));
    glow.setColorAt(1, QColor(26, 25, 25));
    p.setBrush(glow);
    p.setPen(QPen(Look::Amber, 2));
    p.drawEllipse(centre, r, r);

    p.save();
    QPainterPath clip;
    clip.addEllipse(centre, r - 3, r - 3);
    p.setClipPath(clip);
    AppIcon::PaintCycles(p, QRectF(centre.x() - r, centre.y() - (r - 9), 2 * r, 2 * (r - 9)), 1.8);
    p.restore();
}

} // namespace

QRect AddressArea()
{
    // The hotspot: Left 8300, Top 5040, 1800 x 255 twips.
    return QRect(Look::Px(8300), Look::Px(5040), Look::Px(1800), Look::Px(255));
}

// These touch nothing shared but the font database, which guards itself, so they may run on a
// thread of their own. The lettering lies clear of the shapes but for the wave, which it
// covers as it did when all was drawn in one go.
QImage DrawShapes(const Target &target)
{
    const qreal dpr = target.devicePixelRatio;
    QImage picture(QSize(qRound(Width * dpr), qRound(Height * dpr)), target.format);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Look::Background);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    drawBannerShapes(p);
    drawEmblem(p);
    return picture;
}

void DrawLettering(QImage &picture)
{
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont logo = Look::Verdana(24, true);
    logo.setLetterSpacing(QFont::PercentageSpacing, 104);
    p.setFont(logo);
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(QRectF(20, 3, 400, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vantrel"));
    p.setPen(Look::Amber);
    p.drawText(QRectF(18, 1, 400, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vantrel"));

    p.setFont(Look::Verdana(7.5));
    p.setPen(Look::White);
    p.drawText(QRectF(20, 44, 400, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Biorhythm charts for yourself, a couple or a group"));

    QFont small = Look::Verdana(6.75);
    small.setUnderline(true);
    p.setFont(small);
    p.setPen(QColor(190, 170, 110));
    p.drawText(AddressArea(), Qt::AlignCenter, printedAddress());
}

QImage DrawWhole(const Target &target)
{
    QImage picture = DrawShapes(target);
    DrawLettering(picture);
    return picture;
}

Setting CurrentSetting(QImage::Format format)
{
    bool scaled = false;
    for (const QScreen *screen : QGuiApplication::screens())
        scaled = scaled || screen->devicePixelRatio() != 1;
    return { QImage(1, 1, format).logicalDpiY(), scaled, QFontInfo(Look::Verdana()).family() };
}

QList<quint32> Runs(const QImage &picture)
{
    if (picture.depth() != 32)
        return {};
    QList<quint32> runs;
    for (int y = 0; y < picture.height(); ++y) {
        const auto *pixel = reinterpret_cast<const quint32 *>(picture.constScanLine(y));
        int x = 0;
        while (x < picture.width()) {
            int end = x + 1;
            while (end < picture.width() && pixel[end] == pixel[x])
                ++end;
            runs << pixel[x] << quint32(end - x);
            x = end;
        }
    }
    return runs;
}

QImage Unpack(const StoredPicture &stored)
{
    const int dpr = stored.devicePixelRatio;
    QImage picture(QSize(Width * dpr, Height * dpr), stored.format);
    picture.setDevicePixelRatio(dpr);
    if (picture.depth() != 32)
        return {};
    // Most of it is the plain body, which fills fastest in one go.
    picture.fill(Look::Background);
    const quint32 body = picture.pixel(0, 0);
    int x = 0, y = 0;
    quint32 *line = reinterpret_cast<quint32 *>(picture.scanLine(0));
    for (std::size_t i = 0; i + 1 < stored.runs.size(); i += 2) {
        const quint32 count = stored.runs[i + 1];
        // Runs that do not fill the picture exactly are not this program's: it is drawn instead.
        if (y >= picture.height() || count == 0 || count > quint32(picture.width() - x))
            return {};
        if (stored.runs[i] != body)
            std::fill_n(line + x, count, stored.runs[i]);
        x += int(count);
        if (x == picture.width() && ++y < picture.height()) {
            x = 0;
            line = reinterpret_cast<quint32 *>(picture.scanLine(y));
        }
    }
    return y == picture.height() ? picture : QImage();
}

} // namespace PanelBackdrop
