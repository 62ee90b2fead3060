// The hourglass: long operations of the engine show it through whatever the
// application registers; without a registration nothing is shown.
#pragma once

class IBusyCursor {
public:
    virtual ~IBusyCursor() = default;
    virtual void Begin() = 0;
    virtual void End() = 0;
};

// Registers (or with nullptr removes) the application's cursor; not owned.
void SetBusyCursor(IBusyCursor* cursor);

// Shows the hourglass for its lifetime, restoring the cursor on every path.
class TBusyCursorScope {
public:
    TBusyCursorScope();
    ~TBusyCursorScope();
    TBusyCursorScope(const TBusyCursorScope&) = delete;
    TBusyCursorScope& operator=(const TBusyCursorScope&) = delete;

private:
    IBusyCursor* cursor_;
};
