#include "FlateRecompressor.h"

#include "BoundedSink.h"
#include "Deflater.h"
#include "DetachedDecoder.h"
#include "MemoryBudget.h"
#include "ReachableObjects.h"
#include "WorkerBatch.h"

#include <qpdf/Pl_String.hh>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zurbo::engine {

namespace {

// The first of libdeflate's thorough levels: the two above it save a few
// bytes in a thousand for a third more time.
constexpr int deflateLevel = 10;
// Larger streams stay as they are stored, and so do streams that decode to
// more than their share: a hostile stream must not fill the memory. A share
// is a fixed multiple of the stored bytes, far past what content, fonts and
// functions inflate to, so that the memory a stream holds is known before it
// is decoded.
constexpr long long maximumStoredBytes = 32LL << 20;
constexpr std::size_t maximumDecodedBytes = 128U << 20;
constexpr std::size_t minimumDecodedShare = 1U << 20;
constexpr std::size_t decodedSharePerStoredByte = 64;
// libdeflate's compressor at the level above allocates about 8.6 MiB.
constexpr std::size_t compressorBytes = 9U << 20;
constexpr long long maximumReflatedPictureBytes = 64 * 1024;

// What becomes of one stream: the filters undone (PDF text for qpdf), and
// what the stream says it holds afterwards.
struct Plan {
    std::string undo;
    std::string undoParameters;
    QPDFObjectHandle filter;
    QPDFObjectHandle parameters;
    bool deflate = false;
};

bool isFilter(QPDFObjectHandle filter, const char* name, const char* abbreviation)
{
    return filter.isNameAndEquals(name) || filter.isNameAndEquals(abbreviation);
}

// Parameters holding at most `allowed` keys; no parameters at all qualify.
bool onlyKeys(QPDFObjectHandle parameters, const std::set<std::string>& allowed)
{
    if (parameters.isNull()) {
        return true;
    }
    if (!parameters.isDictionary()) {
        return false;
    }
    for (const std::string& key : parameters.getKeys()) {
        if (!allowed.count(key)) {
            return false;
        }
    }
    return true;
}

bool predictorOnly(QPDFObjectHandle parameters)
{
    return onlyKeys(parameters, {"/Predictor", "/Colors", "/BitsPerComponent", "/Columns"});
}

bool withoutPredictor(QPDFObjectHandle parameters)
{
    if (!predictorOnly(parameters)) {
        return false;
    }
    QPDFObjectHandle predictor =
        parameters.isDictionary() ? parameters.getKey("/Predictor") : QPDFObjectHandle::newNull();
    return predictor.isNull() || (predictor.isInteger() && predictor.getIntValue() == 1);
}

// Filters whose decoding is exact and leaves plain bytes: they can go.
bool removable(QPDFObjectHandle filter, QPDFObjectHandle parameters)
{
    if (isFilter(filter, "/ASCIIHexDecode", "/AHx") || isFilter(filter, "/ASCII85Decode", "/A85") ||
        isFilter(filter, "/RunLengthDecode", "/RL")) {
        return parameters.isNull();
    }
    if (isFilter(filter, "/LZWDecode", "/LZW")) {
        return onlyKeys(parameters, {"/EarlyChange"});
    }
    return isFilter(filter, "/FlateDecode", "/Fl") && withoutPredictor(parameters);
}

std::vector<QPDFObjectHandle> asList(QPDFObjectHandle value)
{
    return value.isArray() ? value.getArrayAsVector() : std::vector<QPDFObjectHandle>{value};
}

QPDFObjectHandle arrayOf(std::vector<QPDFObjectHandle>::const_iterator begin,
                         std::vector<QPDFObjectHandle>::const_iterator end)
{
    return QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>(begin, end));
}

std::optional<Plan> planFor(QPDFObjectHandle stream)
{
    QPDFObjectHandle dictionary = stream.getDict();
    if (dictionary.hasKey("/F") || dictionary.getKey("/Type").isNameAndEquals("/Metadata")) {
        return std::nullopt;
    }
    QPDFObjectHandle filterValue = dictionary.getKey("/Filter");
    const std::vector<QPDFObjectHandle> filters =
        filterValue.isNull() ? std::vector<QPDFObjectHandle>{} : asList(filterValue);
    std::vector<QPDFObjectHandle> parameters = asList(dictionary.getKey("/DecodeParms"));
    if (parameters.size() == 1 && parameters.front().isNull()) {
        parameters.assign(filters.size(), QPDFObjectHandle::newNull());
    }
    if (parameters.size() != filters.size()) {
        return std::nullopt;
    }
    std::size_t removed = 0;
    while (removed < filters.size() && removable(filters[removed], parameters[removed])) {
        ++removed;
    }
    Plan plan;
    std::vector<QPDFObjectHandle> undone(filters.begin(), filters.begin() + removed);
    std::vector<QPDFObjectHandle> undoneParameters(parameters.begin(),
                                                   parameters.begin() + removed);
    const std::size_t left = filters.size() - removed;
    if (left == 0 || (left == 1 && isFilter(filters.back(), "/FlateDecode", "/Fl") &&
                      predictorOnly(parameters.back()))) {
        // Deflated again; a predictor keeps applying to the inflated bytes.
        if (left == 1) {
            undone.push_back(filters.back());
            undoneParameters.push_back(QPDFObjectHandle::newNull());
        }
        plan.filter = QPDFObjectHandle::newName("/FlateDecode");
        plan.parameters = left == 1 ? parameters.back() : QPDFObjectHandle::newNull();
        plan.deflate = true;
    } else if (removed > 0) {
        plan.filter = arrayOf(filters.begin() + removed, filters.end());
        plan.parameters = arrayOf(parameters.begin() + removed, parameters.end());
    } else {
        return std::nullopt;
    }
    plan.undo = QPDFObjectHandle::newArray(undone).unparse();
    plan.undoParameters = QPDFObjectHandle::newArray(undoneParameters).unparse();
    return plan;
}

struct Task {
    QPDFObjectHandle stream;
    Plan plan;
    std::size_t decodedShare;
    MemoryBudget::Reservation memory;
    std::string stored = {};
    std::optional<std::string> result = {};
    // Why the worker could not decode the stream, for the calling thread to report.
    std::optional<std::string> failure = {};
};

// The stored bytes with the plan's filters undone; nothing, and the task's
// failure, when qpdf finds the least fault in them or they decode to more
// than their share.
std::optional<std::string> undo(Task& task)
{
    BoundedSink sink(task.decodedShare);
    try {
        if (DetachedDecoder::decode(task.stored, task.plan.undo, task.plan.undoParameters, sink) !=
            DetachedDecoder::Outcome::exact) {
            task.failure = "qpdf finds faults in its data";
            return std::nullopt;
        }
    } catch (const std::exception& error) {
        task.failure = error.what();
        return std::nullopt;
    }
    return std::move(sink.bytes);
}

void recode(Task& task)
{
    std::optional<std::string> data;
    if (task.decodedShare > 0 && !(data = undo(task))) {
        return;
    }
    if (task.plan.deflate) {
        data = Deflater(deflateLevel).zlib(data ? *data : task.stored);
    }
    if (data->size() < task.stored.size()) {
        task.result = std::move(data);
    }
}

// What recoding holds at most beside the document: the stored bytes, the
// decoded ones (which a growing string may hold twice over), the compressor
// and its output.
std::size_t memoryNeeded(std::size_t stored, const Plan& plan, std::size_t decodedShare)
{
    const std::size_t recoded = std::max(stored, decodedShare);
    return stored + 2 * decodedShare + recoded + (plan.deflate ? compressorBytes : 0);
}

std::optional<std::size_t> storedSize(QPDFObjectHandle stream)
{
    QPDFObjectHandle length = stream.getDict().getKey("/Length");
    if (!length.isInteger() || length.getIntValue() < 0 ||
        length.getIntValue() > maximumStoredBytes) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(length.getIntValue());
}

std::optional<std::string> storedBytes(QPDFObjectHandle stream)
{
    std::string stored;
    Pl_String sink("stored stream", nullptr, stored);
    if (!stream.pipeStreamData(&sink, nullptr, 0, qpdf_dl_none, true, false)) {
        return std::nullopt;
    }
    return stored;
}

// A picture that a Flate already holds, and that is larger than a page of
// text: deflating it again costs a quarter of a second a megabyte for a few
// percent, which photo documents do not get to pay.
bool largeDeflatedPicture(QPDFObjectHandle stream, const Plan& plan)
{
    QPDFObjectHandle dictionary = stream.getDict();
    QPDFObjectHandle length = dictionary.getKey("/Length");
    return dictionary.getKey("/Subtype").isNameAndEquals("/Image") && plan.deflate &&
           plan.undo == "[ /FlateDecode ]" && length.isInteger() &&
           length.getIntValue() > maximumReflatedPictureBytes;
}

// Reserves the task's memory, waiting for room, before its stored bytes are read.
std::unique_ptr<Task> taskFor(QPDFObjectHandle stream, Notices notices)
{
    try {
        std::optional<Plan> plan = planFor(stream);
        const std::optional<std::size_t> size = storedSize(stream);
        if (!plan || !size || largeDeflatedPicture(stream, *plan)) {
            return nullptr;
        }
        const std::size_t share = plan->undo == "[]"
                                      ? 0
                                      : std::clamp(*size * decodedSharePerStoredByte,
                                                   minimumDecodedShare, maximumDecodedBytes);
        auto task = std::make_unique<Task>(Task{stream, std::move(*plan), share, {}});
        task->memory = MemoryBudget::shared().reserve(memoryNeeded(*size, task->plan, share));
        std::optional<std::string> stored = storedBytes(stream);
        // A length qpdf had to find again may be past what was reserved.
        if (!stored || stored->size() > *size) {
            notices.report(EngineNotice::Reason::streamUndecodable, stream,
                           "its stored bytes cannot be read within its /Length");
            return nullptr;
        }
        task->stored = std::move(*stored);
        return task;
    } catch (const std::exception& error) {
        notices.report(EngineNotice::Reason::streamUndecodable, stream, error.what());
        return nullptr;
    }
}

} // namespace

void FlateRecompressor::apply(QPDF& document, StopToken stop, StageTimes* times, Notices notices)
{
    const StageTimes::Timer reading(times, StageTimes::deflate);
    std::vector<QPDFObjectHandle> streams = ReachableObjects::of(document, notices);
    const auto tasks = WorkerBatch::run<Task>(
        streams,
        [notices](QPDFObjectHandle object) {
            return object.isStream() ? taskFor(object, notices) : nullptr;
        },
        [times](Task& task) {
            const StageTimes::Timer deflating(times, StageTimes::deflate);
            try {
                recode(task);
            } catch (const std::exception& error) {
                task.failure = error.what();
            }
            std::string().swap(task.stored);
        },
        stop);
    for (const auto& task : tasks) {
        if (task->failure) {
            notices.report(EngineNotice::Reason::streamUndecodable, task->stream, *task->failure);
        }
        if (task->result) {
            task->stream.replaceStreamData(*task->result, task->plan.filter, task->plan.parameters);
        }
    }
}

} // namespace zurbo::engine
