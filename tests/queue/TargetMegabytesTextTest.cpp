#include "TargetMegabytesText.h"

#include <gtest/gtest.h>

#include <array>

namespace zurbo {
namespace {

const QString empty = "Escribe cuánto quieres que pese, que aquí no adivinamos.";
const QString notANumber = "Eso no es un número. Cifras y una coma o un punto, sin inventos.";
const QString notPositive = "Tiene que pesar algo más que cero, criatura.";

// The megabytes as the field then shows them, or why the text was refused.
QString outcome(const QString& text, const char* locale)
{
    const TargetMegabytesText::Reading reading = TargetMegabytesText::read(text, QLocale(locale));
    return reading.megabytes ? TargetMegabytesText::format(*reading.megabytes, QLocale(locale))
                             : reading.refusal;
}

// Either decimal separator means a fraction wherever it cannot group thousands; nothing else
// that is not a positive number with one decimal is taken, and nothing is trimmed into a number.
TEST(TargetMegabytesTextTest, ReadsTheLocaleAndRefusesWhatIsNotAPositiveNumber)
{
    const QString typed[] = {"2.5", "2,5", "1.234,5", "-3", "1e9", "abc", ""};
    const std::pair<const char*, std::array<QString, 7>> locales[] = {
        {"es_ES", {"2,5", "2,5", "1234,5", notPositive, notANumber, notANumber, empty}},
        {"en_US", {"2.5", "2.5", notANumber, notPositive, notANumber, notANumber, empty}},
        {"de_DE", {"2,5", "2,5", "1234,5", notPositive, notANumber, notANumber, empty}}};
    for (const auto& [locale, outcomes] : locales) {
        for (std::size_t row = 0; row < outcomes.size(); ++row) {
            EXPECT_EQ(outcome(typed[row], locale), outcomes[row]) << locale << " " << row;
        }
    }
    const std::tuple<const char*, QString, QString> edges[] = {
        {"es_ES", "1.234", "1234"},
        {"en_US", " \u22123 ", notPositive},
        {"de_DE", "0,0", notPositive},
        {"fr_FR", "1 234,5", "1234,5"},
        {"es_ES", "0,75", "Con un decimal vamos sobrados."},
        {"es_ES", "1000000", "Más de 999999 MB ya no es un PDF, es una mudanza."},
        {"en_US", "999999.9", "999999.9"}};
    for (const auto& [locale, text, expected] : edges) {
        EXPECT_EQ(outcome(text, locale), expected) << locale << " " << text.toStdString();
    }
}

} // namespace
} // namespace zurbo
