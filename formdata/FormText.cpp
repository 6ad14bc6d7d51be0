#include "FormText.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// The part of the text that leadingNumber reads as a number; empty when it begins with none.
QString leadingNumberText(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    const qsizetype start = i;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    bool digits = false;
    while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return {};
    qsizetype end = i;
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            ++j;
        if (j < n && text.at(j).isDigit()) {
            while (j < n && text.at(j).isDigit())
                ++j;
            end = j;
        }
    }
    return text.mid(start, end - start);
}

} // namespace

double leadingNumber(const QString &text)
{
    bool ok = false;
    const double value = leadingNumberText(text).toDouble(&ok);
    return ok ? value : 0.0;
}

std::optional<double> fittingNumber(const QString &text)
{
    const QString number = leadingNumberText(text);
    if (number.isEmpty())
        return 0.0;
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > kLargestServerNumber)
        return std::nullopt;
    return value;
}

std::optional<QVariant> fittingWholeNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const int value = trimmed.toInt(&ok);
    if (ok)
        return QVariant(value);
    static const QRegularExpression kWholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    if (kWholeNumber.match(trimmed).hasMatch())
        return std::nullopt;
    return QVariant(QMetaType::fromType<int>());
}

QDate serverDate(const QString &text)
{
    // Read by hand: it runs for every row of a jockey's whole career.
    if (text.size() < 10)
        return {};
    const QChar separator = text.at(4);
    if ((separator != QLatin1Char('-') && separator != QLatin1Char('/')) || text.at(7) != separator)
        return {};
    const QStringView view(text);
    int parts[3] = {};
    const qsizetype starts[3] = {0, 5, 8};
    const qsizetype lengths[3] = {4, 2, 2};
    for (int i = 0; i < 3; ++i) {
        for (const QChar c : view.mid(starts[i], lengths[i])) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return {};
            parts[i] = parts[i] * 10 + (c.unicode() - '0');
        }
    }
    return QDate(parts[0], parts[1], parts[2]);
}

bool holdsNul(const QStringList &fields)
{
    return std::any_of(fields.cbegin(), fields.cend(),
                       [](const QString &field) { return field.contains(QChar(u'\0')); });
}

QString properCase(const QString &text)
{
    QString result = text.toLower();
    bool wordStart = true;
    for (QChar &c : result) {
        if (c.isSpace()) {
            wordStart = true;
        } else if (wordStart) {
            c = c.toUpper();
            wordStart = false;
        }
    }
    return result;
}
