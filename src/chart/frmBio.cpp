#include "frmBio.h"

#include "ChartCanvas.h"
#include "ChartDescription.h"
#include "model/modBiorhythm.h"
#include "platform/Dates.h"
#include "shell/Accessibility.h"
#include "shell/Look.h"
#include "shell/PictureButton.h"
#include "shell/frmAbout.h"
#include "shell/modRegistry.h"
#include "startup/frmAtFirst.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace modBiorhythm;

namespace {

QPointer<frmBio> s_instance;

// The canvas width in its own units: the 28 days around the report date.
constexpr float CanvasDays = 28;

} // namespace

frmBio::frmBio(QWidget *parent)
    : QMainWindow(parent)
{
    s_instance = this;
    setObjectName(QStringLiteral("frmBio"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout();
    describeButtons();
    buildMenus();
    connectCommands();
    Form_Load();
}

frmBio::~frmBio()
{
    if (s_instance == this)
        s_instance = nullptr;
}

frmBio *frmBio::Instance()
{
    return s_instance;
}

frmBio *frmBio::GetOrCreate()
{
    if (!s_instance)
        new frmBio;
    return s_instance;
}

// ---------------------------------------------------------------------------------------------
// Load, unload and the day scale

void frmBio::Form_Load()
{
    m_unloaded = false;
    showDateLabel();

    if (QScreen *screen = this->screen()) {
        if (layout())
            layout()->activate();
        const int left = (screen->geometry().width() - frameGeometry().width()) / 2;
        move(screen->geometry().x() + left, screen->geometry().y());
    }

    m_picBiorhythm->SetScaleWidth(CanvasDays);

    // The general explanation goes in unconditionally; the first view replaces it.
    Look::SetCaption(m_lblInfo[0], InfoTopics::Heading(InfoTopic::General));
    Look::SetCaption(m_lblInfo[1], InfoTopics::Text(InfoTopic::General));

    LayoutDayScale();

    if (VisitType == QLatin1String("SELF")) {
        setAllCyclesControlsVisible(true);
        m_cmdShowAll->setEnabled(true);
        m_picShowAll->setEnabled(true);
        cmdShowAll_Click();
    } else {
        setAllCyclesControlsVisible(false);
        m_cmdShowAll->setEnabled(false);
        m_picShowAll->setEnabled(false);
        cmdPhysical_Click();
    }
}

void frmBio::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;

    ClearMemberTable();
    UsedColors.fill(0);
    m_picBiorhythm->Clear();
    VisitorsLeft = 0;
    TotalVisitors = 0;
    setAllCyclesControlsVisible(false);

    if (frmAtFirst *start = frmAtFirst::GetOrCreate()) {
        start->show();
        start->Picture2()->raise();
    }
}

void frmBio::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Explanation panel

void frmBio::ShowInfoTopic(InfoTopic topic)
{
    const QString heading = InfoTopics::Heading(topic);
    if (m_lblInfo[0]->text() == heading)
        return;
    Look::SetCaption(m_lblInfo[0], heading);
    Look::SetCaption(m_lblInfo[1], InfoTopics::Text(topic));
}

void frmBio::lblRedLineFor_MouseMove()
{
    ShowInfoTopic(InfoTopic::Physical);
}
void frmBio::lblGreenLineFor_MouseMove()
{
    ShowInfoTopic(InfoTopic::Emotional);
}
void frmBio::lblBlueLineFor_MouseMove()
{
    ShowInfoTopic(InfoTopic::Intellectual);
}
void frmBio::picExplain_MouseMove()
{
    ShowInfoTopic(InfoTopic::General);
}
void frmBio::lblGreen_MouseMove() { }

bool frmBio::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        // A label takes the mouse moves over its own area; its container never sees them.
        if (watched == m_lblRedLineFor)
            lblRedLineFor_MouseMove();
        else if (watched == m_lblGreenLineFor)
            lblGreenLineFor_MouseMove();
        else if (watched == m_lblBlueLineFor)
            lblBlueLineFor_MouseMove();
        else if (watched == m_picExplain)
            picExplain_MouseMove();
        else if (watched == m_lblGreen)
            lblGreen_MouseMove();
        else
            return QMainWindow::eventFilter(watched, event);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// The chart in words

QString frmBio::describeChart() const
{
    return ChartDescription::Text(m_picBiorhythm->ScaleWidth());
}

void frmBio::tellChart(bool withHeading)
{
    // The title bar says the program's name like every window's; a screen reader is told whose
    // chart this is, as the picture tells a sighted user. The window may have been loaded
    // before its visit, so each view says it again.
    const QString people = ChartDescription::People();
    setAccessibleName(QStringLiteral("Vantrel chart of ") + people);
    m_picBiorhythm->setAccessibleName(QStringLiteral("Biorhythm chart of ") + people);
    if (m_steppingDays)
        return;
    QString text = describeChart();
    if (withHeading)
        text = m_lblInfo[0]->text() + QLatin1Char(' ') + text;
    Accessibility::Announce(this, text);
}

// ---------------------------------------------------------------------------------------------
// Day navigation

void frmBio::stepDays(qint64 days, bool toToday)
{
    const QDate today = Dates::Today();
    for (int i = 0; i < TotalVisitors; ++i) {
        if (!IsMember(i))
            continue;
        const QDate moved = toToday ? today : VisitorReportDate[i].addDays(days);
        if (Dates::IsStorable(moved))
            VisitorReportDate[i] = moved;
    }
    m_picBiorhythm->Clear();
    m_steppingDays = true;
    if (CurrentView == QLatin1String("Physical"))
        cmdPhysical_Click();
    else if (CurrentView == QLatin1String("Emotional"))
        cmdEmotional_Click();
    else if (CurrentView == QLatin1String("Intellectual"))
        cmdIntellectual_Click();
    else if (CurrentView == QLatin1String("All"))
        cmdShowAll_Click();
    m_steppingDays = false;
    LayoutDayScale();
    tellChart(false);
}

void frmBio::cmdPrevDay_Click()
{
    stepDays(-1, false);
}
void frmBio::cmdNextDay_Click()
{
    stepDays(1, false);
}
void frmBio::cmdToday_Click()
{
    stepDays(0, true);
}
void frmBio::cmdBack_Click()
{
    close();
}

void frmBio::picPhysical_Click()
{
    cmdPhysical_Click();
}
void frmBio::picEmotional_Click()
{
    cmdEmotional_Click();
}
void frmBio::picIntellectual_Click()
{
    cmdIntellectual_Click();
}
void frmBio::picShowAll_Click()
{
    cmdShowAll_Click();
}
void frmBio::picLeft_Click()
{
    cmdPrevDay_Click();
}
void frmBio::picRight_Click()
{
    cmdNextDay_Click();
}
void frmBio::picToday_Click()
{
    cmdToday_Click();
}
void frmBio::picBack_Click()
{
    close();
}

void frmBio::mnuPhysical_Click()
{
    cmdPhysical_Click();
}
void frmBio::mnuEmotional_Click()
{
    cmdEmotional_Click();
}
void frmBio::mnuIntellectual_Click()
{
    cmdIntellectual_Click();
}
void frmBio::mnuBack_Click()
{
    close();
}
void frmBio::mnuExit_Click()
{
    close();
}
void frmBio::mnuOnlineHelp_Click()
{
    modRegistry::OpenHelpPage();
}
void frmBio::mnuVisitUsOnline_Click()
{
    modRegistry::OpenHomePage();
}
void frmBio::mnuCheckForUpdate_Click()
{
    modRegistry::OpenDownloadPage();
}
void frmBio::mnuAboutUs_Click()
{
    frmAbout::ShowModal(this);
}
