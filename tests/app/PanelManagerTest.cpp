// The floating settings panels: opening at the pointer within the main
// window's right and bottom edges, openers, pins, closing, auto-hide over the
// working areas and the application's activation.
#include "app/windows/PanelManager.h"

#include "app/windows/FloatingPanel.h"
#include "app/windows/HeaderPanel.h"
#include "app/windows/PanelButtonPictures.h"

#include <QCursor>
#include <QDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

constexpr int AllTags[] = {ptStrokeSettings, ptColorSettings, ptBrushes, ptAdvSettings, ptSizeDensity};

bool SamePicture(const QIcon& icon, TPanelButtonPicture picture)
{
    return icon.pixmap(18, 18).toImage() == PanelButtonPicture(picture).toImage();
}

// A stand-in main window with the openers of two panels and a "view".
class PanelManagerTest : public ::testing::Test {
protected:
    PanelManagerTest()
    {
        window.setGeometry(MainBounds);
        settingsButton = new QPushButton("...", &window);
        colorLabel = new QLabel("Color Settings", &window);
        colorLabel->setGeometry(10, 40, 100, 16);
        view = new QWidget(&window);
        view->setGeometry(200, 200, 300, 200);
        window.show();
        for (int tag : AllTags) manager.AddPanel(StandardPanelSetup(tag), new QLabel("content"));
        manager.AddOpener(settingsButton, ptStrokeSettings);
        manager.AddOpener(colorLabel, ptColorSettings);
        manager.AddAutoHideArea(view);
    }

    bool Shown(int tag) const { return manager.Host(tag)->isVisible(); }

    void MoveOver(QWidget* widget)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    void OpenAt(int tag, QPoint pointer)
    {
        QCursor::setPos(pointer);
        manager.ShowPanels(tag);
    }

    static constexpr QRect MainBounds{0, 0, 1074, 770};
    QWidget window;
    QPushButton* settingsButton;
    QLabel* colorLabel;
    QWidget* view;
    TPanelManager manager{&window, false};
};

} // namespace

TEST_F(PanelManagerTest, HostsAreBorderlessTopmostTranslucentWindows)
{
    for (int tag : AllTags) {
        TFormPanel* host = manager.Host(tag);
        ASSERT_NE(host, nullptr);
        EXPECT_TRUE(host->isWindow());
        EXPECT_TRUE(host->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(host->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_NEAR(host->windowOpacity(), 240.0 / 255.0, 1.0 / 255);
        EXPECT_FALSE(host->isVisible());
        EXPECT_EQ(manager.Panel(tag)->Caption()->text(), StandardPanelSetup(tag).Caption);
    }
    EXPECT_EQ(manager.Host(999), nullptr);
}

TEST_F(PanelManagerTest, APanelOpensAtThePointerWithinTheRightAndBottomEdges)
{
    // The bounds include whatever frame the platform gives the window.
    const QRect bounds = window.frameGeometry();
    const int right = bounds.x() + bounds.width(), bottom = bounds.y() + bounds.height();
    ASSERT_GT(right, 1000);
    const struct {
        int tag;
        QPoint pointer;
        QRect expected;
    } cases[] = {
        {ptStrokeSettings, {500, 600}, {490, 590, 222, 69}},
        // Near the bottom-right corner: 10 pixels inside both edges.
        {ptAdvSettings, {right - 4, bottom - 5}, {right - 217 - 10, bottom - 97 - 10, 217, 97}},
        {ptAdvSettings, {right - 217 + 10, bottom - 97 + 10}, {right - 217, bottom - 97, 217, 97}},
        {ptAdvSettings, {right - 217 + 11, bottom - 97 + 11}, {right - 227, bottom - 107, 217, 97}},
        // The left and top edges are not corrected.
        {ptSizeDensity, {3, 4}, {-7, -6, 193, 62}},
        {ptBrushes, {100, 100}, {90, 90, 162, 142}},
    };
    for (const auto& c : cases) {
        OpenAt(c.tag, c.pointer);
        EXPECT_TRUE(Shown(c.tag));
        EXPECT_EQ(manager.Host(c.tag)->geometry(), c.expected) << c.pointer.x() << "," << c.pointer.y();
        EXPECT_EQ(manager.Panel(c.tag)->size(), c.expected.size());
    }
}

// An opener shows its panel at the pointer even when it is already shown.
TEST_F(PanelManagerTest, OpenersShowTheirPanels)
{
    QCursor::setPos(500, 600);
    settingsButton->click();
    EXPECT_TRUE(Shown(ptStrokeSettings));
    EXPECT_EQ(manager.Host(ptStrokeSettings)->pos(), QPoint(490, 590));
    QCursor::setPos(300, 200);
    settingsButton->click();
    EXPECT_EQ(manager.Host(ptStrokeSettings)->pos(), QPoint(290, 190));

    EXPECT_FALSE(Shown(ptColorSettings));
    QTest::mouseClick(colorLabel, Qt::RightButton);
    EXPECT_FALSE(Shown(ptColorSettings));
    QTest::mouseClick(colorLabel, Qt::LeftButton);
    EXPECT_TRUE(Shown(ptColorSettings));
    EXPECT_EQ(settingsButton->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(colorLabel->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(PanelManagerTest, HoveringAnOpenerLabelUnderlinesIt)
{
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(colorLabel, &enter);
    EXPECT_TRUE(colorLabel->font().underline());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(colorLabel, &leave);
    EXPECT_FALSE(colorLabel->font().underline());
}

TEST_F(PanelManagerTest, ThePinToggles)
{
    QToolButton* pin = manager.Panel(ptAdvSettings)->PinButton();
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(pin->toolTip(), "Fix the window");
    EXPECT_TRUE(SamePicture(pin->icon(), TPanelButtonPicture::NotPinned));
    pin->click();
    EXPECT_TRUE(manager.IsFixed(ptAdvSettings));
    EXPECT_TRUE(SamePicture(pin->icon(), TPanelButtonPicture::Pinned));
    pin->click();
    EXPECT_FALSE(manager.IsFixed(ptAdvSettings));
    EXPECT_TRUE(SamePicture(pin->icon(), TPanelButtonPicture::NotPinned));
    EXPECT_FALSE(manager.IsFixed(999));
}

TEST_F(PanelManagerTest, BrushesCollectionHasNoPin)
{
    EXPECT_EQ(manager.Panel(ptBrushes)->PinButton(), nullptr);
    for (int tag : AllTags) {
        if (tag != ptBrushes) {
            EXPECT_NE(manager.Panel(tag)->PinButton(), nullptr) << tag;
        }
    }
    EXPECT_EQ(manager.Panel(ptColorSettings)->CloseButton()->toolTip(), "Close window.");
    EXPECT_EQ(manager.Panel(ptBrushes)->CloseButton()->toolTip(), "");
}

TEST_F(PanelManagerTest, AMoveOverAViewHidesTheUnpinnedPanels)
{
    OpenAt(ptAdvSettings, {100, 100});
    OpenAt(ptSizeDensity, {400, 100});
    manager.Panel(ptAdvSettings)->PinButton()->click();
    MoveOver(view);
    EXPECT_TRUE(Shown(ptAdvSettings));
    EXPECT_FALSE(Shown(ptSizeDensity));

    // An opener button that is also an auto-hide area hides the others on
    // the way and shows its own panel on a click.
    manager.AddAutoHideArea(settingsButton);
    MoveOver(settingsButton);
    EXPECT_FALSE(Shown(ptSizeDensity));
    QTest::mouseClick(settingsButton, Qt::LeftButton);
    EXPECT_TRUE(Shown(ptStrokeSettings));

    // Moves elsewhere leave them alone.
    OpenAt(ptSizeDensity, {400, 100});
    MoveOver(&window);
    EXPECT_TRUE(Shown(ptSizeDensity));
}

TEST_F(PanelManagerTest, ClosingAPinnedPanelUnpinsIt)
{
    OpenAt(ptStrokeSettings, {100, 100});
    THeaderPanel* panel = manager.Panel(ptStrokeSettings);
    panel->PinButton()->click();
    panel->CloseButton()->click();
    EXPECT_FALSE(Shown(ptStrokeSettings));
    EXPECT_FALSE(manager.IsFixed(ptStrokeSettings));
    EXPECT_TRUE(SamePicture(panel->PinButton()->icon(), TPanelButtonPicture::NotPinned));

    OpenAt(ptStrokeSettings, {100, 100});
    MoveOver(view);
    EXPECT_FALSE(Shown(ptStrokeSettings));
}

TEST_F(PanelManagerTest, AnotherProgramHidesAllAndComingBackShowsThePinned)
{
    OpenAt(ptStrokeSettings, {100, 100});
    OpenAt(ptColorSettings, {300, 100});
    manager.SetFixed(ptColorSettings, true);
    manager.ApplicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(Shown(ptStrokeSettings));
    EXPECT_FALSE(Shown(ptColorSettings));
    EXPECT_TRUE(manager.IsFixed(ptColorSettings));
    manager.ApplicationStateChanged(Qt::ApplicationActive);
    EXPECT_FALSE(Shown(ptStrokeSettings));
    EXPECT_TRUE(Shown(ptColorSettings));
    EXPECT_EQ(manager.Host(ptColorSettings)->pos(), QPoint(290, 90));

    manager.HideAll();
    EXPECT_FALSE(Shown(ptColorSettings));
    manager.ShowFixed();
    EXPECT_TRUE(Shown(ptColorSettings));
    manager.HidePanel(ptColorSettings);
    EXPECT_FALSE(Shown(ptColorSettings));
    EXPECT_TRUE(manager.IsFixed(ptColorSettings));
}

// A panel stays on top of every window, and a modal dialog blocks the
// mouse everywhere else: a panel left over the dialog could be neither used
// nor moved away, and would cover the dialog's buttons. The panels step
// aside while the dialog is open and come back as they were.
TEST_F(PanelManagerTest, PanelsStepAsideWhileAModalDialogIsOpen)
{
    for (bool otherProgramMeanwhile : {false, true}) {
        OpenAt(ptStrokeSettings, {100, 100});
        OpenAt(ptAdvSettings, {300, 100});
        manager.SetFixed(ptAdvSettings, true);
        ASSERT_TRUE(Shown(ptStrokeSettings));
        ASSERT_TRUE(Shown(ptAdvSettings));

        auto* dialog = new QDialog(&window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->show();
        QCoreApplication::processEvents();
        EXPECT_FALSE(Shown(ptStrokeSettings));
        EXPECT_FALSE(Shown(ptAdvSettings));
        if (otherProgramMeanwhile) {
            // Coming back while the dialog is open does not put the pinned
            // panel over it either; the unpinned one is gone for good.
            manager.ApplicationStateChanged(Qt::ApplicationInactive);
            manager.ApplicationStateChanged(Qt::ApplicationActive);
            EXPECT_FALSE(Shown(ptAdvSettings));
        }

        dialog->close();
        QCoreApplication::processEvents();
        EXPECT_TRUE(Shown(ptAdvSettings));
        EXPECT_EQ(manager.Host(ptAdvSettings)->pos(), QPoint(290, 90));
        EXPECT_EQ(Shown(ptStrokeSettings), !otherProgramMeanwhile);
        EXPECT_FALSE(Shown(ptColorSettings));
        manager.SetFixed(ptAdvSettings, false);
        manager.HideAll();
    }
}

TEST_F(PanelManagerTest, APanelHiddenDuringAModalDialogStaysHidden)
{
    OpenAt(ptStrokeSettings, {100, 100});
    auto* dialog = new QDialog(&window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    QCoreApplication::processEvents();
    manager.HideAll();
    dialog->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Shown(ptStrokeSettings));
}
