#include "frmAtFirst.h"

#include "PanelBackdrop.h"

#include "frmAtFirstShared.h"
#include "model/modBiorhythm.h"
#include "platform/Dates.h"
#include "shell/Accessibility.h"
#include "shell/AppIcon.h"
#include "shell/ButtonImages.h"
#include "shell/Chrome.h"
#include "shell/Look.h"
#include "shell/PictureButton.h"
#include "shell/modRegistry.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextCharFormat>

#include <functional>
#include <tuple>
#include <utility>

using namespace AtFirst;
using namespace modBiorhythm;

namespace {

const QColor BorderColor { 120, 118, 118 };
const QColor DisabledText { 128, 124, 120 };
const QColor TickBoxOutline { 230, 224, 214 };
const QColor CalendarHeader { 70, 66, 62 };
const QColor CalendarWeekend { 255, 140, 125 };
const QColor CalendarOtherMonth { 165, 160, 154 };

const QString SideBoxText = QStringLiteral(
    "Vantrel offers you a wonderful chance to save your personal details so that you don't have "
    "to repeatedly enter them. Save your personal details below and use Vantrel with much more "
    "ease.");

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

// The calendar pop-up in the program's dark look, with every element readable on it: the
// chosen day stands out in amber, today is underlined, weekends are a light red.
void paintCalendar(QCalendarWidget *calendar)
{
    paintAmberOnDark(calendar);
    QPalette palette = calendar->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text, CalendarOtherMonth);
    calendar->setPalette(palette);

    // The month and year bar is drawn in the highlight colours, which also mark the chosen
    // day, so it gets colours of its own.
    if (auto *bar = calendar->findChild<QWidget *>(QStringLiteral("qt_calendar_navigationbar"))) {
        QPalette barPalette = bar->palette();
        barPalette.setColor(QPalette::Highlight, CalendarHeader);
        barPalette.setColor(QPalette::HighlightedText, Look::Amber);
        for (const auto role : { QPalette::Window, QPalette::Button, QPalette::Base })
            barPalette.setColor(role, CalendarHeader);
        for (const auto role : { QPalette::WindowText, QPalette::ButtonText, QPalette::Text })
            barPalette.setColor(role, Look::Amber);
        bar->setPalette(barPalette);
    }

    QTextCharFormat weekdays;
    weekdays.setForeground(Look::White);
    weekdays.setBackground(CalendarHeader);
    weekdays.setFontWeight(QFont::Bold);
    calendar->setHeaderTextFormat(weekdays);

    QTextCharFormat weekend;
    weekend.setForeground(CalendarWeekend);
    calendar->setWeekdayTextFormat(Qt::Saturday, weekend);
    calendar->setWeekdayTextFormat(Qt::Sunday, weekend);

    QTextCharFormat today = calendar->dateTextFormat(Dates::Today());
    today.setFontUnderline(true);
    today.setFontWeight(QFont::Bold);
    calendar->setDateTextFormat(Dates::Today(), today);
}

// Calls a function for every event of the object it filters, and lets the event go on.
class EventHook : public QObject
{
public:
    EventHook(QObject *parent, std::function<void(QEvent *)> onEvent)
        : QObject(parent)
        , m_onEvent(std::move(onEvent))
    { }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        m_onEvent(event);
        return false;
    }

private:
    std::function<void(QEvent *)> m_onEvent;
};

} // namespace

void frmAtFirst::buildLayout()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("frmAtFirstClient"));
    Accessibility::LeaveOutOfSightChildrenOut(m_client);
    setCentralWidget(m_client);
    setFont(Look::Verdana());
    // The backdrop and the window icon are drawn while the controls are built; the fonts the
    // backdrop takes are now in place.
    PanelBackdrop::StartDrawing();
    AppIcon::StartDrawing();
    Chrome::SetUpWindow(this, m_client, 10185, 5415);

    buildSavedMembersPanel();
    buildSavePanel();
    buildEntryPanel();
    buildAnalysisPanel();
    buildHiddenControls();
    describeControls();
    orderTabs();
    showFrontPanelOnly();
    if (QWidget *first = firstControl(frontPanel()))
        first->setFocus(Qt::OtherFocusReason);
}

void frmAtFirst::describeControls()
{
    // What a screen reader says about the controls that carry only a picture or a colour.
    const struct
    {
        QWidget *control;
        const char *description;
    } described[] = {
        { m_picNext, "Goes on to entering the people" },
        { m_picRecallInfo, "Shows the saved people to choose from" },
        { m_picSaveInfo1, "Opens the page for saving a person's details" },
        { m_picSaveInfo, "Opens the page for saving a person's details" },
        { m_picSubmit, "Accepts this person and goes on to the next" },
        { m_picSave, "Opens the chart for the people entered" },
        { m_picRecall, "Shows the saved people to choose from" },
        { m_picBack3, "Goes back to choosing the type of analysis" },
        { m_picSaveInfo2, "Saves this person" },
        { m_picBack1, "Goes back to choosing the type of analysis" },
        { m_picShowBioRythm, "Opens the chart for the ticked people" },
        { m_picRemove, "Removes the ticked people from the saved list" },
        { m_picBack, "Goes back to choosing the type of analysis" },
        { m_picSelectAll, "Ticks every saved person" },
        { m_picDeselectAll, "Clears every tick" },
        { m_picBackToBio, "Closes Vantrel" },
        { m_Picture1, "Opens the colour chooser for this person's curve" },
        { m_Picture1ForSave, "Opens the colour chooser for this person's curve" },
    };
    for (const auto &d : described)
        d.control->setAccessibleDescription(QString::fromUtf8(d.description));
    // Each field is named after the label beside it; each panel's label names that panel's
    // own copy of a field.
    const struct
    {
        const char *label;
        QWidget *field;
    } labelled[] = {
        { "lblVisitType", m_cboVisitType },     { "lblNoOfVisitor", m_cboNoOfVisitor },
        { "lblVisitorName", m_txtVisitorName }, { "lblDoB", m_dtpDob },
        { "lblReportDate", m_dtpReportDate },   { "lblNameForSave", m_txtNameForSave },
        { "lblDoBForSave", m_dtpDobForSave },   { "lblTitle", m_lstShowSavedInfo },
    };
    for (const auto &l : labelled) {
        auto *label = m_client->findChild<QLabel *>(QString::fromLatin1(l.label));
        if (label && label->parentWidget() == l.field->parentWidget())
            label->setBuddy(l.field);
    }
    for (const auto &[label, male, female] :
         { std::tuple { "lblSex", m_optMale, m_optFemale },
           std::tuple { "lblSexForSave", m_optMaleForSave, m_optFemaleForSave } }) {
        if (auto *sex = m_client->findChild<QLabel *>(QString::fromLatin1(label)))
            Accessibility::LabelGroup(sex, { male, female });
    }
    m_Picture2->setAccessibleName(QStringLiteral("Analysis Type"));
    m_Picture3->setAccessibleName(QStringLiteral("Personal Details"));
    m_Picture4->setAccessibleName(QStringLiteral("Save Personal Details"));
    m_Picture5->setAccessibleName(QStringLiteral("Saved Information"));
    for (QFrame *swatch : { m_Picture1, m_Picture1ForSave }) {
        swatch->setAccessibleName(QStringLiteral("Choose Color"));
        // Reachable from the keyboard too: Space or Enter opens the colour chooser. Tab only,
        // so that a click leaves no focus ring behind.
        swatch->setFocusPolicy(Qt::TabFocus);
    }
    for (int i = 1; i <= 4; ++i) {
        m_lblHyperlink[size_t(i)]->setAccessibleName(QStringLiteral("Vantrel web site"));
        m_lblHyperlink[size_t(i)]->setAccessibleDescription(QStringLiteral("Opens ")
                                                            + modRegistry::HomePageAddress()
                                                            + QStringLiteral(" in your browser"));
    }
}

void frmAtFirst::orderTabs()
{
    // Each panel as it reads: down the form, then the buttons under it from left to right,
    // then the side box. Only the panel in front is shown, so Tab goes round that one alone.
    const QList<QList<QWidget *>> panels = {
        { m_cboVisitType, m_cboNoOfVisitor, m_picRecallInfo, m_picNext, m_picSaveInfo1 },
        { m_txtVisitorName, m_dtpDob, m_Picture1, m_optMale, m_optFemale, m_dtpReportDate,
          m_picBack3, m_picRecall, m_picSave, m_picSubmit, m_picSaveInfo },
        { m_txtNameForSave, m_dtpDobForSave, m_Picture1ForSave, m_optMaleForSave,
          m_optFemaleForSave, m_picBack1, m_picSaveInfo2 },
        { m_lstShowSavedInfo, m_picShowBioRythm, m_picRemove, m_picBack },
    };
    for (const QList<QWidget *> &order : panels) {
        for (qsizetype i = 1; i < order.size(); ++i)
            QWidget::setTabOrder(order[i - 1], order[i]);
    }
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
    Accessibility::MakePressable(hotspot, QAccessible::Link,
                                 [this, index] { lblHyperlink_Click(index); });
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
    Accessibility::MakeDateField(picker);
    picker->setFont(Look::Verdana());
    QPalette palette = picker->palette();
    palette.setColor(QPalette::Base, Look::White);
    palette.setColor(QPalette::Text, Look::Black);
    picker->setPalette(palette);
    // Building a calendar costs more than the rest of the picker: it is made and painted only
    // when the user first reaches for it, by mouse or by key.
    auto *firstUse = new QObject(picker);
    firstUse->setObjectName(QStringLiteral("calendarOnFirstUse"));
    picker->installEventFilter(new EventHook(firstUse, [picker, firstUse](QEvent *event) {
        if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::KeyPress)
            return;
        if (QCalendarWidget *calendar = picker->calendarWidget())
            paintCalendar(calendar);
        firstUse->deleteLater();
    }));
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
    Accessibility::MakePressable(swatch, QAccessible::Button, [this, swatch] {
        if (swatch == m_Picture1)
            Picture1_Click();
        else
            Picture1ForSave_Click();
    });
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
    Accessibility::MakeCheckableList(m_lstShowSavedInfo, [this](int row) {
        if (QListWidgetItem *item = m_lstShowSavedInfo->item(row))
            toggleEntry(item);
    });
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
                                             315, false, false);
    m_cmdRecallInfo = Chrome::MakeActionButton(m_client, QStringLiteral("cmdRecallInfo"),
                                               QStringLiteral("&Recall Information"), 120, 7170,
                                               2055, 315, false);
    m_cmdSave = Chrome::MakeActionButton(m_client, QStringLiteral("cmdSave"),
                                         QStringLiteral("&View Result"), 120, 7560, 5150, 375, true,
                                         false);
    m_cmdSave->setEnabled(false);
    m_cmdShowBioRythm = Chrome::MakeActionButton(m_client, QStringLiteral("cmdShowBioRythm"),
                                                 QStringLiteral("Show &Vantrel Chart"), 4440, 5760,
                                                 1935, 495, true, false);
    m_cmdBackToBio = Chrome::MakeActionButton(m_client, QStringLiteral("cmdBackToBio"),
                                              QStringLiteral("B&ack"), 4440, 6360, 1935, 495, true);
    m_cmdSelectAll = Chrome::MakeActionButton(m_client, QStringLiteral("cmdSelectAll"),
                                              QStringLiteral("&Select All"), 6600, 5760, 1935, 495,
                                              true, false);
    m_cmdDeselectAll
        = Chrome::MakeActionButton(m_client, QStringLiteral("cmdDeselectAll"),
                                   QStringLiteral("&Deselect All"), 6600, 6360, 1935, 495, true);

    m_picSelectAll = makePictureButton(m_client, QStringLiteral("picSelectAll"), false, 31, 32,
                                       QStringLiteral("Select All"), 5880, 6960);
    m_picDeselectAll = makePictureButton(m_client, QStringLiteral("picDeselectAll"), false, 29, 30,
                                         QStringLiteral("Deselect All"), 5880, 7590);
    m_picBackToBio = makePictureButton(m_client, QStringLiteral("picBackToBio"), false, 27, 28,
                                       QStringLiteral("Back"), 7080, 6960);
    // Never seen, like the action buttons beside them: out of Tab and of the focus too.
    for (PictureButton *button : { m_picSelectAll, m_picDeselectAll, m_picBackToBio })
        button->hide();

    // Two pairs of hidden buttons share an access key: Alt+V (view result, show chart) and
    // Alt+S (save information, select all). One shortcut per key would make each ambiguous
    // and it would press neither, so the panel in front decides: on the saved-members panel
    // the key belongs to its own command, elsewhere to the other one (view result only once
    // it is enabled, that is once every member is in).
    auto *altV = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_V), this);
    connect(altV, &QShortcut::activated, this, [this] {
        QPushButton *button = frontPanel() == m_Picture5 ? m_cmdShowBioRythm : m_cmdSave;
        if (button->isEnabled())
            button->animateClick();
    });
    auto *altS = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_S), this);
    connect(altS, &QShortcut::activated, this, [this] {
        QPushButton *button = frontPanel() == m_Picture5 ? m_cmdSelectAll : m_cmdSaveInfo;
        if (button->isEnabled())
            button->animateClick();
    });
}
