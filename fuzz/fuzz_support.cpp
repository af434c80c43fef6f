// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/convert/format_lookup.h"
#include "core/io/file_io.h"
#include "core/io/output_transaction.h"
#include "core/io/unpacked_input.h"
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

namespace {
// The bytes an unpacker gives, up to `most` of them.
std::string Drained(Unpacker& unpacker, std::size_t most)
{
    std::string bytes;
    std::uint8_t chunk[64 << 10];
    while (bytes.size() < most)
        if (const std::size_t got = unpacker.Read(chunk, sizeof chunk)) bytes.append(chunk, chunk + got);
        else break;
    return bytes;
}

// Every byte of a file read through its path, as a reader would.
void ReadThrough(const std::string& path)
{
    ByteReader bytes = InputSource::File(path).ReadBytes();
    while (bytes.skip(1 << 16)) {}
}

// Unpacked bytes of a known format's look are read by its reader, as a conversion would.
void ReadAsItsFormat(const FormatCatalogue& catalogue, const std::string& bytes)
{
    const FileLook look = FileLook::OfBytes(bytes.substr(0, FileLook::kHeadSize));
    for (const FileType_Record& row : catalogue.Inputs()) {
        if (!row.Recognise || !row.Recognise(look)) continue;
        try {
            ReadInput(catalogue, InputSource::Memory("unpacked", bytes), row.Position);
        } catch (const InputRefused&) {
        } catch (const FileError&) {
        } catch (const ConversionError&) {}
        return;
    }
}
}  // namespace

void FuzzPacked(const FormatCatalogue& catalogue, const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // What a reader takes of a pipe is read further only by a slower test: 4 MB is plenty here.
    constexpr std::size_t kMostRead = 4u << 20;
    std::string unpacked;
    try {
        if (const std::unique_ptr<Unpacker> unpacker = Unpacker::OfStream("input", -1, bytes))
            unpacked = Drained(*unpacker, kMostRead);
    } catch (const FileError&) {}
    if (!unpacked.empty() && unpacked.size() < kMostRead) ReadAsItsFormat(catalogue, unpacked);

    // As a file: a zip archive named .kmz when its last byte is odd, so that both names are reached.
    const char* extension = PackingOf(bytes) == Packing::Gzip    ? ".gz"
                            : (size > 0 && (data[size - 1] & 1)) ? ".kmz"
                                                                 : ".zip";
    const std::string path = (Work().root / (std::string("packed") + extension)).string();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    try {
        ReadThrough(path);
        if (PackingOf(bytes) == Packing::Zip)
            for (const std::string& member : ArchiveMembers(path)) ReadThrough(path + "/" + member);
    } catch (const FileError&) {}
}
