// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "core/catalogue.h"
#include "core/clock.h"
#include "core/convert.h"
#include "core/file_io.h"
#include "core/format_lookup.h"
#include "core/frontend.h"
#include "core/text_fields.h"
#include "formats/format_table.h"

namespace fs = std::filesystem;

namespace {
// Memory-backed when available: the files written for every input would
// otherwise make the disk the bottleneck.
fs::path MakeWorkFolder()
{
    std::error_code error;
    fs::path base = "/dev/shm";
    if (!fs::is_directory(base, error) || ::access(base.c_str(), W_OK) != 0) base = fs::temp_directory_path();
    fs::path folder = base / ("kes-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(folder / "out");
    return folder;
}

struct WorkFolder {
    fs::path root = MakeWorkFolder();
    ~WorkFolder()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

WorkFolder& Work()
{
    static WorkFolder folder;
    return folder;
}

std::string WriteInput(const std::uint8_t* data, std::size_t size, const std::string& extension)
{
    const std::string path = (Work().root / ("input" + extension)).string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    if (std::fclose(file) != 0) std::abort();
    return path;
}

// The window's state for one conversion, and nothing shown.
class FuzzFrontEnd final : public SilentFrontEnd {
public:
    FuzzFrontEnd(std::string input, int inputPosition, std::string output, int outputPosition)
        : SilentFrontEnd(inputPosition), input_(std::move(input)), output_(std::move(output)),
          output_position_(outputPosition)
    {}
    std::string InputFileText() override { return input_; }
    std::string OutputFileText() override { return output_; }
    int OutputPosition() override { return output_position_; }

private:
    std::string input_, output_;
    int output_position_;
};

std::vector<int> OutputsFor(int inputPosition)
{
    std::vector<int> outputs;
    for (const FileType_Record& row : OutputFormats)
        if (FormatsCompatible(inputPosition, row.Position) && !SameFormat(inputPosition, row.Position))
            outputs.push_back(row.Position);
    return outputs;
}
}  // namespace

void FuzzInput(int inputPosition, const std::uint8_t* data, std::size_t size, bool everyOutput)
{
    static const bool ready = [] {
        BuildFormatCatalogue(KnownFormats());
        // A pinned clock keeps every run of one input identical.
        PinClock(45000.5, 45000.5);
        return true;
    }();
    (void)ready;
    const std::vector<std::string> extensions = FormatExtensions(InputFormats[inputPosition]);
    const std::string input = WriteInput(data, size, "." + (extensions.empty() ? "dat" : extensions.front()));
    std::vector<int> outputs = OutputsFor(inputPosition);
    if (!everyOutput) outputs = {outputs[size % outputs.size()]};
    for (const int output : outputs) {
        const std::string name = "out." + FormatExtensions(OutputFormats[output]).front();
        FuzzFrontEnd frontEnd(input, inputPosition, (Work().root / "out" / name).string(), output);
        try {
            Convert(frontEnd);
        } catch (const FileError&) {
        } catch (const ConversionError&) {}
    }
}
