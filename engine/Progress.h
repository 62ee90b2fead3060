// How long operations of the engine report progress: the application
// registers its progress window; without one, progress goes nowhere.
#pragma once

#include <string>

class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void Start(int min, int max) = 0;
    virtual void Step() = 0;
    virtual void SetPosition(int position) = 0;
    virtual void Finish() = 0;
};

// The caption shown by the next Start; each caller sets it first, nobody resets it.
extern std::string WaitText;

// The registered progress window, or a sink that ignores everything.
IProgress& Progress();
// Registers (or with nullptr removes) the progress window; not owned.
void SetProgress(IProgress* progress);

// Starts the progress window on construction and finishes it on every path out.
class TProgressScope {
public:
    TProgressScope(const std::string& caption, int min, int max);
    ~TProgressScope();
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;
    void SetPosition(int position) { Progress().SetPosition(position); }
    void Step() { Progress().Step(); }
};
