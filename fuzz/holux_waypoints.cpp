// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the Holux waypoint and route image, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/holux/Holux.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".wrt");
    RunQuietly(2, [&] { ReadHoluxWaypointFile(input); });
    RunQuietly(2, WriteStoreWaypoints);
    return 0;
}
