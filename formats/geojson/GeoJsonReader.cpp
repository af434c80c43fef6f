// SPDX-License-Identifier: GPL-3.0-or-later
// Reading GeoJSON with RapidJSON's event reader over chunks of the file:
// nothing but the open arrays and objects, the feature being read and the
// document (whose point lists go on in temporary files) is held, whatever
// the file's size. A feature is taken when it ends; its properties and
// geometry may come in either order, and so may the "type" of any object.
#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <string>
#include <vector>

#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "core/time/utc_time.h"
#include "formats/geojson/GeoJson.h"
#include "formats/geojson/GeoJsonFeature.h"
#include "formats/geojson/JsonChunks.h"

namespace {
// Far deeper than any GeoJSON nests (a multipolygon in a collection of a
// feature is 9 levels), and shallow enough that no input can fill memory with levels.
constexpr std::size_t kDeepest = 64;
constexpr std::size_t kLongestType = 64;

// What an open array or object is to the file.
enum class Role : std::uint8_t {
    GeoObject,  // a feature collection, a feature or a geometry
    Features,
    Geometries,
    Properties,
    PointValues,  // a feature's "coordinateProperties"
    Coordinates,  // the coordinates array or one nested in it
    Times,
    Names,
    Ignored
};

// What the value after a key is for.
enum class Slot : std::uint8_t {
    Other,
    Type,
    Features,
    Geometry,
    Properties,
    Coordinates,
    Geometries,
    Name,
    Description,
    Comment,
    Symbol,
    Time,
    Elevation,
    Kind,
    Times,
    Names,
    PointValues
};

struct KeySlot {
    std::string_view key;
    Slot slot;
};
constexpr KeySlot kObjectKeys[] = {{"type", Slot::Type},
                                   {"features", Slot::Features},
                                   {"geometry", Slot::Geometry},
                                   {"properties", Slot::Properties},
                                   {"coordinates", Slot::Coordinates},
                                   {"geometries", Slot::Geometries}};
constexpr KeySlot kPropertyKeys[] = {{"name", Slot::Name},
                                     {"desc", Slot::Description},
                                     {"description", Slot::Description},
                                     {"cmt", Slot::Comment},
                                     {"comment", Slot::Comment},
                                     {"sym", Slot::Symbol},
                                     {"symbol", Slot::Symbol},
                                     {"time", Slot::Time},
                                     {"ele", Slot::Elevation},
                                     {"elevation", Slot::Elevation},
                                     {"type", Slot::Kind},
                                     {"coordTimes", Slot::Times},
                                     {"times", Slot::Times},
                                     {"coordinateProperties", Slot::PointValues}};
constexpr KeySlot kPointValueKeys[] = {{"times", Slot::Times}, {"coordTimes", Slot::Times}, {"names", Slot::Names}};

template <std::size_t N>
Slot SlotOf(const KeySlot (&keys)[N], std::string_view key)
{
    for (const KeySlot& k : keys)
        if (k.key == key) return k.slot;
    return Slot::Other;
}

bool IsGeoJsonType(std::string_view type)
{
    for (const std::string_view known : {"FeatureCollection", "Feature", "Point", "MultiPoint", "LineString",
                                         "MultiLineString", "Polygon", "MultiPolygon", "GeometryCollection"})
        if (type == known) return true;
    return false;
}

struct Level {
    Role role;
    bool feature = false;   // a feature's object (or the file's top object)
    bool geometry = false;  // an object where a geometry stands
    bool coordinates = false, geometries = false;
    std::string type{};
    // A coordinates array: its depth (1 the outermost), what it holds, and
    // the positions read in it.
    int depth = 0;
    bool holdsArrays = false, holdsValues = false;
    std::int64_t positions = 0;
};

// The values of one position as they come.
struct PositionValues {
    double values[3] = {kNoValue, kNoValue, kNoValue};
    int count = 0;
    bool unreadable = false;  // a longitude or latitude is no number
};

class GeoJsonEvents : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, GeoJsonEvents> {
public:
    GeoJsonEvents(const ReadOptions& options, ReadResult& result) : result_(result), taking_(options, result) {}

    bool StartObject() { return Open(ObjectRole()); }
    bool EndObject(rapidjson::SizeType) { return CloseObject(); }
    bool StartArray() { return Open(ArrayRole()); }
    bool EndArray(rapidjson::SizeType) { return CloseArray(); }
    bool Key(const char* text, rapidjson::SizeType length, bool)
    {
        const std::string_view key(text, length);
        const Role role = levels_.back().role;
        slot_ = role == Role::GeoObject     ? SlotOf(kObjectKeys, key)
                : role == Role::Properties  ? SlotOf(kPropertyKeys, key)
                : role == Role::PointValues ? SlotOf(kPointValueKeys, key)
                                            : Slot::Other;
        return true;
    }
    bool String(const char* text, rapidjson::SizeType length, bool)
    {
        return Value(std::string_view(text, length), false);
    }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool)
    {
        return Value(std::string_view(text, length), true);
    }
    bool Null() { return Value({}, false, true); }
    bool Bool(bool) { return Value({}, false); }

    // The file's end, or damage: an open feature keeps the positions read of it.
    void Finish(bool damaged)
    {
        if (damaged) Salvage();
        taking_.Finish();
    }
    bool NotAnObject() const { return notAnObject_; }
    bool TooDeep() const { return tooDeep_; }
    bool SawGeoJson() const { return geoJson_; }
    bool TookAny() const { return taking_.TookAny(); }

private:
    Role ObjectRole()
    {
        if (levels_.empty()) return Role::GeoObject;
        const Level& top = levels_.back();
        if (top.role == Role::Features || top.role == Role::Geometries) return Role::GeoObject;
        if (top.role == Role::GeoObject && slot_ == Slot::Geometry) return Role::GeoObject;
        if (top.role == Role::GeoObject && slot_ == Slot::Properties) return Role::Properties;
        if (top.role == Role::Properties && slot_ == Slot::PointValues) return Role::PointValues;
        return Role::Ignored;
    }
    Role ArrayRole()
    {
        if (levels_.empty()) return Role::Ignored;
        const Level& top = levels_.back();
        switch (top.role) {
        case Role::GeoObject:
            return slot_ == Slot::Features      ? Role::Features
                   : slot_ == Slot::Coordinates ? Role::Coordinates
                   : slot_ == Slot::Geometries  ? Role::Geometries
                                                : Role::Ignored;
        case Role::Properties:
        case Role::PointValues:
            return slot_ == Slot::Times ? Role::Times : slot_ == Slot::Names ? Role::Names : Role::Ignored;
        case Role::Coordinates:
        case Role::Times:
        case Role::Names: return top.role;
        default: return Role::Ignored;
        }
    }

    bool Open(Role role)
    {
        if (levels_.empty() && role != Role::GeoObject) {
            notAnObject_ = true;
            return false;
        }
        if (levels_.size() >= kDeepest) {
            tooDeep_ = true;
            return false;
        }
        Level level{.role = role};
        if (!levels_.empty()) Mark(level);
        else level.feature = level.geometry = true;
        if (level.feature) feature_.Clear();
        if (role == Role::Coordinates && level.depth == 1) {
            positionLevel_ = 0;
            nestingBroken_ = false;
        }
        if (role == Role::Coordinates) position_ = {};
        levels_.push_back(std::move(level));
        slot_ = Slot::Other;
        return true;
    }

    // What the new level is to the one around it.
    void Mark(Level& level)
    {
        Level& top = levels_.back();
        if (level.role == Role::GeoObject) {
            level.feature = top.role == Role::Features;
            level.geometry = top.role == Role::Geometries || top.role == Role::GeoObject;
        }
        if (top.role == Role::GeoObject) {
            top.coordinates = top.coordinates || level.role == Role::Coordinates;
            top.geometries = top.geometries || level.role == Role::Geometries;
            geoJson_ = geoJson_ || level.role != Role::Ignored;
        }
        if (level.role == Role::Coordinates) {
            level.depth = top.role == Role::Coordinates ? top.depth + 1 : 1;
            if (top.role == Role::Coordinates) top.holdsArrays = true;
        }
    }

    bool CloseObject()
    {
        Level level = std::move(levels_.back());
        levels_.pop_back();
        if (level.role != Role::GeoObject) return true;
        if (level.coordinates) EndGeometry(level.type);
        else if (level.geometry && !level.geometries && !level.feature) {
            feature_.DropGeometry();
            taking_.CountUnreadableGeometry();
        }
        if (level.feature) {
            taking_.Take(feature_, level.type == "Feature");
            feature_.Clear();
        }
        return true;
    }

    void EndGeometry(std::string_view type)
    {
        switch (feature_.EndGeometry(type, positionLevel_, nestingBroken_)) {
        case GeometryEnd::Area: taking_.CountArea(); break;
        case GeometryEnd::Unreadable: taking_.CountUnreadableGeometry(); break;
        case GeometryEnd::Taken: break;
        }
    }

    bool CloseArray()
    {
        Level level = std::move(levels_.back());
        levels_.pop_back();
        if (level.role == Role::Coordinates) EndCoordinates(level);
        return true;
    }

    // An array of values in the coordinates is a position; one of arrays holds positions.
    void EndCoordinates(const Level& level)
    {
        if (level.holdsArrays && level.holdsValues) nestingBroken_ = true;
        if (!level.holdsValues || level.holdsArrays) return;
        if (positionLevel_ == 0) positionLevel_ = level.depth;
        else if (positionLevel_ != level.depth) nestingBroken_ = true;
        Point p;
        const bool usable =
            !position_.unreadable && position_.count >= 2 && ValidPosition(position_.values[1], position_.values[0]);
        p.longitude = usable ? position_.values[0] : kNoValue;
        p.latitude = usable ? position_.values[1] : kNoValue;
        p.elevation = position_.values[2];
        Level* around = levels_.back().role == Role::Coordinates ? &levels_.back() : nullptr;
        p.newSection = around == nullptr || around->positions++ == 0;
        feature_.AddPosition(p);
    }

    bool Value(std::string_view text, bool number, bool null = false)
    {
        if (levels_.empty()) {
            notAnObject_ = true;
            return false;
        }
        Level& top = levels_.back();
        switch (top.role) {
        case Role::Coordinates: PositionValue(top, text, number); break;
        case Role::Times: feature_.AddTime(TimeOf(text, number, null)); break;
        case Role::Names: feature_.AddName(number || null ? std::string() : TextAsRead(text, true)); break;
        case Role::GeoObject:
            if (slot_ == Slot::Type && !number && !null && text.size() <= kLongestType) {
                top.type = text;
                geoJson_ = geoJson_ || IsGeoJsonType(text);
            }
            break;
        case Role::Properties: Property(text, number, null); break;
        case Role::PointValues: LoneValue(text, number, null); break;
        default: break;
        }
        slot_ = Slot::Other;
        return true;
    }

    void PositionValue(Level& top, std::string_view text, bool number)
    {
        top.holdsValues = true;
        const int at = position_.count++;
        if (at > 2) return;  // a measure or anything after the height is not read
        const auto value = number ? ReadDecimal(text) : std::nullopt;
        if (at < 2 && !value) position_.unreadable = true;
        if (at == 2 && !value) taking_.Elevations().Count();
        if (value) position_.values[at] = *value;
    }

    std::optional<UtcTime> TimeOf(std::string_view text, bool number, bool null)
    {
        if (null) return std::nullopt;
        const auto time = number ? std::nullopt : ParseIsoTime(text);
        if (!time) taking_.Times().Count();
        return time;
    }

    // A time or a name given alone, not in a list: the one of a Point's position,
    // whose coordinates the lists follow.
    void LoneValue(std::string_view text, bool number, bool null)
    {
        if (slot_ == Slot::Times) feature_.AddTime(TimeOf(text, number, null));
        if (slot_ == Slot::Names) feature_.AddName(number || null ? std::string() : TextAsRead(text, true));
    }

    void Property(std::string_view text, bool number, bool null)
    {
        FeatureProperties& p = feature_.properties;
        const auto text_ = [&] { return null ? std::string() : TextAsRead(text, true); };
        switch (slot_) {
        case Slot::Name: p.name = text_(); break;
        case Slot::Description: p.description = text_(); break;
        case Slot::Comment: p.comment = text_(); break;
        case Slot::Symbol: p.symbol = text_(); break;
        case Slot::Time: p.time = TimeOf(text, number, null); break;
        case Slot::Times: LoneValue(text, number, null); break;
        case Slot::Elevation:
            if (null) break;
            if (number) p.elevation = taking_.Elevations().Decimal(text).value_or(kNoValue);
            else taking_.Elevations().Count();
            break;
        case Slot::Kind:
            p.kind = text == "waypoint" ? FeatureKind::Waypoint
                     : text == "route"  ? FeatureKind::Route
                     : text == "track"  ? FeatureKind::Track
                                        : FeatureKind::Unnamed;
            break;
        default: break;
        }
    }

    // The geometry and the feature open where the file breaks off, with the
    // positions read whole.
    void Salvage()
    {
        for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
            if (level->role != Role::GeoObject) continue;
            if (level->coordinates && !level->type.empty()) EndGeometry(level->type);
            else feature_.DropGeometry();
            break;
        }
        for (const Level& level : levels_)
            if (level.role == Role::GeoObject && level.feature) {
                taking_.Take(feature_, false);
                break;
            }
        levels_.clear();
    }

    ReadResult& result_;
    FeatureTaking taking_;
    FeatureGathering feature_;
    std::vector<Level> levels_;
    Slot slot_ = Slot::Other;
    PositionValues position_;
    int positionLevel_ = 0;
    bool nestingBroken_ = false;
    bool notAnObject_ = false, tooDeep_ = false, geoJson_ = false;
};

std::string Summary(const Findings& findings)
{
    std::string text;
    for (const Finding& f : findings.All()) {
        if (!text.empty()) text += "; ";
        text += f.kind == FindingKind::Unusable && f.message.empty()
                    ? std::to_string(f.count) + (f.count == 1 ? " position" : " positions") + " not a pair of numbers"
                    : f.message;
    }
    return text;
}
}  // namespace

ReadResult ReadGeoJsonFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader bytes = source.ReadBytes();
    JsonChunks chunks(bytes);
    ReadResult result = NewReadResult(options);
    GeoJsonEvents events(options, result);
    rapidjson::Reader reader;
    constexpr unsigned kFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseStopWhenDoneFlag |
                                rapidjson::kParseNumbersAsStringsFlag | rapidjson::kParseCommentsFlag |
                                rapidjson::kParseTrailingCommasFlag;
    const rapidjson::ParseResult parsed = reader.Parse<kFlags>(chunks, events);
    if (events.NotAnObject()) throw InputRefused("This is not a GeoJSON file: it does not start with a JSON object.");
    events.Finish(parsed.IsError());
    if (parsed.IsError()) {
        const std::string reason = chunks.Overlong()  ? "a text or number longer than 4 MB"
                                   : events.TooDeep() ? "arrays and objects nested deeper than 64 levels"
                                                      : rapidjson::GetParseError_En(parsed.Code());
        const std::string where = "byte " + std::to_string(parsed.Offset());
        if (!events.SawGeoJson()) throw InputRefused("This is not a GeoJSON file: " + reason + " at " + where + ".");
        result.findings.Add(FindingKind::Damaged, "The GeoJSON file is damaged at " + where + ": " + reason +
                                                      ". Only what comes before it was read.");
    }
    if (!events.SawGeoJson() && !events.TookAny())
        throw InputRefused("This is not a GeoJSON file: its top object names no feature or geometry.");
    if (!events.TookAny() && result.findings.LeaveDataOut())
        throw InputRefused("Nothing of the GeoJSON file could be read: " + Summary(result.findings) + ".");
    return result;
}
