#include "InvoiceReport.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// Layout in points; the painter is scaled so that one unit is one point on any device.
constexpr double kRowHeight = 13;
constexpr double kFooterStep = 18; // the footer's line step (450 twips is 22.5 points; a little tighter here)
constexpr double kRecipientTop = 62;

struct Column {
    const char *head;
    double left;  // fraction of the width
    double width; // fraction of the width
    Qt::Alignment align;
};
// "Race Date", "Race No", "Horse Name", "Finish Position", "Prize Money", "Track Name", "State", "Fee".
const Column kColumns[] = {
    {"Race Date", 0.00, 0.13, Qt::AlignLeft},    {"Race No", 0.13, 0.07, Qt::AlignRight},
    {"Horse Name", 0.22, 0.23, Qt::AlignLeft},   {"Finish Position", 0.45, 0.08, Qt::AlignRight},
    {"Prize Money", 0.54, 0.14, Qt::AlignRight}, {"Track Name", 0.70, 0.13, Qt::AlignLeft},
    {"State", 0.83, 0.06, Qt::AlignLeft},        {"Fee", 0.89, 0.11, Qt::AlignRight},
};

QFont reportFont(double points, bool bold = false, bool italic = false)
{
    QFont font(u"DejaVu Sans"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// Draws in points on a device measured in its own pixels.
class Canvas
{
public:
    Canvas(QPainter &painter, QPagedPaintDevice *device) : m_painter(painter), m_scale(device->logicalDpiY() / 72.0)
    {
        m_width = device->width() / m_scale;
        m_height = device->height() / m_scale;
    }
    double width() const { return m_width; }
    double height() const { return m_height; }

    void text(double x, double y, double w, double h, const QString &text, const QFont &font,
              Qt::Alignment align = Qt::AlignLeft, bool wrap = false)
    {
        QFont scaled = font;
        scaled.setPixelSize(qMax(1, qRound(font.pointSizeF() * m_scale)));
        m_painter.setFont(scaled);
        const int flags = int(align | Qt::AlignTop) | (wrap ? Qt::TextWordWrap : 0);
        m_painter.drawText(QRectF(x * m_scale, y * m_scale, w * m_scale, h * m_scale), flags, text);
    }
    void line(double x1, double y1, double x2, double y2)
    {
        m_painter.setPen(QPen(Qt::black, qMax(1.0, 0.6 * m_scale)));
        m_painter.drawLine(QPointF(x1 * m_scale, y1 * m_scale), QPointF(x2 * m_scale, y2 * m_scale));
    }

private:
    QPainter &m_painter;
    double m_scale;
    double m_width = 0;
    double m_height = 0;
};

// The height of a text wrapped at `width` points, in points.
double wrappedHeight(QPaintDevice *device, const QString &text, const QFont &font, double width)
{
    const double scale = device->logicalDpiY() / 72.0;
    const QFontMetricsF metrics(font, device);
    return metrics.boundingRect(QRectF(0, 0, width * scale, 1e6), Qt::TextWordWrap, text).height() / scale;
}

// "Jo One (J ONE)", or the name alone when the full name adds nothing.
QString recipientName(const JockeyInvoice &invoice)
{
    return invoice.jockey.fullName.trimmed().isEmpty() || invoice.jockey.fullName == invoice.jockey.name
               ? invoice.jockey.name
               : u"%1 (%2)"_s.arg(invoice.jockey.fullName, invoice.jockey.name);
}

QString recipientText(const JockeyInvoice &invoice)
{
    return u"To: "_s + recipientName(invoice);
}

// Where the header's lines go: a long name wraps the recipient and period lines instead of
// cutting them, and the column heads and rides move down to make room.
struct HeaderLayout {
    double titleTop = 0;
    double headsTop = 0;
    double height = 0; // where the rides begin
};

HeaderLayout headerLayout(QPaintDevice *device, const JockeyInvoice &invoice, double width)
{
    HeaderLayout layout;
    layout.titleTop =
        kRecipientTop + std::max(14.0, wrappedHeight(device, recipientText(invoice), reportFont(10), width)) + 8;
    layout.headsTop =
        layout.titleTop + std::max(16.0, wrappedHeight(device, invoice.title, reportFont(11, true), width)) + 12;
    layout.height = layout.headsTop + 38;
    return layout;
}

// The owed part starts with a heading of its own, half a line below the rides' figures.
double footerHeight(const JockeyInvoice &invoice, double noteHeight)
{
    return 10 + kFooterStep * (double(invoice.footer.size()) + 1.5) + (noteHeight > 0 ? noteHeight + 12 : 0);
}

void drawHeader(Canvas &canvas, const JockeyInvoice &invoice, const HeaderLayout &layout, int page, int pages)
{
    const double w = canvas.width();
    const InvoiceParticulars &seller = invoice.particulars;
    canvas.text(0, 0, w * 0.6, 24, invoice.heading, reportFont(16, true));
    canvas.text(w * 0.6, 0, w * 0.4, 14, u"Page : %1 of %2"_s.arg(page).arg(pages), reportFont(9), Qt::AlignRight);
    canvas.text(0, 26, w * 0.6, 16, seller.company, reportFont(12, true));
    if (!invoice.abnText.isEmpty())
        canvas.text(0, 42, w * 0.6, 14, u"ABN "_s + invoice.abnText, reportFont(9));
    canvas.text(w * 0.6, 26, w * 0.4, 14, u"Invoice No. "_s + seller.invoiceNumber, reportFont(10, true),
                Qt::AlignRight);
    canvas.text(w * 0.6, 42, w * 0.4, 14, u"Date of issue: "_s + seller.issued.toString(u"d MMMM yyyy"_s),
                reportFont(9), Qt::AlignRight);
    canvas.text(0, kRecipientTop, w, layout.titleTop - kRecipientTop, recipientText(invoice), reportFont(10),
                Qt::AlignLeft, true);
    canvas.text(0, layout.titleTop, w, layout.headsTop - layout.titleTop, invoice.title, reportFont(11, true),
                Qt::AlignLeft, true);

    const QFont head = reportFont(8, true);
    for (const Column &column : kColumns)
        canvas.text(w * column.left, layout.headsTop, w * column.width, 26, QLatin1String(column.head), head,
                    column.align, true);
    canvas.line(0, layout.height - 8, w, layout.height - 8);
}

void drawRide(Canvas &canvas, const InvoiceRide &ride, double y)
{
    const double w = canvas.width();
    const QFont font = reportFont(8.5);
    const QString cells[] = {ride.raceDate.toString(u"d MMM yyyy"_s),
                             QString::number(ride.raceNumber),
                             ride.horse,
                             ride.finish,
                             ride.prizeMoney.toDisplay(),
                             ride.track,
                             ride.state,
                             ride.fee.toDisplay()};
    for (int i = 0; i < 8; ++i) {
        const Column &column = kColumns[i];
        canvas.text(w * column.left, y, w * column.width, kRowHeight, cells[i], font, column.align);
    }
}

// The footer's lines in order; hidden lines are simply absent, so nothing leaves a gap. The
// rides' figures stand under the prize money; the amounts owed, under their own heading, stand
// under the fees at the right, where their totals are.
double drawFooter(Canvas &canvas, const JockeyInvoice &invoice, double y)
{
    const double w = canvas.width();
    const Column &prize = kColumns[4];
    const Column &fee = kColumns[7];
    const double figureRight = w * (prize.left + prize.width);
    const double owedWidth = w * fee.width + 10;
    canvas.line(0, y + 2, w, y + 2);
    y += 10;
    bool owedPart = false;
    for (const InvoiceFooterLine &line : invoice.footer) {
        if (line.owed && !owedPart) {
            owedPart = true;
            y += kFooterStep / 2;
            canvas.text(0, y, w * 0.6, kFooterStep, u"Owed to the manager"_s, reportFont(9.5, true));
            y += kFooterStep;
        }
        const bool total = line.ruleAbove;
        if (total)
            canvas.line(w - owedWidth, y - 2, w, y - 2);
        const QFont font = reportFont(9, total);
        canvas.text(w * 0.04, y, w * 0.30, kFooterStep, line.label, font);
        if (!line.count.isEmpty())
            canvas.text(w * 0.34, y, w * 0.05, kFooterStep, line.count, font, Qt::AlignRight);
        if (!line.rate.isEmpty())
            canvas.text(w * 0.41, y, w * 0.44, kFooterStep, line.rate, font);
        if (line.owed) {
            canvas.text(w - owedWidth, y, owedWidth, kFooterStep, line.value, font, Qt::AlignRight);
        } else {
            // Texts such as "At Commision Rate" may run left of the amounts' column.
            canvas.text(w * 0.30, y, figureRight - w * 0.30, kFooterStep, line.value, font, Qt::AlignRight);
        }
        y += kFooterStep;
    }
    if (!invoice.missingRateNote.isEmpty())
        canvas.text(0, y + 8, w, canvas.height() - y, invoice.missingRateNote, reportFont(8, false, true),
                    Qt::AlignLeft, true);
    return y;
}

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

// A money text of the report as a plain number for bookkeeping ("$1,234.50" → "1234.50").
QString csvAmount(QString display)
{
    if (!display.contains(u'$'))
        return display;
    return display.remove(u'$').remove(u',');
}

QString plainCents(const Currency &amount)
{
    return csvAmount(amount.toDisplay());
}

} // namespace

QList<InvoiceReport::Page> InvoiceReport::paginate(double pageHeight, double headerHeight, double footerNeeds) const
{
    QList<Page> pages;
    const double body = pageHeight - headerHeight;
    const auto perPage = qsizetype(qMax(1.0, std::floor(body / kRowHeight)));
    const qsizetype rides = m_invoice.rides.size();
    qsizetype at = 0;
    do {
        Page page;
        page.firstRide = at;
        page.rideCount = qMin(perPage, rides - at);
        at += page.rideCount;
        pages << page;
    } while (at < rides);
    // The footer goes below the last rides when it fits there, else on a page of its own.
    Page &last = pages.last();
    if (body - double(last.rideCount) * kRowHeight >= footerNeeds)
        last.footer = true;
    else
        pages << Page{rides, 0, true};
    return pages;
}

int InvoiceReport::pageCount(QPagedPaintDevice *device) const
{
    const double scale = device->logicalDpiY() / 72.0;
    const double width = device->width() / scale;
    const double height = device->height() / scale;
    const double note = m_invoice.missingRateNote.isEmpty()
                            ? 0
                            : wrappedHeight(device, m_invoice.missingRateNote, reportFont(8, false, true), width);
    const HeaderLayout header = headerLayout(device, m_invoice, width);
    return int(paginate(height, header.height, footerHeight(m_invoice, note)).size());
}

int InvoiceReport::paint(QPagedPaintDevice *device) const
{
    QPainter painter;
    if (!painter.begin(device))
        return 0;
    Canvas canvas(painter, device);
    const double note = m_invoice.missingRateNote.isEmpty() ? 0
                                                            : wrappedHeight(device, m_invoice.missingRateNote,
                                                                            reportFont(8, false, true), canvas.width());
    const HeaderLayout header = headerLayout(device, m_invoice, canvas.width());
    const QList<Page> pages = paginate(canvas.height(), header.height, footerHeight(m_invoice, note));
    for (qsizetype index = 0; index < pages.size(); ++index) {
        if (index > 0 && !device->newPage())
            return 0;
        const Page &page = pages.at(index);
        drawHeader(canvas, m_invoice, header, int(index + 1), int(pages.size()));
        double y = header.height;
        for (qsizetype ride = page.firstRide; ride < page.firstRide + page.rideCount; ++ride) {
            drawRide(canvas, m_invoice.rides.at(ride), y);
            y += kRowHeight;
        }
        if (page.footer)
            drawFooter(canvas, m_invoice, y);
    }
    return painter.end() ? int(pages.size()) : 0;
}

bool InvoiceReport::writePdf(const QString &path, QString *why) const
{
    // Drawn into memory first, so that a file that cannot be written is never left half made.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *why = u"The PDF file %1 cannot be written: %2"_s.arg(path, file.errorString());
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                         QPageLayout::Millimeter));
        writer.setResolution(300);
        writer.setTitle(m_invoice.heading + u" "_s + m_invoice.particulars.invoiceNumber + u" - "_s +
                        m_invoice.jockey.name);
        writer.setCreator(m_invoice.particulars.company);
        if (paint(&writer) == 0) {
            file.cancelWriting();
            *why = u"The invoice could not be drawn into %1"_s.arg(path);
            return false;
        }
    }
    if (!file.commit()) {
        *why = u"The PDF file %1 cannot be written: %2"_s.arg(path, file.errorString());
        return false;
    }
    return true;
}

QString InvoiceReport::csvText() const
{
    // Whose invoice it is comes first, so that the file stands on its own in the books.
    const JockeyInvoice &invoice = m_invoice;
    QStringList lines{
        u"Business,"_s + csvField(invoice.particulars.company),
        u"ABN,"_s + invoice.abnText,
        u"Jockey,"_s + csvField(recipientName(invoice)),
        u"Period,%1 to %2"_s.arg(invoice.period.start.toString(Qt::ISODate), invoice.period.end.toString(Qt::ISODate)),
        u"%1 No.,"_s.arg(invoice.heading) + csvField(invoice.particulars.invoiceNumber),
        u"Date of issue,"_s + invoice.particulars.issued.toString(Qt::ISODate),
        QString()};
    QStringList heads;
    for (const Column &column : kColumns)
        heads << QLatin1String(column.head);
    lines << heads.join(u',');
    for (const InvoiceRide &ride : m_invoice.rides) {
        lines << QStringList{ride.raceDate.toString(Qt::ISODate),
                             QString::number(ride.raceNumber),
                             csvField(ride.horse),
                             csvField(ride.finish),
                             plainCents(ride.prizeMoney),
                             csvField(ride.track),
                             csvField(ride.state),
                             plainCents(ride.fee)}
                     .join(u',');
    }
    lines << QString();
    lines << u"Item,Count,Rate,Amount"_s;
    for (const InvoiceFooterLine &line : m_invoice.footer) {
        const QString rate = line.rate.startsWith(u"@ "_s) ? line.rate.mid(2) : line.rate;
        lines << QStringList{csvField(line.label), line.count, csvField(csvAmount(rate)),
                             csvField(csvAmount(line.value))}
                     .join(u',');
    }
    if (!m_invoice.missingRateNote.isEmpty())
        lines << u"Note,,,"_s + csvField(m_invoice.missingRateNote);
    return lines.join(u'\n') + u'\n';
}

bool InvoiceReport::writeCsv(const QString &path, QString *why) const
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        file.write(csvText().toUtf8());
        if (file.commit())
            return true;
    }
    *why = u"The CSV file %1 cannot be written: %2"_s.arg(path, file.errorString());
    return false;
}
