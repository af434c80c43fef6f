// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA 0183 logs as one track, from the RMC and GGA sentences of any talker
// (GPS, GLONASS, Galileo, BeiDou, several systems): a point per fix, where a
// fix is an RMC and the GGA of the same time, in either order, or one alone.
// The WPL sentences a receiver sends of its stored waypoints are waypoints.
// A receiver that sends a fix from several talkers gives one point; a
// sentence whose checksum fails is left out, as a navigator leaves it.
#include "formats/import/nmea.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/document/gap_sections.h"
#include "core/document/point_entry.h"
#include "core/io/file_names.h"
#include "core/io/line_reader.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "core/text/text_units.h"
#include "core/time/clock.h"
#include "formats/import/nmea_age.h"
#include "formats/import/nmea_days.h"
#include "formats/import/nmea_fields.h"

namespace {
constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;
// What is kept of a GGA line for its position: far more than a sentence
// holds (82 bytes), never as much as a line of any length.
constexpr std::size_t kKeptGgaLine = 4096;
using Sentence = CommaFields;

enum class Tag { Other, Rmc, Gga, Gsa, Zda, Wpl };

// "$", a talker of two capitals (not "P", which starts a maker's own
// sentences), the sentence name; blanks may follow it up to the comma.
Tag TagOf(std::string_view line)
{
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    const auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (line.size() < 6 || line[0] != '$' || line[1] == 'P' || !capital(line[1]) || !capital(line[2]))
        return Tag::Other;
    const std::string_view name = line.substr(3, 3);
    const Tag tag = name == "RMC"   ? Tag::Rmc
                    : name == "GGA" ? Tag::Gga
                    : name == "GSA" ? Tag::Gsa
                    : name == "ZDA" ? Tag::Zda
                    : name == "WPL" ? Tag::Wpl
                                    : Tag::Other;
    for (const char c : line.substr(6)) {
        if (c == ',') break;
        if (c != ' ') return Tag::Other;
    }
    return tag;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A sentence without a checksum passes; one with a "*" passes when two hex
// digits follow it that equal the XOR of the bytes between "$" and "*".
bool ChecksumHolds(std::string_view line)
{
    const std::size_t star = line.find('*');
    if (star == std::string_view::npos) return true;
    const std::size_t dollar = line.find('$');
    if (dollar == std::string_view::npos || dollar > star || line.size() < star + 3) return false;
    const int high = HexDigit(line[star + 1]), low = HexDigit(line[star + 2]);
    if (high < 0 || low < 0) return false;
    // XOR is taken eight bytes at a time, then folded: every sentence of a log pays for it.
    const char* at = line.data() + dollar + 1;
    std::size_t left = star - dollar - 1;
    std::uint64_t wide = 0;
    for (; left >= 8; at += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, at, 8);
        wide ^= word;
    }
    for (int shift = 32; shift >= 8; shift /= 2) wide ^= wide >> shift;
    unsigned sum = static_cast<unsigned>(wide & 0xFF);
    for (; left > 0; ++at, --left) sum ^= static_cast<unsigned char>(*at);
    return sum == static_cast<unsigned>(high * 16 + low);
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// An optional sign and decimal digits, nothing else.
std::optional<int> WholeNumber(std::string_view text)
{
    if (text.size() == 2 && text[0] >= '0' && text[0] <= '9' && text[1] >= '0' && text[1] <= '9')
        return (text[0] - '0') * 10 + (text[1] - '0');  // the common case, sooner
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A count of up to four digits (a fix quality, satellites, a mode), blanks
// around it; nothing otherwise.
int SmallCount(std::string_view text)
{
    text = Trimmed(text);
    if (text.empty() || text.size() > 4) return -1;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Degrees, then minutes: the rest of the field.
double Coordinate(std::string_view text, std::size_t paddedDegreeDigits)
{
    const std::size_t degreeDigits = DegreeDigits(text, paddedDegreeDigits);
    return Decimal(Part(text, 0, degreeDigits)) + Decimal(Part(text, degreeDigits, std::string_view::npos)) / 60.0;
}

// Years up to 50 are 20xx.
constexpr int kCenturyPivot = 51;

// The day count of a ddmmyy field; nothing when unusable.
std::optional<std::int64_t> DayOf(std::string_view date)
{
    if (IsBlank(date) || date == "000000") return std::nullopt;
    const auto day = WholeNumber(Part(date, 0, 2));
    const auto month = WholeNumber(Part(date, 2, 2));
    const auto year = WholeNumber(Part(date, 4, 2));
    if (!day || !month || !year) return std::nullopt;
    const auto encoded = EncodeDate(FullYear(*year, kCenturyPivot), *month, *day);
    if (!encoded) return std::nullopt;
    return static_cast<std::int64_t>(*encoded);
}

// A ZDA's time of day and date, of four-digit year; nothing when either is unusable.
struct Zda {
    DayTime time;
    std::int64_t day = 0;
};

std::optional<Zda> ZdaOf(const Sentence& s)
{
    const auto time = DayTimeOf(s.View(2, ""));
    const std::string_view yearText = s.View(5, "");
    const auto day = WholeNumber(s.View(3, "")), month = WholeNumber(s.View(4, ""));
    const bool fourDigits = yearText.size() == 4 &&
                            std::all_of(yearText.begin(), yearText.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!time || !day || !month || !fourDigits) return std::nullopt;
    const auto encoded = EncodeDate(*WholeNumber(yearText), *month, *day);
    if (!encoded) return std::nullopt;
    return Zda{*time, static_cast<std::int64_t>(*encoded)};
}

// The day of the date field read last, kept: a log's fixes share their date.
class DayCache {
public:
    std::optional<std::int64_t> Of(std::string_view date)
    {
        if (kept_ && date == std::string_view(text_, size_)) return day_;
        day_ = DayOf(date);
        kept_ = date.size() <= sizeof text_;
        size_ = kept_ ? date.size() : 0;
        std::copy(date.begin(), date.begin() + static_cast<std::ptrdiff_t>(size_), text_);
        return day_;
    }

private:
    char text_[8] = {};
    std::size_t size_ = 0;
    bool kept_ = false;
    std::optional<std::int64_t> day_;
};

// What tells the sentences of one fix apart: their time field, compared as
// written and, where two differ, by value ("120000.00" is "120000"), which
// is read once, when first asked.
class TimeKey {
public:
    explicit TimeKey(std::string_view field)
    {
        field = Trimmed(field);
        if (field.size() <= sizeof text_) {
            size_ = static_cast<std::uint8_t>(field.size());
            std::copy(field.begin(), field.end(), text_);
        } else {
            time_ = DayTimeOf(field);  // too long to keep: compared by value alone
            long_ = read_ = true;
        }
    }
    bool TimeRead() const { return read_; }
    // The time of day of the fix.
    const std::optional<DayTime>& Time() const
    {
        if (!read_) {
            time_ = DayTimeOf(Text());
            read_ = true;
        }
        return time_;
    }
    friend bool operator==(const TimeKey& a, const TimeKey& b)
    {
        if (!a.long_ && !b.long_ && a.Text() == b.Text()) return true;
        return a.Time() && a.Time() == b.Time();
    }

private:
    std::string_view Text() const { return {text_, size_}; }
    char text_[24] = {};
    std::uint8_t size_ = 0;
    bool long_ = false;
    mutable bool read_ = false;  // time_ holds the value of text_
    mutable std::optional<DayTime> time_;
};

struct Position {
    double latitude = 0, longitude = 0;
};

struct Rmc {
    std::optional<Position> position;  // none where a field is blank or no number
    TimeKey key;
    std::optional<std::int64_t> day;
    bool invalid;  // status V
    double speed = kNoValue, course = kNoValue;
    std::uint16_t talker = 0;
};

// The GGA's own position is read only when no RMC comes with it.
struct Gga {
    TimeKey key;
    double metres = kNoValue;
    double geoidHeight = kNoValue;
    std::uint16_t talker = 0;
    int quality = -1;
    std::int16_t satellites = -1;
    double hdop = kNoValue;
};

// From a GSA: the dimension of the fix and its dilutions.
struct Dops {
    int mode = 0;
    double pdop = kNoValue, hdop = kNoValue, vdop = kNoValue;
};

struct Fix {
    std::optional<Rmc> rmc;
    std::optional<Gga> gga;
    Dops dops;
    const TimeKey& Key() const { return rmc ? rmc->key : gga->key; }
    // The keys of a fix are equal; this one's time was read if either's was.
    const TimeKey& KeyRead() const { return rmc && gga && gga->key.TimeRead() ? gga->key : Key(); }
};

// Which talkers gave a fix its sentences (0 none): the same sentence of the
// same time from another talker repeats the fix.
struct Talkers {
    TimeKey key;
    std::uint16_t rmc = 0, gga = 0;
};

Talkers TalkersOf(const Fix& f)
{
    return {f.KeyRead(), f.rmc ? f.rmc->talker : std::uint16_t{0}, f.gga ? f.gga->talker : std::uint16_t{0}};
}

// The two capitals after the "$".
std::uint16_t TalkerOf(std::string_view line)
{
    const std::size_t dollar = line.find('$');
    return static_cast<std::uint16_t>(static_cast<unsigned char>(line[dollar + 1]) << 8 |
                                      static_cast<unsigned char>(line[dollar + 2]));
}

// A latitude or longitude field that is a number: digits with at most a
// point and a sign, blanks around them.
bool Readable(std::string_view field)
{
    field = Trimmed(field);
    if (!field.empty() && (field.front() == '-' || field.front() == '+')) field.remove_prefix(1);
    bool digit = false, point = false;
    for (const char c : field) {
        if (c >= '0' && c <= '9') digit = true;
        else if (c == '.' && !point) point = true;
        else return false;
    }
    return digit;
}

// A latitude or longitude field's value, when it is Readable. The common
// field, digits and one point, is read in one scan, with the arithmetic of
// Coordinate (whole digits over a power of ten): every fix asks this twice.
std::optional<double> CoordinateOf(std::string_view field, std::size_t paddedDegreeDigits)
{
    static constexpr auto kTens = [] {
        std::array<std::uint64_t, 16> tens{};
        std::uint64_t ten = 1;
        for (std::uint64_t& t : tens) t = std::exchange(ten, ten * 10);
        return tens;
    }();
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const auto general = [&]() -> std::optional<double> {
        if (!Readable(field)) return std::nullopt;
        return Coordinate(field, paddedDegreeDigits);
    };
    std::uint64_t whole = 0, fraction = 0;
    std::size_t at = 0;
    for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at)
        whole = whole * 10 + static_cast<std::uint64_t>(field[at] - '0');
    const std::size_t point = at;
    if (at < field.size() && field[at] == '.') ++at;
    const std::size_t fractionStart = at;
    for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at)
        fraction = fraction * 10 + static_cast<std::uint64_t>(field[at] - '0');
    const std::size_t decimals = at - fractionStart;
    if (at != field.size() || point > 15) return general();
    if (point + decimals == 0) return std::nullopt;  // no digit
    const std::size_t degreeDigits = DegreeDigits(field, paddedDegreeDigits);
    const std::size_t minuteDigits = point - degreeDigits;
    if (minuteDigits + decimals > 15) return general();
    const std::uint64_t degrees = whole / kTens[minuteDigits];
    const std::uint64_t minutes = (whole % kTens[minuteDigits]) * kTens[decimals] + fraction;
    return static_cast<double>(degrees) + static_cast<double>(minutes) / kPowers[decimals] / 60.0;
}

double Metres(double value, std::string_view unit)
{
    return unit == "M" || unit == "m" ? value : value / kFeetPerMetre;
}

// `figures`: the speed and course are read too (ReadOptions::receiverFigures).
Rmc RmcOf(const Sentence& s, DayCache& days, bool figures)
{
    Rmc rmc{{}, TimeKey(s.View(2, "")), days.Of(s.View(10, "")), s.View(3, "") == "V"};
    const auto latitude = CoordinateOf(s.View(4, ""), 2), longitude = CoordinateOf(s.View(6, ""), 3);
    if (latitude && longitude) {
        Position p;
        p.latitude = s.View(5, "N") == "S" ? -*latitude : *latitude;
        p.longitude = s.View(7, "W") == "W" ? -*longitude : *longitude;
        rmc.position = p;
    }
    if (!figures) return rmc;
    if (const auto knots = ExactDouble(s.View(8, ""))) rmc.speed = *knots * kMetresPerSecondPerKnot;
    if (const auto course = ExactDouble(s.View(9, ""))) rmc.course = *course;
    return rmc;
}

// `figures`: the geoid height is read too.
Gga GgaOf(const Sentence& s, bool figures)
{
    Gga gga{TimeKey(s.View(2, ""))};
    if (const auto altitude = ExactDouble(s.View(10, ""))) gga.metres = Metres(*altitude, s.View(11, "M"));
    if (figures)
        if (const auto geoid = ExactDouble(s.View(12, ""))) gga.geoidHeight = Metres(*geoid, s.View(13, "M"));
    gga.quality = SmallCount(s.View(7, ""));
    gga.satellites = static_cast<std::int16_t>(SmallCount(s.View(8, "")));
    gga.hdop = ExactDouble(s.View(9, "")).value_or(kNoValue);
    return gga;
}

// A GGA standing alone as its fix: a position, when it has one (receivers
// send GGA sentences without one before their first fix).
std::optional<Position> PositionOfGga(const Sentence& s)
{
    const auto latitude = CoordinateOf(s.View(3, ""), 2), longitude = CoordinateOf(s.View(5, ""), 3);
    if (!latitude || !longitude) return std::nullopt;
    Position p;
    p.latitude = s.View(4, "") == "S" ? -*latitude : *latitude;
    p.longitude = s.View(6, "") == "W" ? -*longitude : *longitude;
    return p;
}

// A WPL's waypoint: its position and its name. One without a usable
// position keeps NaN there, for the entry to leave it out and count it.
Point WaypointOf(const Sentence& s)
{
    Point w;
    const auto latitude = CoordinateOf(s.View(2, ""), 2), longitude = CoordinateOf(s.View(4, ""), 3);
    w.latitude = latitude ? (s.View(3, "") == "S" ? -*latitude : *latitude) : kNoValue;
    w.longitude = longitude ? (s.View(5, "") == "W" ? -*longitude : *longitude) : kNoValue;
    w.name = TextAsRead(Trimmed(s.View(6, "")), true);
    return w;
}

Dops DopsOf(const Sentence& s)
{
    Dops dops;
    dops.mode = std::max(SmallCount(s.View(3, "")), 0);
    dops.pdop = ExactDouble(s.View(16, "")).value_or(kNoValue);
    dops.hdop = ExactDouble(s.View(17, "")).value_or(kNoValue);
    dops.vdop = ExactDouble(s.View(18, "")).value_or(kNoValue);
    return dops;
}

// What decides the kind of fix: GGA's quality (-1 none), an RMC's status V
// and a GSA's mode (0 none).
struct FixFacts {
    int quality = -1;
    bool invalid = false;
    Dops dops;
};

// GPX's kind of fix (kFixNames): GGA's quality, a 2D fix where a GSA says so.
std::uint8_t FixKind(const FixFacts& f)
{
    enum : std::uint8_t { kUnknown, kNoFix, k2d, k3d, kDgps, kPps };
    switch (f.quality) {
    case 0:
    case 6:  // dead reckoning,
    case 7:  // a position typed in,
    case 8:  // a simulation: no fix from the satellites
        return kNoFix;
    case 1: return f.dops.mode == 2 ? k2d : k3d;
    case 2:
    case 4:  // real-time kinematic, fixed
    case 5:  // and float: differential too
        return kDgps;
    case 3: return kPps;
    default: break;
    }
    if (f.invalid) return kNoFix;
    return f.dops.mode == 1 ? kNoFix : f.dops.mode == 2 ? k2d : f.dops.mode == 3 ? k3d : kUnknown;
}

FixFacts FactsOf(const Fix& f) { return {f.gga ? f.gga->quality : -1, f.rmc && f.rmc->invalid, f.dops}; }

// A fix the receiver says it does not have: GGA's quality 0, or an RMC's
// status V where no GGA quality says otherwise. Its altitude, dilutions,
// geoid height and satellites are the receiver's placeholders (zeros), no values.
bool Void(const FixFacts& f) { return f.quality == 0 || (f.quality < 0 && f.invalid); }

// The values a GSA gives, with the kind of fix they decide.
void SetDops(Point& p, const FixFacts& facts, double ggaHdop)
{
    p.fix = FixKind(facts);
    if (Void(facts)) {
        p.hdop = p.pdop = p.vdop = kNoValue;
        return;
    }
    p.hdop = std::isnan(ggaHdop) ? facts.dops.hdop : ggaHdop;
    p.pdop = facts.dops.pdop;
    p.vdop = facts.dops.vdop;
}

// The fixes of a log as the points of one track. The point of the latest
// fix stays open until the next one comes, since a GSA after it still adds
// to it.
class LogReader {
public:
    // `units`: what the log is written in; 16-bit text marks a unit that is
    // no ASCII character (kNotAscii).
    LogReader(PointList& points, ReadResult& result, const ReadOptions& options, TextUnits units)
        : points_(points), entry_(points, result.findings, options.trackPointsKept),
          waypoints_(result.document.waypoints, result.findings), waypointsLeftOut_(result.waypointsLeftOut),
          takesWaypoints_(options.mode != ReadMode::Tracks), figures_(options.receiverFigures),
          sixteenBit_(units != TextUnits::Bytes)
    {}
    bool Full() const { return entry_.Full(); }

    void Take(std::string_view line)
    {
        const Tag tag = TagOf(line);
        if (tag == Tag::Other) {
            // Unknown sentences come in runs of one talker, which tells once.
            if (line.size() >= 3 && line.compare(0, 3, lastOther_.data(), 3) == 0) return;
            NoteAge(line, false);
            return;
        }
        if (sixteenBit_ && line.find(kNotAscii) != std::string_view::npos) {
            ++notAscii_;
            return;
        }
        if (!ChecksumHolds(line)) {
            ++wrongChecksums_;
            return;
        }
        // The talker of most sentences of a log has told what it can already.
        if (const std::size_t talker = TalkerIndex(line);
            talker == kTalkers || !noted_[talker] || (tag == Tag::Rmc && MayEndInAStatus(line)))
            NoteAge(line, true, tag == Tag::Rmc);
        switch (tag) {
        case Tag::Rmc: {
            Rmc rmc = RmcOf(Sentence(line), dates_, figures_);
            rmc.talker = TalkerOf(line);
            TakeRmc(rmc);
            break;
        }
        case Tag::Gga: {
            Gga gga = GgaOf(Sentence(line), figures_);
            gga.talker = TalkerOf(line);
            TakeGga(gga, line);
            break;
        }
        case Tag::Gsa: TakeGsa(DopsOf(Sentence(line.substr(0, line.find('*'))))); break;
        case Tag::Zda:
            if (const auto zda = ZdaOf(Sentence(line.substr(0, line.find('*'))))) TakeZda(*zda);
            break;
        case Tag::Wpl: TakeWaypoint(WaypointOf(Sentence(line.substr(0, line.find('*'))))); break;
        case Tag::Other: break;
        }
    }

    // After the last line; how many points have a time of day without a date.
    std::int64_t Finish()
    {
        Flush();
        Close();
        return undated_;
    }
    std::int64_t WrongChecksums() const { return wrongChecksums_; }
    std::int64_t NotAscii() const { return notAscii_; }
    std::int64_t ZdaDatesOverruled() const { return zdaDatesOverruled_; }
    // The latest day its sentences show the receiver cannot have written them before.
    std::optional<UtcTime> NotBefore() const
    {
        return notBefore_ ? std::optional(UtcTime{*notBefore_, 0}) : std::nullopt;
    }
    std::int64_t WithoutPosition() const { return withoutPosition_; }

private:
    // A sentence of a talker or a field newer than those seen before; one
    // whose checksum fails shows nothing.
    // The two capital letters of a "$XX" talker as one index; kTalkers for anything else.
    static constexpr std::size_t kTalkers = 26 * 26;
    static std::size_t TalkerIndex(std::string_view line)
    {
        const auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
        if (line.size() < 3 || line[0] != '$' || !capital(line[1]) || !capital(line[2])) return kTalkers;
        return static_cast<std::size_t>(line[1] - 'A') * 26 + static_cast<std::size_t>(line[2] - 'A');
    }

    // A sentence tells by its talker, looked at once per talker, and an RMC
    // by its last field too, looked at where it may be a status letter.
    void NoteAge(std::string_view line, bool checked, bool rmc = false)
    {
        const std::size_t talker = TalkerIndex(line);
        if (talker < kTalkers && noted_[talker] && !(rmc && MayEndInAStatus(line))) return Noted(line, talker, checked);
        const auto since = WrittenNotBefore(line);
        if (!since || (notBefore_ && *since <= *notBefore_)) return Noted(line, talker, checked);
        if (!checked && !ChecksumHolds(line)) return;
        notBefore_ = since;
        Noted(line, talker, checked);
    }

    void Noted(std::string_view line, std::size_t talker, bool checked)
    {
        if (talker == kTalkers) return;
        noted_[talker] = true;
        if (!checked) std::copy_n(line.begin(), 3, lastOther_.begin());
    }

    // ",S" before the checksum or the end: an RMC that may hold a navigational status.
    static bool MayEndInAStatus(std::string_view line)
    {
        const std::size_t star = line.size() >= 3 && line[line.size() - 3] == '*' ? line.size() - 3 : line.size();
        return star >= 2 && line[star - 2] == ',' &&
               std::string_view("SCUV").find(line[star - 1]) != std::string_view::npos;
    }

    // The sentence of a fix that came already from another talker, by its time.
    bool Repeated(const TimeKey& key, bool rmc, std::uint16_t talker) const
    {
        // The cheap tests first: most sentences start a fix of their own.
        std::uint16_t earlier = 0;
        if (pending_) {
            if (!(pending_->Key() == key)) return false;
            earlier = rmc ? (pending_->rmc ? pending_->rmc->talker : 0) : (pending_->gga ? pending_->gga->talker : 0);
        } else {
            if (!placed_ || !(placed_->key == key)) return false;
            earlier = rmc ? placed_->rmc : placed_->gga;
        }
        return earlier != 0 && earlier != talker && key.Time().has_value();
    }

    // By reference, and built in place: a fix's parts are large enough for their copies to count.
    void TakeRmc(const Rmc& rmc)
    {
        if (Repeated(rmc.key, true, rmc.talker)) return;
        if (pending_ && !pending_->rmc && pending_->gga->key == rmc.key) {
            pending_->rmc.emplace(rmc);
            Flush();
            return;
        }
        Flush();
        pending_.emplace().rmc.emplace(rmc);
    }

    void TakeGga(const Gga& gga, std::string_view line)
    {
        if (Repeated(gga.key, false, gga.talker)) return;
        if (pending_ && pending_->Key() == gga.key) {
            const bool completes = !pending_->gga;
            pending_->gga.emplace(gga);  // a second GGA of the same fix: the later one counts
            ggaLine_.assign(line.substr(0, kKeptGgaLine));
            if (completes) Flush();
            return;
        }
        Flush();
        pending_.emplace().gga.emplace(gga);
        ggaLine_.assign(line.substr(0, kKeptGgaLine));  // the buffer keeps its room: no allocation per sentence
    }

    // A read for tracks passes waypoints over, counting those it would have kept.
    void TakeWaypoint(const Point& w)
    {
        if (takesWaypoints_) waypoints_.Add(w);
        else waypointsLeftOut_ += ValidPosition(w) ? 1 : 0;
    }

    // A GSA belongs to the fix whose sentence came last.
    void TakeGsa(const Dops& dops)
    {
        if (pending_) {
            pending_->dops = dops;
        } else if (open_) {
            last_.facts.dops = dops;
            SetDops(point_, last_.facts, last_.ggaHdop);
        }
    }

    // A ZDA dates the log where its time of day stands among the fixes':
    // one that comes while a fix waits for its other sentences is of that
    // fix's time or later, and is taken once the fix is placed.
    void TakeZda(const Zda& zda)
    {
        if (pending_) heldZda_ = zda;
        else Date(zda);
    }

    void Date(const Zda& zda) { Shift(days_.Date(zda.time, zda.day)); }

    void Shift(const LogDays::Shift& shift)
    {
        if (shift.moveEarlierBy) MoveEarlier(*shift.moveEarlierBy);
        zdaDatesOverruled_ += shift.zdaDatesOverruled;
    }

    void Flush()
    {
        if (!pending_) return;
        Place(*pending_);
        placed_ = TalkersOf(*pending_);  // after Place, which reads the time the key keeps
        pending_.reset();
        if (heldZda_) Date(*std::exchange(heldZda_, std::nullopt));
    }

    void Place(const Fix& f)
    {
        std::optional<Position> found;
        std::optional<std::int64_t> day;
        if (f.rmc) {
            found = f.rmc->position;
            day = f.rmc->day;
        }
        if (!found && f.gga) found = PositionOfGga(Sentence(ggaLine_));
        // A fix left out still gives the log its date.
        std::optional<LogDays::Placed> placed;
        if (const auto time = f.KeyRead().Time()) {
            placed = days_.Place(*time, day);
            Shift(placed->shift);
        }
        if (!found) {
            ++withoutPosition_;
            return;
        }
        const Position position = *found;
        if (!std::isfinite(position.latitude) || !std::isfinite(position.longitude)) {
            Point unusable;
            unusable.latitude = position.latitude;
            unusable.longitude = position.longitude;
            entry_.Add(unusable);  // left out, and counted
            return;
        }
        Close();
        Point& p = point_;
        p.latitude = position.latitude;
        p.longitude = position.longitude;
        const FixFacts facts = FactsOf(f);
        const bool figures = f.gga && !Void(facts);
        p.elevation = figures ? f.gga->metres : kNoValue;
        p.geoidHeight = figures ? f.gga->geoidHeight : kNoValue;
        p.speed = f.rmc ? f.rmc->speed : kNoValue;
        p.course = f.rmc ? f.rmc->course : kNoValue;
        p.satellites = figures ? f.gga->satellites : std::int16_t{-1};
        const double ggaHdop = f.gga ? f.gga->hdop : kNoValue;
        SetDops(p, facts, ggaHdop);
        p.time.reset();
        p.undated = placed && placed->undated;
        if (placed) p.time = placed->time;
        undated_ += p.undated ? 1 : 0;
        p.newSection = !placedAny_ || (p.time && last_.time && BeyondSectionGap(*last_.time, *p.time));
        placedAny_ = open_ = true;
        last_ = {facts, ggaHdop, p.time ? p.time : last_.time};
    }

    // Enters the open point.
    void Close()
    {
        if (open_) entry_.Add(point_);
        open_ = false;
    }

    // The log's first date, or its first RMC date after ZDA dates that
    // disagree: the fixes before take their dates from it.
    void MoveEarlier(std::int64_t seconds)
    {
        const auto moved = [seconds](Point& p) {
            if (!p.time) return;
            p.time->seconds += seconds;
            p.undated = false;
        };
        if (undated_ > 0 || seconds != 0) {
            PointList dated = points_.EmptyLike();
            points_.ForEach([&](const Point& p) {
                Point q = p;
                moved(q);
                dated.push_back(q);
            });
            points_ = std::move(dated);
        }
        if (open_) moved(point_);
        if (last_.time) last_.time->seconds += seconds;
        undated_ = 0;
    }

    struct Last {
        FixFacts facts;
        double ggaHdop = kNoValue;
        std::optional<UtcTime> time;  // of the latest fix that had one
    };
    PointList& points_;
    PointEntry entry_;
    PointEntry waypoints_;
    std::int64_t& waypointsLeftOut_;
    const bool takesWaypoints_;
    const bool figures_;
    const bool sixteenBit_;
    std::optional<Fix> pending_;
    std::optional<Zda> heldZda_;     // came while pending_ waited
    std::optional<Talkers> placed_;  // of the fix placed last
    std::string ggaLine_;            // the line of the GGA pending or placed last
    Point point_;                    // the open point
    bool open_ = false;
    bool placedAny_ = false;
    Last last_;
    LogDays days_;
    DayCache dates_;
    std::int64_t undated_ = 0;
    std::optional<std::int64_t> notBefore_;
    std::bitset<kTalkers> noted_;      // the talkers looked at
    std::array<char, 3> lastOther_{};  // "$GP": the talker of the unknown sentences before
    std::int64_t wrongChecksums_ = 0;
    std::int64_t notAscii_ = 0;
    std::int64_t zdaDatesOverruled_ = 0;
    std::int64_t withoutPosition_ = 0;
};
}  // namespace

std::size_t DegreeDigits(std::string_view field, std::size_t paddedDegreeDigits)
{
    std::size_t whole = 0;
    while (whole < field.size() && field[whole] >= '0' && field[whole] <= '9') ++whole;
    const bool plain = whole == field.size() || field[whole] == '.' || field[whole] == ',';
    if (!plain || whole >= paddedDegreeDigits + 2) return paddedDegreeDigits;
    return whole < 2 ? 0 : whole - 2;
}

bool HoldsNmeaData(std::string_view text)
{
    for (std::size_t at = text.find('$'); at != std::string_view::npos; at = text.find('$', at + 1)) {
        const Tag tag = TagOf(text.substr(at, 7));
        if ((tag == Tag::Rmc || tag == Tag::Gga || tag == Tag::Wpl) && Part(text, at + 6, 1) == ",") return true;
    }
    return false;
}

ReadResult ReadNmeaLogFile(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLinesOfAnyUnits();
    ReadResult result = NewReadResult(options);
    Track track = result.document.NewTrack();
    track.info.name = ExtractFileName(source.Name());
    LogReader log(track.points, result, options, file.Units());
    std::string_view line;
    while (!log.Full() && file.Next(line)) log.Take(line);
    if (const std::int64_t undated = log.Finish(); undated > 0)
        result.findings.Add(FindingKind::Undated, "the log gives no date", undated);
    if (const std::int64_t wrong = log.WrongChecksums(); wrong > 0)
        result.findings.Add(FindingKind::Skipped,
                            wrong == 1 ? std::string("1 sentence with a wrong checksum was skipped")
                                       : std::to_string(wrong) + " sentences with a wrong checksum were skipped",
                            wrong);
    if (const std::int64_t notAscii = log.NotAscii(); notAscii > 0)
        result.findings.Add(FindingKind::Skipped,
                            notAscii == 1
                                ? std::string("1 sentence with a character other than ASCII was skipped")
                                : std::to_string(notAscii) + " sentences with characters other than ASCII were skipped",
                            notAscii);
    if (const std::int64_t overruled = log.ZdaDatesOverruled(); overruled > 0)
        result.findings.Add(FindingKind::Notice,
                            overruled == 1
                                ? std::string("1 ZDA date disagrees with the log's RMC dates, which were kept")
                                : std::to_string(overruled) +
                                      " ZDA dates disagree with the log's RMC dates, which were kept",
                            overruled);
    if (const std::int64_t unplaced = log.WithoutPosition(); unplaced > 0)
        result.findings.Add(FindingKind::Unusable, {}, unplaced);
    // A log holds no sections: they are made where its fixes lie an hour apart.
    track.sectionsAtGaps = true;
    track.loggedNotBefore = log.NotBefore();
    if (!track.points.empty()) result.document.tracks.push_back(std::move(track));
    return result;
}
