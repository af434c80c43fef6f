// SPDX-License-Identifier: GPL-3.0-or-later
// A document written by one of the outputs that hold everything and read
// back by that format's reader, for the round trips of their tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/convert/format_rows.h"
#include "tests/support/document_points.h"
#include "tests/support/test_files.h"

using Writer = WriteResult (*)(const Document&, const WriteRequest&);

// The file a writer makes of the document.
inline std::string WrittenFile(Writer writer, const Document& document, const std::string& path)
{
    WriteRequest request;
    request.outputName = path;
    request.exactNames = true;
    writer(document, request);
    return ReadText(path);
}

struct WrittenBack {
    std::string first, second;  // the file written, and the file written of what was read of it
    ReadResult read;
};

inline WrittenBack WriteAndReadBack(Writer writer, Reader reader, const Document& document)
{
    TempDir dir;
    WrittenBack back;
    back.first = WrittenFile(writer, document, dir.Path("first"));
    back.read = reader(InputSource::File(dir.Path("first")), {});
    back.second = WrittenFile(writer, back.read.document, dir.Path("second"));
    return back;
}

// Two lists of points hold the same positions (to `degrees`), times, elevations
// (to the mm; `heights` false: the second may have none) and names.
inline void ExpectSamePoints(const PointList& expected, const PointList& read, double degrees, bool heights = true)
{
    const std::vector<Point> a = expected.ToVector(), b = read.ToVector();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(a[i].latitude, b[i].latitude, degrees);
        EXPECT_NEAR(a[i].longitude, b[i].longitude, degrees);
        EXPECT_EQ(a[i].time, b[i].time);
        EXPECT_EQ(a[i].name, b[i].name);
        if (heights || b[i].HasElevation()) {
            EXPECT_EQ(a[i].HasElevation(), b[i].HasElevation());
            if (a[i].HasElevation()) {
                EXPECT_NEAR(a[i].elevation, b[i].elevation, 0.0005);
            }
        }
    }
}
