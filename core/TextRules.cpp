#include "TextRules.h"

#include <cmath>

QString nameBeforeBracket(const QString &name)
{
    const qsizetype bracket = name.indexOf(u'(');
    if (bracket < 0 || QStringView(name).left(bracket).trimmed().isEmpty())
        return name;
    return name.left(bracket);
}

namespace {

bool asciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

qsizetype skipBlanks(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    return i;
}

} // namespace

std::optional<double> leadingNumber(const QString &text)
{
    const qsizetype n = text.size();
    const qsizetype start = skipBlanks(text);
    qsizetype i = start;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    bool digits = false;
    for (; i < n && asciiDigit(text.at(i)); ++i)
        digits = true;
    if (i < n && text.at(i) == u'.')
        for (++i; i < n && asciiDigit(text.at(i)); ++i)
            digits = true;
    if (!digits)
        return std::nullopt;
    qsizetype end = i;
    if (i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text.at(j) == u'+' || text.at(j) == u'-'))
            ++j;
        if (j < n && asciiDigit(text.at(j))) {
            while (j < n && asciiDigit(text.at(j)))
                ++j;
            end = j;
        }
    }
    // Beyond the range of a double the text reads as an infinity, which callers refuse as too large.
    return QStringView(text).mid(start, end - start).toDouble();
}

std::optional<int> leadingWholeNumber(const QString &text)
{
    const qsizetype start = skipBlanks(text);
    qsizetype end = start;
    while (end < text.size() && asciiDigit(text.at(end)))
        ++end;
    bool ok = false;
    const int value = QStringView(text).mid(start, end - start).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<int> wholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<int> weightTenths(const QString &text)
{
    const std::optional<double> kilograms = leadingNumber(text);
    if (!kilograms || std::abs(*kilograms) > 1e6)
        return std::nullopt;
    return int(std::lround(*kilograms * 10));
}

QVariant textOrNull(const QString &text)
{
    return text.trimmed().isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}
