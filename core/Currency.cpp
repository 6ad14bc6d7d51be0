#include "Currency.h"

#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

// a / b rounded half away from zero; b > 0.
qint64 divideRounded(__int128 a, __int128 b)
{
    const __int128 magnitude = (a < 0 ? -a : a);
    const __int128 quotient = (magnitude + b / 2) / b;
    return qint64(a < 0 ? -quotient : quotient);
}

} // namespace

std::optional<DecimalFraction> parseDecimal(const QString &text)
{
    QString digits = text.trimmed();
    bool negative = false;
    if (digits.startsWith(u'(') && digits.endsWith(u')')) {
        negative = true;
        digits = digits.mid(1, digits.size() - 2).trimmed();
    }
    if (digits.startsWith(u'-') || digits.startsWith(u'+')) {
        negative = negative || digits.startsWith(u'-');
        digits = digits.mid(1).trimmed();
    }
    if (digits.startsWith(u'$'))
        digits = digits.mid(1).trimmed();
    if (!negative && digits.startsWith(u'-')) {
        negative = true;
        digits = digits.mid(1);
    }
    digits.remove(u',');
    if (digits.isEmpty() || digits == "."_L1)
        return std::nullopt;

    DecimalFraction result;
    bool seenPoint = false;
    int integerDigits = 0;
    for (const QChar c : std::as_const(digits)) {
        if (c == u'.' && !seenPoint) {
            seenPoint = true;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9')
            return std::nullopt;
        // Digits beyond twelve decimals cannot change a four-decimal amount's rounding in practice.
        if (seenPoint && result.denominator >= 1'000'000'000'000LL)
            continue;
        if (!seenPoint && ++integerDigits > 14)
            return std::nullopt;
        result.numerator = result.numerator * 10 + (c.unicode() - '0');
        if (seenPoint)
            result.denominator *= 10;
    }
    if (negative)
        result.numerator = -result.numerator;
    return result;
}

DecimalFraction decimalOf(float value)
{
    // The shortest text that reads back as the same single gives the decimal that was entered.
    return parseDecimal(QString::number(value, 'g', 7)).value_or(DecimalFraction{});
}

std::optional<Currency> Currency::parse(const QString &text)
{
    const std::optional<DecimalFraction> decimal = parseDecimal(text);
    if (!decimal)
        return std::nullopt;
    return Currency(divideRounded(__int128(decimal->numerator) * kScale, decimal->denominator));
}

Currency Currency::fromVariant(const QVariant &value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return dollars(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return parse(QString::number(value.toDouble(), 'f', 8)).value_or(Currency());
    default:
        return parse(value.toString()).value_or(Currency());
    }
}

Currency Currency::roundedTo(qint64 step) const
{
    return Currency(divideRounded(m_units, step) * step);
}

Currency Currency::times(qint64 numerator, qint64 denominator) const
{
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    return Currency(divideRounded(__int128(m_units) * numerator, denominator));
}

QString Currency::toPlainText() const
{
    const qint64 magnitude = std::llabs(m_units);
    QString text = QString::number(magnitude / kScale);
    const qint64 fraction = magnitude % kScale;
    if (fraction != 0) {
        QString decimals = u"%1"_s.arg(fraction, 4, 10, QChar(u'0'));
        while (decimals.endsWith(u'0'))
            decimals.chop(1);
        text += u'.' + decimals;
    }
    return m_units < 0 ? u'-' + text : text;
}

QString Currency::toDisplay() const
{
    const qint64 cents = std::llabs(roundedToCents().m_units) / 100;
    QString whole = QString::number(cents / 100);
    for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
        whole.insert(at, u',');
    const QString text = u"$%1.%2"_s.arg(whole).arg(cents % 100, 2, 10, QChar(u'0'));
    return cents != 0 && m_units < 0 ? u'-' + text : text;
}
