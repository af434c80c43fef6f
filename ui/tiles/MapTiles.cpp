// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tiles/MapTiles.h"

#include <QPainter>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <cmath>

#include "ui/tiles/TileFetcher.h"
#include "ui/view/MapView.h"

namespace {
constexpr int kMostZoom = 19;
constexpr int kMostPending = 8;  // a server's fair-use rules ask for few requests at once

QString KeyOf(int z, int x, int y) { return QString("%1/%2/%3").arg(z).arg(x).arg(y); }
}  // namespace

MapTiles::MapTiles(QObject* parent) : QObject(parent) { clock_.start(); }

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
            if (const QImage* tile = held_.object(KeyOf(z, x, y))) {
                painter.drawImage(target, *tile);
                continue;
            }
            StandIn(painter, z, x, y, target);
            Request(z, x, y);
        }
    painter.restore();
}

// While a tile loads, the part of a lower zoom's tile held that covers it, scaled up.
bool MapTiles::StandIn(QPainter& painter, int z, int x, int y, const QRectF& target) const
{
    for (int up = 1; up <= z; ++up) {
        const QImage* tile = held_.object(KeyOf(z - up, x >> up, y >> up));
        if (!tile) continue;
        const int parts = 1 << up;
        const QSizeF part(double(tile->width()) / parts, double(tile->height()) / parts);
        const QPointF corner((x % parts) * part.width(), (y % parts) * part.height());
        painter.drawImage(target, *tile, QRectF(corner, part));
        return true;
    }
    return false;
}

void MapTiles::Retry()
{
    failed_.clear();
    problem_.clear();
    emit Arrived();
}

void MapTiles::Request(int z, int x, int y)
{
    const QString key = KeyOf(z, x, y);
    if (pending_.contains(key) || pending_.size() >= kMostPending) return;
    if (const auto failure = failed_.constFind(key); failure != failed_.cend())
        if (failure->attempts >= kMostAttempts || clock_.elapsed() < failure->retryAt) return;
    if (!fetcher_) {
        if (fetcherFailed_) return;
        QString error;
        fetcher_ = LoadTileFetcher(CacheFolder(), QString("kesTranscribe/") + KES_VERSION, limits_, error);
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
    const QString server = QUrl(template_).host();
    const QString retry = " (\"Retry tiles\" in the map's menu asks again)";
    if (error.isEmpty() && !image->loadFromData(bytes)) {
        // Only images that decoded stay in the cache.
        fetcher_->Forget(TileUrl(template_, key.section('/', 0, 0).toInt(), key.section('/', 1, 1).toInt(),
                                 key.section('/', 2, 2).toInt()));
        problem_ = QString("Map tiles from %1: tile %2 is not an image").arg(server, key) + retry;
    } else if (!error.isEmpty()) problem_ = QString("Map tiles from %1 fail: %2").arg(server, error) + retry;
    if (image->isNull()) {
        Failure& failure = failed_[key];
        ++failure.attempts;
        const int pause = 1000 << failure.attempts;  // 2, 4, 8 s
        failure.retryAt = clock_.elapsed() + pause;
        if (failure.attempts < kMostAttempts) QTimer::singleShot(pause, this, &MapTiles::Arrived);
        emit Arrived();
        return;
    }
    failed_.remove(key);
    if (failed_.isEmpty()) problem_.clear();
    held_.insert(key, image.release());
    emit Arrived();
}
