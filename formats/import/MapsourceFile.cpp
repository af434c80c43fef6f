// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/MapsourceFile.h"

#include "core/conversion_record.h"

#include "core/convert.h"
#include "core/file_io.h"
#include "core/frontend.h"
#include "formats/import/Mapsource.h"
#include "formats/import/MapsourceGDB.h"

void ReadMapsourceFile(const std::string& fileName, const std::string& outputName, ReadMode mode)
{
    const std::string signature = ReadFileRange(fileName, 0, 5);
    if (signature == "MsRcd") {
        ReadMapsourceMpsFile(fileName, outputName, mode);
    } else if (signature == "MsRcf") {
        ReadMapsourceGdbFile(fileName, outputName, mode);
    } else {
        Front().ShowMessage("This is not a MapSource .mps or .gdb file.");
        Front().AddLine("Not a Mapsource File");
        ReadFailed = true;
    }
}
