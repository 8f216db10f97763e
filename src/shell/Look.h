#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// The one dark look every window shares: palette, fonts and the twips geometry the layouts
// are written in (15 twips to a pixel at 96 dots per inch).
namespace Look {

inline const QColor Background { 33, 32, 32 };
inline const QColor Amber { 255, 199, 6 };
inline const QColor White { 255, 255, 255 };
inline const QColor Black { 0, 0, 0 };

// Colours as the visit state keeps them: 0x00BBGGRR, red in the low byte.
QColor FromBgr(qint32 bgr);
qint32 ToBgr(const QColor &color);

// The name of an element of a control array: "name(index)", e.g. "lblNextDay(0)".
QString Indexed(const char *name, int index);

// Twips to pixels.
int Px(int twips);
// Places a widget by its layout in twips, relative to its container.
void PlaceTw(QWidget *widget, int left, int top, int width, int height);
void MoveTw(QWidget *widget, int left, int top);

// The layouts' fonts. Verdana and MS Sans Serif fall back to DejaVu Sans where missing.
QFont Verdana(qreal pointSize = 8.25, bool bold = false);
QFont MsSansSerif(qreal pointSize = 8.25, bool bold = false);

// Dark background, white text, for a window or a panel.
void PaintBackground(QWidget *widget, const QColor &color = Background);

// A caption label: always plain text (a name like "<b>x</b>" or "A&B" shows as typed),
// transparent, in the given colour and font. An auto-sized label takes the size of its text
// whenever SetCaption changes it.
QLabel *MakeLabel(QWidget *parent, const QString &name, const QString &text, const QColor &color,
                  const QFont &font, bool autoSize = true);
// A word-wrapped paragraph label of fixed size (twips).
QLabel *MakeParagraph(QWidget *parent, const QString &name, const QString &text,
                      const QColor &color, int left, int top, int width, int height,
                      const QFont &font = Verdana());
// Sets a label's caption; auto-sized labels resize to it, keeping their left and top.
void SetCaption(QLabel *label, const QString &text);
// Sets a widget's background colour, only when it differs (views repaint the legend often).
void SetBackColor(QWidget *widget, const QColor &color);

} // namespace Look
