// Telling the user why an operation stopped, for the places that catch its
// error themselves because they must tidy up first (a run's dialog, a tool's
// drag) rather than let it end the command.
#pragma once

#include "engine/Dialogs.h"
#include "gfx/Errors.h"

#include <exception>
#include <string>

// The caption when strokes could not be placed (their records not written).
inline constexpr const char* StrokeFailureCaption = "Error drawing strokes";

// Shows `error` in a box under `caption`: its own text, which names the file
// and the system's reason where a file failed, or "Not enough memory" for a
// failed allocation. A silent abort shows nothing (the user has been told),
// nor does an error that carries no text.
void ShowFailure(IDialogs& boxes, const std::string& caption, const std::exception_ptr& error);

// Runs `work`; an error it raises is shown under `caption` (as above) and
// ends the command as a silent abort, for commands that have nothing to tidy.
template <typename Work>
void ReportingErrors(IDialogs& boxes, const std::string& caption, Work&& work)
{
    try {
        work();
    } catch (...) {
        ShowFailure(boxes, caption, std::current_exception());
        throw SilentAbort();
    }
}
