// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BaseMap.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>

#include "ui/MapProjection.h"

namespace {
constexpr qint64 kLargestFile = 64 << 20;

const char* const kLandFiles[kBaseMapDetails] = {"land-110m.kbm", "land-50m.kbm", "land-10m.kbm"};
// The world's borders are those of 1:50 m: the coarsest there are.
const char* const kBorderFiles[kBaseMapDetails] = {"borders-50m.kbm", "borders-50m.kbm", "borders-10m.kbm"};

std::shared_ptr<const BaseMapLayer> FindLayer(const QString& name, QString& problem)
{
    for (const QString& place : BaseMapPlaces(name))
        if (QFile::exists(place)) return ReadBaseMapLayer(place, problem);
    problem = QString("%1 was not found").arg(name);
    return std::make_shared<const BaseMapLayer>();
}

// A box in the layer's positions around a box in world units.
BaseMapBox PositionsAround(const BaseMapLayer& layer, QRectF world)
{
    const double west = (LongitudeOf(world.topLeft()) - layer.translateX) / layer.scaleX;
    const double east = (LongitudeOf(world.bottomRight()) - layer.translateX) / layer.scaleX;
    const double north = (LatitudeOf(QPointF(0, std::max(world.top(), 0.0))) - layer.translateY) / layer.scaleY;
    const double south = (LatitudeOf(QPointF(0, std::min(world.bottom(), 1.0))) - layer.translateY) / layer.scaleY;
    auto clamp = [](double v) { return static_cast<std::int32_t>(std::clamp(v, -2e9, 2e9)); };
    // Beyond the Mercator square north and south: the poles' land is clamped into it.
    const bool top = world.top() <= 0, bottom = world.bottom() >= 1;
    return {clamp(std::floor(west)), bottom ? std::numeric_limits<std::int32_t>::min() : clamp(std::floor(south)),
            clamp(std::ceil(east)), top ? std::numeric_limits<std::int32_t>::max() : clamp(std::ceil(north))};
}

// One pass of cutting a closed ring at a line: keeps the side where
// inside(p) holds, with the crossing points added.
template <typename Inside, typename Cross>
void CutRing(const std::vector<QPointF>& in, std::vector<QPointF>& out, Inside inside, Cross cross)
{
    out.clear();
    if (in.empty()) return;
    QPointF previous = in.back();
    bool previousIn = inside(previous);
    for (const QPointF& p : in) {
        const bool pIn = inside(p);
        if (pIn != previousIn) out.push_back(cross(previous, p));
        if (pIn) out.push_back(p);
        previous = p;
        previousIn = pIn;
    }
}

void CutToBox(std::vector<QPointF>& ring, std::vector<QPointF>& spare, const BaseMapBox& box)
{
    const double west = box.west, east = box.east, south = box.south, north = box.north;
    auto atX = [](double x) {
        return [x](QPointF a, QPointF b) { return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x())); };
    };
    auto atY = [](double y) {
        return [y](QPointF a, QPointF b) { return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y); };
    };
    CutRing(ring, spare, [west](QPointF p) { return p.x() >= west; }, atX(west));
    CutRing(spare, ring, [east](QPointF p) { return p.x() <= east; }, atX(east));
    CutRing(ring, spare, [south](QPointF p) { return p.y() >= south; }, atY(south));
    CutRing(spare, ring, [north](QPointF p) { return p.y() <= north; }, atY(north));
}
}  // namespace

BaseMapDetail DetailForScale(double pixelsPerWorld)
{
    // Tile zoom levels below 3 show continents, below 6 countries.
    if (pixelsPerWorld < 256 << 3) return BaseMapDetail::World;
    if (pixelsPerWorld < 256 << 6) return BaseMapDetail::Region;
    return BaseMapDetail::Town;
}

QStringList BaseMapPlaces(const QString& name)
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList places = {program + "/" + name, program + "/../share/kesTranscribe/" + name};
    places << QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "kesTranscribe/" + name);
    // Programs of the build tree outside its bin folder (tests, benchmarks).
    places << QString(KES_BUILD_SHARE) + "/" + name;
    return places;
}

std::shared_ptr<const BaseMapLayer> ReadBaseMapLayer(const QString& path, QString& problem)
{
    QFile file(path);
    if (file.size() > kLargestFile) {
        problem = QString("%1 is larger than any map outline").arg(path);
        return std::make_shared<const BaseMapLayer>();
    }
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QString("%1: %2").arg(path, file.errorString());
        return std::make_shared<const BaseMapLayer>();
    }
    const QByteArray bytes = file.readAll();
    std::string error;
    auto layer = std::make_shared<const BaseMapLayer>(
        DecodeBaseMapLayer({reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size())}, error));
    if (!error.empty()) problem = QString("%1 cannot be read: %2").arg(path, QString::fromStdString(error));
    return layer;
}

std::shared_ptr<const BaseMapLevel> ShippedBaseMap(BaseMapDetail detail)
{
    // The shipped files never change while the program runs: each is read once.
    static std::mutex mutex;
    static std::shared_ptr<const BaseMapLevel> levels[kBaseMapDetails];
    static std::map<QString, std::pair<std::shared_ptr<const BaseMapLayer>, QString>> layers;
    const std::lock_guard lock(mutex);
    auto& level = levels[static_cast<int>(detail)];
    if (level) return level;
    auto layer = [&](const QString& name) {
        auto found = layers.find(name);
        if (found == layers.end()) {
            QString problem;
            auto read = FindLayer(name, problem);
            found = layers.emplace(name, std::pair(read, problem)).first;
        }
        return found->second;
    };
    const auto [land, landProblem] = layer(kLandFiles[static_cast<int>(detail)]);
    const auto [borders, bordersProblem] = layer(kBorderFiles[static_cast<int>(detail)]);
    QString problem = landProblem.isEmpty() ? bordersProblem : landProblem;
    level = std::make_shared<const BaseMapLevel>(BaseMapLevel{land, borders, problem});
    return level;
}

QPainterPath BaseMapPath(const BaseMapLayer& layer, QRectF viewWorld, QPointF origin, double scale)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    // Cuts lie a few pixels beyond the view, so the coast drawn along them does not show.
    const double margin = 4 / scale;
    const BaseMapBox view = PositionsAround(layer, viewWorld.adjusted(-margin, -margin, margin, margin));
    auto pixel = [&](QPointF p) {
        return origin + WorldOf(p.y() * layer.scaleY + layer.translateY, p.x() * layer.scaleX + layer.translateX) * scale;
    };
    std::vector<QPointF> ring, spare;
    QPolygonF drawn;
    for (std::size_t s = 0; s < layer.shapes.size(); ++s) {
        if (!layer.shapes[s].box.Meets(view)) continue;
        const bool whole = view.Holds(layer.shapes[s].box);
        for (std::uint32_t r = layer.RingsBegin(s); r < layer.shapes[s].ringsEnd; ++r) {
            ring.clear();
            for (std::uint32_t p = layer.PositionsBegin(r); p < layer.ringEnds[r]; ++p)
                ring.emplace_back(layer.xy[2 * p], layer.xy[2 * p + 1]);
            drawn.clear();
            if (layer.kind == BaseMapLayer::Kind::Lines) {
                // A segment whose box meets the view is drawn; a run of them is one line.
                bool drawing = false;
                for (std::size_t i = 1; i < ring.size(); ++i) {
                    const QPointF a = ring[i - 1], b = ring[i];
                    const bool meets = whole || (std::max(a.x(), b.x()) >= view.west && std::min(a.x(), b.x()) <= view.east &&
                                                 std::max(a.y(), b.y()) >= view.south && std::min(a.y(), b.y()) <= view.north);
                    if (meets && !drawing) path.moveTo(pixel(a));
                    if (meets) path.lineTo(pixel(b));
                    drawing = meets;
                }
                continue;
            }
            if (!whole) CutToBox(ring, spare, view);
            if (ring.size() < 3) continue;
            drawn.reserve(qsizetype(ring.size()));
            for (const QPointF& p : ring) drawn << pixel(p);
            path.addPolygon(drawn);
            path.closeSubpath();
        }
    }
    return path;
}
