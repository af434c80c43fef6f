// SPDX-License-Identifier: GPL-3.0-or-later
// Raster map tiles from a server the user names (a URL with {z}, {x} and
// {y}), under the map's data. Off unless named: then no request is made.
// Tiles are kept on disk in the user's cache folder and asked for with the
// program's own User-Agent, by the module kes_tiles, loaded when the first
// tile is asked for.
#pragma once

#include <QCache>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <memory>

#include "ui/tiles/TileFetcher.h"

class MapView;
class QPainter;

class MapTiles : public QObject {
    Q_OBJECT
public:
    explicit MapTiles(QObject* parent = nullptr);
    ~MapTiles() override;

    // An empty template turns the tiles off.
    void SetServer(const QString& urlTemplate, const QString& attribution);
    bool Enabled() const { return !template_.isEmpty(); }
    // Turned on and the module that fetches them loaded (or not tried yet): their credit is due.
    bool Credited() const { return Enabled() && !fetcherFailed_; }
    QString Template() const { return template_; }
    QString Attribution() const { return attribution_; }
    // Why tiles are missing (the module could not be loaded, the server not
    // reached); empty while they come.
    QString Problem() const { return problem_; }
    // The URL of a tile; empty when the template lacks one of {z}, {x}, {y}.
    static QString TileUrl(const QString& urlTemplate, int z, int x, int y);
    // Where tiles are kept on disk: the user's cache folder.
    static QString CacheFolder();

    // Draws the tiles it holds for the map's view and asks for the others.
    void Draw(QPainter& painter, const MapView& map, QSize size);
    // Requests made since the tiles were turned on (for the test that none is made when off).
    int RequestsMade() const { return requests_; }
    // Asks again at once for every tile that failed ("Retry tiles" in the map's menu).
    void Retry();
    // Before the first tile is asked for; tests make them short.
    void SetLimits(const TileLimits& limits) { limits_ = limits; }
    // A failed tile is asked for again after 2, 4, ... seconds, this many times in all.
    static constexpr int kMostAttempts = 3;

signals:
    void Arrived();

private:
    void Request(int z, int x, int y);
    void Take(const QString& key, const QByteArray& bytes, const QString& error);
    bool StandIn(QPainter& painter, int z, int x, int y, const QRectF& target) const;

    QString template_, attribution_, problem_;
    std::unique_ptr<TileFetcher> fetcher_;  // made when first needed
    bool fetcherFailed_ = false;
    QCache<QString, QImage> held_{256};
    QSet<QString> pending_;
    struct Failure {
        int attempts = 0;
        qint64 retryAt = 0;  // ms of clock_
    };
    QHash<QString, Failure> failed_;  // asked for again after a pause, a few times, or on Retry
    QElapsedTimer clock_;
    TileLimits limits_;
    int requests_ = 0;
};
