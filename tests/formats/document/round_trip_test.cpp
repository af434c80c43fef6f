// SPDX-License-Identifier: GPL-3.0-or-later
// The odd document written as GPX, KML, GeoJSON and CSV, and the last three
// read back by independent readers: they find what the GPX file holds.
#include <gtest/gtest.h>

#include "formats/csv/Csv.h"
#include "formats/geojson/GeoJson.h"
#include "formats/gpx/Gpx.h"
#include "formats/kml/Kml.h"
#include "tests/support/odd_document.h"
#include "tests/support/test_files.h"

TEST(OutputsRoundTrip, IndependentReadersFindWhatTheGpxFileHolds)
{
    TempDir dir;
    const Document document = odd_document::Build();
    const auto write = [&](auto writer, const std::string& name) {
        WriteRequest request;
        request.outputName = dir.Path(name);
        request.exactNames = true;
        writer(document, request);
        return request.outputName;
    };
    EXPECT_EQ(OutputsReadBackErrors(write(WriteGpxFile, "odd.gpx"), write(WriteKmlFile, "odd.kml"),
                                    write(WriteGeoJsonFile, "odd.geojson"), write(WriteCsvFile, "odd.csv")),
              "");
}
