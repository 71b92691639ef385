#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// ContentTokenizer: the operators of a content stream, with their last few
// operands, from its bytes fed in pieces of any size.
//
// It keeps the token being read (at most a few hundred bytes; longer words
// and names are read as damage), the last six operands and the strings of
// the operator being read up to a bound, whatever the content holds.
// Comments and inline image data are skipped without being kept.
// ----------------------------------------------------------------------------
class ContentTokenizer {
public:
    struct Operand {
        enum class Kind { number, name, other };
        Kind kind = Kind::other;
        double number = 0;
        // A name with its slash and its #xx escapes decoded.
        std::string name;
    };
    // The operator's last operands (at most six, oldest first) and how many it had in all,
    // and every string among them, arrays included, in order: the text a TJ shows. Strings
    // past a bound, or damaged, are left out and `stringsWhole` is false.
    struct Operands {
        const std::vector<Operand>& last;
        std::size_t count;
        const std::vector<std::string>& strings;
        bool stringsWhole;
    };
    using Visitor = std::function<void(const std::string& op, const Operands& operands)>;

    explicit ContentTokenizer(Visitor visit);

    // Reads `size` more bytes, calling the visitor for each operator they
    // complete. Whatever the visitor throws passes through.
    void feed(const char* data, std::size_t size);
    // The content ended here: a word still being read counts.
    void end();

private:
    enum class State {
        between,
        word,
        name,
        comment,
        string,
        escape,
        octal,
        hex,
        lessThan,
        greaterThan,
        image
    };

    bool step(char c);
    bool startToken(char c);
    bool skipImageData(char c);
    bool literalString(char c);
    bool escaped(char c);
    bool octalDigit(char c);
    bool hexString(char c);
    void startString();
    void keep(char c);
    void finishWord();
    void finishName();
    void operand(Operand value);
    void other() { operand({}); }

    Visitor m_visit;
    State m_state = State::between;
    std::string m_token;
    bool m_tokenTooLong = false;
    int m_stringDepth = 0;
    // A carriage return just read in a literal string: a line feed after it adds nothing.
    bool m_afterReturn = false;
    // The value of an octal escape or of a hexadecimal digit read so far, and how many digits.
    int m_pendingValue = 0;
    int m_pendingDigits = 0;
    // How much of a whitespace, "EI" and a delimiter that end inline image data has been seen.
    int m_imageEndSeen = 0;
    std::vector<Operand> m_operands;
    std::size_t m_operandCount = 0;
    std::vector<std::string> m_strings;
    // What the strings take, their own bookkeeping included, against the bound.
    std::size_t m_stringBytes = 0;
    bool m_stringsCut = false;
};

} // namespace zurbo::engine
