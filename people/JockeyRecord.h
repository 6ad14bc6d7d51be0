#pragma once

#include "core/Currency.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The managed jockeys as the jockey editor keeps them: one `Jockey` row each, with the rates
// the invoice is computed from, the invoice cycle and the highlight colour.

struct JockeyRecord {
    QString jockey;
    QString email;
    QString mobile;
    QString color; // `JockeyColor` as stored text
    QString fullName;
    double rideWeight = 0; // `Ridewgt`, kilograms; 0: not known
    double managerRate = 0;
    Currency bookFee;
    Currency scratchFee;
    Currency trialFee;
    QString invoicePeriod; // stored two-character code
    QDate lastInvoiceDate; // invalid: null
};

namespace jockeys {

// The invoice-period combo's texts in order, and the conversion to and from the stored codes:
// an unknown text stores "", an unknown code shows "".
QStringList invoicePeriodTexts();
QString periodCodeFor(const QString &comboText);
QString periodTextFor(const QString &code);

// Display forms of the amount boxes: "#0.00" for the rate, "$#,##0.00;($#,##0.00)" for money.
QString rateText(double value);
QString moneyText(Currency value);
// The edited value of an amount box: "$", thousands separators and blanks are dropped and a
// bracketed amount is negative; an empty box is 0; nullopt for text that is not a number.
std::optional<double> amountOf(const QString &text);
std::optional<Currency> moneyOf(const QString &text);

// The riding weight as the editor shows it: "54.5", empty for 0 (not known).
QString rideWeightText(double kilograms);

// The texts of the editor's fields, before conversion.
struct JockeyInput {
    QString jockey, email, mobile, color, fullName, rideWeight;
    QString managerRate, bookFee, scratchFee, trialFee;
    QString periodText;
    QDate lastInvoiceDate;
};
// Which field a validation message belongs to.
enum class Field { Jockey, RideWeight, ManagerRate, BookFee, ScratchFee, TrialFee, InvoicePeriod };
struct InputError {
    Field field;
    QString message;
};
// Checks the input and converts it; `originalName` is the stored name of the row being
// updated (empty when adding), so that a row may keep its own name.
std::optional<InputError> validate(const JockeyInput &input, const QString &originalName, JockeyRecord *record);

// Every row (or the one named), ordered by name. Throws DbError.
QList<JockeyRecord> loadJockeys(const QString &onlyName = {});
bool jockeyExists(const QString &name);
int rideCount(const QString &jockey);
// "Delete J SMITH and the 1,234 rides downloaded for this jockey?"
QString deleteQuestion(const QString &jockey, int rides);

// Rewrites the stored row named `originalName`; a changed name carries its rides and bookings along.
void updateJockey(const QString &originalName, const JockeyRecord &record);
// Deletes the row and its rides in one transaction.
void deleteJockey(const QString &jockey);

enum class AddOutcome { Stored, StoredWithoutRides, Cancelled };
// Downloads the jockey's whole ride history and then stores the row. When `cancelled` answers
// true after the download, the rides are taken away again and nothing is stored. A download
// that fails still stores the jockey (its rides can be fetched later).
AddOutcome addJockey(const JockeyRecord &record, const std::function<bool()> &cancelled);

} // namespace jockeys
