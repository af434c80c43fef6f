// SPDX-License-Identifier: GPL-3.0-or-later
// The memory the XML parser may take, its input buffer included. It keeps the
// name of every kind of element and attribute it meets for the whole
// document, so a file of millions of different names would otherwise cost
// gigabytes: past the allowance an allocation fails, the parser reports that
// it ran out of memory, and the reader stops there.
#pragma once

#include <cstddef>

#include <expat.h>

namespace gpx {

// Allocation functions for XML_ParserCreate_MM, counting what the one parser
// alive holds.
const XML_Memory_Handling_Suite& CountedParserMemory();

// Starts a parser's account: it may hold `allowance` bytes, each block
// counted with what the allocator adds to it.
void StartParserAccount(std::size_t allowance);
// True when an allocation was refused since the account started.
bool ParserAllowanceReached();

}  // namespace gpx
