#include "frmRaceResult.h"

#include "core/Sound.h"
#include "core/cAppSettings.h"
#include "core/ui/BusyPointer.h"
#include "core/ui/HeaderLayout.h"
#include "core/ui/ReadOnlyGrid.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

QLineEdit *makeBox(QWidget *parent, const char *name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setReadOnly(true);
    return box;
}

constexpr int kSortRole = Qt::UserRole;

// A result cell sorts by the key the race result gives it (finishing order, numbers), not by its text.
class ResultItem final : public QTableWidgetItem
{
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem &other) const override
    {
        return QVariant::compare(data(kSortRole), other.data(kSortRole)) == QPartialOrdering::Less;
    }
};

StoredGridWindow storedLayout()
{
    cAppSettings &s = cAppSettings::instance();
    return {&s.RaceResultsGridOrder, &s.RaceResultsGridWidth, &s.RaceResultsLeft, &s.RaceResultsTop,
            &s.RaceResultsWidth,     &s.RaceResultsHeight,    &s.RaceResultsMax};
}

} // namespace

frmRaceResult::frmRaceResult(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmRaceResult"_s);
    setWindowTitle(u"Race Results"_s);
    resize(1000, 500);
    auto *layout = new QVBoxLayout(this);
    auto *header = new QGridLayout;
    txtMeetDesc = makeBox(this, "txtMeetDesc");
    txtMeetType = makeBox(this, "txtMeetType");
    txtMeetState = makeBox(this, "txtMeetState");
    txtRaceDesc = makeBox(this, "txtRaceDesc");
    txtRaceClass = makeBox(this, "txtRaceClass");
    txtSec = makeBox(this, "txtSec");
    txtCond = makeBox(this, "txtCond");
    txtLimWeight = makeBox(this, "txtLimWeight");
    txtValue = makeBox(this, "txtValue");
    auto label = [this](const QString &text) { return new QLabel(text, this); };
    header->addWidget(label(u"Meeting "_s), 0, 0);
    header->addWidget(txtMeetDesc, 0, 1, 1, 3);
    header->addWidget(label(u"Type "_s), 0, 4);
    header->addWidget(txtMeetType, 0, 5);
    header->addWidget(label(u"State "_s), 0, 6);
    header->addWidget(txtMeetState, 0, 7);
    header->addWidget(label(u"Race "_s), 1, 0);
    header->addWidget(txtRaceDesc, 1, 1, 1, 3);
    header->addWidget(label(u"Class "_s), 1, 4);
    header->addWidget(txtRaceClass, 1, 5);
    header->addWidget(label(u"Sec "_s), 1, 6);
    header->addWidget(txtSec, 1, 7);
    header->addWidget(label(u"Cond "_s), 2, 0);
    header->addWidget(txtCond, 2, 1);
    header->addWidget(label(u"Lim. Weight "_s), 2, 2);
    header->addWidget(txtLimWeight, 2, 3);
    header->addWidget(label(u"Value "_s), 2, 4);
    header->addWidget(txtValue, 2, 5);
    header->addWidget(label(u"Description"_s), 3, 0);
    lblDescription = new QLabel(this);
    lblDescription->setObjectName(u"lblDescription"_s);
    header->addWidget(lblDescription, 3, 1, 1, 7);
    layout->addLayout(header);

    const QList<raceresult::ColumnSpec> &specs = raceresult::columns();
    grdResults = new QTableWidget(0, int(specs.size()), this);
    grdResults->setObjectName(u"grdResults"_s);
    setUpReadOnlyGrid(grdResults);
    grdResults->setWordWrap(false);
    grdResults->horizontalHeader()->setSectionsMovable(true);
    for (int c = 0; c < specs.size(); ++c) {
        auto *item = new QTableWidgetItem(specs.at(c).caption);
        item->setTextAlignment(c == 1 || c == 3 || (c >= 8 && c != 10) ? Qt::AlignLeft | Qt::AlignVCenter
                                                                       : Qt::AlignCenter);
        grdResults->setHorizontalHeaderItem(c, item);
        grdResults->horizontalHeader()->resizeSection(c, specs.at(c).width);
    }
    grdResults->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdResults, 1);

    auto *buttons = new QHBoxLayout;
    cmdExit = new QPushButton(u"Exit"_s, this);
    cmdExit->setObjectName(u"cmdExit"_s);
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    layout->addLayout(buttons);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::accept);
    m_descendingNext = QList<bool>(int(specs.size()), false);
    connect(grdResults->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { sortByColumn(section + 1); });

    restoreGridWindow(this, grdResults->horizontalHeader(), storedLayout());
}

void frmRaceResult::fill(const raceresult::Result &result)
{
    const raceresult::Header &h = result.header;
    txtMeetDesc->setText(h.txtMeetDesc);
    txtMeetType->setText(h.txtMeetType);
    txtMeetState->setText(h.txtMeetState);
    txtRaceDesc->setText(h.txtRaceDesc);
    txtRaceClass->setText(h.txtRaceClass);
    txtSec->setText(h.txtSec);
    txtCond->setText(h.txtCond);
    txtLimWeight->setText(h.txtLimWeight);
    txtValue->setText(h.txtValue);
    lblDescription->clear();

    const QList<raceresult::ColumnSpec> &specs = raceresult::columns();
    grdResults->setUpdatesEnabled(false);
    grdResults->setRowCount(int(result.runners.size()));
    for (int r = 0; r < result.runners.size(); ++r) {
        const raceresult::Runner &runner = result.runners.at(r);
        for (int c = 0; c < raceresult::kColumns; ++c) {
            auto *item = new ResultItem(runner.cells.at(c));
            item->setData(kSortRole, raceresult::sortKey(c + 1, runner.cells.at(c)));
            item->setTextAlignment(specs.at(c).rightJustified ? Qt::AlignRight | Qt::AlignVCenter
                                                              : Qt::AlignLeft | Qt::AlignVCenter);
            if (runner.bold(c + 1)) {
                QFont font = grdResults->font();
                font.setBold(true);
                item->setFont(font);
                // Bold text is wider: its column grows rather than cut the row's names short.
                const int needed = QFontMetrics(font).horizontalAdvance(item->text()) + 12;
                if (grdResults->horizontalHeader()->sectionSize(c) < needed)
                    grdResults->horizontalHeader()->resizeSection(c, needed);
            }
            grdResults->setItem(r, c, item);
        }
    }
    grdResults->setUpdatesEnabled(true);
}

void frmRaceResult::sortByColumn(int column)
{
    if (column < 1 || column > m_descendingNext.size())
        return;
    const bool descending = m_descendingNext.at(column - 1);
    m_descendingNext[column - 1] = !descending;
    const Qt::SortOrder order = descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    {
        BusyPointer busy;
        grdResults->sortItems(column - 1, order);
        grdResults->horizontalHeader()->setSortIndicator(column - 1, order);
        grdResults->horizontalHeader()->setSortIndicatorShown(true);
    }
    sounds::playSound(sounds::kSorted);
}

void frmRaceResult::done(int result)
{
    storeGridWindow(this, grdResults->horizontalHeader(), storedLayout());
    QDialog::done(result);
}
