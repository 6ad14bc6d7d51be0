// The MySQL-to-SQLite translation and the pieces of the answer format that do not need a server.

#include "DialectFunctions.h"
#include "QueryString.h"
#include "SqlDialect.h"

#include <QTest>

class TestDataServerDialect : public QObject
{
    Q_OBJECT

private slots:
    void translate_data()
    {
        QTest::addColumn<QByteArray>("mysql");
        QTest::addColumn<QByteArray>("sqlite");
        QTest::newRow("limit offset,count") << QByteArray("SELECT a FROM t LIMIT 0,90")
                                            << QByteArray("SELECT a FROM t LIMIT 90 OFFSET 0");
        QTest::newRow("limit count") << QByteArray("SELECT a FROM t Limit 10") << QByteArray("SELECT a FROM t Limit 10");
        QTest::newRow("literal untouched") << QByteArray("SELECT 'LIMIT 0,90 as 2nd' FROM t")
                                           << QByteArray("SELECT 'LIMIT 0,90 as 2nd' FROM t");
        QTest::newRow("digit alias") << QByteArray("SELECT S.WHorse as 2nd, T.WHORSE  as 3rd, 1e3 FROM t")
                                     << QByteArray("SELECT S.WHorse as \"2nd\", T.WHORSE  as \"3rd\", 1e3 FROM t");
        QTest::newRow("cast decimal") << QByteArray("SELECT CAST( Avg(x) AS DECIMAL( 5, 0 ) ), CAST(y As Decimal(3,1))")
                                      << QByteArray("SELECT dec( Avg(x) ,0,5), dec(y ,1,3)");
        QTest::newRow("cast signed") << QByteArray("SELECT CAST(x AS SIGNED)") << QByteArray("SELECT CAST(x AS INTEGER)");
        QTest::newRow("slash date") << QByteArray("WHERE RDate = '2024/3/5' AND d >= '2024/03/05 10:00:00'")
                                    << QByteArray("WHERE RDate = '2024-03-05' AND d >= '2024-03-05 10:00:00'");
        QTest::newRow("not a date") << QByteArray("WHERE a = '24/03/2024'") << QByteArray("WHERE a = '24/03/2024'");
        QTest::newRow("pad space in comparisons") << QByteArray("WHERE a in ( 'X ', 'Y') AND b = 'Z  ' AND instr(c,'W ')")
                                                  << QByteArray("WHERE a in ( 'X', 'Y') AND b = 'Z' AND instr(c,'W ')");
        QTest::newRow("mysql strings") << QByteArray("SELECT \"it's\", 'O\\'Brien', 'a''b'")
                                       << QByteArray("SELECT 'it''s', 'O''Brien', 'a''b'");
        QTest::newRow("backquoted name") << QByteArray("SELECT `Race No` FROM t") << QByteArray("SELECT \"Race No\" FROM t");
        QTest::newRow("logical operators") << QByteArray("WHERE a = 1 || b = 2 && c = 3")
                                           << QByteArray("WHERE a = 1 OR b = 2 AND c = 3");
        QTest::newRow("limited aggregate, correlated")
            << QByteArray("(SELECT AVG(m) FROM WORKRACE WHERE W.WHorse = WHorse ORDER BY d DESC Limit 10)")
            << QByteArray("(SELECT AVG(m) FROM (SELECT * FROM WORKRACE WHERE W.WHorse = WHorse ORDER BY d DESC Limit 10)"
                          " AS WORKRACE)");
        QTest::newRow("limited aggregate, alias")
            << QByteArray("(SELECT max(x.m) FROM t x ORDER BY d LIMIT 0,3)")
            << QByteArray("(SELECT max(x.m) FROM (SELECT * FROM t x ORDER BY d LIMIT 3 OFFSET 0) AS x)");
        QTest::newRow("grouped subquery untouched")
            << QByteArray("(SELECT h, max(d) FROM t GROUP BY h ORDER BY h LIMIT 3)")
            << QByteArray("(SELECT h, max(d) FROM t GROUP BY h ORDER BY h LIMIT 3)");
        QTest::newRow("plain subquery untouched") << QByteArray("(SELECT h FROM t ORDER BY h LIMIT 3)")
                                                  << QByteArray("(SELECT h FROM t ORDER BY h LIMIT 3)");
        QTest::newRow("mysql function names") << QByteArray("SELECT IF(a,1,2), LEFT(b,2), RIGHT(b,2) FROM x LEFT JOIN y")
                                              << QByteArray("SELECT iif(a,1,2), leftstr(b,2), rightstr(b,2) FROM x LEFT JOIN y");
        QTest::newRow("comments") << QByteArray("SELECT 1 # note\n-- more\n/* x */")
                                  << QByteArray("SELECT 1  \n \n ");
        QTest::newRow("unterminated kept") << QByteArray("SELECT 'abc") << QByteArray("SELECT 'abc");
    }

    void translate()
    {
        QFETCH(QByteArray, mysql);
        QFETCH(QByteArray, sqlite);
        QCOMPARE(QByteArray::fromStdString(SqlDialect::translate(mysql.toStdString())), sqlite);
    }

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
