// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MapTiles.h"

#include <QPainter>
#include <QStandardPaths>
#include <QUrl>
#include <cmath>

#include "ui/MapView.h"
#include "ui/TileFetcher.h"

namespace {
constexpr int kMostZoom = 19;
constexpr int kMostPending = 8;  // a server's fair-use rules ask for few requests at once

QString KeyOf(int z, int x, int y) { return QString("%1/%2/%3").arg(z).arg(x).arg(y); }
}  // namespace

MapTiles::MapTiles(QObject* parent) : QObject(parent) {}

MapTiles::~MapTiles() = default;

void MapTiles::SetServer(const QString& urlTemplate, const QString& attribution)
{
    const QString trimmed = urlTemplate.trimmed();
    if (trimmed == template_ && attribution == attribution_) return;
    template_ = TileUrl(trimmed, 0, 0, 0).isEmpty() ? QString() : trimmed;
    attribution_ =
        attribution.trimmed().isEmpty() ? QString("Tiles: ") + QUrl(template_).host() : attribution.trimmed();
    held_.clear();
    // Requests to the server before are given up: turned off, none goes on.
    if (fetcher_) fetcher_->AbortAll();
    pending_.clear();
    failed_.clear();
    if (!fetcherFailed_) problem_.clear();
    emit Arrived();
}

QString MapTiles::TileUrl(const QString& urlTemplate, int z, int x, int y)
{
    if (!urlTemplate.contains("{z}") || !urlTemplate.contains("{x}") || !urlTemplate.contains("{y}")) return {};
    QString url = urlTemplate;
    url.replace("{z}", QString::number(z)).replace("{x}", QString::number(x)).replace("{y}", QString::number(y));
    const QUrl parsed(url);
    return parsed.isValid() && (parsed.scheme() == "https" || parsed.scheme() == "http") ? url : QString();
}

QString MapTiles::CacheFolder() { return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/tiles"; }

void MapTiles::Draw(QPainter& painter, const MapView& map, QSize size)
{
    if (!Enabled()) return;
    const int z = std::clamp(static_cast<int>(std::lround(std::log2(map.Scale() / 256))), 0, kMostZoom);
    const int count = 1 << z;
    const QPointF topLeft = map.WorldAt(QPointF(0, 0), size) * count;
    const QPointF bottomRight = map.WorldAt(QPointF(size.width(), size.height()), size) * count;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int y = std::max(0, int(std::floor(topLeft.y()))); y <= std::min(count - 1, int(bottomRight.y())); ++y)
        for (int x = std::max(0, int(std::floor(topLeft.x()))); x <= std::min(count - 1, int(bottomRight.x())); ++x) {
            const QRectF target(map.ScreenOf(QPointF(x, y) / count, size),
                                map.ScreenOf(QPointF(x + 1, y + 1) / count, size));
            if (const QImage* tile = held_.object(KeyOf(z, x, y))) painter.drawImage(target, *tile);
            else Request(z, x, y);
        }
    painter.restore();
}

void MapTiles::Request(int z, int x, int y)
{
    const QString key = KeyOf(z, x, y);
    if (pending_.contains(key) || failed_.contains(key) || pending_.size() >= kMostPending) return;
    if (!fetcher_) {
        if (fetcherFailed_) return;
        QString error;
        fetcher_ = LoadTileFetcher(CacheFolder(), QString("kesTranscribe/") + KES_VERSION, error);
        if (!fetcher_) {
            // Said once on the map; the map goes on without tiles.
            fetcherFailed_ = true;
            problem_ = "Map tiles cannot be shown: " + error;
            emit Arrived();
            return;
        }
    }
    pending_.insert(key);
    ++requests_;
    fetcher_->Fetch(TileUrl(template_, z, x, y),
                    [this, key, server = template_](const QByteArray& bytes, const QString& error) {
                        if (server == template_) Take(key, bytes, error);  // else a tile of a server since changed
                    });
}

void MapTiles::Take(const QString& key, const QByteArray& bytes, const QString& error)
{
    pending_.remove(key);
    auto image = std::make_unique<QImage>();
    if (error.isEmpty() && !image->loadFromData(bytes)) problem_ = QString("Map tile %1 is not an image").arg(key);
    else if (!error.isEmpty()) problem_ = "Map tiles: " + error;
    if (image->isNull()) {
        failed_.insert(key);
        emit Arrived();
        return;
    }
    problem_.clear();
    held_.insert(key, image.release());
    emit Arrived();
}
