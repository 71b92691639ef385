#include "TargetMegabytesText.h"

#include <gtest/gtest.h>

namespace zurbo {
namespace {

const QString notANumber = "Eso no es un número. Cifras y una coma o un punto, sin inventos.";
const QString notPositive = "Tiene que pesar algo más que cero, criatura.";

struct Typed {
    const char* name;
    const char* locale;
    QString text;
    // The megabytes as the field then shows them, or the refusal.
    QString outcome;
};

class TargetMegabytesTextTest : public ::testing::TestWithParam<Typed> {};

// Either decimal separator means a fraction wherever it cannot group thousands; nothing else
// that is not a positive number with one decimal is taken, and nothing is trimmed into a number.
TEST_P(TargetMegabytesTextTest, ReadsTheLocaleAndRefusesWhatIsNotAPositiveNumber)
{
    const QLocale locale(GetParam().locale);
    const TargetMegabytesText::Reading reading =
        TargetMegabytesText::read(GetParam().text, locale);
    EXPECT_EQ(reading.megabytes ? TargetMegabytesText::format(*reading.megabytes, locale)
                                : reading.refusal,
              GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, TargetMegabytesTextTest,
    ::testing::Values(Typed{"SpanishPoint", "es_ES", "2.5", "2,5"},
                      Typed{"SpanishComma", "es_ES", " 2,5 ", "2,5"},
                      Typed{"SpanishGrouped", "es_ES", "1.234,5", "1234,5"},
                      Typed{"SpanishThousands", "es_ES", "1.234", "1234"},
                      Typed{"SpanishNegative", "es_ES", "-3", notPositive},
                      Typed{"SpanishExponent", "es_ES", "1e9", notANumber},
                      Typed{"SpanishLetters", "es_ES", "abc", notANumber},
                      Typed{"SpanishEmpty", "es_ES", "",
                            "Escribe cuánto quieres que pese, que aquí no adivinamos."},
                      Typed{"EnglishPoint", "en_US", "2.5", "2.5"},
                      Typed{"EnglishComma", "en_US", "2,5", "2.5"},
                      Typed{"EnglishSpanishGrouping", "en_US", "1.234,5", notANumber},
                      Typed{"EnglishNegative", "en_US", "\u22123", notPositive},
                      Typed{"EnglishExponent", "en_US", "1e9", notANumber},
                      Typed{"EnglishLetters", "en_US", "abc", notANumber},
                      Typed{"EnglishBlank", "en_US", "  ",
                            "Escribe cuánto quieres que pese, que aquí no adivinamos."},
                      Typed{"GermanPoint", "de_DE", "2.5", "2,5"},
                      Typed{"GermanComma", "de_DE", "2,5", "2,5"},
                      Typed{"GermanGrouped", "de_DE", "1.234,5", "1234,5"},
                      Typed{"GermanNegative", "de_DE", "-3", notPositive},
                      Typed{"GermanExponent", "de_DE", "1e9", notANumber},
                      Typed{"GermanLetters", "de_DE", "abc", notANumber},
                      Typed{"GermanZero", "de_DE", "0,0", notPositive},
                      Typed{"FrenchTypedSpace", "fr_FR", "1 234,5", "1234,5"},
                      Typed{"TwoDecimals", "es_ES", "0,75", "Con un decimal vamos sobrados."},
                      Typed{"SevenDigits", "es_ES", "1000000",
                            "Más de 999999 MB ya no es un PDF, es una mudanza."},
                      Typed{"Largest", "en_US", "999999.9", "999999.9"}),
    [](const ::testing::TestParamInfo<Typed>& info) { return info.param.name; });

} // namespace
} // namespace zurbo
