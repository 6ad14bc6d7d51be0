// The editors driven through their widgets, over a real database and the real data server.
#include "support/DataServerProcess.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"
#include "support/WidgetDriver.h"

#include "app/Startup.h"
#include "app/SystemDefaults.h"
#include "app/ui/MainWindow.h"
#include "app/ui/frmState.h"
#include "bookings/BookingPickLists.h"
#include "bookings/MainLists.h"
#include "bookings/ui/ListModel.h"
#include "core/QueryCredentials.h"
#include "core/TypedDate.h"
#include "core/cAppSettings.h"
#include "core/ui/DateBox.h"
#include "db/Database.h"
#include "formdata/RemoteQuery.h"
#include "invoicing/BookRates.h"
#include "invoicing/ui/GridTableModel.h"
#include "invoicing/ui/frmBookRate.h"
#include "invoicing/ui/frmBookingTemplate.h"
#include "people/JockeySearch.h"
#include "people/ui/frmEditTrainer.h"
#include "people/ui/frmJockey.h"
#include "people/ui/frmSelJockey.h"
#include "roster/StoredColor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

QString one(const QString &sql, const QVariantList &values = {})
{
    Db db = OpenDb();
    return db.scalar(sql, values).toString();
}

void typeRow(GridTableModel *model, int row, const QStringList &texts)
{
    for (int i = 0; i < texts.size(); ++i)
        model->setData(model->index(row, i), texts.at(i));
}

// "Change System Defaults" pressed; true when the dialog took the values and closed.
bool changeDefaults(frmState &dialog)
{
    dialog.setResult(QDialog::Rejected);
    dialog.cmdChange->click();
    return dialog.result() == QDialog::Accepted;
}

} // namespace

class TestEditors : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void addUpdateDeleteJockey();
    void cancelledAddStoresNothing();
    void typedWithTabBetween_data();
    void typedWithTabBetween();
    void jockeyInputIsChecked_data();
    void jockeyInputIsChecked();
    void periodCodes_data();
    void periodCodes();
    void escapeAsksBeforeLosingTyping_data();
    void escapeAsksBeforeLosingTyping();
    void pickerSearchesBySurname();
    void trainerAddThenUpdateMarksTheList();
    void rateAndTemplateThroughTheGrids();
    void badGridRowsAreRefused_data();
    void badGridRowsAreRefused();
    void settingsRulesAndCredentials_data();
    void settingsRulesAndCredentials();
    void browseAndMissingDatabase();
    void menuEntriesOpenTheEditors();

private:
    frmJockey *typeJockey(const QString &name, const QString &rate = u"10"_s);

    QTemporaryDir m_serverDir;
    std::unique_ptr<DataServerProcess> m_server;
    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmJockey> m_jockeys;
};

void TestEditors::initTestCase()
{
    m_server = std::make_unique<DataServerProcess>(m_serverDir.filePath(u"form.db"_s));
    const QString failure = m_server->build(TestEnvironment::fixture(u"formdata"_s), u"agent"_s, u"s3cret"_s);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(m_server->start());
}

void TestEditors::init()
{
    m_environment = std::make_unique<TestEnvironment>();
    m_environment->createDatabase();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    cAppSettings::instance().DataServer = m_server->host();
    QueryCredentials::current() = {u"agent"_s, u"s3cret"_s};
    m_jockeys = std::make_unique<frmJockey>();
    m_jockeys->load();
}

void TestEditors::cleanup()
{
    m_jockeys.reset();
    m_dialogs.reset();
    m_environment.reset();
}

frmJockey *TestEditors::typeJockey(const QString &name, const QString &rate)
{
    m_jockeys->cmdAdd->click();
    m_jockeys->txtFields[0]->setText(name);
    m_jockeys->mebFields[0]->setText(rate);
    m_jockeys->mebFields[1]->setText(u"$1,250.5"_s);
    m_jockeys->vblcInvPer->setCurrentIndex(m_jockeys->vblcInvPer->findText(u"Calender Month"_s));
    return m_jockeys.get();
}

void TestEditors::addUpdateDeleteJockey()
{
    typeJockey(u"J Smith"_s)->txtRidewgt->setText(u"54.5 kg"_s);
    m_jockeys->cmdUpdate->click();
    QVERIFY(!m_jockeys->adding());
    QCOMPARE(one(u"SELECT ManBookFee || ' ' || Ridewgt FROM Jockey WHERE Jockey = 'J Smith'"_s), u"1250.5 54.5"_s);
    QCOMPARE(m_jockeys->mebFields[1]->text(), u"$1,250.50"_s);
    QCOMPARE(m_jockeys->txtRidewgt->text(), u"54.5"_s);
    // The colour comes from the colour dialog only and shows as a swatch; black is the list's own.
    QVERIFY(m_jockeys->txtFields[3]->isReadOnly());
    for (const auto &[chosen, stored, back] :
         {std::tuple{QColor(Qt::red), u"255"_s, QColor(Qt::red)},
          std::tuple{QColor(Qt::black), kDefaultStoredColor, m_jockeys->palette().color(QPalette::Base)}}) {
        m_dialogs->chooseColor(chosen);
        m_jockeys->cmdSelColor->click();
        QCOMPARE(m_jockeys->colorText(), stored);
        QCOMPARE(m_jockeys->txtFields[3]->text(), QString());
        QCOMPARE(m_jockeys->txtFields[3]->palette().color(QPalette::Base), back);
        m_jockeys->cmdUpdate->click();
        QCOMPARE(one(u"SELECT JockeyColor FROM Jockey WHERE Jockey = 'J Smith'"_s), stored);
        // The jockey lists show a swatch of the colour, not its stored number.
        ListModel list(u"grdJockey"_s, mainlists::jockeyColumns());
        list.setRows(mainlists::loadJockeys());
        QCOMPARE(list.index(0, 1).data(Qt::DisplayRole), QVariant());
        QCOMPARE(list.index(0, 1).data(Qt::DecorationRole).value<QColor>(), chosen == Qt::black ? QColor() : chosen);
    }
    QCOMPARE(one(u"SELECT COUNT(*) FROM RaceStats WHERE Jockey = 'J SMITH'"_s), u"2"_s);

    // A server that refuses the query still leaves the jockey stored, with no rides.
    QueryCredentials::current().password = u"wrong"_s;
    typeJockey(u"K O'Brien & Co"_s)->cmdUpdate->click();
    QueryCredentials::current().password = u"s3cret"_s;
    QCOMPARE(one(u"SELECT COUNT(*) FROM Jockey"_s), u"2"_s);
    QCOMPARE(m_jockeys->txtFields[0]->text(), u"K O'Brien & Co"_s);

    // Renaming carries the rides along; deleting asks and takes them away.
    m_jockeys->cmdPrevious->click();
    m_jockeys->txtFields[0]->setText(u"John Smith"_s);
    m_jockeys->cmdUpdate->click();
    QCOMPARE(one(u"SELECT COUNT(*) FROM RaceStats WHERE Jockey = 'John Smith'"_s), u"2"_s);
    m_dialogs->answerYes();
    m_jockeys->cmdDelete->click();
    QCOMPARE(m_dialogs->messages.last().text, u"Delete John Smith and the 2 rides downloaded for this jockey?"_s);
    QCOMPARE(one(u"SELECT COUNT(*) FROM RaceStats"_s), u"0"_s);
    QCOMPARE(m_jockeys->rowCount(), 1);
    m_dialogs->answerYes();
    m_jockeys->cmdDelete->click();
    QCOMPARE(m_dialogs->messages.last().text, u"No more data left"_s);
    QCOMPARE(one(u"SELECT COUNT(*) FROM Jockey"_s), u"0"_s);
}

void TestEditors::cancelledAddStoresNothing()
{
    typeJockey(u"J Smith"_s);
    // The agent cancels while the rides are on their way.
    QTimer::singleShot(0, m_jockeys.get(), [this] {
        if (auto *progress = m_jockeys->findChild<QProgressDialog *>(u"progressRides"_s))
            progress->cancel();
    });
    m_jockeys->cmdUpdate->click();
    QVERIFY(m_jockeys->adding());
    QCOMPARE(one(u"SELECT COUNT(*) FROM Jockey"_s), u"0"_s);
    QCOMPARE(one(u"SELECT COUNT(*) FROM RaceStats"_s), u"0"_s);
    m_jockeys->cmdClose->click();
    QVERIFY(!m_jockeys->adding());
    QCOMPARE(one(u"SELECT COUNT(*) FROM Jockey"_s), u"0"_s);
}

void TestEditors::typedWithTabBetween_data()
{
    QTest::addColumn<QString>("date");   // typed into "Invoice to Last Date"
    QTest::addColumn<QString>("stored"); // the row stored; empty when the date is refused
    const QString fees = u"54.0|10.0|20|15|5|"_s;
    QTest::newRow("slashes") << u"30/11/2026"_s << fees + u"2026-11-30"_s;
    QTest::newRow("digits only") << u"30112026"_s << fees + u"2026-11-30"_s;
    QTest::newRow("one-digit day and month") << u"1/2/2027"_s << fees + u"2027-02-01"_s;
    QTest::newRow("no such day") << u"31/02/2026"_s << QString();
    QTest::newRow("two-digit year") << u"30/11/26"_s << QString();
}

void TestEditors::typedWithTabBetween()
{
    // The agent types every box from Riding Weight down, Tab after each, as the screen lists them.
    QFETCH(QString, date);
    QFETCH(QString, stored);
    m_jockeys->cmdAdd->click();
    m_jockeys->txtFields[0]->setText(u"J Keys"_s);
    m_jockeys->show();
    QVERIFY(QTest::qWaitForWindowActive(m_jockeys.get()));
    m_jockeys->txtRidewgt->setFocus();
    for (const QString &text : {u"54"_s, u"10"_s, u"20"_s, u"15"_s, u"5"_s, QString(), date}) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCoreApplication::processEvents();
    QCOMPARE(m_dialogs->messages.isEmpty() ? QString() : m_dialogs->messages.first().text,
             stored.isEmpty() ? typedDateMessage(u"Invoice to Last Date"_s, date) : QString());
    QCOMPARE(QApplication::focusWidget() == m_jockeys->dtpLast, stored.isEmpty());
    m_jockeys->vblcInvPer->setCurrentIndex(0);
    m_jockeys->cmdUpdate->click();
    QCOMPARE(one(u"SELECT Ridewgt || '|' || ManagerRate || '|' || ManBookFee || '|' || ScratchFee || '|' || "
                 "TrialFee || '|' || LastInvoiceDate FROM Jockey"_s),
             stored);
}

void TestEditors::jockeyInputIsChecked_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("message");
    const QString month = u"Calender Month"_s;
    QTest::newRow("empty name") << u"  "_s << u"10"_s << QString() << month << u"Enter the jockey's name."_s;
    QTest::newRow("same name, other case")
        << u"m zahra"_s << u"10"_s << QString() << month << u"A jockey named m zahra is already kept."_s;
    QTest::newRow("rate not a number") << u"A New"_s << u"ten"_s << QString() << month
                                       << u"Manager Rate (%) must be a number of 0 or more."_s;
    QTest::newRow("negative rate") << u"A New"_s << u"-1"_s << QString() << month
                                   << u"Manager Rate (%) must be a number of 0 or more."_s;
    QTest::newRow("rate above 100") << u"A New"_s << u"100.5"_s << QString() << month
                                    << u"Manager Rate (%) cannot be above 100."_s;
    const QString weightMessage =
        u"Riding Weight (kg) must be a weight in kilograms, such as 54.5, or empty when not known."_s;
    QTest::newRow("weight in tenths") << u"A New"_s << u"10"_s << u"545"_s << month << weightMessage;
    QTest::newRow("weight not a number") << u"A New"_s << u"10"_s << u"light"_s << month << weightMessage;
    QTest::newRow("no invoice period") << u"A New"_s << u"10"_s << u"54"_s << QString()
                                       << u"Choose the Invoice Period: the invoice needs it."_s;
}

void TestEditors::jockeyInputIsChecked()
{
    QFETCH(QString, name);
    QFETCH(QString, rate);
    QFETCH(QString, weight);
    QFETCH(QString, period);
    QFETCH(QString, message);
    OpenDb().exec(u"INSERT INTO Jockey (Jockey) VALUES ('M Zahra')"_s);
    typeJockey(name, rate);
    m_jockeys->txtRidewgt->setText(weight);
    m_jockeys->vblcInvPer->setCurrentIndex(m_jockeys->vblcInvPer->findText(period));
    m_jockeys->cmdUpdate->click();
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.first().text, message);
    QCOMPARE(m_jockeys->lblProblem->text(), message);
    QVERIFY(m_jockeys->adding());
    QCOMPARE(one(u"SELECT COUNT(*) FROM Jockey"_s), u"1"_s);
}

void TestEditors::periodCodes_data()
{
    QTest::addColumn<QString>("comboText");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shownAgain");
    QTest::newRow("7 days") << u"7 Days"_s << u" 7"_s << u"7 Days"_s;
    QTest::newRow("month") << u"Calender Month"_s << u"MT"_s << u"Calender Month"_s;
    QTest::newRow("half month") << u"Half Monthly"_s << u"HF"_s << u"Half Monthly"_s;
    QTest::newRow("none is refused") << QString() << u"7"_s << QString();
}

void TestEditors::periodCodes()
{
    QFETCH(QString, comboText);
    QFETCH(QString, stored);
    QFETCH(QString, shownAgain);
    OpenDb().exec(u"INSERT INTO Jockey (Jockey, InvoicePeriod) VALUES ('A', '7')"_s);
    m_jockeys->load();
    QCOMPARE(m_jockeys->vblcInvPer->currentText(), QString()); // "7" without its blank is no code
    m_jockeys->vblcInvPer->setCurrentIndex(m_jockeys->vblcInvPer->findText(comboText));
    m_jockeys->cmdUpdate->click();
    QCOMPARE(one(u"SELECT InvoicePeriod FROM Jockey"_s), stored);
    m_jockeys->load();
    QCOMPARE(m_jockeys->vblcInvPer->currentText(), shownAgain);
}

void TestEditors::escapeAsksBeforeLosingTyping_data()
{
    QTest::addColumn<QString>("typed"); // the name typed into a new jockey
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("question"); // empty: nothing asked, the window closes
    const QString question = u"Close without storing the new jockey Kate O'Neil?"_s;
    QTest::newRow("No keeps the typing") << u"Kate O'Neil"_s << false << question;
    QTest::newRow("Yes throws it away") << u"Kate O'Neil"_s << true << question;
    QTest::newRow("nothing typed") << QString() << false << QString();
}

void TestEditors::escapeAsksBeforeLosingTyping()
{
    QFETCH(QString, typed);
    QFETCH(bool, yes);
    QFETCH(QString, question);
    m_jockeys->show();
    QVERIFY(QTest::qWaitForWindowActive(m_jockeys.get()));
    QTest::mouseClick(m_jockeys->cmdAdd, Qt::LeftButton);
    QTest::keyClicks(m_jockeys->txtFields[0], typed);
    yes ? m_dialogs->answerYes() : m_dialogs->answerNo();
    QTest::keyClick(m_jockeys->txtFields[0], Qt::Key_Escape);
    QCOMPARE(m_dialogs->shown(), question.isEmpty() ? QStringList() : QStringList{u"Jockey|"_s + question});
    const bool kept = !question.isEmpty() && !yes;
    QCOMPARE(m_jockeys->isVisible(), kept);
    QCOMPARE(m_jockeys->txtFields[0]->text(), typed);
    QCOMPARE(one(u"SELECT COUNT(*) FROM Jockey"_s), u"0"_s);
}

void TestEditors::pickerSearchesBySurname()
{
    QCOMPARE(jockeysearch::searchSql(jockeysearch::surnameOf(u"kevin o'brien"_s)),
             u"SELECT WJockey From WORKRACE where INSTR(WJockey,'O''BRIEN') Group by WJockey"_s);
    m_jockeys->cmdAdd->click();
    m_jockeys->txtFields[0]->setText(u"Kevin O'Brien"_s);
    frmSelJockey picker(m_jockeys->txtFields[0]);
    QVERIFY(picker.load());
    QCOMPARE(picker.grdSelJockey->rowCount(), 1);
    // Enter on the list is OK: the highlighted name goes to the editor.
    picker.show();
    QTest::keyClick(picker.grdSelJockey, Qt::Key_Return);
    QCOMPARE(picker.result(), int(QDialog::Accepted));
    QCOMPARE(m_jockeys->txtFields[0]->text(), u"K O'brien"_s);

    m_jockeys->txtFields[0]->setText(u"Nobody"_s);
    frmSelJockey none(m_jockeys->txtFields[0]);
    QVERIFY(!none.load());
    QCOMPARE(m_dialogs->messages.last().text, u"No Jockey Found with Surname"_s);
}

void TestEditors::trainerAddThenUpdateMarksTheList()
{
    ListModel list(u"grdNames"_s, mainlists::trainerColumns());
    ListRow row(6);
    row.cell(mainlists::names::Trainer).text = u"T O'Sullivan"_s;
    list.setRows({row});
    const trainers::TrainerNotes boxes{u"T O'Sullivan"_s, u"Caulfield"_s, u"03 9999 0000"_s, {}, {}, false};

    frmEditTrainer add(u"T O'Sullivan"_s, boxes);
    add.activate();
    QVERIFY(add.cmdAdd->isEnabled() && !add.cmdUpdate->isEnabled());
    QCOMPARE(add.txtFields[2]->text(), u"03 9999 0000"_s);
    add.txtFields[3]->setText(u"Rings back"_s);
    add.chkFields->setChecked(true);
    add.cmdAdd->click();
    QCOMPARE(add.result(), int(QDialog::Accepted));
    mainlists::markTrainerRow(list, 1, add.storedNotes());
    QCOMPARE(list.cellText(1, mainlists::names::IgnTrainer), u"True"_s);
    QCOMPARE(list.data(list.index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QCOMPARE(list.line(1).cell(mainlists::names::Icon2).icon, mainlists::kCommentIcon);
    QCOMPARE(one(u"SELECT TrainerMobile IS NULL FROM Trainer"_s), u"1"_s);

    frmEditTrainer update(u"T O'Sullivan"_s, boxes);
    update.activate();
    QVERIFY(!update.cmdAdd->isEnabled() && update.cmdUpdate->isEnabled());
    update.txtFields[2]->clear();
    update.txtFields[3]->clear();
    update.chkFields->setChecked(false);
    update.cmdUpdate->click();
    mainlists::markTrainerRow(list, 1, update.storedNotes());
    QCOMPARE(one(u"SELECT Phone IS NULL AND TrainerComments IS NULL FROM Trainer"_s), u"1"_s);
    QCOMPARE(list.cellText(1, mainlists::names::IgnTrainer), u"False"_s);
    QVERIFY(!list.data(list.index(0, 0), Qt::ForegroundRole).value<QColor>().isValid());
    QCOMPARE(list.line(1).cell(mainlists::names::Icon2).icon, 0);
    // The emptied phone shows the main window's again.
    frmEditTrainer again(u"T O'Sullivan"_s, boxes);
    again.activate();
    QCOMPARE(again.txtFields[2]->text(), u"03 9999 0000"_s);
}

void TestEditors::rateAndTemplateThroughTheGrids()
{
    frmBookRate rates; // a new database holds no rates: the new-entry line is the only row
    QVERIFY(rates.load());
    QCOMPARE(rates.model()->rowCount(), 1);
    typeRow(rates.model(), 0, {u"wa"_s, QString(), u"1/7/26"_s});
    rates.show();
    QVERIFY(QTest::qWaitForWindowActive(&rates));
    drive::clickCell(rates.grid(), 1, 2);
    QVERIFY(rates.lstType->isVisible());
    // The picker offers only types a row may hold.
    for (int i = 0; i < rates.lstType->count(); ++i)
        QVERIFY(!ratetables::checkRow(ratetables::bookRateTable(),
                                      {u"WA"_s, rates.lstType->item(i)->text(), u"1/7/26"_s, u"5"_s}));
    const QList<QListWidgetItem *> racesType = rates.lstType->findItems(u"R"_s, Qt::MatchExactly);
    QCOMPARE(racesType.size(), 1);
    drive::clickCell(rates.lstType, rates.lstType->row(racesType.first()) + 1, 1);
    QCOMPARE(rates.model()->index(0, 1).data().toString(), u"R"_s);
    QVERIFY(!rates.lstType->isVisible());
    const QModelIndex rate = rates.model()->index(0, 3);
    rates.grid()->setCurrentIndex(rate);
    rates.grid()->edit(rate);
    QWidget *editor = rates.grid()->indexWidget(rate);
    QVERIFY(editor);
    QTest::keyClicks(editor, u"$1,040.5"_s);
    QTest::keyClick(editor, Qt::Key_Return); // Enter on the last cell stores the row
    QTRY_COMPARE(one(u"SELECT State || RaceType || DateEffective || ' ' || BookingRate FROM BookRate"_s),
                 u"WAR2026-07-01 1040.5"_s);
    QCOMPARE(rates.model()->index(0, 3).data().toString(), u"$1,040.50"_s);
    QCOMPARE(rates.model()->rowCount(), 2);
    // The invoice's query charges it for a WA ride from that day on.
    OpenDb().exec(u"INSERT INTO RaceStats (Jockey, RaceDate, State) VALUES ('A', '2026-07-02', 'WA')"_s);
    QCOMPARE(one(u"SELECT BookingRate FROM qryJockeyInvoice"_s), u"1040.5"_s);

    frmBookingTemplate templates;
    QVERIFY(templates.load());
    typeRow(templates.model(), templates.model()->rowCount() - 1, {u"0"_s, u"Ring Owner"_s});
    templates.accept(); // closing stores the row being edited
    QCOMPARE(LoadBookingStates().value(1), u"Ring Owner"_s);
}

void TestEditors::badGridRowsAreRefused_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("message");
    const QString typeMessage = u"Race Type must be R: the invoice charges booking rates of races (R) only, as the "
                                "rides it reads do not say which were jumps (J) or trials (T)."_s;
    QTest::newRow("state") << QStringList{u"XX"_s, u"R"_s, u"1/7/26"_s, u"5"_s}
                           << u"State must be one of VIC, QLD, NSW, TAS, SA, WA, NT, ACT."_s;
    QTest::newRow("race type") << QStringList{u"VIC"_s, u"X"_s, u"1/7/26"_s, u"5"_s} << typeMessage;
    QTest::newRow("jumps are never charged") << QStringList{u"VIC"_s, u"j"_s, u"1/7/26"_s, u"5"_s} << typeMessage;
    QTest::newRow("date") << QStringList{u"VIC"_s, u"R"_s, u"31/2/26"_s, u"5"_s}
                          << u"Date Effective must be a date such as 1/7/25."_s;
    QTest::newRow("rate") << QStringList{u"VIC"_s, u"R"_s, u"1/7/26"_s, u"five"_s}
                          << u"Booking Rate must be an amount of 0 or more, such as $25.00."_s;
    // A stored row holds QLD, R from 1 September 2025.
    QTest::newRow("same state, type and date")
        << QStringList{u"qld"_s, u"R"_s, u"01/09/2025"_s, u"$62.50"_s}
        << u"There is already a booking rate for QLD, race type R, effective 1/9/25; the invoice could charge only "
           "one of them. Change that row instead."_s;
}

void TestEditors::badGridRowsAreRefused()
{
    QFETCH(QStringList, row);
    QFETCH(QString, message);
    OpenDb().exec(u"INSERT INTO BookRate (State, RaceType, DateEffective, BookingRate) "
                  "VALUES ('QLD', 'R', '2025-09-01', 60)"_s);
    const QString before = one(u"SELECT COUNT(*) FROM BookRate"_s);
    frmBookRate rates;
    QVERIFY(rates.load());
    const int newRow = rates.model()->rowCount() - 1;
    typeRow(rates.model(), newRow, row);
    // Deleting names the row it deletes.
    rates.show();
    QVERIFY(QTest::qWaitForWindowActive(&rates));
    rates.grid()->setCurrentIndex(rates.model()->index(newRow, 1));
    QTest::keyClick(rates.grid(), Qt::Key_Delete);
    QCOMPARE(m_dialogs->messages.last().text,
             u"Delete this row (State %1, Race Type %2, Date Effective %3, Booking Rate %4)?"_s.arg(row[0], row[1],
                                                                                                    row[2], row[3]));
    // Escape: the bad row is named, and No keeps what was typed for the agent to mend.
    m_dialogs->answerNo();
    rates.show();
    QVERIFY(QTest::qWaitForWindowActive(&rates));
    QTest::keyClick(rates.grid(), Qt::Key_Escape);
    QVERIFY(m_dialogs->messages.last().text.startsWith(message + u"\r\rAbandon the changes to this row (State "_s));
    QCOMPARE(m_dialogs->messages.last().defaultAnswer, UserDialogs::Answer::No);
    QVERIFY(rates.isVisible());
    QVERIFY(rates.model()->isDirty(newRow));
    // Yes gives the row up and the window closes, with nothing stored.
    m_dialogs->answerYes();
    QTest::keyClick(rates.grid(), Qt::Key_Escape);
    QVERIFY(!rates.isVisible());
    QVERIFY(!rates.model()->isDirty(newRow));
    QCOMPARE(rates.model()->index(newRow, 0).data().toString(), QString());
    QCOMPARE(one(u"SELECT COUNT(*) FROM BookRate"_s), before);
}

void TestEditors::settingsRulesAndCredentials_data()
{
    QTest::addColumn<bool>("gst");
    QTest::addColumn<QString>("abn");
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("state"); // stored before the dialog opens
    QTest::newRow("gst without abn") << true << QString() << u"7"_s << u"If GST then ABN must be entered"_s
                                     << QString();
    QTest::newRow("short abn") << false << u"5182475355"_s << u"7"_s << u"The A. B. N. must have 11 digits."_s
                               << QString();
    QTest::newRow("bad check digits") << true << u"51824753557"_s << u"7"_s
                                      << u"51-824-753-557 is not a valid A. B. N.: its check digits do not add up."_s
                                      << QString();
    QTest::newRow("invoice number") << false << QString() << u"12.5"_s
                                    << u"Next Invoice Number must be a whole number."_s << QString();
    QTest::newRow("valid") << true << u"51824753556"_s << u"1234"_s << QString() << QString();
    // A state the list does not hold (the WA club's "XA") shows and is kept.
    QTest::newRow("the WA club's state") << false << QString() << u"7"_s << QString() << u"XA"_s;
}

void TestEditors::settingsRulesAndCredentials()
{
    QFETCH(bool, gst);
    QFETCH(QString, abn);
    QFETCH(QString, next);
    QFETCH(QString, message);
    QFETCH(QString, state);
    cAppSettings::instance().DefaultState = state;
    frmState dialog;
    dialog.fill();
    QCOMPARE(dialog.cmbState->currentText(), state.isEmpty() ? u"VIC"_s : state);
    QVERIFY(!dialog.chkAlwCalcWeights->isChecked());
    dialog.chkAlwCalcWeights->setChecked(true);
    QCOMPARE(dialog.txtUserPass->text(), u"s3cret"_s);
    dialog.chkGST->setChecked(gst);
    dialog.meABN->setText(abn);
    dialog.mebNextInvoiceNumber->setText(next);
    dialog.txtUser->setText(u"agent"_s);
    dialog.txtUserPass->setText(u"changed"_s);
    QCOMPARE(changeDefaults(dialog), message.isEmpty());
    if (!message.isEmpty()) {
        QCOMPARE(m_dialogs->messages.last().text, message);
        QCOMPARE(QueryCredentials::current().password, u"s3cret"_s);
        return;
    }
    QCOMPARE(cAppSettings::instance().ABN, gst ? u"51-824-753-556"_s : u"__-___-___-___"_s);
    QCOMPARE(cAppSettings::instance().NextInvoiceNumber, next.toFloat());
    QCOMPARE(cAppSettings::instance().DefaultState, state.isEmpty() ? u"VIC"_s : state);
    QVERIFY(cAppSettings::instance().AlwCalcWeights);
    // The very next query travels with the new password, which this server refuses.
    QVERIFY(!DataServerRows(u"SELECT MTrack FROM MEETMAST"_s));
    dialog.txtUserPass->setText(u"s3cret"_s);
    QVERIFY(changeDefaults(dialog));
    QVERIFY(DataServerRows(u"SELECT MTrack FROM MEETMAST"_s));
    cAppSettings::instance().reset();
    cAppSettings::instance().LoadSettings();
    QCOMPARE(cAppSettings::instance().UserPass, u"s3cret"_s); // no keychain here: the settings file keeps it
}

void TestEditors::browseAndMissingDatabase()
{
    frmState dialog;
    dialog.fill();
    // Enter in a box saves; the folder browser opens only from its own button.
    dialog.show();
    QTest::keyClick(dialog.txtCompanyName, Qt::Key_Return);
    QVERIFY(m_dialogs->fileRequests.isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    dialog.txtDBPath->setText(m_environment->root() + u"/empty"_s);
    m_dialogs->chooseFiles({m_environment->root() + u"/other/Kelbrin.mdb"_s});
    dialog.cmdBrowse->click();
    QCOMPARE(m_dialogs->fileRequests.last().startFolder, QFileInfo(m_environment->programFolder()).absoluteFilePath());
    QCOMPARE(QDir::fromNativeSeparators(dialog.txtDBPath->text()), m_environment->root() + u"/other"_s);
    // No database there: the agent is asked first and, answering No, nothing is stored.
    QVERIFY(!changeDefaults(dialog));
    QCOMPARE(m_dialogs->messages.last().buttons, UserDialogs::Buttons::YesNo);
    QCOMPARE(cAppSettings::instance().DBPath, m_environment->dataFolder());
}

void TestEditors::menuEntriesOpenTheEditors()
{
    cAppSettings::instance().SaveSettings(); // the window reloads the settings
    startup::setRideRefresher([] {});
    QPointer<MainWindow> window = MainWindow::instance();
    QVERIFY(window->load());
    for (const char *name : {"mnuEditJockey", "mnuEditTrainer", "MnuBookTemp", "mnuBookRate", "mnuSystemSettings"})
        QVERIFY2(drive::named<QAction>(window, QLatin1String(name))->isEnabled(), name);

    // Each entry opens its window modally; the agent's work there is done once it shows.
    auto whenOpen = [](auto work) { QTimer::singleShot(0, qApp, [work] { work(QApplication::activeModalWidget()); }); };
    whenOpen([](QWidget *modal) {
        auto *templates = qobject_cast<frmBookingTemplate *>(modal);
        QVERIFY(templates);
        typeRow(templates->model(), templates->model()->rowCount() - 1, {u"9"_s, u"Waiting on owner"_s});
        templates->accept();
    });
    drive::trigger(window, u"MnuBookTemp"_s);
    QVERIFY(window->cmbBookText->findText(u"Waiting on owner"_s) >= 0);

    whenOpen([](QWidget *modal) {
        auto *jockeys = qobject_cast<frmJockey *>(modal);
        QVERIFY(jockeys);
        jockeys->txtFields[0]->setText(u"L Nguyen"_s);
        jockeys->vblcInvPer->setCurrentIndex(0);
        jockeys->cmdUpdate->click();
        jockeys->cmdClose->click();
    });
    drive::trigger(window, u"mnuEditJockey"_s);
    QCOMPARE(window->jockeyModel()->cellText(1, 1), u"L Nguyen"_s);

    whenOpen([](QWidget *modal) {
        QVERIFY(qobject_cast<frmState *>(modal));
        modal->close();
    });
    drive::trigger(window, u"mnuSystemSettings"_s);
    delete window;
    startup::setRideRefresher({});
}

QTEST_MAIN(TestEditors)
#include "tst_editors_e2e.moc"
