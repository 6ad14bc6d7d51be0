#include "core/ColumnLayout.h"
#include "core/ui/HeaderLayout.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(layout::Placement)

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void parseList_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("gaps count as zero") << "120,,80" << 4 << QList<int>{120, 0, 80, 0};
        QTest::newRow("longer list is cut") << "1,2,3,4,5" << 3 << QList<int>{1, 2, 3};
        QTest::newRow("empty") << "" << 3 << QList<int>{0, 0, 0};
        QTest::newRow("decimals round") << "99.6,10.4" << 2 << QList<int>{100, 10};
        QTest::newRow("garbage is zero") << "abc,-5,7" << 3 << QList<int>{0, -5, 7};
        QTest::newRow("zero columns") << "1,2" << 0 << QList<int>{};
    }

    void parseList()
    {
        QFETCH(QString, text);
        QFETCH(int, columns);
        QFETCH(QList<int>, expected);
        QCOMPARE(layout::parseList(text, columns), expected);
    }

    void sortKey_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("ascending");
        QTest::newRow("3+") << "3+" << true << 3 << true;
        QTest::newRow("3-") << "3-" << true << 3 << false;
        QTest::newRow("3X") << "3X" << true << 3 << false;
        QTest::newRow("12+") << "12+" << true << 12 << true;
        QTest::newRow("3 alone") << "3" << false << 0 << false;
        QTest::newRow("empty") << "" << false << 0 << false;
        QTest::newRow("no number") << "X+" << false << 0 << false;
    }

    void sortKey()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, column);
        QFETCH(bool, ascending);
        const auto key = layout::parseSortKey(text);
        QCOMPARE(key.has_value(), valid);
        if (valid) {
            QCOMPARE(key->column, column);
            QCOMPARE(key->ascending, ascending);
        }
    }

    void headerLayoutRoundTrips_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("widths");
        QTest::addColumn<QString>("expectedOrder");
        QTest::addColumn<QString>("expectedWidths");
        QTest::newRow("permutation") << "2,3,1,4"
                                     << "50,60,70,80"
                                     << "2,3,1,4"
                                     << "50,60,70,80";
        QTest::newRow("widths with gaps keep the rest") << ""
                                                        << "120,,80"
                                                        << "1,2,3,4"
                                                        << "120,100,80,100";
        QTest::newRow("reverse") << "4,3,2,1"
                                 << ""
                                 << "4,3,2,1"
                                 << "100,100,100,100";
        QTest::newRow("short order list") << "2,1"
                                          << ""
                                          << "2,1,3,4"
                                          << "100,100,100,100";
    }

    void headerLayoutRoundTrips()
    {
        QFETCH(QString, order);
        QFETCH(QString, widths);
        QFETCH(QString, expectedOrder);
        QFETCH(QString, expectedWidths);
        QTableView view;
        QStandardItemModel model(2, 4);
        view.setModel(&model);
        view.horizontalHeader()->setDefaultSectionSize(100);
        for (int i = 0; i < 4; ++i)
            view.horizontalHeader()->resizeSection(i, 100);
        applyHeaderLayout(view.horizontalHeader(), order, widths);
        QCOMPARE(headerOrderList(view.horizontalHeader()), expectedOrder);
        QCOMPARE(headerWidthList(view.horizontalHeader()), expectedWidths);

        // What was stored comes back the same on a fresh grid.
        QTableView again;
        QStandardItemModel model2(2, 4);
        again.setModel(&model2);
        applyHeaderLayout(again.horizontalHeader(), headerOrderList(view.horizontalHeader()),
                          headerWidthList(view.horizontalHeader()));
        QCOMPARE(headerOrderList(again.horizontalHeader()), expectedOrder);
        QCOMPARE(headerWidthList(again.horizontalHeader()), expectedWidths);
    }

    void hiddenColumnStaysHidden()
    {
        QTableView view;
        QStandardItemModel model(1, 3);
        view.setModel(&model);
        view.setColumnHidden(2, true);
        const QString widths = headerWidthList(view.horizontalHeader());
        QVERIFY(widths.endsWith(",0"_L1));
        QTableView again;
        QStandardItemModel model2(1, 3);
        again.setModel(&model2);
        again.setColumnHidden(2, true);
        applyHeaderLayout(again.horizontalHeader(), QString(), widths);
        QVERIFY(again.isColumnHidden(2));
    }

    void placement_data()
    {
        QTest::addColumn<layout::Placement>("stored");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("all values") << layout::Placement{30, 40, 500, 400, false} << QRect(30, 40, 500, 400);
        QTest::newRow("zero left keeps place") << layout::Placement{0, 40, 500, 400, false} << QRect(10, 40, 500, 400);
        QTest::newRow("negative ignored") << layout::Placement{-5, -5, 0, 0, false} << QRect(10, 20, 300, 200);
    }

    void placement()
    {
        QFETCH(layout::Placement, stored);
        QFETCH(QRect, expected);
        QWidget window;
        window.setGeometry(10, 20, 300, 200);
        applyPlacement(&window, stored);
        QCOMPARE(window.geometry(), expected);
    }

    void maximisedWins()
    {
        QWidget window;
        window.setGeometry(10, 20, 300, 200);
        applyPlacement(&window, {30, 40, 500, 400, true});
        QVERIFY(window.windowState() & Qt::WindowMaximized);
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
