// Runs a handler that Qt's event dispatch calls, so that no exception crosses
// it: a silent abort ends the handler quietly, and any other error is dropped
// with a warning in the log, as the program drops every error that reaches
// its message loop.
#pragma once

#include <functional>

void Guarded(const char* where, const std::function<void()>& handler);
