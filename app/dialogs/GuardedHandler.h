// Runs a handler that Qt's event dispatch calls, so that no exception crosses
// it. The program drops every error that reaches its message loop without a
// message or a log entry: whoever had to tell the user has done so before
// raising, and a silent abort is meant to end the event quietly. `where`
// names the handler in a debug build's trace.
#pragma once

#include <functional>

void GuardedHandler(const char* where, const std::function<void()>& handler) noexcept;
