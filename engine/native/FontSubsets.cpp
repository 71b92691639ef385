#include "FontSubsets.h"

#include "BoundedSink.h"
#include "FontFace.h"
#include "FontPrograms.h"
#include "MemoryBudget.h"
#include "PDFEngine.h"
#include "WordHash.h"
#include "WorkerBatch.h"

#include <algorithm>
#include <memory>

namespace zurbo::engine {

namespace {

using Program = FontPrograms::Program;

// Larger programs stay whole.
constexpr std::size_t maximumProgramBytes = 32U << 20;
// Beside the program and its subset: HarfBuzz's and FreeType's tables.
constexpr std::size_t cuttingBytes = 1U << 20;

struct Task {
    Program* program;
    std::string bytes;
    MemoryBudget::Reservation memory = {};
    std::optional<std::string> subset = {};
    std::string tag = {};
    // Why the worker left the program whole, for the calling thread to report.
    std::optional<EngineNotice> failure = {};
};

using Reason = EngineNotice::Reason;

// Six capital letters from the glyphs kept, as subset names carry.
std::string tagFor(const std::set<unsigned>& glyphs)
{
    WordHash hash;
    for (unsigned glyph : glyphs) {
        const unsigned char bytes[2] = {static_cast<unsigned char>(glyph >> 8),
                                        static_cast<unsigned char>(glyph)};
        hash.write(bytes, 2);
    }
    std::uint64_t value = hash.value();
    std::string tag;
    for (int i = 0; i < 6; ++i, value /= 26) {
        tag += static_cast<char>('A' + value % 26);
    }
    return tag;
}

std::unique_ptr<Task> taskFor(Program& program, Notices notices)
{
    if (program.whole && program.format) {
        notices.report(Reason::fontGlyphUseUncertain, program.stream, *program.whole);
    }
    if (program.whole || !program.format || program.uses.empty()) {
        return nullptr;
    }
    auto bytes = BoundedSink::decoded(program.stream, maximumProgramBytes);
    if (!bytes) {
        notices.report(Reason::fontUndecodable, program.stream,
                       "does not decode, or not within " + std::to_string(maximumProgramBytes) +
                           " bytes");
        return nullptr;
    }
    auto task = std::make_unique<Task>(Task{&program, std::move(*bytes)});
    // The program, HarfBuzz's copy of the tables it cuts, and the subset.
    task->memory = MemoryBudget::shared().reserve(3 * task->bytes.size() + cuttingBytes);
    return task;
}

void cut(Task& task)
{
    const Program& program = *task.program;
    const auto face = FontFace::open(task.bytes);
    if (!face) {
        task.failure = {Reason::fontUndecodable, "FreeType cannot open it"};
        return;
    }
    const auto glyphs = GlyphMapper::glyphs(*face, program.uses);
    if (!glyphs) {
        task.failure = {Reason::fontGlyphUseUncertain, "the glyphs of the codes shown are unknown"};
        return;
    }
    auto subset = FontSubsetter::subset(
        task.bytes, {*program.format, *glyphs, face->glyphCount(), program.simpleUser});
    if (subset && subset->size() >= task.bytes.size()) {
        return;
    }
    if (!subset || !FontFace::open(*subset)) {
        task.failure = {Reason::fontUndecodable, "it cannot be cut"};
        return;
    }
    task.subset = std::move(subset);
    task.tag = tagFor(*glyphs);
}

bool tagged(const std::string& name)
{
    return name.size() > 8 && name[7] == '+' &&
           std::all_of(name.begin() + 1, name.begin() + 7,
                       [](char c) { return c >= 'A' && c <= 'Z'; });
}

void addTag(QPDFObjectHandle dictionary, const char* key, const std::string& tag)
{
    QPDFObjectHandle name = dictionary.getKey(key);
    if (name.isName() && !tagged(name.getName())) {
        dictionary.replaceKey(
            key, QPDFObjectHandle::newName("/" + tag + "+" + name.getName().substr(1)));
    }
}

void install(const Task& task)
{
    const Program& program = *task.program;
    QPDFObjectHandle stream = program.stream;
    stream.replaceStreamData(*task.subset, QPDFObjectHandle::newNull(),
                             QPDFObjectHandle::newNull());
    if (program.trueTypeFile) {
        stream.getDict().replaceKey(
            "/Length1", QPDFObjectHandle::newInteger(static_cast<long long>(task.subset->size())));
    }
    for (QPDFObjectHandle descriptor : program.descriptors) {
        // Lists of the glyphs present, which are no longer all there.
        descriptor.removeKey("/CIDSet");
        descriptor.removeKey("/CharSet");
        addTag(descriptor, "/FontName", task.tag);
    }
    for (QPDFObjectHandle font : program.fonts) {
        addTag(font, "/BaseFont", task.tag);
    }
}

} // namespace

void FontSubsets::apply(QPDF& document, InflateBudget& budget, StopToken stop, StageTimes* times,
                        Notices notices)
{
    const StageTimes::Timer timer(times, StageTimes::fonts);
    FontPrograms::Programs programs;
    try {
        programs = FontPrograms::of(document, budget, notices);
    } catch (const PDFEngine::EngineError&) {
        throw;
    } catch (const std::exception& error) {
        // Fonts of a document too damaged to walk stay whole.
        notices.report(Reason::fontUndecodable, QPDFObjectHandle::newNull(),
                       std::string("every font program stays whole: ") + error.what());
        return;
    }
    const auto tasks = WorkerBatch::run<Task>(
        programs, [notices](auto& entry) { return taskFor(entry.second, notices); },
        [times](Task& task) {
            const StageTimes::Timer cutting(times, StageTimes::fonts);
            try {
                cut(task);
            } catch (const std::exception& error) {
                task.failure = {Reason::fontUndecodable, error.what()};
            }
            std::string().swap(task.bytes);
        },
        stop);
    for (const auto& task : tasks) {
        if (task->failure) {
            notices.report(task->failure->reason, task->program->stream, task->failure->detail);
        }
        if (task->subset) {
            install(*task);
        }
    }
}

} // namespace zurbo::engine
