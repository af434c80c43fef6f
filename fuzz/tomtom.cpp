// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the TomTom points file, which writes its waypoint file itself, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/import/tomtom.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".ov2");
    RunQuietly(13, [&] { ReadTomTomFile(input, FuzzOutputName("out")); });
    RunQuietly(13, WriteStoreWaypoints);
    return 0;
}
