// When a control counts as left: the focus moved to another control of the
// same window. A context menu or another window taking the focus leaves the
// control where it was, so nothing is committed or reported then.
#pragma once

#include <QFocusEvent>

inline bool FocusMovedToAnotherControl(const QFocusEvent& event)
{
    const Qt::FocusReason reason = event.reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}
