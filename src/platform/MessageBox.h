#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The program's message boxes: always modal, always captioned with the program title.
namespace MessageBox {

// A refusal or a failure: critical icon, OK button.
void Critical(QWidget *parent, const QString &text);
// A confirmation of success: information icon, OK button.
void Information(QWidget *parent, const QString &text);
// The one question the program asks: exclamation icon, Yes and No. True for Yes.
bool AskYesNo(QWidget *parent, const QString &text);

} // namespace MessageBox
