// Qt's event dispatch must never see an exception: the dialogs run every
// handler through this. A silent abort ends the event quietly, and so does
// any other failure, since the user has been told by whoever raised it.
#pragma once

#include "gfx/Errors.h"

#include <exception>

template <typename F>
void GuardedCall(F&& handler) noexcept
{
    try {
        handler();
    } catch (const SilentAbort&) {
    } catch (...) {
    }
}
