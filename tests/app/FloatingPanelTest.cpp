// A floating panel's host window: dragging it by the panel's body moves it
// by exactly the pointer's travel; controls on the panel keep their clicks;
// its hints show while another window is the active one.
#include "app/windows/FloatingPanel.h"

#include "app/windows/HeaderPanel.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FloatingPanelTest : public ::testing::Test {
protected:
    FloatingPanelTest()
    {
        content = new QWidget;
        label = new QLabel("Width", content);
        label->setGeometry(4, 22, 60, 14);
        button = new QPushButton("Go", content);
        button->setGeometry(100, 22, 60, 20);
        host.SetPanel(new THeaderPanel(StandardPanelSetup(ptStrokeSettings), content));
        host.move(100, 120);
        host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
    }

    TFormPanel host;
    QWidget* content;
    QLabel* label;
    QPushButton* button;
};

} // namespace

TEST_F(FloatingPanelTest, TheWindowTakesThePanelsSizeAndTheContentCoversIt)
{
    EXPECT_EQ(host.size(), QSize(222, 69));
    EXPECT_EQ(content->geometry(), QRect(0, 0, 222, 69));
    // The header's buttons stay above the content.
    THeaderPanel* panel = host.Panel();
    EXPECT_EQ(panel->childAt(panel->CloseButton()->geometry().center()), panel->CloseButton());
    // Labels on the panel are white.
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::white));
}

TEST_F(FloatingPanelTest, DragStepsMoveByThePointersTravel)
{
    host.FormMouseDown({300, 300});
    EXPECT_TRUE(host.Dragging());
    host.FormMouseMove({330, 290});
    EXPECT_EQ(host.pos(), QPoint(130, 110));
    host.FormMouseMove({250, 400});
    EXPECT_EQ(host.pos(), QPoint(50, 220));
    host.FormMouseUp();
    EXPECT_FALSE(host.Dragging());
    host.FormMouseMove({0, 0});
    EXPECT_EQ(host.pos(), QPoint(50, 220));
}

TEST_F(FloatingPanelTest, DraggingByABodyLabelMovesTheWindow)
{
    const QPoint at(10, 8);
    QTest::mousePress(label, Qt::LeftButton, {}, at);
    EXPECT_TRUE(host.Dragging());
    QTest::mouseMove(label, at + QPoint(25, -7));
    EXPECT_EQ(host.pos(), QPoint(125, 113));
    QTest::mouseRelease(label, Qt::LeftButton, {}, at + QPoint(25, -7));
    EXPECT_FALSE(host.Dragging());
}

TEST_F(FloatingPanelTest, APressOnAControlDoesNotDrag)
{
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(host.Dragging());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(host.pos(), QPoint(100, 120));
}


TEST_F(FloatingPanelTest, TheHeaderRunsFromTheLayoutsBlueToSkyBlueUnderAWhiteBoldCaption)
{
    THeaderPanel* panel = host.Panel();
    const QImage look = panel->grab().toImage();
    const int bottom = look.height() - 1;
    struct Case {
        int X;
        QColor Expected;
    };
    // 11559221 is red 53, green 96, blue 176; sky blue is $F0CAA6.
    for (const Case& c : {Case{0, QColor(53, 96, 176)}, Case{look.width() - 1, QColor(166, 202, 240)}}) {
        const QColor got = look.pixelColor(c.X, bottom);
        EXPECT_NEAR(got.red(), c.Expected.red(), 2) << c.X;
        EXPECT_NEAR(got.green(), c.Expected.green(), 2) << c.X;
        EXPECT_NEAR(got.blue(), c.Expected.blue(), 2) << c.X;
    }
    const QLabel* caption = panel->Caption();
    EXPECT_EQ(caption->text(), "Stroke Settings");
    EXPECT_EQ(caption->font().pixelSize(), 13);
    EXPECT_TRUE(caption->font().bold());
    EXPECT_EQ(caption->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_LE(caption->x(), 8);
    EXPECT_LE(caption->y(), 4);
}

// A panel opens without taking the activation from the main window, and the
// toolkit shows hints only in the active window unless told otherwise: the
// panels' hints must show all the same.
TEST_F(FloatingPanelTest, HintsShowWhileAnotherWindowIsActive)
{
    QWidget main;
    main.setGeometry(400, 400, 300, 200);
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    ASSERT_FALSE(host.isActiveWindow());

    THeaderPanel* panel = host.Panel();
    struct Case {
        QWidget* Button;
        const char* Hint;
    };
    for (const Case& c : {Case{panel->CloseButton(), "Close window"}, Case{panel->PinButton(), "Fix the window"}}) {
        // Through the window system, as a real pointer moves.
        QTest::mouseMove(host.windowHandle(), c.Button->mapTo(&host, c.Button->rect().center()));
        EXPECT_TRUE(QTest::qWaitFor([&c] { return QToolTip::isVisible() && QToolTip::text() == c.Hint; }, 5000))
            << c.Hint;
    }
    QToolTip::hideText();
}
