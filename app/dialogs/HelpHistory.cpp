#include "app/dialogs/HelpHistory.h"

void THelpHistory::Add(const QString& page)
{
    if (capacity_ <= 0) return;
    if (!pages_.isEmpty() && pages_.at(index_) == page) return;
    pages_.remove(0, index_);
    index_ = 0;
    pages_.prepend(page);
    while (pages_.size() > capacity_) pages_.removeLast();
}

bool THelpHistory::Back()
{
    if (!CanGoBack()) return false;
    ++index_;
    return true;
}

bool THelpHistory::Forward()
{
    if (!CanGoForward()) return false;
    --index_;
    return true;
}
