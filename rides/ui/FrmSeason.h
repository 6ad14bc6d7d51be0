#pragma once

#include "rides/SeasonFigures.h"

#include <QDialog>

using namespace Qt::Literals::StringLiterals;

class QChart;
class QChartView;
class QComboBox;
class QDateEdit;
class QPainter;
class QPushButton;
class QStandardItemModel;
class QTableView;

// "Season at a Glance": a managed jockey's rides month by month from the stored ride statistics,
// as figures and as a chart (bars for rides and wins, a line for prize money), printable for a
// trainer.
class FrmSeason final : public QDialog
{
    Q_OBJECT
public:
    explicit FrmSeason(const QString &jockey = QString(), QWidget *parent = nullptr);

    static FrmSeason *showFor(QWidget *parent, const QString &jockey);

    void reload();
    // The page as printed: heading, chart and the month lines.
    void paintPage(QPainter &painter, const QRect &page);

    const QList<MonthFigures> &months() const { return m_months; }
    QChart *chart() const;

    QComboBox *cmbJockey = nullptr;
    QDateEdit *dtpFrom = nullptr;
    QDateEdit *dtpTo = nullptr;
    QTableView *grdMonths = nullptr;
    QChartView *chvSeason = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdClose = nullptr;

    static inline const QString kTitle = u"Season at a Glance"_s;

private:
    void printSeason();
    void buildWidgets();
    void fillChart();

    QStandardItemModel *m_model = nullptr;
    QList<MonthFigures> m_months;
};
