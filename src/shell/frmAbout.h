#pragma once

#include <QDialog>

class LineControl;
class PictureButton;
class QLabel;

// The About window: the program icon, its name and a few words about it, closed by OK.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    // Shows a new About window modally and returns when it has been closed.
    static void ShowModal(QWidget *owner);

    void picOK_Click();

private:
    QLabel *m_picIcon = nullptr;
    QLabel *m_lblTitle = nullptr;
    QLabel *m_Label1 = nullptr;
    LineControl *m_Line1 = nullptr;
    PictureButton *m_picOK = nullptr;
};
