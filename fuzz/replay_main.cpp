// SPDX-License-Identifier: GPL-3.0-or-later
// Replays the fuzz inputs without the fuzzing engine, so that the seed corpus
// and every input that once crashed become an ordinary test:
//   replay_inputs CORPUS_FOLDER CRASHES_FOLDER   every input format, each from
//                                                its sub-folder named after it,
//                                                into every output it may go to,
//                                                and the packed inputs ("packed")
//   replay_inputs --format NAME FILE...          one format, the files named
// Every input format must have seeds in the corpus folder, so that a new
// format is converted and replayed here without further edits; the crashes
// folder of a format may be missing.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "formats/format_table.h"
#include "fuzz/fuzz_support.h"

namespace fs = std::filesystem;

namespace {
// The packed inputs' target, which has no input format of its own.
constexpr int kPacked = -2;

std::string TargetName(const FormatCatalogue& catalogue, int position)
{
    return position == kPacked ? kPackedTarget : catalogue.Inputs()[position].Name;
}

void Run(const FormatCatalogue& catalogue, int position, const std::uint8_t* data, std::size_t size)
{
    if (position == kPacked) FuzzPacked(catalogue, data, size);
    else FuzzInput(catalogue, position, data, size, true);
}

bool Replay(const FormatCatalogue& catalogue, int position, const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::fprintf(stderr, "replaying %s as %s (%zu bytes)\n", file.c_str(), TargetName(catalogue, position).c_str(),
                 bytes.size());
    Run(catalogue, position, bytes.data(), bytes.size());
    return true;
}

// Hidden files (such as the placeholder that keeps an empty folder) are not inputs.
std::vector<fs::path> InputsIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    if (!fs::is_directory(folder, error)) return files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.') files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}
}  // namespace

int main(int argc, char** argv)
{
    const FormatCatalogue catalogue(KnownFormats());
    int replayed = 0;
    bool ok = true;
    auto replay = [&](int position, const std::vector<fs::path>& files) {
        for (const fs::path& file : files) {
            ok = Replay(catalogue, position, file) && ok;
            ++replayed;
        }
        // An empty input is always worth one run.
        Run(catalogue, position, nullptr, 0);
    };
    if (argc >= 3 && std::strcmp(argv[1], "--format") == 0) {
        const int position = argv[2] == std::string(kPackedTarget) ? kPacked : FormatNamed(catalogue.Inputs(), argv[2]);
        if (position == -1) {
            std::fprintf(stderr, "no input format named %s\n", argv[2]);
            return 2;
        }
        replay(position, std::vector<fs::path>(argv + 3, argv + argc));
    } else {
        std::vector<int> targets;
        for (const FileType_Record& row : catalogue.Inputs()) targets.push_back(row.Position);
        targets.push_back(kPacked);
        for (const int target : targets) {
            const std::string name = TargetName(catalogue, target);
            std::vector<fs::path> files;
            for (int a = 1; a < argc; ++a)
                for (const fs::path& file : InputsIn(fs::path(argv[a]) / name)) files.push_back(file);
            if (argc > 1 && InputsIn(fs::path(argv[1]) / name).empty()) {
                std::fprintf(stderr, "no seeds for the fuzz target %s in %s/%s\n", name.c_str(), argv[1], name.c_str());
                ok = false;
            }
            replay(target, files);
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return ok ? 0 : 1;
}
