#include "MeetingReport.h"

#include "BookedEntry.h"
#include "MainLists.h"
#include "core/cAppSettings.h"
#include "db/Database.h"

#include <QDate>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QTime>

using namespace Qt::Literals::StringLiterals;

namespace meetingreport {

namespace {

// Page geometry in points (A4 portrait).
constexpr double kPageWidth = 595.0;
constexpr double kPageHeight = 842.0;
constexpr double kMargin = 34.0;
constexpr double kHeaderHeight = 78.0;
constexpr double kFooterHeight = 22.0;
constexpr double kGroupHeight = 22.0;
constexpr double kLineHeight = 13.5;
constexpr double kBodyHeight = kPageHeight - 2 * kMargin - kHeaderHeight - kFooterHeight;

// Column widths in points, in the order of the captions; they fill the printable width.
const double kWidths[] = {18, 34, 96, 84, 27, 24, 30, 80, 62, 68};

QString blankIfZero(const QVariant &value, bool oneDecimal, double divisor)
{
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok) / divisor;
    if (!ok || number == 0)
        return u" "_s;
    return oneDecimal ? QString::number(number, 'f', 1) : QString::number(number);
}

QString timeText(const QString &stored)
{
    const QTime time = mainlists::storedRaceTime(stored);
    return time.isValid() ? time.toString(u"HH.mm"_s) : QString();
}

} // namespace

QList<QList<PageItem>> layoutPages(const Report &report)
{
    QList<QList<PageItem>> pages(1);
    double used = 0;
    for (int g = 0; g < report.groups.size(); ++g) {
        const Group &group = report.groups.at(g);
        // A race's header never stands alone at the foot of a page.
        const double headerNeed = kGroupHeight + (group.lines.isEmpty() ? 0 : kLineHeight);
        if (used > 0 && used + headerNeed > kBodyHeight) {
            pages.append(QList<PageItem>());
            used = 0;
        }
        pages.last().append(PageItem{g, -1, false});
        used += kGroupHeight;
        for (int l = 0; l < group.lines.size(); ++l) {
            if (used + kLineHeight > kBodyHeight) {
                // The rest of the race goes over the page under its heading again.
                pages.append(QList<PageItem>{PageItem{g, -1, true}});
                used = kGroupHeight;
            }
            pages.last().append(PageItem{g, l, false});
            used += kLineHeight;
        }
    }
    return pages;
}

QString headingLeft(const Group &group, bool continued)
{
    return u"Race %1   %2%3"_s.arg(group.raceNumber).arg(group.raceDetails, continued ? u" (continued)"_s : QString());
}

QString headingRight(const Group &group)
{
    QStringList parts;
    for (const QString &part : {group.distance, group.time, group.appClaim})
        if (!part.isEmpty())
            parts << part;
    return parts.join(u"   "_s);
}

namespace {

constexpr int kHorseColumn = 2;

// Runners' texts are shortened with "…" to their cells, except the horse's name, which is
// printed smaller instead: the sheet is read at the track by it. The captions are printed whole.
void drawCells(QPainter &p, double y, const QStringList &texts, double height, bool elide = true)
{
    double x = kMargin;
    const QFontMetricsF metrics(p.font(), p.device());
    for (int i = 0; i < texts.size() && i < int(std::size(kWidths)); ++i) {
        const double w = kWidths[i];
        const QRectF cell(x + 1, y, w - 3, height);
        const Qt::Alignment align = (i == 0 || i == 4 || i == 5) ? Qt::AlignRight : Qt::AlignLeft;
        const double needed = metrics.horizontalAdvance(texts.at(i));
        if (elide && i == kHorseColumn && needed > cell.width()) {
            const QFont font = p.font();
            QFont smaller = font;
            smaller.setPointSizeF(font.pointSizeF() * cell.width() / needed * 0.97);
            p.setFont(smaller);
            p.drawText(cell, align | Qt::AlignVCenter | Qt::TextDontClip, texts.at(i));
            p.setFont(font);
        } else {
            p.drawText(cell, align | Qt::AlignVCenter | Qt::TextDontClip,
                       elide ? metrics.elidedText(texts.at(i), Qt::ElideRight, cell.width()) : texts.at(i));
        }
        x += w;
    }
}

// The painter is scaled to points; fonts are sized on the device, so they take the scale back out.
double g_fontScale = 1.0;

QFont pointFont(double size, bool bold = false)
{
    QFont font(u"Helvetica"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(size * g_fontScale);
    font.setBold(bold);
    return font;
}

void drawPage(QPainter &p, const Report &report, const QList<PageItem> &items, int page, int pages)
{
    // Page header: title, date, page number, the note and the column captions.
    p.setPen(Qt::black);
    p.setFont(pointFont(16, true));
    p.drawText(QRectF(kMargin, kMargin, kPageWidth - 2 * kMargin, 22), Qt::AlignLeft | Qt::AlignVCenter, report.title);
    p.setFont(pointFont(10));
    p.drawText(QRectF(kMargin, kMargin, kPageWidth - 2 * kMargin, 22), Qt::AlignRight | Qt::AlignVCenter,
               u"Page : %1 of %2"_s.arg(page).arg(pages));
    p.drawText(QRectF(kMargin, kMargin + 22, 300, 16), Qt::AlignLeft | Qt::AlignVCenter, report.date);
    p.setFont(pointFont(8.5, false));
    p.drawText(QRectF(kMargin, kMargin + 22, kPageWidth - 2 * kMargin, 16), Qt::AlignRight | Qt::AlignVCenter,
               kLastRiderNote);
    p.setFont(pointFont(8.5, true));
    const double captionsY = kMargin + kHeaderHeight - 20;
    drawCells(p, captionsY, columnCaptions(), 16, false);
    p.drawLine(QPointF(kMargin, captionsY + 17), QPointF(kPageWidth - kMargin, captionsY + 17));

    double y = kMargin + kHeaderHeight;
    for (const PageItem &item : items) {
        const Group &group = report.groups.at(item.group);
        if (item.line < 0) {
            const QRectF band(kMargin + 4, y + 3, kPageWidth - 2 * kMargin - 8, kGroupHeight - 5);
            p.fillRect(band.adjusted(-4, 0, 4, 0), QColor(225, 232, 245));
            // The right side first: the race name gets what is left of the band, and a gap.
            p.setFont(pointFont(9));
            const QString right = headingRight(group);
            const double rightWidth = QFontMetricsF(p.font(), p.device()).horizontalAdvance(right);
            p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, right);
            p.setFont(pointFont(10, true));
            const QRectF left(band.left(), band.top(), std::max(0.0, band.width() - rightWidth - 18), band.height());
            // A long name gives way, the "(continued)" mark does not.
            const QFontMetricsF metrics(p.font(), p.device());
            const QString mark = headingLeft(group, item.continued).mid(headingLeft(group, false).size());
            const QString name = metrics.elidedText(headingLeft(group, false), Qt::ElideRight,
                                                    std::max(0.0, left.width() - metrics.horizontalAdvance(mark)));
            p.drawText(left, Qt::AlignLeft | Qt::AlignVCenter, name + mark);
            y += kGroupHeight;
            continue;
        }
        const Line &line = group.lines.at(item.line);
        p.setFont(pointFont(9));
        drawCells(p, y,
                  {line.entryNo, line.form, line.horse, line.trainer, line.weight, line.rating, line.varData,
                   line.jockey, line.booking, line.phone},
                  kLineHeight);
        y += kLineHeight;
    }

    const double footerY = kPageHeight - kMargin - kFooterHeight + 6;
    p.drawLine(QPointF(kMargin, footerY), QPointF(kPageWidth - kMargin, footerY));
    p.setFont(pointFont(8));
    p.drawText(QRectF(kMargin, footerY + 2, 300, 14), Qt::AlignLeft | Qt::AlignVCenter, report.company);
    p.drawText(QRectF(kPageWidth - kMargin - 200, footerY + 2, 200, 14), Qt::AlignRight | Qt::AlignVCenter,
               kPageFooterRight);
}

} // namespace

int Report::lineCount() const
{
    int count = 0;
    for (const Group &group : groups)
        count += static_cast<int>(group.lines.size());
    return count;
}

QStringList columnCaptions()
{
    return {u"No"_s,  u"Form"_s, u"Horse Name"_s,  u"Trainer Name"_s, u"Wgt"_s,
            u"Rtg"_s, u"B/C"_s,  u"Jockey Name"_s, u"Book Status"_s,  u"Trainer Phone"_s};
}

Report buildReport(const QString &meetingCode)
{
    Report report;
    report.company = cAppSettings::instance().Companyname.trimmed();
    report.meetingCode = meetingCode;
    Db db = OpenDb();
    QString level;
    {
        QSqlQuery meeting = db.exec(
            u"SELECT MeetingLocation, MeetingDate, MeetingLevel FROM Meeting WHERE MeetingCode = ?"_s, {meetingCode});
        if (!meeting.next())
            return report;
        report.found = true;
        report.title = meeting.value(0).toString();
        const QDate date = QDate::fromString(meeting.value(1).toString().left(10), Qt::ISODate);
        report.date = date.isValid()
                          ? QLocale(QLocale::English, QLocale::Australia).toString(date, u"dddd d MMMM yyyy"_s)
                          : meeting.value(1).toString();
        level = meeting.value(2).toString();
    }
    QString varData = u"V.Class"_s;
    if (level == "ACP"_L1)
        varData = u"COALESCE(V.Barrier, '') || COALESCE(V.EorB, '')"_s;
    else if (level == "WGT"_L1)
        varData = u"COALESCE(V.Ballot, '') || COALESCE(V.EorB, '')"_s;
    // The booked jockey by name when the jockey has no full name (never the horse's last rider), on the entry the
    // booking belongs to when the horse is entered in two races.
    // A booked horse the field no longer lists is still printed, marked scratched, so that the
    // sheet at the track shows the ride is off.
    QSqlQuery query = db.exec(
        "SELECT V.RaceNumber, V.RaceDetails, V.RaceDistance, V.RaceTime, V.AppClaim, V.Form, V.Horse, V.TrainerName, "
        "V.Weight, V.Rating, "_L1 +
            varData +
            ", COALESCE(NULLIF(TRIM(J.FullName), ''), B.Jockey), B.BookingSelection, V.TrainerPhone, V.EntryNo, "
            "N.LastJockey, V.EorB "
            "FROM qryMeetingView V LEFT JOIN Noms N ON N.rowid = (SELECT rowid FROM Noms WHERE MeetingCode = "
            "V.MeetingCode AND Horse = V.Horse LIMIT 1) "
            "LEFT JOIN Bookings B ON B.rowid = (SELECT rowid FROM Bookings WHERE MeetingCode = V.MeetingCode "
            "AND Horse = V.Horse LIMIT 1) AND V.RaceNumber = "_L1 +
            bookedRaceSql(u"B"_s) +
            " LEFT JOIN Jockey J ON J.Jockey = B.Jockey "
            "WHERE V.MeetingCode = ? "
            "UNION ALL SELECT R.RaceNumber, R.RaceDetails, R.RaceDistance, R.RaceTime, R.ApprClaim, '', B.Horse, "
            "B.TrainerName, NULL, NULL, '', COALESCE(NULLIF(TRIM(J.FullName), ''), B.Jockey), B.BookingSelection, "
            "COALESCE(NULLIF(T.Phone, ''), NULLIF(T.TrainerMobile, '')), NULL, NULL, 'S' "
            "FROM Bookings B LEFT JOIN Race R ON R.rowid = (SELECT rowid FROM Race WHERE MeetingCode = B.MeetingCode "
            "AND RaceCode = B.RaceCode ORDER BY RaceNumber LIMIT 1) LEFT JOIN Jockey J ON J.Jockey = B.Jockey "
            "LEFT JOIN Trainer T ON T.TrainerName = B.TrainerName "
            "WHERE B.MeetingCode = ? AND NOT EXISTS (SELECT 1 FROM Noms N WHERE N.MeetingCode = B.MeetingCode "
            "AND N.Horse = B.Horse) "
            "ORDER BY 1, 15, 7"_L1,
        {meetingCode, meetingCode});
    while (query.next()) {
        const int race = query.value(0).toInt();
        if (report.groups.isEmpty() || report.groups.constLast().raceNumber != race) {
            Group group;
            group.raceNumber = race;
            group.raceDetails = query.value(1).toString();
            const QString distance = query.value(2).toString();
            group.distance = distance.isEmpty() ? QString() : distance + "mtrs"_L1;
            group.time = timeText(query.value(3).toString());
            group.appClaim = query.value(4).toInt() != 0 ? u"Apprentices can claim"_s : u"No apprentice claims"_s;
            report.groups.append(group);
        }
        Line line;
        line.form = query.value(5).toString().trimmed();
        line.horse = query.value(6).toString();
        line.trainer = query.value(7).toString();
        line.weight = blankIfZero(query.value(8), true, 10);
        line.rating = blankIfZero(query.value(9), false, 1);
        line.varData = query.value(10).toString();
        line.jockey = query.value(11).toString();
        const QString lastRider = query.value(15).toString();
        if (line.jockey.isEmpty() && !lastRider.isEmpty())
            line.jockey = u'@' + lastRider;
        line.booking = query.value(12).toString();
        if (!query.value(11).toString().isEmpty() && query.value(16).toString().trimmed().toUpper() == "S"_L1)
            line.booking = mainlists::kScratched;
        line.phone = query.value(13).toString();
        line.entryNo = query.value(14).toString();
        report.groups.last().lines.append(line);
    }
    return report;
}

int pageCount(const Report &report)
{
    return static_cast<int>(layoutPages(report).size());
}

bool render(const Report &report, QPagedPaintDevice *device)
{
    device->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(device))
        return false;
    // Draw in points whatever the device's resolution.
    const double scale = painter.viewport().width() / kPageWidth;
    painter.scale(scale, scale);
    g_fontScale = 72.0 / device->logicalDpiY();
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QList<QList<PageItem>> pages = layoutPages(report);
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            device->newPage();
        drawPage(painter, report, pages.at(i), i + 1, static_cast<int>(pages.size()));
    }
    return painter.end();
}

bool writePdf(const Report &report, const QString &file)
{
    QPdfWriter writer(file);
    writer.setResolution(300);
    writer.setTitle(kPageFooterRight + " - "_L1 + report.title);
    writer.setCreator(u"Ostrevan 2"_s);
    return render(report, &writer);
}

} // namespace meetingreport
