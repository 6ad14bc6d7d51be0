#include "NativeStatement.h"

#include <QSqlDriver>

#include <sqlite3.h>

NativeStatement::NativeStatement(Db &db, const QString &sql)
{
    const QVariant handle = db.handle().driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_db = *static_cast<sqlite3 *const *>(handle.constData());
    if (!m_db)
        throw DbError(u"The database connection is not open, so this cannot be done: "_s + sql);
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(m_db)) + u" in "_s + sql);
}

NativeStatement::~NativeStatement()
{
    sqlite3_finalize(m_statement);
}

void NativeStatement::fail() const
{
    throw DbError(QString::fromUtf8(sqlite3_errmsg(m_db)) + u" in "_s + QString::fromUtf8(sqlite3_sql(m_statement)));
}

void NativeStatement::bind(int index, const QVariant &value)
{
    if (m_stepping) {
        sqlite3_reset(m_statement);
        m_stepping = false;
    }
    const int parameter = index + 1;
    int status = SQLITE_OK;
    if (value.isNull()) {
        status = sqlite3_bind_null(m_statement, parameter);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool:
            status = sqlite3_bind_int64(m_statement, parameter, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            status = sqlite3_bind_double(m_statement, parameter, value.toDouble());
            break;
        default: {
            const QString text = value.toString();
            status = sqlite3_bind_text16(m_statement, parameter, text.utf16(), int(text.size() * sizeof(char16_t)),
                                         SQLITE_TRANSIENT);
        }
        }
    }
    if (status != SQLITE_OK)
        fail();
}

void NativeStatement::exec()
{
    if (next())
        sqlite3_reset(m_statement);
    m_stepping = false;
}

bool NativeStatement::next()
{
    // A failed step leaves the statement to be reset before its next run, which binding does.
    m_stepping = true;
    const int status = sqlite3_step(m_statement);
    if (status == SQLITE_ROW)
        return true;
    if (status != SQLITE_DONE)
        fail();
    sqlite3_reset(m_statement);
    m_stepping = false;
    return false;
}

QVariant NativeStatement::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(m_statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_statement, column);
    case SQLITE_NULL:
        return {};
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
    }
    }
}
