#include "BookRates.h"

#include "db/Database.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::Literals::StringLiterals;

namespace ratetables {

namespace {

const QStringList kStates{u"VIC"_s, u"QLD"_s, u"NSW"_s, u"TAS"_s, u"SA"_s, u"WA"_s, u"NT"_s, u"ACT"_s};

QString orderOf(const GridTable &table)
{
    return table.table == u"BookRate"_s ? u"State, RaceType, DateEffective"_s : u"Sequence"_s;
}

// The stored value of a checked text.
QVariant storedValue(Kind kind, const QString &text)
{
    const QString trimmed = text.trimmed();
    switch (kind) {
    case Kind::State:
    case Kind::RaceType:
        return trimmed.toUpper();
    case Kind::Date:
        return parseDate(trimmed).toString(Qt::ISODate);
    case Kind::Money:
        return parseMoney(trimmed)->toPlainText();
    case Kind::Whole:
        return trimmed.toInt();
    case Kind::Text:
        return trimmed;
    }
    return {};
}

} // namespace

GridTable bookRateTable()
{
    return {u"BookRate"_s,
            {{u"State"_s, u"State"_s, Kind::State},
             {u"Race Type"_s, u"RaceType"_s, Kind::RaceType},
             {u"Date Effective"_s, u"DateEffective"_s, Kind::Date},
             {u"Booking Rate"_s, u"BookingRate"_s, Kind::Money}}};
}

GridTable bookingTemplateTable()
{
    return {u"BookingTemplate"_s,
            {{u"Seq Nbr"_s, u"Sequence"_s, Kind::Whole}, {u"Template"_s, u"Template"_s, Kind::Text}}};
}

QString displayText(Kind kind, const QVariant &stored)
{
    if (stored.isNull())
        return {};
    switch (kind) {
    case Kind::Date: {
        const QDate date = QDate::fromString(stored.toString().left(10), Qt::ISODate);
        return date.isValid() ? date.toString(u"d/M/yy"_s) : stored.toString();
    }
    case Kind::Money:
        return Currency::fromVariant(stored).toDisplay();
    default:
        return stored.toString();
    }
}

QDate parseDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    QDate date = QDate::fromString(trimmed, Qt::ISODate);
    if (date.isValid())
        return date;
    for (const QString &format : {u"d/M/yyyy"_s, u"d/M/yy"_s}) {
        date = QDate::fromString(trimmed, format);
        if (date.isValid())
            return format.endsWith(u"/yy"_s) ? date.addYears(100) : date;
    }
    return {};
}

std::optional<Currency> parseMoney(const QString &text)
{
    return Currency::parse(text.trimmed());
}

std::optional<CellError> checkRow(const GridTable &table, const QStringList &texts)
{
    for (int i = 0; i < table.columns.size(); ++i) {
        const GridColumn &column = table.columns.at(i);
        const QString text = texts.value(i).trimmed();
        const QString caption = column.caption;
        switch (column.kind) {
        case Kind::State:
            if (!kStates.contains(text.toUpper()))
                return CellError{i, u"%1 must be one of %2."_s.arg(caption, kStates.join(u", "_s))};
            break;
        case Kind::RaceType:
            // A rate the invoice never charges would be accepted and silently unused.
            if (!kChargedRaceTypes.contains(text.toUpper()))
                return CellError{i, u"%1 must be R: the invoice charges booking rates of races (R) only, as the "
                                    "rides it reads do not say which were jumps (J) or trials (T)."_s.arg(caption)};
            break;
        case Kind::Date:
            if (!parseDate(text).isValid())
                return CellError{i, u"%1 must be a date such as 1/7/25."_s.arg(caption)};
            break;
        case Kind::Money: {
            const std::optional<Currency> value = parseMoney(text);
            if (!value || *value < Currency())
                return CellError{i, u"%1 must be an amount of 0 or more, such as $25.00."_s.arg(caption)};
            break;
        }
        case Kind::Whole: {
            bool ok = false;
            text.toInt(&ok);
            if (!ok)
                return CellError{i, u"%1 must be a whole number."_s.arg(caption)};
            break;
        }
        case Kind::Text:
            if (text.isEmpty())
                return CellError{i, u"%1 must not be empty."_s.arg(caption)};
            break;
        }
    }
    return std::nullopt;
}

bool isBlankRow(const QStringList &texts)
{
    for (const QString &text : texts) {
        if (!text.trimmed().isEmpty())
            return false;
    }
    return true;
}

QList<GridRow> loadRows(const GridTable &table)
{
    QStringList fields;
    for (const GridColumn &column : table.columns)
        fields << column.field;
    QList<GridRow> rows;
    QueryResult query =
        OpenQuery(u"SELECT rowid, %1 FROM %2 ORDER BY %3"_s.arg(fields.join(u", "_s), table.table, orderOf(table)));
    while (query.next()) {
        GridRow row;
        row.rowid = query.value(0).toLongLong();
        for (int i = 0; i < table.columns.size(); ++i)
            row.texts << displayText(table.columns.at(i).kind, query.value(i + 1));
        rows << row;
    }
    return rows;
}

std::optional<CellError> conflictingRow(const GridTable &table, const GridRow &row)
{
    if (table.table != u"BookRate"_s)
        return std::nullopt;
    const QString state = storedValue(Kind::State, row.texts.value(0)).toString();
    const QString raceType = storedValue(Kind::RaceType, row.texts.value(1)).toString();
    const QString date = storedValue(Kind::Date, row.texts.value(2)).toString();
    QueryResult other = OpenQuery(u"SELECT 1 FROM BookRate WHERE State = ? AND RaceType = ? AND DateEffective = ? "
                                  "AND rowid <> ?"_s,
                                  {state, raceType, date, row.rowid});
    if (!other.next())
        return std::nullopt;
    return CellError{
        2, u"There is already a booking rate for %1, race type %2, effective %3; the invoice could "
           "charge only one of them. Change that row instead."_s.arg(state, raceType, displayText(Kind::Date, date))};
}

qint64 storeRow(const GridTable &table, const GridRow &row)
{
    if (const std::optional<CellError> error = checkRow(table, row.texts))
        throw DbError(error->message);
    if (const std::optional<CellError> error = conflictingRow(table, row))
        throw DbError(error->message);
    QStringList fields;
    QVariantList values;
    for (int i = 0; i < table.columns.size(); ++i) {
        fields << table.columns.at(i).field;
        values << storedValue(table.columns.at(i).kind, row.texts.value(i));
    }
    Db db = OpenDb();
    if (row.rowid == 0) {
        QSqlQuery insert =
            db.exec(u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(table.table, fields.join(u", "_s),
                                                             QStringList(fields.size(), u"?"_s).join(u", "_s)),
                    values);
        return insert.lastInsertId().toLongLong();
    }
    values << row.rowid;
    db.exec(u"UPDATE %1 SET %2 = ? WHERE rowid = ?"_s.arg(table.table, fields.join(u" = ?, "_s)), values);
    return row.rowid;
}

void deleteRow(const GridTable &table, qint64 rowid)
{
    Db db = OpenDb();
    db.exec(u"DELETE FROM %1 WHERE rowid = ?"_s.arg(table.table), {rowid});
}

} // namespace ratetables
