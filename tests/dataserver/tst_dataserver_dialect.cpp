// The pieces of the answer format and the request that do not need a server. The MySQL-to-SQLite
// translation is checked end to end with the client's own query texts.

#include "DialectFunctions.h"
#include "QueryString.h"

#include <QTest>

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
        QTest::newRow("repeated key, last wins") << QByteArray("sqlquery=S &username=a&userpass=p&username=b&userpass=p")
                                                  << QByteArray("S ") << QByteArray("b");
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
