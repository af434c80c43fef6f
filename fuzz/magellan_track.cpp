// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the Magellan GPS card track file, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/import/Magellan.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".log");
    RunQuietly(10, [&] { ReadMagellanTrackFile(input); });
    RunQuietly(10, WriteStoreTrack);
    return 0;
}
