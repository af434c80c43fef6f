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

namespace {
constexpr double kOneHour = 1.0 / 24.0;
constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
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

// A field that is a number and nothing else.
template <typename Number>
std::optional<Number> Exactly(std::string_view text)
{
    text = Trimmed(text);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>)
        if (!std::isfinite(value)) return std::nullopt;
    return value;
}

// An optional sign and decimal digits, nothing else.
std::optional<int> WholeNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Degrees, then minutes: the rest of the field.
double Coordinate(std::string_view text, std::size_t paddedDegreeDigits)
{
    const std::size_t degreeDigits = DegreeDigits(text, paddedDegreeDigits);
    return TextToFloat(Part(text, 0, degreeDigits)) +
           TextToFloat(Part(text, degreeDigits, std::string_view::npos)) / 60.0;
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

// The native day count of a fix: today's UTC date when the date is unusable,
// the time of reading when there is no time.
double FixTime(std::string_view time, std::string_view date)
{
    if (IsBlank(time)) return NowUtc();
    const double hours = TextToFloat(Part(time, 0, 2));
    const double minutes = TextToFloat(Part(time, 2, 2));
    const double seconds = TextToFloat(Part(time, 4, 6));
    const auto day = DayOf(date);
    const double wholeDay = day ? *day : std::floor(NowUtc());
    return wholeDay + hours / 24 + minutes / 1440 + seconds / 86400;
}

// What tells the sentences of one fix apart: their time, by value where it is one.
struct TimeKey {
    std::optional<DayTime> time;
    std::string text;
    explicit TimeKey(std::string_view field) : time(DayTimeOf(field)), text(time ? "" : Trimmed(field)) {}
    friend bool operator==(const TimeKey&, const TimeKey&) = default;
};

struct Rmc {
    TrackPoint point;  // position and native day count
    TimeKey key;
    std::optional<std::int64_t> day;
    bool invalid;  // status V
};

struct Gga {
    TimeKey key;
    std::string time;
    double feet = -777;  // the native altitude, -777 none
    double metres = std::numeric_limits<double>::quiet_NaN();
    int quality = -1;
    std::int16_t satellites = -1;
    float hdop = kNone;
    std::optional<std::pair<double, double>> position = std::nullopt;
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
    Rmc rmc{{}, TimeKey(s.View(2, "")), std::nullopt, s.View(3, "") == "V"};
    TrackPoint& p = rmc.point;
    p.Latitude = Coordinate(s.View(4, "0000.000"), 2);
    if (s.View(5, "N") == "S") p.Latitude = -p.Latitude;
    p.Longitude = Coordinate(s.View(6, "00000.000"), 3);
    if (s.View(7, "W") == "W") p.Longitude = -p.Longitude;
    p.DateTime = FixTime(s.View(2, ""), s.View(10, ""));
    if (const auto day = DayOf(s.View(10, ""))) rmc.day = static_cast<std::int64_t>(*day);
    return rmc;
}

Gga GgaOf(const Sentence& s)
{
    Gga gga{TimeKey(s.View(2, "")), std::string(s.View(2, ""))};
    const double altitude = s.Float(10, -777);
    const bool metres = UpperText(s.View(11, "M")) == "M";
    if (altitude != -777) gga.feet = metres ? altitude * kFeetPerMetre : altitude;
    if (const auto exact = Exactly<double>(s.View(10, ""))) gga.metres = metres ? *exact : *exact / kFeetPerMetre;
    gga.quality = Exactly<int>(s.View(7, "")).value_or(-1);
    if (const auto n = Exactly<int>(s.View(8, "")); n && *n >= 0 && *n <= 9999)
        gga.satellites = static_cast<std::int16_t>(*n);
    if (const auto hdop = Exactly<float>(s.View(9, ""))) gga.hdop = *hdop;
    // A GGA without a position is no fix of its own (receivers send them before their first fix).
    if (!IsBlank(s.View(3, "")) && !IsBlank(s.View(5, ""))) {
        double latitude = Coordinate(s.View(3, ""), 2), longitude = Coordinate(s.View(5, ""), 3);
        if (s.View(4, "") == "S") latitude = -latitude;
        if (s.View(6, "") == "W") longitude = -longitude;
        gga.position.emplace(latitude, longitude);
    }
    return gga;
}

Dops DopsOf(const Sentence& s)
{
    Dops dops;
    dops.mode = Exactly<int>(s.View(3, "")).value_or(0);
    dops.pdop = Exactly<float>(s.View(16, "")).value_or(kNone);
    dops.hdop = Exactly<float>(s.View(17, "")).value_or(kNone);
    dops.vdop = Exactly<float>(s.View(18, "")).value_or(kNone);
    return dops;
}

// GPX's kind of fix (kFixNames): GGA's quality, a 2D fix where a GSA says so.
std::uint8_t FixKind(const Fix& f)
{
    enum : std::uint8_t { kUnknown, kNoFix, k2d, k3d, kDgps, kPps };
    switch (f.gga ? f.gga->quality : -1) {
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
    if (f.rmc && f.rmc->invalid) return kNoFix;
    return f.dops.mode == 1 ? kNoFix : f.dops.mode == 2 ? k2d : f.dops.mode == 3 ? k3d : kUnknown;
}

void SetValues(PointValues& v, const Fix& f)
{
    v.fix = FixKind(f);
    if (f.gga) {
        v.metres = f.gga->metres;
        v.satellites = f.gga->satellites;
        v.hdop = f.gga->hdop;
    }
    if (std::isnan(v.hdop)) v.hdop = f.dops.hdop;
    v.pdop = f.dops.pdop;
    v.vdop = f.dops.vdop;
}

class LogReader {
public:
    // False once the track is full.
    bool Take(std::string_view line)
    {
        switch (TagOf(line)) {
        case Tag::Rmc: return TakeRmc(RmcOf(Sentence(line)));
        case Tag::Gga: return TakeGga(GgaOf(Sentence(line)));
        case Tag::Gsa: TakeGsa(DopsOf(Sentence(line.substr(0, line.find('*'))))); return true;
        case Tag::Other: return true;
        }
        return true;
    }

    bool Flush()
    {
        if (!pending_) return true;
        Fix fix = std::move(*pending_);
        pending_.reset();
        return Store(fix);
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

    bool TakeGga(Gga gga)
    {
        if (pending_ && pending_->Key() == gga.key && !pending_->gga) {
            pending_->gga = std::move(gga);
            return Flush();
        }
        if (pending_ && pending_->Key() == gga.key) {  // the same fix again: the later one counts
            pending_->gga = std::move(gga);
            return true;
        }
        if (!Flush()) return false;
        pending_ = Fix{std::nullopt, std::move(gga), {}};
        return true;
    }

    // A GSA belongs to the fix whose sentence came last.
    void TakeGsa(const Dops& dops)
    {
        if (pending_) {
            pending_->dops = dops;
        } else if (last_) {
            last_->fix.dops = dops;
            SetValues(TrackPointList[last_->index].Values, last_->fix);
        }
    }

    bool Store(const Fix& f)
    {
        TrackPoint p;
        std::optional<DayTime> time;
        std::optional<std::int64_t> day;
        if (f.rmc) {
            p = f.rmc->point;
            time = f.rmc->key.time;
            day = f.rmc->day;
        } else {
            if (!f.gga->position) return true;
            p.Latitude = f.gga->position->first;
            p.Longitude = f.gga->position->second;
            p.DateTime = FixTime(f.gga->time, "");
            time = f.gga->key.time;
        }
        // No altitude stays the marker itself, so every writer sees "none".
        const double feet = f.gga ? f.gga->feet : -777;
        p.Altitude = feet == -777 ? kNoAltitude : static_cast<float>(feet / kFeetPerMetre);
        p.Known = true;
        SetValues(p.Values, f);
        const int index = TrackProps.PointCount;
        days_.Place(p, time, day, f.rmc.has_value());
        p.NewSection = index == 0 || std::fabs(p.DateTime - TrackPointList[index - 1].DateTime) > kOneHour ? 1 : 0;
        if (!StoreTrackPoint(p)) return false;
        if (TrackProps.PointCount == index) return true;
        days_.Stored(index);
        last_ = Last{index, f};
        return true;
    }

    struct Last {
        int index;
        Fix fix;
    };
    std::optional<Fix> pending_;
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
