#include "JockeyInvoice.h"

#include "core/Clock.h"
#include "core/TextRules.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "core/cRegistry.h"
#include "db/Database.h"
#include "db/DbGuard.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QDate monthEnd(const QDate &day)
{
    return QDate(day.year(), day.month(), 1).addMonths(1).addDays(-1);
}

// The last-invoiced date that makes the offered period the latest whole one before today.
QDate assumedLastInvoiceDate(const QString &code, const QDate &today)
{
    const QDate monthStart(today.year(), today.month(), 1);
    if (code == " 7"_L1)
        return today.addDays(-8);
    if (code == "14"_L1)
        return today.addDays(-15);
    if (code == "28"_L1)
        return today.addDays(-29);
    if (code == "MT"_L1)
        return monthStart.addMonths(-1).addDays(-1);
    if (code == "HF"_L1)
        return today.day() > 15 ? monthStart.addDays(-1) : monthStart.addMonths(-1).addDays(14);
    return today.addDays(-2);
}

QDate dateOf(const QVariant &value)
{
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

// A line that is no amount owed: the rides' figures and the ABN.
InvoiceFooterLine figureLine(const QString &key, const QString &label, const QString &value)
{
    return InvoiceFooterLine{key, label, value, {}, {}, false, false};
}

// A charge per item: its total is kept (zero for an empty box) and its line shown only for a count.
void addCountedCharge(QList<InvoiceFooterLine> &lines, const QString &key, const QString &label,
                      const std::optional<int> &count, const Currency &fee, Currency *total)
{
    *total = count ? fee.times(*count).roundedToCents() : Currency();
    if (count)
        lines << InvoiceFooterLine{key,   label, total->toDisplay(), QString::number(*count), u"@ "_s + fee.toDisplay(),
                                   false, true};
}

// An extra charge, shown only when it is not zero, under its own text or a default one; a
// negative one is a credit and says so.
void addExtraCharge(QList<InvoiceFooterLine> &lines, const QString &key, const QString &text, const QString &fallback,
                    const Currency &amount)
{
    if (amount.isZero())
        return;
    const QString label = text.trimmed().isEmpty() ? fallback : text;
    lines << InvoiceFooterLine{
        key, amount < Currency() ? label + u" (credit)"_s : label, amount.toDisplay(), {}, {}, false, true};
}

// A count box: empty (nullopt, the line is hidden) or a whole number of at least 0; false otherwise.
bool parseCount(const QString &text, std::optional<int> *count)
{
    const QString trimmed = text.trimmed();
    count->reset();
    if (trimmed.isEmpty())
        return true;
    const std::optional<int> value = wholeNumber(trimmed);
    if (!value || *value < 0)
        return false;
    *count = value;
    return true;
}

// The next invoice number. ostrevan-cli may have spent numbers since this program loaded the
// settings, so the stored number counts too.
float nextInvoiceNumber()
{
    cRegistry store;
    store.setClassKey(cRegistry::HKEY_CURRENT_USER);
    store.setSectionKey(cAppSettings::kSectionKey);
    store.setValueKey(u"NextInvoiceNumber"_s);
    store.setDefault(0);
    return std::max(cAppSettings::instance().NextInvoiceNumber, store.value().toString().toFloat());
}

QString invoiceNumberText(float number)
{
    const double value = number;
    return value == double(qint64(value)) ? QString::number(qint64(value)) : QString::number(value, 'g', 7);
}

} // namespace

InvoicePeriod invoicePeriodFor(const QDate &lastInvoiceDate, const QString &code, const QDate &today)
{
    const QDate last = lastInvoiceDate.isValid() ? lastInvoiceDate : assumedLastInvoiceDate(code, today);
    const QDate start = last.addDays(1);
    QDate end = start;
    if (code == " 7"_L1)
        end = last.addDays(7);
    else if (code == "14"_L1)
        end = last.addDays(14);
    else if (code == "28"_L1)
        end = last.addDays(28);
    else if (code == "MT"_L1)
        end = monthEnd(start);
    else if (code == "HF"_L1)
        end = start.day() == 1 ? last.addDays(15) : monthEnd(start);
    return {start, end};
}

std::optional<InvoiceJockey> readInvoiceJockey(const QString &name)
{
    QueryResult row = OpenQuery(u"SELECT Jockey, FullName, ManagerRate, ManBookFee, ScratchFee, TrialFee, "
                                "InvoicePeriod, LastInvoiceDate FROM Jockey WHERE UPPER(Jockey) = UPPER(?)"_s,
                                {name});
    if (!row.next())
        return std::nullopt;
    InvoiceJockey jockey;
    jockey.name = row.value(0).toString();
    jockey.fullName = row.value(1).toString();
    jockey.managerRate = row.value(2).toFloat();
    jockey.manBookFee = Currency::fromVariant(row.value(3));
    jockey.scratchFee = Currency::fromVariant(row.value(4));
    jockey.trialFee = Currency::fromVariant(row.value(5));
    jockey.invoicePeriod = row.value(6).toString();
    jockey.lastInvoiceDate = dateOf(row.value(7));
    return jockey;
}

InvoicePeriod offeredPeriod(const InvoiceJockey &jockey)
{
    return invoicePeriodFor(jockey.lastInvoiceDate, jockey.invoicePeriod, Clock::instance().today());
}

QString extraChargeMessage(int which)
{
    return u"Extra Charge %1 is not a valid numeric"_s.arg(which);
}

std::optional<Currency> parseExtraAmount(const QString &text)
{
    return Currency::parse(text);
}

std::optional<InvoiceCharges> parseCharges(const QString &scratchings, const QString &trials, const QString &extraText1,
                                           const QString &extraAmount1, const QString &extraText2,
                                           const QString &extraAmount2, QString *message)
{
    InvoiceCharges charges;
    const auto extra1 = parseExtraAmount(extraAmount1);
    const auto extra2 = parseExtraAmount(extraAmount2);
    if (!parseCount(scratchings, &charges.scratchings))
        *message = u"Number of Scratchings is not a valid numeric"_s;
    else if (!parseCount(trials, &charges.trials))
        *message = u"Number of Trials is not a valid numeric"_s;
    else if (!extra1)
        *message = extraChargeMessage(1);
    else if (!extra2)
        *message = extraChargeMessage(2);
    else {
        charges.extraText1 = extraText1;
        charges.extraText2 = extraText2;
        charges.extra1 = *extra1;
        charges.extra2 = *extra2;
        return charges;
    }
    return std::nullopt;
}

bool saveExtraCharges(const QString &text1, const QString &amount1, const QString &text2, const QString &amount2,
                      QString *message)
{
    const auto extra1 = parseExtraAmount(amount1);
    const auto extra2 = parseExtraAmount(amount2);
    if (!extra1 || !extra2) {
        *message = extraChargeMessage(extra1 ? 2 : 1);
        return false;
    }
    cAppSettings &settings = cAppSettings::instance();
    const cAppSettings before = settings;
    settings.ExtChgText1 = text1;
    settings.ExtChgText2 = text2;
    settings.ExtChgVal1 = extra1->roundedToCents();
    settings.ExtChgVal2 = extra2->roundedToCents();
    if (!settings.SaveSettings()) {
        settings = before;
        *message = u"The settings could not be saved"_s;
        return false;
    }
    return true;
}

InvoiceParticulars currentParticulars()
{
    const cAppSettings &settings = cAppSettings::instance();
    return {settings.Companyname, invoiceNumberText(nextInvoiceNumber()), settings.ABN, settings.ApplyGST,
            Clock::instance().today()};
}

QString formatAbn(const QString &stored)
{
    QString digits;
    for (const QChar c : stored)
        if (c.isDigit())
            digits += c;
    if (digits.isEmpty())
        return {};
    // Groups of 2, 3, 3 and 3 digits.
    for (qsizetype at : {11, 8, 5, 2})
        if (at < digits.size())
            digits.insert(at, u' ');
    return digits;
}

QList<InvoiceRide> readInvoiceRides(const QString &jockey, const InvoicePeriod &period)
{
    // The end is exclusive on the next day, so that dates stored with a time still count.
    QueryResult query =
        OpenQuery(u"SELECT RaceDate, RaceNumber, TrackCode, Horse, FinishPos, PrizeMoney, State, "
                  "BookingRate FROM qryJockeyInvoice WHERE Jockey = ? COLLATE NOCASE "
                  "AND RaceDate >= ? AND RaceDate < ? ORDER BY RaceDate, RaceNumber"_s,
                  {jockey, period.start.toString(Qt::ISODate), period.end.addDays(1).toString(Qt::ISODate)});
    QList<InvoiceRide> rides;
    while (query.next()) {
        InvoiceRide ride;
        ride.raceDate = dateOf(query.value(0));
        ride.raceNumber = query.value(1).toInt();
        ride.track = query.value(2).toString();
        ride.horse = query.value(3).toString();
        ride.finish = query.value(4).toString();
        ride.prizeMoney = Currency::fromVariant(query.value(5));
        ride.state = query.value(6).toString();
        ride.hasRate = !query.value(7).isNull();
        ride.bookingRate = Currency::fromVariant(query.value(7));
        rides << ride;
    }
    return rides;
}

const InvoiceFooterLine *JockeyInvoice::line(const QString &key) const
{
    for (const InvoiceFooterLine &entry : footer)
        if (entry.key == key)
            return &entry;
    return nullptr;
}

JockeyInvoice computeJockeyInvoice(const InvoiceJockey &jockey, const InvoicePeriod &period,
                                   const InvoiceCharges &charges, const InvoiceParticulars &particulars)
{
    JockeyInvoice invoice;
    invoice.jockey = jockey;
    invoice.period = period;
    invoice.particulars = particulars;
    invoice.rides = readInvoiceRides(jockey.name, period);
    computeFigures(invoice, charges);
    return invoice;
}

void computeFigures(JockeyInvoice &invoice, const InvoiceCharges &charges)
{
    const InvoiceJockey &jockey = invoice.jockey;
    const InvoiceParticulars &particulars = invoice.particulars;
    invoice.heading = particulars.applyGst ? u"Tax Invoice"_s : u"Invoice"_s;
    invoice.title = u"Rides for %1 for period %2 to %3"_s.arg(
        jockey.name, invoice.period.start.toString(u"dd/MM/yyyy"_s), invoice.period.end.toString(u"dd/MM/yyyy"_s));
    invoice.abnText = formatAbn(particulars.abn);

    QStringList unrated;
    invoice.rideCount = int(invoice.rides.size());
    invoice.prizeMoney = invoice.bookValue = Currency();
    for (const InvoiceRide &ride : std::as_const(invoice.rides)) {
        invoice.prizeMoney += ride.prizeMoney;
        invoice.bookValue += ride.bookingRate;
        if (!ride.hasRate)
            unrated << u"%1 race %2 %3 (%4)"_s.arg(ride.raceDate.toString(u"d MMM yyyy"_s))
                           .arg(ride.raceNumber)
                           .arg(ride.track, ride.state.isEmpty() ? u"no state"_s : ride.state);
    }
    invoice.atCommissionRate = !(jockey.manBookFee > Currency());
    // A missing booking rate matters only where the fee is a share of the rates.
    invoice.missingRateNote.clear();
    if (invoice.atCommissionRate && !unrated.isEmpty()) {
        const qsizetype shown = std::min<qsizetype>(unrated.size(), 12);
        invoice.missingRateNote =
            u"No booking rate for %1 %2 (fee $0.00): %3%4"_s.arg(unrated.size())
                .arg(unrated.size() == 1 ? u"ride"_s : u"rides"_s)
                .arg(unrated.mid(0, shown).join(u"; "_s))
                .arg(shown < unrated.size() ? u"; and %1 more"_s.arg(unrated.size() - shown) : QString());
    }

    // The manager's rate is a single as entered; take it as the decimal the agent typed.
    const DecimalFraction rate = decimalOf(jockey.managerRate);
    // Every printed amount is in cents and the next one is worked out from it as printed, so the
    // lines add up to the total on the page.
    invoice.jockeyCommission = invoice.prizeMoney.times(5, 100).roundedToCents();
    invoice.managerCommission = invoice.jockeyCommission.times(rate.numerator, rate.denominator * 100).roundedToCents();
    invoice.bookingFee = (invoice.atCommissionRate ? invoice.bookValue.times(rate.numerator, rate.denominator * 100)
                                                   : jockey.manBookFee.times(invoice.rideCount))
                             .roundedToCents();
    invoice.extra1 = charges.extra1.roundedToCents();
    invoice.extra2 = charges.extra2.roundedToCents();

    for (InvoiceRide &ride : invoice.rides)
        ride.fee = invoice.atCommissionRate ? ride.bookingRate : jockey.manBookFee;

    QList<InvoiceFooterLine> &lines = invoice.footer;
    lines.clear();
    // The rides' figures.
    lines << figureLine(u"rides"_s, u"Number of rides"_s, QString::number(invoice.rideCount));
    lines << figureLine(u"prize"_s, u"Total Prize Money"_s, invoice.prizeMoney.toDisplay());
    lines << figureLine(u"jockeyCommission"_s, u"Jockey Commission (5%)"_s, invoice.jockeyCommission.toDisplay());
    lines << figureLine(u"perRide"_s, u"Dollars per ride"_s,
                        invoice.atCommissionRate ? u"At Commision Rate"_s : jockey.manBookFee.toDisplay());

    // The amounts owed, each with what it is worked out from.
    const QString percent = QString::number(double(jockey.managerRate), 'f', 2) + u'%';
    lines << InvoiceFooterLine{u"managerCommission"_s,
                               u"Manager Commission (%1)"_s.arg(percent),
                               invoice.managerCommission.toDisplay(),
                               {},
                               u"of "_s + invoice.jockeyCommission.toDisplay(),
                               false,
                               true};
    lines << InvoiceFooterLine{u"bookingFee"_s,
                               u"Ostrevan Fee"_s,
                               invoice.bookingFee.toDisplay(),
                               invoice.atCommissionRate ? QString() : QString::number(invoice.rideCount),
                               invoice.atCommissionRate ? QString(percent + u" of "_s + invoice.bookValue.toDisplay())
                                                        : QString(u"@ "_s + jockey.manBookFee.toDisplay()),
                               false,
                               true};

    // Empty optional lines are left out, so the lines after them close up.
    addCountedCharge(lines, u"scratchings"_s, u"Scratchings"_s, charges.scratchings, jockey.scratchFee,
                     &invoice.scratchingsTotal);
    addCountedCharge(lines, u"trials"_s, u"Trials"_s, charges.trials, jockey.trialFee, &invoice.trialsTotal);
    addExtraCharge(lines, u"extra1"_s, charges.extraText1, u"Extra Charge 1"_s, invoice.extra1);
    addExtraCharge(lines, u"extra2"_s, charges.extraText2, u"Extra Charge 2"_s, invoice.extra2);

    invoice.total = invoice.managerCommission + invoice.bookingFee + invoice.scratchingsTotal + invoice.trialsTotal +
                    invoice.extra1 + invoice.extra2;
    lines << InvoiceFooterLine{u"total"_s, u"Total Owed to Manager"_s, invoice.total.toDisplay(), {}, {}, true, true};
    if (particulars.applyGst) {
        invoice.gst = invoice.total.times(1, 10).roundedToCents();
        invoice.totalIncGst = invoice.total + invoice.gst;
        lines << InvoiceFooterLine{u"gst"_s, u"GST"_s, invoice.gst.toDisplay(), {}, {}, false, true};
        lines << InvoiceFooterLine{
            u"totalIncGst"_s, u"Total Owed Incl. GST"_s, invoice.totalIncGst.toDisplay(), {}, {}, true, true};
    } else {
        invoice.gst = Currency();
        invoice.totalIncGst = invoice.total;
    }
    if (!invoice.abnText.isEmpty())
        lines << figureLine(u"abn"_s, u"ABN"_s, invoice.abnText);
}

QString invoiceWarning(const JockeyInvoice &invoice, const QDate &today)
{
    const QString format = u"d/MM/yyyy"_s;
    QStringList points;
    if (invoice.period.end > today)
        points << u"The period ends on %1, after today (%2): rides still to come are not on this invoice."_s.arg(
            invoice.period.end.toString(format), today.toString(format));
    if (invoice.rides.isEmpty())
        points << u"%1 has no rides from %2 to %3."_s.arg(invoice.jockey.name, invoice.period.start.toString(format),
                                                          invoice.period.end.toString(format));
    return points.join(u"\r\r"_s);
}

namespace {

// The next invoice gets a number after `spent`. False with the reason when the settings cannot be saved.
bool spendInvoiceNumber(const QString &spent, QString *why)
{
    cAppSettings &settings = cAppSettings::instance();
    const float before = settings.NextInvoiceNumber;
    settings.NextInvoiceNumber = float(std::max(qRound64(before), qRound64(spent.toDouble()) + 1));
    if (settings.SaveSettings())
        return true;
    settings.NextInvoiceNumber = before;
    *why = u"The settings could not be saved, so the next invoice would get No. %1 again"_s.arg(spent);
    return false;
}

} // namespace

bool settleInvoice(const JockeyInvoice &invoice, const QStringList &made)
{
    UserDialogs &dialogs = UserDialogs::instance();
    QString why;
    if (!spendInvoiceNumber(invoice.particulars.invoiceNumber, &why)) {
        dialogs.critical(u"Error"_s, why);
        return false;
    }
    QString what = made.value(0);
    if (made.size() > 1)
        what = made.mid(0, made.size() - 1).join(u", "_s) + u" and "_s + made.last();
    const QString name = invoice.jockey.name;
    const QString done = u"Invoice No. %1 for %2 was %3; the next invoice is No. %4."_s.arg(
        invoice.particulars.invoiceNumber, name, what, invoiceNumberText(cAppSettings::instance().NextInvoiceNumber));
    const QString format = u"dd/MM/yyyy"_s;
    const QDate end = invoice.period.end;
    return runGuarded(
               [&] {
                   Db db = OpenDb();
                   const QString jockeyIs = u" WHERE UPPER(Jockey) = UPPER(?)"_s;
                   const QDate stored = dateOf(db.scalar(u"SELECT LastInvoiceDate FROM Jockey"_s + jockeyIs, {name}));
                   if (stored.isValid() && stored >= end) {
                       // Moving it back would offer the periods in between again, to be billed twice.
                       dialogs.information(
                           kInvoiceUpdateTitle,
                           done + u"\r\rThe Last Invoice Date of %1 stays %2: it is not before this invoice's end "
                                  "(%3)."_s.arg(name, stored.toString(format), end.toString(format)));
                       return true;
                   }
                   if (dialogs.askYesNo(kInvoiceUpdateTitle,
                                        done + u"\r\rUpdate the Last Invoice Date for Jockey %1 to %2?"_s.arg(
                                                   name, end.toString(format))))
                       db.exec(u"UPDATE Jockey SET LastInvoiceDate = ?"_s + jockeyIs,
                               {end.toString(Qt::ISODate), name});
                   return true;
               },
               dialogs)
        .value_or(false);
}
