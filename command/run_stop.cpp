// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/run_stop.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "core/io/output_folder.h"

namespace {
// Read by the signal handler: lock-free atomics only.
std::atomic<int> askedBy{0};
std::atomic<ReadWatch*> watched{nullptr};

bool NoteStop(int signal)
{
    int none = 0;
    if (askedBy.compare_exchange_strong(none, signal)) {
        if (ReadWatch* watch = watched.load()) watch->cancel.store(true);
        return true;
    }
    // Every line written to a reader gone raises it again.
    return signal == SIGPIPE;
}
}  // namespace

RunStop::RunStop()
{
    askedBy.store(0);
    watched.store(watch_.get());
    InstallCleaningHandlers();
    SetDeferringHook(NoteStop);
}

RunStop::~RunStop()
{
    SetDeferringHook(nullptr);
    watched.store(nullptr);
}

int RunStop::Signal() const { return askedBy.load(); }

void RunStop::EndBySignal() const
{
    SetDeferringHook(nullptr);
    const int signal = Signal();
    sigset_t ending;
    ::sigemptyset(&ending);
    ::sigaddset(&ending, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &ending, nullptr);
    ::raise(signal);
    // Left ignored by whoever started the program: it ends all the same.
    std::_Exit(128 + signal);
}
