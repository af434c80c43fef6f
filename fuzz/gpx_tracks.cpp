// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: a GPX file read as tracks, each handed over as a
// conversion of several tracks hands it: to native track files, one Holux
// image and one GPX file at once.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/track_destination.h"
#include "formats/gpx/Gpx.h"
#include "formats/holux/Holux.h"
#include "formats/native/Kes.h"
#include "fuzz/fuzz_support.h"

namespace {
class EveryOutput final : public TrackDestination {
public:
    void TakeStoreTrack(int number) override
    {
        // A few files show the per-track writing; thousands would only slow the search.
        if (number <= 3) files.TakeStoreTrack(number);
        image.TakeStoreTrack(number);
        gpx.TakeStoreTrack(number);
    }
    KesTrackFiles files{FuzzOutputName("out.plt")};
    HoluxTrackImage image;
    GpxTrackWriter gpx{FuzzOutputName("out.gpx")};
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".gpx");
    RunQuietly(15, [&] {
        EveryOutput outputs;
        const ScopedTrackDestination to(&outputs);
        ReadGpxTrackFile(input, [&](int n) { HandOverTrack(FuzzOutputName("out.plt"), n); });
        outputs.image.Save(FuzzOutputName("out.tlg"));
        outputs.gpx.Commit();
    });
    RunQuietly(15, WriteStoreTrack);
    return 0;
}
