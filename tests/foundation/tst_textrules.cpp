#include "core/TextRules.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestTextRules : public QObject
{
    Q_OBJECT

private slots:
    void nameBeforeBracket_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("country code") << u"SUPER STAR (NZ)"_s << u"SUPER STAR "_s;
        QTest::newRow("no bracket") << u"SUPER STAR"_s << u"SUPER STAR"_s;
        QTest::newRow("nested") << u"Kate Rowe (a2 (3))"_s << u"Kate Rowe "_s;
        QTest::newRow("unclosed") << u"LEGEND (FR"_s << u"LEGEND "_s;
        QTest::newRow("leading bracket kept whole") << u"(FR) LEGEND"_s << u"(FR) LEGEND"_s;
        QTest::newRow("blanks then bracket kept whole") << u"  (a2)"_s << u"  (a2)"_s;
        QTest::newRow("leading blanks stay") << u" STAR(NZ)"_s << u" STAR"_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void nameBeforeBracket()
    {
        QFETCH(QString, name);
        QTEST(::nameBeforeBracket(name), "expected");
    }

    // -1 stands for "no number".
    void leadingNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::addColumn<int>("whole");
        QTest::addColumn<int>("tenths");
        QTest::addColumn<int>("exact"); // the text as a whole number
        QTest::newRow("unit and blanks") << u" 58.5kg"_s << 58.5 << 58 << 585 << -1;
        QTest::newRow("point without decimals") << u"5."_s << 5.0 << 5 << 50 << -1;
        QTest::newRow("decimals only") << u".5"_s << 0.5 << -1 << 5 << -1;
        QTest::newRow("blanks around") << u" 12 "_s << 12.0 << 12 << 120 << 12;
        QTest::newRow("sign") << u"-2"_s << -2.0 << -1 << -20 << -2;
        QTest::newRow("exponent") << u"1.5e3"_s << 1500.0 << 1 << 15000 << -1;
        QTest::newRow("e without digits") << u"5yo"_s << 5.0 << 5 << 50 << -1;
        QTest::newRow("word") << u"WON"_s << -1.0 << -1 << -1 << -1;
        QTest::newRow("non-ASCII digits") << u"\u0665\u0666"_s << -1.0 << -1 << -1 << -1;
        QTest::newRow("beyond 32 bits") << u"99999999999"_s << 99999999999.0 << -1 << -1 << -1;
    }
    void leadingNumbers()
    {
        QFETCH(QString, text);
        QTEST(leadingNumber(text).value_or(-1.0), "number");
        QTEST(leadingWholeNumber(text).value_or(-1), "whole");
        QTEST(weightTenths(text).value_or(-1), "tenths");
        QTEST(wholeNumber(text).value_or(-1), "exact");
    }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
