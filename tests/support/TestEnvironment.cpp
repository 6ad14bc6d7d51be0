#include "TestEnvironment.h"

#include "core/cAppSettings.h"
#include "db/Schema.h"

#include <QDir>

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
    return QStringLiteral(OSTREVAN_FIXTURES_DIR "/") + relative;
}
