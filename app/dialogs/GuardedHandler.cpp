#include "app/dialogs/GuardedHandler.h"

#include "gfx/Errors.h"

#include <QtGlobal>

#include <exception>

void GuardedHandler(const char* where, const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
#ifndef NDEBUG
        qDebug("%s: %s", where, e.what());
#endif
    } catch (...) {
#ifndef NDEBUG
        qDebug("%s: unknown error", where);
#endif
    }
    (void)where;
}
