// SPDX-License-Identifier: GPL-3.0-or-later
// A signal that would end a run of conversions (SIGINT, SIGTERM, SIGHUP, or
// SIGPIPE from a closed terminal or pipe) stops it in order instead: the
// conversion under way is abandoned, the files of every conversion complete
// before it are put in place and reported, and the process then ends by that
// signal. A second signal other than SIGPIPE ends it at once, as before.
#pragma once

#include <memory>

#include "core/io/read_watch.h"

class RunStop {
public:
    RunStop();
    ~RunStop();
    RunStop(const RunStop&) = delete;
    RunStop& operator=(const RunStop&) = delete;

    // The signal that asked for the stop; 0 while none has.
    int Signal() const;
    // Ends the process by the signal that asked for the stop, as it would
    // have ended without this object.
    [[noreturn]] void EndBySignal() const;
    // The watch the run's conversions are given (ConversionRequest::watch):
    // a signal asks it to stop.
    const std::shared_ptr<ReadWatch>& Watch() const { return watch_; }

private:
    std::shared_ptr<ReadWatch> watch_ = std::make_shared<ReadWatch>();
};
