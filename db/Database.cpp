#include "Database.h"

#include "Compaction.h"
#include "Schema.h"
#include "core/Clock.h"
#include "core/Paths.h"
#include "core/cAppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <filesystem>

using namespace Qt::Literals::StringLiterals;

namespace {

QString nextConnectionName()
{
    static std::atomic<quint64> counter{0};
    return u"ostrevan-%1"_s.arg(++counter);
}

QString describe(const QSqlError &error, const QString &sql)
{
    QString text = error.text().trimmed();
    if (!sql.isEmpty())
        text += u" ["_s + sql.simplified().left(200) + u']';
    return text;
}

} // namespace

QString databaseFileIn(const QString &folder)
{
    QString base = folder.trimmed();
    if (base.isEmpty())
        base = programFolder();
    while (base.size() > 1 && (base.endsWith(u'/') || base.endsWith(u'\\')))
        base.chop(1);
    return QDir::cleanPath(base + u'/' + kDatabaseFileName);
}

QString databaseFilePath()
{
    return databaseFileIn(cAppSettings::instance().DBPath);
}

Db::Db(const QString &filePath, bool mustExist) : m_connection(nextConnectionName()), m_filePath(filePath)
{
    if (mustExist && !QFileInfo(filePath).isFile())
        throw DbError(u"Database file not found: %1"_s.arg(QDir::toNativeSeparators(filePath)));
    m_db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
    m_db.setDatabaseName(filePath);
    m_db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=3000"_s);
    if (!m_db.open()) {
        const QString why = m_db.lastError().text();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        m_connection.clear();
        throw DbError(u"Cannot open database %1: %2"_s.arg(QDir::toNativeSeparators(filePath), why));
    }
}

Db::Db(Db &&other) noexcept
    : m_connection(std::exchange(other.m_connection, QString())), m_filePath(other.m_filePath),
      m_db(std::exchange(other.m_db, QSqlDatabase()))
{}

Db::~Db()
{
    if (m_connection.isEmpty())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlQuery Db::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DbError(describe(query.lastError(), sql));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw DbError(describe(query.lastError(), sql));
    return query;
}

QVariant Db::scalar(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = exec(sql, values);
    return query.next() ? query.value(0) : QVariant();
}

void Db::begin()
{
    if (!m_db.transaction())
        throw DbError(describe(m_db.lastError(), u"BEGIN"_s));
}

void Db::commit()
{
    if (!m_db.commit())
        throw DbError(describe(m_db.lastError(), u"COMMIT"_s));
}

void Db::rollback()
{
    m_db.rollback();
}

Db OpenDb()
{
    return Db(databaseFilePath());
}

QueryResult OpenQuery(const QString &sql, const QVariantList &values)
{
    QueryResult result{OpenDb(), QSqlQuery()};
    result.query = result.db.exec(sql, values);
    return result;
}

int QueryResult::field(QLatin1StringView name) const
{
    const int index = query.record().indexOf(name);
    if (index < 0)
        throw DbError(u"The query has no field %1."_s.arg(name));
    return index;
}

QString SqlQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', "''"_L1);
    return quoted;
}

QString SqlQuoteForUrl(QString &text)
{
    text = SqlQuote(text);
    QString forUrl = text;
    forUrl.replace(u'&', "%26"_L1);
    return forUrl;
}

QString sqliteTypeFor(const QString &typeText)
{
    const QString type = typeText.trimmed().toUpper();
    if (type.startsWith("TEXT"_L1) || type.startsWith("CHAR"_L1) || type.startsWith("VARCHAR"_L1) || type == "MEMO"_L1)
        return u"TEXT"_s;
    if (type == "DATE"_L1 || type == "DATETIME"_L1 || type == "TIME"_L1)
        return u"TEXT"_s;
    if (type == "SINGLE"_L1 || type == "DOUBLE"_L1 || type == "FLOAT"_L1 || type == "REAL"_L1)
        return u"REAL"_s;
    if (type == "LONG"_L1 || type == "INTEGER"_L1 || type == "BYTE"_L1 || type == "SHORT"_L1 || type == "YESNO"_L1 ||
        type == "YES/NO"_L1 || type == "BIT"_L1 || type == "COUNTER"_L1)
        return u"INTEGER"_s;
    if (type == "CURRENCY"_L1 || type == "NUMERIC"_L1 || type == "DECIMAL"_L1)
        return u"NUMERIC"_s;
    throw DbError(u"Unknown field type: %1"_s.arg(typeText));
}

namespace {

QString quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(u'"', "\"\""_L1);
    return u'"' + quoted + u'"';
}

struct Column {
    QString name;
    QString type;
    bool notNull = false;
    QVariant defaultValue;
    int primaryKeyPosition = 0;
    QString collation; // empty: the default (binary)
};

// The column definitions of a CREATE TABLE text, split at the commas outside brackets and quotes.
QStringList columnDefinitions(const QString &createSql)
{
    const qsizetype open = createSql.indexOf(u'(');
    const qsizetype close = createSql.lastIndexOf(u')');
    QStringList definitions;
    if (open < 0 || close <= open)
        return definitions;
    int depth = 0;
    QChar quote;
    QString current;
    for (qsizetype i = open + 1; i < close; ++i) {
        const QChar c = createSql.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'' || c == u'`' || c == u'[') {
            quote = c == u'[' ? u']' : c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (c == u',' && depth == 0) {
            definitions << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    definitions << current.trimmed();
    return definitions;
}

// The collation each column declares ("NOCASE"), by column name.
QMap<QString, QString> declaredCollations(Db &db, const QString &table)
{
    static const QRegularExpression collate(u"\\bCOLLATE\\s+(\\w+)"_s, QRegularExpression::CaseInsensitiveOption);
    QMap<QString, QString> collations;
    const QString sql =
        db.scalar(u"SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"_s, {table}).toString();
    for (const QString &definition : columnDefinitions(sql)) {
        const QRegularExpressionMatch match = collate.match(definition);
        if (!match.hasMatch())
            continue;
        QString name = definition.section(u' ', 0, 0);
        if (name.size() > 1 && u"\"`["_s.contains(name.front()))
            name = name.mid(1, name.size() - 2);
        collations.insert(name, match.captured(1).toUpper());
    }
    return collations;
}

QList<Column> columnsOf(Db &db, const QString &table)
{
    QList<Column> columns;
    const QMap<QString, QString> collations = declaredCollations(db, table);
    QSqlQuery info = db.exec(u"SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?)"_s, {table});
    while (info.next()) {
        const QString name = info.value(0).toString();
        columns.append({name, info.value(1).toString(), info.value(2).toBool(), info.value(3), info.value(4).toInt(),
                        collations.value(name)});
    }
    return columns;
}

// SQLite cannot change a column's type or collation in place: rebuild the table with the new
// columns and copy every row across, keeping its indexes. With `firstOfDuplicates` a row whose
// key now equals an earlier one's is left out instead of failing the rebuild.
void rebuildTable(Db &db, const QString &table, const QList<Column> &columns, bool firstOfDuplicates = false)
{
    QStringList definitions;
    QStringList names;
    for (const Column &column : columns) {
        QString definition = quoteIdentifier(column.name) + u' ' + column.type;
        if (!column.collation.isEmpty())
            definition += u" COLLATE "_s + column.collation;
        if (column.notNull)
            definition += u" NOT NULL"_s;
        if (!column.defaultValue.isNull())
            definition += u" DEFAULT "_s + column.defaultValue.toString();
        definitions << definition;
        names << quoteIdentifier(column.name);
    }
    QMap<int, QString> keyColumns;
    for (const Column &column : columns)
        if (column.primaryKeyPosition > 0)
            keyColumns.insert(column.primaryKeyPosition, quoteIdentifier(column.name));
    if (!keyColumns.isEmpty())
        definitions << u"PRIMARY KEY ("_s + keyColumns.values().join(u", "_s) + u')';
    QStringList indexes;
    QSqlQuery indexQuery =
        db.exec(u"SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL"_s, {table});
    while (indexQuery.next())
        indexes << indexQuery.value(0).toString();

    const QString work = quoteIdentifier(table + u"__rebuild"_s);
    db.exec(u"PRAGMA legacy_alter_table = ON"_s);
    Transaction transaction(db);
    db.exec(u"CREATE TABLE "_s + work + u" ("_s + definitions.join(u", "_s) + ')');
    db.exec(u"INSERT %1INTO %2 SELECT %3 FROM %4 ORDER BY rowid"_s.arg(
        firstOfDuplicates ? u"OR IGNORE "_s : QString(), work, names.join(u", "_s), quoteIdentifier(table)));
    db.exec(u"DROP TABLE "_s + quoteIdentifier(table));
    db.exec(u"ALTER TABLE "_s + work + u" RENAME TO "_s + quoteIdentifier(table));
    for (const QString &index : std::as_const(indexes))
        db.exec(index);
    transaction.commit();
}

} // namespace

void AddOrAlterColumn(const QString &table, const QString &field, const QString &typeText)
{
    const QString newType = sqliteTypeFor(typeText);
    Db db = OpenDb();
    const QList<Column> columns = columnsOf(db, table);
    if (columns.isEmpty())
        throw DbError(u"No table named %1"_s.arg(table));
    const bool exists = std::any_of(columns.begin(), columns.end(), [&](const Column &c) { return c.name == field; });
    if (exists) {
        QList<Column> changed = columns;
        for (Column &column : changed)
            if (column.name == field)
                column.type = newType;
        rebuildTable(db, table, changed);
    } else
        db.exec(u"ALTER TABLE %1 ADD COLUMN %2 %3"_s.arg(quoteIdentifier(table), quoteIdentifier(field), newType));
}

void makeColumnsCaseBlind(const QStringList &columnNames)
{
    Db db = OpenDb();
    QStringList tables;
    QSqlQuery list =
        db.exec(u"SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name"_s);
    while (list.next())
        tables << list.value(0).toString();
    for (const QString &table : std::as_const(tables)) {
        QList<Column> columns = columnsOf(db, table);
        bool changed = false;
        for (Column &column : columns) {
            if (columnNames.contains(column.name) && column.collation != "NOCASE"_L1) {
                column.collation = u"NOCASE"_s;
                changed = true;
            }
        }
        // Names that differ only in case were one name to the agent: the first row keeps the key.
        if (changed)
            rebuildTable(db, table, columns, true);
    }
}

namespace {

// A database file that SQLite can read through and whose structure is sound.
bool passesChecks(const QString &filePath, QString *why, QMap<QString, qint64> *rowCounts = nullptr)
{
    try {
        Db db(filePath);
        const QString check = db.scalar(u"PRAGMA quick_check"_s).toString();
        if (check != "ok"_L1) {
            if (why)
                *why = u"integrity check failed: "_s + check;
            return false;
        }
        if (rowCounts) {
            QStringList tables;
            QSqlQuery list = db.exec(
                u"SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name"_s);
            while (list.next())
                tables << list.value(0).toString();
            for (const QString &table : std::as_const(tables))
                rowCounts->insert(table, db.scalar(u"SELECT COUNT(*) FROM "_s + quoteIdentifier(table)).toLongLong());
        }
        return true;
    } catch (const DbError &error) {
        if (why)
            *why = error.message();
        return false;
    }
}

bool replaceFile(const QString &from, const QString &to, QString *why)
{
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            code);
    if (code && why)
        *why = QString::fromStdString(code.message());
    return !code;
}

} // namespace

namespace {

QString workFileIn(const QString &database)
{
    return QFileInfo(database).absolutePath() + u'/' + kCompactWorkFileName;
}

const char *const kJournalSuffixes[] = {"-journal", "-wal", "-shm"};

} // namespace

// Judged before SQLite opens the file: opening one with a hot journal rolls it back to what the
// journal held, which for an unfinished copy is an empty database that passes every check.
QString incompleteDatabaseFault(const QString &work)
{
    for (const char *suffix : kJournalSuffixes)
        if (QFileInfo::exists(work + QLatin1String(suffix)))
            return u"a journal beside it shows the copy was never finished"_s;
    QFile file(work);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return u"it is not a database"_s;
    // The page count in the header is trustworthy only when its version stamp matches the change counter.
    const auto at = [&header](int offset) { return qFromBigEndian<quint32>(header.constData() + offset); };
    const quint32 rawPageSize = qFromBigEndian<quint16>(header.constData() + 16);
    const qint64 pageSize = rawPageSize == 1 ? 65536 : rawPageSize;
    if (at(92) != at(24) || at(28) == 0 || file.size() != qint64(at(28)) * pageSize)
        return u"it was not written to the end"_s;
    file.close();
    QString why;
    if (!passesChecks(work, &why))
        return why;
    QStringList missing;
    try {
        Db db(work);
        // Tables that older files lack (added when missing) are not asked for.
        static const QRegularExpression table(u"^CREATE TABLE (IF NOT EXISTS )?(\\w+)"_s);
        const QStringList optional = schema::addedTables();
        for (const QString &statement : schema::createStatements()) {
            const QRegularExpressionMatch match = table.match(statement);
            const QString name = match.captured(2);
            if (!name.isEmpty() && match.captured(1).isEmpty() && !optional.contains(name) &&
                !db.scalar(u"SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"_s, {name}).isValid())
                missing << name;
        }
    } catch (const DbError &error) {
        return error.message();
    }
    if (!missing.isEmpty())
        return u"it lacks the tables %1"_s.arg(missing.join(u", "_s));
    return {};
}

namespace {

// Moves a work file that cannot be installed (with its journal, which belongs to it) to a name no
// later compaction removes. Returns the new name, or empty when it could not be moved.
QString setAside(const QString &work)
{
    const QString stamp = Clock::instance().now().toString(u"yyyyMMdd-HHmmss"_s);
    const QString aside = QFileInfo(work).absolutePath() + u"/temp-incomplete-%1.mdb"_s.arg(stamp);
    if (!QFile::rename(work, aside))
        return {};
    for (const char *suffix : kJournalSuffixes)
        QFile::rename(work + QLatin1String(suffix), aside + QLatin1String(suffix));
    return aside;
}

} // namespace

bool recoverInterruptedCompaction(const QString &folder)
{
    return recoverInterruptedCompaction(folder, nullptr);
}

bool recoverInterruptedCompaction(const QString &folder, QString *note)
{
    const QString database = databaseFileIn(folder);
    if (QFileInfo::exists(database))
        return true;
    const QString work = workFileIn(database);
    if (!QFileInfo(work).isFile())
        return false;
    const QString fault = incompleteDatabaseFault(work);
    if (fault.isEmpty())
        return replaceFile(work, database, note);
    const QString aside = setAside(work);
    if (note) {
        *note = u"%1 is missing, and the compaction's work file beside it was not put in its place: %2. "_s.arg(
                    QDir::toNativeSeparators(database), fault) +
                (aside.isEmpty() ? u"It is left as it was."_s
                                 : u"It is kept as %1."_s.arg(QDir::toNativeSeparators(aside)));
    }
    return false;
}

bool compactDatabaseIn(const QString &folder, QString *why)
{
    const QString database = databaseFileIn(folder);
    const QString work = workFileIn(database);
    // Without the database file, a work file may be the only copy of the data: never delete it then.
    QString note;
    if (!recoverInterruptedCompaction(folder, &note) || !QFileInfo(database).isFile()) {
        if (why)
            *why = note.isEmpty() ? u"database file not found"_s : note;
        return false;
    }
    // Beside a sound database, a work file is what an earlier run left unfinished: its journal goes with it.
    for (const char *suffix : kJournalSuffixes)
        QFile::remove(work + QLatin1String(suffix));
    if (QFileInfo::exists(work) && !QFile::remove(work)) {
        if (why)
            *why = u"cannot remove the stale work file"_s;
        return false;
    }
    QMap<QString, qint64> before;
    if (!passesChecks(database, why, &before))
        return false;
    try {
        Db db(database);
        // Another program writing the file holds a lock we cannot take.
        db.exec(u"BEGIN EXCLUSIVE"_s);
        db.exec(u"COMMIT"_s);
        db.exec(u"VACUUM INTO ?"_s, {work});
    } catch (const DbError &error) {
        if (why)
            *why = error.message();
        QFile::remove(work);
        return false;
    }
    QMap<QString, qint64> after;
    if (!passesChecks(work, why, &after) || after != before) {
        if (why && why->isEmpty())
            *why = u"the compacted copy does not hold the same rows"_s;
        QFile::remove(work);
        return false;
    }
    return replaceFile(work, database, why);
}

bool compactionPays(const QString &filePath, const QDateTime &lastCompacted, const QDateTime &now)
{
    if (!lastCompacted.isValid() || lastCompacted.daysTo(now) >= 7)
        return true;
    Db db(filePath);
    const qint64 pages = db.scalar(u"PRAGMA page_count"_s).toLongLong();
    const qint64 free = db.scalar(u"PRAGMA freelist_count"_s).toLongLong();
    return pages > 0 && free * 10 >= pages;
}

bool CompactDb()
{
    return compactDatabaseIn(cAppSettings::instance().DBPath);
}
