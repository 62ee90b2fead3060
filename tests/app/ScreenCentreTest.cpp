// Windows placed in the middle of their owner, or of the screen when the
// owner is missing or hidden; a window fitted to the screen's free area, its
// frame included.
#include "app/dialogs/ScreenCentre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const QRect& r, std::ostream* out)
{
    *out << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

TEST(ScreenCentre, AWindowGoesToTheMiddleOfItsShownOwnerElseOfTheScreen)
{
    QWidget owner;
    owner.setGeometry(100, 120, 400, 300);
    const QPoint screenMiddle = QGuiApplication::primaryScreen()->availableGeometry().center();
    struct Case {
        const char* Name;
        bool OwnerGiven, OwnerShown;
    };
    for (const Case& c : {Case{"shown owner", true, true}, Case{"hidden owner", true, false}, Case{"no owner", false, false}}) {
        owner.setVisible(c.OwnerShown);
        if (c.OwnerShown) {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
        }
        QWidget window;
        window.resize(100, 50);
        CentreOnOwner(window, c.OwnerGiven ? &owner : nullptr);
        const QPoint middle = c.OwnerShown ? owner.frameGeometry().center() : screenMiddle;
        EXPECT_LE((window.frameGeometry().center() - middle).manhattanLength(), 2) << c.Name;
    }
    QWidget window;
    window.resize(80, 40);
    CentreOnScreen(window);
    EXPECT_LE((window.frameGeometry().center() - screenMiddle).manhattanLength(), 2);
}

TEST(ScreenCentre, AWindowIsCentredWithItsFrameAndShrunkToTheFreeAreaWhereItIsTooBig)
{
    const QSize design(1074, 770), minimum(400, 300);
    const QMargins frame(1, 20, 1, 5); // a thin border under a 20-pixel title bar
    struct Case {
        const char* Name;
        QSize Minimum;
        QMargins Frame;
        QRect Available;
        QRect Expected; // the frame's rectangle
    };
    const Case cases[] = {
        {"fits: unchanged and centred", minimum, frame, {0, 0, 1920, 1080}, {422, 142, 1076, 795}},
        {"fits on a screen right of another", minimum, frame, {1920, 50, 1920, 1080}, {2342, 192, 1076, 795}},
        {"just fits without a frame", minimum, {}, {0, 0, 1074, 770}, {0, 0, 1074, 770}},
        {"too tall: a 1366 x 768 laptop", minimum, frame, {0, 0, 1366, 768}, {145, 0, 1076, 768}},
        {"too tall below a 30-pixel panel", minimum, frame, {0, 30, 1366, 738}, {145, 30, 1076, 738}},
        {"too tall above a panel, right of another screen", minimum, frame, {1920, 0, 1366, 728},
         {2065, 0, 1076, 728}},
        {"too wide", minimum, frame, {0, 0, 1024, 900}, {0, 52, 1024, 795}},
        {"too wide and too tall: 800 x 600", minimum, frame, {0, 0, 800, 600}, {0, 0, 800, 600}},
        // The client area never goes below the minimum; the title bar stays on
        // the screen, the rest runs off it at the bottom.
        {"the minimum is taller than the free area", {500, 650}, frame, {0, 40, 800, 560}, {0, 40, 800, 675}},
    };
    for (const Case& c : cases) {
        const QRect fitted = FitOnScreen(design, c.Minimum, c.Frame, c.Available);
        EXPECT_EQ(fitted, c.Expected) << c.Name;
    }
}
