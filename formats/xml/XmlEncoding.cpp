// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/xml/XmlEncoding.h"

#include <string>

#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"

int XMLCALL OnUnknownEncoding(void* unknownName, const XML_Char* name, XML_Encoding* info)
{
    const std::string encoding = UpperText(name);
    if (encoding != "WINDOWS-1252" && encoding != "CP1252" && encoding != "X-CP1252") {
        *static_cast<std::string*>(unknownName) = std::string(name).substr(0, 40);
        return XML_STATUS_ERROR;
    }
    for (int byte = 0; byte < 256; ++byte)
        info->map[byte] = static_cast<int>(LegacyCodePoint(static_cast<unsigned char>(byte)));
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}
