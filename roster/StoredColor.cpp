#include "StoredColor.h"

#include <cctype>

using namespace Qt::Literals::StringLiterals;

namespace {

// The leading number of a stored text; anything unreadable is 0 (the default colour).
qint64 leadingNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith("&H"_L1, Qt::CaseInsensitive)) {
        qsizetype end = 2;
        while (end < trimmed.size() && end < 10 &&
               std::isxdigit(static_cast<unsigned char>(trimmed.at(end).toLatin1())))
            ++end;
        bool ok = false;
        const quint64 value = trimmed.mid(2, end - 2).toULongLong(&ok, 16);
        if (!ok)
            return 0;
        // Up to four digits are a 16-bit value, more a 32-bit one; both are signed.
        if (end - 2 <= 4)
            return static_cast<qint16>(value);
        return static_cast<qint32>(value);
    }
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed.at(end) == u'-' || trimmed.at(end) == u'+'))
        ++end;
    while (end < trimmed.size() && trimmed.at(end).isDigit())
        ++end;
    bool ok = false;
    const qint64 value = trimmed.left(end).toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

QColor fromStoredColor(const QString &text)
{
    return fromStoredColor(leadingNumber(text));
}

QColor fromStoredColor(qint64 value)
{
    // System colours (negative as 32-bit), -1, black-as-unset and anything wider than 24 bits
    // all mean the default, as the jockey editor shows them.
    if (value <= 0 || value > 0xFFFFFF)
        return {};
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

qint64 toStoredColorValue(const QColor &color)
{
    if (!color.isValid())
        return -1;
    return qint64(color.red()) | (qint64(color.green()) << 8) | (qint64(color.blue()) << 16);
}

QString toStoredColor(const QColor &color)
{
    if (!color.isValid())
        return kDefaultStoredColor;
    return QString::number(toStoredColorValue(color));
}
