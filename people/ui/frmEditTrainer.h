#pragma once

#include "people/TrainerRecord.h"

#include <QDialog>

class BookingGrid;
class QCheckBox;
class QLineEdit;
class QPushButton;

// The trainer editor: the agent's notes on one trainer; storing them re-marks the trainer's
// row of the main trainers list at once.
class frmEditTrainer final : public QDialog
{
    Q_OBJECT
public:
    // `detailBoxes` holds the main window's location, phone and mobile boxes (the defaults);
    // `list` and `row` (from 1) the trainers-list row to re-mark, or nullptr.
    frmEditTrainer(const QString &trainer, const trainers::TrainerNotes &detailBoxes, BookingGrid *list, int row,
                   QWidget *parent = nullptr);

    // Reads the trainer and fills the fields (the window's activation).
    void activate();

    QLineEdit *txtFields[4] = {};
    QLineEdit *mskTrainerMobile = nullptr;
    QCheckBox *chkFields = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdClose = nullptr;

    void store();

private:
    trainers::TrainerNotes m_boxes;
    BookingGrid *m_list;
    int m_row;
};
