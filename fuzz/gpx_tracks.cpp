// Fuzz entry point: a GPX file read as tracks, each written as a native track
// file and all of them into one GPX file, as a conversion of several tracks does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/file_names.h"
#include "formats/gpx/Gpx.h"
#include "formats/native/Kes.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".gpx");
    RunQuietly(15, [&] {
        GpxTrackWriter all;
        ReadGpxTrackFile(input, [&](int n) {
            // A few files show the per-track writing; thousands would only slow the search.
            if (n <= 3) WriteTrackFile(TrackFileName(FuzzOutputName("out.plt"), n));
            all.AddStoreTrack();
        });
        all.Write(FuzzOutputName("out.gpx"));
    });
    RunQuietly(15, WriteStoreTrack);
    return 0;
}
