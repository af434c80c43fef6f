// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/convert/format_lookup.h"
#include "core/io/file_io.h"
#include "core/io/output_transaction.h"
#include "core/text/text_fields.h"
#include "core/time/clock.h"

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

std::vector<int> OutputsFor(const FormatCatalogue& catalogue, int inputPosition)
{
    std::vector<int> outputs;
    for (const FileType_Record& row : catalogue.Outputs())
        if (catalogue.Compatible(inputPosition, row.Position) && !catalogue.SameFormat(inputPosition, row.Position))
            outputs.push_back(row.Position);
    return outputs;
}
}  // namespace

void FuzzInput(const FormatCatalogue& catalogue, int inputPosition, const std::uint8_t* data, std::size_t size,
               bool everyOutput)
{
    ReadResult read;
    try {
        read =
            ReadInput(catalogue, InputSource::Memory("input", std::string(reinterpret_cast<const char*>(data), size)),
                      inputPosition);
    } catch (const InputRefused&) {
        return;
    } catch (const FileError&) {
        return;
    } catch (const ConversionError&) {
        return;
    }
    std::vector<int> outputs = OutputsFor(catalogue, inputPosition);
    if (!everyOutput) outputs = {outputs[size % outputs.size()]};
    for (const int output : outputs) {
        Document document = read.document;
        if (catalogue.Outputs()[output].Kind == FormatKind::Waypoints) document.tracks.clear();
        if (catalogue.Outputs()[output].Kind == FormatKind::Tracks) {
            document.waypoints.clear();
            document.routes.clear();
        }
        WriteRequest request;
        request.outputName =
            (Work().root / "out" / ("out." + FormatExtensions(catalogue.Outputs()[output]).front())).string();
        request.numberTrackFiles = catalogue.InputRow(inputPosition).severalTracks;
        // Written, never put in place: the transaction removes its files.
        OutputTransaction files;
        request.transaction = &files;
        // A fixed clock keeps every run of one input identical.
        request.clock = Clock::Fixed(45000.5, 45000.5);
        try {
            catalogue.OutputRow(output).write(document, request);
        } catch (const FileError&) {
        } catch (const ConversionError&) {}
    }
}
