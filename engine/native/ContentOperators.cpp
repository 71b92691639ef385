#include "ContentOperators.h"

#include <qpdf/BufferInputSource.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <memory>

namespace zurbo::engine {

void ContentOperators::scan(const std::string& content, const Visitor& visit)
{
    const auto input = std::make_shared<BufferInputSource>("content stream", content);
    QPDFTokenizer tokenizer;
    tokenizer.allowEOF();
    std::vector<QPDFTokenizer::Token> operands;
    std::size_t operandCount = 0;
    for (;;) {
        const QPDFTokenizer::Token token = tokenizer.readToken(input, "content stream", true);
        if (token.getType() == QPDFTokenizer::tt_eof) {
            return;
        }
        if (token.getType() != QPDFTokenizer::tt_word) {
            ++operandCount;
            // Only the last six matter; a hostile stream may hold millions.
            if (operands.size() == 6) {
                operands.erase(operands.begin());
            }
            operands.push_back(token);
            continue;
        }
        const std::string& op = token.getValue();
        if (op == "ID") {
            // The inline image's bytes are no tokens.
            tokenizer.expectInlineImage(input);
            tokenizer.readToken(input, "content stream", true);
        }
        visit(op, Operands{operands, operandCount});
        operands.clear();
        operandCount = 0;
    }
}

std::string ContentOperators::contentOf(QPDFObjectHandle pageOrForm)
{
    if (pageOrForm.isStream()) {
        const auto data = pageOrForm.getStreamData(qpdf_dl_generalized);
        return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    }
    Pl_Buffer buffer("page content");
    QPDFPageObjectHelper(pageOrForm).pipeContents(&buffer);
    const auto data = buffer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

} // namespace zurbo::engine
