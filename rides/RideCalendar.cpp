#include "RideCalendar.h"

#include "core/Version.h"

#include <QCryptographicHash>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace ridecalendar {
namespace {

constexpr int kEventMinutes = 10;

QByteArray utcText(const QDateTime &moment)
{
    return moment.toUTC().toString(u"yyyyMMdd'T'HHmmss'Z'"_s).toLatin1();
}

} // namespace

QString summary(const Ride &ride)
{
    QStringList details;
    if (ride.barrier > 0)
        details << u"barrier %1"_s.arg(ride.barrier);
    if (ride.weightTenths > 0)
        details << QString::number(ride.weightTenths / 10.0, 'f', 1) + u" kg"_s;
    if (!ride.claim.isEmpty())
        details << u"claims "_s + ride.claim;
    QString text = u"R%1 %2"_s.arg(ride.raceNumber).arg(ride.horse);
    if (!details.isEmpty())
        text += u" ("_s + details.join(u", "_s) + u')';
    return text;
}

QString uid(const Ride &ride)
{
    // Names compare without case in the database, so they do here.
    const QByteArray key = (ride.meetingCode.trimmed().toUpper() + u'|' + ride.horse.trimmed().toUpper()).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(24)) +
           u"@ride.ostrevan"_s;
}

QString escapeText(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' || c == u';' || c == u',') {
            escaped += u'\\';
            escaped += c;
        } else if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            escaped += u"\\n"_s;
        } else if (c == u'\n') {
            escaped += u"\\n"_s;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

QByteArray foldLine(const QByteArray &line)
{
    QByteArray folded;
    qsizetype start = 0;
    int limit = 75; // the first line has 75 octets, each further one a blank and 74
    while (line.size() - start > limit) {
        qsizetype end = start + limit;
        // Never between the octets of one UTF-8 character.
        while (end > start && (uchar(line.at(end)) & 0xC0) == 0x80)
            --end;
        folded += line.mid(start, end - start) + "\r\n ";
        start = end;
        limit = 74;
    }
    return folded + line.mid(start);
}

QByteArray calendarText(const QList<Ride> &rides, const QDateTime &stamp)
{
    QList<QByteArray> lines{"BEGIN:VCALENDAR", "VERSION:2.0",
                            "PRODID:-//Ostrevan//Ostrevan " + QByteArray(version::dotted().toLatin1()) + "//EN",
                            "CALSCALE:GREGORIAN", "METHOD:PUBLISH"};
    const auto text = [&lines](const char *name, const QString &value) {
        lines << QByteArray(name) + ':' + escapeText(value).toUtf8();
    };
    for (const Ride &ride : rides) {
        lines << "BEGIN:VEVENT";
        lines << "UID:" + uid(ride).toUtf8();
        lines << "DTSTAMP:" + utcText(stamp);
        if (ride.start.isValid()) {
            lines << "DTSTART:" + utcText(ride.start);
            lines << "DTEND:" + utcText(ride.start.addSecs(kEventMinutes * 60));
        } else {
            lines << "DTSTART;VALUE=DATE:" + ride.date.toString(u"yyyyMMdd"_s).toLatin1();
            lines << "DTEND;VALUE=DATE:" + ride.date.addDays(1).toString(u"yyyyMMdd"_s).toLatin1();
        }
        text("SUMMARY", summary(ride));
        text("LOCATION", ride.location.isEmpty() ? ride.meetingCode : ride.location);
        QStringList description{u"Trainer: "_s + ride.trainer, u"Phone: "_s + ride.phone,
                                u"Booking: "_s + ride.bookingState};
        if (!ride.start.isValid())
            description << u"Start time not known yet"_s;
        if (!ride.warnings.isEmpty())
            description << u"Warning: "_s + ride.warningText();
        text("DESCRIPTION", description.join(u'\n'));
        lines << "END:VEVENT";
    }
    lines << "END:VCALENDAR";
    QByteArray file;
    for (const QByteArray &line : lines)
        file += foldLine(line) + "\r\n";
    return file;
}

bool writeCalendar(const QString &path, const QList<Ride> &rides, const QDateTime &stamp, QString *why)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(calendarText(rides, stamp)) >= 0 && file.commit())
        return true;
    if (why)
        *why = u"Cannot write %1: %2"_s.arg(path, file.errorString());
    return false;
}

} // namespace ridecalendar
