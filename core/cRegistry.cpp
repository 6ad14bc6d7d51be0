#include "cRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

RegistryError::RegistryError(QString source, QString description)
    : std::runtime_error(description.toStdString()), m_source(std::move(source)), m_description(std::move(description))
{}

cRegistry::cRegistry() = default;
cRegistry::~cRegistry() = default;

void cRegistry::setClassKey(quint32 root)
{
    m_classKey = root;
    m_store.reset();
}

void cRegistry::setSectionKey(const QString &path)
{
    m_sectionKey = path;
    m_store.reset();
}

QString cRegistry::storeLocation(const QString &sectionKey)
{
#ifdef Q_OS_WIN
    return u"HKEY_CURRENT_USER\\"_s + sectionKey;
#else
    QString relative = sectionKey;
    relative.replace(u'\\', u'/');
    if (relative.startsWith("Software/"_L1, Qt::CaseInsensitive))
        relative.remove(0, int(qstrlen("Software/")));
    if (relative.compare("Ostrevan/AppSettings"_L1, Qt::CaseInsensitive) == 0) {
        const QString overridden = qEnvironmentVariable("OSTREVAN_SETTINGS");
        if (!overridden.isEmpty())
            return overridden;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + relative + u".conf"_s;
#endif
}

bool cRegistry::holdsValues(const QString &sectionKey)
{
#ifdef Q_OS_WIN
    QSettings settings(storeLocation(sectionKey), QSettings::NativeFormat);
#else
    QSettings settings(storeLocation(sectionKey), QSettings::IniFormat);
#endif
    return !settings.allKeys().isEmpty();
}

QSettings &cRegistry::store()
{
    if (!m_store) {
#ifdef Q_OS_WIN
        m_store = std::make_unique<QSettings>(storeLocation(m_sectionKey), QSettings::NativeFormat);
#else
        m_store = std::make_unique<QSettings>(storeLocation(m_sectionKey), QSettings::IniFormat);
#endif
    }
    return *m_store;
}

QVariant cRegistry::value()
{
    QSettings &settings = store();
    if (settings.status() != QSettings::NoError || !settings.contains(m_valueKey))
        return m_default;
    QVariant stored = settings.value(m_valueKey);
    // An INI value written by hand with commas reads back as a list; it is one text to us.
    if (stored.userType() == QMetaType::QStringList)
        return stored.toStringList().join(u',');
    if (stored.userType() == QMetaType::QString) {
        const QString text = stored.toString();
        const qsizetype first = text.indexOf(u'%');
        if (first >= 0 && text.indexOf(u'%', first + 1) > first)
            return expandEnvironmentStrings(text);
        return text;
    }
    if (stored.canConvert<QString>())
        return stored.toString();
    return stored;
}

void cRegistry::fail(const QVariant &value) const
{
    const QString source = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + u".cRegistry"_s;
    throw RegistryError(source, u"Failed to set registry value Key: '%1',Section:'%2',Key: '%3' to value: '%4'"_s.arg(
                                    QString::number(m_classKey), m_sectionKey, m_valueKey, value.toString()));
}

void cRegistry::setValue(const QVariant &value)
{
    QSettings &settings = store();
    if (!settings.isWritable() || settings.status() == QSettings::AccessError)
        fail(value);
#ifndef Q_OS_WIN
    // The INI file's folder must exist before the first write can succeed.
    const QFileInfo file(settings.fileName());
    if (!QDir().mkpath(file.absolutePath()))
        fail(value);
#endif
    switch (m_valueType) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        settings.setValue(m_valueKey, value.toString());
        break;
    case REG_BINARY:
        if (value.userType() != QMetaType::QByteArray)
            fail(value);
        settings.setValue(m_valueKey, value.toByteArray());
        break;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok)
            fail(value);
        settings.setValue(m_valueKey, number);
        break;
    }
    default:
        fail(value);
    }
}

void cRegistry::flush()
{
    if (!m_store)
        return;
    m_store->sync();
    if (m_store->status() != QSettings::NoError)
        fail(QVariant());
}

QString expandEnvironmentStrings(const QString &text)
{
    QString result;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(u'%', pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'%', open + 1);
        if (close < 0) {
            result += text.mid(pos);
            break;
        }
        result += text.mid(pos, open - pos);
        const QString name = text.mid(open + 1, close - open - 1);
        if (!name.isEmpty() && qEnvironmentVariableIsSet(name.toLocal8Bit().constData())) {
            result += qEnvironmentVariable(name.toLocal8Bit().constData());
            pos = close + 1;
        } else {
            // Not a variable: keep the first "%" and look for a reference from the second one on.
            result += text.mid(open, close - open);
            pos = close;
        }
    }
    return result;
}
