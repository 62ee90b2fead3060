#include "app/windows/Guarded.h"

#include "gfx/Errors.h"

#include <QtGlobal>

#include <exception>

void Guarded(const char* where, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        qWarning("%s: %s", where, e.what());
    } catch (...) {
        qWarning("%s: unknown error", where);
    }
}
