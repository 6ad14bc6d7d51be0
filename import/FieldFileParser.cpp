#include "FieldFileParser.h"

#include "core/TextRules.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr QChar kCr = u'\r';

// Windows-1252 differs from Latin-1 only in 0x80–0x9F; the five unassigned bytes keep their
// Latin-1 (C1) meaning, as Windows itself decodes them.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Whole number with nothing else but surrounding blanks.
// The record kinds, by the text comparisons of columns 1-2, 3-6 and 5-7 (in this order).
enum class Kind { Header, Race, Conditions, Horse, Other };

Kind kindOf(const QString &line)
{
    const QString raceNo = line.mid(0, 2);
    const QString raceType = line.mid(2, 4);
    if (raceNo == "00"_L1)
        return Kind::Header;
    if (raceNo > "00"_L1 && raceType == "0010"_L1)
        return Kind::Race;
    if (raceNo > "00"_L1 && raceType > "0010"_L1 && raceType < "0040"_L1)
        return Kind::Conditions;
    if (raceNo > "00"_L1 && line.mid(4, 3) > "399"_L1)
        return Kind::Horse;
    return Kind::Other;
}

// Why a record cannot be read; the record is left out and the file goes on.
struct Unreadable {
    QString why;
};

// Reads one file's lines into the result, keeping what a horse's records say until its
// trainer record completes it.
class Reader
{
public:
    Reader(const QString &displayName, const FieldFileName &identity) : m_name(displayName)
    {
        m_file.meeting.meetingCode = identity.meetingCode;
        m_file.meeting.trackCode = identity.trackCode;
        m_file.meeting.level = identity.level;
    }

    void line(int number, const QString &text)
    {
        m_line = number;
        if (text.trimmed().isEmpty())
            return;
        try {
            record(text);
        } catch (const Unreadable &unreadable) {
            m_file.skipped.append({m_line, unreadable.why, 0});
        }
    }

    FieldFile finish()
    {
        if (!m_haveHeader) {
            QString why = u"%1: no meeting header line (a line beginning \"00\") could be read"_s.arg(m_name);
            if (!m_file.skipped.isEmpty())
                why += u" (line %1: %2)"_s.arg(m_file.skipped.first().line).arg(m_file.skipped.first().reason);
            throw FieldFileError(why);
        }
        horseWithoutTrainer();
        return std::move(m_file);
    }

private:
    void record(const QString &text)
    {
        if (text.size() < 7)
            fail(u"the line is truncated (%1 characters)"_s.arg(text.size()));
        for (int i = 0; i < 7; ++i) {
            if (!text.at(i).isDigit() || text.at(i).unicode() > 127)
                fail(u"columns 1-7 must be digits, found \"%1\""_s.arg(text.left(7)));
        }
        const QStringList fields = text.mid(7).split(u'<');
        switch (kindOf(text)) {
        case Kind::Header:
            header(fields);
            break;
        case Kind::Race:
            race(text, fields);
            break;
        case Kind::Conditions:
            if (m_raceOpen)
                m_file.races.last().details += kCr + fields.at(0);
            break;
        case Kind::Horse:
            horseLevel(text, fields);
            break;
        case Kind::Other:
            break;
        }
    }

    [[noreturn]] static void fail(const QString &why) { throw Unreadable{why}; }

    static void need(const QStringList &fields, int count, const char *record)
    {
        if (fields.size() < count)
            fail(u"the %1 record has %2 fields, at least %3 are needed"_s.arg(QLatin1String(record))
                     .arg(fields.size())
                     .arg(count));
    }

    // Field `index` as a whole number; nullopt when it is blank, or when it is not a number, which
    // leaves the value empty and is reported.
    std::optional<int> secondaryNumber(const QStringList &fields, int index, const char *what)
    {
        const QString &text = fields.at(index);
        if (text.trimmed().isEmpty())
            return std::nullopt;
        const std::optional<int> value = wholeNumber(text);
        if (!value)
            leaveEmpty(index, what, text);
        return value;
    }

    void leaveEmpty(int index, const char *what, const QString &value)
    {
        m_file.emptied.append({m_line, index, QLatin1String(what), value});
    }

    // A record with fewer fields than the format has: the missing ones are empty.
    static QStringList padded(QStringList fields, int count)
    {
        while (fields.size() < count)
            fields.append(QString());
        return fields;
    }

    // Columns `from`-`from + length - 1` of the line as a whole number.
    static int columns(const QString &text, int from, int length, const char *what)
    {
        const std::optional<int> value = wholeNumber(text.mid(from - 1, length));
        if (!value)
            fail(u"columns %1-%2 (%3) are not a whole number"_s.arg(from)
                     .arg(from + length - 1)
                     .arg(QLatin1String(what)));
        return *value;
    }

    void header(const QStringList &fields)
    {
        if (m_haveHeader)
            fail(u"a second meeting header"_s);
        need(fields, 9, "meeting header");
        FieldMeeting &meeting = m_file.meeting;
        meeting.date = FieldFileParser::parseDate(fields.at(3).right(8), u"dmy"_s);
        if (!meeting.date.isValid()) // a four-digit year: "THURSDAY 25/12/2008"
            meeting.date = FieldFileParser::parseDate(fields.at(3).trimmed().section(u' ', -1), u"dmy"_s);
        if (!meeting.date.isValid())
            fail(u"field 3 (meeting date) \"%1\" must end with dd/mm/yy"_s.arg(fields.at(3)));
        meeting.line = m_line;
        meeting.details = fields.at(6) + u' ' + fields.at(7);
        meeting.location = fields.at(8);
        m_haveHeader = true;
    }

    void race(const QString &text, const QStringList &record)
    {
        horseWithoutTrainer();
        // Until this race reads, its horse records belong to no race.
        m_raceOpen = false;
        m_raceSkipped = true;
        m_hundreds = 0;
        if (!m_haveHeader)
            fail(u"a race line before the meeting header"_s);
        // Editors trim a line's trailing empty fields: those read as empty. A line with nothing after
        // its columns was cut short.
        need(record, 2, "race");
        const QStringList fields = padded(record, 21);
        FieldRace race;
        race.line = m_line;
        race.raceNumber = columns(text, 1, 2, "race number");
        race.distance = secondaryNumber(fields, 18, "distance").value_or(0);
        race.raceCode = QString(fields.at(18) + u' ' + fields.at(17)).left(20);
        race.details = fields.at(0) + u' ' + fields.at(4) + u' ' + fields.at(11);
        const QString limit = fields.at(19);
        const QString emergencies = fields.at(20);
        if (limit > "0"_L1) {
            const std::optional<int> fieldLimit = secondaryNumber(fields, 19, "field limit");
            race.fieldLimit = fieldLimit.value_or(0);
            race.details += " Field Limit: "_L1 + limit;
            if (emergencies > "0"_L1) {
                const std::optional<int> extra = secondaryNumber(fields, 20, "emergencies");
                if (fieldLimit && extra)
                    race.total = race.fieldLimit + *extra;
                race.details += u'+' + emergencies;
            }
        }
        const std::optional<QTime> time = FieldFileParser::raceTime(fields.at(2), fields.at(3));
        if (!time)
            leaveEmpty(2, "start time", fields.at(2));
        race.time = time.value_or(FieldFileParser::kUnknownRaceTime);
        race.apprClaim = fields.at(5) == "C"_L1;
        m_file.races.append(race);
        m_raceOpen = true;
        m_raceSkipped = false;
    }

    void horseLevel(const QString &text, const QStringList &fields)
    {
        if (m_raceSkipped) {
            // Part of a race that could not be read (or of none): left out with it.
            if (!m_file.races.isEmpty() || !m_file.skipped.isEmpty()) {
                if (text.mid(4, 3) == "700"_L1 && !m_file.skipped.isEmpty())
                    ++m_file.skipped.last().horsesLeftOut;
                return;
            }
            fail(u"a horse record before any race line"_s);
        }
        if (m_raceOpen) {
            m_file.races.last().stored = true;
            m_raceOpen = false;
            m_hundreds = 0;
        }
        const QString type = text.mid(4, 3);
        if (type == "400"_L1) {
            horseWithoutTrainer();
            m_horseSkipped = true; // until the record reads
            horse(fields);
            m_horseSkipped = false;
        } else if (m_horseSkipped) {
            // The other records of a horse whose "400" could not be read; its "700" ends it.
            if (type == "700"_L1)
                m_horseSkipped = false;
        } else if (type == "500"_L1) {
            const QStringList breeding = padded(fields, 3);
            m_horse.blood1 = breeding.at(0);
            m_horse.blood2 = breeding.at(1);
            m_horse.blood3 = breeding.at(2);
        } else if (type == "600"_L1) {
            m_horse.owners = fields.at(0);
        } else if (type == "700"_L1) {
            trainer(text, fields);
        }
    }

    // A horse whose records ended without its trainer record is not entered; the agent hears of it.
    void horseWithoutTrainer()
    {
        if (!m_haveHorse)
            return;
        m_haveHorse = false;
        m_file.skipped.append({m_horse.line, u"the horse %1 has no trainer (\"700\") record"_s.arg(m_horse.horse), 0});
        std::stable_sort(m_file.skipped.begin(), m_file.skipped.end(),
                         [](const SkippedLine &a, const SkippedLine &b) { return a.line < b.line; });
    }

    // Class, rating and age start empty for every horse: a record that leaves them out means
    // "not known", and carrying the previous horse's values over would show a wrong class.
    void horse(const QStringList &record)
    {
        need(record, 14, "horse");
        const QStringList fields = padded(record, 18);
        const FieldRace &race = m_file.races.last();
        FieldHorse h;
        h.line = m_line;
        h.horse = fields.at(13);
        if (h.horse.trimmed().isEmpty())
            fail(u"field 13 (horse name) is empty"_s);
        h.horseName = nameBeforeBracket(h.horse).toUpper();
        const QString dob = fields.at(12);
        if (!dob.trimmed().isEmpty()) {
            h.dob = FieldFileParser::dateOfBirth(dob);
            if (!h.dob.isValid())
                leaveEmpty(12, "date of birth", dob);
        }
        h.barrier = secondaryNumber(fields, 2, "barrier").value_or(0);
        const std::optional<int> weight = FieldFileParser::weightTenths(fields.at(3));
        if (!weight)
            leaveEmpty(3, "weight", fields.at(3));
        h.weightTenths = weight.value_or(0);
        QString age;
        if (!fields.at(7).trimmed().isEmpty()) {
            // "5", "5yo"; no horse races past its thirties.
            if (const std::optional<double> years = leadingNumber(fields.at(7)); years && *years >= 0 && *years < 40)
                age = QString::number(int(*years));
            else
                leaveEmpty(7, "age", fields.at(7));
        }
        h.horseType = fields.at(5).toLower() + u' ' + fields.at(6).toLower() + u' ' + age;
        h.form = fields.at(14).toLower();
        h.jockey = fields.at(15);
        h.ballotText = fields.at(17);
        if (!h.ballotText.trimmed().isEmpty()) {
            QString digits = h.ballotText;
            h.ballot = wholeNumber(digits.remove(u'='));
            if (!h.ballot) {
                leaveEmpty(17, "ballot order", h.ballotText);
                h.ballotText.clear();
            }
        }
        if (fields.size() >= 19 && fields.at(18) != ">"_L1)
            h.classText = fields.at(18);
        if (fields.size() >= 20) {
            const QString rating = fields.at(19).trimmed();
            if (rating.isEmpty())
                h.rating = u"0"_s;
            else if (const std::optional<double> value = leadingNumber(rating); value && std::isfinite(*value))
                h.rating = QString::number(*value);
            else
                leaveEmpty(19, "rating", rating);
        }
        h.eorB =
            FieldFileParser::ballotMarker(fields.at(9), h.ballotText, m_file.meeting.level, race.fieldLimit, race.total)
                .value_or(QString());
        m_horse = h;
        m_haveHorse = true;
    }

    void trainer(const QString &text, const QStringList &record)
    {
        if (!m_haveHorse)
            fail(u"a trainer record without a horse record before it"_s);
        const QStringList fields = padded(record, 3);
        if (fields.at(0).isEmpty()) {
            m_haveHorse = false; // a horse without a trainer is not entered
            return;
        }
        const int entry = columns(text, 3, 2, "horse number");
        const int raceNumber = columns(text, 1, 2, "race number");
        if (entry == 0)
            m_hundreds += 100;
        const FieldRace &race = m_file.races.last();
        FieldHorse h = m_horse;
        h.line = m_line;
        h.raceIndex = int(m_file.races.size()) - 1;
        h.raceNumber = raceNumber;
        h.raceCode = race.raceCode;
        h.trainerName = fields.at(0).trimmed().left(30);
        h.trainerLocation = fields.at(1);
        h.phone = fields.at(2).left(15);
        h.entryNo = entry + m_hundreds;
        m_file.horses.append(h);
        m_haveHorse = false;
        m_horse.blood1.clear();
        m_horse.blood2.clear();
        m_horse.blood3.clear();
        m_horse.owners.clear();
    }

    QString m_name;
    FieldFile m_file;
    int m_line = 0;
    bool m_haveHeader = false;
    bool m_raceOpen = false;
    bool m_raceSkipped = true; // no race read yet
    bool m_horseSkipped = false;
    int m_hundreds = 0;
    FieldHorse m_horse;
    bool m_haveHorse = false;
};

} // namespace

std::optional<FieldFileName> FieldFileParser::fileName(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 1)
        return std::nullopt;
    FieldFileName result;
    result.meetingCode = name.left(dot).trimmed();
    result.trackCode = result.meetingCode.mid(4);
    result.level = levelForExtension(name.mid(dot + 1).trimmed());
    return result;
}

QString FieldFileParser::levelForExtension(const QString &extension)
{
    if (extension == "DFN"_L1 || extension == "DGN"_L1 || extension == "DNP"_L1)
        return u"NOM"_s;
    if (extension == "DFW"_L1 || extension == "DGW"_L1 || extension == "DNW"_L1)
        return u"WGT"_s;
    if (extension == "DFA"_L1 || extension == "DNA"_L1 || extension == "DGA"_L1)
        return u"ACP"_s;
    return u"N/A"_s;
}

FieldFile FieldFileParser::parseFile(const QString &path)
{
    const QString displayName = QFileInfo(path).fileName();
    const std::optional<FieldFileName> identity = fileName(path);
    if (!identity)
        throw FieldFileError(u"%1: the file name has no extension"_s.arg(displayName));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FieldFileError(u"%1: cannot be opened (%2)"_s.arg(displayName, file.errorString()));
    if (file.size() > kMaxFileSize)
        throw FieldFileError(u"%1: %2 bytes is too large for a field file (at most %3)"_s.arg(displayName)
                                 .arg(file.size())
                                 .arg(kMaxFileSize));
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        throw FieldFileError(u"%1: too large for a field file"_s.arg(displayName));
    return parse(bytes, displayName, *identity);
}

FieldFile FieldFileParser::parse(const QByteArray &bytes, const QString &displayName, const FieldFileName &identity)
{
    // An old DOS end-of-file mark may close the file.
    qsizetype end = bytes.size();
    // Editors that save with a UTF-8 byte-order mark save the rest as UTF-8 too.
    const bool utf8 = bytes.startsWith("\xEF\xBB\xBF");
    const qsizetype first = utf8 ? 3 : 0;
    while (end > 0 && bytes.at(end - 1) == '\x1a')
        --end;

    // Binary bytes anywhere mean another kind of file, whatever its first lines look like.
    int lineNumber = 1;
    qsizetype start = first;
    for (qsizetype i = first; i < end; ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        if (byte == '\n' || (byte == '\r' && (i + 1 == end || bytes.at(i + 1) != '\n'))) {
            ++lineNumber;
            start = i + 1;
        } else if ((byte < 0x20 && byte != '\t' && byte != '\r') || byte == 0x7f) {
            throw FieldFileError(
                u"%1, line %2: binary data (byte 0x%3 at column %4), not a field file"_s.arg(displayName)
                    .arg(lineNumber)
                    .arg(uint(byte), 2, 16, QChar(u'0'))
                    .arg(qlonglong(i - start + 1)));
        }
    }

    Reader reader(displayName, identity);
    lineNumber = 1;
    start = first;
    for (qsizetype i = first; i <= end; ++i) {
        const bool atEnd = i == end;
        const char c = atEnd ? '\n' : bytes.at(i);
        if (c != '\n' && c != '\r')
            continue;
        if (!atEnd || i > start)
            reader.line(lineNumber, utf8 ? QString::fromUtf8(bytes.mid(start, i - start))
                                         : decodeWindows1252(bytes.mid(start, i - start)));
        if (c == '\r' && i + 1 < end && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
        ++lineNumber;
    }
    return reader.finish();
}

QString FieldFileParser::decodeWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte < 0xa0) ? QChar(kCp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

std::optional<int> FieldFileParser::weightTenths(const QString &text)
{
    const QString weight = text.trimmed();
    if (weight.isEmpty())
        return 0;
    const bool half = weight.endsWith(u'|');
    const QString kilograms = half ? weight.chopped(1) : weight;
    // The format's two characters of kilograms ("5" reads as 50, as that rule gives).
    const bool format = (kilograms.size() == 2 || (kilograms.size() == 1 && !half)) &&
                        std::all_of(kilograms.cbegin(), kilograms.cend(), [](QChar c) { return c.isDigit(); });
    if (format)
        return QString(kilograms + (half ? u'5' : u'0')).toInt();
    // Otherwise kilograms as a number ("55.5", "56kg"), when they are a rider's weight at all.
    const std::optional<int> tenths = ::weightTenths(weight);
    if (!tenths || *tenths < 100 || *tenths >= 1000)
        return std::nullopt;
    return tenths;
}

QDate FieldFileParser::dateOfBirth(const QString &text)
{
    const QDate date = parseDate(text, u"dmy"_s);
    return date.isValid() ? date : QDate::fromString(text.trimmed(), Qt::ISODate);
}

std::optional<QTime> FieldFileParser::raceTime(const QString &time, const QString &amPm)
{
    if (!(time > " "_L1))
        return kUnknownRaceTime;
    const QStringList parts = time.trimmed().split(u'.');
    if (parts.size() > 2)
        return std::nullopt;
    const std::optional<int> hour = wholeNumber(parts.at(0));
    const std::optional<int> minute = parts.size() == 2 ? wholeNumber(parts.at(1)) : std::optional<int>(0);
    if (!hour || !minute || *hour < 0 || *hour > 23 || *minute < 0 || *minute > 59)
        return std::nullopt;
    int h = *hour;
    // Hours beyond 12 are already on the 24-hour clock; the marker only places 1–12.
    if (h <= 12) {
        const bool pm = amPm == "P.M."_L1;
        if (pm && h < 12)
            h += 12;
        else if (!pm && h == 12)
            h = 0;
    }
    return QTime(h, *minute);
}

QDate FieldFileParser::parseDate(const QString &text, const QString &order)
{
    const QStringList parts = text.split(u'/');
    const QString lowerOrder = order.toLower();
    if (parts.size() != 3 || lowerOrder.size() != 3)
        return {};
    const qsizetype d = lowerOrder.indexOf(u'd'), m = lowerOrder.indexOf(u'm'), y = lowerOrder.indexOf(u'y');
    if (d < 0 || m < 0 || y < 0)
        return {};
    const std::optional<int> day = wholeNumber(parts.at(d)), month = wholeNumber(parts.at(m)),
                             year = wholeNumber(parts.at(y));
    if (!day || !month || !year || *year < 0)
        return {};
    int fullYear = *year;
    if (parts.at(y).trimmed().size() <= 2)
        fullYear += fullYear < 30 ? 2000 : 1900;
    return QDate(fullYear, *month, *day);
}

std::optional<QString> FieldFileParser::ballotMarker(const QString &marker, const QString &ballot, const QString &level,
                                                     int fieldLimit, int total)
{
    if (!marker.isEmpty())
        return marker;
    if (ballot.isEmpty() || level != "ACP"_L1)
        return QString();
    QString digits = ballot;
    const std::optional<int> n = wholeNumber(digits.remove(u'='));
    if (!n)
        return std::nullopt;
    if (total >= 1 && *n > total)
        return u"B"_s;
    if (fieldLimit > 0 && *n > fieldLimit)
        return u"E"_s;
    return QString();
}
