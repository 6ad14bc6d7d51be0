// ostrevan-cli: the jockey invoice, its figures on stdout and its PDF and CSV.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "core/Clock.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "invoicing/InvoiceReport.h"
#include "invoicing/JockeyInvoice.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kSettingsTitle = u"Jockey Invoice Settings"_s;

struct InvoiceOptions {
    QString jockey;
    QString from, to, scratchings, trials, pdf, csv;
    std::optional<QString> extra1, extra2;
};

bool parseOptions(const QStringList &arguments, InvoiceOptions *options)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const QHash<QString, QString *> valued{
            {u"--from"_s, &options->from},     {u"--to"_s, &options->to},   {u"--scratchings"_s, &options->scratchings},
            {u"--trials"_s, &options->trials}, {u"--pdf"_s, &options->pdf}, {u"--csv"_s, &options->csv}};
        if (valued.contains(argument) && i + 1 < arguments.size()) {
            *valued.value(argument) = arguments.at(++i);
        } else if ((argument == "--extra1"_L1 || argument == "--extra2"_L1) && i + 1 < arguments.size()) {
            (argument == "--extra1"_L1 ? options->extra1 : options->extra2) = arguments.at(++i);
        } else if (options->jockey.isEmpty() && !argument.startsWith("--"_L1)) {
            options->jockey = argument;
        } else {
            cli::err(u"invoice: unexpected argument %1"_s.arg(argument));
            return false;
        }
    }
    if (options->jockey.isEmpty()) {
        cli::err(u"invoice: a jockey name is needed"_s);
        return false;
    }
    return true;
}

// A date option, or the offered one when the option is absent; false for a text that is no date.
bool dateOption(const QString &text, const char *name, QDate *date)
{
    if (text.isEmpty())
        return true;
    *date = QDate::fromString(text, Qt::ISODate);
    if (date->isValid())
        return true;
    cli::err(u"invoice: %1 takes a date as YYYY-MM-DD"_s.arg(QLatin1String(name)));
    return false;
}

int invoiceCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    InvoiceOptions options;
    if (!parseOptions(arguments, &options))
        return 2;
    cli::loadSettings();
    const cAppSettings &settings = cAppSettings::instance();
    return runGuarded(
               [&] {
                   const std::optional<InvoiceJockey> jockey = readInvoiceJockey(options.jockey);
                   if (!jockey) {
                       dialogs.critical(u"Error"_s, u"There is no jockey named %1"_s.arg(options.jockey));
                       return 1;
                   }
                   InvoicePeriod period = offeredPeriod(*jockey);
                   if (!dateOption(options.from, "--from", &period.start) ||
                       !dateOption(options.to, "--to", &period.end))
                       return 2;
                   if (period.end < period.start) {
                       dialogs.critical(kSettingsTitle, u"The end date is before the start date"_s);
                       return 2;
                   }
                   QString message;
                   const std::optional<InvoiceCharges> charges =
                       parseCharges(options.scratchings, options.trials, settings.ExtChgText1,
                                    options.extra1.value_or(settings.ExtChgVal1.toPlainText()), settings.ExtChgText2,
                                    options.extra2.value_or(settings.ExtChgVal2.toPlainText()), &message);
                   if (!charges) {
                       dialogs.message(kSettingsTitle, message, UserDialogs::Icon::None);
                       return 2;
                   }

                   const InvoiceReport report(computeJockeyInvoice(*jockey, period, *charges, currentParticulars()));
                   const JockeyInvoice &invoice = report.invoice();
                   cli::out(u"Invoice No.: "_s + invoice.particulars.invoiceNumber);
                   cli::out(u"Period: "_s + period.start.toString(Qt::ISODate) + u" to "_s +
                            period.end.toString(Qt::ISODate));
                   for (const InvoiceFooterLine &line : invoice.footer)
                       cli::out(line.label + u": "_s + line.value);
                   if (!invoice.missingRateNote.isEmpty())
                       cli::err(u"Note: "_s + invoice.missingRateNote);

                   // Figures alone leave nothing behind: only a written file spends the invoice number.
                   const QString warning = invoiceWarning(invoice, Clock::instance().today());
                   if (options.pdf.isEmpty() && options.csv.isEmpty()) {
                       if (!warning.isEmpty())
                           cli::err(u"Note: "_s + warning);
                       return 0;
                   }
                   if (!warning.isEmpty() && !dialogs.askYesNo(kSettingsTitle, warning + u"\r\r"_s + kMakeAnyway))
                       return 1;
                   // A file that was written has left the program even when the next one fails: its number is spent.
                   QString why;
                   QStringList made;
                   for (const auto &[path, pdf] : {std::pair{options.pdf, true}, std::pair{options.csv, false}}) {
                       if (path.isEmpty())
                           continue;
                       if (!(pdf ? report.writePdf(path, &why) : report.writeCsv(path, &why)))
                           break;
                       made << u"exported to "_s + path;
                       why.clear();
                   }
                   if (!why.isEmpty())
                       dialogs.critical(u"Error"_s, why);
                   const bool settled = made.isEmpty() || settleInvoice(invoice, made);
                   return why.isEmpty() && settled ? 0 : 1;
               },
               dialogs)
        .value_or(1);
}

const cli::Registration
    invoicing("invoice",
              "invoice JOCKEY [--from YYYY-MM-DD --to YYYY-MM-DD] [--scratchings N] [--trials N] [--extra1 AMOUNT] "
              "[--extra2 AMOUNT] [--pdf FILE] [--csv FILE]  print the jockey's invoice figures; a written file "
              "spends the invoice number; the answer moves the Last Invoice Date",
              invoiceCommand);

} // namespace
