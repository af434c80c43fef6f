// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/xml/XmlStream.h"

#include <algorithm>
#include <new>

#include <expat.h>

#include "formats/xml/GuardedParser.h"

#include "core/io/byte_reader.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "formats/gpx/GpxParserMemory.h"

namespace xmlstream {
namespace {
constexpr std::size_t kChunk = 1 << 20;
// A file up to this size goes to the parser whole, as its one and last
// buffer: fed in chunks, the parser passes over each chunk a second time to
// count its lines.
constexpr std::size_t kWholeFile = 32 << 20;
constexpr std::size_t kLongestText = 1 << 20;
constexpr XML_Index kLongestToken = 8 << 20;  // bytes the parser may hold for one unfinished token
constexpr std::size_t kDeepest = 1000;
// The parser's input buffer (the file up to 32 MB, or a chunk grown to the
// longest token while the old one is copied) and the names of the file.
constexpr std::size_t kParserMemory = 44 << 20;
const char* const kOverAllowance = "more different element and attribute names than the reader holds";

// In one pass: every element of the file comes here.
std::string_view LocalName(const char* name)
{
    const char* local = name;
    const char* end = name;
    for (; *end != '\0'; ++end)
        if (*end == ':') local = end + 1;
    return {local, static_cast<std::size_t>(end - local)};
}
}  // namespace

Parser::Parser(Elements& elements, const char* format, const char* root)
    : parser_(NewGuardedParser(this, Started, Ended, unknownEncoding_)), elements_(elements), format_(format),
      root_(root)
{}

Parser::~Parser() { XML_ParserFree(parser_); }

void Parser::Parse(ByteReader& file, Findings& findings)
{
    const std::size_t piece = file.remaining() <= kWholeFile ? std::max<std::size_t>(file.remaining(), 1) : kChunk;
    gpx::StartParserAccount(kParserMemory);
    XML_Index fed = 0;
    for (;;) {
        auto* buffer = static_cast<std::uint8_t*>(XML_GetBuffer(parser_, static_cast<int>(piece)));
        if (buffer == nullptr && gpx::ParserAllowanceReached()) return Damaged(kOverAllowance, findings);
        if (buffer == nullptr) throw std::bad_alloc();
        std::size_t got = 0;
        while (got < piece && !file.at_end()) got += file.read_some({buffer + got, std::min(kChunk, piece - got)});
        fed += static_cast<XML_Index>(got);
        const bool last = file.at_end();
        const XML_Status status = XML_ParseBuffer(parser_, static_cast<int>(got), last);
        if (failure_) std::rethrow_exception(failure_);
        if (status == XML_STATUS_ERROR) {
            if (gpx::ParserAllowanceReached()) stopReason_ = kOverAllowance;
            return Damaged(stopReason_.empty() ? XML_ErrorString(XML_GetErrorCode(parser_)) : stopReason_, findings);
        }
        if (last) break;
        // Everything after the last parse event is one unfinished token, held whole.
        if (fed - XML_GetCurrentByteIndex(parser_) > kLongestToken)
            return Damaged("an XML item longer than 8 MB", findings);
    }
    if (textsCut_ > 0)
        findings.Add(FindingKind::Reduced,
                     std::to_string(textsCut_) + (textsCut_ == 1 ? " text" : " texts") +
                         " longer than 1 MB cut to their first megabyte",
                     textsCut_);
}

void Parser::Damaged(const std::string& reason, Findings& findings)
{
    if (rootClosed_) return;  // bytes after the end take nothing away
    const std::string where = "line " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ", column " +
                              std::to_string(XML_GetCurrentColumnNumber(parser_) + 1);
    const std::string format = format_;
    if (notOfFormat_) throw InputRefused("This is not a " + format + " file: its first element is not " + root_ + ".");
    if (!unknownEncoding_.empty())
        throw InputRefused("The character encoding " + unknownEncoding_ + " of the " + format +
                           " file is not supported.");
    if (!rootSeen_) throw InputRefused("This is not a " + format + " file: " + reason + " at " + where + ".");
    findings.Add(FindingKind::Damaged, "The " + format + " file is damaged at " + where + ": " + reason +
                                           ". Only what comes before it was read.");
}

void Parser::TakeText()
{
    textDepth_ = depth_;
    text_.clear();
    textCut_ = false;
    XML_SetCharacterDataHandler(parser_, Characters);
}

void Parser::TakeTextInPieces()
{
    textDepth_ = depth_;
    text_.clear();
    XML_SetCharacterDataHandler(parser_, Pieces);
}

void Parser::Pieces(void* self, const char* text, int length)
{
    auto& p = *static_cast<Parser*>(self);
    if (p.failure_ || p.stopped_) return;
    try {
        p.elements_.Piece(std::string_view(text, static_cast<std::size_t>(length)));
    } catch (...) {
        p.failure_ = std::current_exception();
        XML_StopParser(p.parser_, XML_FALSE);
    }
}

void Parser::Stop(std::string reason)
{
    if (stopReason_.empty()) stopReason_ = std::move(reason);
    stopped_ = true;
    XML_StopParser(parser_, XML_FALSE);
}

std::int64_t Parser::Line() const { return static_cast<std::int64_t>(XML_GetCurrentLineNumber(parser_)); }

// Expat is C: an exception must not cross it. It is kept, the parser
// stopped, and raised again once the parser has returned.
void Parser::Started(void* self, const char* name, const char** attributes)
{
    auto& p = *static_cast<Parser*>(self);
    if (p.failure_ || p.stopped_) return;
    try {
        if (++p.depth_ > kDeepest) return p.Stop("elements nested more than " + std::to_string(kDeepest) + " deep");
        const std::string_view local = LocalName(name);
        if (p.depth_ == 1) {
            p.notOfFormat_ = local != p.root_;
            p.rootSeen_ = !p.notOfFormat_;
            if (p.notOfFormat_) return p.Stop("another root");
        }
        p.elements_.Start(local, attributes);
    } catch (...) {
        p.failure_ = std::current_exception();
        XML_StopParser(p.parser_, XML_FALSE);
    }
}

// The parser stopped may still end the element it stopped in.
void Parser::Ended(void* self, const char* name)
{
    auto& p = *static_cast<Parser*>(self);
    if (p.failure_ || p.stopped_) return;
    try {
        std::string_view text;
        if (p.textDepth_ == p.depth_ && p.textDepth_ > 0) {
            text = p.text_;
            p.textDepth_ = 0;
            XML_SetCharacterDataHandler(p.parser_, nullptr);
        }
        p.rootClosed_ = --p.depth_ == 0;
        p.elements_.End(LocalName(name), text);
    } catch (...) {
        p.failure_ = std::current_exception();
        XML_StopParser(p.parser_, XML_FALSE);
    }
}

void Parser::Characters(void* self, const char* text, int length)
{
    auto& p = *static_cast<Parser*>(self);
    const std::size_t room = kLongestText - p.text_.size();
    const auto size = static_cast<std::size_t>(length);
    if (size > room && !p.textCut_) {
        p.textCut_ = true;
        ++p.textsCut_;
    }
    p.text_.append(text, std::min(size, room));
}

}  // namespace xmlstream
