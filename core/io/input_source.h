// SPDX-License-Identifier: GPL-3.0-or-later
// What a reader reads: a file by its name (a regular file, a pipe, a device),
// or bytes in memory, so that tests and the fuzzer need no temporary files.
#pragma once

#include <memory>
#include <string>

#include "core/io/byte_reader.h"
#include "core/io/line_reader.h"

struct ReadWatch;

class InputSource {
public:
    static InputSource File(std::string path);
    // `name` stands for the bytes in messages and where a reader names
    // something after its file.
    static InputSource Memory(std::string name, std::string bytes);

    // The file's name as given, or the name of the bytes.
    const std::string& Name() const { return name_; }
    bool InMemory() const { return bytes_ != nullptr; }
    // The same input, its reads of a file noting each fill to `watch`
    // (ReadInput gives the read's own): bytes in memory have no fills, their
    // reader's point lists report instead.
    InputSource Watched(std::shared_ptr<ReadWatch> watch) const;

    // Readers of the content; FileError when a file cannot be opened or read.
    // A reader of bytes in memory must not outlive this source.
    ByteReader ReadBytes() const;
    LineReader ReadLines() const;
    // Lines of an ASCII text that may be written in 16-bit units (LineReader::FromFileOfAnyUnits).
    LineReader ReadLinesOfAnyUnits() const;

private:
    InputSource(std::string name, std::shared_ptr<const std::string> bytes)
        : name_(std::move(name)), bytes_(std::move(bytes))
    {}
    std::string name_;
    std::shared_ptr<const std::string> bytes_;  // none for a file
    std::shared_ptr<ReadWatch> watch_;
};
