// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile XML both readers of XML formats get: nested entities that would
// expand to gigabytes, and elements nested a million deep.
#pragma once

#include <string>

inline std::string EntityBomb(const std::string& root, const std::string& inner)
{
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE " + root + " [\n<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaa\">\n";
    for (char e = 'b'; e <= 'k'; ++e) {
        bomb += std::string("<!ENTITY ") + e + " \"";
        for (int k = 0; k < 10; ++k) bomb += std::string("&") + static_cast<char>(e - 1) + ";";
        bomb += "\">\n";
    }
    return bomb + "]>\n<" + root + ">" + inner + "</" + root + ">\n";
}

inline std::string DeeplyNested(const std::string& root)
{
    std::string deep = "<" + root + ">";
    for (int i = 0; i < 100000; ++i) deep += "<e>";
    return deep;
}
