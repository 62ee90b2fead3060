// The help window's page history: the pages shown, newest first, with the
// position of the page on show. Index 0 is the newest page; going back moves
// to higher indices. Showing a new page after going back drops the pages
// ahead, as a browser does; the oldest page falls off beyond the capacity.
#pragma once

#include <QString>
#include <QStringList>

class THelpHistory {
public:
    explicit THelpHistory(int capacity = 100) : capacity_(capacity) {}

    int Count() const { return static_cast<int>(pages_.size()); }
    int Index() const { return index_; }
    int Capacity() const { return capacity_; }
    // The page at the current index; empty while there is none.
    QString Current() const { return pages_.isEmpty() ? QString() : pages_.at(index_); }
    const QStringList& Pages() const { return pages_; }

    // Records a newly shown page (a page equal to the current one is not
    // recorded twice).
    void Add(const QString& page);
    bool CanGoBack() const { return Count() - 1 > index_; }
    bool CanGoForward() const { return index_ >= 1; }
    // One page back or forward; false (and no move) at either end.
    bool Back();
    bool Forward();

private:
    int capacity_;
    QStringList pages_;
    int index_ = 0;
};
