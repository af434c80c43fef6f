// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/time/clock.h"
#include "formats/native/Kes.h"
#include "tests/support/native_documents.h"

namespace {
using namespace native_documents;

Route RouteOf(std::string name, int points, std::string description = {})
{
    Route route;
    route.info.name = std::move(name);
    route.info.description = std::move(description);
    for (int j = 0; j < points; ++j)
        route.points.push_back(Timed(At(51.5, -0.1, "WP" + std::to_string(j + 1)), 1998, 7, 24, 12, 0, 0));
    return route;
}

std::vector<std::string> Written(const Document& document, Findings& findings, const TempDir& dir)
{
    WriteRouteFile(document, dir.Path("out.rte"), findings, nullptr, Clock{});
    return SplitCrLf(ReadText(dir.Path("out.rte")));
}
}  // namespace

TEST(RouteFile, SlotZeroThenEachRouteWithItsPointsThenTheEmptySlots)
{
    TempDir dir;
    Document document;
    document.routes = {RouteOf("Home run", 1), RouteOf("ABCDEFGHIJKLMNOPQRST", 0), RouteOf("", 2, "x,y")};
    Findings findings;
    const auto lines = Written(document, findings, dir);
    const std::vector<std::string> expected = {
        "Kestrelmaps Route File Version 1.0",
        "WGS 84",
        "Reserved 1",
        "Reserved 2",
        "R,  0,R0              ,,255",
        "R,  1,Home run        ,,16711680",
        "W,  1,  1,  1,WP1             ,  51.500000,  -0.100000,36000.5000000, 0, 0, 3,         0,     65535,, 0, 0",
        "R,  2,ABCDEFGHIJKLMNOP,ABCDEFGHIJKLMNOPQRST,65280",
        "R,  3,R3              ,x y,32768",
        "W,  3,  1,  1,WP1             ,  51.500000,  -0.100000,36000.5000000, 0, 0, 3,         0,     65535,, 0, 0",
        "W,  3,  2,  2,WP2             ,  51.500000,  -0.100000,36000.5000000, 0, 0, 3,         0,     65535,, 0, 0",
        "R,  4,R4              ,,16711935",
    };
    ASSERT_EQ(lines.size(), 4u + 101u + 3u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 12), expected);
    EXPECT_EQ(lines.back(), "R,100,R100            ,,65280");
    // The name the column cuts is held whole as the route's text.
    EXPECT_TRUE(findings.All().empty());
}

TEST(RouteFile, AHundredRoutesOfAThousandPointsFitAndTheRestIsCut)
{
    struct Case {
        int routes, points;
        std::int64_t routesCut, pointsCut;
    };
    for (const Case c : {Case{100, 1000, 0, 0}, Case{103, 1, 3, 0}, Case{1, 1002, 0, 2}}) {
        TempDir dir;
        Document document;
        for (int r = 0; r < c.routes; ++r) document.routes.push_back(RouteOf("R", c.points));
        Findings findings;
        const auto lines = Written(document, findings, dir);
        EXPECT_EQ(lines.size(), 4u + 101u + std::min(c.routes, 100) * std::min(c.points, 1000));
        std::int64_t routesCut = 0, pointsCut = 0;
        for (const Finding& f : findings.All())
            (f.message.find("Route Points") != std::string::npos ? pointsCut : routesCut) += f.count;
        EXPECT_EQ(routesCut, c.routesCut);
        EXPECT_EQ(pointsCut, c.pointsCut);
    }
}
