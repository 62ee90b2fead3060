// The one guard of every Qt handler in the dialogs and windows: whatever a
// handler raises ends there, quietly, and nothing reaches Qt's dispatch.
#include "app/dialogs/GuardedHandler.h"
#include "app/dialogs/LinkLabel.h"

#include "gfx/Errors.h"

#include <gtest/gtest.h>

#include <QTest>

#include <functional>
#include <new>
#include <string>
#include <vector>

namespace {

struct TNotAnException {};

} // namespace

TEST(GuardedHandler, SwallowsWhateverAHandlerRaises)
{
    const std::vector<std::pair<std::string, std::function<void()>>> raisers = {
        {"silent abort", [] { throw SilentAbort(); }},
        {"engine error", [] { throw EngineError("Index out of bounds"); }},
        {"out of memory", [] { throw std::bad_alloc(); }},
        {"an int", [] { throw 42; }},
        {"not an exception class", [] { throw TNotAnException(); }},
    };
    for (const auto& [name, raise] : raisers) {
        bool ran = false;
        GuardedHandler("test", [&] {
            ran = true;
            raise();
        });
        EXPECT_TRUE(ran) << name;
    }
    int calls = 0;
    GuardedHandler("test", [&] { ++calls; });
    EXPECT_EQ(calls, 1);
}

TEST(GuardedHandler, AClickHandlerThatRaisesLeavesTheLinkUsable)
{
    TLinkLabel link(QStringLiteral("More Help"));
    link.resize(80, 18);
    link.show();
    int clicks = 0;
    link.OnClick = [&] {
        ++clicks;
        throw TNotAnException();
    };
    QTest::mouseClick(&link, Qt::LeftButton);
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
}
