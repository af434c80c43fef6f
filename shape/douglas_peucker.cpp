// SPDX-License-Identifier: GPL-3.0-or-later
#include "shape/douglas_peucker.h"

#include <utility>
#include <vector>

#include "shape/geodesy.h"

namespace {
constexpr double kTie = 0.001;  // metres

// Marks the points of a window that the simplification keeps.
void MarkKept(const std::vector<SpherePoint>& window, double tolerance, std::vector<std::uint8_t>& keep)
{
    keep.assign(window.size(), 0);
    if (window.empty()) return;
    keep.front() = keep.back() = 1;
    const double within = MeasureOfMetres(tolerance), tie = MeasureOfMetres(kTie);
    std::vector<std::pair<std::size_t, std::size_t>> stack{{0, window.size() - 1}};
    while (!stack.empty()) {
        const auto [first, last] = stack.back();
        stack.pop_back();
        if (last - first < 2) continue;
        const SegmentDistance segment(window[first], window[last]);
        // The farthest point; among points as far to within 1 mm, the one
        // nearest the middle, so that a regular line (a wave, a grid of
        // equal steps) splits evenly instead of one point at a time.
        const std::size_t middle = first + (last - first) / 2;
        const auto offMiddle = [&](std::size_t i) { return i > middle ? i - middle : middle - i; };
        double farthest = -1;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const double measure = segment.Measure(window[i]);
            if (measure > farthest + tie || (measure >= farthest - tie && offMiddle(i) < offMiddle(at))) {
                farthest = std::max(farthest, measure);
                at = i;
            }
        }
        if (farthest <= within) continue;
        keep[at] = 1;
        stack.push_back({first, at});
        stack.push_back({at, last});
    }
}

// Walks the list window by window, telling `decide` in order whether each point is kept.
template <typename Decide>
void Walk(const PointList& points, double tolerance, Decide&& decide)
{
    std::vector<SpherePoint> window;
    std::vector<std::uint8_t> keep;
    // All the window's decisions, or all but the last point's, which begins the next window.
    const auto flush = [&](bool shareLast) {
        MarkKept(window, tolerance, keep);
        const std::size_t decided = shareLast ? window.size() - 1 : window.size();
        for (std::size_t i = 0; i < decided; ++i) decide(keep[i] != 0);
        if (shareLast) window.erase(window.begin(), window.end() - 1);
        else window.clear();
    };
    PointList::Cursor cursor(points);
    Point p;
    while (cursor.Next(p)) {
        if (!ValidPosition(p)) {
            flush(false);
            decide(true);
            continue;
        }
        if (p.newSection && !window.empty()) flush(false);
        window.push_back(OnSphere(p.latitude, p.longitude));
        if (window.size() == kSimplifyWindow) flush(true);
    }
    flush(false);
}
}  // namespace

PointList Simplified(const PointList& points, double tolerance)
{
    PointList kept = points.EmptyLike();
    PointList::Cursor cursor(points);
    Point p;
    Walk(points, tolerance, [&](bool keep) {
        cursor.Next(p);
        if (keep) kept.push_back(p);
    });
    return kept;
}

std::int64_t CountKept(const PointList& points, double tolerance)
{
    std::int64_t kept = 0;
    Walk(points, tolerance, [&](bool keep) { kept += keep ? 1 : 0; });
    return kept;
}

std::optional<double> ToleranceToFit(const PointList& points, std::int64_t capacity)
{
    if (static_cast<std::int64_t>(points.size()) <= capacity) return 0.0;
    // Half the earth's circumference keeps only the ends of each window.
    constexpr double kWidest = 2.1e7;
    double high = 1;
    while (CountKept(points, high) > capacity) {
        if (high >= kWidest) return std::nullopt;
        high = std::min(high * 4, kWidest);
    }
    double low = 0;
    while (high - low > std::max(kFitPrecisionMetres, high * kFitPrecision)) {
        const double middle = (low + high) / 2;
        if (CountKept(points, middle) > capacity) low = middle;
        else high = middle;
    }
    return high;
}
