#include "FlateRecompressor.h"

#include "BoundedSink.h"
#include "Deflater.h"
#include "DetachedDecoder.h"
#include "ReachableObjects.h"
#include "WorkerBatch.h"

#include <qpdf/Pl_String.hh>

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
// more: a hostile stream must not fill the memory.
constexpr long long maximumStoredBytes = 32LL << 20;
constexpr std::size_t maximumDecodedBytes = 128U << 20;
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

// The stored bytes with the plan's filters undone; nothing when qpdf finds
// the least fault in them.
std::optional<std::string> undo(const std::string& stored, const Plan& plan)
{
    BoundedSink sink(maximumDecodedBytes);
    try {
        if (!DetachedDecoder::decode(stored, plan.undo, plan.undoParameters, sink)) {
            return std::nullopt;
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return std::move(sink.bytes);
}

struct Task {
    QPDFObjectHandle stream;
    Plan plan;
    std::string stored;
    std::optional<std::string> result;
};

void recode(Task& task)
{
    std::optional<std::string> data =
        task.plan.undo == "[]" ? task.stored : undo(task.stored, task.plan);
    if (data && task.plan.deflate) {
        data = Deflater(deflateLevel).zlib(*data);
    }
    if (data && data->size() < task.stored.size()) {
        task.result = std::move(data);
    }
}

std::optional<std::string> storedBytes(QPDFObjectHandle stream)
{
    QPDFObjectHandle length = stream.getDict().getKey("/Length");
    if (!length.isInteger() || length.getIntValue() > maximumStoredBytes) {
        return std::nullopt;
    }
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

std::unique_ptr<Task> taskFor(QPDFObjectHandle stream)
{
    try {
        std::optional<Plan> plan = planFor(stream);
        if (!plan || largeDeflatedPicture(stream, *plan)) {
            return nullptr;
        }
        std::optional<std::string> stored = storedBytes(stream);
        if (!stored) {
            return nullptr;
        }
        return std::make_unique<Task>(Task{stream, std::move(*plan), std::move(*stored), {}});
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace

void FlateRecompressor::apply(QPDF& document, StopToken stop, StageTimes* times)
{
    const StageTimes::Timer reading(times, StageTimes::deflate);
    std::vector<QPDFObjectHandle> streams = ReachableObjects::of(document);
    const auto tasks = WorkerBatch::run<Task>(
        streams,
        [](QPDFObjectHandle object) { return object.isStream() ? taskFor(object) : nullptr; },
        [times](Task& task) {
            const StageTimes::Timer deflating(times, StageTimes::deflate);
            try {
                recode(task);
            } catch (const std::exception&) {
                // The stream keeps its stored bytes.
            }
            std::string().swap(task.stored);
        },
        stop);
    for (const auto& task : tasks) {
        if (task->result) {
            task->stream.replaceStreamData(*task->result, task->plan.filter, task->plan.parameters);
        }
    }
}

} // namespace zurbo::engine
