// The pattern editor: frames shown in the view and their thumbnails, curves
// drawn and dragged written straight back into the frame, Cancel putting the
// frames back, and patterns whose frame count is not five.
#include "app/dialogs/PatternEditor.h"

#include "app/tools/InputController.h"
#include "controls/ImageViewWidget.h"
#include "engine/PersistentObjectManager.h"
#include "engine/PolyBezier.h"
#include "engine/PolyBezierLayer.h"
#include "engine/ScratchTempFolder.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

std::vector<TBezier> Records(const TPatternFrame& frame) { return {frame.Curves().begin(), frame.Curves().end()}; }

bool AllPixels(const TBitmap32& bmp, TColor32 c)
{
    for (int32_t y = 0; y < bmp.Height(); ++y)
        for (int32_t x = 0; x < bmp.Width(); ++x)
            if (bmp.Pixel(x, y) != c) return false;
    return true;
}

bool SameBitmap(const TBitmap32& a, const TBitmap32& b)
{
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Bits(), a.Bits() + int64_t(a.Width()) * a.Height(), b.Bits());
}

const TBezier CurveA{{20, 30}, {60, 10}, {100, 50}, {150, 40}};
const TBezier CurveB{{30, 150}, {80, 120}, {120, 190}, {180, 160}};

class PatternEditorTest : public ::testing::Test {
protected:
    // A pattern of Frames frames; frame 0 holds CurveA and CurveB when asked.
    void Open(int32_t frames, bool withCurves)
    {
        for (int32_t i = 0; i < frames; ++i) pattern.AddPatternFrame(std::make_unique<TPatternFrame>());
        if (withCurves) {
            pattern.GetFrames(0).AddCurve(CurveA);
            pattern.GetFrames(0).AddCurve(CurveB);
        }
        Show();
    }
    void Show()
    {
        editor.SetObject(&pattern);
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
    QWidget* ViewPort() { return editor.ImgView().viewport(); }
    // A drag in the editing view, through the widget as a user's mouse would.
    void DragInView(QPoint from, const std::vector<QPoint>& moves)
    {
        QTest::mousePress(ViewPort(), Qt::LeftButton, {}, from);
        for (const QPoint& p : moves) QTest::mouseMove(ViewPort(), p);
        QTest::mouseRelease(ViewPort(), Qt::LeftButton, {}, moves.empty() ? from : moves.back());
    }
    TBezier LayerCurve(int32_t i) { return editor.CurveLayer().GetPolyBeziers(i).GetBezier(0); }

    TScratchTempFolder temp;
    TPattern pattern;
    TFPatternEdit editor;
};

} // namespace

TEST_F(PatternEditorTest, ANewPatternOpensOnGreyThumbnailsAndTheFirstFrame)
{
    Open(5, false);
    for (int32_t i = 0; i < TFPatternEdit::FrameSlots; ++i) {
        EXPECT_EQ(editor.Thumbnail(i).Width(), 56);
        EXPECT_TRUE(AllPixels(editor.Thumbnail(i), 0xFFCCCCCC)) << i;
        EXPECT_EQ(editor.BevelLowered(i), i == 0) << i;
    }
    EXPECT_EQ(editor.CurrentFrame(), 0);
    EXPECT_EQ(editor.CurveLayer().Count(), 0);
    EXPECT_EQ(pattern.FrameCount(), 5);
    EXPECT_EQ(editor.size(), QSize(333, 299));
    EXPECT_EQ(editor.windowTitle(), "Add New Pattern");
}

TEST_F(PatternEditorTest, AFramesCurvesAreShownUnchangedWithTheLastSelected)
{
    Open(5, true);
    ASSERT_EQ(editor.CurveLayer().Count(), 2);
    EXPECT_EQ(LayerCurve(0), CurveA);
    EXPECT_EQ(LayerCurve(1), CurveB);
    EXPECT_EQ(editor.CurveLayer().Selected(), 1);
    EXPECT_EQ(Records(pattern.GetFrames(0)), (std::vector<TBezier>{CurveA, CurveB}));
    EXPECT_FALSE(AllPixels(editor.Thumbnail(0), 0xFFCCCCCC));
    EXPECT_TRUE(AllPixels(editor.Thumbnail(1), 0xFFCCCCCC));
    // Away and back: the same curves in the same order.
    editor.SelectFrame(3);
    EXPECT_EQ(editor.CurveLayer().Count(), 0);
    editor.SelectFrame(0);
    EXPECT_EQ(LayerCurve(0), CurveA);
    EXPECT_EQ(LayerCurve(1), CurveB);
    EXPECT_EQ(Records(pattern.GetFrames(0)), (std::vector<TBezier>{CurveA, CurveB}));
}

TEST_F(PatternEditorTest, ACurveDrawnIntoTheThirdFrameIsOneRecord)
{
    Open(5, true);
    const TBitmap32 first = editor.Thumbnail(0);
    QTest::mouseClick(&editor.ThumbnailControl(2), Qt::LeftButton);
    EXPECT_EQ(editor.CurrentFrame(), 2);
    EXPECT_TRUE(editor.BevelLowered(2));
    EXPECT_FALSE(editor.BevelLowered(0));
    editor.AddCurveButton().click();
    EXPECT_EQ(editor.ImgView().View().Cursor(), TCursorShape::crCross);
    DragInView({40, 50}, {{60, 60}, {80, 90}, {110, 100}, {140, 120}, {160, 150}});
    ASSERT_EQ(pattern.GetFrames(2).Count(), 1);
    const TBezier b = pattern.GetFrames(2).GetCurves(0);
    EXPECT_EQ(b.P0, (TPoint{40, 50}));
    EXPECT_EQ(b.P3, (TPoint{160, 150}));
    EXPECT_EQ(b, LayerCurve(0));
    EXPECT_EQ(Records(pattern.GetFrames(0)), (std::vector<TBezier>{CurveA, CurveB}));
    // Only the third thumbnail was redrawn.
    EXPECT_FALSE(AllPixels(editor.Thumbnail(2), 0xFFCCCCCC));
    EXPECT_TRUE(SameBitmap(editor.Thumbnail(0), first));
    EXPECT_TRUE(AllPixels(editor.Thumbnail(1), 0xFFCCCCCC));
}

TEST_F(PatternEditorTest, DraggingAnEndPointRewritesTheRecordAtEveryMove)
{
    Open(5, true);
    editor.PointerButton().click();
    EXPECT_EQ(editor.ImgView().View().Cursor(), TCursorShape::crDefault);
    QTest::mousePress(ViewPort(), Qt::LeftButton, {}, {152, 41}); // CurveA's end, 3 away
    QTest::mouseMove(ViewPort(), {170, 60});
    EXPECT_EQ(pattern.GetFrames(0).GetCurves(0).P3, (TPoint{170, 60}));
    QTest::mouseMove(ViewPort(), {190, 80});
    QTest::mouseRelease(ViewPort(), Qt::LeftButton, {}, {190, 80});
    const TBezier moved{CurveA.P0, CurveA.P1, CurveA.P2, {190, 80}};
    EXPECT_EQ(Records(pattern.GetFrames(0)), (std::vector<TBezier>{moved, CurveB}));
}

TEST_F(PatternEditorTest, CancelPutsTheFramesBack)
{
    Open(5, true);
    const std::vector<TBezier> before = Records(pattern.GetFrames(0));
    editor.AddCurveButton().click();
    DragInView({10, 10}, {{50, 20}, {90, 40}, {120, 30}});
    editor.PointerButton().click();
    DragInView({21, 31}, {{5, 5}});
    editor.SelectFrame(4);
    editor.AddCurveButton().click();
    DragInView({100, 100}, {{150, 120}});
    ASSERT_EQ(pattern.GetFrames(0).Count(), 3);
    ASSERT_EQ(pattern.GetFrames(4).Count(), 1);
    editor.CancelButton().click();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.result(), QDialog::Rejected);
    EXPECT_EQ(pattern.FrameCount(), 5);
    EXPECT_EQ(Records(pattern.GetFrames(0)), before);
    for (int32_t i = 1; i < 5; ++i) EXPECT_EQ(pattern.GetFrames(i).Count(), 0) << i;
    EXPECT_EQ(pattern.Preview(), nullptr);
}

// Escape during a drag closes the dialog before the release arrives; the
// drag must end with it, or the next showing's hovering would bend the
// curve selected there.
TEST_F(PatternEditorTest, ClosingMidDragEndsTheDrag)
{
    Open(5, true);
    editor.AddCurveButton().click();
    QTest::mousePress(ViewPort(), Qt::LeftButton, {}, {40, 40});
    QTest::mouseMove(ViewPort(), {60, 70});
    QTest::keyClick(&editor.ImgView(), Qt::Key_Escape);
    ASSERT_FALSE(editor.isVisible());
    EXPECT_FALSE(editor.CurrentTool()->InDrag());
    Show();
    EXPECT_FALSE(editor.CurveLayer().Locked());
    for (const QPoint& p : {QPoint{100, 100}, QPoint{120, 110}, QPoint{140, 150}, QPoint{160, 170}})
        QTest::mouseMove(ViewPort(), p);
    EXPECT_EQ(Records(pattern.GetFrames(0)), (std::vector<TBezier>{CurveA, CurveB}));
    // The add-curve tool is still the one chosen, and draws at the next press.
    DragInView({20, 20}, {{50, 40}});
    EXPECT_EQ(pattern.GetFrames(0).Count(), 3);
}

TEST_F(PatternEditorTest, AcceptKeepsTheEdits)
{
    Open(5, false);
    editor.AddCurveButton().click();
    DragInView({10, 10}, {{50, 20}, {90, 40}});
    editor.AcceptButton().click();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(pattern.GetFrames(0).Count(), 1);
}

TEST_F(PatternEditorTest, AFrameBeyondTheCountIsAddedAndKept)
{
    // A file with two frames holding curves (empty ones are dropped on load).
    Open(2, true);
    QTest::mouseClick(&editor.ThumbnailControl(4), Qt::LeftButton);
    EXPECT_EQ(editor.CurrentFrame(), 4);
    EXPECT_EQ(pattern.FrameCount(), 5);
    editor.AddCurveButton().click();
    DragInView({30, 30}, {{60, 70}, {90, 100}});
    EXPECT_EQ(pattern.GetFrames(4).Count(), 1);
    editor.AcceptButton().click();
    // Through a file: the drawn frame survives.
    pattern.SaveToFile(temp.Folder() + "p.stk");
    TPattern loaded;
    loaded.LoadFromFile(temp.Folder() + "p.stk");
    ASSERT_EQ(loaded.FrameCount(), 2);
    EXPECT_EQ(Records(loaded.GetFrames(1)), Records(pattern.GetFrames(4)));
}

TEST_F(PatternEditorTest, ASixthFrameIsKeptButNotShown)
{
    for (int32_t i = 0; i < 6; ++i) {
        auto frame = std::make_unique<TPatternFrame>();
        frame->AddCurve({{10 + i * 20, 10}, {30, 60}, {60, 30}, {100, 100 + i * 10}});
        pattern.AddPatternFrame(std::move(frame));
    }
    pattern.SaveToFile(temp.Folder() + "six.stk");
    TPattern loaded;
    loaded.LoadFromFile(temp.Folder() + "six.stk");
    ASSERT_EQ(loaded.FrameCount(), 6);
    const std::vector<TBezier> sixth = Records(loaded.GetFrames(5));
    editor.SetObject(&loaded);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    for (int32_t i = 0; i < TFPatternEdit::FrameSlots; ++i) EXPECT_FALSE(AllPixels(editor.Thumbnail(i), 0xFFCCCCCC)) << i;
    EXPECT_EQ(editor.CurrentFrame(), 0);
    EXPECT_EQ(loaded.FrameCount(), 6);
    EXPECT_EQ(Records(loaded.GetFrames(5)), sixth);
    editor.CancelButton().click();
    EXPECT_EQ(loaded.FrameCount(), 6);
}

TEST_F(PatternEditorTest, TheManagerEditsThroughTheForm)
{
    TPersistentObjectManager manager(TPattern::StaticClass(), temp.Folder());
    TFPatternEdit form(&manager);
    EXPECT_EQ(manager.EditForm(), &form);
    manager.OnNew = [](TPersistentObjectManager& m) {
        auto& p = static_cast<TPattern&>(*m.Current());
        for (int i = 0; i < 5; ++i) p.AddPatternFrame(std::make_unique<TPatternFrame>());
    };
    // The user draws one curve and accepts.
    QTimer::singleShot(0, &form, [&] {
        form.AddCurveButton().click();
        QTest::mousePress(form.ImgView().viewport(), Qt::LeftButton, {}, {20, 20});
        QTest::mouseMove(form.ImgView().viewport(), {120, 90});
        QTest::mouseRelease(form.ImgView().viewport(), Qt::LeftButton, {}, {120, 90});
        form.AcceptButton().click();
    });
    ASSERT_TRUE(manager.New());
    EXPECT_EQ(form.windowTitle(), "Edit");
    ASSERT_EQ(manager.Count(), 1);
    auto& saved = static_cast<TPattern&>(manager.GetObject(0));
    EXPECT_EQ(saved.GetFrames(0).Count(), 1);
    EXPECT_FALSE(saved.FileName().empty());
    // The tool stays what it was for the next use; Cancel leaves the pattern as it was.
    QTimer::singleShot(0, &form, [&] {
        QTest::mousePress(form.ImgView().viewport(), Qt::LeftButton, {}, {50, 50});
        QTest::mouseRelease(form.ImgView().viewport(), Qt::LeftButton, {}, {60, 60});
        form.CancelButton().click();
    });
    EXPECT_FALSE(manager.EditCurrent());
    EXPECT_EQ(saved.GetFrames(0).Count(), 1);
}
