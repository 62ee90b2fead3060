// The input controllers: the add-curve path rules and the pointer's drag on
// a bare curve layer (as the pattern editor uses them), the brush radius by
// wheel and Shift, and every tool's drag on a real document, including the
// sequences that used to leave an undo step open.
#include "ToolTestSupport.h"

#include "app/tools/InputController.h"
#include "engine/PolyBezier.h"
#include "gfx/Errors.h"

#include <gtest/gtest.h>

namespace {

// A view without a picture, a curve layer over it and the two layer tools;
// the view's events go to the current tool unchanged, as in the pattern editor.
class LayerToolTest : public ::testing::Test {
protected:
    LayerToolTest() : layer(view), pointer(layer), addCurve(layer)
    {
        RouteMouseToTool(view, [this] { return current; });
    }

    TBezier Curve(int32_t index) const { return layer.GetPolyBeziers(index).GetBezier(0); }

    TImageView view;
    TPolyBezierLayer layer;
    TPointerInputController pointer;
    TAddCurveInputController addCurve;
    TAbstractInputController* current = &addCurve;
};

bool SameImage(const TBitmap32& a, const TBitmap32& b)
{
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Bits(), a.Bits() + int64_t(a.Width()) * a.Height(), b.Bits());
}

// A real document and its manager, with a first drag already recorded so
// that undo can be checked to remove exactly the drag under test.
class ToolDragTest : public ::testing::Test, public TRealToolDocument {
protected:
    void FirstDrag()
    {
        tools->SetTool(tnAuto);
        Drag(sourceView, {30, 30}, {60, 40});
        ASSERT_EQ(doc->StateCount(), 1);
        strokesBefore = doc->StrokeCount();
        ASSERT_GT(strokesBefore, 0);
        imageBefore = dest;
    }
    // Nesting back at 0, Steps steps, and undo (when the drag left a step of
    // its own) restores the strokes and picture of the first drag.
    void ExpectClosed(int32_t steps)
    {
        EXPECT_EQ(doc->StateNesting(), 0);
        EXPECT_EQ(doc->StateCount(), steps);
        if (steps == 2) {
            EXPECT_GT(doc->StrokeCount(), strokesBefore);
            doc->Undo();
        }
        EXPECT_EQ(doc->StrokeCount(), strokesBefore);
        EXPECT_TRUE(SameImage(dest, imageBefore));
        // And the next drag is a step of its own.
        const int32_t count = doc->StateCount();
        tools->SetTool(tnAuto);
        Drag(sourceView, {80, 60}, {100, 70});
        EXPECT_EQ(doc->StateCount(), count + 1);
        EXPECT_EQ(doc->StateNesting(), 0);
        doc->Undo();
        EXPECT_EQ(doc->StrokeCount(), strokesBefore);
    }

    int64_t strokesBefore = 0;
    TBitmap32 imageBefore;
};

} // namespace

// --- The add-curve tool -----------------------------------------------------------

TEST_F(LayerToolTest, APressAndReleaseLeaveACurveOfOnePoint)
{
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 40, 50);
    EXPECT_TRUE(layer.Locked());
    EXPECT_TRUE(addCurve.Drawing());
    view.MouseUp(TMouseButton::mbLeft, 0, 40, 50);
    ASSERT_EQ(layer.Count(), 1);
    EXPECT_EQ(Curve(0), (TBezier{{40, 50}, {40, 50}, {40, 50}, {40, 50}}));
    EXPECT_FALSE(layer.Locked());
    EXPECT_FALSE(addCurve.Drawing());
    EXPECT_TRUE(addCurve.Points().empty());
}

TEST_F(LayerToolTest, TheCurveFollowsThePathThroughItsThirds)
{
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 10, 10);
    struct TStep {
        TPoint move;
        TBezier expected;
    };
    const TStep steps[] = {
        // Two points: a straight line, both control points on the chord's midpoint.
        {{20, 10}, {{10, 10}, {15, 10}, {15, 10}, {20, 10}}},
        {{31, 21}, {{10, 10}, {20, 15}, {20, 15}, {31, 21}}},
        // H = 2: points Round(2/3) = 1 and Round(4/3) = 1.
        {{40, 30}, {{10, 10}, {31, 21}, {31, 21}, {40, 30}}},
        // H = 3: points 1 and 2.
        {{50, 40}, {{10, 10}, {31, 21}, {40, 30}, {50, 40}}},
        // H = 4: points Round(1.33) = 1 and Round(2.67) = 3.
        {{60, 55}, {{10, 10}, {31, 21}, {50, 40}, {60, 55}}},
    };
    for (const TStep& s : steps) {
        view.MouseMove(ssLeft, s.move.X, s.move.Y);
        EXPECT_EQ(Curve(0), s.expected) << "after the move to " << s.move.X << "," << s.move.Y;
    }
    view.MouseUp(TMouseButton::mbLeft, 0, 60, 55);
    EXPECT_EQ(layer.Count(), 1);
    EXPECT_EQ(Curve(0), steps[4].expected);
}

TEST_F(LayerToolTest, AReleaseWithoutAPressLeavesTheLayerAlone)
{
    view.MouseUp(TMouseButton::mbLeft, 0, 5, 5);
    view.MouseMove(0, 9, 9);
    EXPECT_EQ(layer.Count(), 0);
    EXPECT_FALSE(layer.Locked());
}

// --- The pointer --------------------------------------------------------------------

TEST_F(LayerToolTest, ThePointerDragsThePointUnderIt)
{
    auto curve = std::make_unique<TPolyBezier>(TPoint{0, 0});
    curve->AddCurveSegment({30, 0}, {70, 0}, {100, 0});
    layer.Add(std::move(curve));
    auto second = std::make_unique<TPolyBezier>(TPoint{0, 100});
    second->AddCurveSegment({30, 100}, {70, 100}, {100, 100});
    layer.Add(std::move(second));
    current = &pointer;
    pointer.Activate();
    // Near the first curve's second control point: Manhattan distance 5.
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 73, 2);
    EXPECT_TRUE(pointer.Dragging());
    EXPECT_EQ(layer.Selected(), 0);
    view.MouseMove(ssLeft, 75, 40);
    view.MouseMove(ssLeft, 80, 45);
    EXPECT_EQ(Curve(0), (TBezier{{0, 0}, {30, 0}, {80, 45}, {100, 0}}));
    view.MouseUp(TMouseButton::mbLeft, 0, 80, 45);
    EXPECT_FALSE(pointer.Dragging());
    view.MouseMove(0, 10, 10);
    EXPECT_EQ(Curve(0), (TBezier{{0, 0}, {30, 0}, {80, 45}, {100, 0}}));
    EXPECT_EQ(Curve(1), (TBezier{{0, 100}, {30, 100}, {70, 100}, {100, 100}}));
}

TEST_F(LayerToolTest, ThePointerMissingEveryPointDragsNothing)
{
    auto curve = std::make_unique<TPolyBezier>(TPoint{0, 0});
    curve->AddCurveSegment({30, 0}, {70, 0}, {100, 0});
    layer.Add(std::move(curve));
    current = &pointer;
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 50, 50);
    EXPECT_FALSE(pointer.Dragging());
    view.MouseMove(ssLeft, 60, 60);
    EXPECT_EQ(Curve(0), (TBezier{{0, 0}, {30, 0}, {70, 0}, {100, 0}}));
}

TEST_F(LayerToolTest, ThePointerChecksTheSelectedCurve)
{
    current = &pointer;
    // A locked empty layer claims the press but has no curve to give.
    layer.Lock();
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 50, 50);
    EXPECT_FALSE(pointer.Dragging());
    view.MouseMove(ssLeft, 60, 60);
    layer.Unlock();
    // A curve that goes with the layer's contents mid-drag is let go.
    auto curve = std::make_unique<TPolyBezier>(TPoint{0, 0});
    curve->AddCurveSegment({30, 0}, {70, 0}, {100, 0});
    layer.Add(std::move(curve));
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 1, 1);
    ASSERT_TRUE(pointer.Dragging());
    layer.Clear();
    view.MouseMove(ssLeft, 60, 60);
    EXPECT_FALSE(pointer.Dragging());
}

TEST_F(LayerToolTest, WithoutADocumentShiftAndWheelChangeNothing)
{
    int key = VirtualKey::vkShift;
    addCurve.KeyDown(view, key, ssShift);
    bool handled = false;
    addCurve.WheelUp(view, 0, {0, 0}, handled);
    // The move goes on to the tool; the press is still refused under Shift.
    EXPECT_THROW(view.MouseDown(TMouseButton::mbLeft, ssLeft, 5, 5), SilentAbort);
    EXPECT_EQ(layer.Count(), 0);
    addCurve.KeyUp(view, key, 0);
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 5, 5);
    EXPECT_EQ(layer.Count(), 1);
}

// --- Brush radius ---------------------------------------------------------------------

TEST_F(ToolDragTest, TheWheelStepsTheRadiusWithinItsLimits)
{
    struct TCase {
        int32_t from;
        bool up;
        int32_t to;
    };
    const TCase cases[] = {{8, false, 8}, {9, false, 8}, {50, false, 49}, {50, true, 51},
                           {399, true, 400}, {400, true, 400}, {500, true, 500}, {500, false, 499}};
    tools->SetTool(tnPattern);
    for (const TCase& c : cases) {
        doc->SetRadius(c.from);
        sourceView.MouseWheel(c.up ? 120 : -120, 0, {10, 10});
        EXPECT_EQ(doc->Radius(), c.to) << c.from << (c.up ? " up" : " down");
    }
}

TEST_F(ToolDragTest, ShiftSetsTheRadiusToTheCursorsDistanceFromTheAnchor)
{
    tools->SetTool(tnAuto);
    screenCursor = {100, 100};
    ShiftDown(sourceView);
    screenCursor = {300, 300};
    ShiftDown(sourceView); // auto-repeat keeps the first anchor
    EXPECT_EQ(tools->Current()->ShiftAnchor(), (TPoint{100, 100}));
    struct TCase {
        TPoint cursor;
        int32_t radius;
    };
    // The event's own position plays no part; values outside 8..500 are ignored.
    const TCase cases[] = {{{160, 180}, 100}, {{100, 107}, 100}, {{100, 108}, 8},
                           {{400, 500}, 500}, {{500, 500}, 500}, {{99, 90}, 10}};
    for (const TCase& c : cases) {
        screenCursor = c.cursor;
        Move(sourceView, 5, 5);
        EXPECT_EQ(doc->Radius(), c.radius) << c.cursor.X << "," << c.cursor.Y;
    }
    // The drag does not draw while Shift is held.
    Press(sourceView, 50, 50);
    Move(sourceView, 60, 60);
    Release(sourceView, 60, 60);
    EXPECT_EQ(doc->StateCount(), 0);
    EXPECT_EQ(doc->StateNesting(), 0);
    ShiftUp(sourceView);
    EXPECT_FALSE(tools->Current()->ShiftDown());
}

// Keys reach only the current tool: one left while Shift was held would
// never hear the release, and would size the brush instead of drawing once
// it is chosen again.
TEST_F(ToolDragTest, AToolLeftWhileShiftIsHeldDrawsWhenChosenAgain)
{
    tools->SetTool(tnAuto);
    ShiftDown(sourceView);
    tools->SetTool(tnPattern);
    ShiftUp(sourceView);
    tools->SetTool(tnAuto);
    EXPECT_FALSE(tools->Current()->ShiftDown());
    Drag(sourceView, {30, 30}, {60, 40});
    EXPECT_EQ(doc->StateCount(), 1);
    EXPECT_GT(doc->StrokeCount(), 0);
}

// --- Drags on the document -----------------------------------------------------------

TEST_F(ToolDragTest, SelectingAToolSetsTheDocumentsModes)
{
    tools->SetTool(tnPattern);
    EXPECT_FALSE(doc->AutoMode());
    EXPECT_EQ(doc->CursorMode(), cuCircle);
    EXPECT_FALSE(doc->CurveLayer().Layer()->MouseEvents());
    tools->SetTool(tnAuto);
    EXPECT_TRUE(doc->AutoMode());
    tools->SetTool(tnPointer);
    EXPECT_EQ(doc->CursorMode(), cuNone);
    EXPECT_TRUE(doc->CurveLayer().Layer()->MouseEvents());
    tools->SetTool(tnFreeHand);
    EXPECT_EQ(doc->CursorMode(), cuCross);
}

TEST_F(ToolDragTest, EachSprayDragIsOneUndoStep)
{
    for (int32_t tool : {tnPattern, tnAuto}) {
        tools->SetTool(tool);
        const int32_t before = doc->StateCount();
        Drag(sourceView, {40, 40}, {120, 80}, 10);
        EXPECT_EQ(doc->StateCount(), before + 1) << tool;
        EXPECT_EQ(doc->StateNesting(), 0);
        EXPECT_GT(doc->States().GetState(before).Strokes().Count(), 0) << tool;
    }
    doc->Undo();
    doc->Undo();
    EXPECT_EQ(doc->StrokeCount(), 0);
    EXPECT_TRUE(SameImage(dest, TBitmap32(160, 120, clWhite32)));
}

TEST_F(ToolDragTest, TheBandFillsOnceAndIsGoneAfterTheRelease)
{
    tools->SetTool(tnFreeHand);
    doc->SetRadius(20);
    Press(sourceView, 20, 60);
    ASSERT_EQ(doc->CurveLayer().Count(), 1);
    EXPECT_EQ(doc->CurveLayer().GetPolyBeziers(0).Width(), 20.0f);
    EXPECT_TRUE(doc->CurveLayer().Locked());
    for (int i = 1; i <= 6; ++i) Move(sourceView, 20 + i * 20, 60 + (i % 2) * 10);
    EXPECT_EQ(doc->StateNesting(), 1);
    Release(sourceView, 140, 60);
    EXPECT_EQ(doc->StateCount(), 1);
    EXPECT_EQ(doc->StateNesting(), 0);
    EXPECT_GT(doc->StrokeCount(), 1);
    EXPECT_EQ(doc->CurveLayer().Count(), 0);
    EXPECT_FALSE(doc->CurveLayer().Locked());
}

// --- The sequences that used to leave a step open ------------------------------------

TEST_F(ToolDragTest, AReleaseWithShiftHeldStillEndsTheDrag)
{
    FirstDrag();
    // Spray tools keep what they laid before Shift went down, as a step of
    // its own; the band lays nothing and leaves no step.
    const std::pair<int32_t, int32_t> cases[] = {{tnPattern, 2}, {tnAuto, 2}, {tnFreeHand, 1}};
    for (const auto& [tool, steps] : cases) {
        tools->SetTool(tool);
        Press(sourceView, 40, 40);
        Move(sourceView, 50, 45);
        ShiftDown(sourceView);
        Move(sourceView, 60, 50);
        Release(sourceView, 60, 50, ssShift);
        ShiftUp(sourceView);
        EXPECT_FALSE(tools->Controller(tool)->InDrag()) << tool;
        EXPECT_EQ(doc->CurveLayer().Count(), 0);
        EXPECT_FALSE(doc->CurveLayer().Locked());
        ExpectClosed(steps);
    }
}

TEST_F(ToolDragTest, AStrayReleaseChangesNothing)
{
    FirstDrag();
    for (int32_t tool : {tnPattern, tnAuto, tnFreeHand, tnPointer}) {
        tools->SetTool(tool);
        Release(sourceView, 50, 50);
        ExpectClosed(1);
    }
    // A press refused under Shift, released after Shift went up.
    tools->SetTool(tnPattern);
    ShiftDown(sourceView);
    Press(sourceView, 50, 50);
    ShiftUp(sourceView);
    Release(sourceView, 50, 50);
    ExpectClosed(1);
}

TEST_F(ToolDragTest, ChangingToolMidDragEndsTheDrag)
{
    FirstDrag();
    tools->SetTool(tnPattern);
    Press(sourceView, 40, 40);
    Move(sourceView, 70, 50);
    tools->SetTool(tnPointer);
    Release(sourceView, 70, 50);
    ExpectClosed(2);

    tools->SetTool(tnFreeHand);
    Press(sourceView, 40, 40);
    Move(sourceView, 90, 50);
    tools->SetTool(tnPattern);
    EXPECT_EQ(doc->CurveLayer().Count(), 0);
    EXPECT_FALSE(doc->CurveLayer().Locked());
    Release(sourceView, 90, 50);
    ExpectClosed(1);

    tools->SetTool(tnAddCurve);
    Press(sourceView, 40, 40);
    tools->SetTool(tnPointer);
    EXPECT_FALSE(doc->CurveLayer().Locked());
    EXPECT_EQ(doc->StateNesting(), 0);
}

TEST_F(ToolDragTest, APressOnTheInactiveViewDrawsWhereItLands)
{
    FirstDrag();
    tools->SetTool(tnPattern);
    doc->SetRadius(10);
    ASSERT_EQ(doc->ActiveView(), &sourceView);
    Press(destView, 70, 70);
    EXPECT_EQ(doc->ActiveView(), &destView);
    EXPECT_EQ(doc->CurveLayer().Image(), &destView);
    Move(destView, 75, 72);
    Release(destView, 75, 72);
    // The result has the source's size: strokes start within the radius of the press.
    const TRect r = doc->States().GetState(1).Rect();
    EXPECT_LE(r.Left, 80);
    EXPECT_GE(r.Right, 60);
    EXPECT_LE(r.Top, 82);
    EXPECT_GE(r.Bottom, 60);
    ExpectClosed(2);
}

TEST_F(ToolDragTest, ASecondButtonDuringADragKeepsOneStep)
{
    FirstDrag();
    tools->SetTool(tnAuto);
    Press(sourceView, 40, 40);
    sourceView.MouseDown(TMouseButton::mbRight, ssLeft | ssRight, 45, 45);
    Move(sourceView, 60, 50);
    sourceView.MouseUp(TMouseButton::mbRight, ssLeft, 60, 50);
    Release(sourceView, 60, 50);
    ExpectClosed(2);
}

// A message box that opens during a drag (Close from the keyboard, then
// Cancel) takes the release, so the drag's step stays open. The next press,
// with no other button held, starts a drag of its own: each drag stays one
// undo step instead of the next drag joining the unfinished one.
TEST_F(ToolDragTest, APressAfterALostReleaseStartsAStepOfItsOwn)
{
    for (int32_t tool : {tnAuto, tnPattern, tnFreeHand}) {
        tools->SetTool(tool);
        const int32_t before = doc->StateCount();
        Press(sourceView, 40, 40);
        Move(sourceView, 60, 50);
        // The release went to the box.
        Press(sourceView, 80, 40);
        Move(sourceView, 100, 60);
        Release(sourceView, 100, 60);
        EXPECT_EQ(doc->StateNesting(), 0) << tool;
        EXPECT_EQ(doc->CurveLayer().Count(), 0) << tool;
        const int32_t expected = tool == tnFreeHand ? before + 1 : before + 2;
        EXPECT_EQ(doc->StateCount(), expected) << tool;
    }
}
