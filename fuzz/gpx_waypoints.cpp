// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: a GPX file read as waypoints and routes, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/gpx/Gpx.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".gpx");
    RunQuietly(14, [&] { ReadGpxWaypointFile(input); });
    RunQuietly(14, WriteStoreWaypoints);
    return 0;
}
