#pragma once

#include <QString>
#include <QVariant>

#include <compare>
#include <optional>

// Money as the database's currency type: a 64-bit count of ten-thousandths of a dollar.
// Sums are exact; products round half away from zero to four decimals when they are stored,
// and invoice amounts round the same way to cents.
class Currency
{
public:
    static constexpr qint64 kScale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromUnits(qint64 units) { return Currency(units); }
    static constexpr Currency dollars(qint64 whole) { return Currency(whole * kScale); }
    static constexpr Currency cents(qint64 cents) { return Currency(cents * (kScale / 100)); }

    // Decimal text as typed or stored: optional "$", thousands commas, sign, up to any number
    // of decimals (rounded to four). nullopt when the text is not a number.
    static std::optional<Currency> parse(const QString &text);
    // A value read from the database (integer, real or text); NULL or junk gives 0.
    static Currency fromVariant(const QVariant &value);

    constexpr qint64 units() const { return m_units; }
    double toDouble() const { return double(m_units) / kScale; }
    bool isZero() const { return m_units == 0; }

    Currency roundedToCents() const { return roundedTo(100); }
    // The amount in whole cents, rounded half away from zero.
    qint64 wholeCents() const { return roundedToCents().units() / (kScale / 100); }

    // This amount times a decimal factor given as numerator / denominator, as currency.
    Currency times(qint64 numerator, qint64 denominator = 1) const;

    // "1234.5" style text for storing, without grouping or symbol.
    QString toPlainText() const;
    // The display format "$#,##0.00" (rounded half away from zero to cents; "-$1.00" below zero).
    QString toDisplay() const;

    constexpr Currency operator+(Currency other) const { return Currency(m_units + other.m_units); }
    constexpr Currency operator-(Currency other) const { return Currency(m_units - other.m_units); }
    Currency &operator+=(Currency other)
    {
        m_units += other.m_units;
        return *this;
    }
    constexpr auto operator<=>(const Currency &) const = default;

private:
    constexpr explicit Currency(qint64 units) : m_units(units) {}
    Currency roundedTo(qint64 step) const;

    qint64 m_units = 0;
};

// A decimal number given as text, as an exact fraction with a power-of-ten denominator.
struct DecimalFraction {
    qint64 numerator = 0;
    qint64 denominator = 1;
};
std::optional<DecimalFraction> parseDecimal(const QString &text);
// A single-precision number (as the database keeps rates) as the decimal the user typed.
DecimalFraction decimalOf(float value);
