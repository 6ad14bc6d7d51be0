#include "RideSheetReport.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

using namespace Qt::StringLiterals;

namespace {

QTextCharFormat textFormat(double points, bool bold = false)
{
    QTextCharFormat format;
    format.setFontFamilies({u"DejaVu Sans"_s});
    format.setFontPointSize(points);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return format;
}

QString daysText(const QDate &first, int days)
{
    const QString start = first.toString(u"dddd d MMMM yyyy"_s);
    return days <= 1 ? start : start + u" to "_s + first.addDays(days - 1).toString(u"dddd d MMMM yyyy"_s);
}

} // namespace

RideSheetReport::RideSheetReport(QList<Ride> rides, QString company, QDate first, int days)
    : m_rides(std::move(rides)), m_company(std::move(company)), m_first(first), m_days(std::max(1, days))
{}

RideSheetReport::~RideSheetReport() = default;

QStringList RideSheetReport::jockeys() const
{
    QStringList names;
    for (const Ride &ride : m_rides)
        if (names.isEmpty() || names.constLast() != ride.jockey)
            names << ride.jockey;
    return names;
}

std::unique_ptr<QTextDocument> RideSheetReport::document() const
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDocumentMargin(0);
    QTextCursor cursor(doc.get());
    const QStringList heads = ridesheet::columnHeads(false);
    bool firstPage = true;
    for (const QString &jockey : jockeys()) {
        QTextBlockFormat heading;
        if (!firstPage)
            heading.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        if (firstPage)
            cursor.setBlockFormat(heading);
        else
            cursor.insertBlock(heading);
        firstPage = false;
        // Only the heading breaks the page: the blocks after it must not inherit that.
        cursor.insertText(m_company, textFormat(14, true));
        cursor.insertBlock(QTextBlockFormat());
        cursor.insertText(u"Rides for "_s + jockey, textFormat(12, true));
        cursor.insertBlock(QTextBlockFormat());
        cursor.insertText(daysText(m_first, m_days), textFormat(10));
        cursor.insertBlock(QTextBlockFormat());

        QList<const Ride *> rides;
        for (const Ride &ride : m_rides)
            if (ride.jockey == jockey)
                rides << &ride;
        QTextTableFormat table;
        table.setHeaderRowCount(1);
        table.setCellPadding(3);
        table.setCellSpacing(0);
        table.setBorder(0.5);
        table.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        table.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        const double widths[] = {13, 5, 5, 5, 13, 6, 7, 12, 10, 9, 15};
        QList<QTextLength> constraints;
        for (double width : widths)
            constraints << QTextLength(QTextLength::PercentageLength, width);
        table.setColumnWidthConstraints(constraints);
        QTextTable *grid = cursor.insertTable(int(rides.size()) + 1, int(heads.size()), table);
        for (int column = 0; column < heads.size(); ++column)
            grid->cellAt(0, column).firstCursorPosition().insertText(heads.at(column), textFormat(8, true));
        for (int row = 0; row < rides.size(); ++row) {
            const QStringList cells = ridesheet::cells(*rides.at(row), false);
            for (int column = 0; column < cells.size(); ++column)
                grid->cellAt(row + 1, column).firstCursorPosition().insertText(cells.at(column), textFormat(8));
        }
        cursor.movePosition(QTextCursor::End);
    }
    if (firstPage) {
        cursor.insertText(m_company, textFormat(14, true));
        cursor.insertBlock();
        cursor.insertText(u"No rides booked for "_s + daysText(m_first, m_days), textFormat(10));
    }
    return doc;
}

void RideSheetReport::print(QPagedPaintDevice *device) const
{
    document()->print(device);
}

bool RideSheetReport::writePdf(const QString &path, QString *why) const
{
    {
        QPdfWriter writer(path);
        writer.setTitle(u"Ride sheets"_s);
        writer.setCreator(m_company);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                         QPageLayout::Millimeter));
        print(&writer);
    }
    if (QFile(path).size() > 0)
        return true;
    if (why)
        *why = u"Cannot write %1"_s.arg(path);
    return false;
}
