// SPDX-License-Identifier: GPL-3.0-or-later
// The map stops zooming out at the whole world, and its labels keep clear of
// the line that says why tiles are missing.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>

#include "tests/support/test_files.h"
#include "ui/tiles/MapTiles.h"
#include "ui/view/MapView.h"

TEST(MapBounds, ZoomingOutStopsWhereTheWholeWorldIsInSight)
{
    for (const QSize size : {QSize(600, 300), QSize(300, 600), QSize(500, 500)}) {
        MapView map;
        map.resize(size);
        map.show();
        map.FitToData();
        for (int step = 0; step < 30; ++step) map.ZoomBy(0.5, QPointF(size.width() / 2.0, size.height() / 2.0));
        // The world, one unit square, fills the map's width or its height.
        EXPECT_EQ(map.Scale(), std::min(size.width(), size.height())) << size.width() << "x" << size.height();
        map.resize(size * 2);
        EXPECT_EQ(map.Scale(), 2 * std::min(size.width(), size.height())) << size.width() << "x" << size.height();
    }
}

TEST(MapBounds, TheGraticulesLabelsKeepClearOfTheLineOfMissingTiles)
{
    TempDir cache;
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.Root().string()));
    MapTiles tiles;
    tiles.SetLimits({.idleMs = 2000, .largestTile = 4 << 20});
    // Nothing listens on port 1: every tile fails at once.
    tiles.SetServer("http://127.0.0.1:1/{z}/{x}/{y}.png", "");
    MapView map;
    map.resize(640, 400);
    map.SetTiles(&tiles);
    map.FitToData();
    QImage image(map.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    map.Render(painter, image.size());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tiles.Problem().isEmpty(); }, 10000));
    const QRectF problem = map.ProblemBox(map.size());
    ASSERT_FALSE(problem.isEmpty());
    const QList<QRectF> labels = map.LabelBoxes(map.size());
    EXPECT_GE(labels.size(), 4);
    for (const QRectF& label : labels) EXPECT_FALSE(label.intersects(problem)) << label.x() << "," << label.y();
    qunsetenv("XDG_CACHE_HOME");
}
