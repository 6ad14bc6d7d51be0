#include "frmEditTrainer.h"

#include "core/UserDialogs.h"
#include "db/Database.h"
#include "db/DbGuard.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

frmEditTrainer::frmEditTrainer(const QString &trainer, const trainers::TrainerNotes &detailBoxes, QWidget *parent)
    : QDialog(parent), m_boxes(detailBoxes)
{
    setObjectName(u"frmEditTrainer"_s);
    setWindowTitle(u"Trainer"_s);
    auto *form = new QFormLayout;
    for (int i = 0; i < 4; ++i) {
        txtFields[i] = new QLineEdit(this);
        txtFields[i]->setObjectName(u"txtFields(%1)"_s.arg(i));
    }
    txtFields[0]->setReadOnly(true);
    txtFields[0]->setText(trainer);
    mskTrainerMobile = new QLineEdit(this);
    mskTrainerMobile->setObjectName(u"mskTrainerMobile"_s);
    chkFields = new QCheckBox(this);
    chkFields->setObjectName(u"chkFields"_s);
    form->addRow(u"Trainer Name:"_s, txtFields[0]);
    form->addRow(u"Trainer Location:"_s, txtFields[1]);
    form->addRow(u"Phone:"_s, txtFields[2]);
    form->addRow(u"Trainer Mobile:"_s, mskTrainerMobile);
    form->addRow(u"Trainer Comments:"_s, txtFields[3]);
    form->addRow(u"IgnoreTrainer:"_s, chkFields);

    cmdAdd = new QPushButton(u"&Add"_s, this);
    cmdAdd->setObjectName(u"cmdAdd"_s);
    cmdUpdate = new QPushButton(u"&Update"_s, this);
    cmdUpdate->setObjectName(u"cmdUpdate"_s);
    cmdClose = new QPushButton(u"&Cancel (No Update)"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdAdd, cmdUpdate, cmdClose}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addLayout(buttons);
    connect(cmdAdd, &QPushButton::clicked, this, &frmEditTrainer::store);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmEditTrainer::store);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

void frmEditTrainer::activate()
{
    const trainers::EditorStart start = trainers::editorStart(txtFields[0]->text(), m_boxes);
    cmdAdd->setEnabled(!start.stored);
    cmdUpdate->setEnabled(start.stored);
    txtFields[1]->setText(start.notes.location);
    txtFields[2]->setText(start.notes.phone);
    mskTrainerMobile->setText(start.notes.mobile);
    txtFields[3]->setText(start.notes.comments);
    chkFields->setChecked(start.notes.ignore);
}

void frmEditTrainer::store()
{
    const trainers::TrainerNotes notes{txtFields[0]->text(),     txtFields[1]->text(), txtFields[2]->text(),
                                       mskTrainerMobile->text(), txtFields[3]->text(), chkFields->isChecked()};
    if (!runGuarded([&] { trainers::storeTrainer(notes); }))
        return;
    m_stored = notes;
    accept();
}
