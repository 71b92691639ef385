#include "ContentTokenizer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

namespace zurbo::engine {

namespace {

// Far longer than any operator, number or name (PDF names stop at 127 bytes).
constexpr std::size_t maximumTokenBytes = 255;
constexpr std::size_t keptOperands = 6;
// Far more text than one operator shows on any real page, one string per glyph included.
constexpr std::size_t maximumStringBytes = std::size_t{1} << 20;

enum CharacterClass : unsigned char { regular, blank, delimiter };

constexpr std::array<unsigned char, 256> characterClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (unsigned char c : {0, 9, 10, 12, 13, 32}) {
        classes[c] = blank;
    }
    for (unsigned char c : std::string_view("()<>[]{}/%")) {
        classes[c] = delimiter;
    }
    return classes;
}();

bool isBlank(char c)
{
    return characterClasses[static_cast<unsigned char>(c)] == blank;
}

bool isRegular(char c)
{
    return characterClasses[static_cast<unsigned char>(c)] == regular;
}

// Digits with at most one point and an optional sign: PDF's only number syntax.
bool looksNumeric(const std::string& text)
{
    bool digits = false;
    bool point = false;
    for (std::size_t i = text[0] == '+' || text[0] == '-' ? 1 : 0; i < text.size(); ++i) {
        if (text[i] == '.' && !point) {
            point = true;
        } else if (text[i] >= '0' && text[i] <= '9') {
            digits = true;
        } else {
            return false;
        }
    }
    return digits;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
        return (c | 0x20) - 'a' + 10;
    }
    return -1;
}

// "/A#20B" is the name "/A B".
std::string decodedName(const std::string& token)
{
    std::string name;
    for (std::size_t i = 0; i < token.size(); ++i) {
        const int high = i + 2 < token.size() ? hexValue(token[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(token[i + 2]) : -1;
        if (token[i] == '#' && low >= 0) {
            name += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            name += token[i];
        }
    }
    return name;
}

} // namespace

ContentTokenizer::ContentTokenizer(Visitor visit) : m_visit(std::move(visit))
{
    m_token.reserve(maximumTokenBytes);
}

void ContentTokenizer::feed(const char* data, std::size_t size)
{
    const char* const end = data + size;
    while (data != end) {
        // Blanks between tokens are much of what long content holds.
        while (m_state == State::between && data != end && isBlank(*data)) {
            ++data;
        }
        if (data != end && step(*data)) {
            ++data;
        }
    }
}

void ContentTokenizer::end()
{
    if (m_state == State::word) {
        finishWord();
    } else if (m_state == State::name) {
        finishName();
    }
    m_state = State::between;
}

// Whether `c` was used up; if not, it is read again in the new state.
bool ContentTokenizer::step(char c)
{
    switch (m_state) {
    case State::between:
        return startToken(c);
    case State::word:
    case State::name:
        if (isRegular(c)) {
            m_tokenTooLong = m_tokenTooLong || m_token.size() == maximumTokenBytes;
            if (!m_tokenTooLong) {
                m_token += c;
            }
            return true;
        }
        if (m_state == State::name) {
            m_state = State::between;
            finishName();
            return false;
        }
        m_state = State::between;
        finishWord();
        // The one blank after ID belongs to the operator, not to the image data.
        return m_state == State::image && isBlank(c);
    case State::comment:
        m_state = c == '\n' || c == '\r' ? State::between : State::comment;
        return true;
    case State::string:
        return literalString(c);
    case State::escape:
        return escaped(c);
    case State::octal:
        return octalDigit(c);
    case State::hex:
        return hexString(c);
    case State::lessThan:
        // "<<" opens a dictionary; anything else a hexadecimal string.
        if (c == '<') {
            m_state = State::between;
            other();
            return true;
        }
        m_state = State::hex;
        startString();
        return false;
    case State::greaterThan:
        // ">>" closes a dictionary; a lone '>' is damage, read as an operand.
        m_state = State::between;
        other();
        return c == '>';
    case State::image:
        return skipImageData(c);
    }
    return true;
}

bool ContentTokenizer::startToken(char c)
{
    switch (c) {
    case '%':
        m_state = State::comment;
        break;
    case '(':
        m_state = State::string;
        m_stringDepth = 1;
        m_afterReturn = false;
        startString();
        break;
    case '<':
        m_state = State::lessThan;
        break;
    case '>':
        m_state = State::greaterThan;
        break;
    case '[':
    case ']':
    case '{':
    case '}':
    case ')':
        other();
        break;
    default:
        if (!isBlank(c)) {
            m_state = c == '/' ? State::name : State::word;
            m_token.assign(1, c);
            m_tokenTooLong = false;
        }
    }
    return true;
}

// Inline image data ends at a blank, "EI" and a blank or delimiter.
bool ContentTokenizer::skipImageData(char c)
{
    if (m_imageEndSeen == 3 && !isRegular(c)) {
        m_state = State::between;
        return false;
    }
    if (isBlank(c)) {
        m_imageEndSeen = 1;
    } else if ((m_imageEndSeen == 1 && c == 'E') || (m_imageEndSeen == 2 && c == 'I')) {
        ++m_imageEndSeen;
    } else {
        m_imageEndSeen = 0;
    }
    return true;
}

bool ContentTokenizer::literalString(char c)
{
    if (std::exchange(m_afterReturn, false) && c == '\n') {
        return true;
    }
    switch (c) {
    case '\\':
        m_state = State::escape;
        return true;
    case '(':
        ++m_stringDepth;
        break;
    case ')':
        if (--m_stringDepth == 0) {
            m_state = State::between;
            other();
            return true;
        }
        break;
    case '\r':
        // An end of line within a string is a line feed, whichever it was.
        m_afterReturn = true;
        c = '\n';
        break;
    default:
        break;
    }
    keep(c);
    return true;
}

bool ContentTokenizer::escaped(char c)
{
    m_state = State::string;
    if (c >= '0' && c <= '7') {
        m_state = State::octal;
        m_pendingValue = c - '0';
        m_pendingDigits = 1;
    } else if (c == '\r' || c == '\n') {
        // A line continued, CR LF included: no byte at all.
        m_afterReturn = c == '\r';
    } else {
        constexpr std::string_view named = "nrtbf";
        constexpr std::string_view meant = "\n\r\t\b\f";
        const std::size_t index = named.find(c);
        keep(index == std::string_view::npos ? c : meant[index]);
    }
    return true;
}

// One to three octal digits; what overflows a byte is dropped.
bool ContentTokenizer::octalDigit(char c)
{
    const bool digit = c >= '0' && c <= '7';
    if (digit) {
        m_pendingValue = m_pendingValue * 8 + (c - '0');
        ++m_pendingDigits;
    }
    if (digit && m_pendingDigits < 3) {
        return true;
    }
    keep(static_cast<char>(m_pendingValue & 0xFF));
    m_state = State::string;
    return digit;
}

bool ContentTokenizer::hexString(char c)
{
    if (c == '>') {
        // An odd last digit stands for the high half of a byte.
        if (m_pendingDigits == 1) {
            keep(static_cast<char>(m_pendingValue * 16));
        }
        m_state = State::between;
        other();
        return true;
    }
    const int value = hexValue(c);
    if (value >= 0 && m_pendingDigits == 1) {
        keep(static_cast<char>(m_pendingValue * 16 + value));
        m_pendingDigits = 0;
    } else if (value >= 0) {
        m_pendingValue = value;
        m_pendingDigits = 1;
    } else if (!isBlank(c)) {
        // Damage: what the string shows is not sure.
        m_stringsCut = true;
    }
    return true;
}

void ContentTokenizer::startString()
{
    m_pendingDigits = 0;
    m_stringBytes += sizeof(std::string);
    m_stringsCut = m_stringsCut || m_stringBytes > maximumStringBytes;
    if (!m_stringsCut) {
        m_strings.emplace_back();
    }
}

void ContentTokenizer::keep(char c)
{
    if (m_stringsCut || ++m_stringBytes > maximumStringBytes) {
        m_stringsCut = true;
        return;
    }
    m_strings.back() += c;
}

void ContentTokenizer::finishWord()
{
    if (m_tokenTooLong || m_token == "true" || m_token == "false" || m_token == "null") {
        other();
        return;
    }
    if (looksNumeric(m_token)) {
        Operand number{Operand::Kind::number};
        const char* first = m_token.data() + (m_token[0] == '+' ? 1 : 0);
        const auto [end, error] =
            std::from_chars(first, m_token.data() + m_token.size(), number.number);
        if (error != std::errc() || !std::isfinite(number.number)) {
            number.kind = Operand::Kind::other;
        }
        operand(std::move(number));
        return;
    }
    m_visit(m_token, Operands{m_operands, m_operandCount, m_strings, !m_stringsCut});
    m_operands.clear();
    m_operandCount = 0;
    m_strings.clear();
    m_stringBytes = 0;
    m_stringsCut = false;
    if (m_token == "ID") {
        m_state = State::image;
        // The blank after ID may be followed by EI at once.
        m_imageEndSeen = 1;
    }
}

void ContentTokenizer::finishName()
{
    if (m_tokenTooLong) {
        other();
        return;
    }
    operand({Operand::Kind::name, 0, decodedName(m_token)});
}

void ContentTokenizer::operand(Operand value)
{
    ++m_operandCount;
    if (m_operands.size() == keptOperands) {
        m_operands.erase(m_operands.begin());
    }
    m_operands.push_back(std::move(value));
}

} // namespace zurbo::engine
