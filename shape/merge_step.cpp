// SPDX-License-Identifier: GPL-3.0-or-later
// The tracks' points sorted by time with a natural merge sort on three
// lists: runs already in order are dealt alternately onto two lists, then
// merged pairwise back, until one run is left. Each pass is linear and reads
// through cursors, and the passes halve the runs, so the sort is n log n and
// flat in memory (the lists spill to their temporary files). A point without
// a time never ends a run and is always taken right after the point before
// it, so it keeps its place after that point.
#include "core/text/number_format.h"
#include "shape/shape_steps.h"
#include "shape/step_support.h"

namespace {
// A list read run by run, one point ahead.
class RunReader {
public:
    explicit RunReader(const PointList& points) : cursor_(points) { has_ = cursor_.Next(head_); }
    bool InRun() const { return has_ && !(head_.time && last_ && *head_.time < *last_); }
    bool HeadTimed() const { return head_.time.has_value(); }
    const UtcTime& HeadTime() const { return *head_.time; }
    void MoveTo(PointList& out)
    {
        if (head_.time) last_ = head_.time;
        out.push_back(head_);
        has_ = cursor_.Next(head_);
    }
    void NextRun() { last_.reset(); }
    bool AtEnd() const { return !has_; }

private:
    PointList::Cursor cursor_;
    Point head_;
    bool has_ = false;
    std::optional<UtcTime> last_;
};

// Deals the runs of `all` alternately onto two lists; how many runs it found.
std::int64_t Deal(const PointList& all, PointList& a, PointList& b)
{
    RunReader reader(all);
    std::int64_t runs = 0;
    for (; !reader.AtEnd(); reader.NextRun(), ++runs) {
        PointList& out = runs % 2 == 0 ? a : b;
        while (reader.InRun()) reader.MoveTo(out);
    }
    return runs;
}

PointList MergeRuns(const PointList& a, const PointList& b)
{
    PointList merged = a.EmptyLike();
    RunReader ra(a), rb(b);
    while (!ra.AtEnd() || !rb.AtEnd()) {
        while (ra.InRun() || rb.InRun()) {
            // Untimed heads go first: each follows the point just taken from its list.
            const bool fromA = !rb.InRun()       ? true
                               : !ra.InRun()     ? false
                               : !ra.HeadTimed() ? true
                               : !rb.HeadTimed() ? false
                                                 : !(rb.HeadTime() < ra.HeadTime());
            (fromA ? ra : rb).MoveTo(merged);
        }
        ra.NextRun();
        rb.NextRun();
    }
    return merged;
}

PointList SortedByTime(PointList all)
{
    for (;;) {
        PointList a = all.EmptyLike(), b = all.EmptyLike();
        if (Deal(all, a, b) <= 1) return all;
        all = MergeRuns(a, b);
    }
}
}  // namespace

StepPointer MergeTracks(bool join)
{
    const std::string name = join ? "merge, sections joined" : "merge";
    return std::make_shared<FunctionStep>(name, [name, join](Document& document) {
        const std::size_t before = document.tracks.size();
        if (before == 0) return StepReport{name + ": no tracks", {}};
        PointList all = document.NewList();
        for (Track& track : document.tracks) {
            bool first = true;
            Point p;
            for (PointList::Cursor cursor(track.points); cursor.Next(p); first = false) {
                p.newSection = first || p.newSection;
                all.push_back(p);
            }
            track.points.clear();
        }
        Track merged;
        merged.info = document.tracks.front().info;
        bool first = true;
        merged.points = Kept(
            SortedByTime(std::move(all)),
            [&](Point& p) {
                p.newSection = first || (!join && p.newSection);
                first = false;
                return true;
            },
            false);
        document.tracks.clear();
        const std::int64_t points = static_cast<std::int64_t>(merged.points.size());
        document.tracks.push_back(std::move(merged));
        return StepReport{name + ": " + GroupedInt(static_cast<std::int64_t>(before)) + " tracks -> 1 track of " +
                              GroupedInt(points) + " points",
                          {}};
    });
}
