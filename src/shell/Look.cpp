#include "Look.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace Look {

namespace {

void installFontSubstitutes()
{
    static const bool done = [] {
        const QStringList fallback { QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif") };
        QFont::insertSubstitutions(QStringLiteral("Verdana"), fallback);
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), fallback);
        return true;
    }();
    Q_UNUSED(done);
}

QFont makeFont(const QString &family, qreal pointSize, bool bold)
{
    installFontSubstitutes();
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

QColor FromBgr(qint32 bgr)
{
    const auto v = quint32(bgr);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint32 ToBgr(const QColor &color)
{
    return qint32(quint32(color.red()) | (quint32(color.green()) << 8)
                  | (quint32(color.blue()) << 16));
}

QString Indexed(const char *name, int index)
{
    return QString::fromLatin1(name) + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}

int Px(int twips)
{
    return qRound(twips / 15.0);
}

void PlaceTw(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

void MoveTw(QWidget *widget, int left, int top)
{
    widget->move(Px(left), Px(top));
}

QFont Verdana(qreal pointSize, bool bold)
{
    return makeFont(QStringLiteral("Verdana"), pointSize, bold);
}

QFont MsSansSerif(qreal pointSize, bool bold)
{
    return makeFont(QStringLiteral("MS Sans Serif"), pointSize, bold);
}

void PaintBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::WindowText, White);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel *MakeLabel(QWidget *parent, const QString &name, const QString &text, const QColor &color,
                  const QFont &font, bool autoSize)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    label->setFont(font);
    label->setContentsMargins(0, 0, 0, 0);
    label->setIndent(0);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setProperty("autoSize", autoSize);
    label->setText(text);
    if (autoSize)
        label->adjustSize();
    return label;
}

QLabel *MakeParagraph(QWidget *parent, const QString &name, const QString &text,
                      const QColor &color, int left, int top, int width, int height,
                      const QFont &font)
{
    QLabel *label = MakeLabel(parent, name, text, color, font, false);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTw(label, left, top, width, height);
    return label;
}

void SetCaption(QLabel *label, const QString &text)
{
    // Views set the same captions over and over: leave a label alone when nothing changes.
    if (!label || label->text() == text)
        return;
    label->setText(text);
    if (label->property("autoSize").toBool())
        label->adjustSize();
}

void SetBackColor(QWidget *widget, const QColor &color)
{
    if (!widget)
        return;
    if (widget->autoFillBackground() && widget->palette().color(QPalette::Window) == color)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace Look
