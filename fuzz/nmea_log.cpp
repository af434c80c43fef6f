// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the NMEA log, then the store written out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/import/nmea.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".log");
    RunQuietly(8, [&] { ReadNmeaLogFile(input); });
    RunQuietly(8, WriteStoreTrack);
    return 0;
}
