// The data-server account with its password in a real secret service (gnome-keyring in a D-Bus session of
// the test's own, see with-secret-service.sh): the settings store's password moves into the keychain once,
// and then every command and the windows send the keychain's password.
#include "core/PasswordStore.h"
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "support/DataServerProcess.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QtTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kPassword = u"s3cret pw"_s;

// The user's own settings file (no --settings), so the keychain is in play. Its output, or its errors on failure.
QString cli(const QStringList &arguments)
{
    QProcess process;
    process.start(QString::fromUtf8(OSTREVAN_CLI_PATH), arguments);
    process.waitForFinished(60000);
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok)
        return u"failed: "_s + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString storedSetting(const QString &name)
{
    cAppSettings &settings = cAppSettings::instance();
    settings.LoadSettings();
    return settings.textOf(name).value_or(u"?"_s);
}

} // namespace

class TestKeychain : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void commandsSendTheKeychainPassword_data();
    void commandsSendTheKeychainPassword();
    void settingsDefaultKeepsTheKeychainPassword();

private:
    QTemporaryDir m_serverDir;
    std::unique_ptr<DataServerProcess> m_server;
    std::unique_ptr<TestEnvironment> m_env;
};

void TestKeychain::initTestCase()
{
    const QString missing = qEnvironmentVariable("OSTREVAN_NO_SECRET_SERVICE");
    if (!missing.isEmpty())
        QSKIP(qPrintable(u"no secret service to test against: "_s + missing));
    // Only in the home of with-secret-service.sh: never the user's own settings and keyring.
    if (qEnvironmentVariable("OSTREVAN_TEST_HOME").isEmpty() ||
        qEnvironmentVariable("OSTREVAN_TEST_HOME") != QDir::homePath())
        QSKIP("run through ctest, which gives it a home and a secret service of its own");
    m_server = std::make_unique<DataServerProcess>(m_serverDir.filePath(u"form.db"_s));
    const QString failure = m_server->build(TestEnvironment::fixture(u"formdata"_s), u"agent"_s, kPassword);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(m_server->start());
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    qunsetenv("OSTREVAN_SETTINGS");
    QVERIFY2(passwordstore::keychainWanted(), "the keychain is not in play");

    // Set up as an older installation left it: the password in the settings file.
    QCOMPARE(cli({u"settings-set"_s, u"DBPath"_s, m_env->dataFolder(), u"DataServer"_s, m_server->host(), u"UserName"_s,
                  u"agent"_s, u"UserPass"_s, kPassword}),
             QString());
    QCOMPARE(storedSetting(u"UserPass"_s), kPassword);

    // The windows' start: the password moves into the keychain and out of the file, and is the one sent.
    passwordstore::loadQueryCredentials();
    QCOMPARE(QueryCredentials::current().userName, u"agent"_s);
    QCOMPARE(QueryCredentials::current().password, kPassword);
    QCOMPARE(storedSetting(u"UserPass"_s), QString());
    QCOMPARE(passwordstore::readKeychain().value_or(u"-"_s), kPassword);
}

void TestKeychain::commandsSendTheKeychainPassword_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("find-horse") << QStringList{u"find-horse"_s, u"oo"_s}
                                << u"Blue Moon\tMoonrise\tBlue Bell\t4\tF\tP Moody"_s;
    QTest::newRow("form") << QStringList{u"form"_s, u"horse"_s, u"green flash (nz)"_s} << u"16/03/24\t2-2\t60kg"_s;
    QTest::newRow("result") << QStringList{u"result"_s, u"2024/02/10"_s, u"RAND"_s, u"3"_s}
                            << u" RAND 10/02/2024 - Australian Turf Club"_s;
}

void TestKeychain::commandsSendTheKeychainPassword()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, firstLine);
    const QString out = cli(arguments);
    QVERIFY2(out.startsWith(firstLine), qPrintable(out));
    QVERIFY2(!m_server->log().contains("error=credentials"), m_server->log().constData());
}

void TestKeychain::settingsDefaultKeepsTheKeychainPassword()
{
    // A demo set-up run over the agent's own settings: neither value is stored.
    QCOMPARE(cli({u"settings-default"_s, u"UserName"_s, u"demo"_s, u"UserPass"_s, u"demo"_s}),
             u"UserName left alone: it already has a value\nUserPass left alone: it already has a value\n"_s);
    QCOMPARE(storedSetting(u"UserPass"_s), QString());
    QVERIFY(cli({u"find-horse"_s, u"oo"_s}).startsWith(u"Blue Moon"_s));
    QCOMPARE(passwordstore::readKeychain().value_or(u"-"_s), kPassword);
}

QTEST_MAIN(TestKeychain)
#include "tst_keychain_e2e.moc"
