// SPDX-License-Identifier: GPL-3.0-or-later
// Reading GPX 1.0 and 1.1 with Expat on one thread, fed a file of up to 32 MB
// whole and a larger one in chunks of 1 MB, so that the parser's memory stays
// flat however large the file is.
//
// Damaged input: a file that is not XML, or whose root element is not gpx, is
// refused with a message. An XML error after the root (a truncated file,
// wrong nesting, bytes that are not of the declared encoding, a single XML
// token over 8 MB) ends the reading there: what was complete before it is
// kept, the route or track open at that point with its points so far, and a
// finding names the line and says that the rest was not read. Bytes after
// the end of the root element are ignored.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <expat.h>

#include "formats/xml/GuardedParser.h"

#include "core/document/point_entry.h"
#include "core/io/byte_reader.h"
#include "core/io/read_watch.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "formats/document/DocumentText.h"
#include "formats/gpx/Gpx.h"
#include "formats/gpx/GpxDeviceDetails.h"
#include "formats/gpx/GpxElements.h"
#include "formats/gpx/GpxNamespaces.h"
#include "formats/gpx/GpxParserMemory.h"
#include "formats/gpx/GpxUtf32.h"

namespace {
using namespace gpx;
using namespace doctext;

constexpr std::size_t kChunk = 1 << 20;
// A file up to this size goes to the parser whole, as its one and last
// buffer: fed in chunks, the parser passes over each chunk a second time to
// count its lines, which costs a sixth of the reading.
constexpr std::size_t kWholeFile = 32 << 20;
constexpr std::size_t kLongestText = 1 << 20;  // of one element's text; the rest is cut, and counted
constexpr XML_Index kLongestToken = 8 << 20;   // bytes the parser may hold for one unfinished token
// The parser keeps every open element; GPX with its extensions nests a dozen.
constexpr std::size_t kDeepest = 1000;
// All the parser may hold, its input buffer included, so that the whole
// process stays within 64 MB: the buffer takes the file up to 32 MB, or a
// chunk grown to hold the longest item while the old one is copied (about
// 34 MB); the names of a real file take some kilobytes of the rest.
constexpr std::size_t kParserMemory = 44 << 20;
const char* const kOverAllowance = "more different element and attribute names than the reader holds";
constexpr double kNativeFeetPerMetre = 3.2808;
// What the extensions kept of one point, group or file may hold; a subtree
// past it is not kept, and counted.
constexpr std::size_t kMostKeptExtensions = 1 << 20;

// An attribute value in double quotes, whitespace kept as references.
void AppendAttributeValue(std::string& out, std::string_view value)
{
    // The text between tabs and line feeds is escaped a run at a time: every
    // point of a file may carry its extensions' declarations.
    for (std::size_t at = 0;;) {
        std::size_t end = at;
        while (end < value.size() && value[end] != '\t' && value[end] != '\n') ++end;
        AppendEscapedUtf8(out, value.substr(at, end - at));
        if (end == value.size()) return;
        out += value[end] == '\t' ? "&#9;" : "&#10;";
        at = end + 1;
    }
}

// The prefix of a qualified name; empty for none.
std::string_view PrefixOf(std::string_view name)
{
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
}

// A latitude or longitude within its range; otherwise none, and the point is left out.
double Degrees(const char* text, double most)
{
    const auto value = ParseDecimal(text);
    return value && *value >= -most && *value <= most ? *value : kNoValue;
}

class GpxReader {
public:
    // A list stops one point past what the output takes (ReadOptions).
    explicit GpxReader(const ReadOptions& options)
        : mode_(options.mode), trackPointsKept_(options.trackPointsKept), keepsPointXml_(options.keptExtensions),
          result_(NewReadResult(options)),
          waypoints_(result_.document.waypoints, result_.findings, options.waypointsKept)
    {
        // Character data is taken only inside the elements whose text is read.
        parser_ = NewGuardedParser(this, OnStart, OnEnd, unknownEncoding_);
    }
    ~GpxReader() { XML_ParserFree(parser_); }
    GpxReader(const GpxReader&) = delete;
    GpxReader& operator=(const GpxReader&) = delete;

    // Parses the whole input (a ByteReader, or a Utf32Source whose UTF-8
    // the parser takes whatever encoding the file declares); raises
    // InputRefused when it is no GPX.
    template <typename Source>
    ReadResult Read(Source& file)
    {
        if constexpr (!std::is_same_v<Source, ByteReader>) XML_SetEncoding(parser_, "UTF-8");
        Feed(file);
        return Finish();
    }

    // What was read, with what was cut or left out.
    ReadResult Finish()
    {
        if (textsCut_ > 0)
            result_.findings.Add(FindingKind::Reduced,
                                 std::to_string(textsCut_) + (textsCut_ == 1 ? " text" : " texts") +
                                     " longer than 1 MB cut to their first megabyte",
                                 textsCut_);
        if (notKept_ > 0)
            result_.findings.Add(FindingKind::Reduced,
                                 std::to_string(notKept_) + (notKept_ == 1 ? " GPX element" : " GPX elements") +
                                     " that the document has no place for left out (extensions of track segments, "
                                     "elements GPX does not define, prefixes declared nowhere, extensions past 1 MB)",
                                 notKept_);
        return std::move(result_);
    }

private:
    template <typename Source>
    void Feed(Source& file)
    {
        const std::size_t piece = file.remaining() <= kWholeFile ? std::max<std::size_t>(file.remaining(), 1) : kChunk;
        StartParserAccount(kParserMemory);
        XML_Index fed = 0;
        for (;;) {
            auto* buffer = static_cast<std::uint8_t*>(XML_GetBuffer(parser_, static_cast<int>(piece)));
            if (buffer == nullptr && ParserAllowanceReached()) {
                Damaged(kOverAllowance);
                return;
            }
            if (buffer == nullptr) throw std::bad_alloc();
            std::size_t got = 0;
            while (got < piece && !file.at_end()) got += file.read_some({buffer + got, std::min(kChunk, piece - got)});
            fed += static_cast<XML_Index>(got);
            const bool last = file.at_end();
            const XML_Status status = XML_ParseBuffer(parser_, static_cast<int>(got), last);
            if (failure_) std::rethrow_exception(failure_);
            if (status == XML_STATUS_ERROR) {
                if (ParserAllowanceReached()) stopReason_ = kOverAllowance;
                if constexpr (!std::is_same_v<Source, ByteReader>)
                    if (file.Invalid() && EndedEarly(XML_GetErrorCode(parser_)))
                        stopReason_ = "bytes that are not UTF-32 characters";
                Damaged(stopReason_.empty() ? XML_ErrorString(XML_GetErrorCode(parser_)) : stopReason_);
                return;
            }
            if (last) return;
            // Everything after the last parse event is one unfinished token, held whole.
            if (fed - XML_GetCurrentByteIndex(parser_) > kLongestToken) {
                Damaged("an XML item longer than 8 MB");
                return;
            }
        }
    }

    // The errors of a text that stops short.
    static bool EndedEarly(XML_Error error)
    {
        return error == XML_ERROR_NO_ELEMENTS || error == XML_ERROR_UNCLOSED_TOKEN || error == XML_ERROR_PARTIAL_CHAR;
    }

    // What was read up to the damage stays, the route or track open with it.
    void Damaged(const std::string& reason)
    {
        if (rootClosed_) return;  // bytes after the end (zero padding, say) take nothing away
        const std::string where = "line " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ", column " +
                                  std::to_string(XML_GetCurrentColumnNumber(parser_) + 1);
        if (notGpx_) throw InputRefused("This is not a GPX file: its first element is not gpx.");
        if (!unknownEncoding_.empty())
            throw InputRefused("The character encoding " + unknownEncoding_ + " of the GPX file is not supported.");
        if (!rootSeen_) throw InputRefused("This is not a GPX file: " + reason + " at " + where + ".");
        result_.findings.Add(FindingKind::Damaged, "The GPX file is damaged at " + where + ": " + reason +
                                                       ". Only what comes before it was read.");
    }

    // Expat is C: an exception must not cross it. It is kept, the parser
    // stopped, and the exception raised again once the parser has returned.
    template <typename Step>
    static void Guarded(void* self, Step step)
    {
        auto& reader = *static_cast<GpxReader*>(self);
        if (reader.failure_ || reader.stopped_) return;
        try {
            step(reader);
        } catch (...) {
            reader.failure_ = std::current_exception();
            reader.Stop();
        }
    }
    static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        Guarded(self, [&](GpxReader& r) { r.Start(name, attributes); });
    }
    static void XMLCALL OnEnd(void* self, const XML_Char* name)
    {
        Guarded(self, [name](GpxReader& r) { r.End(name); });
    }
    static void XMLCALL OnText(void* self, const XML_Char* text, int length)
    {
        auto& r = *static_cast<GpxReader*>(self);
        if (r.keep_ != nullptr) {
            if (r.device_.Active()) r.device_.Text(std::string_view(text, static_cast<std::size_t>(length)));
            if (!r.leavingOut_ && r.kept_.size() <= kMostKeptExtensions)
                AppendEscapedUtf8(r.kept_, std::string_view(text, static_cast<std::size_t>(length)));
            return;
        }
        if (r.skipDepth_ > 0 || r.open_.empty() || r.open_.back() != Node::Text) return;
        const std::size_t room = kLongestText - r.text_.size();
        if (static_cast<std::size_t>(length) > room && !r.textCut_) {
            r.textCut_ = true;
            ++r.textsCut_;
        }
        r.text_.append(text, std::min(static_cast<std::size_t>(length), room));
    }

    void Stop()
    {
        stopped_ = true;
        XML_StopParser(parser_, XML_FALSE);
    }

    void Start(const XML_Char* name, const XML_Char** attributes)
    {
        if (skipDepth_ > 0) {
            if (++skipDepth_ + open_.size() > kDeepest) {
                stopReason_ = "elements nested more than " + std::to_string(kDeepest) + " deep";
                Stop();
            }
            if (keep_ != nullptr) KeepStart(name, attributes);
            return;
        }
        const int declared = namespaces_.Declare(attributes, open_.size());
        if (declared == NamespaceScopes::kTooLong) {
            stopReason_ = "namespace names longer than the reader holds";
            Stop();
            return;
        }
        // Split in one pass: every element of the file comes here.
        std::size_t length = 0, colon = 0;
        for (; name[length] != '\0'; ++length)
            if (name[length] == ':') colon = length + 1;
        const std::string_view prefix(name, colon == 0 ? 0 : colon - 1);
        const std::string_view local(name + colon, length - colon);
        const NamespaceScopes::Scope* scope = namespaces_.Of(prefix);
        if (open_.empty()) {
            StartRoot(prefix, scope, local);
            return;
        }
        const bool ofDocument = scope == nullptr ? prefix.empty() : scope->ofDocument;
        const std::string_view uri = scope == nullptr ? std::string_view() : std::string_view(scope->name);
        const auto child = ChildOf(open_.back(), local, ofDocument, uri, mode_, field_);
        if (!child) {
            if (open_.back() == Node::Gpx && ofDocument) CountLeftOut(local);
            namespaces_.Forget(declared);
            skipDepth_ = 1;
            const Node parent = open_.back();
            std::string* target = KeepTarget(parent, ofDocument);
            if (target != nullptr && target->size() < kMostKeptExtensions) BeginKeep(*target, name, attributes);
            else if (target != nullptr || !ofDocument || parent == Node::OtherExtensions ||
                     parent == Node::Extensions || parent == Node::PointExtension)
                ++notKept_;
            return;
        }
        open_.push_back(*child);
        switch (*child) {
        case Node::Wpt:
        case Node::Rtept:
        case Node::Trkpt: StartPoint(attributes); break;
        case Node::Rte: StartRoute(); break;
        case Node::Trk: StartTrack(); break;
        case Node::Trkseg: sectionStart_ = true; break;
        case Node::Link: StartLink(attributes); break;
        case Node::Email: StartEmail(attributes); break;
        case Node::Copyright:
            for (const XML_Char** a = attributes; a[0] != nullptr; a += 2)
                if (std::strcmp(a[0], "author") == 0) result_.document.metadata.copyrightAuthor = a[1];
            break;
        case Node::Bounds: result_.document.metadata.bounds = true; break;
        case Node::Text:
            text_.clear();
            textCut_ = false;
            XML_SetCharacterDataHandler(parser_, OnText);
            break;
        default: break;
        }
    }

    // A GPX 1.0 file may do without a namespace.
    void StartRoot(std::string_view prefix, const NamespaceScopes::Scope* scope, std::string_view local)
    {
        const bool gpxNamespace =
            scope == nullptr ? prefix.empty()
                             : scope->name.empty() || scope->name.starts_with("http://www.topografix.com/GPX/");
        if (local != "gpx" || !gpxNamespace) {
            notGpx_ = true;
            Stop();
            return;
        }
        rootSeen_ = true;
        if (scope != nullptr) namespaces_.SetDocument(scope->name);
        open_.push_back(Node::Gpx);
    }

    void End(const XML_Char* name)
    {
        if (skipDepth_ > 0) {
            if (keep_ != nullptr) {
                if (device_.Active()) {
                    device_.End(skipDepth_, point_.device);
                    deviceRead_ = true;
                }
                if (!leavingOut_) {
                    kept_ += "</";
                    kept_ += name;
                    kept_ += '>';
                }
                if (skipDepth_ == 1) FinishKeep();
            }
            --skipDepth_;
            return;
        }
        if (open_.empty()) return;
        const Node node = open_.back();
        open_.pop_back();
        namespaces_.Leave(open_.size());
        switch (node) {
        case Node::Text:
            XML_SetCharacterDataHandler(parser_, nullptr);
            TakeText(field_, text_, OwnerOfText(), Targets());
            break;
        case Node::Wpt:
            GiveNativeForm();
            if (!waypoints_.Full()) waypoints_.Add(point_);
            break;
        case Node::Rtept:
            GiveNativeForm();
            if (route_) route_->Add(point_);
            break;
        case Node::Trkpt: FinishTrackPoint(); break;
        case Node::Rte: route_.reset(); break;
        case Node::Trk: track_.reset(); break;
        case Node::Gpx: rootClosed_ = true; break;
        default: break;
        }
    }

    // The element a text belongs to: the one that holds it, or, for the text
    // of a link, an author or an extension, the one that holds that.
    Node OwnerOfText() const
    {
        std::size_t at = open_.size() - 1;
        while (at > 0 &&
               (open_[at] == Node::Link || open_[at] == Node::PointExtension || open_[at] == Node::Extensions))
            --at;
        return open_[at];
    }

    gpx::Owners Targets() { return {point_, OpenGroup(), result_.document.metadata}; }
    // The route or track open; outside them, a group that takes no text.
    GroupInfo& OpenGroup()
    {
        if (route_) return result_.document.routes.back().info;
        if (track_) return result_.document.tracks.back().info;
        return noGroup_;
    }

    void StartLink(const XML_Char** attributes)
    {
        std::string_view href;
        for (const XML_Char** a = attributes; a[0] != nullptr; a += 2)
            if (std::strcmp(a[0], "href") == 0) href = a[1];
        TakeLink(href, OwnerOfText(), Targets());
    }

    // GPX 1.1 writes an email address as its two halves.
    void StartEmail(const XML_Char** attributes)
    {
        std::string id, domain;
        for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
            if (std::strcmp(a[0], "id") == 0) id = a[1];
            else if (std::strcmp(a[0], "domain") == 0) domain = a[1];
        }
        result_.document.metadata.author.email = id + "@" + domain;
    }

    // Where an element the reader has no field for is kept as XML: the
    // extensions of what holds it, or of what holds the extensions element
    // it is in; nullptr where nothing holds it (a track segment's).
    std::string* KeepTarget(Node parent, bool ofDocument)
    {
        Metadata& metadata = result_.document.metadata;
        if (parent == Node::Extensions) return &point_.extensions;
        if (parent == Node::OtherExtensions) parent = open_[open_.size() - 2];
        else if (ofDocument) return nullptr;
        if (IsPoint(parent)) return &point_.extensions;
        if (IsGroup(parent)) return &OpenGroup().extensions;
        if (parent == Node::Trkseg && track_ && !sectionStart_) {
            // Of the section its points started, when it has any.
            std::vector<std::string>& sections = result_.document.tracks.back().sectionExtensions;
            sections.resize(static_cast<std::size_t>(sections_));
            return &sections.back();
        }
        if (parent == Node::Metadata) return &metadata.extensions;
        if (parent == Node::Gpx) return &metadata.fileExtensions;
        return nullptr;
    }

    // Starts keeping a subtree: its elements, attributes and texts as
    // written, and on its root the declarations of the prefixes it uses
    // that are declared outside it.
    void BeginKeep(std::string& target, const XML_Char* name, const XML_Char** attributes)
    {
        keep_ = &target;
        if (keep_ == &point_.extensions) device_.Start(name, 1, UriOf(name, attributes));
        // A point's subtree left out is still read for its device details.
        leavingOut_ = keep_ == &point_.extensions && !keepsPointXml_;
        if (leavingOut_) {
            if (device_.Active()) XML_SetCharacterDataHandler(parser_, OnText);
            return;
        }
        kept_.clear();
        keptPrefixes_.clear();
        declaredInside_.clear();
        kept_ += '<';
        kept_ += name;
        keepDeclarationsAt_ = kept_.size();
        KeepAttributes(name, attributes);
        XML_SetCharacterDataHandler(parser_, OnText);
    }

    // The namespace of an element's name, declared on it or around it.
    std::string_view UriOf(std::string_view name, const XML_Char** attributes) const
    {
        const std::string_view prefix = PrefixOf(name);
        for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
            const std::string_view attribute = a[0];
            if (prefix.empty() ? attribute == "xmlns"
                               : attribute.starts_with("xmlns:") && attribute.substr(6) == prefix)
                return a[1];
        }
        const NamespaceScopes::Scope* scope = namespaces_.Of(prefix);
        return scope == nullptr ? std::string_view() : std::string_view(scope->name);
    }

    void KeepStart(const XML_Char* name, const XML_Char** attributes)
    {
        if (device_.Active()) device_.Start(name, skipDepth_, {});
        if (leavingOut_ || kept_.size() > kMostKeptExtensions) return;  // too long to keep: only its end is awaited
        kept_ += '<';
        kept_ += name;
        KeepAttributes(name, attributes);
    }

    void KeepAttributes(const XML_Char* name, const XML_Char** attributes)
    {
        NotePrefix(PrefixOf(name));
        for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
            kept_ += ' ';
            kept_ += a[0];
            kept_ += "=\"";
            AppendAttributeValue(kept_, a[1]);
            kept_ += '"';
            const std::string_view prefix = PrefixOf(a[0]);
            if (prefix != "xmlns") NotePrefix(prefix);
            else declaredInside_.emplace_back(a[0] + 6);
        }
        kept_ += '>';
    }

    void NotePrefix(std::string_view prefix)
    {
        if (prefix.empty() || prefix == "xml") return;
        if (std::find(keptPrefixes_.begin(), keptPrefixes_.end(), prefix) == keptPrefixes_.end())
            keptPrefixes_.emplace_back(prefix);
    }

    // A subtree that uses a prefix declared nowhere, or that would make
    // its owner's extensions too long, is left out and counted.
    void FinishKeep()
    {
        if (leavingOut_) {
            point_.extensionsLeftOut = true;
            keep_ = nullptr;
            XML_SetCharacterDataHandler(parser_, nullptr);
            return;
        }
        std::string& declarations = declarations_;  // keeps its room from subtree to subtree
        declarations.clear();
        bool whole = true;
        for (const std::string& prefix : keptPrefixes_) {
            if (std::find(declaredInside_.begin(), declaredInside_.end(), prefix) != declaredInside_.end()) continue;
            const NamespaceScopes::Scope* scope = namespaces_.Of(prefix);
            if (scope == nullptr) {
                whole = false;
                break;
            }
            // A file repeats the same declaration on every point: the last one made is kept.
            if (prefix != lastDeclared_.prefix || scope->name != lastDeclared_.name) {
                lastDeclared_.text.assign(" xmlns:").append(prefix).append("=\"");
                AppendAttributeValue(lastDeclared_.text, scope->name);
                lastDeclared_.text += '"';
                lastDeclared_.prefix = prefix;
                lastDeclared_.name = scope->name;
            }
            declarations += lastDeclared_.text;
        }
        if (whole && keep_->size() + kept_.size() + declarations.size() <= kMostKeptExtensions) {
            const std::string_view kept = kept_;
            keep_->append(kept.substr(0, keepDeclarationsAt_))
                .append(declarations)
                .append(kept.substr(keepDeclarationsAt_));
        } else {
            ++notKept_;
        }
        keep_ = nullptr;
        XML_SetCharacterDataHandler(parser_, nullptr);
    }

    void StartPoint(const XML_Char** attributes)
    {
        ClearPoint();
        for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
            // Each character is looked at only while the ones before it match.
            const char* n = a[0];
            const bool lat = n[0] == 'l' && n[1] == 'a' && n[2] == 't' && n[3] == '\0';
            const bool lon = !lat && n[0] == 'l' && n[1] == 'o' && n[2] == 'n' && n[3] == '\0';
            if (lat) point_.latitude = Degrees(a[1], 90);
            else if (lon) point_.longitude = Degrees(a[1], 180);
        }
    }

    // The native files have always taken a waypoint's or route point's
    // altitude in feet without rounding 0 ft away, and a point without a
    // time on their day of no date.
    void GiveNativeForm()
    {
        if (point_.HasElevation() && std::fabs(point_.elevation) <= kHighestElevationMetres)
            point_.native.feet = static_cast<float>(point_.elevation * kNativeFeetPerMetre);
        point_.native.noDateDay = !point_.time;
    }

    // The point is reset as a whole value: a point never keeps a field of the one before it.
    // Copied from a blank one, its texts keep their room.
    void ClearPoint()
    {
        point_ = blank_;
        deviceRead_ = false;
    }

    void StartRoute()
    {
        result_.document.routes.emplace_back(result_.document.NewRoute());
        route_.emplace(result_.document.routes.back().points, result_.findings);
    }

    // A part of the file the mode passed over, counted for the output that holds none.
    void CountLeftOut(std::string_view local)
    {
        if (local == "trk") ++result_.tracksLeftOut;
        else if (local == "wpt") ++result_.waypointsLeftOut;
        else if (local == "rte") ++result_.routesLeftOut;
    }

    void StartTrack()
    {
        result_.document.tracks.emplace_back(result_.document.NewTrack());
        track_.emplace(result_.document.tracks.back().points, result_.findings, trackPointsKept_);
        sectionStart_ = true;
        sections_ = 0;
    }

    void FinishTrackPoint()
    {
        if (!track_ || track_->Full()) return;
        point_.newSection = sectionStart_;
        if (sectionStart_) ++sections_;
        sectionStart_ = false;
        track_->Add(point_);
    }

    XML_Parser parser_ = nullptr;
    const ReadMode mode_;
    const std::int64_t trackPointsKept_;
    const bool keepsPointXml_;  // ReadOptions::keptExtensions
    ReadResult result_;
    std::exception_ptr failure_;
    bool stopped_ = false;
    std::string stopReason_;  // why the reader stopped the parser; empty when it did not
    bool rootSeen_ = false;
    bool rootClosed_ = false;
    bool notGpx_ = false;
    std::string unknownEncoding_;
    NamespaceScopes namespaces_;  // declared by the elements open

    std::vector<Node> open_;       // the known elements open, outermost first (at most six)
    std::size_t skipDepth_ = 0;    // depth inside a skipped element
    std::string* keep_ = nullptr;  // where the skipped element is kept as XML; nullptr: nowhere
    bool leavingOut_ = false;      // the subtree kept is a point's, left out
    std::string kept_;             // the subtree being kept
    std::string declarations_;     // of the subtree being kept, made at its end
    struct {
        std::string prefix, name, text;
    } lastDeclared_;  // the declaration of a prefix made last
    std::size_t keepDeclarationsAt_ = 0;
    std::vector<std::string> keptPrefixes_, declaredInside_;
    std::int64_t notKept_ = 0;    // elements with no place
    DeviceDetailsReader device_;  // of the point's kept subtree
    bool deviceRead_ = false;     // the point holds device details
    Field field_ = Field::Name;   // of the open Text node
    std::string text_;
    bool textCut_ = false;  // the open text is longer than the reader keeps
    std::int64_t textsCut_ = 0;

    const Point blank_ = [] {
        Point blank;
        blank.latitude = blank.longitude = kNoValue;
        return blank;
    }();
    Point point_;
    PointEntry waypoints_;
    std::optional<PointEntry> route_, track_;  // of the route or track open
    GroupInfo noGroup_;
    bool sectionStart_ = false;
    std::int64_t sections_ = 0;  // of the track open
};
}  // namespace

ReadResult ReadGpxFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader file = source.ReadBytes();
    // The parser reads UTF-8 and UTF-16; UTF-32 is decoded to UTF-8 for it.
    if (const char* utf32 = Utf32Encoding(file.view(4))) {
        Utf32Source decoded(file, utf32);
        return GpxReader(options).Read(decoded);
    }
    return GpxReader(options).Read(file);
}
