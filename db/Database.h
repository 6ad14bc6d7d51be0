#pragma once

#include "core/MessageError.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

using namespace Qt::Literals::StringLiterals;

inline const QString kDatabaseFileName = u"Kelbrin.mdb"_s;
inline const QString kCompactWorkFileName = u"temp.mdb"_s;

// A failed database statement or connection; ends the operation at that step.
class DbError : public MessageError
{
public:
    using MessageError::MessageError;
};

// The database file inside a folder: a trailing separator or none give the same file; an
// empty folder means the program folder.
QString databaseFileIn(const QString &folder);
// The database file named by the `DBPath` setting.
QString databaseFilePath();

// One open connection to a database file, closed when it goes out of scope. Every operation
// opens its own; nothing keeps the database open between operations.
class Db
{
public:
    explicit Db(const QString &filePath, bool mustExist = true);
    ~Db();
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;
    Db(Db &&other) noexcept;

    QSqlDatabase &handle() { return m_db; }
    const QString &filePath() const { return m_filePath; }

    // Prepares and runs one statement with bound values; throws DbError on failure.
    QSqlQuery exec(const QString &sql, const QVariantList &values = {});
    // First column of the first row, or an invalid QVariant when there is no row.
    QVariant scalar(const QString &sql, const QVariantList &values = {});

    void begin();
    void commit();
    void rollback();

private:
    QString m_connection;
    QString m_filePath;
    QSqlDatabase m_db;
};

// Rolls back unless committed: a failure inside leaves the database as it was.
class Transaction
{
public:
    explicit Transaction(Db &db) : m_db(db) { m_db.begin(); }
    ~Transaction()
    {
        if (!m_done)
            m_db.rollback();
    }
    void commit()
    {
        m_db.commit();
        m_done = true;
    }

private:
    Db &m_db;
    bool m_done = false;
};

// Opens the database named by `DBPath`.
Db OpenDb();

// A query result together with the connection it lives on.
struct QueryResult {
    Db db;
    QSqlQuery query;
    bool next() { return query.next(); }
    QVariant value(const QString &field) const { return query.value(field); }
    QVariant value(int column) const { return query.value(column); }
    // The column number of a field of the result: loaders of many columns look each up once per
    // query and read the rows by it. Throws DbError when the result has no such field.
    int field(QLatin1StringView name) const;
};
QueryResult OpenQuery(const QString &sql, const QVariantList &values = {});

// Doubles every single quote, so that the text can stand between single quotes in SQL.
QString SqlQuote(const QString &text);
// Doubles single quotes (writing that back into `text`), then turns "&" into "%26": for SQL
// that travels inside a query string.
QString SqlQuoteForUrl(QString &text);

// Adds the column, or changes the declared type of an existing one (names compared
// case-sensitively), keeping every row. `typeText` is a field type as the system names them:
// "Text(2)", "Date", "Single", "Long", "Yes/No", "Currency", …
void AddOrAlterColumn(const QString &table, const QString &field, const QString &typeText);
// Gives the columns of these names, in every table that has them, case-blind comparison
// (COLLATE NOCASE), rebuilding each table that lacks it in one transaction. Rows whose key then
// equals an earlier row's are left out (the first row stays). Throws DbError.
void makeColumnsCaseBlind(const QStringList &columnNames);
// The SQLite declared type for a field type text.
QString sqliteTypeFor(const QString &typeText);

// Compacts the database file named by `DBPath` through a verified copy; the original is
// replaced only by a copy that passed its checks. Returns false on any failure.
bool CompactDb();
// Compacts the database file in `folder`.
bool compactDatabaseIn(const QString &folder, QString *why = nullptr);
// When an earlier compaction stopped after the database file was gone, puts its verified
// work copy back. Returns true when the database file exists afterwards.
bool recoverInterruptedCompaction(const QString &folder);
