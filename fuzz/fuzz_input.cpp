// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzz entry point of every input format: KES_FUZZ_FORMAT names the
// format (a name of `kes-convert --list-formats`), or "packed" the packed
// inputs (gzip, zip); "list" prints the names.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "formats/format_table.h"
#include "fuzz/fuzz_support.h"

namespace {
int position = -1;

// Made once: the fuzzer calls the entry point for every input.
const FormatCatalogue& Catalogue()
{
    static const FormatCatalogue catalogue(KnownFormats());
    return catalogue;
}

bool packed = false;  // the target of packed inputs
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const FormatCatalogue& catalogue = Catalogue();
    const char* name = std::getenv("KES_FUZZ_FORMAT");
    const std::string wanted = name ? name : "list";
    if (wanted == "list") {
        for (const FileType_Record& row : catalogue.Inputs()) std::printf("%s\n", row.Name.c_str());
        std::printf("%s\n", kPackedTarget);
        std::exit(0);
    }
    packed = wanted == kPackedTarget;
    if (packed) return 0;
    position = FormatNamed(catalogue.Inputs(), wanted);
    if (position < 0) {
        std::fprintf(stderr, "KES_FUZZ_FORMAT: no input format named %s\n", wanted.c_str());
        std::exit(2);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (packed) FuzzPacked(Catalogue(), data, size);
    else FuzzInput(Catalogue(), position, data, size);
    return 0;
}
