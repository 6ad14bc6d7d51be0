#include "MeetingPrintPreview.h"

#include "bookings/MeetingReport.h"
#include "core/StatusSink.h"
#include "core/UserDialogs.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;

void showMeetingPrintPreview(QWidget *parent, const QString &meetingCode)
{
    const meetingreport::Report report = meetingreport::buildReport(meetingCode);
    if (!report.found || report.groups.isEmpty()) {
        UserDialogs::instance().message(u"Meeting Report"_s,
                                        "There are no runners to print for meeting "_L1 + meetingCode + u'.',
                                        UserDialogs::Icon::Information);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName("Meeting Report - "_L1 + report.title);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(u"drMeeting"_s);
    preview.setWindowTitle(u"Meeting Report"_s);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&report](QPrinter *target) { meetingreport::render(report, target); });
    if (QToolBar *toolbar = preview.findChild<QToolBar *>()) {
        QAction *exportPdf = toolbar->addAction(u"Export PDF…"_s);
        exportPdf->setObjectName(u"exportPdf"_s);
        QObject::connect(exportPdf, &QAction::triggered, &preview, [&report, meetingCode] {
            UserDialogs::FileRequest request;
            request.title = u"Export PDF"_s;
            request.filter = u"PDF files|*.pdf"_s;
            request.suggestedName = meetingCode + ".pdf"_L1;
            const QString file = UserDialogs::instance().saveFile(request);
            if (file.isEmpty())
                return;
            if (!meetingreport::writePdf(report, file))
                UserDialogs::instance().critical(u"Error"_s, "The PDF file could not be written:\r"_L1 + file);
            else
                showStatus(u"Exported the meeting report of %1 to %2"_s.arg(meetingCode, file));
        });
    }
    preview.exec();
}
