#include "app/ui/FailureMessage.h"

#include "gfx/Errors.h"

#include <new>

void ShowFailure(IDialogs& boxes, const std::string& caption, const std::exception_ptr& error)
{
    if (!error) return;
    try {
        std::rethrow_exception(error);
    } catch (const SilentAbort&) {
    } catch (const std::bad_alloc&) {
        boxes.ShowMessage(caption, "Not enough memory", TMessageKind::Error);
    } catch (const std::exception& e) {
        boxes.ShowMessage(caption, e.what(), TMessageKind::Error);
    } catch (...) {
    }
}
