// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the Nobletec export file read as waypoints, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/import/Nobletec.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".txt");
    RunQuietly(6, [&] { ReadNobletecWaypoints(input); });
    RunQuietly(6, WriteStoreWaypoints);
    return 0;
}
