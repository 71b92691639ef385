#include "ImageFilter.h"

#include "ImagePlacement.h"
#include "ImageStream.h"
#include "MemoryBudget.h"
#include "PDFEngine.h"
#include "WorkerPool.h"

#include <qpdf/QPDF.hh>

#include <atomic>
#include <list>
#include <memory>

namespace zurbo::engine {

namespace {

struct Task {
    explicit Task(ImageStream stream) : image(std::move(stream)) {}

    ImageStream image;
    ImageRecompressor::Job job;
    // What the job holds while a worker runs it.
    MemoryBudget::Reservation memory;
    std::optional<ImageRecompressor::Result> result;
    // Why the worker could not recompress the image, for the calling thread to report.
    std::optional<std::string> failure;
    std::atomic<bool> done = false;
};

// Writes back the results of finished tasks and lets go of them, so that
// finished pixels do not pile up while the other images are read.
void replaceFinished(std::list<std::unique_ptr<Task>>& tasks, Notices notices)
{
    for (auto task = tasks.begin(); task != tasks.end();) {
        if (!(*task)->done) {
            ++task;
            continue;
        }
        const QPDFObjectHandle object = (*task)->image.object();
        if ((*task)->failure) {
            notices.report(EngineNotice::Reason::imageUndecodable, object, *(*task)->failure);
        }
        if ((*task)->result) {
            try {
                (*task)->image.replace(*(*task)->result);
            } catch (const std::exception& error) {
                notices.report(EngineNotice::Reason::imageNotReplaced, object, error.what());
            }
        }
        task = tasks.erase(task);
    }
}

// Lets the budget go of the buffers kept for reuse once a run's workers are
// done, however the run ends.
struct KeptBuffersRelease {
    MemoryBudget& budget;
    ~KeptBuffersRelease() { budget.trim(); }
};

// Soft masks that more than one candidate image uses cannot follow each
// image's size; such images are left alone.
std::map<QPDFObjGen, int> softMaskUses(const std::vector<ImageStream>& images)
{
    std::map<QPDFObjGen, int> uses;
    for (const ImageStream& image : images) {
        if (image.softMask()) {
            ++uses[image.softMask()->object().getObjGen()];
        }
    }
    return uses;
}

std::vector<ImageStream> candidates(const std::vector<QPDFObjectHandle>& pages,
                                    const ImagePlacement::ShownSizes& sizes, Notices notices)
{
    std::vector<ImageStream> images;
    if (pages.empty()) {
        return images;
    }
    QPDF* document = pages.front().getOwningQPDF();
    for (const auto& [id, shown] : sizes) {
        const QPDFObjectHandle object = document->getObjectByObjGen(id);
        try {
            if (auto image = ImageStream::inspect(object)) {
                images.push_back(std::move(*image));
            } else {
                notices.report(EngineNotice::Reason::imageKindNotHandled, object,
                               "not recompressed: bits, filter, colour space, mask or size");
            }
        } catch (const std::exception& error) {
            notices.report(EngineNotice::Reason::imageUnreadable, object, error.what());
        }
    }
    return images;
}

// Reserves what `job` holds at most: decoded whole when that fits the
// budget, in bands when only that does. Nothing when not even that fits:
// the image stays as it is.
std::optional<MemoryBudget::Reservation> reserveMemory(ImageRecompressor::Job& job,
                                                       MemoryBudget& budget)
{
    for (const bool inBands : {false, true}) {
        job.image.inBands = inBands;
        if (job.softMask) {
            job.softMask->inBands = inBands;
        }
        const std::size_t bytes = ImageRecompressor::memoryNeeded(job);
        if (bytes <= budget.capacity()) {
            return budget.reserve(bytes);
        }
    }
    return std::nullopt;
}

// The work for one image, or nothing when it stays as it is.
std::unique_ptr<Task> taskFor(const ImageStream& image, const ImagePlacement::ShownSizes& sizes,
                              const FilterDescription::ImageSettings& settings,
                              MemoryBudget& budget, Notices notices)
{
    const auto& shown = sizes.at(image.object().getObjGen());
    const Dimensions target =
        ImageRecompressor::targetDimensions(image.dimensions(), shown, settings);
    const bool shrinks = !(target == image.dimensions());
    const ImageStream* mask = shrinks ? image.softMask() : nullptr;
    // Stored bytes past the whole budget are not even read.
    const std::size_t stored = image.storedBytes() + (mask ? mask->storedBytes() : 0);
    if (!shrinks && image.isJpeg()) {
        return nullptr;
    }
    const auto tooLarge = [&] {
        notices.report(EngineNotice::Reason::imageTooLargeForBudget, image.object(),
                       "needs more than the " + std::to_string(budget.capacity()) +
                           " bytes of the memory budget");
        return nullptr;
    };
    if (stored > budget.capacity()) {
        return tooLarge();
    }
    auto task = std::make_unique<Task>(image);
    task->job.image = image.read();
    if (mask) {
        task->job.softMask = mask->read();
    }
    task->job.target = target;
    task->job.jpegQuality = ImageRecompressor::jpegQuality(settings.compressionQuality);
    auto memory = reserveMemory(task->job, budget);
    if (!memory) {
        return tooLarge();
    }
    task->memory = std::move(*memory);
    return task;
}

// Recompresses on a worker; whatever goes wrong leaves the image as it is.
void submit(WorkerPool::Batch& workers, Task* task, StopToken stop, StageTimes* times)
{
    workers.submit([task, stop, times] {
        try {
            if (!stop.stopRequested()) {
                task->result = ImageRecompressor::recompress(std::move(task->job), stop, times);
            }
        } catch (const std::exception& error) {
            if (!stop.stopRequested()) {
                task->failure = error.what();
            }
        }
        task->job = {};
        // Let go here: the producer may be waiting for this memory, and the
        // result it writes back is small.
        task->memory = {};
        task->done = true;
    });
}

} // namespace

void ImageFilter::apply(const std::vector<QPDFObjectHandle>& pages,
                        const FilterDescription::ImageSettings& settings, InflateBudget& budget,
                        StopToken stop, StageTimes* times, Notices notices)
{
    std::optional<StageTimes::Timer> finding(std::in_place, times, StageTimes::find);
    const ImagePlacement::ShownSizes sizes = ImagePlacement::find(pages, budget, notices);
    const std::vector<ImageStream> images = candidates(pages, sizes, notices);
    const auto maskUses = softMaskUses(images);
    finding.reset();

    const StageTimes::Timer reading(times, StageTimes::read);
    MemoryBudget& memory = MemoryBudget::shared();
    const KeptBuffersRelease release{memory};
    std::list<std::unique_ptr<Task>> tasks;
    // Declared after the tasks, so that it waits for the workers before they go.
    WorkerPool::Batch workers(WorkerPool::shared());
    for (const ImageStream& image : images) {
        if (stop.stopRequested()) {
            throw PDFEngine::Cancelled();
        }
        if (image.softMask() && maskUses.at(image.softMask()->object().getObjGen()) > 1) {
            notices.report(EngineNotice::Reason::imageMaskShared, image.object(),
                           "soft mask " + image.softMask()->object().getObjGen().unparse(' ') +
                               " R is shared");
            continue;
        }
        try {
            if (auto task = taskFor(image, sizes, settings, memory, notices)) {
                tasks.push_back(std::move(task));
                submit(workers, tasks.back().get(), stop, times);
            }
        } catch (const std::exception& error) {
            notices.report(EngineNotice::Reason::imageUnreadable, image.object(), error.what());
        }
        replaceFinished(tasks, notices);
    }
    workers.wait();
    if (stop.stopRequested()) {
        throw PDFEngine::Cancelled();
    }
    replaceFinished(tasks, notices);
}

} // namespace zurbo::engine
