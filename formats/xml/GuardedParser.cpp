// SPDX-License-Identifier: GPL-3.0-or-later
// The library is built with DTD support; the define makes its entity
// expansion limits visible.
#define XML_DTD
#include "formats/xml/GuardedParser.h"

#include <new>

#include "formats/gpx/GpxParserMemory.h"
#include "formats/xml/XmlEncoding.h"

XML_Parser NewGuardedParser(void* userData, XML_StartElementHandler start, XML_EndElementHandler end,
                            std::string& unknownEncoding)
{
    const XML_Parser parser = XML_ParserCreate_MM(nullptr, &gpx::CountedParserMemory(), nullptr);
    if (parser == nullptr) throw std::bad_alloc();
    XML_SetUserData(parser, userData);
    XML_SetElementHandler(parser, start, end);
    XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, &unknownEncoding);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, 100.0f);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(parser, 1 << 20);
    return parser;
}
