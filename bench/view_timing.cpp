// SPDX-License-Identifier: GPL-3.0-or-later
// Times the window's view of a long track, as one whole process: the read in
// the background with the longest stall of the event loop meanwhile, then the
// map drawn after the read, panned and zoomed. Run by bench/view.sh.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "ui/view/DataView.h"
#include "ui/view/MapView.h"

namespace {
// A native track file of n points wandering north-east, with elevations.
void WriteTrack(const QString& path, int n)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
        << "0,2,255,LONG,1,0,0,255\r\n"
        << n << "\r\n";
    char line[96];
    for (int i = 0; i < n; ++i) {
        const double t = i * 1e-4;
        std::snprintf(line, sizeof line, "%11.6f,%11.6f,%d,%7d,%.7f, 01-May-05, 10:12:47\r\n",
                      46 + t * 0.2 + 0.01 * std::sin(t * 7), 7 + t * 0.3 + 0.01 * std::cos(t * 5), i == 0,
                      1000 + static_cast<int>(300 * std::sin(t)), 38473.0 + i / 86400.0);
        out << line;
    }
}

double Millis(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

double TimeRender(MapView& map, QImage& image)
{
    QElapsedTimer timer;
    timer.start();
    QPainter painter(&image);
    map.Render(painter, image.size());
    return Millis(timer);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int points = argc > 1 ? std::max(2, std::atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    const QString file = dir.filePath("long.plt");
    WriteTrack(file, points);
    const FormatCatalogue catalogue(KnownFormats());

    DataView view(catalogue);
    view.resize(1200, 800);
    view.show();
    QApplication::processEvents();

    // The event loop ticks every millisecond; the longest gap between ticks is its longest stall.
    QElapsedTimer clock, sinceTick;
    double longestStall = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, Millis(sinceTick));
        sinceTick.restart();
    });
    QEventLoop wait;
    QObject::connect(&view, &DataView::ReadDone, &wait, &QEventLoop::quit);
    clock.start();
    sinceTick.start();
    ticker.start();
    view.ShowFile(file, static_cast<int>(Input::KesTrack));
    wait.exec();
    // The view shown: the table filled and the map painted once in the widget.
    QApplication::processEvents();
    const double readMillis = Millis(clock);
    ticker.stop();
    longestStall = std::max(longestStall, Millis(sinceTick));
    if (!view.Data() || view.Data()->tracks.empty()) {
        std::fprintf(stderr, "view_timing: nothing read: %s\n", qPrintable(view.Status()));
        return 1;
    }

    MapView& map = *view.Map();
    QImage image(map.size(), QImage::Format_RGB32);
    map.SetData(view.Data());  // fitted anew: the first drawing thins the line again
    const double first = TimeRender(map, image);
    std::vector<double> panned, zoomed;
    for (int i = 0; i < 15; ++i) {
        map.PanBy(QPointF(7, 3));
        panned.push_back(TimeRender(map, image));
    }
    for (int i = 0; i < 15; ++i) {
        map.ZoomBy(i % 2 ? 0.5 : 2, QPointF(map.width() / 2.0, map.height() / 2.0));
        zoomed.push_back(TimeRender(map, image));
    }
    std::printf("points                 %d\n", static_cast<int>(view.Data()->tracks[0].points.size()));
    std::printf("read in background     %.1f ms\n", readMillis);
    std::printf("longest loop stall     %.1f ms\n", longestStall);
    std::printf("first draw after read  %.1f ms\n", first);
    std::printf("draw after a pan       %.1f ms\n", Median(panned));
    std::printf("draw after a zoom      %.1f ms\n", Median(zoomed));
    return 0;
}
