// SPDX-License-Identifier: GPL-3.0-or-later
// A FIFO made in a test and read to its end on a thread of its own: what a
// conversion writes into a pipe.
#pragma once

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class FifoReader {
public:
    explicit FifoReader(std::string path) : path_(std::move(path)) { ::mkfifo(path_.c_str(), 0600); }
    ~FifoReader() { Finish(); }
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    const std::string& Path() const { return path_; }
    // Starts reading: the writer's open returns once the reader's does.
    void Start()
    {
        if (thread_.joinable()) return;
        thread_ = std::thread([this] {
            std::ifstream in(path_, std::ios::binary);
            text_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            done_ = true;
        });
    }
    // What was read; a reader still waiting for a writer is let go with nothing.
    std::string Finish()
    {
        if (!thread_.joinable()) return text_;
        while (!done_) {
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        thread_.join();
        return text_;
    }

private:
    std::string path_;
    std::string text_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};
