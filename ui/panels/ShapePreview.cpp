// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/ShapePreview.h"

#include <chrono>
#include <exception>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "ui/window/BackgroundPriority.h"

ShapePreview::ShapePreview(const FormatCatalogue& catalogue, QObject* parent) : QObject(parent), catalogue_(catalogue)
{
    thread_ = std::thread(&ShapePreview::Run, this);
}

ShapePreview::~ShapePreview()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        if (watch_) watch_->cancel = true;
    }
    wake_.notify_one();
    thread_.join();
}

void ShapePreview::SetInput(const std::string& file, int position)
{
    {
        const std::lock_guard lock(mutex_);
        if (file == file_ && position == position_) return;
        file_ = file;
        position_ = position;
        ++inputGeneration_;
        ++generation_;
        if (watch_) watch_->cancel = true;  // the read of the input before is of no use now
    }
    wake_.notify_one();
}

void ShapePreview::SetSteps(std::vector<StepChoice> steps, OutputCapacity capacity, UtcOffsetAt dayOffset)
{
    {
        const std::lock_guard lock(mutex_);
        steps_ = std::move(steps);
        capacity_ = capacity;
        dayOffset_ = std::move(dayOffset);
        ++generation_;
    }
    wake_.notify_one();
}

void ShapePreview::Run()
{
    Document input;
    std::shared_ptr<const ViewData> original;
    int done = 0, read = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || generation_ != done; });
        if (stop_) return;
        const int generation = generation_;
        // The input is read only once there are steps to preview: without
        // them the panel shows nothing, and the view and a conversion have
        // the cores to themselves.
        const bool newInput = inputGeneration_ != read && !steps_.empty();
        if (newInput) read = inputGeneration_;
        const int inputGeneration = inputGeneration_;
        const std::string file = file_;
        const int position = position_;
        const std::vector<StepChoice> choices = steps_;
        StepContext context;
        context.capacity = capacity_;
        context.dayOffset = dayOffset_;
        auto watch = std::make_shared<ReadWatch>();
        watch_ = watch;
        lock.unlock();
        worker_ = std::this_thread::get_id();
        ClearUpperVectorHalves();
        std::shared_ptr<const ViewData> shaped;
        QStringList lines;
        double milliseconds = 0;
        try {
            if (newInput) {
                input = Document{};
                original.reset();
                if (!file.empty() && catalogue_.IsInput(position)) {
                    const auto context = std::make_shared<const ReadContext>(ReadContext{watch, {}});
                    input = ReadInput(catalogue_, InputSource::File(file), position, {.context = context}).document;
                    original = std::make_shared<ViewData>(ViewOfDocument(input));
                }
            }
            const auto start = std::chrono::steady_clock::now();
            DocumentSteps steps;
            AppendSteps(choices, context, steps);
            if (!steps.empty() && original && read == inputGeneration) {
                Document document = input;
                for (const auto& step : steps) lines << QString::fromStdString(step->Apply(document).line);
                shaped = std::make_shared<ViewData>(ViewOfDocument(document));
            }
            milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        } catch (const ReadCancelled&) {
            read = -1;  // read again when asked again
        } catch (const std::exception& error) {
            lines << QString::fromStdString(error.what());
            read = -1;
        }
        lock.lock();
        done = generation;
        if (generation != generation_) continue;
        QMetaObject::invokeMethod(
            this, [this, original, shaped, lines, milliseconds] { emit Ready(original, shaped, lines, milliseconds); },
            Qt::QueuedConnection);
    }
}
