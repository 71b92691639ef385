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
};

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

std::unique_ptr<Task> taskFor(Program& program)
{
    if (program.whole || !program.format || program.uses.empty()) {
        return nullptr;
    }
    auto bytes = BoundedSink::decoded(program.stream, maximumProgramBytes);
    if (!bytes) {
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
    const auto glyphs = face ? GlyphMapper::glyphs(*face, program.uses) : std::nullopt;
    if (!glyphs) {
        return;
    }
    auto subset = FontSubsetter::subset(
        task.bytes, {*program.format, *glyphs, face->glyphCount(), program.simpleUser});
    if (subset && subset->size() < task.bytes.size() && FontFace::open(*subset)) {
        task.subset = std::move(subset);
        task.tag = tagFor(*glyphs);
    }
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

void FontSubsets::apply(QPDF& document, InflateBudget& budget, StopToken stop, StageTimes* times)
{
    const StageTimes::Timer timer(times, StageTimes::fonts);
    FontPrograms::Programs programs;
    try {
        programs = FontPrograms::of(document, budget);
    } catch (const PDFEngine::EngineError&) {
        throw;
    } catch (const std::exception&) {
        // Fonts of a document too damaged to walk stay whole.
        return;
    }
    const auto tasks = WorkerBatch::run<Task>(
        programs, [](auto& entry) { return taskFor(entry.second); },
        [times](Task& task) {
            const StageTimes::Timer cutting(times, StageTimes::fonts);
            try {
                cut(task);
            } catch (const std::exception&) {
                // The program stays whole.
            }
            std::string().swap(task.bytes);
        },
        stop);
    for (const auto& task : tasks) {
        if (task->subset) {
            install(*task);
        }
    }
}

} // namespace zurbo::engine
