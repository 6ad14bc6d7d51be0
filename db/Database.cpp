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

namespace {

QString nextConnectionName()
{
    static std::atomic<quint64> counter{0};
    return QStringLiteral("ostrevan-%1").arg(++counter);
}

QString describe(const QSqlError &error, const QString &sql)
{
    QString text = error.text().trimmed();
    if (!sql.isEmpty())
        text += QStringLiteral(" [") + sql.simplified().left(200) + QLatin1Char(']');
    return text;
}

} // namespace

QString databaseFileIn(const QString &folder)
{
    QString base = folder.trimmed();
    if (base.isEmpty())
        base = programFolder();
    while (base.size() > 1 && (base.endsWith(QLatin1Char('/')) || base.endsWith(QLatin1Char('\\'))))
        base.chop(1);
    return QDir::cleanPath(base + QLatin1Char('/') + kDatabaseFileName);
}

QString databaseFilePath()
{
    return databaseFileIn(cAppSettings::instance().DBPath);
}

Db::Db(const QString &filePath, bool mustExist) : m_connection(nextConnectionName()), m_filePath(filePath)
{
    if (mustExist && !QFileInfo(filePath).isFile())
        throw DbError(QStringLiteral("Database file not found: %1").arg(QDir::toNativeSeparators(filePath)));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(filePath);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!m_db.open()) {
        const QString why = m_db.lastError().text();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        m_connection.clear();
        throw DbError(QStringLiteral("Cannot open database %1: %2").arg(QDir::toNativeSeparators(filePath), why));
    }
}

Db::Db(Db &&other) noexcept
    : m_connection(std::exchange(other.m_connection, QString())), m_filePath(other.m_filePath),
      m_db(std::exchange(other.m_db, QSqlDatabase()))
{
}

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
        throw DbError(describe(m_db.lastError(), QStringLiteral("BEGIN")));
}

void Db::commit()
{
    if (!m_db.commit())
        throw DbError(describe(m_db.lastError(), QStringLiteral("COMMIT")));
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
        throw DbError(QStringLiteral("The query has no field %1.").arg(name));
    return index;
}

QString SqlQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

QString SqlQuoteForUrl(QString &text)
{
    text = SqlQuote(text);
    QString forUrl = text;
    forUrl.replace(QLatin1Char('&'), QLatin1String("%26"));
    return forUrl;
}

QString sqliteTypeFor(const QString &typeText)
{
    const QString type = typeText.trimmed().toUpper();
    if (type.startsWith(QLatin1String("TEXT")) || type.startsWith(QLatin1String("CHAR"))
        || type.startsWith(QLatin1String("VARCHAR")) || type == QLatin1String("MEMO"))
        return QStringLiteral("TEXT");
    if (type == QLatin1String("DATE") || type == QLatin1String("DATETIME") || type == QLatin1String("TIME"))
        return QStringLiteral("TEXT");
    if (type == QLatin1String("SINGLE") || type == QLatin1String("DOUBLE") || type == QLatin1String("FLOAT")
        || type == QLatin1String("REAL"))
        return QStringLiteral("REAL");
    if (type == QLatin1String("LONG") || type == QLatin1String("INTEGER") || type == QLatin1String("BYTE")
        || type == QLatin1String("SHORT") || type == QLatin1String("YESNO") || type == QLatin1String("YES/NO")
        || type == QLatin1String("BIT") || type == QLatin1String("COUNTER"))
        return QStringLiteral("INTEGER");
    if (type == QLatin1String("CURRENCY") || type == QLatin1String("NUMERIC") || type == QLatin1String("DECIMAL"))
        return QStringLiteral("NUMERIC");
    throw DbError(QStringLiteral("Unknown field type: %1").arg(typeText));
}

namespace {

QString quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
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
    const qsizetype open = createSql.indexOf(QLatin1Char('('));
    const qsizetype close = createSql.lastIndexOf(QLatin1Char(')'));
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
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            quote = c == QLatin1Char('[') ? QLatin1Char(']') : c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (c == QLatin1Char(',') && depth == 0) {
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
    static const QRegularExpression collate(QStringLiteral("\\bCOLLATE\\s+(\\w+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    QMap<QString, QString> collations;
    const QString sql =
        db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"), {table}).toString();
    for (const QString &definition : columnDefinitions(sql)) {
        const QRegularExpressionMatch match = collate.match(definition);
        if (!match.hasMatch())
            continue;
        QString name = definition.section(QLatin1Char(' '), 0, 0);
        if (name.size() > 1 && QStringLiteral("\"`[").contains(name.front()))
            name = name.mid(1, name.size() - 2);
        collations.insert(name, match.captured(1).toUpper());
    }
    return collations;
}

QList<Column> columnsOf(Db &db, const QString &table)
{
    QList<Column> columns;
    const QMap<QString, QString> collations = declaredCollations(db, table);
    QSqlQuery info = db.exec(QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?)"),
                             {table});
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
        QString definition = quoteIdentifier(column.name) + QLatin1Char(' ') + column.type;
        if (!column.collation.isEmpty())
            definition += QStringLiteral(" COLLATE ") + column.collation;
        if (column.notNull)
            definition += QStringLiteral(" NOT NULL");
        if (!column.defaultValue.isNull())
            definition += QStringLiteral(" DEFAULT ") + column.defaultValue.toString();
        definitions << definition;
        names << quoteIdentifier(column.name);
    }
    QMap<int, QString> keyColumns;
    for (const Column &column : columns)
        if (column.primaryKeyPosition > 0)
            keyColumns.insert(column.primaryKeyPosition, quoteIdentifier(column.name));
    if (!keyColumns.isEmpty())
        definitions << QStringLiteral("PRIMARY KEY (") + keyColumns.values().join(QStringLiteral(", ")) + QLatin1Char(')');
    QStringList indexes;
    QSqlQuery indexQuery = db.exec(
        QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL"),
        {table});
    while (indexQuery.next())
        indexes << indexQuery.value(0).toString();

    const QString work = quoteIdentifier(table + QStringLiteral("__rebuild"));
    db.exec(QStringLiteral("PRAGMA legacy_alter_table = ON"));
    Transaction transaction(db);
    db.exec(QStringLiteral("CREATE TABLE ") + work + QStringLiteral(" (") + definitions.join(QStringLiteral(", ")) + ')');
    db.exec(QStringLiteral("INSERT %1INTO %2 SELECT %3 FROM %4 ORDER BY rowid")
                .arg(firstOfDuplicates ? QStringLiteral("OR IGNORE ") : QString(), work,
                     names.join(QStringLiteral(", ")), quoteIdentifier(table)));
    db.exec(QStringLiteral("DROP TABLE ") + quoteIdentifier(table));
    db.exec(QStringLiteral("ALTER TABLE ") + work + QStringLiteral(" RENAME TO ") + quoteIdentifier(table));
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
        throw DbError(QStringLiteral("No table named %1").arg(table));
    const bool exists = std::any_of(columns.begin(), columns.end(), [&](const Column &c) { return c.name == field; });
    if (exists) {
        QList<Column> changed = columns;
        for (Column &column : changed)
            if (column.name == field)
                column.type = newType;
        rebuildTable(db, table, changed);
    } else
        db.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(quoteIdentifier(table), quoteIdentifier(field), newType));
}

void makeColumnsCaseBlind(const QStringList &columnNames)
{
    Db db = OpenDb();
    QStringList tables;
    QSqlQuery list = db.exec(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name"));
    while (list.next())
        tables << list.value(0).toString();
    for (const QString &table : std::as_const(tables)) {
        QList<Column> columns = columnsOf(db, table);
        bool changed = false;
        for (Column &column : columns) {
            if (columnNames.contains(column.name) && column.collation != QLatin1String("NOCASE")) {
                column.collation = QStringLiteral("NOCASE");
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
        const QString check = db.scalar(QStringLiteral("PRAGMA quick_check")).toString();
        if (check != QLatin1String("ok")) {
            if (why)
                *why = QStringLiteral("integrity check failed: ") + check;
            return false;
        }
        if (rowCounts) {
            QStringList tables;
            QSqlQuery list = db.exec(QStringLiteral(
                "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name"));
            while (list.next())
                tables << list.value(0).toString();
            for (const QString &table : std::as_const(tables))
                rowCounts->insert(table, db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + quoteIdentifier(table)).toLongLong());
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
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()), code);
    if (code && why)
        *why = QString::fromStdString(code.message());
    return !code;
}

} // namespace

namespace {

QString workFileIn(const QString &database)
{
    return QFileInfo(database).absolutePath() + QLatin1Char('/') + kCompactWorkFileName;
}

const char *const kJournalSuffixes[] = {"-journal", "-wal", "-shm"};

} // namespace

// Judged before SQLite opens the file: opening one with a hot journal rolls it back to what the
// journal held, which for an unfinished copy is an empty database that passes every check.
QString incompleteDatabaseFault(const QString &work)
{
    for (const char *suffix : kJournalSuffixes)
        if (QFileInfo::exists(work + QLatin1String(suffix)))
            return QStringLiteral("a journal beside it shows the copy was never finished");
    QFile file(work);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return QStringLiteral("it is not a database");
    // The page count in the header is trustworthy only when its version stamp matches the change counter.
    const auto at = [&header](int offset) { return qFromBigEndian<quint32>(header.constData() + offset); };
    const quint32 rawPageSize = qFromBigEndian<quint16>(header.constData() + 16);
    const qint64 pageSize = rawPageSize == 1 ? 65536 : rawPageSize;
    if (at(92) != at(24) || at(28) == 0 || file.size() != qint64(at(28)) * pageSize)
        return QStringLiteral("it was not written to the end");
    file.close();
    QString why;
    if (!passesChecks(work, &why))
        return why;
    QStringList missing;
    try {
        Db db(work);
        // Tables that older files lack (added when missing) are not asked for.
        static const QRegularExpression table(QStringLiteral("^CREATE TABLE (IF NOT EXISTS )?(\\w+)"));
        const QStringList optional = schema::addedTables();
        for (const QString &statement : schema::createStatements()) {
            const QRegularExpressionMatch match = table.match(statement);
            const QString name = match.captured(2);
            if (!name.isEmpty() && match.captured(1).isEmpty() && !optional.contains(name)
                && !db.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"), {name})
                        .isValid())
                missing << name;
        }
    } catch (const DbError &error) {
        return error.message();
    }
    if (!missing.isEmpty())
        return QStringLiteral("it lacks the tables %1").arg(missing.join(QStringLiteral(", ")));
    return {};
}

namespace {

// Moves a work file that cannot be installed (with its journal, which belongs to it) to a name no
// later compaction removes. Returns the new name, or empty when it could not be moved.
QString setAside(const QString &work)
{
    const QString stamp = Clock::instance().now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString aside = QFileInfo(work).absolutePath() + QStringLiteral("/temp-incomplete-%1.mdb").arg(stamp);
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
        *note = QStringLiteral("%1 is missing, and the compaction's work file beside it was not put in its place: %2. ")
                    .arg(QDir::toNativeSeparators(database), fault)
            + (aside.isEmpty() ? QStringLiteral("It is left as it was.")
                               : QStringLiteral("It is kept as %1.").arg(QDir::toNativeSeparators(aside)));
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
            *why = note.isEmpty() ? QStringLiteral("database file not found") : note;
        return false;
    }
    // Beside a sound database, a work file is what an earlier run left unfinished: its journal goes with it.
    for (const char *suffix : kJournalSuffixes)
        QFile::remove(work + QLatin1String(suffix));
    if (QFileInfo::exists(work) && !QFile::remove(work)) {
        if (why)
            *why = QStringLiteral("cannot remove the stale work file");
        return false;
    }
    QMap<QString, qint64> before;
    if (!passesChecks(database, why, &before))
        return false;
    try {
        Db db(database);
        // Another program writing the file holds a lock we cannot take.
        db.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        db.exec(QStringLiteral("COMMIT"));
        db.exec(QStringLiteral("VACUUM INTO ?"), {work});
    } catch (const DbError &error) {
        if (why)
            *why = error.message();
        QFile::remove(work);
        return false;
    }
    QMap<QString, qint64> after;
    if (!passesChecks(work, why, &after) || after != before) {
        if (why && why->isEmpty())
            *why = QStringLiteral("the compacted copy does not hold the same rows");
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
    const qint64 pages = db.scalar(QStringLiteral("PRAGMA page_count")).toLongLong();
    const qint64 free = db.scalar(QStringLiteral("PRAGMA freelist_count")).toLongLong();
    return pages > 0 && free * 10 >= pages;
}

bool CompactDb()
{
    return compactDatabaseIn(cAppSettings::instance().DBPath);
}
