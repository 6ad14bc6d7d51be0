#pragma once

#include "Database.h"

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// One statement run through SQLite's own interface on a Db's connection, for loops over thousands of rows:
// Qt's layer caches every row as a list of values and has SQLite convert each text to UTF-16, which costs
// more than SQLite's own work there. Values go in and out as Qt's SQL layer has them: NULL, a whole number
// (qlonglong), a real number (double) or a text. Prepared once, run any number of times; throws DbError.
class NativeStatement
{
public:
    NativeStatement(Db &db, const QString &sql);
    ~NativeStatement();
    NativeStatement(const NativeStatement &) = delete;
    NativeStatement &operator=(const NativeStatement &) = delete;

    // Binds the value of the parameter at `index` (from 0) for the next run.
    void bind(int index, const QVariant &value);
    // Runs a statement that returns no rows.
    void exec();
    // Steps to the next row of the result; false after the last, when the statement is ready to run again.
    bool next();
    // The value of `column` (from 0) in the current row.
    QVariant value(int column) const;

private:
    [[noreturn]] void fail() const;

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    bool m_stepping = false;
};
