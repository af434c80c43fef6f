// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the Convert action on a thread of its own, so that the window answers
// while a long conversion runs: progress lines reach the window as they come,
// and its messages and questions are shown by the window's thread while the
// conversion waits for the answer. A conversion can be stopped: its files are
// then never put in place, and every earlier file stays as it was.
#pragma once

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

#include "core/convert/convert.h"
#include "core/convert/frontend.h"
#include "core/io/read_watch.h"

class FormatCatalogue;

class ConversionRunner : public QObject {
    Q_OBJECT
public:
    // `window` is the front end of the window's thread, which everything the
    // conversion shows or asks is handed to.
    // The catalogue outlives the runner.
    ConversionRunner(const FormatCatalogue& catalogue, FrontEnd& window, QObject* parent = nullptr);
    ~ConversionRunner() override;

    void Start(ConversionRequest request);
    bool Running() const { return running_; }
    // Asks the conversion to stop; Finished then says it was stopped.
    void Stop();
    // Stops the conversion and waits until it has ended, the window's events
    // still served meanwhile; no Finished follows.
    void StopAndWait();

signals:
    void Finished(const ConversionOutcome& outcome, bool stopped);
    // After Finished, and also after a stop that waited: the conversion is over.
    void Ended();

private:
    class Relay;
    void Run(ConversionRequest request, std::shared_ptr<ReadWatch> watch);

    const FormatCatalogue& catalogue_;
    FrontEnd& window_;
    std::thread thread_;
    std::shared_ptr<ReadWatch> watch_;
    bool running_ = false;
    bool quiet_ = false;  // no Finished: StopAndWait
};
