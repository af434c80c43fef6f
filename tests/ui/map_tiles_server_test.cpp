// SPDX-License-Identifier: GPL-3.0-or-later
// Map tiles from a tile server on this machine: drawn where they belong, asked
// for with the program's User-Agent, kept in the user's cache folder and drawn
// from it once the server is gone.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include "tests/support/test_files.h"
#include "ui/tiles/MapTiles.h"
#include "ui/view/MapProjection.h"
#include "ui/view/MapView.h"

namespace {
// Answers every GET with one PNG of its colour, stale from the start, and
// remembers the requests' first lines and User-Agents.
class TileServer : public QTcpServer {
public:
    explicit TileServer(QColor colour)
    {
        QImage tile(256, 256, QImage::Format_RGB32);
        tile.fill(colour);
        QBuffer buffer(&png_);
        buffer.open(QIODevice::WriteOnly);
        tile.save(&buffer, "PNG");
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Answer(socket); });
        });
        listen(QHostAddress::LocalHost);
    }
    QStringList requests, agents;

private:
    void Answer(QTcpSocket* socket)
    {
        const QByteArray head = socket->peek(socket->bytesAvailable());
        if (!head.contains("\r\n\r\n")) return;
        socket->readAll();
        const QList<QByteArray> lines = head.split('\n');
        requests << QString::fromLatin1(lines.front().trimmed());
        for (const QByteArray& line : lines)
            if (line.toLower().startsWith("user-agent:")) agents << QString::fromLatin1(line.mid(11).trimmed());
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nExpires: Mon, 01 Jan 2024 00:00:00 GMT\r\n"
                      "Last-Modified: Mon, 01 Jan 2024 00:00:00 GMT\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(png_.size()) + "\r\n\r\n" + png_);
        socket->disconnectFromHost();
    }
    QByteArray png_;
};

// The map's colour at 12.5° N 17.3° E (off the graticule's lines): the whole
// world is one tile, drawn once it has come or failed.
QColor ColourAt12N17E(MapTiles& tiles)
{
    MapView map;
    map.resize(300, 200);
    map.SetTiles(&tiles);
    map.FitToData();
    QImage image(map.size(), QImage::Format_RGB32);
    QSignalSpy arrived(&tiles, &MapTiles::Arrived);
    for (const bool asked : {false, true}) {
        QPainter painter(&image);
        map.Render(painter, image.size());
        if (!asked) arrived.wait(5000);
    }
    return image.pixelColor(map.ScreenOf(WorldOf(12.5, 17.3), map.size()).toPoint());
}
}  // namespace

TEST(MapTilesFromAServer, AreDrawnAskedForAsTheProgramAndKeptForWhenTheServerIsGone)
{
    TempDir cache;
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.Root().string()));
    const QColor orange(0xff, 0x80, 0x00);
    QString address;
    {
        TileServer server(orange);
        ASSERT_TRUE(server.isListening());
        address = QString("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(server.serverPort());
        MapTiles tiles;
        tiles.SetServer(address, "");
        EXPECT_EQ(ColourAt12N17E(tiles), orange) << tiles.Problem().toStdString();
        EXPECT_TRUE(server.requests.contains("GET /0/0/0.png HTTP/1.1")) << server.requests.join(", ").toStdString();
        EXPECT_EQ(server.agents.value(0), QString("kesTranscribe/") + KES_VERSION);
    }
    EXPECT_FALSE(QDir(MapTiles::CacheFolder()).isEmpty());
    // The server is gone: the tile kept, though stale, is drawn rather than none.
    MapTiles again;
    again.SetServer(address, "");
    EXPECT_EQ(ColourAt12N17E(again), orange) << again.Problem().toStdString();
    qunsetenv("XDG_CACHE_HOME");
}
