// SPDX-License-Identifier: GPL-3.0-or-later
// The streaming XML parser under the readers of XML formats other than GPX:
// a file of up to 32 MB is given to the parser whole, a larger one a
// megabyte at a time, so that memory stays flat whatever its size, with the parser's own memory counted, entity
// expansion bounded and no external entity ever loaded. Elements are known
// by their local names: the formats read this way define each name once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "core/convert/format_rows.h"

class ByteReader;
struct XML_ParserStruct;

namespace xmlstream {

class Elements {
public:
    // An element starts; `attributes` alternate names and values, ending in nullptr.
    virtual void Start(std::string_view local, const char* const* attributes) = 0;
    // An element ends; `text` is its text when its start asked for it.
    virtual void End(std::string_view local, std::string_view text) = 0;
    // A piece of the text of an element whose start asked for it in pieces.
    virtual void Piece(std::string_view) {}

protected:
    ~Elements() = default;
};

class Parser {
public:
    // `format` names the files in messages ("TCX"); `root` is the local name
    // of their root element.
    Parser(Elements& elements, const char* format, const char* root);
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Reads the whole file. Raises InputRefused when it is no XML or its root
    // is another; damage after the root ends the reading there, with a
    // Damaged finding, and what came before it stays.
    void Parse(ByteReader& file, Findings& findings);
    // The element that just started gives its text (up to 1 MB, the rest cut
    // and counted) to its End.
    void TakeText();
    // The element that just started gives its text to Piece as it comes,
    // however long it is.
    void TakeTextInPieces();
    // Stops the reading as damage, with the reason the message gives.
    void Stop(std::string reason);
    // The line the parser is at, for messages.
    std::int64_t Line() const;

private:
    static void Started(void* self, const char* name, const char** attributes);
    static void Ended(void* self, const char* name);
    static void Characters(void* self, const char* text, int length);
    static void Pieces(void* self, const char* text, int length);
    void Damaged(const std::string& reason, Findings& findings);

    XML_ParserStruct* parser_;
    Elements& elements_;
    const char* format_;
    const char* root_;
    std::size_t depth_ = 0;      // elements open
    std::size_t textDepth_ = 0;  // of the element whose text is taken; 0 none
    std::string text_;
    bool textCut_ = false;  // the text taken is longer than the reader keeps
    std::int64_t textsCut_ = 0;
    bool rootSeen_ = false, rootClosed_ = false, notOfFormat_ = false, stopped_ = false;
    std::string stopReason_, unknownEncoding_;
    std::exception_ptr failure_;
};

}  // namespace xmlstream
