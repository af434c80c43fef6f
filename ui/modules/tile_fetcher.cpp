// SPDX-License-Identifier: GPL-3.0-or-later
// The module kes_tiles: map tiles fetched over HTTP(S) with the program's
// User-Agent, through a disk cache that serves them again when the server is out of reach.
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "ui/TileFetcher.h"

namespace {
constexpr qint64 kDiskCacheBytes = 200LL << 20;
constexpr qint64 kLargestTile = 4 << 20;

class NetworkTileFetcher final : public TileFetcher {
public:
    NetworkTileFetcher(const QString& cacheFolder, const QString& userAgent) : userAgent_(userAgent)
    {
        auto* disk = new QNetworkDiskCache(&network_);
        disk->setCacheDirectory(cacheFolder);
        disk->setMaximumCacheSize(kDiskCacheBytes);
        network_.setCache(disk);
    }
    ~NetworkTileFetcher() override { AbortAll(); }

    void Fetch(const QString& url, Done done) override
    {
        Get(QUrl(url), QNetworkRequest::PreferCache, std::move(done));
    }

    void AbortAll() override
    {
        for (QNetworkReply* reply : network_.findChildren<QNetworkReply*>()) {
            QObject::disconnect(reply, nullptr, &replies_, nullptr);
            reply->abort();
            reply->deleteLater();
        }
    }

private:
    // unreachable: why the server could not be reached, when the cache is asked alone.
    void Get(const QUrl& url, QNetworkRequest::CacheLoadControl control, Done done, const QString& unreachable = {})
    {
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::UserAgentHeader, userAgent_);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, control);
        QNetworkReply* reply = network_.get(request);
        QObject::connect(reply, &QNetworkReply::finished, &replies_,
                         [this, reply, url, control, unreachable, done = std::move(done)]() mutable {
                             reply->deleteLater();
                             const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
                             if (reply->error() == QNetworkReply::NoError) done(reply->read(kLargestTile), {});
                             // Out of reach (offline, server down): a tile kept from before, however old, beats none.
                             else if (!answered && control != QNetworkRequest::AlwaysCache)
                                 Get(url, QNetworkRequest::AlwaysCache, std::move(done), reply->errorString());
                             else done({}, unreachable.isEmpty() ? reply->errorString() : unreachable);
                         });
    }

    QString userAgent_;
    QObject replies_;  // the receiver of the replies' signals, cut off by AbortAll
    QNetworkAccessManager network_;
};
}  // namespace

extern "C" Q_DECL_EXPORT TileFetcher* KesMakeTileFetcher(const QString& cacheFolder, const QString& userAgent)
{
    return new NetworkTileFetcher(cacheFolder, userAgent);
}
