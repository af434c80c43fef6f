// SPDX-License-Identifier: GPL-3.0-or-later
#include "shape/geodesy.h"

#include <algorithm>
#include <numbers>

namespace {
double Dot(const SpherePoint& a, const SpherePoint& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
SpherePoint Cross(const SpherePoint& a, const SpherePoint& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
}  // namespace

SpherePoint OnSphere(double latitude, double longitude)
{
    const double phi = latitude * std::numbers::pi / 180, lambda = longitude * std::numbers::pi / 180;
    return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
}

SegmentDistance::SegmentDistance(const SpherePoint& a, const SpherePoint& b) : a_(a), b_(b)
{
    const SpherePoint normal = Cross(a, b);
    const double length = std::sqrt(Dot(normal, normal));
    point_ = length < 1e-15;
    if (point_) return;
    normal_ = {normal.x / length, normal.y / length, normal.z / length};
    fromA_ = Cross(normal_, a);
    toB_ = Cross(b, normal_);
}

double MeasureOfMetres(double metres)
{
    const double angle = std::min(metres / kSphereRadius, std::numbers::pi);
    return angle <= std::numbers::pi / 2 ? std::sin(angle) : 2 - std::sin(angle);
}

double MetresOfMeasure(double measure)
{
    const double angle = measure <= 1 ? std::asin(std::max(0.0, measure)) : std::numbers::pi - std::asin(2 - measure);
    return kSphereRadius * angle;
}

namespace {
// The measure of the angle between two unit vectors.
double MeasureBetween(const SpherePoint& p, const SpherePoint& q)
{
    const SpherePoint c = Cross(p, q);
    const double sine = std::min(1.0, std::sqrt(Dot(c, c)));
    return Dot(p, q) >= 0 ? sine : 2 - sine;
}
}  // namespace

double SegmentDistance::Measure(const SpherePoint& p) const
{
    if (point_) return MeasureBetween(p, a_);
    // p's foot on the great circle lies between a and b when p is on b's
    // side of the plane through a and on a's side of the plane through b.
    if (Dot(p, fromA_) >= 0 && Dot(p, toB_) >= 0) return std::min(1.0, std::abs(Dot(p, normal_)));
    return std::min(MeasureBetween(p, a_), MeasureBetween(p, b_));
}
