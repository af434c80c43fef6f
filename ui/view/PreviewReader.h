// SPDX-License-Identifier: GPL-3.0-or-later
// Reads files for the view on a thread of its own, so that the window stays responsive; one read at a time, which
// can be stopped (a new choice, a conversion) and reports how far it has gone.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/document/view_data.h"
#include "core/io/read_watch.h"
#include "repair/time_repairs.h"

struct PreviewFile {
    std::string name;
    int inputPosition = -1;
};

class FormatCatalogue;

class PreviewReader : public QObject {
    Q_OBJECT
public:
    // The catalogue outlives the reader.
    explicit PreviewReader(const FormatCatalogue& catalogue, QObject* parent = nullptr)
        : QObject(parent), catalogue_(catalogue)
    {}
    ~PreviewReader() override;

    // Stops the read running, then reads the files (their data joined) in the background.
    void Start(std::vector<PreviewFile> files, TimeRepairs repairs = {}, std::string codePage = "auto");
    // Asks the read to stop; Finished then says it was stopped.
    void Cancel();
    // Stops the read and waits until its thread has ended; no Finished follows.
    void Stop();
    bool Running() const { return running_; }
    // How far the read has gone: 0 to 1, or below 0 when the size is unknown.
    double Fraction() const;
    std::uint64_t PointsRead() const;

signals:
    // The data read (none when the read failed or was stopped), and why not.
    void Finished(std::shared_ptr<const ViewData> data, const QString& error, bool cancelled);

private:
    void Run(std::vector<PreviewFile> files, TimeRepairs repairs, std::string codePage,
             std::shared_ptr<ReadWatch> watch, int generation);

    const FormatCatalogue& catalogue_;
    std::thread thread_;
    std::shared_ptr<ReadWatch> watch_;
    int generation_ = 0;
    bool running_ = false;
};
