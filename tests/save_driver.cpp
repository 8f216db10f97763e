// Saves one person through the start-up window's save panel, the way a user does, then prints
// where the saved-members file is. Ends with status 0 when the program said the person was
// saved and the file holds them. Used by CI on the installed package and by tst_platform.
//   save_driver [name]

#include "DialogAnswerers.h"
#include "PageSink.h"
#include "startup/SavedMembersFile.h"
#include "startup/frmAtFirst.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    // Leaving the window would open the farewell page.
    PageSink sink;

    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Ada");
    frmAtFirst *window = frmAtFirst::GetOrCreate();
    if (!window) {
        std::fprintf(stderr, "save_driver: another copy of the program is running\n");
        return 2;
    }
    window->show();
    window->picSaveInfo1_Click();
    window->findChild<QLineEdit *>(QStringLiteral("txtNameForSave"))->setText(name);
    window->findChild<QDateEdit *>(QStringLiteral("dtpDobForSave"))->setDate(QDate(1984, 3, 14));
    BoxAnswerer answerer;
    window->picSaveInfo2_Click();
    const QString path = SavedMembersFile::DefaultPath();
    std::printf("%s\n", qPrintable(path));
    const bool saved = answerer.text == QLatin1String("Information Saved Successfully")
        && SavedMembersFile(path).Names().contains(name);
    if (!saved)
        std::fprintf(stderr, "save_driver: not saved: %s\n", qPrintable(answerer.text));
    window->close();
    return saved ? 0 : 1;
}
