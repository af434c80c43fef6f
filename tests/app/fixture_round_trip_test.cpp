// SPDX-License-Identifier: GPL-3.0-or-later
// Every real input, converted to GPX, then to each other output that holds
// everything (KML, GeoJSON, CSV), read back and written as GPX again: the
// second GPX holds what the first does, except what the output's row
// declares it does not hold. Each input's format is told as the command
// tells it (the plan), and each step runs the Convert action.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "formats/format_table.h"
#include "formats/gpx/Gpx.h"
#include "plan/conversion_plan.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {
// Inputs larger than this are left to the slower tests.
constexpr std::uintmax_t kLargestInput = 4u << 20;

// The degrees each output keeps of a position: GPX, KML and CSV write the
// shortest decimal that reads back as the same double; GeoJSON writes 7 decimals.
double DegreesKept(Output output) { return output == Output::GeoJson ? 5e-8 : 0; }
// Elevations are written with up to 6 decimals by every output.
constexpr double kMetresKept = 5e-7;

// What one conversion made, or why it made nothing.
struct Step {
    ConversionOutcome outcome;
    std::string told;  // why the input's format could not be told; empty when it was
};

// Converts `input` into `output` as the command would: the input's format
// told from its content (and name) for the output's kind.
Step ConvertLikeTheCommand(const std::string& input, const std::string& output, Output format)
{
    const ConversionPlan plan =
        PlanConversions(TestCatalogue(), {.inputs = {input}, .outputPosition = Position(format), .output = output});
    Step step;
    if (plan.jobs.size() != 1 || plan.jobs.front().refusal.Refused()) {
        step.told = plan.jobs.empty() ? "no job" : "format not told";
        return step;
    }
    ConversionRequest request;
    request.inputs = {{input, plan.jobs.front().inputPosition}};
    request.output = output;
    request.outputPosition = Position(format);
    request.exactNames = true;
    request.clock = Clock::Fixed(45000.4375, 45000.354166);
    SilentFrontEnd silent;
    step.outcome = Convert(TestCatalogue(), request, silent);
    return step;
}

Document ReadGpx(const std::string& path) { return ReadGpxFile(InputSource::File(path), {}).document; }

// The points of a list, of a section or of the whole list, that hold a value.
bool EveryPointHolds(const std::vector<Point>& points, std::size_t at, HeldWhere where, bool (*holds)(const Point&))
{
    if (where == HeldWhere::Always) return holds(points[at]);
    std::size_t first = 0, end = points.size();
    if (where == HeldWhere::EveryPointOfSection) {
        first = at;
        while (first > 0 && !points[first].newSection) --first;
        end = at + 1;
        while (end < points.size() && !points[end].newSection) ++end;
    }
    for (std::size_t i = first; i < end; ++i)
        if (!holds(points[i])) return false;
    return true;
}
bool HasTime(const Point& p) { return p.time.has_value(); }
bool HasElevation(const Point& p) { return p.HasElevation(); }

// The points read back hold the positions (to `degrees`), and where the
// output holds them, the names, times and elevations of the points written.
void ExpectSamePoints(const PointList& written, const PointList& back, const PointHolds& holds, double degrees)
{
    const std::vector<Point> a = written.ToVector(), b = back.ToVector();
    ASSERT_EQ(a.size(), b.size());
    // Names are cut only by outputs of short names, which none of these is.
    ASSERT_EQ(holds.nameLength, 0u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE("point " + std::to_string(i));
        EXPECT_NEAR(a[i].latitude, b[i].latitude, degrees);
        EXPECT_NEAR(a[i].longitude, b[i].longitude, degrees);
        EXPECT_EQ(holds.values.Has(PointValue::Name) ? a[i].name : "", b[i].name);
        // A time or an elevation comes back where the output holds it for this point.
        const bool timeHeld = holds.values.Has(PointValue::Time) && EveryPointHolds(a, i, holds.times, HasTime);
        EXPECT_EQ(timeHeld ? a[i].time : std::nullopt, b[i].time);
        const bool heightHeld =
            holds.values.Has(PointValue::Elevation) && EveryPointHolds(a, i, holds.elevations, HasElevation);
        EXPECT_EQ(heightHeld, b[i].HasElevation());
        if (heightHeld && b[i].HasElevation()) {
            EXPECT_NEAR(a[i].elevation, b[i].elevation, kMetresKept);
        }
    }
}

// Each section starts at the same point.
std::vector<std::size_t> SectionStarts(const PointList& points)
{
    std::vector<std::size_t> starts;
    const std::vector<Point> all = points.ToVector();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (i == 0 || all[i].newSection) starts.push_back(i);
    return starts;
}

void ExpectSameDocument(const Document& written, const Document& back, const OutputHolds& holds, double degrees)
{
    // An output that holds everything holds every kind of point and line.
    ASSERT_TRUE(holds.waypoints.noun && holds.routePoints.noun && holds.trackPoints.noun && holds.routes.noun &&
                holds.tracks.noun);
    {
        SCOPED_TRACE("waypoints");
        ExpectSamePoints(written.waypoints, back.waypoints, holds.waypoints, degrees);
    }
    ASSERT_EQ(written.routes.size(), back.routes.size());
    for (std::size_t r = 0; r < written.routes.size(); ++r) {
        SCOPED_TRACE("route " + std::to_string(r));
        const Route &a = written.routes[r], &b = back.routes[r];
        EXPECT_EQ(holds.routes.values.Has(GroupValue::Name) ? a.info.name : "", b.info.name);
        ExpectSamePoints(a.points, b.points, holds.routePoints, degrees);
        // The road between the points comes back where the output holds it.
        if (holds.road) {
            EXPECT_EQ(a.linksAfter, b.linksAfter);
            ExpectSamePoints(a.links, b.links, {.values = {}}, degrees);
        }
    }
    ASSERT_EQ(written.tracks.size(), back.tracks.size());
    for (std::size_t t = 0; t < written.tracks.size(); ++t) {
        SCOPED_TRACE("track " + std::to_string(t));
        const Track &a = written.tracks[t], &b = back.tracks[t];
        EXPECT_EQ(holds.tracks.values.Has(GroupValue::Name) ? a.info.name : "", b.info.name);
        ExpectSamePoints(a.points, b.points, holds.trackPoints, degrees);
        if (holds.sections) {
            EXPECT_EQ(SectionStarts(a.points), SectionStarts(b.points));
        }
    }
}

// Every real input: the files in the folders of the tests' data, their golden outputs apart.
std::vector<std::string> RealInputs()
{
    const fs::path data(KES_TEST_DATA_DIR);
    std::vector<std::string> inputs;
    for (const auto& entry : fs::recursive_directory_iterator(data)) {
        const fs::path relative = fs::relative(entry.path(), data);
        if (entry.is_regular_file() && relative.has_parent_path() && *relative.begin() != "golden" &&
            entry.file_size() <= kLargestInput)
            inputs.push_back(entry.path().string());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}
}  // namespace

class FixtureRoundTrip : public testing::TestWithParam<std::string> {};

TEST_P(FixtureRoundTrip, ComesBackFromEachOutputAsItsRowDeclares)
{
    const std::string input = GetParam();
    TempDir dir;
    const Step first = ConvertLikeTheCommand(input, dir.Path("first.gpx"), Output::Gpx);
    ASSERT_EQ(first.told, "");
    ASSERT_EQ(first.outcome.state, ConversionOutcome::State::Converted) << first.outcome.reason;
    const Document written = ReadGpx(dir.Path("first.gpx"));
    for (const auto& [output, extension] :
         {std::pair{Output::Kml, ".kml"}, std::pair{Output::GeoJson, ".geojson"}, std::pair{Output::Csv, ".csv"}}) {
        SCOPED_TRACE(extension);
        const std::string middle = dir.Path(std::string("middle") + extension);
        const Step out = ConvertLikeTheCommand(dir.Path("first.gpx"), middle, output);
        ASSERT_EQ(out.outcome.state, ConversionOutcome::State::Converted) << out.outcome.reason;
        const Step back = ConvertLikeTheCommand(middle, dir.Path("back.gpx"), Output::Gpx);
        ASSERT_EQ(back.told, "");
        ASSERT_EQ(back.outcome.state, ConversionOutcome::State::Converted) << back.outcome.reason;
        ExpectSameDocument(written, ReadGpx(dir.Path("back.gpx")), TestCatalogue().OutputRow(Position(output)).holds,
                           DegreesKept(output));
    }
}

// A row per file, named after its folder and name ("gpx_basecamp_gpx").
INSTANTIATE_TEST_SUITE_P(RealInputs, FixtureRoundTrip, testing::ValuesIn(RealInputs()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = fs::relative(info.param, KES_TEST_DATA_DIR).string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });
