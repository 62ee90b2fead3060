// Runs a window's event handler so that nothing it raises crosses Qt's event
// dispatch: a silent abort ends it quietly, any other error is logged with
// the name of the window.
#pragma once

#include "gfx/Errors.h"

#include <QtDebug>

#include <exception>

template <typename F>
void GuardedHandler(const char* window, F&& handler)
{
    try {
        handler();
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        qWarning("%s: %s", window, e.what());
    }
}
