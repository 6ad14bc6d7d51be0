#pragma once

#include "formdata/FormStatistics.h"

#include <QDialog>
#include <QTableView>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableWidget;

// Runs grid that draws each run's spell or freshen text in a band beneath the run's cells.
class StatsGridView final : public QTableView
{
    Q_OBJECT
public:
    using QTableView::QTableView;
    static constexpr int kRowTextRole = Qt::UserRole + 1;
    static constexpr int kRowTextColorRole = Qt::UserRole + 2;
    // Height of the band under a row with a row text.
    int bandHeight() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The past runs of a horse, jockey or trainer with the one-line summary, for the hand-over
// values set by the caller (StatsHandOver).
class FrmRaceStats final : public QDialog
{
    Q_OBJECT
public:
    explicit FrmRaceStats(QWidget *parent = nullptr);

    // Reads the hand-over values, restores the mode family's layout, queries and fills both grids.
    void load();

    QLabel *lblStatsDesc = nullptr;
    StatsGridView *grdStats = nullptr;
    QTableWidget *GrdSummary = nullptr;
    QPushButton *cmdExit = nullptr;

    QStandardItemModel *runsModel() const { return m_model; }
    const formstats::Summary &summary() const { return m_summary; }

protected:
    void done(int result) override;

private:
    // A header click on column c (1-based).
    void sortByColumn(int column);
    // Opens the result of a run row (1-based).
    void openRun(int row);
    void buildColumns();
    void fill(const QList<formstats::RunRow> &runs);
    void fillSummary();
    void restoreLayout();
    void storeLayout();
    void updateRowHeights();
    void widenToTexts();

    QStandardItemModel *m_model = nullptr;
    formstats::Mode m_mode = formstats::Mode::Other;
    formstats::Summary m_summary;
    QList<bool> m_descendingNext;
};
