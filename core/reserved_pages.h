// SPDX-License-Identifier: GPL-3.0-or-later
// Address space reserved for a large table: a page costs memory only once it
// is written, and past the first 2 MiB the kernel may back the pages with
// huge ones, whose one fault stands for the 512 small ones a long track costs.
#pragma once

#include <cstddef>

class ReservedPages {
public:
    ReservedPages() = default;
    // Raises std::bad_alloc when the system refuses the reservation.
    explicit ReservedPages(std::size_t bytes);
    ~ReservedPages();
    ReservedPages(ReservedPages&& other) noexcept;
    ReservedPages& operator=(ReservedPages&& other) noexcept;
    ReservedPages(const ReservedPages&) = delete;
    ReservedPages& operator=(const ReservedPages&) = delete;

    void* Data() const { return data_; }

private:
    void* data_ = nullptr;
    std::size_t bytes_ = 0;
};
