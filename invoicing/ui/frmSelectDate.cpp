#include "frmSelectDate.h"

#include "InvoicePreview.h"
#include "core/Clock.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "core/ui/DateBox.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "invoicing/InvoiceReport.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kCaption = u"Jockey Invoice Settings"_s;

template <typename Widget> Widget *named(Widget *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

frmSelectDate::frmSelectDate(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmSelectDate"_s);
    setWindowTitle(kCaption);
    setModal(true);

    dtpStart = named(new DateBox(u"Start Date"_s, this), u"dtpStart"_s);
    dtpEnd = named(new DateBox(u"End Date"_s, this), u"dtpEnd"_s);
    medScratchings = named(new QLineEdit(this), u"medScratchings"_s);
    MedTrials = named(new QLineEdit(this), u"MedTrials"_s);
    txtExtra1 = named(new QLineEdit(this), u"txtExtra1"_s);
    meExtra1 = named(new QLineEdit(this), u"meExtra1"_s);
    txtExtra2 = named(new QLineEdit(this), u"txtExtra2"_s);
    meExtra2 = named(new QLineEdit(this), u"meExtra2"_s);
    cmdReport = named(new QPushButton(u"&Print Jockey Invoice"_s, this), u"cmdReport"_s);
    cmdSaveExtras = named(new QPushButton(u"&Save Extra Charges"_s, this), u"cmdSaveExtras"_s);
    cmdExit = named(new QPushButton(u"E&xit"_s, this), u"cmdExit"_s);
    for (QLineEdit *count : {medScratchings, MedTrials})
        count->setMaximumWidth(80);
    for (QLineEdit *amount : {meExtra1, meExtra2}) {
        amount->setMaximumWidth(120);
        amount->setAlignment(Qt::AlignRight);
    }
    cmdReport->setDefault(true);

    auto *grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString &label, QWidget *first, QWidget *second = nullptr) {
        auto *caption = new QLabel(label, this);
        caption->setBuddy(first);
        grid->addWidget(caption, row, 0);
        grid->addWidget(first, row, 1);
        if (second)
            grid->addWidget(second, row, 2);
        ++row;
    };
    addRow(u"S&tart Date:"_s, dtpStart);
    addRow(u"E&nd Date:"_s, dtpEnd);
    addRow(u"Number of S&cratchings"_s, medScratchings);
    addRow(u"Number of T&rials"_s, MedTrials);
    addRow(u"Extra Charge &1"_s, txtExtra1, meExtra1);
    addRow(u"Extra Charge &2"_s, txtExtra2, meExtra2);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdReport);
    buttons->addWidget(cmdSaveExtras);
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(cmdReport, &QPushButton::clicked, this, &frmSelectDate::printInvoice);
    connect(cmdSaveExtras, &QPushButton::clicked, this, &frmSelectDate::saveExtras);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(meExtra1, &QLineEdit::editingFinished, this, [this] { checkAmount(meExtra1, 1); });
    connect(meExtra2, &QLineEdit::editingFinished, this, [this] { checkAmount(meExtra2, 2); });
}

void frmSelectDate::OpenSelect(const QString &jockeyName, QWidget *parent)
{
    if (jockeyName.isEmpty())
        return;
    frmSelectDate window(parent);
    if (window.prepare(jockeyName))
        window.exec();
}

bool frmSelectDate::prepare(const QString &jockeyName)
{
    std::optional<InvoiceJockey> jockey;
    if (!runGuarded([&] { jockey = readInvoiceJockey(jockeyName); }))
        return false;
    if (!jockey) {
        UserDialogs::instance().critical(u"Error"_s, u"There is no jockey named %1"_s.arg(jockeyName));
        return false;
    }
    m_jockey = *jockey;
    const InvoicePeriod period = offeredPeriod(m_jockey);
    dtpStart->setDate(period.start);
    dtpEnd->setDate(period.end);
    const cAppSettings &settings = cAppSettings::instance();
    txtExtra1->setText(settings.ExtChgText1);
    txtExtra2->setText(settings.ExtChgText2);
    meExtra1->setText(settings.ExtChgVal1.toDisplay());
    meExtra2->setText(settings.ExtChgVal2.toDisplay());
    setWindowTitle(kCaption + u" - "_s + m_jockey.name);
    return true;
}

void frmSelectDate::checkAmount(QLineEdit *box, int which)
{
    // A message box takes the focus away and would finish the edit a second time.
    if (m_checking)
        return;
    m_checking = true;
    if (const std::optional<Currency> amount = parseExtraAmount(box->text()))
        box->setText(amount->toDisplay());
    else
        UserDialogs::instance().message(kCaption, extraChargeMessage(which), UserDialogs::Icon::None);
    m_checking = false;
}

void frmSelectDate::saveExtras()
{
    QString message;
    if (!saveExtraCharges(txtExtra1->text(), meExtra1->text(), txtExtra2->text(), meExtra2->text(), &message))
        UserDialogs::instance().message(kCaption, message, UserDialogs::Icon::None);
}

void frmSelectDate::printInvoice()
{
    UserDialogs &dialogs = UserDialogs::instance();
    if (!dtpStart->check() || !dtpEnd->check())
        return;
    const InvoicePeriod period{dtpStart->date(), dtpEnd->date()};
    if (period.end < period.start) {
        dialogs.message(kCaption, u"The End Date must not be before the Start Date"_s, UserDialogs::Icon::Exclamation);
        return;
    }
    QString message;
    const std::optional<InvoiceCharges> charges =
        parseCharges(medScratchings->text(), MedTrials->text(), txtExtra1->text(), meExtra1->text(), txtExtra2->text(),
                     meExtra2->text(), &message);
    if (!charges) {
        dialogs.message(kCaption, message, UserDialogs::Icon::None);
        return;
    }
    if (!runGuarded(
             [&] {
                 const InvoiceReport report(computeJockeyInvoice(m_jockey, period, *charges, currentParticulars()));
                 const QString warning = invoiceWarning(report.invoice(), Clock::instance().today());
                 if (!warning.isEmpty() && !dialogs.askYesNo(kCaption, warning + u"\r\r"_s + kMakeAnyway,
                                                             UserDialogs::Icon::Exclamation, UserDialogs::Answer::No))
                     return false;
                 // The number is spent only by an invoice that left the program: printed or exported.
                 const QStringList made = showInvoicePreview(report, this);
                 if (made.isEmpty())
                     return false;
                 return settleInvoice(report.invoice(), made);
             },
             dialogs)
             .value_or(false))
        return;
    accept();
}
