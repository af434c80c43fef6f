// SPDX-License-Identifier: GPL-3.0-or-later
// The encodings the XML readers take beyond Expat's own.
#pragma once

#include <expat.h>

// Expat knows UTF-8, UTF-16, ISO-8859-1 and US-ASCII; Windows-1252, the code
// page of the product's own texts, is added here. Any other name is kept in
// the std::string `unknownName` points to, for the message.
int XMLCALL OnUnknownEncoding(void* unknownName, const XML_Char* name, XML_Encoding* info);
