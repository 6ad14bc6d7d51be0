#include "core/cAppSettings.h"
#include "core/cRegistry.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void firstRunLoadsDefaults()
    {
        TestEnvironment env;
        cAppSettings &s = cAppSettings::instance();
        s.reset();
        QVERIFY(s.LoadSettings());
        QCOMPARE(s.DataServer, cAppSettings::kDefaultDataServer);
        QVERIFY(!QFile::exists(env.settingsFile()));
        // The first save creates the store with every value, under the stored names.
        QVERIFY(s.SaveSettings());
        QSettings stored(env.settingsFile(), QSettings::IniFormat);
        QCOMPARE(stored.value(u"Upgraded"_s).toString(), u"False"_s);
        QVERIFY(stored.contains(u"CompanyName"_s));
        QVERIFY(!stored.contains(u"AlreadyUpgraded"_s));
    }

    void emptyDataServerFallsBackToDefault()
    {
        TestEnvironment env;
        QSettings(env.settingsFile(), QSettings::IniFormat).setValue(u"DataServer"_s, QString());
        cAppSettings &s = cAppSettings::instance();
        s.reset();
        QVERIFY(s.LoadSettings());
        QCOMPARE(s.DataServer, cAppSettings::kDefaultDataServer);
    }

    // The start-up saves at every start: with nothing new the file is left alone, a change is written.
    void saveWritesOnlyWhatChanged()
    {
        TestEnvironment env;
        cAppSettings &s = cAppSettings::instance();
        s.reset();
        QVERIFY(s.SaveSettings());
        QFile file(env.settingsFile());
        QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Append));
        file.write("; the agent's note\n"); // gone if the file were written again
        file.close();
        const QByteArray before = [&env] {
            QFile f(env.settingsFile());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(s.SaveSettings());
        QFile again(env.settingsFile());
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), before);
        s.BackupPath = u"/elsewhere"_s;
        QVERIFY(s.SaveSettings());
        s.reset();
        QVERIFY(s.LoadSettings());
        QCOMPARE(s.BackupPath, u"/elsewhere"_s);
    }

    // One field of each kind, with the characters an INI file could mangle.
    void fieldsRoundTrip()
    {
        TestEnvironment env;
        cAppSettings &s = cAppSettings::instance();
        s.reset();
        s.BackupPath = u"/backups"_s;
        s.DebugPath = u"/debug"_s;
        s.MainNomsWidth = u"120,,80"_s;
        s.FrmTrainerWidth = -4;
        s.MainMax = true;
        s.AppVersion = 2.617f;
        s.UserPass = u"p@ss|word,with=signs"_s;
        s.Companyname = u"O'Brien & Sons"_s;
        QVERIFY(s.SaveSettings());
        QSettings stored(env.settingsFile(), QSettings::IniFormat);
        QCOMPARE(stored.value(u"AppVersion"_s).toString(), u"2.617"_s);
        QCOMPARE(stored.value(u"MainMax"_s).toString(), u"True"_s);

        s.reset();
        QVERIFY(s.LoadSettings());
        QCOMPARE(s.BackupPath, u"/backups"_s);
        QCOMPARE(s.DebugPath, u"/debug"_s);
        QCOMPARE(s.MainNomsWidth, u"120,,80"_s);
        QCOMPARE(s.FrmTrainerWidth, -4);
        QCOMPARE(s.MainMax, true);
        QCOMPARE(s.AppVersion, 2.617f);
        QCOMPARE(s.UserPass, u"p@ss|word,with=signs"_s);
        QCOMPARE(s.Companyname, u"O'Brien & Sons"_s);
    }

    void storedTextConverts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QString>("expected"); // the field as text after the load

        QTest::newRow("bool True") << "MainMax"
                                   << "True" << true << "true";
        QTest::newRow("bool false lower") << "MainMax"
                                          << "false" << true << "false";
        QTest::newRow("bool numeric non-zero") << "MainMax"
                                               << "-1" << true << "true";
        QTest::newRow("bool numeric zero") << "MainMax"
                                           << "0" << true << "false";
        QTest::newRow("bool garbage") << "MainMax"
                                      << "maybe" << false << "false";
        QTest::newRow("int") << "MainLeft"
                             << "640" << true << "640";
        QTest::newRow("int rounds decimals") << "MainLeft"
                                             << "12.6" << true << "13";
        QTest::newRow("int not numeric") << "MainLeft"
                                         << "wide" << false << "0";
        QTest::newRow("int too large") << "MainLeft"
                                       << "99999999999" << false << "0";
        QTest::newRow("float") << "AppVersion"
                               << "2.66" << true << "2.66";
        QTest::newRow("float not numeric") << "AppVersion"
                                           << "two" << false << "0";
        // Extra charges were whole dollars once and are cents now; both read as meant.
        QTest::newRow("whole dollars") << "ExtChgVal1"
                                       << "13" << true << "1300";
        QTest::newRow("dollars and cents") << "ExtChgVal1"
                                           << "12.50" << true << "1250";
        QTest::newRow("amount in words") << "ExtChgVal1"
                                         << "ten" << false << "0";
    }

    void storedTextConverts()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(bool, loads);
        QFETCH(QString, expected);
        TestEnvironment env;
        {
            QSettings file(env.settingsFile(), QSettings::IniFormat);
            file.setValue(name, stored);
            file.setValue(u"UserName"_s, u"after the failure"_s);
        }
        cAppSettings &s = cAppSettings::instance();
        s.reset();
        QCOMPARE(s.LoadSettings(), loads);
        QString actual;
        if (name == "MainMax"_L1)
            actual = s.MainMax ? u"true"_s : u"false"_s;
        else if (name == "MainLeft"_L1)
            actual = QString::number(s.MainLeft);
        else if (name == "ExtChgVal1"_L1)
            actual = QString::number(s.ExtChgVal1.wholeCents());
        else
            actual = QString::number(s.AppVersion, 'g', 6);
        QCOMPARE(actual, expected);
        // A value that cannot be read costs no other value.
        QCOMPARE(s.UserName, u"after the failure"_s);
        // The program still starts with usable hosts.
        QVERIFY(!s.RacingHost.isEmpty());
    }

    // A store edited by hand or written under another locale: the one value that cannot be read
    // is named once, the rest load, and saving never blanks or rewrites what was not read.
    void oneUnreadableValueIsLeftAlone_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("line");   // as it stands in the file
        QTest::addColumn<QString>("stored"); // the text the store keeps
        QTest::addColumn<QString>("assigned");
        QTest::newRow("decimal comma") << "AppVersion"
                                       << "AppVersion=\"2,7\""
                                       << "2,7"
                                       << "2.7";
        QTest::newRow("unquoted comma") << "AppVersion"
                                        << "AppVersion=2,617"
                                        << "2,617"
                                        << "2.617";
        QTest::newRow("flag in words") << "Upgraded"
                                       << "Upgraded=Yes please"
                                       << "Yes please"
                                       << "True";
        QTest::newRow("number in words") << "NextInvoiceNumber"
                                         << "NextInvoiceNumber=fifty"
                                         << "fifty"
                                         << "51";
    }

    void oneUnreadableValueIsLeftAlone()
    {
        QFETCH(QString, name);
        QFETCH(QString, line);
        QFETCH(QString, stored);
        QFETCH(QString, assigned);
        TestEnvironment env;
        ScriptedDialogs dialogs;
        const QByteArray others = "Upgraded=True\nNextInvoiceNumber=57\nDefaultState=XA\n"
                                  "ABN=51-824-753-556\nUserName=Ms Zoë O'Hare\nUserPass=pa|ss\n"
                                  "CompanyName=O'Brien & Sons Racing\nAlwCalcWeights=True\n";
        QByteArray text = "[General]\n";
        for (const QByteArray &entry : others.split('\n'))
            if (!entry.isEmpty() && !entry.startsWith(QByteArray(name.toLatin1() + '=')))
                text += entry + '\n';
        text += line.toUtf8() + '\n';
        {
            QFile file(env.settingsFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        cAppSettings &s = cAppSettings::instance();
        s.reset();
        QVERIFY(!s.LoadSettings());
        QVERIFY(!s.wasRead(name));
        QCOMPARE(s.UserName, u"Ms Zoë O'Hare"_s);
        QCOMPARE(s.Companyname, u"O'Brien & Sons Racing"_s);
        QCOMPARE(s.DefaultState, u"XA"_s);
        QVERIFY(s.AlwCalcWeights);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().text.contains(name + u"=\""_s + stored + u'"'));
        // The start-up loads the settings again: the agent is told once.
        QVERIFY(!s.LoadSettings());
        QCOMPARE(dialogs.messages.size(), 1);

        const auto storedText = [&env](const QString &value) {
            QSettings file(env.settingsFile(), QSettings::IniFormat);
            const QVariant v = file.value(value);
            return v.userType() == QMetaType::QStringList ? v.toStringList().join(u',') : v.toString();
        };
        QVERIFY(s.SaveSettings());
        QCOMPARE(storedText(name), stored);
        QCOMPARE(storedText(u"UserPass"_s), u"pa|ss"_s);
        QCOMPARE(storedText(u"ABN"_s), u"51-824-753-556"_s);
        if (name != "NextInvoiceNumber"_L1)
            QCOMPARE(storedText(u"NextInvoiceNumber"_s), u"57"_s);
        // Once the program gives the field a value, that value is stored.
        QVERIFY(s.setFromText(name, assigned));
        QVERIFY(s.SaveSettings());
        QCOMPARE(storedText(name), assigned);
        s.reset();
        QVERIFY(s.LoadSettings());
    }

    void twoPercentSignsExpandEnvironment_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("variable") << "%OSTREVAN_TEST_DIR%\\Racing"
                                  << "C:\\Users\\agent\\Racing";
        QTest::newRow("two variables") << "%OSTREVAN_TEST_DIR%%OSTREVAN_TEST_DIR%"
                                       << "C:\\Users\\agentC:\\Users\\agent";
        QTest::newRow("unknown stays") << "%NO_SUCH_VARIABLE_X%\\a"
                                       << "%NO_SUCH_VARIABLE_X%\\a";
        QTest::newRow("one percent") << "100% sure"
                                     << "100% sure";
        QTest::newRow("percent then variable") << "5% of %OSTREVAN_TEST_DIR%"
                                               << "5% of C:\\Users\\agent";
    }

    void twoPercentSignsExpandEnvironment()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        qputenv("OSTREVAN_TEST_DIR", "C:\\Users\\agent");
        TestEnvironment env;
        cAppSettings &s = cAppSettings::instance();
        s.AddDataPath = stored;
        QVERIFY(s.SaveSettings());
        s.reset();
        QVERIFY(s.LoadSettings());
        QCOMPARE(s.AddDataPath, expected);
    }

    void unwritableStoreFailsTheSave()
    {
        TestEnvironment env;
        // A folder where the settings file should be: nothing can be written there.
        const QString blocked = env.root() + u"/blocked"_s;
        QDir().mkpath(blocked + u"/AppSettings.conf"_s);
        qputenv("OSTREVAN_SETTINGS", (blocked + u"/AppSettings.conf"_s).toLocal8Bit());
        cAppSettings &s = cAppSettings::instance();
        s.UserName = u"someone"_s;
        QVERIFY(!s.SaveSettings());
        QCOMPARE(s.UserName, u"someone"_s);
    }

    void commaListWrittenByHandReadsAsText()
    {
        TestEnvironment env;
        QFile file(env.settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nMainNomsOrder=1,3,2\nMainTrainerWidth=\"120,,80\"\n");
        file.close();
        cAppSettings &s = cAppSettings::instance();
        s.reset();
        QVERIFY(s.LoadSettings());
        QCOMPARE(s.MainNomsOrder, u"1,3,2"_s);
        QCOMPARE(s.MainTrainerWidth, u"120,,80"_s);
    }

    void defaultStateBlankIsVic()
    {
        cAppSettings s;
        s.DefaultState = u"   "_s;
        QCOMPARE(s.effectiveDefaultState(), u"VIC"_s);
        s.DefaultState = u"WA"_s;
        QCOMPARE(s.effectiveDefaultState(), u"WA"_s);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
