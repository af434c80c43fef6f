// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the Magellan GPS card waypoint file, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/import/Magellan.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".log");
    RunQuietly(9, [&] { ReadMagellanWaypointFile(input); });
    RunQuietly(9, WriteStoreWaypoints);
    return 0;
}
