// Windows placed in the middle of their owner, or of the screen when the
// owner is missing or hidden.
#include "app/dialogs/ScreenCentre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

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
