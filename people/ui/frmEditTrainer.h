#pragma once

#include "people/TrainerRecord.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The trainer editor: the agent's notes on one trainer. Accepted once the notes are stored; the
// caller then shows them wherever the trainer is listed.
class frmEditTrainer final : public QDialog
{
    Q_OBJECT
public:
    // `detailBoxes` holds the main window's location, phone and mobile boxes (the defaults).
    frmEditTrainer(const QString &trainer, const trainers::TrainerNotes &detailBoxes, QWidget *parent = nullptr);

    // Reads the trainer and fills the fields (the window's activation).
    void activate();

    QLineEdit *txtFields[4] = {};
    QLineEdit *mskTrainerMobile = nullptr;
    QCheckBox *chkFields = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdClose = nullptr;

    // The notes as last stored.
    const trainers::TrainerNotes &storedNotes() const { return m_stored; }

private:
    // "&Add" and "&Update".
    void store();

    trainers::TrainerNotes m_boxes;
    trainers::TrainerNotes m_stored;
};
