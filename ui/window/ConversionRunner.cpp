// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/ConversionRunner.h"
#include "ui/window/BackgroundPriority.h"

#include <QCoreApplication>
#include <QEventLoop>

// The front end of the conversion's thread: each call is made on the window's
// thread. Events are queued (and may run after this relay is gone: they hold
// the window, which outlives the runner); messages and questions wait for
// their answer.
class ConversionRunner::Relay final : public FrontEnd {
public:
    Relay(FrontEnd& window, QObject* context, ReadWatch& watch) : window_(window), context_(context), watch_(watch) {}
    void Report(const ConversionEvent& event) override
    {
        if (std::holds_alternative<conversion::Message>(event)) {
            Wait([&] { window_.Report(event); });
            return;
        }
        QMetaObject::invokeMethod(
            context_, [&window = window_, event] { window.Report(event); }, Qt::QueuedConnection);
    }
    void SetBusyCursor(bool busy) override
    {
        QMetaObject::invokeMethod(
            context_, [&window = window_, busy] { window.SetBusyCursor(busy); }, Qt::QueuedConnection);
    }
    void OutputWritten(const std::string& name) override
    {
        QMetaObject::invokeMethod(
            context_, [&window = window_, name] { window.OutputWritten(name); }, Qt::QueuedConnection);
    }
    bool ConfirmReplacing(const std::vector<std::string>& names) override
    {
        bool replace = false;
        Wait([&] { replace = window_.ConfirmReplacing(names); });
        return replace;
    }
    std::optional<std::chrono::year_month_day> DateOfLog(const std::string& file) override
    {
        std::optional<std::chrono::year_month_day> date;
        Wait([&] { date = window_.DateOfLog(file); });
        // A question cancelled stops the conversion here, before anything is written.
        watch_.StopIfAsked();
        return date;
    }

private:
    // Lines queued before stay before: the call follows them on the window's thread.
    template <typename Call>
    void Wait(Call&& call)
    {
        QMetaObject::invokeMethod(context_, std::forward<Call>(call), Qt::BlockingQueuedConnection);
    }
    FrontEnd& window_;
    QObject* context_;
    ReadWatch& watch_;
};

ConversionRunner::ConversionRunner(const FormatCatalogue& catalogue, FrontEnd& window, QObject* parent)
    : QObject(parent), catalogue_(catalogue), window_(window)
{}

ConversionRunner::~ConversionRunner() { StopAndWait(); }

void ConversionRunner::Start(ConversionRequest request)
{
    if (running_) return;
    if (thread_.joinable()) thread_.join();
    watch_ = std::make_shared<ReadWatch>();
    running_ = true;
    quiet_ = false;
    thread_ = std::thread(&ConversionRunner::Run, this, std::move(request), watch_);
}

void ConversionRunner::Stop()
{
    if (watch_) watch_->cancel = true;
}

void ConversionRunner::StopAndWait()
{
    if (!running_) {
        if (thread_.joinable()) thread_.join();
        return;
    }
    quiet_ = true;
    Stop();
    // The conversion may wait for the window (a line, a question): events are
    // served until it has ended.
    QEventLoop loop;
    const auto ended = connect(this, &ConversionRunner::Ended, &loop, &QEventLoop::quit);
    while (running_) loop.exec();
    disconnect(ended);
    if (thread_.joinable()) thread_.join();
}

void ConversionRunner::Run(ConversionRequest request, std::shared_ptr<ReadWatch> watch)
{
    LowerThisThreadsPriority();
    ClearUpperVectorHalves();
    Relay relay(window_, this, *watch);
    ConversionOutcome outcome;
    bool stopped = false;
    request.watch = std::move(watch);
    try {
        outcome = Convert(catalogue_, request, relay);
    } catch (const ReadCancelled&) {
        stopped = true;
    }
    QMetaObject::invokeMethod(
        this,
        [this, outcome = std::move(outcome), stopped] {
            running_ = false;
            if (thread_.joinable()) thread_.join();
            if (!quiet_) emit Finished(outcome, stopped);
            emit Ended();
        },
        Qt::QueuedConnection);
}
