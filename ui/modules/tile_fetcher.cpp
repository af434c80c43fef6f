// SPDX-License-Identifier: GPL-3.0-or-later
// The module kes_tiles: map tiles fetched over HTTP(S) with the program's
// User-Agent, through a disk cache that serves them again when the server is
// out of reach. A server that stalls, or sends more than a tile, is cut off:
// what it sent is neither kept in memory nor stored.
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "ui/TileFetcher.h"

namespace {
constexpr qint64 kDiskCacheBytes = 200LL << 20;

class NetworkTileFetcher final : public TileFetcher {
public:
    NetworkTileFetcher(const QString& cacheFolder, const QString& userAgent, const TileLimits& limits)
        : userAgent_(userAgent), limits_(limits)
    {
        disk_ = new QNetworkDiskCache(&network_);
        disk_->setCacheDirectory(cacheFolder);
        disk_->setMaximumCacheSize(kDiskCacheBytes);
        network_.setCache(disk_);
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

    void Forget(const QString& url) override { disk_->remove(QUrl(url)); }

private:
    // unreachable: why the server could not be reached, when the cache is asked alone.
    void Get(const QUrl& url, QNetworkRequest::CacheLoadControl control, Done done, const QString& unreachable = {})
    {
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::UserAgentHeader, userAgent_);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, control);
        // Connecting, and every pause between bytes after, ends here.
        request.setTransferTimeout(limits_.idleMs);
        QNetworkReply* reply = network_.get(request);
        auto tooLarge = std::make_shared<bool>(false);
        // Cut off as it streams: a server that sends without end never fills the memory.
        QObject::connect(reply, &QNetworkReply::downloadProgress, &replies_,
                         [this, reply, tooLarge](qint64 received, qint64 total) {
                             if (*tooLarge || (received <= limits_.largestTile && total <= limits_.largestTile)) return;
                             *tooLarge = true;
                             reply->abort();
                         });
        QObject::connect(reply, &QNetworkReply::finished, &replies_,
                         [this, reply, url, control, unreachable, tooLarge, done = std::move(done)]() mutable {
                             reply->deleteLater();
                             if (*tooLarge) {
                                 disk_->remove(url);  // nothing of it is kept
                                 done({},
                                      QString("a tile larger than %1 MB was cut off").arg(limits_.largestTile >> 20));
                                 return;
                             }
                             const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
                             // Only the idle timeout cancels a reply that still reports here.
                             const QString why = reply->error() == QNetworkReply::OperationCanceledError
                                                     ? QString("no answer for %1 s").arg(limits_.idleMs / 1000.0)
                                                     : reply->errorString();
                             if (reply->error() == QNetworkReply::NoError) done(reply->read(limits_.largestTile), {});
                             // Out of reach (offline, server down): a tile kept from before, however old, beats none.
                             else if (!answered && control != QNetworkRequest::AlwaysCache)
                                 Get(url, QNetworkRequest::AlwaysCache, std::move(done), why);
                             else done({}, unreachable.isEmpty() ? why : unreachable);
                         });
    }

    QString userAgent_;
    TileLimits limits_;
    QObject replies_;  // the receiver of the replies' signals, cut off by AbortAll
    QNetworkAccessManager network_;
    QNetworkDiskCache* disk_ = nullptr;  // owned by network_
};
}  // namespace

extern "C" Q_DECL_EXPORT TileFetcher* KesMakeTileFetcherWithLimits(const QString& cacheFolder, const QString& userAgent,
                                                                   const TileLimits& limits)
{
    return new NetworkTileFetcher(cacheFolder, userAgent, limits);
}
