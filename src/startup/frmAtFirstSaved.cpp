#include "frmAtFirst.h"

#include "SavedMembersFile.h"
#include "frmAtFirstShared.h"
#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "platform/Dates.h"
#include "platform/MessageBox.h"
#include "shell/Look.h"
#include "shell/PictureButton.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

#include <utility>
#include <vector>

using namespace AtFirst;
using namespace modBiorhythm;

// ---------------------------------------------------------------------------------------------
// Saving people

void frmAtFirst::picSaveInfo1_Click()
{
    picSaveInfo_Click();
}

void frmAtFirst::picSaveInfo_Click()
{
    Look::SetCaption(m_lblShow1,
                     QStringLiteral("You Have To Enter Information Of ") + persons(VisitorsLeft));
    Look::SetCaption(m_lblShow2,
                     QStringLiteral("You have entered the personal details for ") + persons(0));
    Look::SetCaption(m_lblShow3,
                     QStringLiteral("You Will Have To Enter Information Of ")
                         + persons(VisitorsLeft));
    m_Picture4->raise();
}

void frmAtFirst::cmdSaveInfo_Click()
{
    m_Picture4->raise();
}

void frmAtFirst::Picture1ForSave_Click()
{
    pickSwatchColor(m_Picture1ForSave, QStringLiteral("cddColorForSave"), m_lastPickedColorForSave);
}

void frmAtFirst::picSaveInfo2_Click()
{
    const QString name = m_txtNameForSave->text().trimmed();
    if (name.isEmpty()) {
        MessageBox::Critical(this, QStringLiteral("Please Enter The Name"));
        return;
    }
    if (!SavedMembersFile::IsStorableName(name)) {
        MessageBox::Critical(this, QStringLiteral("The Name Cannot Contain Double Quotes"));
        m_txtNameForSave->setFocus();
        return;
    }
    // Nothing on the panel may say a person was saved before the file holds the record. The
    // record goes to the file the list was read from, or nowhere; and a file the list was read
    // from that has been deleted since stays deleted.
    const auto ifMissing
        = m_listedFrom ? SavedMembersFile::IfMissing::Fail : SavedMembersFile::IfMissing::Create;
    if (!SavedMembersFile(m_savedPath)
             .Append(name, m_dtpDobForSave->date(), swatchColor(m_Picture1ForSave), ifMissing)) {
        MessageBox::Critical(this, QStringLiteral("Information Could Not Be Saved"));
        return;
    }
    Look::SetCaption(m_lblShow1,
                     QStringLiteral("You Have To Enter Information Of ") + persons(TotalVisitors));
    Look::SetCaption(m_lblShow2,
                     QStringLiteral("You have entered the personal details for ")
                         + persons(qint64(TotalVisitors) - VisitorsLeft + 1));
    Look::SetCaption(m_lblShow3,
                     QStringLiteral("You Will Have To Enter Information Of ")
                         + persons(qint64(VisitorsLeft) - 1));
    MessageBox::Information(this, QStringLiteral("Information Saved Successfully"));
    ReadSavedNames();
    --VisitorsLeft;
    m_txtNameForSave->clear();
    m_txtNameForSave->setFocus();
    if (VisitorsLeft == 0)
        m_picSaveInfo2->setEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// Recalling, ticking and removing saved people

void frmAtFirst::ReadSavedNames()
{
    QListWidget *list = m_lstShowSavedInfo;
    list->clear();
    m_pressedEntry = -1;
    // Entries of one height: the list lays out a million of them without measuring each.
    list->setUniformItemSizes(true);
    // Entries are made before they join the list: an entry that joins ready costs the same
    // however many the list holds, while one changed after joining has the list look again.
    std::vector<QListWidgetItem *> items;
    if (m_savedPath.isEmpty()) {
        // Decided once, here: the window goes on using this file whatever happens to the
        // folders meanwhile.
        m_savedPath = SavedMembersFile::DefaultPath();
        const SavedMembersFile file(m_savedPath);
        file.EnsureExists();
        file.RemoveLeftovers();
    }
    m_listedFrom = SavedMembersFile(m_savedPath).Read([&items](SavedMembersFile::Record &&record) {
        auto *item = new QListWidgetItem(record.name);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        items.push_back(item);
    });
    if (!m_listedFrom) {
        // A file that cannot be read through holds no one, not even the people read so far.
        qDeleteAll(items);
        return;
    }
    list->setUpdatesEnabled(false);
    for (QListWidgetItem *item : items)
        list->addItem(item);
    list->setUpdatesEnabled(true);
}

void frmAtFirst::savedInformationChanged()
{
    ReadSavedNames();
    // The ticks went with the old list; the user selects afresh.
    SavedClickCount = 0;
    MessageBox::Critical(this,
                         QStringLiteral("The Saved Information Has Changed\rPlease Select Again"));
}

void frmAtFirst::picRecallInfo_Click()
{
    Look::SetCaption(m_lblTitle,
                     QStringLiteral("You can choose to view the chart or delete information for "
                                    "a maximum of ")
                         + persons(VisitorsLeft));
    cmdRecallInfo_Click();
}

void frmAtFirst::picRecall_Click()
{
    cmdRecallInfo_Click();
}

void frmAtFirst::cmdRecallInfo_Click()
{
    SavedClickCount = 0;
    m_Picture5->raise();
}

bool frmAtFirst::listClickFilter(QEvent *event)
{
    // A click anywhere on an entry, not only on its box, toggles the tick, and the list's own
    // toggling would count twice: the list gets no say in ticks.
    QListWidget *list = m_lstShowSavedInfo;
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        if (QListWidgetItem *item = list->currentItem())
            toggleEntry(item);
        return true;
    }
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (!press && type != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    QListWidgetItem *item = list->itemAt(mouse->position().toPoint());
    const int row = item ? list->row(item) : -1;
    if (press) {
        m_pressedEntry = row;
        if (item)
            list->setCurrentItem(item);
        list->setFocus(Qt::MouseFocusReason);
    } else if (std::exchange(m_pressedEntry, -1) == row && item) {
        toggleEntry(item);
    }
    return true;
}

void frmAtFirst::toggleEntry(QListWidgetItem *item)
{
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    lstShowSavedInfo_Click();
}

void frmAtFirst::lstShowSavedInfo_Click()
{
    // The limit only warns: the tick just changed stays changed.
    if (SavedClickCount == VisitorsLeft) {
        MessageBox::Critical(
            this, QStringLiteral("You cannot select more than ") + persons(VisitorsLeft));
        return;
    }
    ++SavedClickCount;
}

QList<int> frmAtFirst::tickedEntries() const
{
    QList<int> ticked;
    for (int i = 0; i < m_lstShowSavedInfo->count(); ++i) {
        if (m_lstShowSavedInfo->item(i)->checkState() == Qt::Checked)
            ticked << i;
    }
    return ticked;
}

void frmAtFirst::setAllTicks(bool ticked)
{
    for (int i = 0; i < m_lstShowSavedInfo->count(); ++i)
        m_lstShowSavedInfo->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void frmAtFirst::cmdSelectAll_Click()
{
    setAllTicks(true);
}

void frmAtFirst::picSelectAll_Click()
{
    cmdSelectAll_Click();
}

void frmAtFirst::cmdDeselectAll_Click()
{
    setAllTicks(false);
}

void frmAtFirst::picDeselectAll_Click()
{
    cmdDeselectAll_Click();
}

void frmAtFirst::picRemove_Click()
{
    const QList<int> ticked = tickedEntries();
    if (ticked.size() != VisitorsLeft) {
        MessageBox::Critical(this,
                             QStringLiteral("You can delete information for a maximum of ")
                                 + persons(VisitorsLeft) + QStringLiteral(" Only"));
        return;
    }
    // By position: of two records with the same name only the ticked one goes, and only
    // from the file the list shows.
    switch (SavedMembersFile(m_savedPath).RemovePositions(ticked, m_listedFrom)) {
    case SavedMembersFile::Outcome::Done:
        MessageBox::Information(this, QStringLiteral("Information Removed Successfully"));
        ReadSavedNames();
        return;
    case SavedMembersFile::Outcome::Changed:
        savedInformationChanged();
        return;
    case SavedMembersFile::Outcome::Failed:
        // The file is as it was, and so are the ticks: the user can try again.
        MessageBox::Critical(this, QStringLiteral("Information Could Not Be Removed"));
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// The chart for ticked saved people

void frmAtFirst::picShowBioRythm_Click()
{
    // Saved people never get the one-person all-cycles view, whatever their number.
    frmBio *chart = frmBio::GetOrCreate();
    for (const char *name :
         { "picShowAll", "lblRedLineFor", "lblGreenLineFor", "lblBlueLineFor" }) {
        if (QWidget *control = chart->findChild<QWidget *>(QString::fromLatin1(name)))
            control->hide();
    }
    cmdShowBioRythm_Click();
}

void frmAtFirst::cmdShowBioRythm_Click()
{
    const QList<int> ticked = tickedEntries();
    const int k = int(ticked.size());
    if (k == 0) {
        MessageBox::Critical(this, QStringLiteral("You Have To Select At Least 1 Person"));
        return;
    }
    if (VisitorsLeft < k) {
        MessageBox::Critical(this,
                             QStringLiteral("You can view the chart for a maximum of ")
                                 + persons(VisitorsLeft) + QStringLiteral(" Only"));
        return;
    }
    if (k < VisitorsLeft) {
        MessageBox::Critical(this,
                             QStringLiteral("Please select ") + QString::number(VisitorsLeft)
                                 + QStringLiteral("  Person(s)"));
        return;
    }

    // Each ticked entry brings its own record, so two people of one name keep their own
    // dates; and it comes from the file the list shows, or the chart would be someone else's.
    const std::optional<QList<SavedMembersFile::Record>> records
        = SavedMembersFile(m_savedPath).RecordsAt(ticked, m_listedFrom);
    if (!records) {
        savedInformationChanged();
        return;
    }

    VisitType = k == 1 ? SelfType : QString();
    ResizeMemberTable(k);
    TotalVisitors = qint16(k);
    VisitorsLeft = qint16(k);
    const QDate today = Dates::Today();
    for (int j = 0; j < k; ++j) {
        const SavedMembersFile::Record &record = records->at(j);
        StoreMember(j, m_lstShowSavedInfo->item(ticked[j])->text(),
                    SavedMembersFile::DateFromText(record.dob).value_or(Dates::EmptyDate()), today,
                    SavedMembersFile::ColorFromText(record.color).value_or(0));
    }
    IsSelf = false;

    const bool loadedBefore = frmBio::Instance() != nullptr;
    frmBio *chart = frmBio::GetOrCreate();
    if (loadedBefore) {
        // It was loaded for the table as it stood then: day numbers and legend slots of
        // members that are gone would stay.
        chart->LayoutDayScale();
        chart->HideLegendFrom(k);
    }
    if (auto *cmdShowAll = chart->findChild<QPushButton *>(QStringLiteral("cmdShowAll")))
        cmdShowAll->setEnabled(false);
    chart->show();
    chart->cmdPhysical_Click();
    close();
}
