#include "ContentOperators.h"

#include <qpdf/Pipeline.hh>

#include <exception>
#include <stdexcept>

namespace zurbo::engine {

namespace {

// Thrown through qpdf's decoding, which turns every std::exception into a
// warning and reads on; the failure itself waits in the sink.
struct EndOfScan {};

// Hands inflated bytes to the tokenizer as qpdf's filters produce them.
class TokenSink : public Pipeline {
public:
    TokenSink(ContentTokenizer& tokens, InflateBudget& budget)
        : Pipeline("content tokens", nullptr), m_tokens(tokens), m_budget(budget)
    {
    }

    void write(unsigned char const* data, size_t length) override
    {
        try {
            m_budget.add(length);
            m_tokens.feed(reinterpret_cast<const char*>(data), length);
        } catch (...) {
            m_failure = std::current_exception();
            throw EndOfScan{};
        }
    }

    // Each stream ends here; the page's next one follows after a line break.
    void finish() override {}

    // Pipes `stream` through qpdf's decoding into the tokenizer.
    void read(QPDFObjectHandle stream)
    {
        bool filterable = false;
        stream.pipeStreamData(nullptr, &filterable, 0, qpdf_dl_specialized, true);
        if (!filterable) {
            throw std::runtime_error("content stream with filters that cannot be undone");
        }
        m_budget.startStream();
        bool decoded = false;
        try {
            decoded = stream.pipeStreamData(this, nullptr, 0, qpdf_dl_specialized, true);
        } catch (const EndOfScan&) {
            std::rethrow_exception(m_failure);
        }
        if (!decoded) {
            throw std::runtime_error("content stream does not decode");
        }
        m_tokens.feed("\n", 1);
    }

private:
    ContentTokenizer& m_tokens;
    InflateBudget& m_budget;
    std::exception_ptr m_failure;
};

} // namespace

void ContentOperators::scan(QPDFObjectHandle pageOrForm, InflateBudget& budget,
                            const Visitor& visit)
{
    ContentTokenizer tokens(visit);
    TokenSink sink(tokens, budget);
    if (pageOrForm.isStream()) {
        sink.read(pageOrForm);
    } else {
        QPDFObjectHandle contents = pageOrForm.getKey("/Contents");
        for (QPDFObjectHandle stream :
             contents.isArray() ? contents.getArrayAsVector() : std::vector{contents}) {
            // Anything else in the array is damage a reader skips too.
            if (stream.isStream()) {
                sink.read(stream);
            }
        }
    }
    tokens.end();
}

} // namespace zurbo::engine
