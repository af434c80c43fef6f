// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "core/frontend.h"
#include "core/store.h"
#include "formats/holux/Holux.h"
#include "formats/native/Kes.h"
#include "tests/support/test_files.h"

namespace {
// Notes, at each message box, how large the output file is on disk.
class FileSizeAtMessage final : public SilentFrontEnd {
public:
    explicit FileSizeAtMessage(std::string path) : path_(std::move(path)) {}
    void ShowMessage(const std::string&) override
    {
        std::error_code missing;
        sizes.push_back(std::filesystem::file_size(path_, missing));
    }

    std::vector<std::uintmax_t> sizes;

private:
    std::string path_;
};
}  // namespace

TEST(HoluxLimitMessages, TheWaypointImageIsCompleteBeforeItsMessage)
{
    TempDir dir;
    FileSizeAtMessage front(dir.Path("big.wrt"));
    ScopedFrontEnd scope(front);
    ClearWaypoints();
    WaypointCount = 600;
    WriteHoluxWaypointFile(dir.Path("big"));
    EXPECT_EQ(front.sizes, std::vector<std::uintmax_t>{32768});
}

TEST(HoluxLimitMessages, TheTrackImageIsCompleteBeforeBothMessages)
{
    TempDir dir;
    ClearTracks();
    for (int i = 0; i < 2600; ++i) TrackPointList[i] = TrackPoint{1, 2, 0, 3, 4};
    TrackProps.PointCount = 2600;
    WriteTrackFile(dir.Path("long.plt"));
    FileSizeAtMessage front(dir.Path("big.tlg"));
    ScopedFrontEnd scope(front);
    WriteHoluxTrackFile(std::vector<std::string>(6, dir.Path("long.plt")), dir.Path("big.txt"));
    EXPECT_EQ(front.sizes, (std::vector<std::uintmax_t>{133120, 133120}));
}
