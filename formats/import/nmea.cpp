// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA 0183 logs as one track, from the RMC and GGA sentences of any talker
// (GPS, GLONASS, Galileo, BeiDou, several systems): a point per fix, where a
// fix is an RMC and the GGA of the same time, in either order, or one alone.
#include "formats/import/nmea.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <type_traits>

#include "core/clock.h"
#include "core/file_names.h"
#include "core/line_reader.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_fields.h"
#include "formats/import/nmea_days.h"
#include "formats/import/nmea_fields.h"

namespace {
constexpr double kOneHour = 1.0 / 24.0;
constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
// What is kept of a GGA line for its position: far more than a sentence
// holds (82 bytes), never as much as a line of any length.
constexpr std::size_t kKeptGgaLine = 4096;
using Sentence = CommaFields;

enum class Tag { Other, Rmc, Gga, Gsa };

// "$", a talker of two capitals (not "P", which starts a maker's own
// sentences), the sentence name; blanks may follow it up to the comma.
Tag TagOf(std::string_view line)
{
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    const auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (line.size() < 6 || line[0] != '$' || line[1] == 'P' || !capital(line[1]) || !capital(line[2]))
        return Tag::Other;
    const std::string_view name = line.substr(3, 3);
    const Tag tag = name == "RMC" ? Tag::Rmc : name == "GGA" ? Tag::Gga : name == "GSA" ? Tag::Gsa : Tag::Other;
    for (const char c : line.substr(6)) {
        if (c == ',') break;
        if (c != ' ') return Tag::Other;
    }
    return tag;
}

std::string_view Part(std::string_view text, std::size_t from, std::size_t count)
{
    return from >= text.size() ? std::string_view{} : text.substr(from, count);
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

// The day count of a ddmmyy field; years up to 50 are 20xx. Nothing when unusable.
std::optional<double> DayOf(std::string_view date)
{
    if (IsBlank(date) || date == "000000") return std::nullopt;
    const auto day = WholeNumber(Part(date, 0, 2));
    const auto month = WholeNumber(Part(date, 2, 2));
    const auto year = WholeNumber(Part(date, 4, 2));
    if (!day || !month || !year) return std::nullopt;
    return EncodeDate(*year + (*year <= 50 ? 2000 : 1900), *month, *day);
}

// The native day count of a fix: today's UTC date when it has none, the
// time of reading when there is no time.
double FixTime(std::string_view time, std::optional<double> day)
{
    if (IsBlank(time)) return NowUtc();
    const double hours = Decimal(Part(time, 0, 2));
    const double minutes = Decimal(Part(time, 2, 2));
    const double seconds = Decimal(Part(time, 4, 6));
    const double wholeDay = day ? *day : std::floor(NowUtc());
    return wholeDay + hours / 24 + minutes / 1440 + seconds / 86400;
}

// What tells the sentences of one fix apart: their time field, compared as
// written and, where two differ, by value ("120000.00" is "120000").
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
            long_ = true;
        }
    }
    // The time of day, for the fix stored.
    std::optional<DayTime> Time() const { return long_ ? time_ : DayTimeOf(Text()); }
    friend bool operator==(const TimeKey& a, const TimeKey& b)
    {
        if (!a.long_ && !b.long_ && a.Text() == b.Text()) return true;
        const auto time = a.Time();
        return time && time == b.Time();
    }

private:
    std::string_view Text() const { return {text_, size_}; }
    char text_[24] = {};
    std::uint8_t size_ = 0;
    bool long_ = false;
    std::optional<DayTime> time_;
};

struct Rmc {
    TrackPoint point;  // position and native day count
    TimeKey key;
    std::optional<std::int64_t> day;
    bool invalid;  // status V
};

// The GGA's own position is read only when no RMC comes with it.
struct Gga {
    TimeKey key;
    double feet = -777;  // the native altitude, -777 none
    double metres = std::numeric_limits<double>::quiet_NaN();
    int quality = -1;
    std::int16_t satellites = -1;
    float hdop = kNone;
};

// From a GSA: the dimension of the fix and its dilutions.
struct Dops {
    int mode = 0;
    float pdop = kNone, hdop = kNone, vdop = kNone;
};

struct Fix {
    std::optional<Rmc> rmc;
    std::optional<Gga> gga;
    Dops dops;
    const TimeKey& Key() const { return rmc ? rmc->key : gga->key; }
};

Rmc RmcOf(const Sentence& s)
{
    const std::string_view time = s.View(2, ""), date = s.View(10, "");
    Rmc rmc{{}, TimeKey(time), std::nullopt, s.View(3, "") == "V"};
    TrackPoint& p = rmc.point;
    p.Latitude = Coordinate(s.View(4, "0000.000"), 2);
    if (s.View(5, "N") == "S") p.Latitude = -p.Latitude;
    p.Longitude = Coordinate(s.View(6, "00000.000"), 3);
    if (s.View(7, "W") == "W") p.Longitude = -p.Longitude;
    const auto day = DayOf(date);
    p.DateTime = FixTime(time, day);
    if (day) rmc.day = static_cast<std::int64_t>(*day);
    return rmc;
}

Gga GgaOf(const Sentence& s)
{
    Gga gga{TimeKey(s.View(2, ""))};
    const std::string_view altitudeText = s.View(10, "");
    const auto exact = ExactDouble(altitudeText);
    const double altitude = exact ? *exact : s.Float(10, -777);
    const std::string_view unit = s.View(11, "M");
    const bool metres = unit == "M" || unit == "m";
    if (altitude != -777) gga.feet = metres ? altitude * kFeetPerMetre : altitude;
    if (exact) gga.metres = metres ? *exact : *exact / kFeetPerMetre;
    gga.quality = SmallCount(s.View(7, ""));
    gga.satellites = static_cast<std::int16_t>(SmallCount(s.View(8, "")));
    if (const auto hdop = ExactFloat(s.View(9, ""))) gga.hdop = *hdop;
    return gga;
}

// A GGA standing alone as its fix: a point, when it has a position (receivers
// send GGA sentences without one before their first fix).
std::optional<TrackPoint> PointOfGga(const Sentence& s)
{
    const std::string_view latitudeText = s.View(3, ""), longitudeText = s.View(5, "");
    if (IsBlank(latitudeText) || IsBlank(longitudeText)) return std::nullopt;
    TrackPoint p;
    p.Latitude = Coordinate(latitudeText, 2);
    if (s.View(4, "") == "S") p.Latitude = -p.Latitude;
    p.Longitude = Coordinate(longitudeText, 3);
    if (s.View(6, "") == "W") p.Longitude = -p.Longitude;
    p.DateTime = FixTime(s.View(2, ""), std::nullopt);
    return p;
}

Dops DopsOf(const Sentence& s)
{
    Dops dops;
    dops.mode = std::max(SmallCount(s.View(3, "")), 0);
    dops.pdop = ExactFloat(s.View(16, "")).value_or(kNone);
    dops.hdop = ExactFloat(s.View(17, "")).value_or(kNone);
    dops.vdop = ExactFloat(s.View(18, "")).value_or(kNone);
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

// The values a GSA gives, with the kind of fix they decide.
void SetDops(PointValues& v, const FixFacts& facts, float ggaHdop)
{
    v.fix = FixKind(facts);
    v.hdop = std::isnan(ggaHdop) ? facts.dops.hdop : ggaHdop;
    v.pdop = facts.dops.pdop;
    v.vdop = facts.dops.vdop;
}

class LogReader {
public:
    // False once the track is full.
    bool Take(std::string_view line)
    {
        switch (TagOf(line)) {
        case Tag::Rmc: return TakeRmc(RmcOf(Sentence(line)));
        case Tag::Gga: return TakeGga(GgaOf(Sentence(line)), line);
        case Tag::Gsa: TakeGsa(DopsOf(Sentence(line.substr(0, line.find('*'))))); return true;
        case Tag::Other: return true;
        }
        return true;
    }

    bool Flush()
    {
        if (!pending_) return true;
        const bool stored = Store(*pending_);
        pending_.reset();
        return stored;
    }

    LogDays& Days() { return days_; }

private:
    bool TakeRmc(Rmc rmc)
    {
        if (pending_ && !pending_->rmc && pending_->gga->key == rmc.key) {
            pending_->rmc = std::move(rmc);
            return Flush();
        }
        if (!Flush()) return false;
        pending_ = Fix{std::move(rmc), std::nullopt, {}};
        return true;
    }

    bool TakeGga(Gga gga, std::string_view line)
    {
        if (pending_ && pending_->Key() == gga.key) {
            const bool completes = !pending_->gga;
            pending_->gga = std::move(gga);  // a second GGA of the same fix: the later one counts
            ggaLine_.assign(line.substr(0, kKeptGgaLine));
            return completes ? Flush() : true;
        }
        if (!Flush()) return false;
        pending_ = Fix{std::nullopt, std::move(gga), {}};
        ggaLine_.assign(line.substr(0, kKeptGgaLine));  // the buffer keeps its room: no allocation per sentence
        return true;
    }

    // A GSA belongs to the fix whose sentence came last.
    void TakeGsa(const Dops& dops)
    {
        if (pending_) {
            pending_->dops = dops;
        } else if (last_) {
            last_->facts.dops = dops;
            SetDops(TrackPointList[last_->index].Values, last_->facts, last_->ggaHdop);
        }
    }

    bool Store(const Fix& f)
    {
        TrackPoint p;
        std::optional<std::int64_t> day;
        if (f.rmc) {
            p = f.rmc->point;
            day = f.rmc->day;
        } else if (auto alone = PointOfGga(Sentence(ggaLine_))) {
            p = *alone;
        } else {
            return true;
        }
        const FixFacts facts = FactsOf(f);
        const float ggaHdop = f.gga ? f.gga->hdop : kNone;
        // No altitude stays the marker itself, so every writer sees "none".
        const double feet = f.gga ? f.gga->feet : -777;
        p.Altitude = feet == -777 ? kNoAltitude : static_cast<float>(feet / kFeetPerMetre);
        p.Known = true;
        if (f.gga) {
            p.Values.metres = f.gga->metres;
            p.Values.satellites = f.gga->satellites;
        }
        SetDops(p.Values, facts, ggaHdop);
        const int index = TrackProps.PointCount;
        days_.Place(p, f.Key().Time(), day, f.rmc.has_value());
        p.NewSection = index == 0 || std::fabs(p.DateTime - TrackPointList[index - 1].DateTime) > kOneHour ? 1 : 0;
        if (!StoreTrackPoint(p)) return false;
        if (TrackProps.PointCount == index) return true;
        days_.Stored(index);
        last_ = Last{index, facts, ggaHdop};
        return true;
    }

    struct Last {
        int index;
        FixFacts facts;
        float ggaHdop;
    };
    std::optional<Fix> pending_;
    std::string ggaLine_;  // the line of the GGA pending or stored last
    std::optional<Last> last_;
    LogDays days_;
};
}  // namespace

std::size_t DegreeDigits(std::string_view field, std::size_t paddedDegreeDigits)
{
    const std::size_t whole = std::min(field.find_first_not_of("0123456789"), field.size());
    const bool plain = whole == field.size() || field[whole] == '.' || field[whole] == ',';
    if (!plain || whole >= paddedDegreeDigits + 2) return paddedDegreeDigits;
    return whole < 2 ? 0 : whole - 2;
}

bool HoldsNmeaFix(std::string_view text)
{
    for (std::size_t at = text.find('$'); at != std::string_view::npos; at = text.find('$', at + 1)) {
        const Tag tag = TagOf(text.substr(at, 7));
        if ((tag == Tag::Rmc || tag == Tag::Gga) && Part(text, at + 6, 1) == ",") return true;
    }
    return false;
}

void ReadNmeaLogFile(const std::string& fileName, bool timesLeftOut)
{
    ClearTracks();
    LineReader file = LineReader::FromFile(fileName);
    TrackProps.Name = ExtractFileName(fileName);

    LogReader log;
    std::string_view line;
    bool room = true;
    while (room && file.Next(line)) room = log.Take(line);
    if (room) log.Flush();
    log.Days().Finish(fileName, timesLeftOut);
}
