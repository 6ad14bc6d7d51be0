#include "core/Clock.h"
#include "core/cAppSettings.h"
#include "core/ui/DateBox.h"
#include "db/Database.h"
#include "invoicing/InvoiceReport.h"
#include "invoicing/ui/frmSelectDate.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

QDate day(const char *iso)
{
    return QDate::fromString(QLatin1String(iso), Qt::ISODate);
}

QString lastInvoiceDate()
{
    return OpenDb().scalar(u"SELECT LastInvoiceDate FROM Jockey WHERE Jockey = 'J ONE'"_s).toString();
}

} // namespace

class TestJockeyInvoice : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void money_data();
    void money();
    void periods_data();
    void periods();
    void invoice_data();
    void invoice();
    void exportsHoldFooter();
    void window_data();
    void window();
    void saveExtras_data();
    void saveExtras();
    void cliNumbersNeverRepeat();

private:
    JockeyInvoice compute(const QDate &from, const QDate &to, bool gst, const QString &scratchings = {},
                          const QString &trials = {}, const QString &extra1 = u"0"_s, const QString &extra2 = u"0"_s);

    std::unique_ptr<TestEnvironment> m_env;
};

void TestJockeyInvoice::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    cAppSettings &settings = cAppSettings::instance();
    settings.Companyname = u"Acme Bookings"_s;
    settings.ABN = u"12-345-678-901"_s;
    settings.NextInvoiceNumber = 41;
    QVERIFY(settings.SaveSettings());
    Db db = OpenDb();
    // Rates: VIC changes on 15 Feb 2024; NT has none; jumps and future rates must not count.
    for (const QString &sql :
         {u"DELETE FROM BookRate"_s,
          u"INSERT INTO BookRate VALUES ('VIC','R','2020-01-01',25), ('VIC','R','2024-02-15',30), "
          "('VIC','J','2024-01-01',99), ('NSW','R','2030-01-01',50)"_s,
          u"INSERT INTO Jockey (Jockey, FullName, ManagerRate, ManBookFee, ScratchFee, TrialFee, InvoicePeriod, "
          "LastInvoiceDate) VALUES ('J ONE','Jo One',10,30,20,15.5,'MT','2024-01-31')"_s,
          u"INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, State) "
          "VALUES ('J ONE','2024-02-10',2,'FLEM','ALPHA',1,9000,'VIC'), "
          "('j one','2024-02-20',5,'CAUL','BETA',3,1000,'VIC'), ('J ONE','2024-02-25',3,'DARW','GAMMA',7,0,'NT'), "
          "('J TWO','2024-02-10',4,'FLEM','DELTA',1,5000,'VIC'), "
          "('J ONE','2024-03-01',1,'FLEM','EPSILON',1,7000,'VIC')"_s})
        db.exec(sql);
}

void TestJockeyInvoice::cleanup()
{
    m_env.reset();
}

JockeyInvoice TestJockeyInvoice::compute(const QDate &from, const QDate &to, bool gst, const QString &scratchings,
                                         const QString &trials, const QString &extra1, const QString &extra2)
{
    QString message;
    const auto charges = parseCharges(scratchings, trials, u"Travel"_s, extra1, {}, extra2, &message);
    if (!charges)
        qFatal("bad charges: %s", qPrintable(message));
    InvoiceParticulars particulars = currentParticulars();
    particulars.applyGst = gst;
    return computeJockeyInvoice(*readInvoiceJockey(u"j one"_s), {from, to}, *charges, particulars);
}

void TestJockeyInvoice::money_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("display"); // empty: not a number
    QTest::newRow("grouped negative, half cent away from zero") << u"-$1,234.565"_s << u"-$1,234.57"_s;
    QTest::newRow("fifth decimal rounds half away") << u"0.00005"_s << u"$0.00"_s;
    QTest::newRow("brackets are negative") << u"(2.5)"_s << u"-$2.50"_s;
    QTest::newRow("half cent up") << u"0.005"_s << u"$0.01"_s;
    QTest::newRow("junk") << u"12abc"_s << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestJockeyInvoice::money()
{
    QFETCH(QString, text);
    QFETCH(QString, display);
    const std::optional<Currency> amount = Currency::parse(text);
    QCOMPARE(amount ? amount->toDisplay() : QString(), display);
}

void TestJockeyInvoice::periods_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QDate>("last"); // null: never invoiced
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    const QDate never;
    QTest::newRow("7 days over the leap day") << u" 7"_s << day("2024-02-25") << day("2024-02-26") << day("2024-03-03");
    QTest::newRow("14 days to the leap day") << u"14"_s << day("2024-02-15") << day("2024-02-16") << day("2024-02-29");
    QTest::newRow("28 days from a month end") << u"28"_s << day("2024-01-31") << day("2024-02-01") << day("2024-02-28");
    QTest::newRow("month: leap February") << u"MT"_s << day("2024-01-31") << day("2024-02-01") << day("2024-02-29");
    QTest::newRow("month: common February") << u"MT"_s << day("2023-01-31") << day("2023-02-01") << day("2023-02-28");
    QTest::newRow("month after the leap day") << u"MT"_s << day("2024-02-29") << day("2024-03-01") << day("2024-03-31");
    QTest::newRow("half: from a month end") << u"HF"_s << day("2024-01-31") << day("2024-02-01") << day("2024-02-15");
    QTest::newRow("half: leap second half") << u"HF"_s << day("2024-02-15") << day("2024-02-16") << day("2024-02-29");
    QTest::newRow("half: from the leap day") << u"HF"_s << day("2024-02-29") << day("2024-03-01") << day("2024-03-15");
    QTest::newRow("half: 30-day month") << u"HF"_s << day("2024-04-15") << day("2024-04-16") << day("2024-04-30");
    QTest::newRow("7 without its blank: one day")
        << u"7"_s << day("2024-02-29") << day("2024-03-01") << day("2024-03-01");
    QTest::newRow("never invoiced: last month") << u"MT"_s << never << day("2024-02-01") << day("2024-02-29");
    QTest::newRow("never invoiced: last half") << u"HF"_s << never << day("2024-02-16") << day("2024-02-29");
    QTest::newRow("never invoiced: last week") << u" 7"_s << never << day("2024-03-03") << day("2024-03-09");
}

void TestJockeyInvoice::periods()
{
    QFETCH(QString, code);
    QFETCH(QDate, last);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    const InvoicePeriod period = invoicePeriodFor(last, code, day("2024-03-10"));
    QCOMPARE(period.start, start);
    QCOMPARE(period.end, end);
}

void TestJockeyInvoice::invoice_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("manBookFee");
    QTest::addColumn<float>("managerRate");
    QTest::addColumn<bool>("gst");
    QTest::addColumn<QStringList>("charges"); // scratchings, trials, extra 1, extra 2
    QTest::addColumn<QString>("expected");    // the footer lines shown, in order, key=value|count rate
    QTest::addColumn<QString>("fees");        // the rides' "Fee" column
    const QDate feb1 = day("2024-02-01"), feb29 = day("2024-02-29");
    const QString figures = u"rides=3;prize=$10,000.00;jockeyCommission=$500.00;"_s;
    QTest::newRow("per ride; worked commission; NT ride without rate")
        << feb1 << feb29 << u"30"_s << 10.0f << false << QStringList{{}, {}, u"0"_s, u"0"_s}
        << figures + u"perRide=$30.00;managerCommission=$50.00|of $500.00;bookingFee=$90.00|3 @ $30.00;"
                     "total=$140.00;abn=12 345 678 901"_s
        << u"$30.00 $30.00 $30.00"_s;
    QTest::newRow("at commission rate; rate changes mid-period")
        << feb1 << feb29 << u"0"_s << 10.0f << false << QStringList{{}, {}, u"0"_s, u"0"_s}
        << figures + u"perRide=At Commision Rate;managerCommission=$50.00|of $500.00;"
                     "bookingFee=$5.50|10.00% of $55.00;total=$55.50;abn=12 345 678 901"_s
        << u"$25.00 $30.00 $0.00"_s;
    // 62.50 + 6.875 + 40 + 15.50 + 10 + 4.75 = 139.625: the total rounds half away from zero.
    QTest::newRow("every line with GST; half-cent total")
        << feb1 << feb29 << u"0"_s << 12.5f << true << QStringList{u"2"_s, u"1"_s, u"$10.00"_s, u"4.75"_s}
        << figures + u"perRide=At Commision Rate;managerCommission=$62.50|of $500.00;"
                     "bookingFee=$6.88|12.50% of $55.00;scratchings=$40.00|2 @ $20.00;trials=$15.50|1 @ $15.50;"
                     "extra1=$10.00;extra2=$4.75;total=$139.63;gst=$13.96;totalIncGst=$153.59;abn=12 345 678 901"_s
        << u"$25.00 $30.00 $0.00"_s;
    // Worked by hand: 6.875, 2.005 and 1.005 each round up on their lines, so the total is
    // 62.50 + 6.88 + 2.01 + 1.01 = 72.40 (not 72.385 rounded to 72.39); GST 7.24 on that.
    QTest::newRow("half cents round on each line before the total")
        << feb1 << feb29 << u"0"_s << 12.5f << true << QStringList{{}, {}, u"2.005"_s, u"1.005"_s}
        << figures + u"perRide=At Commision Rate;managerCommission=$62.50|of $500.00;"
                     "bookingFee=$6.88|12.50% of $55.00;extra1=$2.01;extra2=$1.01;total=$72.40;gst=$7.24;"
                     "totalIncGst=$79.64;abn=12 345 678 901"_s
        << u"$25.00 $30.00 $0.00"_s;
    QTest::newRow("a negative extra charge is a credit")
        << feb1 << feb29 << u"30"_s << 10.0f << true << QStringList{{}, {}, u"5"_s, u"-25"_s}
        << figures + u"perRide=$30.00;managerCommission=$50.00|of $500.00;bookingFee=$90.00|3 @ $30.00;"
                     "extra1=$5.00;extra2=-$25.00;total=$120.00;gst=$12.00;totalIncGst=$132.00;abn=12 345 678 901"_s
        << u"$30.00 $30.00 $30.00"_s;
    // 10 % of 0.05 is half a cent: GST rounds up to 0.01.
    QTest::newRow("no rides: charges only; half-cent GST")
        << day("2024-05-01") << day("2024-05-31") << u"30"_s << 10.0f << true
        << QStringList{u"0"_s, {}, u"0.05"_s, u"0"_s}
        << u"rides=0;prize=$0.00;jockeyCommission=$0.00;perRide=$30.00;managerCommission=$0.00|of $0.00;"
           "bookingFee=$0.00|0 @ $30.00;scratchings=$0.00|0 @ $20.00;extra1=$0.05;total=$0.05;gst=$0.01;"
           "totalIncGst=$0.06;abn=12 345 678 901"_s
        << QString();
}

void TestJockeyInvoice::invoice()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, manBookFee);
    QFETCH(float, managerRate);
    QFETCH(bool, gst);
    QFETCH(QStringList, charges);
    QFETCH(QString, expected);
    QFETCH(QString, fees);
    OpenDb().exec(u"UPDATE Jockey SET ManBookFee = ?, ManagerRate = ?"_s, {manBookFee, managerRate});
    const JockeyInvoice invoice = compute(from, to, gst, charges[0], charges[1], charges[2], charges[3]);
    QStringList shown;
    for (const InvoiceFooterLine &line : invoice.footer) {
        const QString basis = (line.count.isEmpty() ? QString() : QString(line.count + u' ')) + line.rate;
        shown << line.key + u"="_s + line.value + (basis.isEmpty() ? QString() : QString(u"|"_s + basis));
        // The amounts owed are the lines the totals add up, and nothing else.
        const bool owed =
            !QStringList{u"rides"_s, u"prize"_s, u"jockeyCommission"_s, u"perRide"_s, u"abn"_s}.contains(line.key);
        QCOMPARE(line.owed, owed);
    }
    QCOMPARE(shown.join(u";"_s), expected);
    QStringList rideFees;
    for (const InvoiceRide &ride : invoice.rides)
        rideFees << ride.fee.toDisplay();
    QCOMPARE(rideFees.join(u' '), fees);
    QCOMPARE(invoice.heading, gst ? u"Tax Invoice"_s : u"Invoice"_s);
    QCOMPARE(invoice.missingRateNote.contains(u"25 Feb 2024 race 3 DARW (NT)"_s),
             invoice.rideCount > 0 && invoice.atCommissionRate);
    if (const InvoiceFooterLine *credit = invoice.line(u"extra2"_s))
        QCOMPARE(credit->label.endsWith(u" (credit)"_s), invoice.extra2 < Currency());
}

void TestJockeyInvoice::exportsHoldFooter()
{
    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const InvoiceReport report(compute(day("2024-02-01"), day("2024-02-29"), true, u"2"_s, {}, u"7.25"_s));
    const QString pdf = m_env->root() + u"/inv.pdf"_s, csv = m_env->root() + u"/inv.csv"_s;
    QString why;
    QVERIFY2(report.writePdf(pdf, &why), qPrintable(why));
    QVERIFY2(report.writeCsv(csv, &why), qPrintable(why));
    QVERIFY(!report.writePdf(m_env->root() + u"/missing/folder/x.pdf"_s, &why));
    QProcess process;
    process.start(pdftotext, {u"-layout"_s, pdf, u"-"_s});
    QVERIFY(process.waitForFinished(30000));
    const QString pdfText = QString::fromUtf8(process.readAllStandardOutput()).simplified();
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString csvText = QString::fromUtf8(file.readAll());
    for (const char *expected : {"Tax Invoice", "Page : 1 of 1", "Invoice No. 41", "ALPHA", "BETA", "GAMMA"})
        QVERIFY2(pdfText.contains(QLatin1String(expected)), expected);
    for (const InvoiceFooterLine &line : report.invoice().footer) {
        QVERIFY2(pdfText.contains(line.label + u" "_s), qPrintable(line.label));
        QVERIFY2(pdfText.contains(line.value), qPrintable(line.value));
        QString plain = line.value;
        QVERIFY2(csvText.contains(line.label + u","_s) && csvText.contains(plain.remove(u'$').remove(u',')),
                 qPrintable(line.label));
    }
    // Whose invoice it is stands before the rides.
    QVERIFY2(csvText.startsWith(u"Business,Acme Bookings\nABN,12 345 678 901\nJockey,Jo One (J ONE)\n"
                                "Period,2024-02-01 to 2024-02-29\nTax Invoice No.,41\nDate of issue,"_s),
             qPrintable(csvText));
    // The fee column holds the fee charged per ride, not the booking rate (25.00 that day).
    QVERIFY2(csvText.contains(u"2024-02-10,2,ALPHA,1,9000.00,FLEM,VIC,30.00"_s), qPrintable(csvText));
    QVERIFY(!csvText.contains(u"Total Fee"_s));
}

void TestJockeyInvoice::window_data()
{
    QTest::addColumn<QString>("stored"); // the Last Invoice Date before the window opens
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("extra1");
    QTest::addColumn<QString>("output"); // what the agent makes in the preview: "csv", "pdf" or nothing (Escape)
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("settingsWritable");
    QTest::addColumn<QString>("message"); // the first message; "?" for the date question, empty for none
    QTest::addColumn<bool>("spent");      // the invoice number moved on
    QTest::addColumn<QString>("after");   // the Last Invoice Date afterwards
    const QDate feb1 = day("2024-02-01"), feb29 = day("2024-02-29");
    const QString jan31 = u"2024-01-31"_s;
    QTest::newRow("CSV export, Yes moves the date")
        << jan31 << feb1 << feb29 << u"$5.00"_s << u"csv"_s << true << true << u"?"_s << true << u"2024-02-29"_s;
    QTest::newRow("PDF export, No: the number is spent all the same")
        << jan31 << feb1 << feb29 << u"5"_s << u"pdf"_s << false << true << u"?"_s << true << jan31;
    // Invoicing February after March must not offer March again.
    QTest::newRow("an earlier period keeps the later date")
        << u"2024-03-31"_s << feb1 << feb29 << u"5"_s << u"csv"_s << true << true
        << u"The Last Invoice Date of J ONE stays 31/03/2024: it is not before this invoice's end (29/02/2024)."_s
        << true << u"2024-03-31"_s;
    QTest::newRow("Escape with nothing made asks nothing")
        << jan31 << feb1 << feb29 << u"5"_s << QString() << true << true << QString() << false << jan31;
    QTest::newRow("end before start refused")
        << jan31 << feb1 << day("2024-01-15") << u"5"_s << u"csv"_s << true << true
        << u"The End Date must not be before the Start Date"_s << false << jan31;
    QTest::newRow("empty extra charge refused") << jan31 << feb1 << feb29 << QString() << u"csv"_s << true << true
                                                << u"Extra Charge 1 is not a valid numeric"_s << false << jan31;
    QTest::newRow("settings not saved: nothing moves")
        << jan31 << feb1 << feb29 << u"5"_s << u"csv"_s << true << false
        << u"The settings could not be saved, so the next invoice would get No. 41 again"_s << false << jan31;
    // Today is 10 March 2024.
    QTest::newRow("period ending after today is warned of")
        << jan31 << day("2024-03-01") << day("2024-03-31") << u"5"_s << u"csv"_s << false << true
        << u"The period ends on 31/03/2024, after today (10/03/2024): rides still to come are not on this invoice."
           "\r\rMake the invoice anyway?"_s
        << false << jan31;
    QTest::newRow("period without rides is warned of")
        << jan31 << day("2024-03-02") << day("2024-03-09") << u"5"_s << u"csv"_s << false << true
        << u"J ONE has no rides from 2/03/2024 to 9/03/2024.\r\rMake the invoice anyway?"_s << false << jan31;
}

void TestJockeyInvoice::window()
{
    QFETCH(QString, stored);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QString, extra1);
    QFETCH(QString, output);
    QFETCH(bool, yes);
    QFETCH(bool, settingsWritable);
    QFETCH(QString, message);
    QFETCH(bool, spent);
    QFETCH(QString, after);
    OpenDb().exec(u"UPDATE Jockey SET LastInvoiceDate = ?"_s, {stored});
    FixedClock clock(QDateTime(day("2024-03-10"), QTime(9, 0)));
    Clock::setInstance(&clock);
    ScriptedDialogs dialogs;
    yes ? dialogs.answerYes(2) : dialogs.answerNo(2);
    frmSelectDate window;
    QVERIFY(window.prepare(u"J ONE"_s));
    QCOMPARE(window.windowTitle(), u"Jockey Invoice Settings - J ONE"_s);
    window.dtpStart->setDate(start);
    window.dtpEnd->setDate(end);
    window.meExtra1->setText(extra1);
    const QString file = m_env->root() + u"/export."_s + output;
    bool previewed = false;
    QObject scope; // no preview: the timer must not outlive this row
    QTimer::singleShot(0, &scope, [&] {
        if (auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget())) {
            previewed = true;
            if (!output.isEmpty()) {
                dialogs.chooseSaveFile(file);
                preview->findChild<QAction *>(output == "pdf"_L1 ? u"actExportPdf"_s : u"actExportCsv"_s)->trigger();
            }
            preview->reject();
        }
    });
    if (!settingsWritable) // a settings path under a plain file cannot be written
        qputenv("OSTREVAN_SETTINGS", (m_env->databaseFile() + u"/AppSettings.conf"_s).toLocal8Bit());
    window.cmdReport->click();
    qputenv("OSTREVAN_SETTINGS", m_env->settingsFile().toLocal8Bit());
    Clock::setInstance(nullptr);
    // What left the program is said first, with the number the next invoice gets.
    const QString made = u"Invoice No. 41 for J ONE was exported to %1; the next invoice is No. 42.\r\r"_s.arg(
        QDir::toNativeSeparators(file));
    if (message == "?"_L1)
        message = made + u"Update the Last Invoice Date for Jockey J ONE to 29/02/2024?"_s;
    else if (message.startsWith(u"The Last"_s))
        message = made + message;
    QCOMPARE(dialogs.messages.isEmpty() ? QString() : dialogs.messages.first().text, message);
    QCOMPARE(previewed, message.isEmpty() || message.startsWith(u"Invoice No."_s) || !settingsWritable);
    QCOMPARE(QFile::exists(file), previewed && !output.isEmpty());
    QCOMPARE(lastInvoiceDate(), after);
    cAppSettings::instance().LoadSettings();
    QCOMPARE(cAppSettings::instance().NextInvoiceNumber, spent ? 42.0f : 41.0f);
    QCOMPARE(!dialogs.messages.isEmpty() && dialogs.messages.last().title == u"Error"_s, !settingsWritable);
}

void TestJockeyInvoice::saveExtras_data()
{
    QTest::addColumn<QString>("amount1");
    QTest::addColumn<QString>("amount2");
    QTest::addColumn<QString>("message"); // empty: stored
    QTest::addColumn<qint64>("stored1");  // cents
    QTest::addColumn<qint64>("stored2");
    QTest::addColumn<QString>("shown1"); // by the next invoice window
    QTest::newRow("cents kept") << u"12.50"_s << u"$3"_s << QString() << qint64(1250) << qint64(300) << u"$12.50"_s;
    QTest::newRow("rounded to cents") << u"$1,012.605"_s << u"0.5"_s << QString() << qint64(101261) << qint64(50)
                                      << u"$1,012.61"_s;
    QTest::newRow("first not numeric") << u"abc"_s << u"3"_s << extraChargeMessage(1) << qint64(0) << qint64(0)
                                       << u"$0.00"_s;
    QTest::newRow("second not numeric") << u"1"_s << u"x2"_s << extraChargeMessage(2) << qint64(0) << qint64(0)
                                        << u"$0.00"_s;
    QTest::newRow("a credit is kept") << u"-2.50"_s << u"0"_s << QString() << qint64(-250) << qint64(0) << u"-$2.50"_s;
}

void TestJockeyInvoice::saveExtras()
{
    QFETCH(QString, amount1);
    QFETCH(QString, amount2);
    QFETCH(QString, message);
    QFETCH(qint64, stored1);
    QFETCH(qint64, stored2);
    ScriptedDialogs dialogs;
    frmSelectDate window;
    QVERIFY(window.prepare(u"J ONE"_s));
    window.txtExtra1->setText(u"Travel"_s);
    window.meExtra1->setText(amount1);
    window.meExtra2->setText(amount2);
    window.cmdSaveExtras->click();
    QCOMPARE(dialogs.messages.isEmpty() ? QString() : dialogs.messages.first().text, message);
    cAppSettings &settings = cAppSettings::instance();
    settings.LoadSettings();
    QCOMPARE(settings.ExtChgVal1.wholeCents(), stored1);
    QCOMPARE(settings.ExtChgVal2.wholeCents(), stored2);
    QCOMPARE(settings.ExtChgText1, message.isEmpty() ? u"Travel"_s : QString());
    // The next invoice window offers the amounts as they were saved.
    frmSelectDate again;
    QVERIFY(again.prepare(u"J ONE"_s));
    QTEST(again.meExtra1->text(), "shown1");
}

void TestJockeyInvoice::cliNumbersNeverRepeat()
{
    // Figures alone leave no invoice behind and spend no number; a written PDF spends one even
    // when the date is not moved, so the next PDF gets the next number.
    const QString pdf = m_env->root() + u"/cli.pdf"_s;
    const struct {
        bool withPdf;
        const char *number;
        bool spent;
    } runs[] = {{false, "41", false}, {true, "41", true}, {true, "42", true}};
    for (const auto &run : runs) {
        QStringList arguments{u"--answer"_s,      u"no"_s, u"invoice"_s,  u"J ONE"_s,
                              u"--scratchings"_s, u"1"_s,  u"--extra1"_s, u"2.5"_s};
        if (run.withPdf)
            arguments << u"--pdf"_s << pdf;
        QProcess cli;
        cli.start(QString::fromUtf8(OSTREVAN_CLI_PATH), arguments);
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        for (const QString &line : {u"Invoice No.: %1\n"_s.arg(QLatin1String(run.number)), u"Number of rides: 3\n"_s,
                                    u"Scratchings: $20.00\n"_s, u"Total Owed to Manager: $162.50\n"_s})
            QVERIFY2(out.contains(line), qPrintable(out));
        QCOMPARE(QString::fromUtf8(cli.readAllStandardError()).contains(u"was exported to "_s + pdf), run.withPdf);
        QCOMPARE(lastInvoiceDate(), u"2024-01-31"_s);
        cAppSettings::instance().LoadSettings();
        QCOMPARE(cAppSettings::instance().NextInvoiceNumber, QByteArray(run.number).toFloat() + (run.spent ? 1 : 0));
    }
    QVERIFY(QFile::exists(pdf));
}

QTEST_MAIN(TestJockeyInvoice)
#include "tst_jockeyinvoice.moc"
