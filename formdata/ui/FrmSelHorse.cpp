#include "FrmSelHorse.h"

#include "FormWindows.h"
#include "core/ui/BusyPointer.h"
#include "core/ui/ReadOnlyGrid.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Column {
    QString caption;
    int width;
    Qt::Alignment align;
};

const QList<Column> &gridColumns()
{
    static const QList<Column> columns{
        {u"Horse"_s, 130, Qt::AlignLeft},   {u"DoB"_s, 70, Qt::AlignHCenter}, {u"Sire"_s, 130, Qt::AlignLeft},
        {u"Dam"_s, 130, Qt::AlignLeft},     {u"Age"_s, 40, Qt::AlignHCenter}, {u"Sex"_s, 20, Qt::AlignLeft},
        {u"Trainer"_s, 100, Qt::AlignLeft},
    };
    return columns;
}

} // namespace

FrmSelHorse::FrmSelHorse(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FrmSelHorse"_s);
    setWindowTitle(u"Select a Horse"_s);
    resize(640, 480);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(u"Horse"_s, this));
    txtHorse = new QLineEdit(this);
    txtHorse->setObjectName(u"txtHorse"_s);
    txtHorse->setToolTip(u"e.g %green for horses ending with green,  Use  green% for horses starting wth green or "
                         "%green% for horse names that contain green anywhere."_s);
    top->addWidget(txtHorse, 1);
    cmdSeachHorse = new QPushButton(u"&Search"_s, this);
    cmdSeachHorse->setObjectName(u"cmdSeachHorse"_s);
    cmdSeachHorse->setToolTip(u"Enter Jockey Surname Then Press this to Find Jockey"_s);
    cmdSeachHorse->setDefault(true);
    top->addWidget(cmdSeachHorse);
    layout->addLayout(top);

    grdSelHorse = new QTableWidget(0, int(gridColumns().size()), this);
    grdSelHorse->setObjectName(u"grdSelHorse"_s);
    setUpReadOnlyGrid(grdSelHorse);
    grdSelHorse->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int c = 0; c < gridColumns().size(); ++c) {
        auto *item = new QTableWidgetItem(gridColumns().at(c).caption);
        item->setTextAlignment(gridColumns().at(c).align | Qt::AlignVCenter);
        grdSelHorse->setHorizontalHeaderItem(c, item);
        grdSelHorse->horizontalHeader()->resizeSection(c, gridColumns().at(c).width);
    }
    grdSelHorse->setColumnHidden(1, true);
    grdSelHorse->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdSelHorse, 1);

    auto *buttons = new QHBoxLayout;
    cmdExit = new QPushButton(u"E&xit"_s, this);
    cmdExit->setObjectName(u"cmdExit"_s);
    cmdExit->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    layout->addLayout(buttons);

    popupMenu = new QMenu(this);
    popupMenu->setObjectName(u"popupMenu"_s);
    auto addItem = [this](const QString &caption, const QString &tip, const QString &key, bool enabled) {
        QAction *action = popupMenu->addAction(caption);
        action->setObjectName(key);
        action->setToolTip(tip);
        action->setData(key);
        action->setEnabled(enabled);
    };
    addItem(u"Horse &Form"_s, u"Display the Horses Form Data"_s, u"Horse Form"_s, true);
    addItem(u"&Rego Seach"_s, u"Display Horse Recistration"_s, u"Rego"_s, true);
    addItem(u"Horse Ra&ting"_s, u"Display Horse Racting(Vic)"_s, u"Rating"_s, true);
    addItem(u"Trainer Form"_s, u"Display Tainers Form"_s, u"Trainer"_s, true);
    addItem(u"&Video Form"_s, u"Display Video Form"_s, u"Video"_s, false);
    popupMenu->setToolTipsVisible(true);

    connect(cmdSeachHorse, &QPushButton::clicked, this, &FrmSelHorse::search);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::accept);
    connect(grdSelHorse, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { runCommand(u"Horse Form"_s, row + 1); });
    grdSelHorse->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grdSelHorse, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const int row = grdSelHorse->rowAt(pos.y());
        if (row < 0)
            return;
        grdSelHorse->selectRow(row);
        if (QAction *chosen = popupMenu->exec(grdSelHorse->viewport()->mapToGlobal(pos)))
            runCommand(chosen->data().toString(), row + 1);
    });
}

void FrmSelHorse::search()
{
    lookups::SearchResult result;
    {
        BusyPointer busy;
        result = lookups::searchHorses(txtHorse->text());
    }
    if (result.outcome != lookups::SearchOutcome::Found)
        return;
    grdSelHorse->setRowCount(0);
    grdSelHorse->setRowCount(int(result.horses.size()));
    for (int r = 0; r < result.horses.size(); ++r) {
        const lookups::HorseRow &h = result.horses.at(r);
        const QStringList cells{h.horse, h.dob, h.sire, h.dam, h.age, h.sex, h.trainer};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells.at(c));
            item->setTextAlignment(gridColumns().at(c).align | Qt::AlignVCenter);
            grdSelHorse->setItem(r, c, item);
        }
    }
}

QString FrmSelHorse::cell(int row, int column) const
{
    const QTableWidgetItem *item = grdSelHorse->item(row - 1, column - 1);
    return item ? item->text() : QString();
}

void FrmSelHorse::runCommand(const QString &key, int row)
{
    if (row < 1 || row > grdSelHorse->rowCount())
        return;
    if (key == "Horse Form"_L1)
        openHorseForm(this, cell(row, 1));
    else if (key == "Rating"_L1)
        showRating(this, cell(row, 1));
    else if (key == "Rego"_L1)
        showRegistration(this, cell(row, 1));
    else if (key == "Trainer"_L1)
        openTrainerForm(this, cell(row, 7));
}
