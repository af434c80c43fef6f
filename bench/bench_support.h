// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks share: their scratch folder.
#pragma once

#include <filesystem>
#include <string>

// The scratch folder, or a folder of its own inside it for a group of benchmarks.
inline std::string BenchFolder(const std::string& group = "")
{
    const auto folder = std::filesystem::temp_directory_path() / "kes-bench" / group;
    std::filesystem::create_directories(folder);
    return folder.string();
}
