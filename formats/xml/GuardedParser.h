// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the XML readers make their Expat parser for a file no one vouches for.
#pragma once

#include <string>

#include <expat.h>

// A parser whose memory is counted (gpx::CountedParserMemory), calling
// `start` and `end` with `userData`, taking Windows-1252 and keeping any other
// encoding Expat lacks in `unknownEncoding`, never loading an external entity
// and keeping internal ones from blowing up. Raises std::bad_alloc when it
// cannot be made; XML_ParserFree frees it.
XML_Parser NewGuardedParser(void* userData, XML_StartElementHandler start, XML_EndElementHandler end,
                            std::string& unknownEncoding);
