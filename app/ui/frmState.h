#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// "System Defaults": where the database lives, the data server and its account, the invoice
// particulars and the default state. Nothing is stored until "Change System Defaults" succeeds.
class frmState final : public QDialog
{
    Q_OBJECT
public:
    explicit frmState(QWidget *parent = nullptr);

    // Fills the controls from the settings; OpenSetting also shows the dialog modally.
    void fill();
    void OpenSetting();

    QLineEdit *txtDBPath = nullptr;
    QLineEdit *txtBackupPath = nullptr;
    QPushButton *cmdBrowse = nullptr;
    QLineEdit *txtDataServer = nullptr;
    QLineEdit *txtUser = nullptr;
    QLineEdit *txtUserPass = nullptr;
    QLineEdit *txtCompanyName = nullptr;
    QLineEdit *meABN = nullptr;
    QCheckBox *chkGST = nullptr;
    QLineEdit *mebNextInvoiceNumber = nullptr;
    QComboBox *cmbState = nullptr;
    QCheckBox *chkAlwCalcWeights = nullptr;
    QPushButton *cmdChange = nullptr;

private:
    void browse();
    // Checks and stores; false (dialog left open) after a message.
    bool change();
};
