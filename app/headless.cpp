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

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/convert/format_lookup.h"
#include "core/time/clock.h"
#include "formats/format_table.h"

namespace {
class PrintingFrontEnd final : public PaneFrontEnd {
public:
    void AddLine(const std::string& text) override { std::printf("%s\n", text.c_str()); }
    void ClearLines() override {}
    void ShowMessage(const std::string& text) override { std::printf("message: %s\n", text.c_str()); }
    void ProcessMessages() override { std::fflush(stdout); }
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

// The clock the setting fixes, or the host's; false when the setting is malformed.
bool ClockFromEnvironment(Clock& clock)
{
    const char* setting = std::getenv("KES_HEADLESS_CLOCK");
    if (!setting) return true;
    char* end = nullptr;
    const double local = std::strtod(setting, &end);
    const char* utcText = end;
    const double utc = std::strtod(utcText, &end);
    if (end == utcText || *end != '\0' || !std::isfinite(local) || !std::isfinite(utc)) return false;
    clock = Clock::Fixed(local, utc);
    return true;
}
}  // namespace

int main(int argc, char** argv)
{
    const FormatCatalogue catalogue(KnownFormats());
    int input = -1, output = -1;
    if (argc < 5 || !ParsePosition(catalogue.Inputs(), argv[1], input) ||
        !ParsePosition(catalogue.Outputs(), argv[2], output)) {
        std::fprintf(stderr,
                     "usage: kes-headless INPUT_FORMAT OUTPUT_FORMAT OUTPUT_NAME INPUT_NAME [MORE_INPUT_NAMES...]\n");
        return 2;
    }
    Clock clock;
    if (!ClockFromEnvironment(clock)) {
        std::fprintf(stderr, "kes-headless: KES_HEADLESS_CLOCK is not two day counts\n");
        return 2;
    }
    ConversionRequest request;
    for (int i = 4; i < argc; ++i) request.inputs.push_back({argv[i], input});
    request.output = argv[3];
    request.outputPosition = output;
    request.clock = clock;
    PrintingFrontEnd frontEnd;
    const ConversionOutcome outcome = Convert(catalogue, request, frontEnd);
    if (outcome.state == ConversionOutcome::State::Failed) {
        std::printf("error: %s\n", outcome.reason.c_str());
        return 1;
    }
    return 0;
}
