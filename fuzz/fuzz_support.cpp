// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/convert.h"
#include "core/file_io.h"
#include "core/frontend.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/gpx/Gpx.h"
#include "formats/holux/Holux.h"
#include "formats/native/Kes.h"

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
}  // namespace

std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size, const std::string& extension)
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

std::string FuzzOutputName(const std::string& name) { return (Work().root / "out" / name).string(); }

void RunQuietly(int inputPosition, const std::function<void()>& step)
{
    // A pinned clock keeps every run of one input identical.
    static const bool pinned = (PinClock(45000.5, 45000.5), true);
    (void)pinned;
    SilentFrontEnd frontEnd(inputPosition);
    ScopedFrontEnd scope(frontEnd);
    ReadFailed = false;
    TrackFilesWritten.clear();
    StartConversionRecord();
    try {
        step();
    } catch (const FileError&) {
    } catch (const ConversionError&) {}
}

void WriteStoreWaypoints()
{
    WriteWaypointFile(FuzzOutputName("out.wpt"));
    if (RouteCount > 0) WriteRouteFile(FuzzOutputName("out.rte"));
    WriteHoluxWaypointFile(FuzzOutputName("out.wrt"));
    WriteGpxWaypointFile(FuzzOutputName("out.gpx"));
}

void WriteStoreTrack()
{
    WriteTrackFile(FuzzOutputName("out.plt"));
    WriteHoluxTrackFileFromStore(FuzzOutputName("out.tlg"));
    GpxTrackWriter gpx(FuzzOutputName("out.gpx"));
    gpx.AddStoreTrack();
    gpx.Commit();
}
