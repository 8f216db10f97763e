#include "frmAtFirst.h"

#include "PanelBackdrop.h"
#include "SavedMembersFile.h"
#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "platform/Dates.h"
#include "platform/MessageBox.h"
#include "platform/SingleInstance.h"
#include "shell/ButtonImages.h"
#include "shell/Chrome.h"
#include "shell/Look.h"
#include "shell/PictureButton.h"
#include "shell/UpdateReminder.h"
#include "shell/frmAbout.h"
#include "shell/modRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>

#include <utility>

using namespace modBiorhythm;

namespace {

QPointer<frmAtFirst> s_instance;

const QColor BorderColor { 120, 118, 118 };
const QColor DisabledText { 128, 124, 120 };
const QColor TickBoxOutline { 230, 224, 214 };

const QString SelfType = QStringLiteral("SELF");
const QString CoupleType = QStringLiteral("COUPLE");
const QString GroupType = QStringLiteral("GROUP");

const QString SideBoxText = QStringLiteral(
    "Vantrel offers you a wonderful chance to save your personal details so that you don't have "
    "to repeatedly enter them. Save your personal details below and use Vantrel with much more "
    "ease.");

QString persons(qint64 count)
{
    return QString::number(count) + QStringLiteral(" Person(s)");
}

// Background colour and amber text, as the lists, combo boxes and option buttons have them.
void paintAmberOnDark(QWidget *widget)
{
    QPalette palette = widget->palette();
    for (const auto role : { QPalette::Window, QPalette::Base, QPalette::Button })
        palette.setColor(role, Look::Background);
    for (const auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        palette.setColor(role, Look::Amber);
    for (const auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        palette.setColor(QPalette::Disabled, role, DisabledText);
    palette.setColor(QPalette::Highlight, Look::Amber);
    palette.setColor(QPalette::HighlightedText, Look::Black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

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
    buildMenus();
    connectCommands();
    centreOnScreen();
    Form_Load();
}

frmAtFirst::~frmAtFirst()
{
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

// ---------------------------------------------------------------------------------------------
// Layout

void frmAtFirst::buildLayout()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("frmAtFirstClient"));
    setCentralWidget(m_client);
    setFont(Look::Verdana());
    Chrome::SetUpWindow(this, m_client, 10185, 5415);

    buildSavedMembersPanel();
    buildSavePanel();
    buildEntryPanel();
    buildAnalysisPanel();
    buildHiddenControls();
    describeControls();
    orderTabs();
}

void frmAtFirst::describeControls()
{
    // What a screen reader says about the controls that carry only a picture or a colour.
    const struct
    {
        QWidget *control;
        const char *description;
    } described[] = {
        {m_picNext, "Goes on to entering the people"},
        {m_picRecallInfo, "Shows the saved people to choose from"},
        {m_picSaveInfo1, "Opens the page for saving a person's details"},
        {m_picSaveInfo, "Opens the page for saving a person's details"},
        {m_picSubmit, "Accepts this person and goes on to the next"},
        {m_picSave, "Opens the chart for the people entered"},
        {m_picRecall, "Shows the saved people to choose from"},
        {m_picBack3, "Goes back to choosing the type of analysis"},
        {m_picSaveInfo2, "Saves this person"},
        {m_picBack1, "Goes back to choosing the type of analysis"},
        {m_picShowBioRythm, "Opens the chart for the ticked people"},
        {m_picRemove, "Removes the ticked people from the saved list"},
        {m_picBack, "Goes back to choosing the type of analysis"},
        {m_picSelectAll, "Ticks every saved person"},
        {m_picDeselectAll, "Clears every tick"},
        {m_picBackToBio, "Closes Vantrel"},
        {m_Picture1, "Opens the colour chooser for this person's curve"},
        {m_Picture1ForSave, "Opens the colour chooser for this person's curve"},
    };
    for (const auto &d : described)
        d.control->setAccessibleDescription(QString::fromUtf8(d.description));
    for (QFrame *swatch : {m_Picture1, m_Picture1ForSave}) {
        swatch->setAccessibleName(QStringLiteral("Choose Color"));
        // Reachable from the keyboard too: Space or Enter opens the colour chooser.
        swatch->setFocusPolicy(Qt::StrongFocus);
    }
    for (int i = 1; i <= 4; ++i) {
        m_lblHyperlink[size_t(i)]->setAccessibleName(QStringLiteral("Vantrel web site"));
        m_lblHyperlink[size_t(i)]->setAccessibleDescription(
            QStringLiteral("Opens ") + modRegistry::HomePageAddress() + QStringLiteral(" in your browser"));
    }
}

void frmAtFirst::orderTabs()
{
    // Down the form as it reads: name, birth date, colour, sex, report date.
    QWidget::setTabOrder(m_txtVisitorName, m_dtpDob);
    QWidget::setTabOrder(m_dtpDob, m_Picture1);
    QWidget::setTabOrder(m_Picture1, m_optMale);
    QWidget::setTabOrder(m_optMale, m_optFemale);
    QWidget::setTabOrder(m_optFemale, m_dtpReportDate);

    QWidget::setTabOrder(m_txtNameForSave, m_dtpDobForSave);
    QWidget::setTabOrder(m_dtpDobForSave, m_Picture1ForSave);
    QWidget::setTabOrder(m_Picture1ForSave, m_optMaleForSave);
    QWidget::setTabOrder(m_optMaleForSave, m_optFemaleForSave);
}

QFrame *frmAtFirst::makePanel(const QString &name, int heightTw, bool border)
{
    auto *panel = new QFrame(m_client);
    panel->setObjectName(name);
    Look::PaintBackground(panel);
    if (border) {
        panel->setFrameShape(QFrame::Box);
        panel->setFrameShadow(QFrame::Plain);
        panel->setLineWidth(1);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::WindowText, BorderColor);
        panel->setPalette(palette);
    }
    Look::PlaceTw(panel, 0, 0, 10200, heightTw);
    // Panels lie on top of each other: each must cover the ones behind it completely.
    panel->setAttribute(Qt::WA_OpaquePaintEvent);
    panel->installEventFilter(this);
    return panel;
}

QFrame *frmAtFirst::makeSideBox(QWidget *panel, const QString &name, const QString &labelName,
                                int labelHeightTw)
{
    auto *box = new QFrame(panel);
    box->setObjectName(name);
    Look::PaintBackground(box);
    box->setFrameShape(QFrame::Box);
    box->setFrameShadow(QFrame::Plain);
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, BorderColor);
    box->setPalette(palette);
    Look::PlaceTw(box, 6840, 1200, 3135, 3735);
    Look::MakeParagraph(box, labelName, SideBoxText, Look::White, 120, 240, 2850, labelHeightTw);
    return box;
}

QLabel *frmAtFirst::makeHotspot(QWidget *panel, int index)
{
    auto *hotspot = new QLabel(panel);
    hotspot->setObjectName(Look::Indexed("lblHyperlink", index));
    hotspot->setTextFormat(Qt::PlainText);
    hotspot->setAttribute(Qt::WA_TranslucentBackground);
    hotspot->setCursor(Qt::PointingHandCursor);
    Look::PlaceTw(hotspot, 8300, 5040, 1800, 255);
    hotspot->installEventFilter(this);
    m_lblHyperlink[size_t(index)] = hotspot;
    return hotspot;
}

QLabel *frmAtFirst::makeFieldLabel(QWidget *panel, const QString &name, const QString &text,
                                   int left, int top, bool bold)
{
    QLabel *label = Look::MakeLabel(panel, name, text, Look::Amber, Look::Verdana(8.25, bold));
    Look::MoveTw(label, left, top);
    return label;
}

QComboBox *frmAtFirst::makeCombo(QWidget *panel, const QString &name, int left, int top)
{
    auto *combo = new QComboBox(panel);
    combo->setObjectName(name);
    combo->setEditable(false);
    paintAmberOnDark(combo);
    Look::PlaceTw(combo, left, top, 1575, 315);
    return combo;
}

QLineEdit *frmAtFirst::makeTextBox(QWidget *panel, const QString &name, int left, int top)
{
    auto *box = new QLineEdit(panel);
    box->setObjectName(name);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, Look::White);
    palette.setColor(QPalette::Text, Look::Black);
    box->setPalette(palette);
    Look::PlaceTw(box, left, top, 4815, 285);
    return box;
}

QDateEdit *frmAtFirst::makeDatePicker(QWidget *panel, const QString &name, int left, int top)
{
    auto *picker = new QDateEdit(panel);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(Dates::ShortDateFormat());
    picker->setDateRange(Dates::FirstStorableDate(), Dates::LastStorableDate());
    picker->setFont(Look::Verdana());
    QPalette palette = picker->palette();
    palette.setColor(QPalette::Base, Look::White);
    palette.setColor(QPalette::Text, Look::Black);
    picker->setPalette(palette);
    if (QCalendarWidget *calendar = picker->calendarWidget()) {
        paintAmberOnDark(calendar);
        QPalette title = calendar->palette();
        // The navigation bar is drawn in the highlight colours.
        title.setColor(QPalette::Highlight, QColor(60, 57, 54));
        title.setColor(QPalette::HighlightedText, Look::Amber);
        calendar->setPalette(title);
    }
    Look::PlaceTw(picker, left, top, 1455, 375);
    return picker;
}

QRadioButton *frmAtFirst::makeOption(QWidget *panel, const QString &name, const QString &text,
                                     int left, int top, int width)
{
    auto *option = new QRadioButton(text, panel);
    option->setObjectName(name);
    paintAmberOnDark(option);
    QPalette palette = option->palette();
    palette.setColor(QPalette::Base, Look::White);
    option->setPalette(palette);
    Look::PlaceTw(option, left, top, width, 255);
    return option;
}

QFrame *frmAtFirst::makeSwatch(QWidget *panel, const QString &name, int left, int top, bool border)
{
    auto *swatch = new QFrame(panel);
    swatch->setObjectName(name);
    if (border) {
        swatch->setFrameShape(QFrame::Box);
        swatch->setFrameShadow(QFrame::Plain);
        QPalette palette = swatch->palette();
        palette.setColor(QPalette::WindowText, Look::Black);
        swatch->setPalette(palette);
    }
    Look::SetBackColor(swatch, Look::Amber);
    swatch->setCursor(Qt::PointingHandCursor);
    Look::PlaceTw(swatch, left, top, 975, 285);
    swatch->installEventFilter(this);
    return swatch;
}

PictureButton *frmAtFirst::makePictureButton(QWidget *parent, const QString &name, bool fromImg2,
                                             int normal, int hover, const QString &caption,
                                             int left, int top)
{
    const ImageList &list = fromImg2 ? ButtonImages::StartupImg2() : ButtonImages::StartupImg();
    auto *button = new PictureButton(list, normal, hover, caption, parent);
    button->setObjectName(name);
    Look::MoveTw(button, left, top);
    return button;
}

void frmAtFirst::buildAnalysisPanel()
{
    QFrame *panel = m_Picture2 = makePanel(QStringLiteral("Picture2"), 5400, false);

    Look::MakeParagraph(panel, QStringLiteral("Label1"),
                        QStringLiteral("Vantrel is software for analysing the biorhythms of "
                                       "yourself or of a set of people. It is built on the three "
                                       "cycles of life: Physical, Intellectual and Emotional."),
                        Look::White, 240, 1320, 6135, 615);
    Look::MakeParagraph(panel, QStringLiteral("Label2"),
                        QStringLiteral("Choose one of the options from Self, Couple and Group, "
                                       "whichever serves your purpose."),
                        Look::White, 240, 1968, 6135, 375);
    Look::MakeParagraph(panel, QStringLiteral("Label3"),
                        QStringLiteral("If you want a comparative analysis for a group of "
                                       "people, please specify the number of people from the "
                                       "list."),
                        Look::White, 240, 2376, 6135, 375);
    Look::MakeParagraph(panel, QStringLiteral("Label4"),
                        QStringLiteral("Click on Next to proceed."), Look::White, 240, 2784, 6135,
                        255);
    Look::MakeParagraph(panel, QStringLiteral("Label5"),
                        QStringLiteral("Click on Recall Information to view saved personal "
                                       "details."),
                        Look::White, 240, 3075, 6135, 255);

    makeFieldLabel(panel, QStringLiteral("lblVisitType"), QStringLiteral("Type of Analysis"), 1320,
                   3645);
    m_cboVisitType = makeCombo(panel, QStringLiteral("cboVisitType"), 3600, 3585);
    m_cboVisitType->addItems({ SelfType, CoupleType, GroupType });
    m_cboVisitType->setCurrentIndex(-1);

    makeFieldLabel(panel, QStringLiteral("lblNoOfVisitor"), QStringLiteral("People in the Group"),
                   1320, 4125);
    m_cboNoOfVisitor = makeCombo(panel, QStringLiteral("cboNoOfVisitor"), 3600, 4065);
    m_cboNoOfVisitor->setEnabled(false);

    m_picRecallInfo = makePictureButton(panel, QStringLiteral("picRecallInfo"), true, 13, 14,
                                        QStringLiteral("Recall Information"), 1320, 4650);
    m_picRecallInfo->setEnabled(false);
    m_picNext = makePictureButton(panel, QStringLiteral("picNext"), true, 7, 8,
                                  QStringLiteral("Next"), 4155, 4650);
    m_picNext->setEnabled(false);

    QFrame *side = makeSideBox(panel, QStringLiteral("Picture7"), QStringLiteral("Label12"), 2715);
    m_picSaveInfo1 = makePictureButton(side, QStringLiteral("picSaveInfo1"), true, 11, 12,
                                       QStringLiteral("Save Information"), 360, 3120);

    makeHotspot(panel, 1)->setToolTip(QStringLiteral("Visit the Vantrel web site at ")
                                      + modRegistry::SiteAddress());
}

void frmAtFirst::buildEntryPanel()
{
    QFrame *panel = m_Picture3 = makePanel(QStringLiteral("Picture3"), 5430, true);

    Look::MakeParagraph(panel, QStringLiteral("Label6"),
                        QStringLiteral("Enter your personal details here. You can also choose to "
                                       "save your personal details by clicking on Save "
                                       "Information."),
                        Look::White, 240, 1200, 6255, 375);
    m_lblDisp1 = makeFieldLabel(panel, QStringLiteral("lblDisp1"), QStringLiteral("Label1"), 240,
                                1655, true);
    m_lblDisp3 = makeFieldLabel(panel, QStringLiteral("lblDisp3"), QStringLiteral("Label1"), 240,
                                1930, true);
    m_lblDisp2 = makeFieldLabel(panel, QStringLiteral("lblDisp2"), QStringLiteral("Label1"), 240,
                                2205, true);

    makeFieldLabel(panel, QStringLiteral("lblVisitorName"), QStringLiteral("Person's Name"), 240,
                   2640);
    m_txtVisitorName = makeTextBox(panel, QStringLiteral("txtVisitorName"), 1860, 2595);

    makeFieldLabel(panel, QStringLiteral("lblDoB"), QStringLiteral("Date of Birth"), 240, 3080);
    m_dtpDob = makeDatePicker(panel, QStringLiteral("dtpDob"), 1860, 2990);
    m_dtpDob->setDate(QDate(2006, 12, 26));

    makeFieldLabel(panel, QStringLiteral("lblChooseColor"), QStringLiteral("Choose Color"), 4200,
                   3080);
    m_Picture1 = makeSwatch(panel, QStringLiteral("Picture1"), 5700, 3045, true);

    makeFieldLabel(panel, QStringLiteral("lblSex"), QStringLiteral("Sex"), 240, 3505);
    m_optMale
        = makeOption(panel, QStringLiteral("optMale"), QStringLiteral("Male"), 1860, 3475, 735);
    m_optFemale
        = makeOption(panel, QStringLiteral("optFemale"), QStringLiteral("Female"), 2880, 3475, 975);

    makeFieldLabel(panel, QStringLiteral("lblReportDate"), QStringLiteral("Report Date"), 240,
                   3930);
    m_dtpReportDate = makeDatePicker(panel, QStringLiteral("dtpReportDate"), 1860, 3840);

    m_picBack3 = makePictureButton(panel, QStringLiteral("picBack3"), true, 1, 2,
                                   QStringLiteral("Back To Main"), 240, 4410);
    m_picRecall = makePictureButton(panel, QStringLiteral("picRecall"), true, 13, 14,
                                    QStringLiteral("Recall Information"), 2040, 4410);
    m_picSave = makePictureButton(panel, QStringLiteral("picSave"), true, 9, 10,
                                  QStringLiteral("View Result"), 4860, 4410);
    m_picSubmit = makePictureButton(panel, QStringLiteral("picSubmit"), true, 7, 8,
                                    QStringLiteral("Next"), 5655, 4410);

    QFrame *side = makeSideBox(panel, QStringLiteral("Picture10"), QStringLiteral("Label11"), 3200);
    m_picSaveInfo = makePictureButton(side, QStringLiteral("picSaveInfo"), true, 11, 12,
                                      QStringLiteral("Save Information"), 360, 3120);

    makeHotspot(panel, 4);
}

void frmAtFirst::buildSavePanel()
{
    QFrame *panel = m_Picture4 = makePanel(QStringLiteral("Picture4"), 5430, true);

    m_lblShow1 = makeFieldLabel(panel, QStringLiteral("lblShow1"), QStringLiteral("Label1"), 240,
                                1200, true);
    m_lblShow1->hide();
    m_lblShow3 = makeFieldLabel(panel, QStringLiteral("lblShow3"), QStringLiteral("Label1"), 240,
                                1560, true);
    m_lblShow3->hide();
    m_lblShow2 = makeFieldLabel(panel, QStringLiteral("lblShow2"), QStringLiteral("Label1"), 240,
                                1980, true);

    makeFieldLabel(panel, QStringLiteral("lblNameForSave"), QStringLiteral("Person's Name"), 240,
                   2925);
    m_txtNameForSave = makeTextBox(panel, QStringLiteral("txtNameForSave"), 1680, 2880);

    makeFieldLabel(panel, QStringLiteral("lblDoBForSave"), QStringLiteral("Date of Birth"), 240,
                   3390);
    m_dtpDobForSave = makeDatePicker(panel, QStringLiteral("dtpDobForSave"), 1680, 3300);
    m_dtpDobForSave->setDate(QDate(2006, 12, 26));

    makeFieldLabel(panel, QStringLiteral("lblChooseColorForSave"), QStringLiteral("Choose Color"),
                   4200, 3390);
    m_Picture1ForSave = makeSwatch(panel, QStringLiteral("Picture1ForSave"), 5520, 3300, false);

    makeFieldLabel(panel, QStringLiteral("lblSexForSave"), QStringLiteral("Sex"), 240, 3840);
    m_optMaleForSave = makeOption(panel, QStringLiteral("optMaleForSave"), QStringLiteral("Male"),
                                  1680, 3810, 735);
    m_optFemaleForSave = makeOption(panel, QStringLiteral("optFemaleForSave"),
                                    QStringLiteral("Female"), 2520, 3810, 975);

    m_picBack1 = makePictureButton(panel, QStringLiteral("picBack1"), true, 1, 2,
                                   QStringLiteral("Back To Main"), 240, 4410);
    m_picSaveInfo2 = makePictureButton(panel, QStringLiteral("picSaveInfo2"), true, 7, 8,
                                       QStringLiteral("Next"), 5475, 4410);

    makeSideBox(panel, QStringLiteral("Picture6"), QStringLiteral("Label7"), 3200);
    makeHotspot(panel, 3);
}

void frmAtFirst::buildSavedMembersPanel()
{
    QFrame *panel = m_Picture5 = makePanel(QStringLiteral("Picture5"), 5430, true);

    Look::MakeParagraph(panel, QStringLiteral("Label13"),
                        QStringLiteral("Vantrel offers you a wonderful chance to recall your "
                                       "personal details so that you don't have to repeatedly "
                                       "enter them each time you use Vantrel. Save your personal "
                                       "details below and use Vantrel with much more ease."),
                        Look::White, 242, 1080, 9705, 495);
    m_lblTitle
        = Look::MakeParagraph(panel, QStringLiteral("lblTitle"),
                              QStringLiteral("Now you can select the saved information from here."),
                              Look::Amber, 242, 1680, 9705, 240, Look::Verdana(9.75));

    m_lstShowSavedInfo = new QListWidget(panel);
    m_lstShowSavedInfo->setObjectName(QStringLiteral("lstShowSavedInfo"));
    paintAmberOnDark(m_lstShowSavedInfo);
    m_lstShowSavedInfo->setFrameShape(QFrame::Box);
    m_lstShowSavedInfo->setFrameShadow(QFrame::Plain);
    // Ticks are the selection: no second, highlighted kind of it.
    m_lstShowSavedInfo->setSelectionMode(QAbstractItemView::NoSelection);
    // The style outlines tick boxes in a shade of the window colour, which would leave empty
    // boxes unseen on the dark list; the scroll bars keep the dark look.
    const QPalette dark = m_lstShowSavedInfo->palette();
    QPalette outlined = dark;
    outlined.setColor(QPalette::Window, TickBoxOutline);
    m_lstShowSavedInfo->setPalette(outlined);
    m_lstShowSavedInfo->setAutoFillBackground(false);
    m_lstShowSavedInfo->verticalScrollBar()->setPalette(dark);
    m_lstShowSavedInfo->horizontalScrollBar()->setPalette(dark);
    m_lstShowSavedInfo->viewport()->installEventFilter(this);
    m_lstShowSavedInfo->installEventFilter(this);
    Look::PlaceTw(m_lstShowSavedInfo, 242, 2040, 9700, 2280);

    m_picShowBioRythm = makePictureButton(panel, QStringLiteral("picShowBioRythm"), true, 5, 6,
                                          QStringLiteral("Show Chart"), 242, 4440);
    m_picRemove = makePictureButton(panel, QStringLiteral("picRemove"), false, 39, 40,
                                    QStringLiteral("Remove"), 7800, 4440);
    m_picBack = makePictureButton(panel, QStringLiteral("picBack"), true, 3, 4,
                                  QStringLiteral("Back"), 8922, 4440);

    makeHotspot(panel, 2);
}

void frmAtFirst::buildHiddenControls()
{
    // Below the client area: never seen, but their access keys still reach them.
    m_cmdSubmit = Chrome::MakeActionButton(m_client, QStringLiteral("cmdSubmit"),
                                           QStringLiteral("&Next"), 120, 6240, 3615, 405, true);
    m_cmdSaveInfo = Chrome::MakeActionButton(m_client, QStringLiteral("cmdSaveInfo"),
                                             QStringLiteral("&Save Information"), 120, 6720, 2055,
                                             315, false);
    m_cmdRecallInfo = Chrome::MakeActionButton(m_client, QStringLiteral("cmdRecallInfo"),
                                               QStringLiteral("&Recall Information"), 120, 7170,
                                               2055, 315, false);
    m_cmdSave
        = Chrome::MakeActionButton(m_client, QStringLiteral("cmdSave"),
                                   QStringLiteral("&View Result"), 120, 7560, 5150, 375, true);
    m_cmdSave->setEnabled(false);
    m_cmdShowBioRythm = Chrome::MakeActionButton(m_client, QStringLiteral("cmdShowBioRythm"),
                                                 QStringLiteral("Show &Vantrel Chart"), 4440, 5760,
                                                 1935, 495, true);
    m_cmdBackToBio = Chrome::MakeActionButton(m_client, QStringLiteral("cmdBackToBio"),
                                              QStringLiteral("B&ack"), 4440, 6360, 1935, 495, true);
    m_cmdSelectAll
        = Chrome::MakeActionButton(m_client, QStringLiteral("cmdSelectAll"),
                                   QStringLiteral("&Select All"), 6600, 5760, 1935, 495, true);
    m_cmdDeselectAll
        = Chrome::MakeActionButton(m_client, QStringLiteral("cmdDeselectAll"),
                                   QStringLiteral("&Deselect All"), 6600, 6360, 1935, 495, true);

    m_picSelectAll = makePictureButton(m_client, QStringLiteral("picSelectAll"), false, 31, 32,
                                       QStringLiteral("Select All"), 5880, 6960);
    m_picDeselectAll = makePictureButton(m_client, QStringLiteral("picDeselectAll"), false, 29, 30,
                                         QStringLiteral("Deselect All"), 5880, 7590);
    m_picBackToBio = makePictureButton(m_client, QStringLiteral("picBackToBio"), false, 27, 28,
                                       QStringLiteral("Back"), 7080, 6960);

    // Two pairs of hidden buttons share an access key: Alt+V (view result, show chart) and
    // Alt+S (save information, select all). Left to themselves the buttons would make each key
    // ambiguous and it would click neither, so the panel in front decides: on the
    // saved-members panel the key belongs to its own command, elsewhere to the other one
    // (view result only once it is enabled, that is once every member is in).
    for (QPushButton *button : { m_cmdSave, m_cmdShowBioRythm, m_cmdSaveInfo, m_cmdSelectAll })
        button->setShortcut(QKeySequence());
    auto *altV = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_V), this);
    connect(altV, &QShortcut::activated, this, [this] {
        if (frontPanel() == m_Picture5)
            m_cmdShowBioRythm->click();
        else if (m_cmdSave->isEnabled())
            m_cmdSave->click();
    });
    auto *altS = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_S), this);
    connect(altS, &QShortcut::activated, this, [this] {
        if (frontPanel() == m_Picture5)
            m_cmdSelectAll->click();
        else
            m_cmdSaveInfo->click();
    });
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
    connect(m_mnuAbout, &QAction::triggered, this, &frmAtFirst::mnuAbout_Click);
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

bool frmAtFirst::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint
        && (watched == m_Picture2 || watched == m_Picture3 || watched == m_Picture4
            || watched == m_Picture5)) {
        QPainter painter(static_cast<QWidget *>(watched));
        painter.drawPixmap(0, 0, PanelBackdrop::Picture());
        return false; // the panel still draws its border
    }
    if ((watched == m_Picture1 || watched == m_Picture1ForSave) && event->type() == QEvent::KeyPress) {
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

    UsedColorCount = 0;
    for (int i = 0; i <= 9; ++i)
        UsedColors[size_t(i)] = -1;

    SavedMembersFile().EnsureExists();
    ReadSavedNames();

    if (SingleInstance::AnotherIsRunning()) {
        // Leave the copy that runs alone: this one ends without ever showing a window.
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
        const int n = choice == SelfType ? 1 : 2;
        ResizeMemberTable(n);
        TotalVisitors = qint16(n);
        VisitorsLeft = qint16(n);
        m_picSaveInfo->setEnabled(true);
        m_picRecallInfo->setEnabled(true);
        m_picNext->setEnabled(true);
    }
    IsSelf = choice == SelfType;
    m_cboNoOfVisitor->setEnabled(choice == GroupType);
    // A single person's curves have fixed colours.
    m_Picture1->setEnabled(!IsSelf);
}

void frmAtFirst::cboNoOfVisitor_Click()
{
    bool ok = false;
    const int n = m_cboNoOfVisitor->currentText().trimmed().toInt(&ok);
    if (!ok || n < 3 || n > 10)
        return;
    GroupSize = qint16(n);
    TotalVisitors = qint16(n);
    VisitorsLeft = qint16(n);
    ResizeMemberTable(n);
    m_txtVisitorName->setFocus();
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
        m_cboVisitType->setFocus();
        return false;
    }
    if (m_cboVisitType->currentText() == GroupType && m_cboNoOfVisitor->currentText().isEmpty()) {
        MessageBox::Critical(this, QStringLiteral("Please Select Visit Type"));
        m_cboNoOfVisitor->setFocus();
        return false;
    }
    // Not trimmed: a name of blanks is a name.
    if (m_txtVisitorName->text().isEmpty()) {
        MessageBox::Critical(this, QStringLiteral("Name Cannot Be Blank"));
        m_txtVisitorName->setFocus();
        return false;
    }
    if (!m_optMale->isChecked() && !m_optFemale->isChecked()) {
        MessageBox::Critical(this, QStringLiteral("Please Select Your Sex"));
        m_optMale->setFocus();
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
        m_picSubmit->hide();
        m_picSave->show();
    }

    if (VisitorsLeft != 0) {
        const int k = TotalVisitors - VisitorsLeft;
        showProgress(k);
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
    // Nothing on the panel may say a person was saved before the file holds the record.
    if (!SavedMembersFile().Append(name, m_dtpDobForSave->date(), swatchColor(m_Picture1ForSave))) {
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
    m_lstShowSavedInfo->clear();
    m_pressedEntry = -1;
    const QStringList names = SavedMembersFile().Names();
    for (const QString &name : names) {
        auto *item = new QListWidgetItem(name, m_lstShowSavedInfo);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
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
    auto toggle = [this](QListWidgetItem *item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        lstShowSavedInfo_Click();
    };
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        if (QListWidgetItem *item = list->currentItem())
            toggle(item);
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
        toggle(item);
    }
    return true;
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
    // By position: of two records with the same name only the ticked one goes.
    if (!SavedMembersFile().RemovePositions(ticked)) {
        // The file is as it was, and so are the ticks: the user can try again.
        MessageBox::Critical(this, QStringLiteral("Information Could Not Be Removed"));
        return;
    }
    MessageBox::Information(this, QStringLiteral("Information Removed Successfully"));
    ReadSavedNames();
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

    VisitType = k == 1 ? SelfType : QString();
    ResizeMemberTable(k);
    TotalVisitors = qint16(k);
    VisitorsLeft = qint16(k);
    // Each ticked entry brings its own record, so two people of one name keep their own dates.
    const QList<SavedMembersFile::Record> records = SavedMembersFile().Records();
    const QDate today = Dates::Today();
    for (int j = 0; j < k; ++j) {
        const int i = ticked[j];
        if (i >= records.size())
            continue;
        const SavedMembersFile::Record &record = records[i];
        StoreMember(j, m_lstShowSavedInfo->item(i)->text(),
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
