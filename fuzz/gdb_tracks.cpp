// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the MapSource .gdb file in track mode, which writes one track file per track.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/import/MapsourceGDB.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".gdb");
    RunQuietly(12, [&] { ReadMapsourceGdbFile(input, FuzzOutputName("out.plt")); });
    return 0;
}
