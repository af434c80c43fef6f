// SPDX-License-Identifier: GPL-3.0-or-later
// The shaping steps applied, on a thread of its own, to the document of the
// input the view shows: the input is read once, then each change of the
// steps shapes a copy of it, and Ready hands the result to the window's
// thread as view data. Changes that come while it works are taken together.
#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/document/view_data.h"
#include "core/io/read_watch.h"
#include "shape/step_choice.h"

class FormatCatalogue;

class ShapePreview : public QObject {
    Q_OBJECT
public:
    // The catalogue outlives the preview.
    explicit ShapePreview(const FormatCatalogue& catalogue, QObject* parent = nullptr);
    ~ShapePreview() override;

    // The input to shape, read as the format at position (none: nothing shown).
    void SetInput(const std::string& file, int position);
    void SetSteps(std::vector<StepChoice> steps, OutputCapacity capacity, UtcOffsetAt dayOffset = UtcDays());
    // The thread the last preview was made on.
    std::thread::id WorkerThread() const { return worker_.load(); }

signals:
    // The input and the shaped result (none without steps), what each step
    // said, and how long the shaping took.
    void Ready(std::shared_ptr<const ViewData> original, std::shared_ptr<const ViewData> shaped, QStringList lines,
               double milliseconds);

private:
    void Run();

    const FormatCatalogue& catalogue_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    int generation_ = 0, inputGeneration_ = 0;
    std::string file_;
    int position_ = -1;
    std::vector<StepChoice> steps_;
    OutputCapacity capacity_;
    UtcOffsetAt dayOffset_ = UtcDays();
    std::shared_ptr<ReadWatch> watch_;
    std::atomic<std::thread::id> worker_{};
    std::thread thread_;
};
