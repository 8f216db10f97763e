#include "DialogAnswerers.h"
#include "StartupDriving.h"
#include "StartupFixture.h"

#include "chart/frmBio.h"
#include "model/modBiorhythm.h"
#include "platform/Dates.h"
#include "shell/Look.h"
#include "startup/SavedMembersFile.h"
#include "startup/frmAtFirst.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace modBiorhythm;
using namespace StartupDriving;

namespace {

QString savedPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Vantrel");
}

QString scratchPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/temp");
}

QByteArray record(const QByteArray &name, const QByteArray &dob, const QByteArray &color = "444415")
{
    return '"' + name + "\",\"" + dob + "\",\"" + color + "\"\r\n";
}

const QByteArray Anna90 = record("Anna", "1990-05-17");
const QByteArray Anna80 = record("Anna", "1980-01-02", "255");
const QByteArray Bob = record("Bob", "1975-11-30", "65280");

void writeSaved(const QByteArray &bytes)
{
    QFile file(savedPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readSaved()
{
    QFile file(savedPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void removeEverything(const QString &path)
{
    if (QFileInfo(path).isDir())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

// Something other than a plain file at the saved-members file's name.
void placeAtSavedPath(const QString &what)
{
    const QByteArray path = QFile::encodeName(savedPath());
    if (what == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(savedPath()));
    else if (what == QLatin1String("FIFO"))
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    else if (what == QLatin1String("link to /dev/zero"))
        QCOMPARE(::symlink("/dev/zero", path.constData()), 0);
}

QString kindAtSavedPath()
{
    struct stat info;
    if (::lstat(QFile::encodeName(savedPath()).constData(), &info) != 0)
        return QStringLiteral("nothing");
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("folder");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("FIFO");
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("link to ") + QFile::symLinkTarget(savedPath());
    return S_ISREG(info.st_mode) ? QString() : QStringLiteral("special");
}

// Stops the program with a message when something waits on a FIFO or reads a device forever.
class HangGuard
{
public:
    HangGuard() { ::alarm(60); }
    ~HangGuard() { ::alarm(0); }
};

QListWidget *savedList(QWidget *window)
{
    return child<QListWidget>(window, QStringLiteral("lstShowSavedInfo"));
}

QStringList listed(QWidget *window)
{
    QStringList names;
    QListWidget *list = savedList(window);
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

QList<int> ticked(QWidget *window)
{
    QList<int> rows;
    QListWidget *list = savedList(window);
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            rows << i;
    }
    return rows;
}

// A click on the entry's text, well away from its tick box.
void clickEntry(QWidget *window, int row)
{
    QListWidget *list = savedList(window);
    QListWidgetItem *item = list->item(row);
    QVERIFY(item);
    list->scrollToItem(item);
    const QRect rect = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() + rect.width() / 2, rect.center().y()));
}

void startVisit(QWidget *window, const QString &type)
{
    // "GROUP 4" is a group of four.
    const QStringList words = type.split(QLatin1Char(' '));
    if (type.isEmpty())
        return;
    choose(child<QComboBox>(window, QStringLiteral("cboVisitType")), words[0]);
    if (words.size() > 1)
        choose(child<QComboBox>(window, QStringLiteral("cboNoOfVisitor")), words[1]);
}

void saveOnPanel(QWidget *window, const QString &name)
{
    child<QLineEdit>(window, QStringLiteral("txtNameForSave"))->setText(name);
    click(child(window, QStringLiteral("picSaveInfo2")));
}

QString caption(QWidget *window, const char *name)
{
    return child<QLabel>(window, QString::fromLatin1(name))->text();
}

} // namespace

class tst_saved : public StartupFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void readingFiles_data();
    void readingFiles();
    void membersFromFile_data();
    void membersFromFile();
    void tenThousandRecords();
    void savingRoundTrip_data();
    void savingRoundTrip();
    void saveRefusals_data();
    void saveRefusals();
    void saveCountdown_data();
    void saveCountdown();
    void saveColourDialog();
    void clickCounterAndAccessKeys();
    void removal_data();
    void removal();
    void chartCountChecks_data();
    void chartCountChecks();
    void chartFromSaved_data();
    void chartFromSaved();
    void changedBeforeActing_data();
    void changedBeforeActing();
    void hugeLine();
    void screenshots();
};

void tst_saved::initTestCase()
{
    catchPagesAndLock();
}

void tst_saved::cleanupTestCase()
{
    releasePages();
}

void tst_saved::init()
{
    startAfresh();
    // Every case starts with no saved people at all.
    removeEverything(savedPath());
    removeEverything(scratchPath());
}

void tst_saved::cleanup()
{
    closeWindows();
    removeEverything(savedPath());
    removeEverything(scratchPath());
}

// ---------------------------------------------------------------------------------------------

void tst_saved::readingFiles_data()
{
    QTest::addColumn<QByteArray>("bytes"); // null: no file at all
    QTest::addColumn<QStringList>("names");

    const QStringList annaBob { QStringLiteral("Anna"), QStringLiteral("Bob") };
    QTest::newRow("no file") << QByteArray() << QStringList();
    QTest::newRow("0 bytes") << QByteArray("") << QStringList();
    QTest::newRow("CR LF") << Anna90 + Bob << annaBob;
    QTest::newRow("LF only") << QByteArray(Anna90 + Bob).replace("\r\n", "\n") << annaBob;
    QTest::newRow("no final line break") << Anna90 + Bob.chopped(2) << annaBob;
    QTest::newRow("bare CR") << QByteArray(Anna90 + Bob).replace("\r\n", "\r") << annaBob;
    QTest::newRow("CR, LF and CR LF mixed")
        << QByteArray(Anna90).replace("\r\n", "\r") + "\n" + Bob.chopped(2) + "\n\r\r\n" + Anna80
        << QStringList { QStringLiteral("Anna"), QStringLiteral("Bob"), QStringLiteral("Anna") };
    QTest::newRow("a line too long to be a record")
        << Anna90 + '"' + QByteArray(100 * 1024, 'x') + "\"\r\n" + Bob << annaBob;
    QTest::newRow("empty lines") << "\r\n" + Anna90 + "\r\n \t\r\n\n" + Bob + "\r\n" << annaBob;
    QTest::newRow("blanks outside quotes")
        << QByteArray(" \"Anna\" ,\t\"1990-05-17\" , \"1\" \r\n") + Bob << annaBob;
    QTest::newRow("unquoted fields") << "Anna , 1990-05-17, 444415\r\n" + Bob << annaBob;
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + Anna90 + Bob << annaBob;
    QTest::newRow("missing fields") << QByteArray("\"Anna\"\r\n\"Bob\",\"1975-11-30\"") << annaBob;
    QTest::newRow("unterminated quote") << QByteArray("\"Cy,1990-01-01,5\r\n")
            + Bob << QStringList { QStringLiteral("Cy,1990-01-01,5"), QStringLiteral("Bob") };
    QTest::newRow("quote inside a field") << QByteArray("\"Cy \"Jr\"\",\"1990-01-01\",\"5\"\r\n")
            + Bob << QStringList { QStringLiteral("Cy "), QStringLiteral("Bob") };
    QTest::newRow("invalid UTF-8") << QByteArray("\"Cy\xFF\xC3\",\"1990-01-01\",\"5\"\r\n")
            + Bob << QStringList { QString::fromUtf8("Cy\xFF\xC3"), QStringLiteral("Bob") };
    QTest::newRow("names as typed")
        << record("Smith, Ann", "1990-01-01") + record("A & B", "1990-01-01")
            + record("<b>Cy</b>", "1990-01-01") + record("Zoë 山田 Владимир", "1990-01-01")
        << QStringList { QStringLiteral("Smith, Ann"), QStringLiteral("A & B"),
                         QStringLiteral("<b>Cy</b>"), QStringLiteral("Zoë 山田 Владимир") };
}

void tst_saved::readingFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);

    if (!bytes.isNull())
        writeSaved(bytes);
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    QCOMPARE(listed(window), names);
    QVERIFY(ticked(window).isEmpty());
    if (bytes.isNull()) {
        QVERIFY(QFileInfo(savedPath()).isFile());
        QCOMPARE(QFileInfo(savedPath()).size(), 0);
        // It will hold names and birth dates.
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(savedPath()).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), 0600);
    } else {
        // Reading never changes the file.
        QCOMPARE(readSaved(), bytes);
    }
}

void tst_saved::membersFromFile_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QDate>("dob");
    QTest::addColumn<qint32>("color");

    const QDate may17(1990, 5, 17);
    const QLocale locale = QLocale::system();
    const QByteArray longForm = locale.toString(may17, Dates::ShortDateFormat()).toUtf8();
    const QByteArray shortForm = locale.toString(may17, QLocale::ShortFormat).toUtf8();
    QTest::newRow("ISO") << record("Anna", "1990-05-17") << may17 << 444415;
    QTest::newRow("short form, four-digit year") << record("Anna", longForm) << may17 << 444415;
    QTest::newRow("short form") << record("Anna", shortForm) << may17 << 444415;
    QTest::newRow("time of day") << record("Anna", "1990-05-17 10:30:00") << may17 << 444415;
    QTest::newRow("date does not convert")
        << record("Anna", "someday") << Dates::EmptyDate() << 444415;
    QTest::newRow("date before year 100")
        << record("Anna", "0099-12-31") << Dates::EmptyDate() << 444415;
    QTest::newRow("colour does not convert") << record("Anna", "1990-05-17", "amber") << may17 << 0;
    QTest::newRow("colour too large") << record("Anna", "1990-05-17", "4294967296") << may17 << 0;
    QTest::newRow("negative colour") << record("Anna", "1990-05-17", "-1") << may17 << -1;
    QTest::newRow("colour missing") << QByteArray("\"Anna\",\"1990-05-17\"\r\n") << may17 << 0;
    QTest::newRow("only the name") << QByteArray("\"Anna\"") << Dates::EmptyDate() << 0;
}

void tst_saved::membersFromFile()
{
    QFETCH(QByteArray, line);
    QFETCH(QDate, dob);
    QFETCH(qint32, color);

    writeSaved(line);
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    startVisit(window, QStringLiteral("SELF"));
    click(child(window, QStringLiteral("picRecallInfo")));
    clickEntry(window, 0);
    BoxAnswerer none;
    click(child(window, QStringLiteral("picShowBioRythm")));
    QCOMPARE(none.count, 0);

    QCOMPARE(MemberCount(), 1);
    QCOMPARE(VisitorName.value(0), QStringLiteral("Anna"));
    QCOMPARE(VisitorDob.value(0), dob);
    QCOMPARE(VisitorColor.value(0), color);
    QCOMPARE(VisitorReportDate.value(0), Dates::Today());
}

void tst_saved::tenThousandRecords()
{
    QByteArray bytes;
    for (int i = 0; i < 10000; ++i)
        bytes += record("Person " + QByteArray::number(i), "1990-05-17");
    writeSaved(bytes);
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    QElapsedTimer timer;
    timer.start();
    window->ReadSavedNames();
    const qint64 ms = timer.elapsed();
    QVERIFY2(ms < 500, qPrintable(QString::number(ms) + QStringLiteral(" ms")));
    QCOMPARE(savedList(window)->count(), 10000);
    QCOMPARE(savedList(window)->item(9999)->text(), QStringLiteral("Person 9999"));
}

void tst_saved::savingRoundTrip_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");

    QTest::newRow("blanks around") << "  Anna  "
                                   << "Anna";
    QTest::newRow("comma") << "Smith, Ann"
                           << "Smith, Ann";
    QTest::newRow("ampersand") << "Ann & Bob"
                               << "Ann & Bob";
    QTest::newRow("markup") << "<b>Ann</b>"
                            << "<b>Ann</b>";
    QTest::newRow("non-Latin") << QStringLiteral("Zoë Ørsted 山田 Владимир")
                               << QStringLiteral("Zoë Ørsted 山田 Владимир");
}

void tst_saved::savingRoundTrip()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);

    writeSaved(Bob);
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    startVisit(window, QStringLiteral("SELF"));
    click(child(window, QStringLiteral("picSaveInfo1")));
    QCOMPARE(frontPanel(window), QStringLiteral("Picture4"));
    child<QDateEdit>(window, QStringLiteral("dtpDobForSave"))->setDate(QDate(1990, 5, 17));
    {
        BoxAnswerer box;
        saveOnPanel(window, typed);
        QCOMPARE(box.count, 1);
        QCOMPARE(box.title, QStringLiteral("Vantrel"));
        QCOMPARE(box.text, QStringLiteral("Information Saved Successfully"));
        QCOMPARE(box.icon, QMessageBox::Information);
    }
    QCOMPARE(readSaved(), Bob + "\"" + stored.toUtf8() + "\",\"1990-05-17\",\"444415\"\r\n");
    QCOMPARE(listed(window), QStringList({ QStringLiteral("Bob"), stored }));
    QCOMPARE(int(VisitorsLeft), 0);
    auto *nameBox = child<QLineEdit>(window, QStringLiteral("txtNameForSave"));
    QVERIFY(nameBox->text().isEmpty());
    QCOMPARE(window->focusWidget(), nameBox);
    QVERIFY(!child(window, QStringLiteral("picSaveInfo2"))->isEnabled());

    // Back to the start, and the person comes back on a chart.
    click(child(window, QStringLiteral("picBack1")));
    QVERIFY(child(window, QStringLiteral("picSaveInfo2"))->isEnabled());
    startVisit(window, QStringLiteral("SELF"));
    click(child(window, QStringLiteral("picRecallInfo")));
    clickEntry(window, 1);
    click(child(window, QStringLiteral("picShowBioRythm")));
    QCOMPARE(VisitorName.value(0), stored);
    QCOMPARE(VisitorDob.value(0), QDate(1990, 5, 17));
    QCOMPARE(VisitorColor.value(0), 444415);
    QVERIFY(frmBio::Instance());
    QCOMPARE(caption(frmBio::Instance(), "lblName(0)"), stored);
}

void tst_saved::saveRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("atName"); // what stands at the file's name; empty: the file
    QTest::addColumn<QString>("message");

    QTest::newRow("blank name") << "   "
                                << ""
                                << "Please Enter The Name";
    QTest::newRow("double quote") << "Ann \"Jr\""
                                  << ""
                                  << "The Name Cannot Contain Double Quotes";
    QTest::newRow("too long to read back") << QStringLiteral("😀").repeated(20000) << ""
                                           << "Information Could Not Be Saved";
    for (const char *special : { "folder", "FIFO", "link to /dev/zero" })
        QTest::addRow("%s at the name", special)
            << "Anna" << special << "Information Could Not Be Saved";
}

void tst_saved::saveRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, atName);
    QFETCH(QString, message);

    placeAtSavedPath(atName);
    if (atName.isEmpty())
        writeSaved(Bob);
    // Neither loading nor saving may wait on a FIFO or read a device without end.
    HangGuard guard;
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    startVisit(window, QStringLiteral("COUPLE"));
    click(child(window, QStringLiteral("picSaveInfo1")));
    const QString before = caption(window, "lblShow2");
    const QStringList listBefore = listed(window);
    {
        BoxAnswerer box;
        saveOnPanel(window, name);
        QCOMPARE(box.count, 1);
        QCOMPARE(box.text, message);
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, QStringLiteral("Vantrel"));
    }
    QCOMPARE(int(VisitorsLeft), 2);
    QCOMPARE(caption(window, "lblShow2"), before);
    QCOMPARE(listed(window), listBefore);
    QVERIFY(child(window, QStringLiteral("picSaveInfo2"))->isEnabled());
    if (atName.isEmpty()) {
        QCOMPARE(readSaved(), Bob);
    } else {
        QVERIFY(listBefore.isEmpty());
        QCOMPARE(kindAtSavedPath(), atName);
    }
}

void tst_saved::saveCountdown_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("saves");
    QTest::addColumn<bool>("enabledAtEnd");

    QTest::newRow("nothing chosen: below zero") << "" << 3 << true;
    QTest::newRow("COUPLE: two saves close it") << "COUPLE" << 2 << false;
}

void tst_saved::saveCountdown()
{
    QFETCH(QString, type);
    QFETCH(int, saves);
    QFETCH(bool, enabledAtEnd);

    frmAtFirst *window = openWindow();
    QVERIFY(window);
    startVisit(window, type);
    const int left = VisitorsLeft;
    click(child(window, QStringLiteral("picSaveInfo1")));
    QCOMPARE(frontPanel(window), QStringLiteral("Picture4"));
    QCOMPARE(caption(window, "lblShow1"),
             QStringLiteral("You Have To Enter Information Of %1 Person(s)").arg(left));
    QCOMPARE(caption(window, "lblShow2"),
             QStringLiteral("You have entered the personal details for 0 Person(s)"));
    QCOMPARE(caption(window, "lblShow3"),
             QStringLiteral("You Will Have To Enter Information Of %1 Person(s)").arg(left));

    BoxAnswerer box;
    for (int i = 1; i <= saves; ++i) {
        // The same name every time: each save is a record of its own.
        saveOnPanel(window, QStringLiteral("Anna"));
        QCOMPARE(box.count, i);
        QCOMPARE(caption(window, "lblShow2"),
                 QStringLiteral("You have entered the personal details for %1 Person(s)").arg(i));
        QCOMPARE(
            caption(window, "lblShow3"),
            QStringLiteral("You Will Have To Enter Information Of %1 Person(s)").arg(left - i));
        QCOMPARE(int(VisitorsLeft), left - i);
    }
    QCOMPARE(listed(window), QStringList(saves, QStringLiteral("Anna")));
    QCOMPARE(readSaved(), record("Anna", "2006-12-26").repeated(saves));
    QCOMPARE(child(window, QStringLiteral("picSaveInfo2"))->isEnabled(), enabledAtEnd);
    click(child(window, QStringLiteral("picBack1")));
    QVERIFY(child(window, QStringLiteral("picSaveInfo2"))->isEnabled());
}

void tst_saved::saveColourDialog()
{
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    click(child(window, QStringLiteral("picSaveInfo1")));
    QWidget *swatch = child(window, QStringLiteral("Picture1ForSave"));
    {
        ColorAnswerer picker(Qt::cyan, true);
        click(swatch);
        QVERIFY(picker.seen);
        QCOMPARE(picker.name, QStringLiteral("cddColorForSave"));
        QCOMPARE(picker.shownAtStart, QColor(Qt::black));
    }
    QCOMPARE(swatch->palette().color(QPalette::Window), QColor(Qt::cyan));
    {
        ColorAnswerer picker(Qt::red, false);
        click(swatch);
        QCOMPARE(picker.shownAtStart, QColor(Qt::cyan));
    }
    QCOMPARE(swatch->palette().color(QPalette::Window), QColor(Qt::cyan));
    BoxAnswerer box;
    saveOnPanel(window, QStringLiteral("Cy"));
    QCOMPARE(readSaved(), record("Cy", "2006-12-26", "16776960")); // 0x00FFFF00
}

void tst_saved::clickCounterAndAccessKeys()
{
    writeSaved(Anna90 + Bob + Anna80);
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    // Alt+S away from the saved-members panel: the save panel.
    pressAltKey(window, Qt::Key_S);
    QCOMPARE(frontPanel(window), QStringLiteral("Picture4"));

    startVisit(window, QStringLiteral("COUPLE"));
    click(child(window, QStringLiteral("picRecallInfo")));
    QCOMPARE(frontPanel(window), QStringLiteral("Picture5"));
    QCOMPARE(caption(window, "lblTitle"),
             QStringLiteral("You can choose to view the chart or delete information for a "
                            "maximum of 2 Person(s)"));
    {
        BoxAnswerer box;
        clickEntry(window, 0);
        QCOMPARE(ticked(window), QList<int>({ 0 }));
        clickEntry(window, 0);
        QCOMPARE(ticked(window), QList<int>());
        QCOMPARE(box.count, 0);
        clickEntry(window, 1);
        QCOMPARE(box.count, 1);
        QCOMPARE(box.text, QStringLiteral("You cannot select more than 2 Person(s)"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(ticked(window), QList<int>({ 1 }));
        clickEntry(window, 2);
        QCOMPARE(box.count, 2);
        QCOMPARE(ticked(window), QList<int>({ 1, 2 }));
    }

    // Opening the panel again starts the count afresh; ticks in code never count.
    BoxAnswerer box;
    pressAltKey(window, Qt::Key_R);
    QCOMPARE(ticked(window), QList<int>({ 1, 2 }));
    pressAltKey(window, Qt::Key_D);
    QCOMPARE(ticked(window), QList<int>());
    pressAltKey(window, Qt::Key_S);
    QCOMPARE(frontPanel(window), QStringLiteral("Picture5"));
    QCOMPARE(ticked(window), QList<int>({ 0, 1, 2 }));
    click(child(window, QStringLiteral("picDeselectAll")));
    QCOMPARE(ticked(window), QList<int>());
    click(child(window, QStringLiteral("picSelectAll")));
    QCOMPARE(ticked(window), QList<int>({ 0, 1, 2 }));
    QCOMPARE(box.count, 0);
    clickEntry(window, 0);
    clickEntry(window, 1);
    QCOMPARE(box.count, 0);
    // On the saved-members panel Alt+V is the chart's: with one entry ticked, too few.
    pressAltKey(window, Qt::Key_V);
    QCOMPARE(box.count, 1);
    QCOMPARE(box.text, QStringLiteral("Please select 2  Person(s)"));
}

void tst_saved::removal_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QList<int>>("ticks");
    QTest::addColumn<bool>("tempFolder");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("after"); // null: as before

    const QByteArray damaged = "\"Cy\xFF\",\"x\"\n"
                               "Dee unquoted, 1990-01-01, 5\n";
    QTest::newRow("second of two Annas")
        << "SELF" << Anna90 + Bob + Anna80 << QList<int> { 2 } << false
        << "Information Removed Successfully" << Anna90 + Bob;
    QTest::newRow("damaged lines stay as they were")
        << "COUPLE" << Bob + damaged + Anna80.chopped(2) << QList<int> { 0, 3 } << false
        << "Information Removed Successfully" << damaged;
    // Every record stays as it was written, line ends and all.
    const QByteArray annaCr = QByteArray(Anna90).replace("\r\n", "\r");
    const QByteArray bobCr = QByteArray(Bob).replace("\r\n", "\r");
    QTest::newRow("bare CR: only the ticked one goes")
        << "SELF" << annaCr + bobCr + record("Cy", "2001-02-03").replace("\r\n", "\r")
        << QList<int> { 1 } << false << "Information Removed Successfully"
        << annaCr + record("Cy", "2001-02-03").replace("\r\n", "\r");
    QTest::newRow("byte order mark stays with the first record gone")
        << "SELF"
        << "\xEF\xBB\xBF" + Anna90 + Bob << QList<int> { 0 } << false
        << "Information Removed Successfully"
        << "\xEF\xBB\xBF" + Bob;
    QTest::newRow("mixed line ends, blank lines, last line without a break")
        << "COUPLE"
        << annaCr + "\n \r\n" + QByteArray(Bob).replace("\r\n", "\n") + Anna80.chopped(2)
        << QList<int> { 1, 2 } << false << "Information Removed Successfully" << annaCr + "\n \r\n";
    QTest::newRow("too few ticked")
        << "GROUP 3" << Anna90 + Bob + Anna80 << QList<int> { 0 } << false
        << "You can delete information for a maximum of 3 Person(s) "
           "Only"
        << QByteArray();
    QTest::newRow("none ticked") << "COUPLE" << Anna90 + Bob << QList<int>() << false
                                 << "You can delete information for a maximum of 2 Person(s) Only"
                                 << QByteArray();
    QTest::newRow("a folder at temp is left alone")
        << "SELF" << Anna90 + Bob << QList<int> { 0 } << true << "Information Removed Successfully"
        << Bob;
}

void tst_saved::removal()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, before);
    QFETCH(QList<int>, ticks);
    QFETCH(bool, tempFolder);
    QFETCH(QString, message);
    QFETCH(QByteArray, after);

    writeSaved(before);
    if (tempFolder) {
        QVERIFY(QDir().mkpath(scratchPath()));
        QFile notes(scratchPath() + QStringLiteral("/notes"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        QCOMPARE(notes.write("keep me"), 7);
    }
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    startVisit(window, type);
    click(child(window, QStringLiteral("picRecallInfo")));
    for (int row : ticks)
        clickEntry(window, row);
    const QStringList listBefore = listed(window);

    BoxAnswerer box;
    click(child(window, QStringLiteral("picRemove")));
    QCOMPARE(box.count, 1);
    QCOMPARE(box.text, message);
    const bool removed = !after.isNull();
    QCOMPARE(box.icon, removed ? QMessageBox::Information : QMessageBox::Critical);
    QCOMPARE(readSaved(), removed ? after : before);
    if (removed) {
        QCOMPARE(listed(window), SavedMembersFile(savedPath()).Names());
        QCOMPARE(listed(window).size(), listBefore.size() - ticks.size());
        QVERIFY(ticked(window).isEmpty());
        QCOMPARE(QDir(QCoreApplication::applicationDirPath())
                     .entryList({ QStringLiteral("Vantrel*") },
                                QDir::AllEntries | QDir::Hidden | QDir::System),
                 QStringList { QStringLiteral("Vantrel") });
    } else {
        QCOMPARE(listed(window), listBefore);
        QCOMPARE(ticked(window), ticks);
    }
    QCOMPARE(QFileInfo(scratchPath()).isDir(), tempFolder);
    if (tempFolder) {
        QFile notes(scratchPath() + QStringLiteral("/notes"));
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QCOMPARE(notes.readAll(), QByteArray("keep me"));
    }
}

void tst_saved::chartCountChecks_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("message");

    QTest::newRow("none ticked") << "SELF" << 0 << "You Have To Select At Least 1 Person";
    QTest::newRow("too many") << "GROUP 4" << 5
                              << "You can view the chart for a maximum of 4 Person(s) Only";
    QTest::newRow("too few") << "GROUP 4" << 3 << "Please select 4  Person(s)";
}

void tst_saved::chartCountChecks()
{
    QFETCH(QString, type);
    QFETCH(int, ticks);
    QFETCH(QString, message);

    writeSaved(Anna90 + Bob + Anna80 + record("Cy", "2001-02-03") + record("Dee", "2002-03-04"));
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    startVisit(window, type);
    click(child(window, QStringLiteral("picRecallInfo")));
    {
        BoxAnswerer counter; // the fifth click of a group of four is warned about
        for (int row = 0; row < ticks; ++row)
            clickEntry(window, row);
    }
    const int total = TotalVisitors;
    const int left = VisitorsLeft;

    BoxAnswerer box;
    click(child(window, QStringLiteral("picShowBioRythm")));
    QCOMPARE(box.count, 1);
    QCOMPARE(box.text, message);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(frmAtFirst::Instance(), window);
    QCOMPARE(int(TotalVisitors), total);
    QCOMPARE(int(VisitorsLeft), left);
    QCOMPARE(MemberCount(), total);
    // The preparation has built the chart window, unseen, without the all-cycles controls.
    frmBio *chart = frmBio::Instance();
    QVERIFY(chart);
    QVERIFY(!chart->isVisible());
    QVERIFY(chart->findChild<QWidget *>(QStringLiteral("picShowAll"))->isHidden());
    QCOMPARE(farewells(), 0);
}

void tst_saved::chartFromSaved_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("saveFirst");
    QTest::addColumn<QList<int>>("ticks");
    QTest::addColumn<bool>("byKeyboard");
    QTest::addColumn<QString>("visitType");
    QTest::addColumn<QList<QDate>>("dobs");
    QTest::addColumn<QList<qint32>>("colors");

    QTest::newRow("SELF, the first Anna")
        << "SELF" << false << QList<int> { 0 } << false << "SELF"
        << QList<QDate> { QDate(1990, 5, 17) } << QList<qint32> { 444415 };
    QTest::newRow("COUPLE, both Annas, Alt+V")
        << "COUPLE" << false << QList<int> { 0, 2 } << true << ""
        << QList<QDate> { QDate(1990, 5, 17), QDate(1980, 1, 2) } << QList<qint32> { 444415, 255 };
    QTest::newRow("COUPLE, one left after a save")
        << "COUPLE" << true << QList<int> { 1 } << false << "SELF"
        << QList<QDate> { QDate(1975, 11, 30) } << QList<qint32> { 65280 };
}

void tst_saved::chartFromSaved()
{
    QFETCH(QString, type);
    QFETCH(bool, saveFirst);
    QFETCH(QList<int>, ticks);
    QFETCH(bool, byKeyboard);
    QFETCH(QString, visitType);
    QFETCH(QList<QDate>, dobs);
    QFETCH(QList<qint32>, colors);

    writeSaved(Anna90 + Bob + Anna80);
    QPointer<frmAtFirst> window = openWindow();
    QVERIFY(window);
    startVisit(window, type);
    if (saveFirst) {
        click(child(window, QStringLiteral("picSaveInfo1")));
        BoxAnswerer box;
        saveOnPanel(window, QStringLiteral("Eve"));
    }
    click(child(window, QStringLiteral("picRecallInfo")));
    for (int row : ticks)
        clickEntry(window, row);
    BoxAnswerer none;
    if (byKeyboard)
        pressAltKey(window, Qt::Key_V);
    else
        click(child(window, QStringLiteral("picShowBioRythm")));
    QCOMPARE(none.count, 0);

    const int k = int(ticks.size());
    QCOMPARE(VisitType, visitType);
    QVERIFY(!IsSelf);
    QCOMPARE(int(TotalVisitors), k);
    QCOMPARE(int(VisitorsLeft), k);
    QCOMPARE(VisitorDob, dobs);
    QCOMPARE(VisitorColor, colors);
    QCOMPARE(VisitorReportDate, QList<QDate>(k, Dates::Today()));
    QCOMPARE(CurrentView, QStringLiteral("Physical"));

    QPointer<frmBio> chart = frmBio::Instance();
    QVERIFY(chart);
    QVERIFY(chart->isVisible());
    QVERIFY(!chart->findChild<QPushButton *>(QStringLiteral("cmdShowAll"))->isEnabled());
    if (!byKeyboard) {
        for (const char *name :
             { "picShowAll", "lblRedLineFor", "lblGreenLineFor", "lblBlueLineFor" })
            QVERIFY2(chart->findChild<QWidget *>(QString::fromLatin1(name))->isHidden(), name);
    }
    // The day scale and the legend are those of the people on the chart, even when the chart
    // was built before they were known.
    QCOMPARE(caption(chart, "lblNextDay(0)"), QString::number(Dates::Today().addDays(1).day()));
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(chart->findChild<QWidget *>(QStringLiteral("lblName(%1)").arg(i))->isVisible(),
                 i < k);
    }
    QVERIFY(!frmAtFirst::Instance());
    QTRY_VERIFY(!window);
    QCOMPARE(farewells(), 1);
}

void tst_saved::changedBeforeActing_data()
{
    QTest::addColumn<bool>("remove"); // false: Show Chart
    QTest::addColumn<QByteArray>("changedTo"); // what a second writer leaves; null: untouched
    QTest::addColumn<QString>("message"); // empty: the action goes through

    const QByteArray cy = record("Cy", "2001-02-03", "255");
    const QByteArray all = Anna90 + Bob + cy;
    const QString changed
        = QStringLiteral("The Saved Information Has Changed\rPlease Select Again");
    const struct
    {
        const char *change;
        QByteArray bytes;
    } changes[] = {
        { "record removed before", Bob + cy },
        { "record added in front", record("Dee", "2002-03-04") + all },
        { "record added at the end", all + record("Dee", "2002-03-04") },
        { "record edited, same size", Anna90 + record("Bob", "1975-11-29", "65280") + cy },
        { "truncated", all.left(all.size() - 12) },
        { "emptied", QByteArray("") },
    };
    for (bool remove : { true, false }) {
        const char *action = remove ? "Remove" : "Show Chart";
        QTest::addRow("%s, untouched", action) << remove << QByteArray() << QString();
        QTest::addRow("%s, written again unchanged", action) << remove << all << QString();
        for (const auto &c : changes)
            QTest::addRow("%s, %s", action, c.change) << remove << c.bytes << changed;
        // Something that cannot be read can be neither shown nor rewritten.
        QTest::addRow("%s, replaced by a FIFO", action)
            << remove << QByteArray("FIFO")
            << (remove ? QStringLiteral("Information Could Not Be Removed") : changed);
    }
}

void tst_saved::changedBeforeActing()
{
    QFETCH(bool, remove);
    QFETCH(QByteArray, changedTo);
    QFETCH(QString, message);

    // The user ticks Bob; meanwhile another copy of the program, a sync tool or an editor
    // changes the file.
    const QByteArray all = Anna90 + Bob + record("Cy", "2001-02-03", "255");
    writeSaved(all);
    QPointer<frmAtFirst> window = openWindow();
    QVERIFY(window);
    startVisit(window, QStringLiteral("SELF"));
    click(child(window, QStringLiteral("picRecallInfo")));
    clickEntry(window, 1);
    const bool fifo = changedTo == "FIFO";
    if (fifo) {
        QVERIFY(QFile::remove(savedPath()));
        placeAtSavedPath(QStringLiteral("FIFO"));
    } else if (!changedTo.isNull()) {
        writeSaved(changedTo);
    }
    const QByteArray now = fifo ? QByteArray() : readSaved();
    const QStringList names = SavedMembersFile(savedPath()).Names();

    HangGuard guard;
    BoxAnswerer box;
    click(child(window, QString::fromLatin1(remove ? "picRemove" : "picShowBioRythm")));
    if (message.isEmpty()) {
        // The very file the list was read from: the action goes through, on Bob.
        if (remove) {
            QCOMPARE(box.count, 1);
            QCOMPARE(box.text, QStringLiteral("Information Removed Successfully"));
            QCOMPARE(readSaved(), Anna90 + record("Cy", "2001-02-03", "255"));
        } else {
            QCOMPARE(box.count, 0);
            QCOMPARE(VisitorName, QList<QString> { QStringLiteral("Bob") });
            QCOMPARE(VisitorDob, QList<QDate> { QDate(1975, 11, 30) });
            QTRY_VERIFY(!window);
        }
        return;
    }

    // Nothing removed, nothing charted, and the user is told.
    QCOMPARE(box.count, 1);
    QCOMPARE(box.title, QStringLiteral("Vantrel"));
    QCOMPARE(box.text, message);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(frmAtFirst::Instance(), window.data());
    QVERIFY(!frmBio::Instance() || !frmBio::Instance()->isVisible());
    QVERIFY(VisitorName.value(0).isEmpty());
    if (fifo) {
        QCOMPARE(kindAtSavedPath(), QStringLiteral("FIFO"));
        const QStringList listedBefore { QStringLiteral("Anna"), QStringLiteral("Bob"),
                                         QStringLiteral("Cy") };
        QCOMPARE(listed(window), remove ? listedBefore : QStringList());
        QCOMPARE(ticked(window), remove ? QList<int> { 1 } : QList<int>());
        return;
    }
    QCOMPARE(readSaved(), now);
    // The list is the file as it is now, with nothing ticked.
    QCOMPARE(listed(window), names);
    QVERIFY(ticked(window).isEmpty());
    const int bob = int(names.indexOf(QStringLiteral("Bob")));
    if (bob < 0)
        return;

    // Selecting again acts on what the user now sees, and a new selection counts afresh.
    clickEntry(window, bob);
    QCOMPARE(box.count, 1);
    click(child(window, QString::fromLatin1(remove ? "picRemove" : "picShowBioRythm")));
    if (remove) {
        QCOMPARE(box.count, 2);
        QCOMPARE(box.text, QStringLiteral("Information Removed Successfully"));
        QCOMPARE(readSaved(), QByteArray(now).remove(now.indexOf("\"Bob\""), Bob.size()));
    } else {
        QCOMPARE(box.count, 1);
        QCOMPARE(VisitorName, QList<QString> { QStringLiteral("Bob") });
        const QDate dob = now.contains("1975-11-29") ? QDate(1975, 11, 29) : QDate(1975, 11, 30);
        QCOMPARE(VisitorDob, QList<QDate> { dob });
    }
}

void tst_saved::hugeLine()
{
    // A line of 100 MB among the records: the start-up window must come up and list the rest.
    {
        QFile file(savedPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(Anna90), Anna90.size());
        const QByteArray piece = QByteArray("\"Anna Maria ").repeated(1024 * 1024 / 12);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(file.write(piece), piece.size());
        QCOMPARE(file.write("\r\n" + Bob), 2 + Bob.size());
    }
    const qint64 size = QFileInfo(savedPath()).size();
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    QCOMPARE(listed(window), QStringList({ QStringLiteral("Anna"), QStringLiteral("Bob") }));
    startVisit(window, QStringLiteral("SELF"));
    click(child(window, QStringLiteral("picRecallInfo")));
    clickEntry(window, 0);
    BoxAnswerer box;
    click(child(window, QStringLiteral("picRemove")));
    QCOMPARE(box.text, QStringLiteral("Information Removed Successfully"));
    QCOMPARE(listed(window), QStringList({ QStringLiteral("Bob") }));
    QFile file(savedPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.size(), size - Anna90.size());
    QCOMPARE(file.read(12), QByteArray("\"Anna Maria "));
    QVERIFY(file.seek(file.size() - Bob.size() - 2));
    QCOMPARE(file.readAll(), "\r\n" + Bob);
}

void tst_saved::screenshots()
{
    const QString folder = qEnvironmentVariable("VANTREL_SHOTS");
    if (folder.isEmpty())
        QSKIP("set VANTREL_SHOTS to a folder to save pictures of the saved-people panels");
    QDir().mkpath(folder);
    frmAtFirst *window = openWindow();
    QVERIFY(window);
    startVisit(window, QStringLiteral("COUPLE"));
    QByteArray many;
    for (int i = 0; i < 40; ++i)
        many += record("Person " + QByteArray::number(i), "1990-05-17");
    writeSaved(many);
    window->ReadSavedNames();
    click(child(window, QStringLiteral("picRecallInfo")));
    window->grab().save(folder + QStringLiteral("/saved-Picture5-long.png"));

    writeSaved(Anna90 + record("Smith, Ann & <b>Bob</b>", "1975-11-30", "65280")
               + record("Zoë 山田 Владимир", "2001-02-03", "16711935") + Anna80);
    window->ReadSavedNames();
    click(child(window, QStringLiteral("picSaveInfo1")));
    child<QLineEdit>(window, QStringLiteral("txtNameForSave"))->setText(QStringLiteral("Dee"));
    window->grab().save(folder + QStringLiteral("/saved-Picture4.png"));
    click(child(window, QStringLiteral("picRecallInfo")));
    clickEntry(window, 1);
    clickEntry(window, 2);
    window->grab().save(folder + QStringLiteral("/saved-Picture5.png"));
    // Another program changes the file: the message, over the list read again.
    writeSaved(Anna90 + Bob);
    QTimer::singleShot(300, window, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            box->grab().save(folder + QStringLiteral("/saved-changed-box.png"));
            window->grab().save(folder + QStringLiteral("/saved-changed.png"));
            box->accept();
        }
    });
    click(child(window, QStringLiteral("picShowBioRythm")));
    clickEntry(window, 0);
    clickEntry(window, 1);
    click(child(window, QStringLiteral("picShowBioRythm")));
    frmBio *chart = frmBio::Instance();
    QVERIFY(chart);
    QVERIFY(QTest::qWaitForWindowExposed(chart));
    chart->grab().save(folder + QStringLiteral("/saved-chart.png"));
}

QTEST_MAIN(tst_saved)
#include "tst_saved.moc"
