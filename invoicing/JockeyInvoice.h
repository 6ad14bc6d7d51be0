#pragma once

#include "core/Currency.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

using namespace Qt::Literals::StringLiterals;

// The period an invoice covers, first and last day included.
struct InvoicePeriod {
    QDate start;
    QDate end;
};

// The period offered after `lastInvoiceDate` for an invoice-period code (" 7", "14", "28",
// "MT", "HF", anything else: one day). A jockey never invoiced gets the latest whole period
// of its kind that ended before `today`.
InvoicePeriod invoicePeriodFor(const QDate &lastInvoiceDate, const QString &code, const QDate &today);

// The jockey's row as the invoice reads it.
struct InvoiceJockey {
    QString name;
    QString fullName;
    float managerRate = 0; // percent
    Currency manBookFee;
    Currency scratchFee;
    Currency trialFee;
    QString invoicePeriod;
    QDate lastInvoiceDate; // null when never invoiced
};
// The jockey by name, compared without case; nullopt when there is no such jockey. Throws DbError.
std::optional<InvoiceJockey> readInvoiceJockey(const QString &name);
// The period the window offers for the jockey today (Clock).
InvoicePeriod offeredPeriod(const InvoiceJockey &jockey);

// What the agent enters besides the period.
struct InvoiceCharges {
    std::optional<int> scratchings; // nullopt: the box is empty and the line is hidden
    std::optional<int> trials;
    QString extraText1;
    QString extraText2;
    Currency extra1;
    Currency extra2;
};
// The charges from the window's texts; on bad input returns nullopt and the message to show.
std::optional<InvoiceCharges> parseCharges(const QString &scratchings, const QString &trials, const QString &extraText1,
                                           const QString &extraAmount1, const QString &extraText2,
                                           const QString &extraAmount2, QString *message);
// An extra-charge amount box's text as money; nullopt when empty or not a number. A negative
// amount is a credit (a refund) and lowers the total.
std::optional<Currency> parseExtraAmount(const QString &text);
QString extraChargeMessage(int which);

// Stores the two extra charges as the defaults (amounts rounded to whole dollars) and saves the
// settings; false with the message when an amount is bad or the settings cannot be saved.
bool saveExtraCharges(const QString &text1, const QString &amount1, const QString &text2, const QString &amount2,
                      QString *message);

// Seller's particulars printed on the invoice (from the settings).
struct InvoiceParticulars {
    QString company;
    QString invoiceNumber;
    QString abn; // as stored, possibly with the mask's dashes
    bool applyGst = false;
    QDate issued;
};
InvoiceParticulars currentParticulars();

struct InvoiceRide {
    QDate raceDate;
    int raceNumber = 0;
    QString track;
    QString horse;
    QString finish;
    Currency prizeMoney;
    QString state;
    Currency bookingRate;
    bool hasRate = false;
    // The "Fee" column: the fee charged for the ride when the jockey pays per ride, else the
    // booking rate that the manager's share is taken of.
    Currency fee;
};

// One shown line of the report footer: a caption, optional count and rate columns, the amount.
// The rides' figures (prize money, the jockey's commission) stand apart from the amounts owed
// to the manager, which add up to the totals.
struct InvoiceFooterLine {
    QString key; // stable name for tests and exports
    QString label;
    QString value;
    QString count;
    QString rate;
    bool ruleAbove = false; // a total: ruled off above
    bool owed = false;      // an amount owed to the manager, or one of its totals
};

struct JockeyInvoice {
    InvoiceJockey jockey;
    InvoiceParticulars particulars;
    InvoicePeriod period;
    QString heading; // "Tax Invoice" with GST, else "Invoice"
    QString title;   // "Rides for NAME for period dd/mm/yyyy to dd/mm/yyyy"
    QString abnText; // "99 999 999 999", empty when no ABN
    QList<InvoiceRide> rides;

    int rideCount = 0;
    Currency prizeMoney;
    Currency bookValue; // sum of the rides' booking rates
    Currency jockeyCommission;
    Currency managerCommission;
    bool atCommissionRate = false;
    Currency bookingFee;
    Currency scratchingsTotal;
    Currency trialsTotal;
    Currency extra1;
    Currency extra2;
    Currency total;
    Currency gst;
    Currency totalIncGst;

    QList<InvoiceFooterLine> footer; // only the lines shown, in order
    QString missingRateNote;         // which rides had no booking rate; empty when all had one

    const InvoiceFooterLine *line(const QString &key) const;
};

// Every figure and line of one invoice. Rides come from qryJockeyInvoice. Throws DbError.
JockeyInvoice computeJockeyInvoice(const InvoiceJockey &jockey, const InvoicePeriod &period,
                                   const InvoiceCharges &charges, const InvoiceParticulars &particulars);
// The figures alone, from rides already read (what computeJockeyInvoice does after its query).
void computeFigures(JockeyInvoice &invoice, const InvoiceCharges &charges);

// The rides of a jockey in a period with their booking rates, ordered by date and race. Throws DbError.
QList<InvoiceRide> readInvoiceRides(const QString &jockey, const InvoicePeriod &period);

// An ABN as stored ("12-345-678-901", "12345678901") laid out "12 345 678 901"; empty when
// it holds no digits (the empty mask).
QString formatAbn(const QString &stored);

// What to point out before an invoice is made: a period that ends after `today` (rides still to
// come are not on it) and a period without rides. Empty when there is nothing to say.
QString invoiceWarning(const JockeyInvoice &invoice, const QDate &today);
inline const QString kMakeAnyway = u"Make the invoice anyway?"_s;

// Once an invoice has left the program (`made`: "printed on LaserJet", "exported to
// /home/agent/Invoice 41 J ONE.pdf") its number is spent, whatever is answered next, so no two
// invoices ever share one. Then the jockey's Last Invoice Date moves to the period's end when the
// agent agrees; it never moves back: a date not before the end is kept and the agent told so.
// Messages go through UserDialogs. False (after saying why) when something could not be stored.
bool settleInvoice(const JockeyInvoice &invoice, const QStringList &made);
inline const QString kInvoiceUpdateTitle = u"Invoice update message"_s;
