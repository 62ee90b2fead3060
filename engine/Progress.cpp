#include "engine/Progress.h"

std::string WaitText = "Processing Image...";

namespace {

class TNullProgress final : public IProgress {
public:
    void Start(int, int) override {}
    void Step() override {}
    void SetPosition(int) override {}
    void Finish() override {}
};

TNullProgress nullProgress;
IProgress* current = &nullProgress;

} // namespace

IProgress& Progress() { return *current; }

void SetProgress(IProgress* progress) { current = progress ? progress : &nullProgress; }

TProgressScope::TProgressScope(const std::string& caption, int min, int max)
{
    WaitText = caption;
    Progress().Start(min, max);
}

TProgressScope::~TProgressScope() { Progress().Finish(); }
