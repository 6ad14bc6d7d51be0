#include "BackupsDialog.h"

#include "app/MaintenanceCommands.h"
#include "core/ui/BusyPointer.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

BackupsDialog::BackupsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmBackups"_s);
    setWindowTitle(u"Backups"_s);
    auto *layout = new QVBoxLayout(this);
    auto *where = new QLabel(u"Folder: "_s + QDir::toNativeSeparators(backups::folder()), this);
    where->setObjectName(u"lblFolder"_s);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);
    grdBackups = new QTableWidget(0, 4, this);
    grdBackups->setObjectName(u"grdBackups"_s);
    grdBackups->setHorizontalHeaderLabels({u"Time"_s, u"Size"_s, u"Meetings"_s, u"Bookings"_s});
    grdBackups->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdBackups->setSelectionMode(QAbstractItemView::SingleSelection);
    grdBackups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdBackups->verticalHeader()->hide();
    grdBackups->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdBackups, 1);
    auto *buttons = new QHBoxLayout;
    cmdBackupNow = new QPushButton(u"Back Up &Now"_s, this);
    cmdBackupNow->setObjectName(u"cmdBackupNow"_s);
    cmdRestore = new QPushButton(u"&Restore"_s, this);
    cmdRestore->setObjectName(u"cmdRestore"_s);
    cmdClose = new QPushButton(u"Close"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    buttons->addWidget(cmdBackupNow);
    buttons->addStretch(1);
    buttons->addWidget(cmdRestore);
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);
    connect(cmdBackupNow, &QPushButton::clicked, this, &BackupsDialog::backUpNow);
    connect(cmdRestore, &QPushButton::clicked, this, &BackupsDialog::restoreChosen);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(grdBackups, &QTableWidget::itemSelectionChanged, this,
            [this] { cmdRestore->setEnabled(!grdBackups->selectedItems().isEmpty()); });
    resize(560, 380);
    reload();
}

void BackupsDialog::reload()
{
    m_backups = backups::list(backups::folder());
    grdBackups->setRowCount(int(m_backups.size()));
    const QLocale english(QLocale::English, QLocale::Australia);
    for (int row = 0; row < m_backups.size(); ++row) {
        const backups::Backup &backup = m_backups.at(row);
        const auto count = [&english](int n) { return n < 0 ? u"unreadable"_s : english.toString(n); };
        const QStringList cells{backup.time.toString(u"ddd d MMM yyyy HH:mm"_s),
                                english.formattedDataSize(backup.size, 1, QLocale::DataSizeSIFormat),
                                count(backup.meetings), count(backup.bookings)};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            if (column > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdBackups->setItem(row, column, item);
        }
    }
    grdBackups->resizeColumnsToContents();
    if (!m_backups.isEmpty())
        grdBackups->selectRow(0);
    cmdRestore->setEnabled(!m_backups.isEmpty());
}

void BackupsDialog::restoreChosen()
{
    const int row = grdBackups->currentRow();
    if (row < 0 || row >= m_backups.size())
        return;
    if (maintenance::restoreBackup(m_backups.at(row)))
        m_restored = true;
    reload();
}

void BackupsDialog::backUpNow()
{
    BusyPointer busy;
    maintenance::backupNow();
    reload();
}
