// SPDX-License-Identifier: GPL-3.0-or-later
// The context a front end gives a conversion: every reader reports its
// points to the watch and stops when asked, a long write stops too, and
// long lists spill beside the output when the temporary folder cannot be used.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/io/file_io.h"
#include "core/io/output_transaction.h"
#include "formats/format_table.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/sample_files.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;

// A file of each input format, in tests/data or made from a sample.
struct InputCase {
    Input format;
    std::string fixture;  // in tests/data; empty: `sample`
    std::string sample{};
};

std::vector<InputCase> InputCases()
{
    return {
        {Input::KesWaypoint, "", samples::KesWaypoints()},
        {Input::KesTrack, "", samples::KesTrack()},
        {Input::HoluxWaypoint, "golden/GC7FA4.wrt"},
        {Input::HoluxTrack, "golden/meridian.tlg"},
        {Input::MapsendWaypoint, "mapsend/route.wpt"},
        {Input::MapsendTrack, "mapsend/mapsend.trk"},
        {Input::NobletecWaypoints, "", samples::Nobletec()},
        {Input::NobletecTracks, "", samples::Nobletec()},
        {Input::Nmea, "nmea/receiver.log"},
        {Input::MagellanWaypoint, "magellan/magellan.rte"},
        {Input::MagellanTrack, "magellan/meridian.trk"},
        {Input::MapsourceWaypoints, "mapsource/gdb-sample.gdb"},
        {Input::MapsourceTracks, "mapsource/mps-track.mps"},
        {Input::TomTom, "tomtom/tomtom.ov2"},
        {Input::GpxWaypoints, "gpx/basecamp.gpx"},
        {Input::GpxTracks, "gpx/garminconnect.gpx"},
        {Input::WintecTes, "wintec/wintec.tes"},
        {Input::CompeGpsWaypoints, "compegps/compegps.rte"},
        {Input::CompeGpsTracks, "compegps/compegps.trk"},
        {Input::Pcx5Waypoints, "pcx/pcx.trk"},
        {Input::Pcx5Tracks, "pcx/pcx.trk"},
        {Input::Igc, "igc/27GLQKF3.igc"},
        {Input::FitTracks, "fit/fit-sample.fit"},
        {Input::FitWaypoints, "fit/Lctns_Instinct.fit"},
        {Input::Tcx, "tcx/kona2013.tcx"},
        {Input::TcxCoursePoints, "tcx/gtrnctr-readcp.tcx"},
        {Input::KmlWaypoints, "kml/kml-points.kml"},
        {Input::KmlTracks, "kml/earth-expertgps-track.kml"},
        {Input::GeoJsonWaypoints, "geojson/geojson.geojson"},
        {Input::GeoJsonTracks, "golden/route.geojson"},
        {Input::CsvWaypoints, "csv/GC7FA4.csv"},
        {Input::CsvTracks, "csv/headerdetection.csv"},
        {Input::NmeaWaypoints, "",
         "$GPWPL,3558.322,N,08708.082,W,GCEBB*1D\r\n$GPWPL,3605.441,N,08640.773,W,GC1A37*21\r\n"},
    };
}

std::vector<const PointList*> ListsOf(const Document& document)
{
    std::vector<const PointList*> lists{&document.waypoints};
    for (const Route& route : document.routes) lists.insert(lists.end(), {&route.points, &route.links});
    for (const Track& track : document.tracks) lists.push_back(&track.points);
    return lists;
}

std::uint64_t PointsIn(const Document& document)
{
    std::uint64_t points = 0;
    for (const PointList* list : ListsOf(document)) points += list->size();
    return points;
}

struct Watched {
    std::shared_ptr<ReadWatch> watch = std::make_shared<ReadWatch>();
    std::shared_ptr<const ReadContext> context = std::make_shared<const ReadContext>(ReadContext{watch, {}});
    ReadOptions Options() const { return {.context = context}; }
};

class ScopedTemporaryFolder {
public:
    explicit ScopedTemporaryFolder(const std::string& folder)
    {
        if (const char* was = std::getenv("TMPDIR")) previous_ = was;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~ScopedTemporaryFolder()
    {
        if (previous_) setenv("TMPDIR", previous_->c_str(), 1);
        else unsetenv("TMPDIR");
    }
    ScopedTemporaryFolder(const ScopedTemporaryFolder&) = delete;
    ScopedTemporaryFolder& operator=(const ScopedTemporaryFolder&) = delete;

private:
    std::optional<std::string> previous_;
};

// Points with texts, a list of them long enough to spill.
Point NamedPoint(int i)
{
    Point p;
    p.latitude = 45 + i * 1e-6;
    p.longitude = 7;
    p.name = std::string(200, static_cast<char>('a' + i % 26));
    return p;
}
constexpr int kSpillingPoints = static_cast<int>(PointList::kInMemory / 200) + 100;

class ReadContextTest : public ::testing::Test {
protected:
    TempDir dir;
};
}  // namespace

// Every reader fills lists of its read's context: each point counts on the
// watch, and a stop asked for ends the read of a file at its first fill and
// of bytes in memory at its first point. Every input row has its case.
TEST_F(ReadContextTest, EveryReaderReportsItsPointsAndStopsWhenAsked)
{
    std::map<int, int> cases;
    for (const InputCase& c : InputCases()) {
        const int position = Position(c.format);
        ++cases[position];
        const std::string file =
            c.fixture.empty() ? dir.Path("sample" + std::to_string(position)) : FixturePath(c.fixture);
        if (c.fixture.empty()) WriteText(file, c.sample);
        SCOPED_TRACE(TestCatalogue().Inputs()[position].Name + " " + file);

        const Watched read;
        const ReadResult result = ReadInput(TestCatalogue(), InputSource::File(file), position, read.Options());
        const std::uint64_t points = PointsIn(result.document);
        EXPECT_GT(points, 0u);
        EXPECT_GE(read.watch->points.load(), points);
        EXPECT_GT(read.watch->position.load(), 0u);
        for (const PointList* list : ListsOf(result.document)) {
            if (!list->empty()) {
                EXPECT_EQ(list->Context(), read.context);
            }
        }

        const Watched stopped;
        stopped.watch->cancel = true;
        EXPECT_THROW(ReadInput(TestCatalogue(), InputSource::File(file), position, stopped.Options()), ReadCancelled);
        const Watched stoppedInMemory;
        stoppedInMemory.watch->cancel = true;
        EXPECT_THROW(
            ReadInput(TestCatalogue(), InputSource::Memory(file, ReadText(file)), position, stoppedInMemory.Options()),
            ReadCancelled);
        EXPECT_LE(stoppedInMemory.watch->points.load(), 1u);
    }
    EXPECT_EQ(cases.size(), TestCatalogue().Inputs().size());
}

// A stop asked for while a document is written ends the write: nothing is
// put in place, even when the lists written have no watch of their own.
TEST_F(ReadContextTest, AStopEndsALongWriteAndLeavesNothing)
{
    Document document;
    Track& track = document.tracks.emplace_back();
    for (int i = 0; i < 20000; ++i) track.points.push_back(NamedPoint(i));
    const auto watch = std::make_shared<ReadWatch>();
    for (const Output format : {Output::Gpx, Output::KesTrack, Output::Csv}) {
        const OutputFormatRow& row = TestCatalogue().OutputRow(Position(format));
        SCOPED_TRACE(row.texts.name);
        OutputTransaction transaction;
        transaction.StopWith(watch);
        WriteRequest request;
        request.outputName = dir.Path(std::string("out.") + row.texts.name);
        request.transaction = &transaction;
        watch->cancel = false;
        EXPECT_NO_THROW(row.write(document, request));  // the stop is heard, not assumed
        watch->cancel = true;
        OutputTransaction stopped;
        stopped.StopWith(watch);
        request.transaction = &stopped;
        EXPECT_THROW(row.write(document, request), ReadCancelled);
    }
    EXPECT_TRUE(fs::is_empty(dir.Root()));
}

// A list of a context spills beside the output when the temporary folder
// cannot be used; one without a context names the temporary folder.
TEST_F(ReadContextTest, ALongListSpillsIntoTheFallbackWhenTheTemporaryFolderCannotBeUsed)
{
    const ScopedTemporaryFolder unusable(dir.Path("none"));
    PointList spilled(std::make_shared<const ReadContext>(ReadContext{nullptr, dir.Root().string()}));
    for (int i = 0; i < kSpillingPoints; ++i) spilled.push_back(NamedPoint(i));
    EXPECT_EQ(spilled.size(), static_cast<std::size_t>(kSpillingPoints));
    Point last;
    for (auto cursor = spilled.Points(); cursor.Next(last);) {}
    EXPECT_EQ(last, NamedPoint(kSpillingPoints - 1));

    PointList alone;
    try {
        for (int i = 0; i < kSpillingPoints; ++i) alone.push_back(NamedPoint(i));
        ADD_FAILURE() << "spilled without a temporary folder";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Path(), dir.Path("none"));
    }
}

// The conversion gives its reads the output's folder: a long input is
// converted with an unusable temporary folder.
TEST_F(ReadContextTest, AConversionSpillsBesideItsOutput)
{
    std::string gpx = "<gpx version=\"1.1\"><trk><trkseg>";
    for (int i = 0; i < 400000; ++i) gpx += "<trkpt lat=\"45." + std::to_string(i) + "\" lon=\"7\"/>";
    WriteText(dir.Path("long.gpx"), gpx + "</trkseg></trk></gpx>");
    const ScopedTemporaryFolder unusable(dir.Path("none"));
    RecordingFrontEnd f;
    f.inputText = dir.Path("long.gpx");
    f.inputPosition = Position(Input::GpxTracks);
    f.outputText = dir.Path("out.kml");
    f.outputPosition = Position(Output::Kml);
    const ConversionOutcome outcome = Convert(f);
    EXPECT_TRUE(outcome.Succeeded()) << outcome.reason;
}
