#pragma once

#include "db/Backups.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

// "File > Backups...": the backups (time, size, meetings, bookings), newest first; "Back Up Now"
// adds one and "Restore" puts the chosen one in the database's place (maintenance::restoreBackup).
class BackupsDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit BackupsDialog(QWidget *parent = nullptr);

    // Re-reads the backup folder.
    void reload();
    // True once a backup was restored: the caller reads its lists again.
    bool restored() const { return m_restored; }

    QTableWidget *grdBackups = nullptr;
    QPushButton *cmdBackupNow = nullptr;
    QPushButton *cmdRestore = nullptr;
    QPushButton *cmdClose = nullptr;

private:
    void restoreChosen();
    void backUpNow();

    QList<backups::Backup> m_backups;
    bool m_restored = false;
};
