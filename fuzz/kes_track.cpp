// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the Kestrelmaps track file, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/native/Kes.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".plt");
    RunQuietly(1, [&] { ReadTrackFile(input); });
    RunQuietly(1, WriteStoreTrack);
    return 0;
}
