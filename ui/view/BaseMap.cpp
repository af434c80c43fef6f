// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/BaseMap.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "ui/view/MapProjection.h"
#include "ui/window/BackgroundPriority.h"

namespace {
constexpr qint64 kLargestFile = 64 << 20;
constexpr double kCutMargin = 4, kLeastStep = 0.7;  // pixels

const char* const kLandFiles[kBaseMapDetails] = {"land-110m.kbm", "land-50m.kbm", "land-10m.kbm"};
// The world's borders are those of 1:50 m: the coarsest there are.
const char* const kBorderFiles[kBaseMapDetails] = {"borders-50m.kbm", "borders-50m.kbm", "borders-10m.kbm"};

std::shared_ptr<const BaseMapShapes> FindLayer(const QString& name, QString& problem)
{
    for (const QString& place : BaseMapPlaces(name))
        if (QFile::exists(place))
            return std::make_shared<const BaseMapShapes>(ProjectBaseMapLayer(ReadBaseMapLayer(place, problem)));
    problem = QString("%1 was not found").arg(name);
    return std::make_shared<const BaseMapShapes>();
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

void CutToBox(std::vector<QPointF>& ring, std::vector<QPointF>& spare, const QRectF& box)
{
    const double west = box.left(), east = box.right(), north = box.top(), south = box.bottom();
    auto atX = [](double x) {
        return
            [x](QPointF a, QPointF b) { return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x())); };
    };
    auto atY = [](double y) {
        return
            [y](QPointF a, QPointF b) { return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y); };
    };
    CutRing(
        ring, spare, [west](QPointF p) { return p.x() >= west; }, atX(west));
    CutRing(
        spare, ring, [east](QPointF p) { return p.x() <= east; }, atX(east));
    CutRing(
        ring, spare, [north](QPointF p) { return p.y() >= north; }, atY(north));
    CutRing(
        spare, ring, [south](QPointF p) { return p.y() <= south; }, atY(south));
}

bool SegmentMeets(QPointF a, QPointF b, const QRectF& box)
{
    return std::max(a.x(), b.x()) >= box.left() && std::min(a.x(), b.x()) <= box.right() &&
           std::max(a.y(), b.y()) >= box.top() && std::min(a.y(), b.y()) <= box.bottom();
}
}  // namespace

BaseMapDetail DetailForScale(double pixelsPerWorld)
{
    // Tile zoom levels below 3 show continents, below 6 countries.
    if (pixelsPerWorld < 256 << 3) return BaseMapDetail::World;
    if (pixelsPerWorld < 256 << 6) return BaseMapDetail::Region;
    return BaseMapDetail::Town;
}

BaseMapShapes ProjectBaseMapLayer(const BaseMapLayer& layer)
{
    ClearUpperVectorHalves();
    BaseMapShapes out;
    out.areas = layer.kind == BaseMapLayer::Kind::Areas;
    const std::size_t count = layer.xy.size() / 2;
    out.points.resize(count);
    // Positions are quantized: each latitude's Mercator y is worked out once.
    std::int32_t south = 0, north = -1;
    for (std::size_t i = 0; i < count; ++i) {
        south = i == 0 ? layer.xy[1] : std::min(south, layer.xy[2 * i + 1]);
        north = i == 0 ? layer.xy[1] : std::max(north, layer.xy[2 * i + 1]);
    }
    std::vector<double> mercator;
    if (std::int64_t(north) - south < std::int64_t(4 * count) + 1024)
        for (std::int64_t y = south; y <= north; ++y)
            mercator.push_back(WorldOf(double(y) * layer.scaleY + layer.translateY, 0).y());
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t y = layer.xy[2 * i + 1];
        const double latitude = double(y) * layer.scaleY + layer.translateY;
        out.points[i] = QPointF((double(layer.xy[2 * i]) * layer.scaleX + layer.translateX + 180) / 360,
                                mercator.empty() ? WorldOf(latitude, 0).y() : mercator[std::size_t(y - south)]);
    }
    out.ringEnds = layer.ringEnds;
    out.shapes.reserve(layer.shapes.size());
    for (std::size_t s = 0; s < layer.shapes.size(); ++s) {
        // The Mercator is monotonic: the box of the positions gives the box in the world.
        const BaseMapBox& box = layer.shapes[s].box;
        const QPointF northWest =
            WorldOf(box.north * layer.scaleY + layer.translateY, box.west * layer.scaleX + layer.translateX);
        const QPointF southEast =
            WorldOf(box.south * layer.scaleY + layer.translateY, box.east * layer.scaleX + layer.translateX);
        out.shapes.push_back({QRectF(northWest, southEast), layer.shapes[s].ringsEnd});
    }
    return out;
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

BaseMapLayer ReadBaseMapLayer(const QString& path, QString& problem)
{
    QFile file(path);
    if (file.size() > kLargestFile) {
        problem = QString("%1 is larger than any map outline").arg(path);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QString("%1: %2").arg(path, file.errorString());
        return {};
    }
    const QByteArray bytes = file.readAll();
    std::string error;
    BaseMapLayer layer =
        DecodeBaseMapLayer({reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size())}, error);
    if (!error.empty()) problem = QString("%1 cannot be read: %2").arg(path, QString::fromStdString(error));
    return layer;
}

std::shared_ptr<const BaseMapLevel> ShippedBaseMap(BaseMapDetail detail)
{
    // The shipped files never change while the program runs: each is kept once
    // read. No one waits for another's read (a read of the background may be
    // slow on a busy machine): two reading one file at once both read it.
    static std::mutex mutex;
    static std::shared_ptr<const BaseMapLevel> levels[kBaseMapDetails];
    static std::map<QString, std::pair<std::shared_ptr<const BaseMapShapes>, QString>> layers;
    auto& level = levels[static_cast<int>(detail)];
    {
        const std::lock_guard lock(mutex);
        if (level) return level;
    }
    auto layer = [&](const QString& name) {
        {
            const std::lock_guard lock(mutex);
            if (const auto found = layers.find(name); found != layers.end()) return found->second;
        }
        QString problem;
        auto read = FindLayer(name, problem);
        const std::lock_guard lock(mutex);
        return layers.emplace(name, std::pair(read, problem)).first->second;
    };
    // A file that cannot be read gives way to a coarser one, with the reason shown.
    QString problem;
    auto usable = [&](const char* const* files) {
        for (int d = static_cast<int>(detail); d >= 0; --d) {
            const auto [shapes, why] = layer(files[d]);
            if (problem.isEmpty()) problem = why;
            if (!shapes->points.empty()) return shapes;
        }
        return layer(files[0]).first;
    };
    const auto land = usable(kLandFiles), borders = usable(kBorderFiles);
    auto made = std::make_shared<const BaseMapLevel>(BaseMapLevel{land, borders, problem});
    const std::lock_guard lock(mutex);
    if (!level) level = made;
    return level;
}

QPainterPath BaseMapPath(const BaseMapShapes& layer, QRectF viewWorld, QPointF origin, double scale)
{
    ClearUpperVectorHalves();
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const double margin = kCutMargin / scale, leastStep = kLeastStep / scale;
    const QRectF view = viewWorld.adjusted(-margin, -margin, margin, margin);
    std::vector<QPointF> ring, spare;
    QPolygonF drawn;
    for (std::size_t s = 0; s < layer.shapes.size(); ++s) {
        const QRectF& box = layer.shapes[s].box;
        if (box.left() > view.right() || box.right() < view.left() || box.top() > view.bottom() ||
            box.bottom() < view.top())
            continue;
        const bool whole = view.contains(box);
        for (std::uint32_t r = s == 0 ? 0 : layer.shapes[s - 1].ringsEnd; r < layer.shapes[s].ringsEnd; ++r) {
            // Points closer than a pixel to the one kept before add nothing to see.
            ring.clear();
            const std::uint32_t from = r == 0 ? 0 : layer.ringEnds[r - 1], to = layer.ringEnds[r];
            for (std::uint32_t p = from; p < to; ++p) {
                const QPointF& point = layer.points[p];
                if (!ring.empty() && p + 1 < to && std::fabs(point.x() - ring.back().x()) < leastStep &&
                    std::fabs(point.y() - ring.back().y()) < leastStep)
                    continue;
                ring.push_back(point);
            }
            if (!layer.areas) {
                // A segment whose box meets the view is drawn; a run of them is one line.
                bool drawing = false;
                for (std::size_t i = 1; i < ring.size(); ++i) {
                    const bool meets = whole || SegmentMeets(ring[i - 1], ring[i], view);
                    if (meets && !drawing) path.moveTo(origin + ring[i - 1] * scale);
                    if (meets) path.lineTo(origin + ring[i] * scale);
                    drawing = meets;
                }
                continue;
            }
            if (!whole) CutToBox(ring, spare, view);
            if (ring.size() < 3) continue;
            drawn.clear();
            drawn.reserve(qsizetype(ring.size()));
            for (const QPointF& p : ring) drawn << origin + p * scale;
            path.addPolygon(drawn);
            path.closeSubpath();
        }
    }
    return path;
}
