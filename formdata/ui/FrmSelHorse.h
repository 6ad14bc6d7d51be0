#pragma once

#include "formdata/FormLookups.h"

#include <QDialog>

class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;

// Finds horses on the data server by part of their name and leads to their form, trainer
// form, rating and registration.
class FrmSelHorse final : public QDialog
{
    Q_OBJECT
public:
    explicit FrmSelHorse(QWidget *parent = nullptr);

    QLineEdit *txtHorse = nullptr;
    QPushButton *cmdSeachHorse = nullptr;
    QTableWidget *grdSelHorse = nullptr;
    QPushButton *cmdExit = nullptr;
    QMenu *popupMenu = nullptr;

private:
    // cmdSeachHorse.
    void search();
    // The pop-up menu's commands on a row (1-based), by the item's key.
    void runCommand(const QString &key, int row);
    QString cell(int row, int column) const;
};
