#include "FrmRaceStats.h"

#include "FormWindows.h"
#include "core/Sound.h"
#include "core/cAppSettings.h"
#include "core/ui/BusyPointer.h"
#include "core/ui/HeaderLayout.h"
#include "core/ui/ReadOnlyGrid.h"
#include "formdata/FormText.h"
#include "roster/ManagedJockeys.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using namespace formstats;

namespace {

constexpr int kSortRole = Qt::UserRole;

// Keeps a run's own cells above the band of its row text.
class RunCellDelegate final : public QStyledItemDelegate
{
public:
    RunCellDelegate(StatsGridView *view) : QStyledItemDelegate(view), m_view(view) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem cell(option);
        if (!index.siblingAtColumn(0).data(StatsGridView::kRowTextRole).toString().isEmpty())
            cell.rect.setHeight(option.rect.height() - m_view->bandHeight());
        QStyledItemDelegate::paint(painter, cell, index);
    }

private:
    StatsGridView *m_view;
};

// The settings of one mode family: horse, trainer or jockey windows.
StoredGridWindow familyOf(Mode mode)
{
    cAppSettings &s = cAppSettings::instance();
    switch (mode) {
    case Mode::Trainer:
    case Mode::TrainerJockey:
        return {&s.StatTrainerOrder, &s.StatTrainerWidth, &s.FrmTrainerLeft, &s.FrmTrainerTop,
                &s.FrmTrainerWidth,  &s.FrmTrainerHeight, &s.FrmTrainerMax};
    case Mode::Jockey:
        return {&s.StatJockeyOrder, &s.StatJockeyWidth, &s.FrmJockeyLeft, &s.FrmJockeyTop,
                &s.FrmJockeyWidth,  &s.FrmJockeyHeight, &s.FrmJockeyMax};
    default:
        return {&s.StatHorseOrder, &s.StatHorseWidth, &s.FrmHorseLeft, &s.FrmHorseTop,
                &s.FrmHorseWidth,  &s.FrmHorseHeight, &s.FrmHorseMax};
    }
}

QVariant sortKey(int column, const RunRow &run)
{
    switch (column) {
    case RaceDate:
        return run.date;
    case FinishPosition:
        return run.position;
    default:
        break;
    }
    const QString text = run.cell(column);
    return columns().at(column - 1).numeric ? QVariant(leadingNumber(text).value_or(0)) : QVariant(text.toUpper());
}

} // namespace

int StatsGridView::bandHeight() const
{
    return fontMetrics().height() + 4;
}

void StatsGridView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (!model())
        return;
    QPainter painter(viewport());
    const int band = bandHeight();
    const int rows = model()->rowCount();
    for (int row = rowAt(0); row >= 0 && row < rows; ++row) {
        const int y = rowViewportPosition(row);
        if (y > viewport()->height())
            break;
        const QModelIndex first = model()->index(row, 0);
        const QString text = first.data(kRowTextRole).toString();
        if (text.isEmpty())
            continue;
        const QRect rect(0, y + rowHeight(row) - band, viewport()->width(), band - 1);
        painter.fillRect(rect, first.data(kRowTextColorRole).value<QColor>());
        painter.setPen(Qt::black);
        painter.drawText(rect, Qt::AlignCenter, text);
    }
}

FrmRaceStats::FrmRaceStats(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FrmRaceStats"_s);
    setWindowTitle(u"Racing Statistics"_s);
    resize(1100, 600);
    auto *layout = new QVBoxLayout(this);
    lblStatsDesc = new QLabel(this);
    lblStatsDesc->setObjectName(u"lblStatsDesc"_s);
    QFont bold = lblStatsDesc->font();
    bold.setBold(true);
    lblStatsDesc->setFont(bold);
    layout->addWidget(lblStatsDesc);

    GrdSummary = new QTableWidget(2, 10, this);
    GrdSummary->setObjectName(u"GrdSummary"_s);
    GrdSummary->horizontalHeader()->hide();
    GrdSummary->verticalHeader()->hide();
    GrdSummary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdSummary->setFixedHeight(2 * GrdSummary->verticalHeader()->defaultSectionSize() + 4);
    layout->addWidget(GrdSummary);

    grdStats = new StatsGridView(this);
    grdStats->setObjectName(u"grdStats"_s);
    m_model = new QStandardItemModel(this);
    m_model->setSortRole(kSortRole);
    grdStats->setModel(m_model);
    grdStats->setItemDelegate(new RunCellDelegate(grdStats));
    grdStats->setSelectionMode(QAbstractItemView::SingleSelection);
    grdStats->setWordWrap(false);
    setUpReadOnlyGrid(grdStats);
    grdStats->horizontalHeader()->setSectionsMovable(true);
    grdStats->horizontalHeader()->setSectionsClickable(true);
    grdStats->horizontalHeader()->setSortIndicatorShown(true);
    layout->addWidget(grdStats, 1);

    auto *buttons = new QHBoxLayout;
    cmdExit = new QPushButton(u"E&xit"_s, this);
    cmdExit->setObjectName(u"cmdExit"_s);
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    layout->addLayout(buttons);

    connect(cmdExit, &QPushButton::clicked, this, &QDialog::accept);
    connect(grdStats->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { sortByColumn(section + 1); });
    connect(grdStats, &QTableView::doubleClicked, this, [this](const QModelIndex &index) { openRun(index.row() + 1); });
    buildColumns();
}

void FrmRaceStats::buildColumns()
{
    const QList<ColumnSpec> &specs = columns();
    m_model->setColumnCount(specs.size());
    m_descendingNext.clear();
    for (int c = 0; c < specs.size(); ++c) {
        auto *header = new QStandardItem(specs.at(c).caption);
        header->setTextAlignment(specs.at(c).headerAlign);
        m_model->setHorizontalHeaderItem(c, header);
        m_descendingNext << specs.at(c).descendingFirst;
        grdStats->setColumnHidden(c, specs.at(c).hidden);
        if (specs.at(c).width > 0)
            grdStats->horizontalHeader()->resizeSection(c, specs.at(c).width);
    }
}

void FrmRaceStats::load()
{
    StatsHandOver &values = StatsHandOver::instance();
    m_mode = modeFromText(values.StatsMode);
    const QString jockeys = ManagedJockeys::IconJockeyList();
    // The request is built first so that caption and columns are right even when the query fails.
    StatsHandOver preview = values;
    const StatsRequest request = prepareRequest(preview, jockeys);
    setWindowTitle(u"Racing Statistics"_s + request.captionSuffix);
    lblStatsDesc->setText(request.label);
    grdStats->setColumnHidden(Horse - 1, !request.showHorse);
    grdStats->setColumnHidden(Jockey - 1, !request.showJockey);
    grdStats->setColumnHidden(Trainer - 1, !request.showTrainer);
    restoreLayout();
    m_summary = Summary{};
    std::optional<StatsResult> result;
    {
        BusyPointer busy;
        result = loadStatistics(values, jockeys);
    }
    if (result) {
        m_summary = result->summary;
        fill(result->runs);
        // Until the agent has set widths, no column cuts its texts short.
        if (familyOf(m_mode).width->isEmpty())
            widenToTexts();
    }
    fillSummary();
}

void FrmRaceStats::fill(const QList<RunRow> &runs)
{
    m_model->removeRows(0, m_model->rowCount());
    const QList<ColumnSpec> &specs = columns();
    for (const RunRow &run : runs) {
        QList<QStandardItem *> items;
        const QColor color = conditionColor(run.condition);
        for (int c = 1; c <= ColumnCount; ++c) {
            auto *item = new QStandardItem(c == Spell ? run.rowText : run.cell(c));
            item->setData(sortKey(c, run), kSortRole);
            item->setTextAlignment(c == FP                   ? Qt::AlignCenter
                                   : specs.at(c - 1).numeric ? Qt::AlignRight | Qt::AlignVCenter
                                                             : Qt::AlignLeft | Qt::AlignVCenter);
            if (color.isValid())
                item->setForeground(color);
            items << item;
        }
        items.first()->setData(run.rowText, StatsGridView::kRowTextRole);
        items.first()->setData(run.spell ? kSpellColor : kFreshenColor, StatsGridView::kRowTextColorRole);
        m_model->appendRow(items);
    }
    updateRowHeights();
}

void FrmRaceStats::widenToTexts()
{
    // One measurement per column, of its longest text: measuring every cell costs more than the whole fill.
    const QFontMetrics metrics = grdStats->fontMetrics();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (grdStats->isColumnHidden(c))
            continue;
        QString longest;
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const QString text = m_model->item(row, c)->text();
            if (text.size() > longest.size())
                longest = text;
        }
        grdStats->setColumnWidth(c, std::max(grdStats->columnWidth(c), metrics.horizontalAdvance(longest) + 14));
    }
}

void FrmRaceStats::updateRowHeights()
{
    const int normal = grdStats->verticalHeader()->defaultSectionSize();
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const bool band = !m_model->index(row, 0).data(StatsGridView::kRowTextRole).toString().isEmpty();
        grdStats->setRowHeight(row, band ? normal + grdStats->bandHeight() : normal);
    }
}

void FrmRaceStats::fillSummary()
{
    const QStringList labels = summaryLabels();
    const QStringList values = summaryValues(m_summary);
    const QList<QColor> backs{kSummaryBlue,         kSummaryBlue,         kSummaryBlue,         kSummaryBlue,
                              kSummaryBlue,         conditionColor(u'F'), conditionColor(u'G'), conditionColor(u'D'),
                              conditionColor(u'S'), conditionColor(u'H')};
    for (int c = 0; c < labels.size(); ++c) {
        auto *label = new QTableWidgetItem(labels.at(c));
        label->setForeground(Qt::white);
        label->setBackground(backs.at(c));
        label->setTextAlignment(Qt::AlignCenter);
        GrdSummary->setItem(0, c, label);
        auto *value = new QTableWidgetItem(values.at(c));
        value->setTextAlignment(Qt::AlignCenter);
        GrdSummary->setItem(1, c, value);
    }
    GrdSummary->resizeColumnsToContents();
}

void FrmRaceStats::sortByColumn(int column)
{
    if (column < 1 || column > ColumnCount)
        return;
    const bool descending = m_descendingNext.at(column - 1);
    m_descendingNext[column - 1] = !descending;
    const int sortColumn = column == FinishPosition ? FP : column;
    const Qt::SortOrder order = descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    {
        BusyPointer busy;
        m_model->sort(sortColumn - 1, order);
        grdStats->horizontalHeader()->setSortIndicator(column - 1, order);
        updateRowHeights();
    }
    sounds::playSound(sounds::kSorted);
}

void FrmRaceStats::openRun(int row)
{
    if (row < 1 || row > m_model->rowCount())
        return;
    const QDate date = m_model->index(row - 1, RaceDate - 1).data(kSortRole).toDate();
    auto cell = [this, row](int column) { return m_model->index(row - 1, column - 1).data().toString(); };
    openRaceResult(this, date.toString(u"yyyy/MM/dd"_s), cell(Track), cell(RaceNo), cell(Horse));
}

void FrmRaceStats::restoreLayout()
{
    restoreGridWindow(this, grdStats->horizontalHeader(), familyOf(m_mode));
}

void FrmRaceStats::storeLayout()
{
    storeGridWindow(this, grdStats->horizontalHeader(), familyOf(m_mode));
}

void FrmRaceStats::done(int result)
{
    storeLayout();
    QDialog::done(result);
}
