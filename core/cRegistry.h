#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>

class QSettings;

// Raised when a value cannot be written; carries the source and description texts of the original.
class RegistryError : public std::runtime_error
{
public:
    RegistryError(QString source, QString description);
    const QString &source() const { return m_source; }
    const QString &description() const { return m_description; }

private:
    QString m_source;
    QString m_description;
};

// Property-style access to one value of the per-user store. On Windows the store is the
// registry; elsewhere a group-less INI file per key path under the user's config folder
// (the environment variable OSTREVAN_SETTINGS names another file for the settings key).
class cRegistry
{
public:
    static constexpr quint32 HKEY_CURRENT_USER = 0x80000001u;
    enum ValueTypes { REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3, REG_DWORD = 4, REG_DWORD_BIG_ENDIAN = 5 };

    cRegistry();
    ~cRegistry();

    void setClassKey(quint32 root);
    void setSectionKey(const QString &path);
    void setValueKey(const QString &name) { m_valueKey = name; }
    void setValueType(int type) { m_valueType = type; }
    void setDefault(const QVariant &value) { m_default = value; }

    // The stored value as text (numbers as decimal text); Default when it cannot be read.
    // Text holding two "%" comes back with environment variables expanded.
    QVariant value();
    // Writes the value by ValueType; throws RegistryError when the store cannot be written.
    void setValue(const QVariant &value);
    // Writes pending values through; throws RegistryError when the store refuses them.
    void flush();

    // Whether the store of a key path holds any value yet (false before anything was ever saved).
    static bool holdsValues(const QString &sectionKey);
    // Where the store for a key path lives on this platform (a file path, or the registry path on Windows).
    static QString storeLocation(const QString &sectionKey);

private:
    QSettings &store();
    [[noreturn]] void fail(const QVariant &value) const;

    quint32 m_classKey = HKEY_CURRENT_USER;
    QString m_sectionKey;
    QString m_valueKey;
    int m_valueType = REG_SZ;
    QVariant m_default;
    std::unique_ptr<QSettings> m_store;
};

// Expands %NAME% references to environment variables; unknown names stay as they are.
QString expandEnvironmentStrings(const QString &text);
