// The pieces of the answer format, the request, the MariaDB address and statement check, and the address groups
// of the server's caps, that do not need a server.
// The MySQL-to-SQLite translation is checked end to end with the client's own query texts.

#include "DialectFunctions.h"
#include "MariaDb.h"
#include "MariaDbDialect.h"
#include "QueryAdmission.h"
#include "QueryString.h"

#include <QTemporaryFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestDataServerDialect : public QObject
{
    Q_OBJECT

private slots:
    void formatDecimal_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("half up") << 1.25 << 1 << 3 << QByteArray("1.3");
        QTest::newRow("binary-inexact half") << 0.15 << 1 << 3 << QByteArray("0.2");
        QTest::newRow("half away from zero") << -2.5 << 0 << 5 << QByteArray("-3");
        QTest::newRow("pads decimals") << 4.0 << 2 << 5 << QByteArray("4.00");
        QTest::newRow("carry") << 9.96 << 1 << 3 << QByteArray("10.0");
        QTest::newRow("saturates") << 123456.0 << 0 << 5 << QByteArray("99999");
        QTest::newRow("saturates negative") << -1000.0 << 1 << 3 << QByteArray("-99.9");
        QTest::newRow("no negative zero") << -0.04 << 1 << 3 << QByteArray("0.0");
        QTest::newRow("average") << 18666.666666666668 << 0 << 5 << QByteArray("18667");
    }

    void formatDecimal()
    {
        QFETCH(double, value);
        QFETCH(int, scale);
        QFETCH(int, precision);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(dialectfunctions::formatDecimal(value, scale, precision)), expected);
    }

    void queryString_data()
    {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QByteArray>("user");
        QTest::newRow("form encoding") << QByteArray("sqlquery=SELECT+a%2Bb%20FROM+t&username=bob&userpass=x")
                                       << QByteArray("SELECT a+b FROM t") << QByteArray("bob");
        QTest::newRow("equals and raw ampersand stay in the sql")
            << QByteArray("sqlquery=SELECT * FROM t WHERE a = 'B & C' AND b=%26&username=bob&userpass=x")
            << QByteArray("SELECT * FROM t WHERE a = 'B & C' AND b=&") << QByteArray("bob");
        QTest::newRow("repeated key, last wins")
            << QByteArray("sqlquery=S &username=a&userpass=p&username=b&userpass=p") << QByteArray("S ")
            << QByteArray("b");
        QTest::newRow("stray percent") << QByteArray("sqlquery=100%+%zz%4&username=u") << QByteArray("100% %zz%4")
                                       << QByteArray("u");
    }

    void queryString()
    {
        QFETCH(QByteArray, query);
        QFETCH(QByteArray, sql);
        QFETCH(QByteArray, user);
        const auto values = QueryString::parse(query.toStdString());
        QCOMPARE(QByteArray::fromStdString(values.at("sqlquery")), sql);
        QCOMPARE(QByteArray::fromStdString(values.at("username")), user);
    }

    // Function names and table names are separate name spaces, and a CTE name covers only its own query.
    void mariaDbCteNames_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("cte named after a function")
            << QByteArray("WITH LOAD_FILE AS (SELECT 1) SELECT LOAD_FILE('/etc/passwd')") << false;
        QTest::newRow("cte with columns named after a function")
            << QByteArray("WITH sleep(x) AS (SELECT 1) SELECT x FROM sleep WHERE sleep(5) = 0") << false;
        QTest::newRow("cte name outside its subquery")
            << QByteArray("SELECT * FROM secret_notes WHERE EXISTS (WITH secret_notes AS (SELECT 1) SELECT 1 FROM "
                          "secret_notes)")
            << false;
        QTest::newRow("cte name outside its sibling")
            << QByteArray("SELECT (WITH s AS (SELECT 1) SELECT 1 FROM s), (SELECT 1 FROM s)") << false;
        QTest::newRow("later cte in an earlier body")
            << QByteArray("WITH a AS (SELECT * FROM b), b AS (SELECT 1) SELECT * FROM a") << false;
        QTest::newRow("cte over a form table")
            << QByteArray("WITH last AS (SELECT WHorse, max(WRaceDate) d FROM WORKRACE GROUP BY WHorse) "
                          "SELECT * FROM last l JOIN HORSMAST h ON h.HHorse = l.WHorse")
            << true;
        QTest::newRow("earlier cte in a later body, and in a subquery")
            << QByteArray(
                   "WITH a(n) AS (SELECT 1), b AS (SELECT n FROM a) SELECT * FROM b WHERE n IN (SELECT n FROM a)")
            << true;
        QTest::newRow("recursive cte")
            << QByteArray("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3) "
                          "SELECT count(*) FROM c")
            << true;
    }

    void mariaDbCteNames()
    {
        QFETCH(QByteArray, sql);
        QFETCH(bool, allowed);
        const MariaDbStatement statement = prepareForMariaDb(sql.toStdString());
        QVERIFY2(statement.ok == allowed, statement.error.c_str());
        if (!allowed)
            QCOMPARE(QByteArray::fromStdString(statement.errorKind), QByteArray("refused"));
    }

    // Words are matched without regard to ASCII case; form table names go out as the schema spells them.
    void mariaDbWordCase_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QByteArray>("sent"); // empty: refused
        QTest::newRow("tables in any case") << QByteArray("select hhorse from horsmast, TRACK where TrackCode = 'X'")
                                            << QByteArray("select hhorse from HORSMAST, Track where TrackCode = 'X'");
        QTest::newRow("function in mixed case") << QByteArray("SELECT sLeEp(1)") << QByteArray();
        QTest::newRow("allowed function in lower case")
            << QByteArray("select upper(hhorse) from HorsMast") << QByteArray("select upper(hhorse) from HORSMAST");
        QTest::newRow("statement word in lower case") << QByteArray("drop table WORKRACE") << QByteArray();
        QTest::newRow("accented look-alike is another table")
            << QByteArray("SELECT 1 FROM WORKRAC\xc3\x89") << QByteArray();
    }

    void mariaDbWordCase()
    {
        QFETCH(QByteArray, sql);
        QFETCH(QByteArray, sent);
        const MariaDbStatement statement = prepareForMariaDb(sql.toStdString());
        QCOMPARE(statement.ok, !sent.isEmpty());
        if (statement.ok)
            QCOMPARE(QByteArray::fromStdString(statement.sql), sent);
    }

    // A password in the address shows in the process list; without one it comes from the environment.
    void mariaDbPassword_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("file");     // OSTREVAN_DB_PASSWORD_FILE's content; "-": names no file there is
        QTest::addColumn<QByteArray>("variable"); // OSTREVAN_DB_PASSWORD
        QTest::addColumn<QString>("expected");    // the password, or "error"
        const QString bare = u"mariadb://reader@localhost/form"_s;
        QTest::newRow("in the address") << u"mariadb://reader:p%40ss@db/form"_s << QByteArray("x") << QByteArray("y")
                                        << u"p@ss"_s;
        QTest::newRow("file's first line")
            << bare << QByteArray("s3cret\r\nsecond\n") << QByteArray("y") << u"s3cret"_s;
        QTest::newRow("variable") << bare << QByteArray() << QByteArray("from env") << u"from env"_s;
        QTest::newRow("no such file") << bare << QByteArray("-") << QByteArray("y") << u"error"_s;
    }

    void mariaDbPassword()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, variable);
        QFETCH(QString, expected);
        QTemporaryFile written;
        QVERIFY(written.open() && written.write(file) == file.size() && written.flush());
        qputenv("OSTREVAN_DB_PASSWORD_FILE", file.isEmpty() ? QByteArray()
                                             : file == "-"  ? QByteArray("/no/such/file")
                                                            : written.fileName().toLocal8Bit());
        qputenv("OSTREVAN_DB_PASSWORD", variable);
        MariaDbAddress parsed;
        std::string error;
        const bool ok = MariaDbAddress::parse(address.toStdString(), parsed, error);
        qunsetenv("OSTREVAN_DB_PASSWORD_FILE");
        qunsetenv("OSTREVAN_DB_PASSWORD");
        QCOMPARE(ok ? QString::fromStdString(parsed.password) : u"error"_s, expected);
    }

    // One machine holds a whole IPv6 /64: its addresses count as one; IPv4 addresses count each on their own.
    void addressGroups_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("one /64") << u"2001:db8:1:2:aaaa::1"_s << u"2001:db8:1:2:bbbb:1:2:3"_s << true;
        QTest::newRow("next /64") << u"2001:db8:1:2::1"_s << u"2001:db8:1:3::1"_s << false;
        QTest::newRow("IPv4 neighbours") << u"192.0.2.1"_s << u"192.0.2.2"_s << false;
        QTest::newRow("IPv4-mapped") << u"::ffff:192.0.2.1"_s << u"192.0.2.1"_s << true;
        QTest::newRow("mapped neighbours") << u"::ffff:192.0.2.1"_s << u"::ffff:192.0.2.2"_s << false;
    }

    void addressGroups()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(addressGroup(a.toStdString()) == addressGroup(b.toStdString()), same);
    }

    void utf8_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ascii") << QByteArray("abc") << true;
        QTest::newRow("two bytes") << QByteArray("caf\xc3\xa9") << true;
        QTest::newRow("latin-1") << QByteArray("caf\xe9") << false;
        QTest::newRow("overlong") << QByteArray("\xc0\xaf") << false;
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
        QTest::newRow("truncated") << QByteArray("\xe2\x82") << false;
    }

    void utf8()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QCOMPARE(QueryString::isValidUtf8(text.toStdString()), valid);
    }
};

QTEST_GUILESS_MAIN(TestDataServerDialect)
#include "tst_dataserver_dialect.moc"
