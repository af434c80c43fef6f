// SPDX-License-Identifier: GPL-3.0-or-later
// The module kes_tiles: map tiles fetched over HTTP(S) with the program's
// User-Agent, through a disk cache that serves them again when the server is
// out of reach. A server that stalls, or sends more than a tile, is cut off:
// what it sent is neither kept in memory nor stored.
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>
#include <memory>

#include "ui/tiles/TileFetcher.h"

namespace {
constexpr qint64 kDiskCacheBytes = 200LL << 20;
constexpr qint64 kReadBuffer = 1LL << 20;

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
        // The network thread stops reading once this much waits here: while
        // the window's thread is busy (a long paint), nothing more piles up.
        reply->setReadBufferSize(std::min<qint64>(kReadBuffer, limits_.largestTile + 1));
        auto incoming = std::make_shared<Incoming>();
        // Taken as it streams and cut off past a tile's size: a server that
        // sends without end, chunked or not, never fills the memory.
        const auto take = [this, reply, incoming] {
            if (incoming->tooLarge) return;
            incoming->bytes += reply->readAll();
            if (incoming->bytes.size() <= limits_.largestTile) return;
            incoming->tooLarge = true;
            incoming->bytes.clear();
            reply->abort();
        };
        QObject::connect(reply, &QNetworkReply::readyRead, &replies_, take);
        QObject::connect(reply, &QNetworkReply::downloadProgress, &replies_,
                         [this, reply, incoming](qint64, qint64 total) {
                             if (incoming->tooLarge || total <= limits_.largestTile) return;
                             incoming->tooLarge = true;  // as its length says
                             reply->abort();
                         });
        QObject::connect(reply, &QNetworkReply::finished, &replies_,
                         [this, reply, url, control, unreachable, incoming, take, done = std::move(done)]() mutable {
                             reply->deleteLater();
                             take();
                             Finished(*reply, *incoming, url, control, unreachable, std::move(done));
                         });
    }

    struct Incoming {
        QByteArray bytes;
        bool tooLarge = false;
    };

    void Finished(QNetworkReply& reply, const Incoming& incoming, const QUrl& url,
                  QNetworkRequest::CacheLoadControl control, const QString& unreachable, Done done)
    {
        if (incoming.tooLarge) {
            disk_->remove(url);  // nothing of it is kept
            done({}, QString("a tile larger than %1 MB was cut off").arg(limits_.largestTile >> 20));
            return;
        }
        const bool answered = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        // Only the idle timeout cancels a reply that still reports here.
        const QString why = reply.error() == QNetworkReply::OperationCanceledError
                                ? QString("no answer for %1 s").arg(limits_.idleMs / 1000.0)
                                : reply.errorString();
        if (reply.error() == QNetworkReply::NoError) done(incoming.bytes, {});
        // Out of reach (offline, server down): a tile kept from before, however old, beats none.
        else if (!answered && control != QNetworkRequest::AlwaysCache)
            Get(url, QNetworkRequest::AlwaysCache, std::move(done), why);
        else done({}, unreachable.isEmpty() ? why : unreachable);
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
