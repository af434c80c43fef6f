// SPDX-License-Identifier: GPL-3.0-or-later
// kes-headless INPUT_FORMAT OUTPUT_FORMAT OUTPUT_NAME INPUT_NAME [MORE_INPUT_NAMES...]
// A format is its position in its list or its name (kes-convert --list-formats).
// Runs the Convert action with a front end that prints what the window would show.
// KES_HEADLESS_CLOCK="LOCAL_DAY_COUNT UTC_DAY_COUNT" pins the clock and the time
// zone, for outputs that hold the time of the conversion.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/clock.h"
#include "core/convert.h"
#include "core/format_lookup.h"
#include "formats/format_table.h"

namespace {
class PrintingFrontEnd final : public FrontEnd {
public:
    PrintingFrontEnd(int input, int output, std::string outputName, std::vector<std::string> inputs)
        : input_(input), output_(output), outputName_(std::move(outputName)), inputs_(std::move(inputs))
    {}
    std::string InputFileText() override { return inputs_.front(); }
    std::vector<std::string> ChosenInputFiles() override
    {
        return inputs_.size() > 1 ? inputs_ : std::vector<std::string>{};
    }
    std::string OutputFileText() override { return outputName_; }
    int InputPosition() override { return input_; }
    int OutputPosition() override { return output_; }
    void AddLine(const std::string& text) override { std::printf("%s\n", text.c_str()); }
    void ClearLines() override {}
    void ShowMessage(const std::string& text) override { std::printf("message: %s\n", text.c_str()); }
    void SetBusyCursor(bool) override {}
    void ProcessMessages() override { std::fflush(stdout); }

private:
    int input_, output_;
    std::string outputName_;
    std::vector<std::string> inputs_;
};

bool ParsePosition(FormatTable table, const char* text, int& out)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && value >= -1 && value <= 1000) {
        out = static_cast<int>(value);
        return true;
    }
    out = FormatNamed(table, text);
    return out >= 0;
}

// Pins the clock and the zone it implies; false when the setting is malformed.
bool PinClockFromEnvironment()
{
    const char* setting = std::getenv("KES_HEADLESS_CLOCK");
    if (!setting) return true;
    char* end = nullptr;
    const double local = std::strtod(setting, &end);
    const char* utcText = end;
    const double utc = std::strtod(utcText, &end);
    if (end == utcText || *end != '\0' || !std::isfinite(local) || !std::isfinite(utc)) return false;
    PinClock(local, utc);
    TimeZoneBias = static_cast<std::int32_t>(std::lround((utc - local) * 1440));
    return true;
}
}  // namespace

int main(int argc, char** argv)
{
    BuildFormatCatalogue(KnownFormats());
    int input = -1, output = -1;
    if (argc < 5 || !ParsePosition(InputFormats, argv[1], input) || !ParsePosition(OutputFormats, argv[2], output)) {
        std::fprintf(stderr,
                     "usage: kes-headless INPUT_FORMAT OUTPUT_FORMAT OUTPUT_NAME INPUT_NAME [MORE_INPUT_NAMES...]\n");
        return 2;
    }
    TimeZoneBias = HostTimeZoneBias();
    if (!PinClockFromEnvironment()) {
        std::fprintf(stderr, "kes-headless: KES_HEADLESS_CLOCK is not two day counts\n");
        return 2;
    }
    PrintingFrontEnd frontEnd(input, output, argv[3], std::vector<std::string>(argv + 4, argv + argc));
    try {
        Convert(frontEnd);
    } catch (const std::exception& error) {
        std::printf("error: %s\n", error.what());
        return 1;
    }
    return 0;
}
