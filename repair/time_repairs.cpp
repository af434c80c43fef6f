// SPDX-License-Identifier: GPL-3.0-or-later
#include "repair/time_repairs.h"

#include "core/document/gap_sections.h"
#include "core/document/undated_times.h"
#include "repair/point_times.h"
#include "repair/rollover.h"

namespace {
std::string Grouped(std::int64_t n)
{
    std::string digits = std::to_string(n), text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

std::string Times(std::int64_t n) { return Grouped(n) + (n == 1 ? " time" : " times"); }

std::string DateText(std::chrono::year_month_day day)
{
    return IsoTime({std::chrono::sys_days(day).time_since_epoch().count() * 86400, 0}).substr(0, 10);
}

// Moves a dated time (or any, with undatedToo), counting those that would
// leave the calendar, which lose their time.
class TimeMover {
public:
    explicit TimeMover(bool undatedToo) : undatedToo_(undatedToo) {}
    template <typename Move>
    bool operator()(std::optional<UtcTime>& time, bool undated, Move&& move)
    {
        if (!time || (undated && !undatedToo_)) return false;
        time = move(*time);
        if (!time) ++dropped_;
        return true;
    }
    void Report(StepReport& report) const
    {
        if (dropped_ > 0)
            report.findings.Add(FindingKind::Reduced, Times(dropped_) + " would leave the years 1 to 9999: dropped",
                                dropped_);
    }

private:
    bool undatedToo_;
    std::int64_t dropped_ = 0;
};

class DateStep final : public DocumentStep {
public:
    explicit DateStep(std::chrono::year_month_day day) : day_(day) {}
    std::string Name() const override { return "date " + DateText(day_); }
    StepReport Apply(Document& document) const override
    {
        StepReport report;
        const std::int64_t dated = DateUndatedTimes(document, day_);
        const UtcTime midnight{std::chrono::sys_days(day_).time_since_epoch().count() * 86400, 0};
        // Points without any time that the native formats would give the time of conversion.
        const std::int64_t given = ChangePoints(document, [&](Point& p) {
            if (p.time || p.native.noDateDay || p.native.dayOfConversion) return false;
            p.time = midnight;
            return true;
        });
        report.line = DatedLine(day_, dated) + ", " + Times(given) + " given";
        if (dated > 0) report.settled.push_back(FindingKind::Undated);
        return report;
    }

private:
    std::chrono::year_month_day day_;
};

// Wall-clock times become UTC list by list, each after the point before it:
// a time the clocks showed twice keeps the list's order where it can, and a
// track whose reader made its sections at gaps of an hour gets them again,
// on UTC (the hour the clocks skip in spring is no gap).
class ZoneStep final : public DocumentStep {
public:
    explicit ZoneStep(TimeZone zone) : zone_(zone) {}
    std::string Name() const override { return "zone " + zone_.Name(); }
    StepReport Apply(Document& document) const override
    {
        StepReport report;
        TimeMover mover(false);
        std::int64_t moved = 0;
        const auto readList = [&](PointList& list, bool sectionsAtGaps) {
            std::optional<UtcTime> previous;  // the UTC time of the latest dated point
            GapSections sections;
            ChangeList(list, [&](Point& p) {
                const bool timeMoved = mover(p.time, p.undated, [&](UtcTime t) {
                    const UtcTime utc = previous ? zone_.ToUtcAfter(t, *previous) : zone_.ToUtc(t);
                    return Moved(t, utc.seconds - t.seconds);
                });
                if (p.time && !p.undated) previous = p.time;
                moved += timeMoved ? 1 : 0;
                const bool starts = sectionsAtGaps ? sections.Starts(p) : p.newSection;
                const bool sectioned = starts != p.newSection;
                p.newSection = starts;
                return timeMoved || sectioned;
            });
        };
        if (document.metadata.time) document.metadata.time = zone_.ToUtc(*document.metadata.time);
        readList(document.waypoints, false);
        for (Route& route : document.routes) readList(route.points, false);
        for (Track& track : document.tracks) readList(track.points, track.sectionsAtGaps);
        report.line = Name() + ": " + Times(moved) + " read as local time";
        mover.Report(report);
        return report;
    }

private:
    TimeZone zone_;
};

class MoveStep final : public DocumentStep {
public:
    MoveStep(std::string name, std::int64_t seconds, bool undatedToo)
        : name_(std::move(name)), seconds_(seconds), undatedToo_(undatedToo)
    {}
    std::string Name() const override { return name_; }
    StepReport Apply(Document& document) const override
    {
        StepReport report;
        TimeMover mover(undatedToo_);
        const auto move = [&](UtcTime t) { return Moved(t, seconds_); };
        if (document.metadata.time) document.metadata.time = Moved(*document.metadata.time, seconds_);
        const std::int64_t moved = ChangePoints(document, [&](Point& p) { return mover(p.time, p.undated, move); });
        report.line = name_ + ": " + Times(moved) + " moved";
        mover.Report(report);
        return report;
    }

private:
    std::string name_;
    std::int64_t seconds_;
    bool undatedToo_;
};

class EarlyTimesCheck final : public DocumentStep {
public:
    std::string Name() const override { return "rollover check"; }
    bool OnlyLooks() const override { return true; }
    StepReport Apply(Document& document) const override
    {
        StepReport report;
        if (const auto early = FindEarlyTimes(document))
            report.findings.Add(FindingKind::Notice, EarlyTimesWarning(*early));
        return report;
    }
};

std::string RolloverName(int rollovers) { return "rollover " + std::to_string(rollovers); }
}  // namespace

DocumentSteps TimeRepairSteps(const TimeRepairs& r)
{
    DocumentSteps steps;
    if (r.date) steps.push_back(std::make_shared<DateStep>(*r.date));
    if (r.zone) steps.push_back(std::make_shared<ZoneStep>(*r.zone));
    if (r.rollovers != 0)
        steps.push_back(std::make_shared<MoveStep>(RolloverName(r.rollovers), r.rollovers * kRolloverSeconds, false));
    else steps.push_back(std::make_shared<EarlyTimesCheck>());
    if (r.shift.count() != 0)
        steps.push_back(std::make_shared<MoveStep>("shift " + r.shiftText, r.shift.count(), true));
    return steps;
}

std::vector<std::string> TimeRepairNames(const TimeRepairs& r)
{
    std::vector<std::string> names;
    for (const auto& step : TimeRepairSteps(r))
        if (!step->OnlyLooks()) names.push_back(step->Name());
    return names;
}
