// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the Nobletec export file read as tracks, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/import/Nobletec.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".txt");
    RunQuietly(7, [&] { ReadNobletecTracks(input); });
    RunQuietly(7, WriteStoreTrack);
    return 0;
}
