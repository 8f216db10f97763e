#include "frmAtFirst.h"

#include "frmAtFirstShared.h"
#include "model/modBiorhythm.h"
#include "platform/MessageBox.h"
#include "shell/Accessibility.h"
#include "shell/Look.h"
#include "shell/PictureButton.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

using namespace AtFirst;
using namespace modBiorhythm;

// ---------------------------------------------------------------------------------------------
// Analysis type and group size

void frmAtFirst::cboVisitType_Click()
{
    const QString choice = m_cboVisitType->currentText();
    if (choice == GroupType) {
        m_cboNoOfVisitor->clear();
        for (int n = 3; n <= 10; ++n)
            m_cboNoOfVisitor->addItem(QString::number(n));
        // A freshly filled list would otherwise show its first size as if it had been picked.
        m_cboNoOfVisitor->setCurrentIndex(-1);
    } else if (choice == SelfType || choice == CoupleType) {
        restartVisit(choice == SelfType ? 1 : 2);
        m_picSaveInfo->setEnabled(true);
        m_picRecallInfo->setEnabled(true);
        m_picNext->setEnabled(true);
    }
    IsSelf = choice == SelfType;
    m_cboNoOfVisitor->setEnabled(choice == GroupType);
    // A single person's curves have fixed colours.
    m_Picture1->setEnabled(!IsSelf);
}

void frmAtFirst::restartVisit(int n)
{
    TotalVisitors = qint16(n);
    VisitorsLeft = qint16(n);
    ResizeMemberTable(n);
    // The members entered so far are discarded, and with them their colours and the way to a
    // chart of them: the entry panel starts over as a freshly loaded window has it.
    EmptyUsedColors();
    m_picSave->hide();
    m_picSubmit->show();
    m_cmdSave->setEnabled(false);
}

void frmAtFirst::cboNoOfVisitor_Click()
{
    bool ok = false;
    const int n = m_cboNoOfVisitor->currentText().trimmed().toInt(&ok);
    if (!ok || n < 3 || n > 10)
        return;
    GroupSize = qint16(n);
    restartVisit(n);
    // The name box is the entry panel's first control: it has the focus once that panel is in
    // front.
    focusIfInFront(m_txtVisitorName);
    m_picSaveInfo->setEnabled(true);
    m_picRecallInfo->setEnabled(true);
    m_picNext->setEnabled(true);
}

// ---------------------------------------------------------------------------------------------
// Member entry

void frmAtFirst::showProgress(int stored)
{
    const QString type = m_cboVisitType->currentText();
    const bool before = stored < 0;
    if (type == SelfType) {
        Look::SetCaption(m_lblDisp1,
                         QStringLiteral("You have chosen to enter details for ")
                             + QStringLiteral(" SELF"));
        Look::SetCaption(m_lblDisp2,
                         before ? QStringLiteral("You are yet to enter your details")
                                : QStringLiteral("You have already entered your details"));
        m_lblDisp3->hide();
        return;
    }
    if (type == CoupleType) {
        Look::SetCaption(m_lblDisp1,
                         QStringLiteral("You have chosen to enter details for a ")
                             + QStringLiteral(" COUPLE"));
    } else if (type == GroupType) {
        Look::SetCaption(m_lblDisp1,
                         QStringLiteral("You have chosen to enter details for a ")
                             + QStringLiteral(" GROUP ") + persons(GroupSize));
    } else {
        return;
    }
    const qint64 entered = before ? 0 : qint64(stored) + 1;
    const qint64 left = before ? VisitorsLeft : qint64(VisitorsLeft) - 1;
    Look::SetCaption(
        m_lblDisp2, QStringLiteral("You have already entered the details for ") + persons(entered));
    Look::SetCaption(m_lblDisp3,
                     QStringLiteral("You are yet to enter the details for ") + persons(left));
}

void frmAtFirst::announceProgress()
{
    // The progress lines change under the focus, unseen by a screen reader: it is told.
    QStringList lines;
    for (const QLabel *line : { m_lblDisp2, m_lblDisp3 }) {
        if (!line->isHidden() && !line->text().isEmpty())
            lines << line->text();
    }
    Accessibility::Announce(this, lines.join(QStringLiteral(". ")));
}

void frmAtFirst::picNext_Click()
{
    if (m_cboVisitType->currentText() == GroupType && m_cboNoOfVisitor->currentText().isEmpty()) {
        MessageBox::Critical(this, QStringLiteral("Please Select People in the Group"));
        return;
    }
    showProgress(-1);
    m_Picture3->raise();
}

qint32 frmAtFirst::swatchColor(const QWidget *swatch)
{
    return Look::ToBgr(swatch->palette().color(QPalette::Window));
}

void frmAtFirst::pickSwatchColor(QFrame *swatch, const QString &dialogName, QColor &lastConfirmed)
{
    // The window remembers the colour, not the dialog: a dialog that is destroyed once it is
    // answered gives the activation back to this window at once.
    QColorDialog dialog(lastConfirmed, this);
    dialog.setObjectName(dialogName);
    // Our own dialog rather than the desktop's, so that it is modal like every other one.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    lastConfirmed = dialog.selectedColor();
    Look::SetBackColor(swatch, lastConfirmed);
}

void frmAtFirst::Picture1_Click()
{
    pickSwatchColor(m_Picture1, QStringLiteral("cddColorPicker"), m_lastPickedColor);
}

int frmAtFirst::ColorCount()
{
    const qint32 color = swatchColor(m_Picture1);
    const int filled = qBound(0, int(UsedColorCount), int(UsedColors.size()));
    int count = 0;
    for (int i = 0; i < filled; ++i) {
        if (UsedColors[size_t(i)] == color)
            ++count;
    }
    return count;
}

bool frmAtFirst::CheckEntry()
{
    if (m_cboVisitType->currentText().isEmpty()) {
        MessageBox::Critical(this, QStringLiteral("Visit Type Cannot Be Empty"));
        focusIfInFront(m_cboVisitType);
        return false;
    }
    if (m_cboVisitType->currentText() == GroupType && m_cboNoOfVisitor->currentText().isEmpty()) {
        MessageBox::Critical(this, QStringLiteral("Please Select Visit Type"));
        focusIfInFront(m_cboNoOfVisitor);
        return false;
    }
    // Not trimmed: a name of blanks is a name.
    if (m_txtVisitorName->text().isEmpty()) {
        MessageBox::Critical(this, QStringLiteral("Name Cannot Be Blank"));
        focusIfInFront(m_txtVisitorName);
        return false;
    }
    if (!m_optMale->isChecked() && !m_optFemale->isChecked()) {
        MessageBox::Critical(this, QStringLiteral("Please Select Your Sex"));
        focusIfInFront(m_optMale);
        return false;
    }
    if (ColorCount() > 0) {
        MessageBox::Critical(this, QStringLiteral("Choose Another Color"));
        return false;
    }
    return true;
}

void frmAtFirst::cmdSubmit_Click()
{
    if (!CheckEntry())
        return;

    const qint32 color = swatchColor(m_Picture1);
    // A full list keeps the colours it has.
    if (UsedColorCount >= 0 && UsedColorCount < qint16(UsedColors.size())) {
        UsedColors[size_t(UsedColorCount)] = color;
        ++UsedColorCount;
    }

    if (VisitorsLeft == 1) {
        m_cmdSave->setEnabled(true);
        const bool submitHadFocus = m_picSubmit->hasFocus();
        m_picSubmit->hide();
        m_picSave->show();
        // A keyboard user who pressed Next goes on with View Result, which takes its place.
        if (submitHadFocus)
            m_picSave->setFocus(Qt::TabFocusReason);
    }

    if (VisitorsLeft != 0) {
        const int k = TotalVisitors - VisitorsLeft;
        showProgress(k);
        announceProgress();
        StoreMember(k, m_txtVisitorName->text(), m_dtpDob->date(), m_dtpReportDate->date(), color);
        --VisitorsLeft;
        m_txtVisitorName->clear();
    } else {
        MessageBox::Critical(this,
                             QStringLiteral("You Reach The Limit Of Selecting Members")
                                 + QLatin1Char('\r')
                                 + QStringLiteral("You Cannot Accept Further Member"));
    }
}

void frmAtFirst::picSubmit_Click()
{
    cmdSubmit_Click();
}
