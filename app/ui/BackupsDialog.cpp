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

BackupsDialog::BackupsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBackups"));
    setWindowTitle(QStringLiteral("Backups"));
    auto *layout = new QVBoxLayout(this);
    auto *where = new QLabel(QStringLiteral("Folder: ") + QDir::toNativeSeparators(backups::folder()), this);
    where->setObjectName(QStringLiteral("lblFolder"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);
    grdBackups = new QTableWidget(0, 4, this);
    grdBackups->setObjectName(QStringLiteral("grdBackups"));
    grdBackups->setHorizontalHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Size"), QStringLiteral("Meetings"), QStringLiteral("Bookings")});
    grdBackups->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdBackups->setSelectionMode(QAbstractItemView::SingleSelection);
    grdBackups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdBackups->verticalHeader()->hide();
    grdBackups->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdBackups, 1);
    auto *buttons = new QHBoxLayout;
    cmdBackupNow = new QPushButton(QStringLiteral("Back Up &Now"), this);
    cmdBackupNow->setObjectName(QStringLiteral("cmdBackupNow"));
    cmdRestore = new QPushButton(QStringLiteral("&Restore"), this);
    cmdRestore->setObjectName(QStringLiteral("cmdRestore"));
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
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
        const auto count = [&english](int n) { return n < 0 ? QStringLiteral("unreadable") : english.toString(n); };
        const QStringList cells{backup.time.toString(QStringLiteral("ddd d MMM yyyy HH:mm")),
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
