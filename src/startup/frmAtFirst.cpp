#include "frmAtFirst.h"

#include "PanelBackdrop.h"
#include "SavedMembersFile.h"
#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "platform/Dates.h"
#include "platform/SingleInstance.h"
#include "shell/Chrome.h"
#include "shell/Look.h"
#include "shell/PictureButton.h"
#include "shell/UpdateReminder.h"
#include "shell/frmAbout.h"
#include "shell/modRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace modBiorhythm;

namespace {

QPointer<frmAtFirst> s_instance;

bool isLeftClick(QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    return mouse->button() == Qt::LeftButton;
}

bool releasedInside(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !widget->isEnabled() || !isLeftClick(event))
        return false;
    return widget->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint());
}

} // namespace

frmAtFirst::frmAtFirst(QWidget *parent)
    : QMainWindow(parent)
{
    s_instance = this;
    setObjectName(QStringLiteral("frmAtFirst"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout();
    // The controls' own text is laid out: the backdrop's lettering may have the fonts now.
    PanelBackdrop::StartLettering();
    buildMenus();
    connectCommands();
    centreOnScreen();
    Form_Load();
}

frmAtFirst::~frmAtFirst()
{
    // A window closed before it was ever painted does not leave its backdrop half drawn.
    PanelBackdrop::FinishDrawing();
    if (s_instance == this)
        s_instance = nullptr;
}

frmAtFirst *frmAtFirst::Instance()
{
    return s_instance;
}

frmAtFirst *frmAtFirst::GetOrCreate()
{
    if (!s_instance)
        new frmAtFirst;
    return s_instance;
}

void frmAtFirst::buildMenus()
{
    QMenu *file
        = Chrome::AddMenu(this, nullptr, QStringLiteral("mnuFile"), QStringLiteral("&File"));
    m_mnuExit = Chrome::AddEntry(file, QStringLiteral("mnuExit"), QStringLiteral("E&xit"));

    QMenu *help
        = Chrome::AddMenu(this, nullptr, QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
    m_mnuOnline
        = Chrome::AddEntry(help, QStringLiteral("mnuOnline"), QStringLiteral("&Online Help"));
    m_mnuVisit
        = Chrome::AddEntry(help, QStringLiteral("mnuVisit"), QStringLiteral("&Visit Us Online"));
    Chrome::AddSeparator(help, QStringLiteral("mnuSep1"), false);
    m_mnuUpdate = Chrome::AddEntry(help, QStringLiteral("mnuUpdate"),
                                   QStringLiteral("Check for Software &Update"), false);
    Chrome::AddSeparator(help, QStringLiteral("mnuSep2"), false);
    m_mnuAbout
        = Chrome::AddEntry(help, QStringLiteral("mnuAbout"), QStringLiteral("&About Software"));
}

void frmAtFirst::connectCommands()
{
    connect(m_cboVisitType, &QComboBox::activated, this, &frmAtFirst::cboVisitType_Click);
    connect(m_cboNoOfVisitor, &QComboBox::activated, this, &frmAtFirst::cboNoOfVisitor_Click);

    connect(m_picNext, &PictureButton::clicked, this, &frmAtFirst::picNext_Click);
    connect(m_picSubmit, &PictureButton::clicked, this, &frmAtFirst::picSubmit_Click);
    connect(m_cmdSubmit, &QPushButton::clicked, this, &frmAtFirst::cmdSubmit_Click);
    connect(m_picSave, &PictureButton::clicked, this, &frmAtFirst::picSave_Click);
    connect(m_cmdSave, &QPushButton::clicked, this, &frmAtFirst::cmdSave_Click);
    connect(m_picBack3, &PictureButton::clicked, this, &frmAtFirst::picBack3_Click);
    connect(m_picBack, &PictureButton::clicked, this, &frmAtFirst::picBack_Click);
    connect(m_picBack1, &PictureButton::clicked, this, &frmAtFirst::picBack1_Click);
    connect(m_cmdBackToBio, &QPushButton::clicked, this, &frmAtFirst::cmdBackToBio_Click);

    connect(m_picSaveInfo1, &PictureButton::clicked, this, &frmAtFirst::picSaveInfo1_Click);
    connect(m_picSaveInfo, &PictureButton::clicked, this, &frmAtFirst::picSaveInfo_Click);
    connect(m_cmdSaveInfo, &QPushButton::clicked, this, &frmAtFirst::cmdSaveInfo_Click);
    connect(m_picSaveInfo2, &PictureButton::clicked, this, &frmAtFirst::picSaveInfo2_Click);
    connect(m_picRecallInfo, &PictureButton::clicked, this, &frmAtFirst::picRecallInfo_Click);
    connect(m_picRecall, &PictureButton::clicked, this, &frmAtFirst::picRecall_Click);
    connect(m_cmdRecallInfo, &QPushButton::clicked, this, &frmAtFirst::cmdRecallInfo_Click);
    connect(m_cmdSelectAll, &QPushButton::clicked, this, &frmAtFirst::cmdSelectAll_Click);
    connect(m_picSelectAll, &PictureButton::clicked, this, &frmAtFirst::picSelectAll_Click);
    connect(m_cmdDeselectAll, &QPushButton::clicked, this, &frmAtFirst::cmdDeselectAll_Click);
    connect(m_picDeselectAll, &PictureButton::clicked, this, &frmAtFirst::picDeselectAll_Click);
    connect(m_picRemove, &PictureButton::clicked, this, &frmAtFirst::picRemove_Click);
    connect(m_picShowBioRythm, &PictureButton::clicked, this, &frmAtFirst::picShowBioRythm_Click);
    connect(m_cmdShowBioRythm, &QPushButton::clicked, this, &frmAtFirst::cmdShowBioRythm_Click);
    connect(m_picBackToBio, &PictureButton::clicked, this, &frmAtFirst::picBackToBio_Click);

    connect(m_mnuExit, &QAction::triggered, this, &frmAtFirst::mnuExit_Click);
    connect(m_mnuOnline, &QAction::triggered, this, &frmAtFirst::mnuOnline_Click);
    connect(m_mnuVisit, &QAction::triggered, this, &frmAtFirst::mnuVisit_Click);
    connect(m_mnuUpdate, &QAction::triggered, this, &frmAtFirst::mnuUpdate_Click);
    // Queued: the modal About window must not hold up whoever triggered the entry (a screen
    // reader's press waits for the entry to return).
    connect(m_mnuAbout, &QAction::triggered, this, &frmAtFirst::mnuAbout_Click,
            Qt::QueuedConnection);
}

QWidget *frmAtFirst::frontPanel() const
{
    // Raising a panel makes it the last of its siblings.
    QWidget *front = nullptr;
    for (QObject *child : m_client->children()) {
        if (child == m_Picture2 || child == m_Picture3 || child == m_Picture4
            || child == m_Picture5)
            front = static_cast<QWidget *>(child);
    }
    return front;
}

void frmAtFirst::centreOnScreen()
{
    QScreen *screen = this->screen();
    if (!screen)
        return;
    if (layout())
        layout()->activate();
    adjustSize();
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

QWidget *frmAtFirst::firstControl(QWidget *panel) const
{
    // The focus chain runs through the whole window; the panel's own part of it is in reading
    // order.
    for (QWidget *w = panel->nextInFocusChain(); w && w != panel; w = w->nextInFocusChain()) {
        if (panel->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(panel)
            && (w->focusPolicy() & Qt::TabFocus))
            return w;
    }
    return nullptr;
}

void frmAtFirst::showFrontPanelOnly()
{
    QWidget *front = frontPanel();
    if (!front)
        return;
    const bool newlyInFront = front->isHidden();
    front->show();
    for (QFrame *panel : { m_Picture2, m_Picture3, m_Picture4, m_Picture5 }) {
        if (panel != front)
            panel->hide();
    }
    if (newlyInFront) {
        if (QWidget *first = firstControl(front))
            first->setFocus(Qt::OtherFocusReason);
    }
}

void frmAtFirst::focusIfInFront(QWidget *control)
{
    QWidget *front = frontPanel();
    if (front && front->isAncestorOf(control))
        control->setFocus(Qt::OtherFocusReason);
}

void frmAtFirst::showSwatchFocus(QFrame *swatch, bool focused)
{
    // Only the entry panel's swatch has a border of its own; the ring takes its place.
    const bool bordered = swatch == m_Picture1;
    swatch->setFrameShape(focused || bordered ? QFrame::Box : QFrame::NoFrame);
    swatch->setFrameShadow(QFrame::Plain);
    swatch->setLineWidth(focused ? 2 : 1);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::WindowText, focused ? Look::White : Look::Black);
    swatch->setPalette(palette);
}

bool frmAtFirst::eventFilter(QObject *watched, QEvent *event)
{
    const bool isPanel = watched == m_Picture2 || watched == m_Picture3 || watched == m_Picture4
        || watched == m_Picture5;
    if (isPanel && event->type() == QEvent::Paint) {
        QPainter painter(static_cast<QWidget *>(watched));
        painter.drawPixmap(0, 0, PanelBackdrop::Picture());
        return false; // the panel still draws its border
    }
    // However a panel comes to the front (raised by any routine, or from outside), the ones
    // behind it go out of sight.
    if (isPanel && event->type() == QEvent::ZOrderChange) {
        showFrontPanelOnly();
        return false;
    }
    const bool isSwatch = watched == m_Picture1 || watched == m_Picture1ForSave;
    if (isSwatch && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        showSwatchFocus(static_cast<QFrame *>(watched), event->type() == QEvent::FocusIn);
        return false;
    }
    if (isSwatch && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_Picture1)
                Picture1_Click();
            else
                Picture1ForSave_Click();
            return true;
        }
    }
    if (watched == m_Picture1 && releasedInside(watched, event)) {
        Picture1_Click();
        return true;
    }
    if (watched == m_Picture1ForSave && releasedInside(watched, event)) {
        Picture1ForSave_Click();
        return true;
    }
    if (m_lstShowSavedInfo
        && (watched == m_lstShowSavedInfo->viewport() || watched == m_lstShowSavedInfo)
        && listClickFilter(event))
        return true;
    for (int i = 1; i <= 4; ++i) {
        if (watched == m_lblHyperlink[size_t(i)] && releasedInside(watched, event)) {
            lblHyperlink_Click(i);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Load and unload

void frmAtFirst::Form_Load()
{
    m_unloaded = false;
    m_dtpReportDate->setDate(Dates::Today());
    m_picSave->hide();

    EmptyUsedColors();

    ReadSavedNames();

    if (SingleInstance::AnotherIsRunning()) {
        // The running copy has brought its window forward. This one ends without ever showing
        // a window, and the farewell page is for a user leaving the program, so it unloads
        // quietly.
        m_unloaded = true;
        if (s_instance == this)
            s_instance = nullptr;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (window != this && !window->parentWidget())
                window->close();
        }
        close();
        return;
    }
    UpdateReminder();
    m_Picture2->raise();
}

void frmAtFirst::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (s_instance == this)
        s_instance = nullptr;
    modRegistry::OpenFarewellPage();
}

void frmAtFirst::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// View result and the way back

void frmAtFirst::cmdSave_Click()
{
    VisitType = m_cboVisitType->currentText();
    // A chart window built ahead of time but never shown was loaded for another visit: load
    // it again for this one.
    frmBio *chart = frmBio::Instance();
    if (chart && !chart->isVisible())
        chart->Form_Load();
    else
        chart = frmBio::GetOrCreate();
    chart->show();
    close();
}

void frmAtFirst::picSave_Click()
{
    cmdSave_Click();
}

void frmAtFirst::backToAnalysisType()
{
    m_cboVisitType->setCurrentIndex(-1);
    m_cboNoOfVisitor->setCurrentIndex(-1);
    m_picSaveInfo->setEnabled(false);
    m_picRecallInfo->setEnabled(false);
    m_picNext->setEnabled(false);
    m_Picture2->raise();
}

void frmAtFirst::picBack3_Click()
{
    backToAnalysisType();
}

void frmAtFirst::picBack_Click()
{
    backToAnalysisType();
}

void frmAtFirst::picBack1_Click()
{
    backToAnalysisType();
    m_picSaveInfo2->setEnabled(true);
}

void frmAtFirst::cmdBackToBio_Click()
{
    close();
}

void frmAtFirst::picBackToBio_Click()
{
    cmdBackToBio_Click();
}

// ---------------------------------------------------------------------------------------------
// Web links and menus

void frmAtFirst::lblHyperlink_Click(int Index)
{
    Q_UNUSED(Index);
    modRegistry::OpenHomePage();
}

void frmAtFirst::mnuExit_Click()
{
    close();
}

void frmAtFirst::mnuOnline_Click()
{
    modRegistry::OpenHelpPage();
}

void frmAtFirst::mnuVisit_Click()
{
    modRegistry::OpenHomePage();
}

void frmAtFirst::mnuUpdate_Click()
{
    modRegistry::OpenDownloadPage();
}

void frmAtFirst::mnuAbout_Click()
{
    frmAbout::ShowModal(nullptr);
}
