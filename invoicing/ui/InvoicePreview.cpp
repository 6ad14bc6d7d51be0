#include "InvoicePreview.h"

#include "core/StatusSink.h"
#include "core/UserDialogs.h"
#include "invoicing/InvoiceReport.h"

#include <QAction>
#include <QDir>
#include <QPageSize>
#include <QPaintEngine>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;

namespace {

QString suggestedName(const JockeyInvoice &invoice, const QString &extension)
{
    QString name = u"Invoice %1 %2.%3"_s.arg(invoice.particulars.invoiceNumber, invoice.jockey.name, extension);
    name.replace(u'/', u'-');
    return QDir::home().filePath(name);
}

// The file written, or empty when cancelled or failed.
QString exportFile(const InvoiceReport &report, bool pdf)
{
    UserDialogs &dialogs = UserDialogs::instance();
    UserDialogs::FileRequest request;
    request.title = pdf ? u"Export PDF"_s : u"Export CSV"_s;
    request.filter = pdf ? u"PDF files|*.pdf"_s : u"CSV files|*.csv"_s;
    request.suggestedName = suggestedName(report.invoice(), pdf ? u"pdf"_s : u"csv"_s);
    const QString path = dialogs.saveFile(request);
    if (path.isEmpty())
        return {};
    QString why;
    if (!(pdf ? report.writePdf(path, &why) : report.writeCsv(path, &why))) {
        dialogs.critical(u"Error"_s, why);
        return {};
    }
    return QDir::toNativeSeparators(path);
}

} // namespace

QStringList showInvoicePreview(const InvoiceReport &report, QWidget *parent)
{
    const JockeyInvoice &invoice = report.invoice();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(u"%1 %2 - %3"_s.arg(invoice.heading, invoice.particulars.invoiceNumber, invoice.jockey.name));

    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(u"drJockey"_s);
    preview.setWindowTitle(invoice.title);
    QStringList made;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&report, &made](QPrinter *target) {
        // The preview draws through a picture engine; anything else is the real print.
        const bool previewing = target->paintEngine() && target->paintEngine()->type() == QPaintEngine::Picture;
        const bool drawn = report.paint(target) != 0 && target->printerState() != QPrinter::Error;
        const QString printer = target->printerName().isEmpty() ? u"the printer"_s : target->printerName();
        if (drawn) {
            if (!previewing)
                made << (target->outputFormat() == QPrinter::PdfFormat
                             ? u"printed to %1"_s.arg(QDir::toNativeSeparators(target->outputFileName()))
                             : u"printed on %1"_s.arg(printer));
            return;
        }
        UserDialogs::instance().critical(u"Error"_s, u"The invoice could not be printed on %1"_s.arg(printer));
    });
    if (auto *toolbar = preview.findChild<QToolBar *>()) {
        toolbar->addSeparator();
        QAction *pdf = toolbar->addAction(u"Export PDF…"_s);
        pdf->setObjectName(u"actExportPdf"_s);
        QObject::connect(pdf, &QAction::triggered, &preview, [&report, &made] {
            const QString path = exportFile(report, true);
            if (!path.isEmpty())
                made << u"exported to "_s + path;
        });
        QAction *csv = toolbar->addAction(u"Export CSV…"_s);
        csv->setObjectName(u"actExportCsv"_s);
        QObject::connect(csv, &QAction::triggered, &preview, [&report, &made] {
            const QString path = exportFile(report, false);
            if (!path.isEmpty())
                made << u"exported to "_s + path;
        });
    }
    preview.exec();
    if (!made.isEmpty())
        showStatus(u"%1: %2"_s.arg(invoice.title, made.join(u"; "_s)));
    return made;
}
