#pragma once

#include "SavedMembersFile.h"

#include <QColor>
#include <QFrame>
#include <QList>
#include <QMainWindow>

#include <array>
#include <optional>

class PictureButton;
class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

// The start-up window: the user says whom the chart is for, enters the members one by one
// and hands the visit to the chart window. Its four panels lie stacked on the client area;
// the step changes only by bringing one of them to the front.
class frmAtFirst : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmAtFirst(QWidget *parent = nullptr);
    ~frmAtFirst() override;

    // The loaded start-up window, or null while none is (one that has unloaded no longer
    // counts, even before it is deleted).
    static frmAtFirst *Instance();
    // The start-up window, built and loaded (not shown) when none is loaded. Null when the
    // load found another copy of the program running and unloaded at once.
    static frmAtFirst *GetOrCreate();

    bool IsUnloaded() const { return m_unloaded; }

    // The analysis-type panel, for bringing it to the front from outside.
    QWidget *Picture2() const { return m_Picture2; }

    void Form_Load();
    void Form_Unload();

    // Analysis type and group size.
    void cboVisitType_Click();
    void cboNoOfVisitor_Click();

    // Member entry.
    void picNext_Click();
    void Picture1_Click();
    bool CheckEntry();
    int ColorCount();
    void cmdSubmit_Click();
    void picSubmit_Click();

    // Saving people.
    void picSaveInfo1_Click();
    void picSaveInfo_Click();
    void cmdSaveInfo_Click();
    void Picture1ForSave_Click();
    void picSaveInfo2_Click();

    // Recalling, ticking and removing saved people.
    void picRecallInfo_Click();
    void picRecall_Click();
    void cmdRecallInfo_Click();
    void lstShowSavedInfo_Click();
    void cmdSelectAll_Click();
    void picSelectAll_Click();
    void cmdDeselectAll_Click();
    void picDeselectAll_Click();
    void picRemove_Click();
    // Refills the saved-members list from the file; no entry is ticked afterwards.
    void ReadSavedNames();

    // The chart for ticked saved people.
    void picShowBioRythm_Click();
    void cmdShowBioRythm_Click();

    // View result and the way back.
    void cmdSave_Click();
    void picSave_Click();
    void picBack3_Click();
    void picBack_Click();
    void picBack1_Click();
    void cmdBackToBio_Click();
    void picBackToBio_Click();

    // Web links and menus.
    void lblHyperlink_Click(int Index);
    void mnuExit_Click();
    void mnuOnline_Click();
    void mnuVisit_Click();
    void mnuUpdate_Click();
    void mnuAbout_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void buildAnalysisPanel();
    void buildEntryPanel();
    void buildSavePanel();
    void buildSavedMembersPanel();
    void buildHiddenControls();
    void describeControls();
    void orderTabs();
    void buildMenus();
    void connectCommands();
    void centreOnScreen();

    QFrame *makePanel(const QString &name, int heightTw, bool border);
    QFrame *makeSideBox(QWidget *panel, const QString &name, const QString &labelName,
                        int labelHeightTw);
    QLabel *makeHotspot(QWidget *panel, int index);
    QLabel *makeFieldLabel(QWidget *panel, const QString &name, const QString &text, int left,
                           int top, bool bold = false);
    QComboBox *makeCombo(QWidget *panel, const QString &name, int left, int top);
    QLineEdit *makeTextBox(QWidget *panel, const QString &name, int left, int top);
    QDateEdit *makeDatePicker(QWidget *panel, const QString &name, int left, int top);
    QRadioButton *makeOption(QWidget *panel, const QString &name, const QString &text, int left,
                             int top, int width);
    QFrame *makeSwatch(QWidget *panel, const QString &name, int left, int top, bool border);
    PictureButton *makePictureButton(QWidget *parent, const QString &name, bool fromImg2,
                                     int normal, int hover, const QString &caption, int left,
                                     int top);

    // Starts the visit again for n members: the counters, an empty member table, no colour
    // used, and the entry panel's buttons as at load.
    void restartVisit(int n);
    // The progress lines of the entry panel: before the first member (stored < 0) or after
    // storing member `stored`.
    void showProgress(int stored);
    void announceProgress();
    // What every Back button of a panel does: nothing chosen, the way on closed, first panel.
    void backToAnalysisType();
    static qint32 swatchColor(const QWidget *swatch);
    // Lets the user pick a swatch's colour in a dialog that opens on the colour last confirmed
    // there; cancelling leaves the swatch as it was.
    void pickSwatchColor(QFrame *swatch, const QString &dialogName, QColor &lastConfirmed);
    QWidget *frontPanel() const;
    // Shows the panel at the front of the stack and hides the others, so that nothing behind
    // it takes the focus, a keystroke or a screen reader's attention; a panel newly in front
    // gets the focus on its first control.
    void showFrontPanelOnly();
    QWidget *firstControl(QWidget *panel) const;
    // A focus move into a control that the user may not see just now: made only while its
    // panel is in front.
    void focusIfInFront(QWidget *control);
    void showSwatchFocus(QFrame *swatch, bool focused);
    // Ticks or unticks an entry of the saved-members list as a user's click does.
    void toggleEntry(QListWidgetItem *item);
    // Positions of the ticked entries of the saved-members list, in list order.
    QList<int> tickedEntries() const;
    void setAllTicks(bool ticked);
    // The file is no longer the one the list shows: the list is read again and the user told.
    void savedInformationChanged();
    bool listClickFilter(QEvent *event);

    QWidget *m_client = nullptr;
    QFrame *m_Picture2 = nullptr;
    QFrame *m_Picture3 = nullptr;
    QFrame *m_Picture4 = nullptr;
    QFrame *m_Picture5 = nullptr;
    std::array<QLabel *, 5> m_lblHyperlink {}; // elements 1 .. 4

    // Analysis-type panel.
    QComboBox *m_cboVisitType = nullptr;
    QComboBox *m_cboNoOfVisitor = nullptr;
    PictureButton *m_picRecallInfo = nullptr;
    PictureButton *m_picNext = nullptr;
    PictureButton *m_picSaveInfo1 = nullptr;

    // Entry panel.
    QLabel *m_lblDisp1 = nullptr;
    QLabel *m_lblDisp2 = nullptr;
    QLabel *m_lblDisp3 = nullptr;
    QLineEdit *m_txtVisitorName = nullptr;
    QDateEdit *m_dtpDob = nullptr;
    QDateEdit *m_dtpReportDate = nullptr;
    QFrame *m_Picture1 = nullptr;
    QRadioButton *m_optMale = nullptr;
    QRadioButton *m_optFemale = nullptr;
    PictureButton *m_picBack3 = nullptr;
    PictureButton *m_picRecall = nullptr;
    PictureButton *m_picSave = nullptr;
    PictureButton *m_picSubmit = nullptr;
    PictureButton *m_picSaveInfo = nullptr;

    // Save panel.
    QLabel *m_lblShow1 = nullptr;
    QLabel *m_lblShow2 = nullptr;
    QLabel *m_lblShow3 = nullptr;
    QLineEdit *m_txtNameForSave = nullptr;
    QDateEdit *m_dtpDobForSave = nullptr;
    QFrame *m_Picture1ForSave = nullptr;
    QRadioButton *m_optMaleForSave = nullptr;
    QRadioButton *m_optFemaleForSave = nullptr;
    PictureButton *m_picBack1 = nullptr;
    PictureButton *m_picSaveInfo2 = nullptr;

    // Saved-members panel.
    QLabel *m_lblTitle = nullptr;
    QListWidget *m_lstShowSavedInfo = nullptr;
    PictureButton *m_picShowBioRythm = nullptr;
    PictureButton *m_picRemove = nullptr;
    PictureButton *m_picBack = nullptr;

    // Hidden action buttons and the picture buttons that lie with them below the client area.
    QPushButton *m_cmdSubmit = nullptr;
    QPushButton *m_cmdSaveInfo = nullptr;
    QPushButton *m_cmdRecallInfo = nullptr;
    QPushButton *m_cmdSave = nullptr;
    QPushButton *m_cmdShowBioRythm = nullptr;
    QPushButton *m_cmdBackToBio = nullptr;
    QPushButton *m_cmdSelectAll = nullptr;
    QPushButton *m_cmdDeselectAll = nullptr;
    PictureButton *m_picSelectAll = nullptr;
    PictureButton *m_picDeselectAll = nullptr;
    PictureButton *m_picBackToBio = nullptr;

    // The colours last confirmed in the two colour dialogs, where each opens next time.
    QColor m_lastPickedColor { Qt::black };
    QColor m_lastPickedColorForSave { Qt::black };

    // User clicks on the saved-members list since its panel was last opened.
    qint16 SavedClickCount = 0;
    // The entry a mouse button went down on, so that only a press and release on the same
    // entry make a click.
    int m_pressedEntry = -1;
    // What the saved-members list was read from; none when the file could not be read.
    std::optional<SavedMembersFile::Fingerprint> m_listedFrom;
    // Where the list was first read from: every save, removal and chart of this window uses
    // that file, even when another place would be chosen by now.
    QString m_savedPath;

    QAction *m_mnuExit = nullptr;
    QAction *m_mnuOnline = nullptr;
    QAction *m_mnuVisit = nullptr;
    QAction *m_mnuUpdate = nullptr;
    QAction *m_mnuAbout = nullptr;

    bool m_unloaded = false;
};
