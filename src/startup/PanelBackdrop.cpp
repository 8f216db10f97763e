#include "PanelBackdrop.h"

#include "shell/AppIcon.h"
#include "shell/Look.h"
#include "shell/modRegistry.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

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

void drawBanner(QPainter &p)
{
    const QRectF banner(0, 0, Width, BannerHeight);
    QLinearGradient sky(banner.topLeft(), banner.bottomLeft());
    sky.setColorAt(0, QColor(74, 62, 30));
    sky.setColorAt(0.55, QColor(40, 36, 30));
    sky.setColorAt(1, QColor(22, 21, 21));
    p.fillRect(banner, sky);

    // A faint cycle running through the strip, echoing what the program draws.
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
}

// A round badge with the three cycles crossing on their mid line.
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

QPixmap draw()
{
    // At the screen's pixel density, so the banner and the address stay sharp.
    const qreal dpr = qMax(qreal(1), qApp ? qApp->devicePixelRatio() : qreal(1));
    QPixmap picture(QSize(qRound(Width * dpr), qRound(Height * dpr)));
    picture.setDevicePixelRatio(dpr);
    picture.fill(Look::Background);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawBanner(p);
    drawEmblem(p);

    QFont small = Look::Verdana(6.75);
    small.setUnderline(true);
    p.setFont(small);
    p.setPen(QColor(190, 170, 110));
    p.drawText(AddressArea(), Qt::AlignCenter, printedAddress());
    return picture;
}

} // namespace

QRect AddressArea()
{
    // The hotspot: Left 8300, Top 5040, 1800 x 255 twips.
    return QRect(Look::Px(8300), Look::Px(5040), Look::Px(1800), Look::Px(255));
}

const QPixmap &Picture()
{
    static const QPixmap picture = draw();
    return picture;
}

} // namespace PanelBackdrop
