// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks share: their scratch folder and a full track in the store.
#pragma once

#include <filesystem>
#include <string>

#include "core/store.h"

// The scratch folder, or a folder of its own inside it for a group of benchmarks.
inline std::string BenchFolder(const std::string& group = "")
{
    const auto folder = std::filesystem::temp_directory_path() / "kes-bench" / group;
    std::filesystem::create_directories(folder);
    return folder.string();
}

inline void FillTrack(int points)
{
    ClearTracks();
    for (int i = 0; i < points; ++i) {
        TrackPoint& p = TrackPointList[i];
        p.Latitude = 51.0 + i * 1e-5;
        p.Longitude = -0.1 - i * 1e-5;
        p.NewSection = i == 0;
        p.Altitude = 30.0f + static_cast<float>(i % 100);
        p.DateTime = 45000.5 + i / 86400.0;
    }
    TrackProps.Name = "bench";
    TrackProps.PointCount = points;
}
