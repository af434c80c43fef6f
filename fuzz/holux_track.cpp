// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point: the Holux track image, which writes one track file per slot.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/holux/Holux.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = WriteFuzzInput(data, size, ".tlg");
    RunQuietly(3, [&] { ReadHoluxTrackFile(input, FuzzOutputName("out.plt")); });
    return 0;
}
