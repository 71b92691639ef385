#pragma once

#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFTokenizer.hh>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zurbo::engine {

// ----------------------------------------------------------------------------
// ContentOperators: the operators of a content stream, read straight from its
// tokens. Building objects for every operand of a long text page costs far
// more, and only the operators and their last few operands are ever needed.
// ----------------------------------------------------------------------------
class ContentOperators {
public:
    // The operator's last operands (at most six, oldest first) and how many it had in all.
    struct Operands {
        const std::vector<QPDFTokenizer::Token>& last;
        std::size_t count;
    };
    using Visitor = std::function<void(const std::string& op, const Operands& operands)>;

    ContentOperators() = delete;

    // Calls `visit` for each operator of `content`, in order; inline image
    // data is skipped. Throws for damage; what was visited before it stands.
    static void scan(const std::string& content, const Visitor& visit);

    // The bytes of a page's content (its streams joined) or of a form XObject.
    static std::string contentOf(QPDFObjectHandle pageOrForm);
};

} // namespace zurbo::engine
