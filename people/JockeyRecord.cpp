#include "JockeyRecord.h"

#include "core/Clock.h"
#include "db/Database.h"
#include "formdata/RideStatistics.h"

#include <QLocale>
#include <QSqlQuery>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace jockeys {

namespace {

struct Period {
    const char *text;
    const char *code;
};
constexpr Period kPeriods[] = {
    {"7 Days", " 7"}, {"14 Days", "14"}, {"28 Days", "28"}, {"Calender Month", "MT"}, {"Half Monthly", "HF"},
};

QVariant dateOrNull(const QDate &date)
{
    return date.isValid() ? QVariant(date.toString(Qt::ISODate)) : QVariant(QMetaType::fromType<QString>());
}

QVariantList rowValues(const JockeyRecord &r)
{
    return {r.jockey,
            r.email,
            r.mobile,
            r.color,
            r.fullName,
            r.rideWeight,
            r.managerRate,
            r.bookFee.toPlainText(),
            r.scratchFee.toPlainText(),
            r.trialFee.toPlainText(),
            r.invoicePeriod,
            dateOrNull(r.lastInvoiceDate)};
}

const QString kColumns = u"Jockey, JockeyEmail, JockeyMobile, JockeyColor, FullName, Ridewgt, ManagerRate, "
                         "ManBookFee, ScratchFee, TrialFee, InvoicePeriod, LastInvoiceDate"_s;

// A riding weight: from a light apprentice's to a jumps jockey's, with room to spare.
constexpr double kLightestRide = 30;
constexpr double kHeaviestRide = 90;

} // namespace

QStringList invoicePeriodTexts()
{
    QStringList texts;
    for (const Period &p : kPeriods)
        texts << QLatin1String(p.text);
    return texts;
}

QString periodCodeFor(const QString &comboText)
{
    for (const Period &p : kPeriods) {
        if (comboText == QLatin1String(p.text))
            return QLatin1String(p.code);
    }
    return {};
}

QString periodTextFor(const QString &code)
{
    for (const Period &p : kPeriods) {
        if (code == QLatin1String(p.code))
            return QLatin1String(p.text);
    }
    return {};
}

QString rateText(double value)
{
    return QString::number(value, 'f', 2);
}

QString rideWeightText(double kilograms)
{
    return kilograms > 0 ? QString::number(kilograms, 'f', 1) : QString();
}

QString moneyText(Currency value)
{
    if (value < Currency())
        return u"("_s + (Currency() - value).toDisplay() + u")"_s;
    return value.toDisplay();
}

QString plainAmount(const QString &text)
{
    QString plain = text.trimmed();
    bool negative = false;
    if (plain.startsWith(u'(') && plain.endsWith(u')')) {
        negative = true;
        plain = plain.mid(1, plain.size() - 2);
    }
    plain.remove(u'$').remove(u',').remove(u' ').remove(u'%');
    if (plain.isEmpty())
        return u"0"_s;
    return negative ? u"-"_s + plain : plain;
}

std::optional<double> amountOf(const QString &text)
{
    bool ok = false;
    const double value = plainAmount(text).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<Currency> moneyOf(const QString &text)
{
    return Currency::parse(plainAmount(text));
}

std::optional<InputError> validate(const JockeyInput &input, const QString &originalName, JockeyRecord *record)
{
    const QString name = input.jockey.trimmed();
    if (name.isEmpty())
        return InputError{Field::Jockey, u"Enter the jockey's name."_s};
    if (name.compare(originalName, Qt::CaseInsensitive) != 0 && jockeyExists(name))
        return InputError{Field::Jockey, u"A jockey named %1 is already kept."_s.arg(name)};

    QString weightText = input.rideWeight.trimmed();
    if (weightText.endsWith(u"kg"_s, Qt::CaseInsensitive))
        weightText.chop(2);
    const auto weight = amountOf(weightText);
    if (!weight || (*weight != 0 && (*weight < kLightestRide || *weight > kHeaviestRide)))
        return InputError{Field::RideWeight, u"Riding Weight (kg) must be a weight in kilograms, such as 54.5, "
                                             "or empty when not known."_s};
    record->rideWeight = *weight;

    const auto rate = amountOf(input.managerRate);
    if (!rate || *rate < 0)
        return InputError{Field::ManagerRate, u"Manager Rate (%) must be a number of 0 or more."_s};
    record->managerRate = *rate;
    const struct {
        Field field;
        const QString *text;
        Currency *target;
        const char *label;
    } amounts[] = {
        {Field::BookFee, &input.bookFee, &record->bookFee, "Booking Fee Per Ride"},
        {Field::ScratchFee, &input.scratchFee, &record->scratchFee, "Scratchings Rate"},
        {Field::TrialFee, &input.trialFee, &record->trialFee, "Trials Rate"},
    };
    for (const auto &amount : amounts) {
        const std::optional<Currency> value = moneyOf(*amount.text);
        if (!value || *value < Currency())
            return InputError{amount.field, u"%1 must be a number of 0 or more."_s.arg(QLatin1String(amount.label))};
        *amount.target = *value;
    }
    if (record->managerRate > 100)
        return InputError{Field::ManagerRate, u"Manager Rate (%) cannot be above 100."_s};
    if (periodCodeFor(input.periodText).isEmpty())
        return InputError{Field::InvoicePeriod, u"Choose the Invoice Period: the invoice needs it."_s};

    record->jockey = name;
    record->email = input.email.trimmed();
    record->mobile = input.mobile.trimmed();
    record->color = input.color.trimmed();
    record->fullName = input.fullName.trimmed();
    record->invoicePeriod = periodCodeFor(input.periodText);
    record->lastInvoiceDate = input.lastInvoiceDate;
    return std::nullopt;
}

QList<JockeyRecord> loadJockeys(const QString &onlyName)
{
    QString sql = u"SELECT "_s + kColumns + u" FROM Jockey "_s;
    QVariantList values;
    if (!onlyName.trimmed().isEmpty()) {
        sql += u"WHERE Jockey = ? "_s;
        values << onlyName.trimmed();
    }
    sql += u"ORDER BY Jockey"_s;
    QList<JockeyRecord> rows;
    QueryResult query = OpenQuery(sql, values);
    while (query.next()) {
        JockeyRecord r;
        r.jockey = query.value(0).toString();
        r.email = query.value(1).toString();
        r.mobile = query.value(2).toString();
        r.color = query.value(3).toString();
        r.fullName = query.value(4).toString();
        r.rideWeight = query.value(5).toDouble();
        r.managerRate = query.value(6).toDouble();
        r.bookFee = Currency::fromVariant(query.value(7));
        r.scratchFee = Currency::fromVariant(query.value(8));
        r.trialFee = Currency::fromVariant(query.value(9));
        r.invoicePeriod = query.value(10).toString();
        r.lastInvoiceDate = QDate::fromString(query.value(11).toString().left(10), Qt::ISODate);
        rows << r;
    }
    return rows;
}

bool jockeyExists(const QString &name)
{
    Db db = OpenDb();
    return db.scalar(u"SELECT 1 FROM Jockey WHERE Jockey = ? COLLATE NOCASE"_s, {name.trimmed()}).isValid();
}

int rideCount(const QString &jockey)
{
    Db db = OpenDb();
    return db.scalar(u"SELECT COUNT(*) FROM RaceStats WHERE Jockey = ? COLLATE NOCASE"_s, {jockey}).toInt();
}

QString deleteQuestion(const QString &jockey, int rides)
{
    return u"Delete %1 and the %2 rides downloaded for this jockey?"_s.arg(
        jockey, QLocale(QLocale::English, QLocale::Australia).toString(rides));
}

void updateJockey(const QString &originalName, const JockeyRecord &record)
{
    Db db = OpenDb();
    Transaction transaction(db);
    QVariantList values = rowValues(record);
    values << originalName;
    db.exec(u"UPDATE Jockey SET Jockey = ?, JockeyEmail = ?, JockeyMobile = ?, JockeyColor = ?, FullName = ?, "
            "Ridewgt = ?, ManagerRate = ?, ManBookFee = ?, ScratchFee = ?, TrialFee = ?, InvoicePeriod = ?, "
            "LastInvoiceDate = ? "
            "WHERE Jockey = ?"_s,
            values);
    if (record.jockey != originalName) {
        db.exec(u"UPDATE RaceStats SET Jockey = ? WHERE Jockey = ? COLLATE NOCASE"_s, {record.jockey, originalName});
        db.exec(u"UPDATE Bookings SET Jockey = ?, ReviewedJockey = ? WHERE Jockey = ?"_s,
                {record.jockey, record.jockey, originalName});
        db.exec(u"UPDATE FieldChange SET Jockey = ? WHERE Jockey = ?"_s, {record.jockey, originalName});
        // The booking history reads under the name the agent corrected, as the bookings and changes do.
        for (const char *column : {"JockeyBefore", "JockeyAfter"})
            db.exec(u"UPDATE BookingLog SET %1 = ? WHERE %1 = ?"_s.arg(QLatin1String(column)),
                    {record.jockey, originalName});
        // The server may hold rides under the new spelling from before the mark: the next download is a full one.
        db.exec(u"UPDATE Jockey SET DateLastStats = NULL WHERE Jockey = ?"_s, {record.jockey});
    }
    transaction.commit();
}

void deleteJockey(const QString &jockey)
{
    Db db = OpenDb();
    Transaction transaction(db);
    db.exec(u"DELETE FROM Jockey WHERE Jockey = ?"_s, {jockey});
    db.exec(u"DELETE FROM RaceStats WHERE Jockey = ? COLLATE NOCASE"_s, {jockey});
    transaction.commit();
}

AddOutcome addJockey(const JockeyRecord &record, const std::function<bool()> &cancelled)
{
    const RideDownloadResult rides = DownloadJockeyRides(record.jockey, true, QDateTime());
    Db db = OpenDb();
    Transaction transaction(db);
    if (cancelled && cancelled()) {
        if (rides.answered)
            db.exec(u"DELETE FROM RaceStats WHERE Jockey = ? COLLATE NOCASE"_s, {record.jockey});
        transaction.commit();
        return AddOutcome::Cancelled;
    }
    QVariantList values = rowValues(record);
    // Rides refused for their values leave the mark empty, so the next refresh asks for them again.
    values << (rides.answered && rides.skipped.isEmpty()
                   ? QVariant(Clock::instance().now().toString(u"yyyy-MM-dd HH:mm:ss"_s))
                   : QVariant(QMetaType::fromType<QString>()));
    try {
        db.exec(u"INSERT INTO Jockey ("_s + kColumns +
                    u", DateLastStats) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                values);
        transaction.commit();
    } catch (const DbError &) {
        // No rides without their jockey.
        db.rollback();
        db.exec(u"DELETE FROM RaceStats WHERE Jockey = ? COLLATE NOCASE"_s, {record.jockey});
        throw;
    }
    return rides.answered ? AddOutcome::Stored : AddOutcome::StoredWithoutRides;
}

} // namespace jockeys
