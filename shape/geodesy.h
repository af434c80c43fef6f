// SPDX-License-Identifier: GPL-3.0-or-later
// Distances for the shaping steps: between two points on the WGS84 ellipsoid
// (GeographicLib's geodesics), and from a point to a segment, measured on a
// sphere of radius a²/b, the largest radius of curvature of the ellipsoid, so
// that the sphere's distances are never shorter than the ellipsoid's along
// the same path. Measured against the ellipsoid's geodesics, a point's
// distance from a segment up to 50 km long is off by less than 0.5% of the
// distance plus 1 cm (the property test of simplify checks this bound).
#pragma once

#include <cmath>

#include "core/document/figures.h"  // GeodesicMetres: between two positions on the ellipsoid

inline constexpr double kSphereRadius = 6399593.6259;  // a²/b of WGS84, metres

// A position as a unit vector of the sphere.
struct SpherePoint {
    double x = 0, y = 0, z = 0;
};
SpherePoint OnSphere(double latitude, double longitude);

// Metres from a point to the great-circle segment from a to b (to the
// nearer end when the point lies beyond either), the segment's planes
// worked out once for the many points measured against it. Measure gives,
// without an inverse sine, a number that grows with the distance (the sine
// of its angle up to 90 degrees, 2 less the sine beyond), for comparing many.
// Between metres on the sphere and the measure of SegmentDistance.
double MeasureOfMetres(double metres);
double MetresOfMeasure(double measure);

class SegmentDistance {
public:
    SegmentDistance(const SpherePoint& a, const SpherePoint& b);
    double Measure(const SpherePoint& p) const;
    double Metres(const SpherePoint& p) const { return MetresOfMeasure(Measure(p)); }

private:
    SpherePoint a_, b_, normal_, fromA_, toB_;
    bool point_ = false;  // a and b coincide
};
