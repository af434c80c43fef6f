// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz entry point once on each file named, or on every file of each
// folder named, without the fuzzing engine: the corpus and the inputs that
// once crashed become an ordinary test. A missing folder holds no inputs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {
bool Replay(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

// Hidden files (such as the placeholder that keeps an empty folder) are not inputs.
bool IsInput(const fs::directory_entry& entry)
{
    return entry.is_regular_file() && entry.path().filename().string().front() != '.';
}
}  // namespace

int main(int argc, char** argv)
{
    int replayed = 0;
    bool ok = true;
    for (int a = 1; a < argc; ++a) {
        const fs::path named = argv[a];
        if (fs::is_directory(named)) {
            std::vector<fs::path> files;
            for (const auto& entry : fs::directory_iterator(named))
                if (IsInput(entry)) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                ok = Replay(file) && ok;
                ++replayed;
            }
        } else if (fs::exists(named)) {
            ok = Replay(named) && ok;
            ++replayed;
        }
    }
    // An empty input is always worth one run.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%d inputs replayed\n", replayed);
    return ok ? 0 : 1;
}
