// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the MapSend track file, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/import/Mapsend.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".trk");
    RunQuietly(5, [&] { ReadMapsendTrackFile(input); });
    RunQuietly(5, WriteStoreTrack);
    return 0;
}
