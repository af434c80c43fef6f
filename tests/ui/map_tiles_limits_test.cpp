// SPDX-License-Identifier: GPL-3.0-or-later
// Tiles that cannot hurt: a server inside the test that sends without end,
// sends 100 MB, sends no image, or never answers. The window's memory stays
// small, nothing of it is cached, the map says which server fails, and
// "Retry tiles" asks again.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QImage>
#include <QNetworkDiskCache>
#include <QPainter>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "tests/support/test_files.h"
#include "ui/tiles/MapTiles.h"
#include "ui/tiles/TileFetcher.h"
#include "ui/view/MapView.h"

namespace {
enum class Answer { Endless, HundredMegabytes, NoImage, Nothing };

class BadServer : public QTcpServer {
public:
    explicit BadServer(Answer answer) : answer_(answer)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Start(socket); });
        });
        listen(QHostAddress::LocalHost);
    }
    int requests = 0;

private:
    void Start(QTcpSocket* socket)
    {
        if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n")) return;
        socket->readAll();
        ++requests;
        switch (answer_) {
        case Answer::Nothing: return;
        case Answer::NoImage:
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 14\r\n\r\n<html></html>\n");
            return;
        case Answer::Endless: socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\n"); break;
        case Answer::HundredMegabytes:
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 104857600\r\n\r\n");
            break;
        }
        // Sent as the socket takes it: the server itself holds little.
        auto sent = std::make_shared<qint64>(0);
        auto more = [this, socket, sent] {
            const QByteArray chunk(64 << 10, 'x');
            while (socket->bytesToWrite() < (256 << 10) &&
                   (answer_ == Answer::Endless || *sent < (qint64(100) << 20))) {
                socket->write(chunk);
                *sent += chunk.size();
            }
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    }
    Answer answer_;
};

qint64 ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return qint64(resident) * sysconf(_SC_PAGESIZE);
}

qint64 FolderBytes(const QString& folder)
{
    qint64 bytes = 0;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        bytes += it.nextFileInfo().size();
    return bytes;
}
}  // namespace

TEST(MapTilesFromABadServer, CannotHurt)
{
    TempDir cache;
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.Root().string()));
    for (const Answer answer : {Answer::Endless, Answer::HundredMegabytes, Answer::NoImage, Answer::Nothing}) {
        const int row = static_cast<int>(answer);
        BadServer server(answer);
        ASSERT_TRUE(server.isListening());
        const QString address = QString("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(server.serverPort());
        MapTiles tiles;
        tiles.SetLimits({.idleMs = 700, .largestTile = 4 << 20});
        tiles.SetServer(address, "");
        MapView map;
        map.resize(300, 200);
        map.SetTiles(&tiles);
        map.FitToData();
        QImage image(map.size(), QImage::Format_RGB32);
        auto draw = [&] {
            QPainter painter(&image);
            map.Render(painter, image.size());
        };
        qint64 most = 0;
        QTimer sample;
        QObject::connect(&sample, &QTimer::timeout, [&] { most = std::max(most, ResidentBytes()); });
        sample.start(10);
        draw();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !tiles.Problem().isEmpty(); }, 20000)) << row;
        sample.stop();
        EXPECT_LT(most, qint64(150) << 20) << row;
        EXPECT_TRUE(tiles.Problem().startsWith("Map tiles from 127.0.0.1")) << tiles.Problem().toStdString();
        EXPECT_TRUE(tiles.Problem().contains("Retry tiles")) << row;
        // Nothing of what came is kept.
        QTest::qWait(100);
        QNetworkDiskCache disk;
        disk.setCacheDirectory(MapTiles::CacheFolder());
        EXPECT_FALSE(disk.metaData(QUrl(MapTiles::TileUrl(address, 0, 0, 0))).isValid()) << row;
        EXPECT_LT(FolderBytes(MapTiles::CacheFolder()), 64 << 10) << row;
        // Not asked for again at once; "Retry tiles" asks again.
        const int asked = server.requests;
        draw();
        QTest::qWait(200);
        EXPECT_EQ(server.requests, asked) << row;
        tiles.Retry();
        draw();
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.requests > asked; }, 5000)) << row;
    }
    qunsetenv("XDG_CACHE_HOME");
}

namespace {
// Sends a chunked "tile" without end from a thread of its own, as fast as the
// client takes it (at most kMostSent bytes, so that a failing run stays small).
class ChunkedServerThread : public QThread {
public:
    static constexpr qint64 kMostSent = qint64(256) << 20;
    std::atomic<int> port{0};
    std::atomic<qint64> sent{0};

protected:
    void run() override
    {
        QTcpServer server;
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Start(socket); });
        });
        server.listen(QHostAddress::LocalHost);
        port = server.serverPort();
        exec();
    }

private:
    void Start(QTcpSocket* socket)
    {
        if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n")) return;
        socket->readAll();
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nTransfer-Encoding: chunked\r\n\r\n");
        const QByteArray chunk = QByteArray::number(64 << 10, 16) + "\r\n" + QByteArray(64 << 10, 'x') + "\r\n";
        auto more = [this, socket, chunk] {
            while (socket->bytesToWrite() < (256 << 10) && sent < kMostSent) {
                socket->write(chunk);
                sent += chunk.size();
            }
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    }
};
}  // namespace

// While the window's thread is busy (a long paint, a read), the network
// thread takes no more of an endless chunked reply than a tile may hold: the
// server cannot send much beyond it, and the tile is cut off once the window
// looks again.
TEST(MapTilesFromABadServer, AnEndlessChunkedTileIsHeldAtTheLimitWhileTheWindowIsBusy)
{
    TempDir cache;
    ChunkedServerThread server;
    server.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.port > 0; }, 5000));
    QString error;
    const TileLimits limits{.idleMs = 5000, .largestTile = 4 << 20};
    std::unique_ptr<TileFetcher> fetcher =
        LoadTileFetcher(QString::fromStdString(cache.Root().string()), "kesTranscribe-test", limits, error);
    ASSERT_TRUE(fetcher) << error.toStdString();
    QString why;
    bool done = false;
    fetcher->Fetch(QString("http://127.0.0.1:%1/0/0/0.png").arg(server.port.load()),
                   [&](const QByteArray&, const QString& e) {
                       why = e;
                       done = true;
                   });
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.sent > 0; }, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the window's thread busy, no event looked at
    EXPECT_LT(server.sent.load(), qint64(48) << 20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    EXPECT_EQ(why, "a tile larger than 4 MB was cut off");
    fetcher.reset();
    server.quit();
    server.wait();
}
