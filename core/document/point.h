// SPDX-License-Identifier: GPL-3.0-or-later
// One point of a document (a waypoint, a route point or a track point) with
// every value any reader knows, at the precision its input gave.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/time/utc_time.h"

struct Link {
    std::string href{}, text{}, type{};
    friend bool operator==(const Link&, const Link&) = default;
};

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
// The one factor between the feet of the native files and metres.
inline constexpr double kFeetPerMetre = 3.2808;

// The fix kinds of GPX, by their index in Point::fix.
inline constexpr const char* kFixNames[] = {"", "none", "2d", "3d", "dgps", "pps"};

// What a waypoint of a navigation device holds beyond the common fields: its
// address, phone and categories, its alarm circle and display.
struct DeviceDetails {
    std::string street{}, city{}, state{}, postalCode{}, country{}, phone{};
    std::vector<std::string> categories{};
    double proximity = kNoValue;  // metres
    double depth = kNoValue;      // metres
    double celsius = kNoValue;    // temperature
    std::string displayMode{};    // "SymbolOnly", "SymbolAndName", "SymbolAndDescription"
    // Compared field by field: the defaulted comparison finds NaN unequal to itself.
    bool Empty() const
    {
        return street.empty() && city.empty() && state.empty() && postalCode.empty() && country.empty() &&
               phone.empty() && categories.empty() && std::isnan(proximity) && std::isnan(depth) &&
               std::isnan(celsius) && displayMode.empty();
    }
    friend bool operator==(const DeviceDetails&, const DeviceDetails&) = default;
};

// How a point goes into the native files where its reader gives it a form of
// its own there: readers of device formats set the native heights, numbers
// and days by rules of their own, which these keep apart from the point's
// values as read. Empty: the native writers derive everything from the point.
// Texts have no native form: a native file gets the same names and texts
// whatever the input.
struct NativeForm {
    // A waypoint's altitude, or a track point's where its reader rounds it to
    // whole feet; -777 none.
    std::optional<float> feet{};
    std::optional<std::int16_t> symbol{};
    std::optional<std::int32_t> number{};  // of a route point, linking it to its waypoint
    // Without a time the point takes the native files' day of no date
    // (1992-01-02), not the time of conversion.
    bool noDateDay = false;
    // The point takes the time of conversion whatever time it holds: a route
    // point that holds what its waypoint holds, the time included, which the
    // native route files never gave it.
    bool dayOfConversion = false;
    // Field by field: asked of every point packed.
    bool Empty() const { return !feet && !symbol && !number && !noDateDay && !dayOfConversion; }
    friend bool operator==(const NativeForm&, const NativeForm&) = default;
};

// NaN, negative counts and empty texts mean none.
struct Point {
    double latitude = 0;
    double longitude = 0;
    double elevation = kNoValue;  // metres above sea level
    std::optional<UtcTime> time{};

    double speed = kNoValue;              // metres per second
    double course = kNoValue;             // degrees from true north
    double magneticVariation = kNoValue;  // degrees
    double geoidHeight = kNoValue;        // metres of the geoid above the ellipsoid
    double hdop = kNoValue, vdop = kNoValue, pdop = kNoValue;
    double ageOfDgps = kNoValue;  // seconds
    double celsius = kNoValue;    // air temperature
    double waterCelsius = kNoValue;
    double depth = kNoValue;  // metres
    std::int32_t dgpsStation = -1;
    std::int16_t satellites = -1;
    std::int16_t heartRate = -1;  // beats per minute
    std::int16_t cadence = -1;    // per minute
    std::uint8_t fix = 0;         // see kFixNames; 0 none
    // The first point of a track section (a track's first point always is).
    bool newSection = false;
    // The time is a time of day whose date the input does not give: it is
    // counted from 1970-01-01 standing for the unknown first day, so that a
    // date given later moves every such time of a file by the same days.
    bool undated = false;
    // The symbol's number in the native files' symbol table where the input
    // gave a number; -1 when it gave a name or none.
    std::int16_t symbolCode = -1;

    std::string name{}, comment{}, description{}, source{}, symbol{}, type{};  // UTF-8
    std::vector<Link> links{};
    DeviceDetails device{};
    // XML kept as read (the children of the point's extensions that no field
    // takes), for the outputs that can hold it.
    std::string extensions{};
    // The point had extension elements that the read left out, its output
    // holding none (ReadOptions::keptExtensions): a writer still says so.
    bool extensionsLeftOut = false;
    NativeForm native{};

    bool HasElevation() const { return !std::isnan(elevation); }
    bool HasTexts() const
    {
        return !name.empty() || !comment.empty() || !description.empty() || !source.empty() || !symbol.empty() ||
               !type.empty() || !links.empty();
    }
    friend bool operator==(const Point& a, const Point& b);
};

// A text of the point, its links' and its address's, holds a byte beyond ASCII (a list asks
// it of the points that have a name, comment, description, source, symbol, type or link).
bool HoldsNonAsciiText(const Point& p);

// A latitude from -90 to 90 and a longitude from -180 to 180, both finite.
bool ValidPosition(double latitude, double longitude);
inline bool ValidPosition(const Point& p) { return ValidPosition(p.latitude, p.longitude); }
