#include "core/frontend.h"

namespace {
class SilentFrontEnd final : public FrontEnd {
public:
    std::string InputFileText() override { return {}; }
    std::vector<std::string> ChosenInputFiles() override { return {}; }
    std::string OutputFileText() override { return {}; }
    int InputPosition() override { return -1; }
    int OutputPosition() override { return -1; }
    void AddLine(const std::string&) override {}
    void ClearLines() override {}
    void ShowMessage(const std::string&) override {}
    void SetBusyCursor(bool) override {}
    void ProcessMessages() override {}
};

SilentFrontEnd silent;
FrontEnd* active = &silent;
}  // namespace

FrontEnd& Front() { return *active; }

ScopedFrontEnd::ScopedFrontEnd(FrontEnd& frontEnd) : previous_(active) { active = &frontEnd; }

ScopedFrontEnd::~ScopedFrontEnd() { active = previous_; }
