#pragma once

#include "core/StatusSink.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

using namespace Qt::Literals::StringLiterals;

// Isolates a test from the user's settings, program folder and database: a temporary
// settings file (OSTREVAN_SETTINGS), program folder (OSTREVAN_HOME) and database folder.
// The settings record is reset; DBPath points at the database folder.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    QString root() const { return m_dir.path(); }
    QString settingsFile() const { return m_dir.filePath(u"AppSettings.conf"_s); }
    QString programFolder() const { return m_dir.filePath(u"home"_s); }
    QString dataFolder() const { return m_dir.filePath(u"data"_s); }
    QString databaseFile() const { return dataFolder() + u"/Kelbrin.mdb"_s; }

    // Creates a new database in the data folder (the delivered layout).
    void createDatabase() const;

    static QString fixture(const QString &relative);

    // What a run of ostrevan-cli on this environment's settings and program folder did; status -1 when it
    // did not finish within a minute.
    struct CliRun {
        int status = -1;
        QString out;
        QString err;
        QStringList outLines() const { return out.split(u'\n', Qt::SkipEmptyParts); }
    };
    CliRun runCli(const QStringList &arguments) const;

private:
    QTemporaryDir m_dir;
};

// The rows a query over the working database returns, each as "field|field|...".
QStringList queryRows(const QString &sql, const QVariantList &values = {});

// Records every status text.
class RecordingStatus final : public StatusSink
{
public:
    RecordingStatus() { StatusSink::setInstance(this); }
    ~RecordingStatus() override { StatusSink::setInstance(nullptr); }
    void showStatus(const QString &text) override { texts << text; }
    QStringList texts;
};
