#include "frmAbout.h"

#include "AppIcon.h"
#include "ButtonImages.h"
#include "Chrome.h"
#include "LineControl.h"
#include "Look.h"
#include "PictureButton.h"

#include <QLabel>
#include <QPointer>

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setFont(Look::MsSansSerif());
    Chrome::SetUpWindow(this, this, 4935, 3315);

    m_picIcon = new QLabel(this);
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_picIcon->setPixmap(AppIcon::Picture(32, devicePixelRatioF()));
    m_picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Look::PlaceTw(m_picIcon, 120, 120, 480, 480);

    m_lblTitle = Look::MakeLabel(this, QStringLiteral("lblTitle"), Chrome::Title, Look::Amber,
                                 Look::MsSansSerif(9.75, true));
    Look::MoveTw(m_lblTitle, 750, 360);

    m_Label1 = Look::MakeParagraph(
        this, QStringLiteral("Label1"),
        QStringLiteral("Vantrel is a user-friendly program that shows biorhythm charts. It "
                       "generates the physical, emotional and intellectual cycles and helps you "
                       "analyse your productivity. It serves a single person, a couple or a "
                       "group, and gives an insight into the relationships between people at a "
                       "given time. \u00A9 The Vantrel developers. All rights reserved."),
        Look::Amber, 150, 750, 4755, 1725, Look::Verdana());

    m_Line1 = new LineControl(QStringLiteral("Line1"), Look::Amber, 1, this);
    m_Line1->SetEnds(QPointF(Look::Px(150), Look::Px(2640)),
                     QPointF(Look::Px(4830), Look::Px(2640)));

    const ImageList &img = ButtonImages::AboutImg();
    m_picOK = new PictureButton(img, 1, 2, QStringLiteral("OK"), this);
    m_picOK->setObjectName(QStringLiteral("picOK"));
    Look::MoveTw(m_picOK, 4095, 2760);
    m_picOK->setAccessibleDescription(QStringLiteral("Closes this window"));
    connect(m_picOK, &PictureButton::clicked, this, &frmAbout::picOK_Click);
}

void frmAbout::picOK_Click()
{
    close();
}

void frmAbout::ShowModal(QWidget *owner)
{
    QPointer<frmAbout> about = new frmAbout(owner);
    about->exec();
    // exec() returns once the window has closed; WA_DeleteOnClose then deletes it.
}
