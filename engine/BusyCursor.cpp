#include "engine/BusyCursor.h"

namespace {

IBusyCursor* registered = nullptr;

} // namespace

void SetBusyCursor(IBusyCursor* cursor) { registered = cursor; }

TBusyCursorScope::TBusyCursorScope() : cursor_(registered)
{
    if (cursor_) cursor_->Begin();
}

TBusyCursorScope::~TBusyCursorScope()
{
    if (cursor_) cursor_->End();
}
