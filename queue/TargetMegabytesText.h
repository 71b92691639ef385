#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace zurbo {

// ----------------------------------------------------------------------------
// The target size as the user types and reads it: megabytes with one decimal
// at most, written in the user's locale.
//
// A text is read with the locale's decimal and group separators; the other
// of "." and "," is taken as the decimal separator too when it cannot be a
// group separator there ("2.5" is two and a half under a comma locale, while
// "1.234" is a thousand and more). Anything else is refused, never trimmed
// into another number: a sign, an exponent, letters, more than one decimal,
// nothing above zero, or more than the six digits the field has room for.
// ----------------------------------------------------------------------------
struct TargetMegabytesText {
    // What a text means: the megabytes, or why it was refused, in the
    // product's own words.
    struct Reading {
        std::optional<double> megabytes;
        QString refusal;
    };

    static constexpr double largest = 999999.9;

    static Reading read(const QString& text, const QLocale& locale);

    // "10" or "2,5": one decimal when there is a fraction, no group separator.
    static QString format(double megabytes, const QLocale& locale);
};

} // namespace zurbo
