// SPDX-License-Identifier: GPL-3.0-or-later
// Reading GPX 1.0 and 1.1 with Expat, fed from the input in chunks of at most
// 1 MB, so that the parser's memory stays flat however large the file is.
//
// Damaged input: a file that is not XML, or whose root element is not gpx, is
// refused with a message and ReadFailed, and nothing is stored. An XML error
// after the root (a truncated file, wrong nesting, bytes that are not of the
// declared encoding, a single XML token over 8 MB) ends the reading there:
// what was complete before it is kept, the track open at that point is handed
// on with its points so far, and a message names the line and says that the
// rest was not read. ReadFailed stays clear, so the rescued part is converted.
// Bytes after the end of the root element are ignored.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

// The library is built with DTD support; the define makes its entity
// expansion limits visible.
#define XML_DTD
#include <expat.h>

#include "core/byte_reader.h"
#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/convert.h"
#include "core/file_io.h"
#include "core/frontend.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_encoding.h"
#include "core/text_fields.h"
#include "formats/document/Symbols.h"
#include "formats/gpx/Gpx.h"
#include "formats/gpx/GpxElements.h"
#include "formats/gpx/GpxNamespaces.h"
#include "formats/gpx/GpxParserMemory.h"
#include "formats/gpx/GpxText.h"

namespace {
using namespace gpx;

constexpr std::size_t kChunk = 1 << 20;
// A file up to this size goes to the parser whole, as its one and last
// buffer: fed in chunks, the parser passes over each chunk a second time to
// count its lines, which costs a sixth of the reading.
constexpr std::size_t kWholeFile = 32 << 20;
constexpr std::size_t kLongestText = 1 << 16;  // of one element's text; the rest is dropped
constexpr XML_Index kLongestToken = 8 << 20;   // bytes the parser may hold for one unfinished token
// The parser keeps every open element; GPX with its extensions nests a dozen.
constexpr std::size_t kDeepest = 1000;
// All the parser may hold, its input buffer included, so that the whole
// process stays within 64 MB: the buffer takes the file up to 32 MB, or a
// chunk grown to hold the longest item while the old one is copied (about
// 34 MB); the names of a real file take some kilobytes of the rest.
constexpr std::size_t kParserMemory = 44 << 20;
const char* const kOverAllowance = "more different element and attribute names than the reader holds";

// The description the native files get: desc, or cmt when there is no desc.
std::string DescriptionOf(const std::string& desc, const std::string& cmt)
{
    std::string text = ToStoreText(desc);
    return text.empty() ? ToStoreText(cmt) : text;
}

std::optional<double> Latitude(const char* text)
{
    const auto value = ParseDecimal(text);
    if (!value || *value < -90 || *value > 90) return std::nullopt;
    return value;
}

std::optional<double> Longitude(const char* text)
{
    const auto value = ParseDecimal(text);
    if (!value || *value < -180 || *value > 180) return std::nullopt;
    return value;
}

// Expat knows UTF-8, UTF-16, ISO-8859-1 and US-ASCII; Windows-1252, the
// code page of the product's own texts, is added here. Any other name is
// kept for the message.
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

class GpxReader {
public:
    GpxReader(ReadMode mode, const std::function<void(int)>& onTrack) : mode_(mode), onTrack_(onTrack)
    {
        parser_ = XML_ParserCreate_MM(nullptr, &CountedParserMemory(), nullptr);
        if (parser_ == nullptr) throw std::bad_alloc();
        XML_SetUserData(parser_, this);
        // Character data is taken only inside the elements whose text is read.
        XML_SetElementHandler(parser_, OnStart, OnEnd);
        XML_SetUnknownEncodingHandler(parser_, OnUnknownEncoding, &unknownEncoding_);
        // No external entities are ever loaded; internal ones may not blow up.
        XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
        XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser_, 100.0f);
        XML_SetBillionLaughsAttackProtectionActivationThreshold(parser_, 1 << 20);
    }
    ~GpxReader() { XML_ParserFree(parser_); }
    GpxReader(const GpxReader&) = delete;
    GpxReader& operator=(const GpxReader&) = delete;

    // Parses the whole input, then reports what could not be read.
    void Read(ByteReader& file)
    {
        Feed(file);
        if (trackOpen_) FinishTrack();
    }

    int Tracks() const { return tracks_; }

private:
    void Feed(ByteReader& file)
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

    void Damaged(const std::string& reason)
    {
        if (rootClosed_) return;  // bytes after the end (zero padding, say) take nothing away
        const std::string where = "line " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ", column " +
                                  std::to_string(XML_GetCurrentColumnNumber(parser_) + 1);
        if (notGpx_) {
            Refuse("This is not a GPX file: its first element is not gpx.");
        } else if (!unknownEncoding_.empty()) {
            Refuse("The character encoding " + unknownEncoding_ + " of the GPX file is not supported.");
        } else if (!rootSeen_) {
            Refuse("This is not a GPX file: " + reason + " at " + where + ".");
        } else {
            Front().ShowMessage("The GPX file is damaged at " + where + ": " + reason +
                                ". Only what comes before it was read.");
            NoteReadInPart();
        }
    }

    void Refuse(const std::string& message)
    {
        Front().ShowMessage(message);
        ReadFailed = true;
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
    static void XMLCALL OnEnd(void* self, const XML_Char*)
    {
        Guarded(self, [](GpxReader& r) { r.End(); });
    }
    static void XMLCALL OnText(void* self, const XML_Char* text, int length)
    {
        auto& r = *static_cast<GpxReader*>(self);
        if (r.skipDepth_ > 0 || r.open_.empty() || r.open_.back() != Node::Text) return;
        const std::size_t room = kLongestText - r.text_.size();
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
        if (!child || (*child == Node::Text && !KeepsText())) {
            namespaces_.Forget(declared);
            skipDepth_ = 1;
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
        case Node::Text:
            text_.clear();
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

    void End()
    {
        if (skipDepth_ > 0) {
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
            EndText();
            break;
        case Node::Wpt: FinishWaypoint(); break;
        case Node::Rtept: FinishRoutePoint(); break;
        case Node::Trkpt: FinishTrackPoint(); break;
        case Node::Rte: FinishRoute(); break;
        case Node::Trk: FinishTrack(); break;
        case Node::Gpx: rootClosed_ = true; break;
        default: break;
        }
    }

    // The element a text belongs to: the one that holds it, or, for the text
    // of a link, an author or an extension, the one that holds that.
    Node OwnerOfText() const
    {
        std::size_t at = open_.size() - 1;
        while (at > 0 && (open_[at] == Node::Link || open_[at] == Node::Author || open_[at] == Node::PointExtension ||
                          open_[at] == Node::Extensions))
            --at;
        return open_[at];
    }

    // Only the first link of an element is kept, with its own text and type.
    bool KeepsText() const { return open_.back() != Node::Link || linkKept_; }

    void EndText() { TakeText(field_, text_, OwnerOfText(), point_, group_, DocumentInfo); }

    void StartLink(const XML_Char** attributes)
    {
        const Node owner = OwnerOfText();
        const std::string& held = IsPoint(owner) ? point_.texts.link : IsGroup(owner) ? group_.link : DocumentInfo.link;
        linkKept_ = held.empty();
        if (!linkKept_) return;
        for (const XML_Char** a = attributes; a[0] != nullptr; a += 2)
            if (std::strcmp(a[0], "href") == 0) TakeLink(a[1], owner, point_, group_, DocumentInfo);
    }

    void StartPoint(const XML_Char** attributes)
    {
        point_ = PointRead{};
        for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
            // Each character is looked at only while the ones before it match.
            const char* n = a[0];
            const bool lat = n[0] == 'l' && n[1] == 'a' && n[2] == 't' && n[3] == '\0';
            const bool lon = !lat && n[0] == 'l' && n[1] == 'o' && n[2] == 'n' && n[3] == '\0';
            if (lat) point_.latitude = Latitude(a[1]);
            else if (lon) point_.longitude = Longitude(a[1]);
        }
    }

    // A point without a latitude and longitude in range is left out, and
    // counted with those the store leaves out.
    bool Positioned()
    {
        if (point_.latitude && point_.longitude) return true;
        NoteUnusablePoint();
        return false;
    }

    float Feet() const
    {
        return std::isfinite(point_.values.metres) ? static_cast<float>(point_.values.metres * kFeetPerMetre)
                                                   : kNoAltitude;
    }

    std::optional<double> DayCount() const { return point_.values.time ? point_.dayCount : std::nullopt; }

    PointDetail Detail() const { return {true, point_.texts, point_.values}; }

    // Past the store's capacity the later waypoints are left out; the routes
    // after them are still read.
    void FinishWaypoint()
    {
        if (!Positioned()) return;
        WayPoints w = ResetWaypoint();
        w.Latitude = *point_.latitude;
        w.Longitude = *point_.longitude;
        w.Name = ToStoreText(point_.texts.name);
        w.Description = DescriptionOf(point_.texts.description, point_.texts.comment);
        if (point_.hasSym) w.Symbol = ::SymbolFromName(point_.texts.symbol);
        w.Altitude = Feet();
        w.DateTime = DayCount().value_or(kUndatedWaypoint);
        w.Detail = Detail();
        if (!AddWaypoint(std::move(w))) NoteCut(Cut::LaterWaypoints, kMaxWaypoints);
    }

    void StartRoute()
    {
        group_ = GroupDetail{};
        if (nextRoute_ > kMaxRouteIndex) {
            NoteCut(Cut::Routes, kMaxRouteIndex);
            route_ = -1;
            return;
        }
        route_ = nextRoute_++;
        RouteCount = route_;  // slots from 1, none skipped
    }

    void FinishRoutePoint()
    {
        if (route_ < 0 || !Positioned()) return;
        RouteRecord& route = RouteList[route_];
        if (route.PointCount >= kMaxRoutePoints) {
            NoteCut(Cut::RoutePointsOfEachRoute, kMaxRoutePoints);
            return;
        }
        const int j = ++route.PointCount;
        RouteWpRecord& p = route.Points[j];
        p.Number = j;
        p.Name = ToStoreText(point_.texts.name);
        p.Latitude = *point_.latitude;
        p.Longitude = *point_.longitude;
        p.DateTime = DayCount().value_or(kUndatedWaypoint);
        p.Description = DescriptionOf(point_.texts.description, point_.texts.comment);
        if (point_.hasSym) p.Symbol = ::SymbolFromName(point_.texts.symbol);
        p.Altitude = Feet();
        p.Detail = Detail();
    }

    void FinishRoute()
    {
        if (route_ < 0) return;
        RouteRecord& route = RouteList[route_];
        const std::string name = ToStoreText(group_.name);
        if (!name.empty()) route.Name = name;
        route.Description = DescriptionOf(group_.description, group_.comment);
        group_.known = true;
        route.Detail = group_;
    }

    void StartTrack()
    {
        group_ = GroupDetail{};
        TrackProps.Name.clear();
        TrackProps.Description.clear();
        TrackProps.PointCount = 0;
        sectionStart_ = true;
        trackOpen_ = true;
    }

    void FinishTrackPoint()
    {
        if (!Positioned()) return;
        // A fix without a time gets the time of reading, as in the native track file.
        TrackPoint p{*point_.latitude, *point_.longitude, sectionStart_ ? 1 : 0,
                     std::isfinite(point_.values.metres) ? static_cast<float>(point_.values.metres) : kNoAltitude,
                     DayCount() ? *DayCount() : ReadingTime()};
        p.Known = true;
        p.Values = point_.values;
        if (TrackProps.PointCount < kMaxTrackPoints) SetTrackPointTexts(p, point_.texts);
        if (!AddTrackPoint(p)) {
            NoteCut(Cut::TrackPointsOfEachTrack, kMaxTrackPoints);
            return;
        }
        sectionStart_ = false;
    }

    void FinishTrack()
    {
        trackOpen_ = false;
        TrackProps.Name = ToStoreText(group_.name);
        TrackProps.Description = DescriptionOf(group_.description, group_.comment);
        group_.known = true;
        TrackProps.Detail = group_;
        ++tracks_;
        if (onTrack_) onTrack_(tracks_);
    }

    double ReadingTime() { return StampTimeOfReading(); }

    XML_Parser parser_ = nullptr;
    const ReadMode mode_;
    const std::function<void(int)> onTrack_;
    std::exception_ptr failure_;
    bool stopped_ = false;
    std::string stopReason_;  // why the reader stopped the parser; empty when it did not
    bool rootSeen_ = false;
    bool rootClosed_ = false;
    bool notGpx_ = false;
    std::string unknownEncoding_;
    NamespaceScopes namespaces_;  // declared by the elements open

    std::vector<Node> open_;     // the known elements open, outermost first (at most six)
    std::size_t skipDepth_ = 0;  // depth inside a skipped element
    Field field_ = Field::Name;  // of the open Text node
    std::string text_;

    PointRead point_;
    GroupDetail group_;      // of the open rte or trk
    bool linkKept_ = false;  // the open link is the first of its element
    int route_ = -1;         // slot of the open route; -1 when it is dropped
    int nextRoute_ = 1;
    bool sectionStart_ = false;
    bool trackOpen_ = false;
    int tracks_ = 0;
};
}  // namespace

int ReadGpxFile(const std::string& fileName, ReadMode mode, const std::function<void(int)>& onTrack)
{
    ByteReader file = ByteReader::FromFile(fileName);
    if (mode != ReadMode::Tracks) {
        ClearWaypoints();
        ClearRoutes();
    }
    if (mode != ReadMode::Waypoints) ClearTracks();
    GpxReader reader(mode, onTrack);
    reader.Read(file);
    return reader.Tracks();
}

void ReadGpxWaypointFile(const std::string& fileName) { ReadGpxFile(fileName, ReadMode::Waypoints); }

int ReadGpxTrackFile(const std::string& fileName, const std::function<void(int)>& onTrack)
{
    return ReadGpxFile(fileName, ReadMode::Tracks, onTrack);
}
