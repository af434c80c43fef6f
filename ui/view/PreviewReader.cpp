// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/PreviewReader.h"

#include <exception>

#include "core/convert/convert.h"
#include "ui/window/BackgroundPriority.h"

namespace {
// The data of several files seen as one: outputs written as a file per track.
void Join(ViewData& into, ViewData&& part)
{
    for (ViewGroup& track : part.tracks) into.tracks.push_back(std::move(track));
    for (ViewGroup& route : part.routes) into.routes.push_back(std::move(route));
    for (ViewWaypoint& waypoint : part.waypoints) into.waypoints.push_back(std::move(waypoint));
    if (into.waypoints.size() == part.waypoints.size()) into.waypointFigures = part.waypointFigures;
    into.refused = into.refused || part.refused;
    into.readInPart = into.readInPart || part.readInPart;
    for (std::string& message : part.messages) into.messages.push_back(std::move(message));
    for (std::string& warning : part.warnings) into.warnings.push_back(std::move(warning));
    if (into.codePage.empty()) into.codePage = std::move(part.codePage);
}
// What one file holds, or why it is not shown.
ViewData ReadViewData(const FormatCatalogue& catalogue, const std::string& file, int inputPosition,
                      const TimeRepairs& repairs, const std::string& codePage,
                      const std::shared_ptr<const ReadContext>& context)
{
    ViewData data;
    try {
        ReadResult read =
            ReadInput(catalogue, InputSource::File(file), inputPosition, {.codePage = codePage, .context = context});
        std::vector<std::string> warnings, messages;
        for (const auto& step : TimeRepairSteps(repairs)) {
            const StepReport report = step->Apply(read.document);
            for (const Finding& finding : report.findings.All())
                (finding.kind == FindingKind::Notice ? warnings : messages).push_back(finding.message);
        }
        data = ViewOfDocument(read.document);
        if (const auto& used = read.texts.codePage; used && used->mattered)
            data.codePage = used->codePage.Name() + (used->guessed                    ? " (guessed)"
                                                     : codePage == kAutomaticCodePage ? " (default)"
                                                                                      : " (chosen)");
        data.warnings = std::move(warnings);
        data.messages = std::move(messages);
        for (const Finding& finding : read.findings.All())
            if (!finding.message.empty() && finding.kind != FindingKind::Undated &&
                finding.kind != FindingKind::Unusable)
                data.messages.push_back(finding.message);
        data.readInPart = read.findings.LeaveDataOut();
    } catch (const InputRefused& refused) {
        data.refused = true;
        data.messages.push_back(refused.what());
    }
    return data;
}
}  // namespace

PreviewReader::~PreviewReader() { Stop(); }

void PreviewReader::Start(std::vector<PreviewFile> files, TimeRepairs repairs, std::string codePage)
{
    Stop();
    watch_ = std::make_shared<ReadWatch>();
    running_ = true;
    thread_ = std::thread(&PreviewReader::Run, this, std::move(files), std::move(repairs), std::move(codePage), watch_,
                          generation_);
}

void PreviewReader::Cancel()
{
    if (watch_) watch_->cancel = true;
}

void PreviewReader::Stop()
{
    Cancel();
    if (thread_.joinable()) thread_.join();
    ++generation_;  // a Finished already on its way is dropped
    running_ = false;
}

double PreviewReader::Fraction() const
{
    if (!watch_ || watch_->size == 0) return -1;
    return std::min(1.0, double(watch_->position) / double(watch_->size));
}

std::uint64_t PreviewReader::PointsRead() const { return watch_ ? watch_->points.load() : 0; }

void PreviewReader::Run(std::vector<PreviewFile> files, TimeRepairs repairs, std::string codePage,
                        std::shared_ptr<ReadWatch> watch, int generation)
{
    LowerThisThreadsPriority();
    ClearUpperVectorHalves();
    auto data = std::make_shared<ViewData>();
    QString error;
    bool cancelled = false;
    try {
        // The lists read spill into the temporary folder only: the view writes no output.
        const auto context = std::make_shared<const ReadContext>(ReadContext{watch, {}});
        for (const PreviewFile& file : files)
            Join(*data, ReadViewData(catalogue_, file.name, file.inputPosition, repairs, codePage, context));
    } catch (const ReadCancelled&) {
        cancelled = true;
    } catch (const std::exception& failure) {
        error = QString::fromStdString(failure.what());
    } catch (...) {
        error = "The file could not be read";
    }
    std::shared_ptr<const ViewData> result = cancelled || !error.isEmpty() ? nullptr : std::move(data);
    QMetaObject::invokeMethod(
        this,
        [this, result, error, cancelled, generation] {
            if (generation != generation_) return;
            if (thread_.joinable()) thread_.join();
            running_ = false;
            emit Finished(result, error, cancelled);
        },
        Qt::QueuedConnection);
}
