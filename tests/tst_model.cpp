// The visit state and the day arithmetic, without any window.
#include "model/modBiorhythm.h"
#include "platform/Dates.h"

#include <QtTest>

using namespace modBiorhythm;

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void init() { ClearMemberTable(); }

    void daysLived_data();
    void daysLived();
    void firstVertex_data();
    void firstVertex();
    void dayLivedText_data();
    void dayLivedText();
    void resizeDiscardsContents();
    void writesOutsideTheTableAreSkipped();
    void missingMembersAndDatesCountNothing();
    void shortDateKeepsTheCentury();
    void storableRange_data();
    void storableRange();
};

void TestModel::daysLived_data()
{
    QTest::addColumn<QDate>("dob");
    QTest::addColumn<QDate>("report");
    QTest::addColumn<int>("days");
    QTest::newRow("thirty years") << QDate(1970, 1, 1) << QDate(2000, 1, 1) << 10957;
    QTest::newRow("born on the report date") << QDate(1990, 5, 5) << QDate(1990, 5, 5) << 0;
    QTest::newRow("born the day before") << QDate(1990, 5, 4) << QDate(1990, 5, 5) << 1;
    QTest::newRow("report before birth") << QDate(2000, 1, 11) << QDate(2000, 1, 1) << -10;
    QTest::newRow("a month") << QDate(1970, 1, 1) << QDate(1970, 1, 31) << 30;
    QTest::newRow("across 1900") << QDate(1899, 12, 30) << QDate(1900, 1, 1) << 2;
    QTest::newRow("1600 is a leap year") << QDate(1600, 2, 28) << QDate(1600, 3, 1) << 2;
    QTest::newRow("1700 is not") << QDate(1700, 2, 28) << QDate(1700, 3, 1) << 1;
    QTest::newRow("whole range") << QDate(100, 1, 1) << QDate(9999, 12, 31) << 3615899;
    QTest::newRow("whole range backwards") << QDate(9999, 12, 31) << QDate(100, 1, 1) << -3615899;
}

void TestModel::daysLived()
{
    QFETCH(QDate, dob);
    QFETCH(QDate, report);
    QFETCH(int, days);
    ResizeMemberTable(2);
    StoreMember(1, QStringLiteral("x"), dob, report, 0);
    QCOMPARE(DaysLived(1), days);
}

void TestModel::firstVertex_data()
{
    QTest::addColumn<QDate>("dob");
    QTest::addColumn<QDate>("report");
    QTest::addColumn<double>("period");
    QTest::addColumn<double>("trough");
    const QDate dob(1970, 1, 1);
    const QDate y2k(2000, 1, 1);
    // 10957 days lived: phases 9, 9 and 1.
    QTest::newRow("physical, 10957 days") << dob << y2k << 23.0 << -23.75;
    QTest::newRow("emotional, 10957 days") << dob << y2k << 28.0 << -30.0;
    QTest::newRow("intellectual, 10957 days") << dob << y2k << 33.0 << -28.25;
    QTest::newRow("physical, day of birth") << dob << dob << 23.0 << -14.75;
    QTest::newRow("intellectual, day of birth") << dob << dob << 33.0 << -27.25;
    // Ten days before birth: the maximum at 29.75 takes two steps back.
    QTest::newRow("physical, 10 days before birth") << dob << dob.addDays(-10) << 23.0 << -27.75;
    // A maximum exactly on the left edge stays there.
    QTest::newRow("emotional, phase 21") << dob << dob.addDays(28 * 3 + 21) << 28.0 << -14.0;
    // Phase 7: the maximum lies on the centre line.
    QTest::newRow("emotional, phase 7") << dob << dob.addDays(7) << 28.0 << -14.0 - 14;
    QTest::newRow("physical, before birth, phase -22")
        << dob << dob.addDays(-22) << 23.0 << 14 + 22 + 5.75 - 23 - 23 - 11.5;
}

void TestModel::firstVertex()
{
    QFETCH(QDate, dob);
    QFETCH(QDate, report);
    QFETCH(double, period);
    QFETCH(double, trough);
    ResizeMemberTable(1);
    StoreMember(0, QStringLiteral("x"), dob, report, 0);
    const double first = FirstVertex(0, period, 28.0f);
    QCOMPARE(first, trough);
    // Always a trough at or left of the left edge, from which maxima follow every half period.
    QVERIFY(first <= -period / 2);
    QVERIFY(first > -1.5 * period);
}

void TestModel::dayLivedText_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("text");
    QTest::newRow("thirty") << 30 << QStringLiteral("Day Lived 30");
    QTest::newRow("no grouping") << 12345 << QStringLiteral("Day Lived 12345");
    QTest::newRow("before birth") << -40 << QStringLiteral("Day Lived -40");
    QTest::newRow("zero") << 0 << QStringLiteral("Day Lived 0");
}

void TestModel::dayLivedText()
{
    QFETCH(int, days);
    QFETCH(QString, text);
    ResizeMemberTable(1);
    StoreMember(0, QStringLiteral("x"), QDate(1980, 6, 15), QDate(1980, 6, 15).addDays(days), 0);
    QCOMPARE(DayLivedText(0), text);
}

void TestModel::resizeDiscardsContents()
{
    ResizeMemberTable(2);
    StoreMember(0, QStringLiteral("Ann"), QDate(1970, 1, 1), QDate(2000, 1, 1), 0x123456);
    ResizeMemberTable(5);
    QCOMPARE(MemberCount(), 5);
    QCOMPARE(VisitorName.size(), 5);
    QCOMPARE(VisitorDob.size(), 5);
    QCOMPARE(VisitorReportDate.size(), 5);
    QCOMPARE(VisitorColor.size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(VisitorName[i], QString());
        QCOMPARE(VisitorDob[i], QDate(1899, 12, 30));
        QCOMPARE(VisitorReportDate[i], Dates::EmptyDate());
        QCOMPARE(VisitorColor[i], 0);
    }
}

void TestModel::writesOutsideTheTableAreSkipped()
{
    ResizeMemberTable(2);
    for (int i : {-1, 2, 100})
        StoreMember(i, QStringLiteral("Out"), QDate(1970, 1, 1), QDate(2000, 1, 1), 7);
    QCOMPARE(MemberCount(), 2);
    QVERIFY(!VisitorName.contains(QStringLiteral("Out")));
    QVERIFY(!VisitorColor.contains(7));
}

void TestModel::missingMembersAndDatesCountNothing()
{
    QCOMPARE(DaysLived(0), 0);
    QCOMPARE(DaysLived(-3), 0);
    QCOMPARE(DayLivedText(4), QStringLiteral("Day Lived 0"));
    ResizeMemberTable(1);
    StoreMember(0, QStringLiteral("x"), QDate(), QDate(2000, 1, 1), 0);
    QCOMPARE(DaysLived(0), 0);
    // The arithmetic still ends for a member with nothing to go on.
    QVERIFY(FirstVertex(0, 23, 28) <= -11.5);
    QVERIFY(FirstVertex(5, 33, 28) <= -16.5);
}

void TestModel::shortDateKeepsTheCentury()
{
    const QString format = Dates::ShortDateFormat();
    QVERIFY2(format.contains(QLatin1String("yyyy")), qPrintable(format));
    QVERIFY(Dates::ShortDateText(QDate(1905, 3, 4)).contains(QLatin1String("1905")));
}

void TestModel::storableRange_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("storable");
    QTest::newRow("first") << QDate(100, 1, 1) << true;
    QTest::newRow("before first") << QDate(99, 12, 31) << false;
    QTest::newRow("last") << QDate(9999, 12, 31) << true;
    QTest::newRow("after last") << QDate(10000, 1, 1) << false;
    QTest::newRow("invalid") << QDate() << false;
}

void TestModel::storableRange()
{
    QFETCH(QDate, date);
    QFETCH(bool, storable);
    QCOMPARE(Dates::IsStorable(date), storable);
}

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
