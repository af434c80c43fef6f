// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/MapsourceFile.h"

#include <string_view>

#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceGDB.h"

ReadResult ReadMapsourceFile(const InputSource& source, const ReadOptions& options)
{
    // Opened once: a pipe cannot be read again.
    ByteReader file = source.ReadBytes();
    const std::span<const std::uint8_t> head = file.view(5);
    const std::string_view signature(reinterpret_cast<const char*>(head.data()), head.size());
    if (signature == "MsRcd") return ReadMpsFile(file, options);
    if (signature == "MsRcf") return ReadGdbFile(file, options);
    throw InputRefused("This is not a MapSource .mps or .gdb file.", "Not a Mapsource File");
}
