#include "TargetMegabytesText.h"

#include <cmath>

namespace zurbo {

namespace {

const QString emptyRefusal =
    QStringLiteral("Escribe cuánto quieres que pese, que aquí no adivinamos.");
const QString notANumberRefusal =
    QStringLiteral("Eso no es un número. Cifras y una coma o un punto, sin inventos.");
const QString notPositiveRefusal = QStringLiteral("Tiene que pesar algo más que cero, criatura.");
const QString tooPreciseRefusal = QStringLiteral("Con un decimal vamos sobrados.");
const QString tooLargeRefusal = QStringLiteral("Más de 999999 MB ya no es un PDF, es una mudanza.");

// The whole and fractional digits of a number, in ASCII.
struct Digits {
    QString whole;
    QString fraction;
};

std::optional<QString> asciiDigits(QStringView text)
{
    QString digits;
    for (const QChar character : text) {
        if (character.digitValue() < 0) {
            return std::nullopt;
        }
        digits.append(QChar(u'0' + character.digitValue()));
    }
    return digits;
}

// Digits grouped in threes by `group` (the first group one to three long), or plain digits.
std::optional<QString> wholeDigits(QStringView text, std::optional<QChar> group)
{
    if (!group || !text.contains(*group)) {
        return asciiDigits(text);
    }
    QString digits;
    const QList<QStringView> groups = text.split(*group);
    for (qsizetype index = 0; index < groups.size(); ++index) {
        const qsizetype size = groups.at(index).size();
        const std::optional<QString> part = asciiDigits(groups.at(index));
        if (!part || (index == 0 ? size < 1 || size > 3 : size != 3)) {
            return std::nullopt;
        }
        digits += *part;
    }
    return digits;
}

// `text` read with one decimal separator and, optionally, one group separator.
std::optional<Digits> splitNumber(QStringView text, QChar decimal, std::optional<QChar> group)
{
    const qsizetype point = text.indexOf(decimal);
    if (point != -1 && text.indexOf(decimal, point + 1) != -1) {
        return std::nullopt;
    }
    const std::optional<QString> whole = wholeDigits(point == -1 ? text : text.left(point), group);
    const std::optional<QString> fraction =
        asciiDigits(point == -1 ? QStringView() : text.mid(point + 1));
    if (!whole || !fraction || (whole->isEmpty() && fraction->isEmpty())) {
        return std::nullopt;
    }
    return Digits{*whole, *fraction};
}

std::optional<QChar> singleCharacter(const QString& text)
{
    return text.size() == 1 ? std::optional(text.front()) : std::nullopt;
}

// The locale's reading first; then the other of "." and "," as the decimal separator, when the
// text holds it once and nothing else that could separate.
std::optional<Digits> readDigits(QString text, const QLocale& locale)
{
    const QChar decimal = singleCharacter(locale.decimalPoint()).value_or(u'.');
    const std::optional<QChar> group = singleCharacter(locale.groupSeparator());
    if (group && group->isSpace()) {
        // People type an ordinary space where the locale groups with a special one.
        for (QChar& character : text) {
            character = character.isSpace() ? *group : character;
        }
    }
    if (const std::optional<Digits> digits = splitNumber(text, decimal, group)) {
        return digits;
    }
    const QChar other = decimal == u',' ? u'.' : u',';
    if (text.count(other) != 1 || text.contains(decimal) ||
        (group && text.contains(*group) && *group != other)) {
        return std::nullopt;
    }
    return splitNumber(text, other, std::nullopt);
}

bool isMinusSign(QChar character, const QLocale& locale)
{
    return character == u'-' || character == u'\u2212' ||
           QString(character) == locale.negativeSign();
}

} // namespace

TargetMegabytesText::Reading TargetMegabytesText::read(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return {std::nullopt, emptyRefusal};
    }
    const bool negative = isMinusSign(trimmed.front(), locale);
    const std::optional<Digits> digits =
        readDigits(negative ? trimmed.mid(1).trimmed() : trimmed, locale);
    if (!digits) {
        return {std::nullopt, notANumberRefusal};
    }
    if (digits->fraction.size() > 1) {
        return {std::nullopt, tooPreciseRefusal};
    }
    const double megabytes =
        QString(u'0' + digits->whole + u'.' + digits->fraction + u'0').toDouble();
    if (negative || megabytes <= 0) {
        return {std::nullopt, notPositiveRefusal};
    }
    if (megabytes > largest) {
        return {std::nullopt, tooLargeRefusal};
    }
    return {megabytes, {}};
}

QString TargetMegabytesText::format(double megabytes, const QLocale& locale)
{
    QLocale plain(locale);
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(megabytes, 'f', megabytes == std::trunc(megabytes) ? 0 : 1);
}

} // namespace zurbo
