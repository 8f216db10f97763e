#include "MessageBox.h"

namespace MessageBox {

namespace {

QMessageBox::StandardButton show(QWidget *parent, QMessageBox::Icon icon, const QString &text,
                                 QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, QStringLiteral("Vantrel"), text, buttons, parent);
    // User text (names, dates) may be part of a message: never interpret it as markup.
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void Critical(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Critical, text, QMessageBox::Ok);
}

void Information(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Information, text, QMessageBox::Ok);
}

bool AskYesNo(QWidget *parent, const QString &text)
{
    return show(parent, QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

} // namespace MessageBox
