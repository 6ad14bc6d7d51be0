#include "frmState.h"

#include "app/SystemDefaults.h"
#include "core/UserDialogs.h"
#include "db/Database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

frmState::frmState(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmState"_s);
    setWindowTitle(u"System Defaults"_s);
    txtDBPath = named(new QLineEdit(this), "txtDBPath");
    cmdBrowse = named(new QPushButton(u"..."_s, this), "cmdBrowse");
    txtBackupPath = named(new QLineEdit(this), "txtBackupPath");
    txtBackupPath->setPlaceholderText(u"a Backups folder beside the database"_s);
    txtDataServer = named(new QLineEdit(this), "txtDataServer");
    txtUser = named(new QLineEdit(this), "txtUser");
    txtUserPass = named(new QLineEdit(this), "txtUserPass");
    txtUserPass->setEchoMode(QLineEdit::Password);
    txtCompanyName = named(new QLineEdit(this), "txtCompanyName");
    meABN = named(new QLineEdit(this), "meABN");
    meABN->setInputMask(u"00-000-000-000;_"_s);
    chkGST = named(new QCheckBox(u"GST on Jockey Invoice"_s, this), "chkGST");
    mebNextInvoiceNumber = named(new QLineEdit(this), "mebNextInvoiceNumber");
    cmbState = named(new QComboBox(this), "cmbState");
    chkAlwCalcWeights =
        named(new QCheckBox(u"Allow weight calculation in the race window"_s, this), "chkAlwCalcWeights");
    cmdChange = named(new QPushButton(u"Change System Defaults"_s, this), "cmdChange");
    // Enter saves, from any box: the folder browser is only ever opened by its own button.
    cmdBrowse->setAutoDefault(false);
    cmdChange->setDefault(true);

    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(txtDBPath, 1);
    pathRow->addWidget(cmdBrowse);
    auto *form = new QFormLayout;
    form->addRow(u"Database Path"_s, pathRow);
    form->addRow(u"Backup Folder"_s, txtBackupPath);
    form->addRow(u"Data Server"_s, txtDataServer);
    form->addRow(u"User Name"_s, txtUser);
    form->addRow(u"Password"_s, txtUserPass);
    form->addRow(u"Company Name For Invoice"_s, txtCompanyName);
    form->addRow(u"A. B. N."_s, meABN);
    form->addRow(QString(), chkGST);
    form->addRow(u"Next Invoice Number"_s, mebNextInvoiceNumber);
    form->addRow(u"Default State"_s, cmbState);
    form->addRow(QString(), chkAlwCalcWeights);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addWidget(cmdChange);

    resize(560, sizeHint().height());
    connect(cmdBrowse, &QPushButton::clicked, this, &frmState::browse);
    connect(cmdChange, &QPushButton::clicked, this, [this] {
        if (change())
            accept();
    });
}

void frmState::fill()
{
    const systemdefaults::Values v = systemdefaults::current();
    cmbState->clear();
    cmbState->addItems(systemdefaults::stateChoices(v.state));
    cmbState->setCurrentIndex(cmbState->findText(v.state));
    chkAlwCalcWeights->setChecked(v.calculateWeights);
    meABN->setText(v.abn == systemdefaults::kEmptyAbn ? QString() : v.abn);
    chkGST->setChecked(v.gst);
    txtDBPath->setText(v.dbPath);
    txtBackupPath->setText(v.backupPath);
    txtDataServer->setText(v.dataServer);
    txtCompanyName->setText(v.companyName);
    mebNextInvoiceNumber->setText(v.nextInvoiceNumber);
    txtUser->setText(v.userName);
    txtUserPass->setText(v.password);
}

void frmState::OpenSetting()
{
    fill();
    exec();
}

void frmState::browse()
{
    UserDialogs::FileRequest request;
    request.title = u"Ostrevan Database"_s;
    request.filter = u"Ostrevan Database|"_s + kDatabaseFileName;
    const QString start = systemdefaults::browseStartFile(txtDBPath->text());
    request.startFolder = QFileInfo(start).absolutePath();
    request.suggestedName = start;
    const QStringList chosen = UserDialogs::instance().openFiles(request);
    if (!chosen.isEmpty())
        txtDBPath->setText(systemdefaults::folderOfChosenFile(chosen.first()));
}

bool frmState::change()
{
    const systemdefaults::Values values{
        txtDBPath->text(),       txtDataServer->text(),          txtUser->text(),      txtUserPass->text(),
        txtCompanyName->text(),  meABN->displayText(),           chkGST->isChecked(),  mebNextInvoiceNumber->text(),
        cmbState->currentText(), chkAlwCalcWeights->isChecked(), txtBackupPath->text()};
    if (const std::optional<systemdefaults::Problem> problem = systemdefaults::check(values)) {
        UserDialogs::instance().critical(problem->title, problem->text);
        switch (problem->field) {
        case systemdefaults::Field::Abn:
            meABN->setFocus();
            break;
        case systemdefaults::Field::NextInvoiceNumber:
            mebNextInvoiceNumber->setFocus();
            break;
        case systemdefaults::Field::DataServer:
            txtDataServer->setFocus();
            break;
        }
        return false;
    }
    if (systemdefaults::databaseMissing(values.dbPath) &&
        !UserDialogs::instance().askYesNo(u"System Defaults"_s, systemdefaults::missingDatabaseQuestion(values.dbPath),
                                          UserDialogs::Icon::Exclamation, UserDialogs::Answer::No)) {
        txtDBPath->setFocus();
        return false;
    }
    systemdefaults::apply(values);
    return true;
}
