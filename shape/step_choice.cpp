// SPDX-License-Identifier: GPL-3.0-or-later
#include "shape/step_choice.h"

#include <optional>

#include "core/time/time_zone.h"

namespace {
MadeStep Refused(const StepChoice& choice, const std::string& need)
{
    return {nullptr, "option '--" + choice.option + "' " + need, need};
}

template <typename T>
MadeStep Made(const StepChoice& choice, const std::optional<T>& value, const char* needs, StepPointer (*make)(T))
{
    if (!value) return Refused(choice, std::string("needs ") + needs + ", not '" + choice.value + "'");
    return {make(*value), {}, {}};
}

MadeStep WithoutValue(const StepChoice& choice, StepPointer step)
{
    if (!choice.value.empty()) return Refused(choice, "takes no value");
    return {std::move(step), {}, {}};
}

const char* const kOptions[] = {"split-gap",    "split-distance", "split-day", "split-points", "merge",
                                "simplify",     "simplify-to",    "crop-time", "crop-box",     "dedupe",
                                "drop-repeats", "drop-unfixed",   "max-speed", "fit"};
}  // namespace

bool IsStepOption(const std::string& option)
{
    for (const char* name : kOptions)
        if (option == name) return true;
    return false;
}

MadeStep MakeStep(const StepChoice& c, const StepContext& context)
{
    const std::string& o = c.option;
    const char* length = "a length such as 5m or 2km";
    if (o == "split-gap") return Made(c, ParseDuration(c.value), "a time such as 30m or 2h", &SplitAtGaps);
    if (o == "split-distance") return Made(c, ParseLength(c.value), length, &SplitAtDistances);
    if (o == "split-day") {
        if (c.value.empty()) return {SplitByDay(context.dayOffset), {}, {}};
        const std::optional<TimeZone> zone = TimeZone::Named(c.value);
        if (!zone) return Refused(c, "needs a time zone name such as Europe/Berlin, not '" + c.value + "'");
        return {SplitByDay([zone = *zone](const UtcTime& t) { return zone.OffsetAt(t); }, c.value), {}, {}};
    }
    if (o == "split-points") return Made(c, ParseCount(c.value), "a number of points", &SplitIntoPieces);
    if (o == "merge") {
        if (!c.value.empty() && c.value != "join") return Refused(c, "takes 'join' or no value, not '" + c.value + "'");
        return {MergeTracks(c.value == "join"), {}, {}};
    }
    if (o == "simplify") return Made(c, ParseLength(c.value), length, &SimplifyWithin);
    if (o == "simplify-to") return Made(c, ParseCount(c.value), "a number of points", &SimplifyTo);
    if (o == "crop-time")
        return Made(c, ParseTimeWindow(c.value), "two times as FROM..TO (2024-05-01T08:00Z..2024-05-01T18:00Z)",
                    &CropToTime);
    if (o == "crop-box") return Made(c, ParseBox(c.value), "degrees as S,W,N,E", &CropToBox);
    if (o == "dedupe") return Made(c, ParseLength(c.value), length, &DedupeWaypoints);
    if (o == "drop-repeats") return WithoutValue(c, DropRepeats());
    if (o == "drop-unfixed") return WithoutValue(c, DropUnfixed());
    if (o == "max-speed") return Made(c, ParseSpeed(c.value), "a speed such as 300kmh or 20m/s", &DropFasterThan);
    if (o == "fit") return WithoutValue(c, FitInto(context.capacity));
    return {nullptr, "unknown step '" + o + "'", "is no step"};
}

std::string AppendSteps(const std::vector<StepChoice>& choices, const StepContext& context, DocumentSteps& steps)
{
    for (const StepChoice& choice : choices) {
        MadeStep made = MakeStep(choice, context);
        if (!made.step) return made.error;
        steps.push_back(std::move(made.step));
    }
    return {};
}
