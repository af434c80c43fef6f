// SPDX-License-Identifier: GPL-3.0-or-later
// The file of the command's report (--report): checked as an output is before
// anything is converted, written as the inputs go, and put in place when the
// command ends, also when a signal ends it, with what was done so far.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/output_folder.h"

class ReportFile {
public:
    // Resolves the name as an output's (a device, a pipe or standard output
    // is opened now and written as the report goes) and makes the report's
    // temporary file in its folder. Raises FileError naming `path`: a folder
    // that cannot be written, a name taken under --no-clobber. The inputs are
    // protected when it is put in place.
    ReportFile(const std::string& path, bool noClobber, const std::vector<std::string>& inputs);
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Appends `text`; `ending` is what closes the report if a signal ends the
    // command before the next Append (at most a few hundred bytes).
    void Append(std::string_view text, std::string_view ending);
    // Closes the report with `ending` and puts it in place. Raises FileError.
    void Finish(std::string_view ending);

private:
    static void Interrupted(int signal);
    void SetEnding(std::string_view ending);

    std::string path_;
    bool noClobber_;
    std::vector<std::string> inputs_;
    std::shared_ptr<OutputFolder> folder_;  // a file: its folder, its name, its temporary file
    std::string name_;
    TemporaryFile temporary_;
    int fd_ = -1;  // the temporary file, or the device written into
    std::array<char, 512> ending_{};
    std::size_t endingLength_ = 0;
};
