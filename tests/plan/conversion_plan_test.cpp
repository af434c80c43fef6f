// SPDX-License-Identifier: GPL-3.0-or-later
// The plan both front ends ask: the names written, and what stops a plan or
// one of its conversions, as values.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "plan/conversion_plan.h"
#include "plan/job_request.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"

namespace {
const char* const kWaypoint = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\">"
                              "<wpt lat=\"1\" lon=\"2\"><name>A</name></wpt></gpx>\n";

class PlanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteText(dir.Path("a.gpx"), kWaypoint);
        WriteText(dir.Path("notes.txt"), "shopping list\n");
    }
    TempDir dir;
};

TEST_F(PlanTest, AnOutputIsNamedAfterItsInputWithTheFormatsExtension)
{
    EXPECT_EQ(OutputNameFor(TestCatalogue(), "/d/a.gpx", "", Position(Output::Kml)), "/d/a.kml");
    EXPECT_EQ(OutputNameFor(TestCatalogue(), "/d/.mylog", "", Position(Output::KesTrack)), "/d/.mylog.plt");
    EXPECT_EQ(OutputNameFor(TestCatalogue(), "/d/x/a.b.gpx", "/o", Position(Output::Csv), "x"), "/o/x/a.b.csv");
}

TEST_F(PlanTest, WhatStopsAPlanIsAValue)
{
    const std::string a = dir.Path("a.gpx"), notes = dir.Path("notes.txt");
    const struct {
        PlanRequest request;
        PlanProblem::Kind problem;
        JobRefusal::Kind refusal;
    } rows[] = {
        {{.inputs = {a, a}, .outputPosition = Position(Output::Kml), .output = dir.Path("o.kml")},
         PlanProblem::Kind::GivenTwice,
         JobRefusal::Kind::None},
        {{.inputs = {a}, .each = true}, PlanProblem::Kind::NoOutputFormat, JobRefusal::Kind::None},
        {{.inputs = {a}, .outputPosition = Position(Output::Kml), .output = notes, .each = true},
         PlanProblem::Kind::OutputNotAFolder,
         JobRefusal::Kind::None},
        {{.inputs = {a}, .outputPosition = Position(Output::KesTrack), .output = "/dev/null"},
         PlanProblem::Kind::FilePerTrackIntoDevice,
         JobRefusal::Kind::None},
        {{.inputs = {notes}, .outputPosition = Position(Output::Kml), .each = true},
         PlanProblem::Kind::None,
         JobRefusal::Kind::FormatUntold},
        {{.inputs = {a}, .outputPosition = Position(Output::Kml), .output = dir.Path("a.gpx"), .neverReplace = true},
         PlanProblem::Kind::None,
         JobRefusal::Kind::OutputKept},
    };
    for (const auto& row : rows) {
        const ConversionPlan plan = PlanConversions(TestCatalogue(), row.request);
        EXPECT_EQ(plan.problem.kind, row.problem) << row.request.inputs.front();
        if (row.problem == PlanProblem::Kind::None) {
            ASSERT_EQ(plan.jobs.size(), 1u);
            EXPECT_EQ(plan.jobs[0].refusal.kind, row.refusal);
        }
    }
}

// The window's list names the first input's format; the others are told
// from their content; the output is written under exactly its name.
TEST_F(PlanTest, TheFirstInputsFormatIsTakenAndTheRestTold)
{
    WriteText(dir.Path("b.gpx"), kWaypoint);
    const ConversionPlan plan = PlanConversions(TestCatalogue(), {.inputs = {dir.Path("a.gpx"), dir.Path("b.gpx")},
                                                                  .firstInputPosition = Position(Input::GpxTracks),
                                                                  .outputPosition = Position(Output::Kml),
                                                                  .output = dir.Path("mine.txt")});
    ASSERT_EQ(plan.jobs.size(), 1u);
    const ConversionJob& job = plan.jobs[0];
    EXPECT_EQ(job.inputPositions, (std::vector<int>{Position(Input::GpxTracks), Position(Input::GpxWaypoints)}));
    const ConversionRequest request = RequestFor(TestCatalogue(), job, {}).request;
    EXPECT_EQ(request.output, dir.Path("mine.txt"));
    EXPECT_TRUE(request.exactNames);
    EXPECT_TRUE(request.refuseNothingToWrite);
}
}  // namespace
