// SPDX-License-Identifier: GPL-3.0-or-later
// What the map's tiles ask of the network: the module kes_tiles fetches a
// tile's bytes through a disk cache; only it links the network libraries.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

// What a tile may cost: a server that stalls, or sends more than a tile, is cut off.
struct TileLimits {
    int idleMs = 15000;            // no byte for this long (connecting included): given up
    qint64 largestTile = 4 << 20;  // bytes; a larger tile is aborted as it streams, never stored
};

class TileFetcher {
public:
    virtual ~TileFetcher() = default;
    // Called on the window's thread with the tile's bytes, or with why there are none.
    using Done = std::function<void(const QByteArray& bytes, const QString& error)>;
    // Asks for the tile at url, from the disk cache while it is fresh.
    virtual void Fetch(const QString& url, Done done) = 0;
    // Gives up every request under way; their Done is not called.
    virtual void AbortAll() = 0;
    // Takes the tile at url out of the disk cache: its bytes were no image.
    virtual void Forget(const QString& url) = 0;
};

// The module's entry point.
using MakeTileFetcherFunction = TileFetcher* (*)(const QString& cacheFolder, const QString& userAgent,
                                                 const TileLimits& limits);
inline constexpr char kMakeTileFetcher[] = "KesMakeTileFetcherWithLimits";

// Loads kes_tiles and makes a fetcher; null with the reason in error when the module cannot be loaded.
std::unique_ptr<TileFetcher> LoadTileFetcher(const QString& cacheFolder, const QString& userAgent,
                                             const TileLimits& limits, QString& error);
