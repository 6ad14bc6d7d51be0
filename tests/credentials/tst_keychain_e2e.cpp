// The data-server account with its password in a real secret service (gnome-keyring in a D-Bus session of
// the test's own, see with-secret-service.sh): the settings store's password moves into the keychain once,
// and then every command and the windows send the keychain's password.
#include "support/DataServerProcess.h"
#include "support/TestEnvironment.h"
#include "core/PasswordStore.h"
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"

#include <QProcess>
#include <QtTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kPassword = u"s3cret pw"_s;

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

// The user's own settings file (no --settings), so the keychain is in play.
CliRun cli(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(OSTREVAN_CLI_PATH), arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
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
    void cleanupTestCase();

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
    m_server = std::make_unique<DataServerProcess>(m_serverDir.filePath(u"form.db"_s));
    const QString failure = m_server->build(TestEnvironment::fixture(u"formdata"_s), u"agent"_s, kPassword);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(m_server->start());
    m_env = std::make_unique<TestEnvironment>();
    m_env->createDatabase();
    qunsetenv("OSTREVAN_SETTINGS");
    QVERIFY2(passwordstore::keychainWanted(), "the keychain is not in play");

    // Set up as an older installation left it: the password in the settings file.
    const CliRun set = cli({u"settings-set"_s, u"DBPath"_s, m_env->dataFolder(), u"DataServer"_s, m_server->host(),
                            u"UserName"_s, u"agent"_s, u"UserPass"_s, kPassword});
    QVERIFY2(set.exitCode == 0, qPrintable(set.err));
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
    const CliRun run = cli(arguments);
    QVERIFY2(run.exitCode == 0 && run.out.startsWith(firstLine), qPrintable(run.out + run.err));
    QVERIFY2(!m_server->log().contains("error=credentials"), m_server->log().constData());
}

void TestKeychain::settingsDefaultKeepsTheKeychainPassword()
{
    // A demo set-up run over the agent's own settings: neither value is stored.
    const CliRun run = cli({u"settings-default"_s, u"UserName"_s, u"demo"_s, u"UserPass"_s, u"demo"_s});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"UserName left alone: it already has a value\nUserPass left alone: it already has a value\n"_s);
    QCOMPARE(storedSetting(u"UserPass"_s), QString());
    QVERIFY(cli({u"find-horse"_s, u"oo"_s}).out.startsWith(u"Blue Moon"_s));
    QCOMPARE(passwordstore::readKeychain().value_or(u"-"_s), kPassword);
}

void TestKeychain::cleanupTestCase()
{
    if (m_server)
        m_server->stop();
}

QTEST_MAIN(TestKeychain)
#include "tst_keychain_e2e.moc"
