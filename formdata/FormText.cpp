#include "FormText.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

std::optional<double> fittingNumber(const QString &text)
{
    const double value = leadingNumber(text).value_or(0.0);
    if (!std::isfinite(value) || std::abs(value) > kLargestServerNumber)
        return std::nullopt;
    return value;
}

std::optional<QVariant> fittingWholeNumber(const QString &text)
{
    if (const std::optional<int> value = wholeNumber(text))
        return QVariant(*value);
    static const QRegularExpression kWholeNumber(u"^[+-]?[0-9]+$"_s);
    if (kWholeNumber.match(text.trimmed()).hasMatch())
        return std::nullopt;
    return QVariant(QMetaType::fromType<int>());
}

QDate serverDate(const QString &text)
{
    // Read by hand: it runs for every row of a jockey's whole career.
    if (text.size() < 10)
        return {};
    const QChar separator = text.at(4);
    if ((separator != u'-' && separator != u'/') || text.at(7) != separator)
        return {};
    const QStringView view(text);
    int parts[3] = {};
    const qsizetype starts[3] = {0, 5, 8};
    const qsizetype lengths[3] = {4, 2, 2};
    for (int i = 0; i < 3; ++i) {
        for (const QChar c : view.mid(starts[i], lengths[i])) {
            if (c < u'0' || c > u'9')
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
