#include "TestEnvironment.h"

#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QDir>
#include <QProcess>
#include <QSqlRecord>

using namespace Qt::Literals::StringLiterals;

TestEnvironment::TestEnvironment()
{
    Q_ASSERT(m_dir.isValid());
    QDir().mkpath(programFolder());
    QDir().mkpath(dataFolder());
    qputenv("OSTREVAN_SETTINGS", settingsFile().toLocal8Bit());
    qputenv("OSTREVAN_HOME", programFolder().toLocal8Bit());
    cAppSettings::instance().reset();
    cAppSettings::instance().DBPath = dataFolder();
}

TestEnvironment::~TestEnvironment()
{
    cAppSettings::instance().reset();
    qunsetenv("OSTREVAN_SETTINGS");
    qunsetenv("OSTREVAN_HOME");
}

void TestEnvironment::createDatabase() const
{
    schema::createDatabase(databaseFile());
}

QString TestEnvironment::fixture(const QString &relative)
{
    return QString::fromUtf8(OSTREVAN_FIXTURES_DIR "/") + relative;
}

TestEnvironment::CliRun TestEnvironment::runCli(const QStringList &arguments) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"OSTREVAN_HOME"_s, programFolder());
    environment.remove(u"OSTREVAN_SETTINGS"_s);
    process.setProcessEnvironment(environment);
    process.start(QString::fromUtf8(OSTREVAN_CLI_PATH), QStringList{u"--settings"_s, settingsFile()} + arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList queryRows(const QString &sql, const QVariantList &values)
{
    QStringList rows;
    QueryResult query = OpenQuery(sql, values);
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.query.record().count(); ++i)
            fields << query.value(i).toString();
        rows << fields.join(u'|');
    }
    return rows;
}
