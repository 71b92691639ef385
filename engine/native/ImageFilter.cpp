#include "ImageFilter.h"

#include "DuplicateImages.h"
#include "ImagePlacement.h"
#include "ImageStream.h"
#include "PDFEngine.h"
#include "WorkerPool.h"

#include <qpdf/QPDF.hh>

#include <atomic>
#include <list>
#include <memory>
#include <thread>

namespace zurbo::engine {

namespace {

struct Task {
    explicit Task(ImageStream stream) : image(std::move(stream)) {}

    ImageStream image;
    ImageRecompressor::Job job;
    std::optional<ImageRecompressor::Result> result;
    std::atomic<bool> done = false;
};

// Writes back the results of finished tasks and lets go of them, so that
// finished pixels do not pile up while the other images are read.
void replaceFinished(std::list<std::unique_ptr<Task>>& tasks)
{
    for (auto task = tasks.begin(); task != tasks.end();) {
        if (!(*task)->done) {
            ++task;
            continue;
        }
        if ((*task)->result) {
            try {
                (*task)->image.replace(*(*task)->result);
            } catch (const std::exception&) {
                // The image keeps its old data.
            }
        }
        task = tasks.erase(task);
    }
}

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
                                    const ImagePlacement::ShownSizes& sizes)
{
    std::vector<ImageStream> images;
    if (pages.empty()) {
        return images;
    }
    QPDF* document = pages.front().getOwningQPDF();
    for (const auto& [id, shown] : sizes) {
        try {
            if (auto image = ImageStream::inspect(document->getObjectByObjGen(id))) {
                images.push_back(std::move(*image));
            }
        } catch (const std::exception&) {
            // A damaged image stays as it is.
        }
    }
    return images;
}

// The work for one image, or nothing when it stays as it is.
std::unique_ptr<Task> taskFor(const ImageStream& image, const ImagePlacement::ShownSizes& sizes,
                              const FilterDescription::ImageSettings& settings)
{
    const auto& shown = sizes.at(image.object().getObjGen());
    const Dimensions target =
        ImageRecompressor::targetDimensions(image.dimensions(), shown, settings);
    const bool shrinks = !(target == image.dimensions());
    if (!shrinks && image.isJpeg()) {
        return nullptr;
    }
    auto task = std::make_unique<Task>(image);
    task->job.image = image.read();
    if (shrinks && image.softMask()) {
        task->job.softMask = image.softMask()->read();
    }
    task->job.target = target;
    task->job.jpegQuality = ImageRecompressor::jpegQuality(settings.compressionQuality);
    return task;
}

// Recompresses on a worker; whatever goes wrong leaves the image as it is.
void submit(WorkerPool& pool, Task* task, StopToken stop, StageTimes* times)
{
    pool.submit([task, stop, times] {
        try {
            if (!stop.stopRequested()) {
                task->result = ImageRecompressor::recompress(std::move(task->job), stop, times);
            }
        } catch (const std::exception&) {
            // Pixels that do not decode leave the image as it is.
        }
        task->job = {};
        task->done = true;
    });
}

} // namespace

void ImageFilter::apply(const std::vector<QPDFObjectHandle>& pages,
                        const FilterDescription::ImageSettings& settings, StopToken stop,
                        StageTimes* times)
{
    std::optional<StageTimes::Timer> finding(std::in_place, times, StageTimes::find);
    ImagePlacement::ShownSizes sizes = ImagePlacement::find(pages);
    DuplicateImages::merge(pages, sizes);
    const std::vector<ImageStream> images = candidates(pages, sizes);
    const auto maskUses = softMaskUses(images);
    finding.reset();

    const StageTimes::Timer reading(times, StageTimes::read);
    std::list<std::unique_ptr<Task>> tasks;
    WorkerPool pool(std::thread::hardware_concurrency());
    for (const ImageStream& image : images) {
        if (stop.stopRequested()) {
            throw PDFEngine::Cancelled();
        }
        if (image.softMask() && maskUses.at(image.softMask()->object().getObjGen()) > 1) {
            continue;
        }
        try {
            if (auto task = taskFor(image, sizes, settings)) {
                tasks.push_back(std::move(task));
                submit(pool, tasks.back().get(), stop, times);
            }
        } catch (const std::exception&) {
            // Unreadable stream data: the image stays as it is.
        }
        replaceFinished(tasks);
    }
    pool.wait();
    if (stop.stopRequested()) {
        throw PDFEngine::Cancelled();
    }
    replaceFinished(tasks);
}

} // namespace zurbo::engine
