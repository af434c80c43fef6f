// SPDX-License-Identifier: GPL-3.0-or-later
// What the map's tiles ask of the network: the module kes_tiles fetches a
// tile's bytes through a disk cache; only it links the network libraries.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class TileFetcher {
public:
    virtual ~TileFetcher() = default;
    // Called on the window's thread with the tile's bytes, or with why there are none.
    using Done = std::function<void(const QByteArray& bytes, const QString& error)>;
    // Asks for the tile at url, from the disk cache while it is fresh.
    virtual void Fetch(const QString& url, Done done) = 0;
    // Gives up every request under way; their Done is not called.
    virtual void AbortAll() = 0;
};

// The module's entry point.
using MakeTileFetcherFunction = TileFetcher* (*)(const QString& cacheFolder, const QString& userAgent);
inline constexpr char kMakeTileFetcher[] = "KesMakeTileFetcher";

// Loads kes_tiles and makes a fetcher; null with the reason in error when the module cannot be loaded.
std::unique_ptr<TileFetcher> LoadTileFetcher(const QString& cacheFolder, const QString& userAgent, QString& error);
