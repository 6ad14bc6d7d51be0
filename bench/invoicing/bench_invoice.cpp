// Times one jockey's invoice over a year of rides: 1,500 rides of the invoiced jockey among
// 30,000 rides of 20 jockeys, booking rates for races, jumps and trials in every state with six
// effective dates each. Exit status 2 when a median misses its target.
#include "support/TestEnvironment.h"

#include "core/cAppSettings.h"
#include "db/Database.h"
#include "invoicing/InvoiceReport.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kJockeyRides = 1500;
constexpr int kOtherRides = 28500;
constexpr int kRuns = 15;

void seedYear(const QString &file)
{
    Db db(file);
    Transaction transaction(db);
    db.exec(u"DELETE FROM BookRate"_s);
    const char *states[] = {"VIC", "NSW", "QLD", "SA", "WA", "TAS", "NT", "ACT"};
    for (const char *state : states)
        for (const char *type : {"R", "J", "T"})
            for (int year = 2019; year <= 2024; ++year)
                db.exec(u"INSERT INTO BookRate VALUES (?, ?, ?, ?)"_s,
                        {QLatin1String(state), QLatin1String(type), u"%1-07-01"_s.arg(year),
                         20 + year - 2019 + (type[0] == 'J' ? 5 : 0)});
    db.exec(u"INSERT INTO Jockey (Jockey, FullName, ManagerRate, ManBookFee, ScratchFee, TrialFee, "
            "InvoicePeriod, LastInvoiceDate) VALUES ('BUSY JOCKEY', 'Busy Jockey', 12.5, 0, 20, 15, "
            "'MT', '2023-12-31')"_s);
    const QString rides =
        u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %1) "
        "INSERT INTO RaceStats (Jockey, RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, TrainerName, "
        "State) SELECT %2, date('2024-01-01', printf('+%d days', i % 366)), i % 10 + 1, printf('TRK%d', i % 40), "
        "printf('Horse %d', i), i % 14 + 1, CASE WHEN i % 14 < 3 THEN 1000 + (i * 37) % 90000 ELSE 0 END, "
        "printf('Trainer %d', i % 300), "
        "CASE i % 8 WHEN 0 THEN 'VIC' WHEN 1 THEN 'NSW' WHEN 2 THEN 'QLD' WHEN 3 THEN 'SA' WHEN 4 THEN 'WA' "
        "WHEN 5 THEN 'TAS' WHEN 6 THEN 'NT' ELSE 'ACT' END FROM n"_s;
    db.exec(rides.arg(kJockeyRides).arg(u"'BUSY JOCKEY'"_s));
    db.exec(rides.arg(kOtherRides).arg(u"printf('Jockey %d', i % 19)"_s));
    transaction.commit();
}

struct Timing {
    double median = 0, min = 0, max = 0;
};

Timing measure(const std::function<void()> &step)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times.back()};
}

bool report(const char *what, const Timing &timing, double target)
{
    std::printf("%-44s median %8.1f ms (min %.1f, max %.1f), target %.0f ms\n", what, timing.median, timing.min,
                timing.max, target);
    return timing.median <= target;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestEnvironment env;
    env.createDatabase();
    cAppSettings::instance().Companyname = u"Bench Bookings"_s;
    cAppSettings::instance().ABN = u"12-345-678-901"_s;
    cAppSettings::instance().ApplyGST = true;
    seedYear(env.databaseFile());

    const InvoiceJockey jockey = *readInvoiceJockey(u"BUSY JOCKEY"_s);
    const InvoicePeriod year{QDate(2024, 1, 1), QDate(2024, 12, 31)};
    QString message;
    const InvoiceCharges charges = *parseCharges(u"3"_s, u"2"_s, u"Travel"_s, u"120"_s, {}, u"0"_s, &message);
    JockeyInvoice invoice;
    const Timing figures =
        measure([&] { invoice = computeJockeyInvoice(jockey, year, charges, currentParticulars()); });
    std::printf("%d rides, total %s, GST %s\n", invoice.rideCount, qPrintable(invoice.total.toDisplay()),
                qPrintable(invoice.gst.toDisplay()));

    const InvoiceReport invoiceReport(invoice);
    const QString pdf = env.root() + u"/invoice.pdf"_s;
    const Timing rendering = measure([&] {
        QString why;
        if (!invoiceReport.writePdf(pdf, &why))
            std::printf("%s\n", qPrintable(why));
    });
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter sizing(&sink);
    sizing.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                     QPageLayout::Millimeter));
    std::printf("PDF: %lld bytes, %d pages\n", QFileInfo(pdf).size(), invoiceReport.pageCount(&sizing));

    bool met = report("Figures of 1,500 rides (query and sums)", figures, 50);
    met = report("Report of 1,500 rides rendered to PDF", rendering, 1000) && met;
    return met ? 0 : 2;
}
