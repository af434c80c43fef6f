// SPDX-License-Identifier: GPL-3.0-or-later
// The odd store written as GPX, KML, GeoJSON and CSV, and the last three read
// back by independent readers: they find what the GPX file holds.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "formats/csv/Csv.h"
#include "formats/geojson/GeoJson.h"
#include "formats/gpx/Gpx.h"
#include "formats/kml/Kml.h"
#include "tests/support/odd_store.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

TEST(OutputsRoundTrip, IndependentReadersFindWhatTheGpxFileHolds)
{
    TempDir dir;
    RecordingFrontEnd front;
    ScopedFrontEnd scope{front};
    const std::string gpx = dir.Path("odd.gpx"), kml = dir.Path("odd.kml"), geojson = dir.Path("odd.geojson"),
                      csv = dir.Path("odd.csv");
    std::vector<std::unique_ptr<DocumentWriter>> documents;
    documents.push_back(std::make_unique<GpxDocument>(gpx, StoreTimes::Utc, kEverything));
    documents.push_back(std::make_unique<KmlDocument>(kml, StoreTimes::Utc));
    documents.push_back(std::make_unique<GeoJsonDocument>(geojson, StoreTimes::Utc));
    documents.push_back(std::make_unique<CsvDocument>(csv, StoreTimes::Utc));
    odd_store::FillWaypointsAndRoutes();
    for (int n = 1; n <= odd_store::kTracks; ++n) {
        odd_store::FillTrack(n);
        for (const auto& document : documents) document->TakeStoreTrack(n);
    }
    for (const auto& document : documents) document->Finish();
    EXPECT_EQ(OutputsReadBackErrors(gpx, kml, geojson, csv), "");
}
