#include "WeightTable.h"

#include "core/UserDialogs.h"
#include "db/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace weighttable {
namespace {

const QStringList kHeader = {u"MeetType"_s, u"RaceType"_s, u"Rating"_s, u"Weight"_s};

// One CSV line's fields; a field may stand between double quotes ("" inside is one quote).
std::optional<QStringList> splitLine(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line.at(i + 1) == u'"') {
                field += c;
                ++i;
            } else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"' && field.trimmed().isEmpty()) {
            field.clear();
            quoted = true;
        } else if (c == u',') {
            fields << field.trimmed();
            field.clear();
        } else {
            field += c;
        }
    }
    if (quoted)
        return std::nullopt;
    fields << field.trimmed();
    return fields;
}

WeightRow readRow(const QStringList &fields)
{
    if (fields.size() != kHeader.size())
        throw QString(u"%1 fields, 4 are needed (MeetType,RaceType,Rating,Weight)"_s.arg(fields.size()));
    WeightRow row;
    row.meetType = fields.at(0);
    row.raceType = fields.at(1);
    for (const QString &text : {row.meetType, row.raceType}) {
        // The weight calculation puts the race type into its statement as it stands.
        if (text.isEmpty() || text.contains(u'\''))
            throw QString(u"MeetType and RaceType must be given, without \"'\""_s);
    }
    bool ok = false;
    row.rating = fields.at(2).toInt(&ok);
    if (!ok || row.rating < 0)
        throw QString(u"the rating \"%1\" is not a whole number"_s.arg(fields.at(2)));
    row.weight = fields.at(3).toDouble(&ok);
    if (!ok || row.weight <= 0 || row.weight >= 100)
        throw QString(u"the weight \"%1\" is not kilograms (for example 56.5)"_s.arg(fields.at(3)));
    return row;
}

} // namespace

QList<WeightRow> parseCsv(const QByteArray &bytes, const QString &fileName)
{
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(u'\n');
    QList<WeightRow> rows;
    QSet<QString> keys;
    bool haveHeader = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const auto fail = [&](const QString &why) {
            return ImportError(u"%1, line %2: %3"_s.arg(fileName).arg(i + 1).arg(why));
        };
        const std::optional<QStringList> fields = splitLine(line);
        if (!fields)
            throw fail(u"a quote is not closed"_s);
        if (!haveHeader) {
            if (fields->join(u',').compare(kHeader.join(u','), Qt::CaseInsensitive) != 0)
                throw fail(u"the header line must be MeetType,RaceType,Rating,Weight"_s);
            haveHeader = true;
            continue;
        }
        try {
            const WeightRow row = readRow(*fields);
            const QString key =
                row.meetType.toUpper() + u'|' + row.raceType.toUpper() + u'|' + QString::number(row.rating);
            if (keys.contains(key))
                throw QString(
                    u"a second weight for %1, %2, rating %3"_s.arg(row.meetType, row.raceType).arg(row.rating));
            keys.insert(key);
            rows << row;
        } catch (const QString &why) {
            throw fail(why);
        }
    }
    if (!haveHeader)
        throw ImportError(u"%1: no header line MeetType,RaceType,Rating,Weight"_s.arg(fileName));
    return rows;
}

int importWeightTable(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(u"%1: cannot be opened (%2)"_s.arg(name, file.errorString()));
    constexpr qint64 kMaxSize = 16 * 1024 * 1024;
    const QByteArray bytes = file.read(kMaxSize + 1);
    if (bytes.size() > kMaxSize)
        throw ImportError(u"%1: too large for a weight table"_s.arg(name));
    const QList<WeightRow> rows = parseCsv(bytes, name);

    Db db = OpenDb();
    Transaction transaction(db);
    db.exec(u"DELETE FROM RBHTable"_s);
    for (const WeightRow &row : rows)
        db.exec(u"INSERT INTO RBHTable (MeetType, RaceType, Rating, Weight) VALUES (?, ?, ?, ?)"_s,
                {row.meetType, row.raceType, row.rating, row.weight});
    transaction.commit();
    return int(rows.size());
}

std::optional<int> chooseAndImportWeightTable()
{
    UserDialogs &dialogs = UserDialogs::instance();
    UserDialogs::FileRequest request;
    request.title = kImportTitle;
    request.filter = u"Rating weights (*.csv)|*.csv|All files (*.*)|*.*"_s;
    request.startFolder = QDir::homePath();
    const QString path = dialogs.openFiles(request).value(0);
    if (path.isEmpty())
        return std::nullopt;
    try {
        const int count = importWeightTable(path);
        dialogs.information(kImportTitle,
                            u"%1 rating weights imported from %2."_s.arg(count).arg(QDir::toNativeSeparators(path)));
        return count;
    } catch (const ImportError &error) {
        dialogs.critical(u"Error"_s, error.message() + u"\nNothing was imported."_s);
    } catch (const DbError &error) {
        dialogs.critical(u"Error"_s, error.message());
    }
    return std::nullopt;
}

} // namespace weighttable
