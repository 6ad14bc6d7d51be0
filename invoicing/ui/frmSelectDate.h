#pragma once

#include "invoicing/JockeyInvoice.h"

#include <QDialog>

class DateBox;
class QLineEdit;
class QPushButton;
class InvoiceReport;

// "Jockey Invoice Settings - NAME": the period and the charges of one jockey's invoice; prints
// it into a preview and then offers to advance the invoice number and the last-invoiced date.
class frmSelectDate : public QDialog
{
    Q_OBJECT

public:
    explicit frmSelectDate(QWidget *parent = nullptr);

    // Prepares the window for the jockey and shows it modally; a message when there is no such jockey.
    static void OpenSelect(const QString &jockeyName, QWidget *parent = nullptr);
    // Fills the window for the jockey; false (after a message) when the jockey cannot be read.
    bool prepare(const QString &jockeyName);

    DateBox *dtpStart = nullptr;
    DateBox *dtpEnd = nullptr;
    QLineEdit *medScratchings = nullptr;
    QLineEdit *MedTrials = nullptr;
    QLineEdit *txtExtra1 = nullptr;
    QLineEdit *meExtra1 = nullptr;
    QLineEdit *txtExtra2 = nullptr;
    QLineEdit *meExtra2 = nullptr;
    QPushButton *cmdReport = nullptr;
    QPushButton *cmdSaveExtras = nullptr;
    QPushButton *cmdExit = nullptr;

private:
    void printInvoice();
    void saveExtras();
    void checkAmount(QLineEdit *box, int which);

    InvoiceJockey m_jockey;
    bool m_checking = false;
};
