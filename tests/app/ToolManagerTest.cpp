// The tool manager: choosing tools, the hooks on both views and the order in
// which the tool and the view's own handler see an event, the conversion of
// pointer positions to source pixels, giving the views back, and drags
// whose strokes cannot be recorded.
#include "BrokenTempFiles.h"
#include "FakeUi.h"
#include "ToolTestSupport.h"

#include "app/tools/ToolManager.h"
#include "gfx/Errors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using TLog = std::vector<std::string>;

// A fake document whose views carry recording handlers of their own, as the
// main window's would be, and a manager over it.
class ToolManagerTest : public ::testing::Test {
protected:
    explicit ToolManagerTest(int32_t ws = 800, int32_t wd = 400) : doc(ws, 600, wd, 300)
    {
        for (TImageView* v : {&doc.sourceView, &doc.destView}) {
            const std::string name = v == &doc.sourceView ? "source" : "dest";
            v->OnMouseDown = [this, name](TImageView&, TMouseButton, TShiftState, int32_t x, int32_t y,
                                          TPositionedLayer*) { log.push_back(name + ".down" + TFakeToolDocument::Pt(x, y)); };
            v->OnMouseMove = [this, name](TImageView&, TShiftState, int32_t x, int32_t y, TPositionedLayer*) {
                log.push_back(name + ".move" + TFakeToolDocument::Pt(x, y));
            };
            v->OnMouseUp = [this, name](TImageView&, TMouseButton, TShiftState, int32_t x, int32_t y,
                                        TPositionedLayer*) { log.push_back(name + ".up" + TFakeToolDocument::Pt(x, y)); };
            v->OnMouseWheelDown = [this, name](TImageView&, TShiftState, TPoint, bool&) { log.push_back(name + ".wheeldown"); };
            v->OnMouseWheelUp = [this, name](TImageView&, TShiftState, TPoint, bool&) { log.push_back(name + ".wheelup"); };
            v->OnKeyDown = [this, name](TImageView&, int& k, TShiftState) { log.push_back(name + ".keydown" + std::to_string(k)); };
            v->OnKeyUp = [this, name](TImageView&, int& k, TShiftState) { log.push_back(name + ".keyup" + std::to_string(k)); };
        }
        doc.log = &log;
        tools = std::make_unique<TToolManager>(doc);
        tools->SetScreenCursor([this] { return screen; });
    }

    void Shift(TImageView& v, bool down)
    {
        int key = VirtualKey::vkShift;
        down ? v.KeyDown(key, ssShift) : v.KeyUp(key, 0);
    }
    void Press(TImageView& v, int32_t x, int32_t y) { v.MouseDown(TMouseButton::mbLeft, ssLeft, x, y); }
    void Release(TImageView& v, int32_t x, int32_t y) { v.MouseUp(TMouseButton::mbLeft, 0, x, y); }
    // Every kind of input once on a view.
    void EveryInput(TImageView& v)
    {
        Press(v, 10, 10);
        v.MouseMove(ssLeft, 12, 12);
        Release(v, 12, 12);
        v.MouseWheel(120, 0, {12, 12});
        v.MouseWheel(-120, 0, {12, 12});
        int key = 'A';
        v.KeyDown(key, 0);
        v.KeyUp(key, 0);
    }

    TLog log;
    TFakeToolDocument doc;
    std::unique_ptr<TToolManager> tools;
    TPoint screen;
};

class ToolManagerRatioTest : public ToolManagerTest {
protected:
    ToolManagerRatioTest() : ToolManagerTest(300, 200) {}
};

} // namespace

TEST_F(ToolManagerTest, EachToolIsActivatedOnceWithItsSettings)
{
    struct TCase {
        int32_t tool;
        TLog calls;
    };
    const TCase cases[] = {
        {tnPattern, {"SetCursorMode(1)", "SetAutoMode(0)", "DisableCurveEditing"}},
        {tnPattern, {}}, // choosing the current tool again does nothing
        {tnAuto, {"SetCursorMode(1)", "SetAutoMode(1)", "DisableCurveEditing"}},
        {tnFreeHand, {"SetCursorMode(2)", "EnableCurveEditing"}},
        {tnPointer, {"SetCursorMode(0)", "EnableCurveEditing"}},
        {tnAddCurve, {"SetCursorMode(0)", "EnableCurveEditing"}},
        {tnNone, {}},
        {tnPointer, {"SetCursorMode(0)", "EnableCurveEditing"}},
    };
    EXPECT_EQ(tools->Current(), nullptr);
    for (const TCase& c : cases) {
        log.clear();
        tools->SetTool(c.tool);
        EXPECT_EQ(log, c.calls) << "tool " << c.tool;
        EXPECT_EQ(tools->Mode(), c.tool);
        EXPECT_EQ(tools->Current(), tools->Controller(c.tool));
    }
}

TEST_F(ToolManagerTest, UnknownToolNumbersAreRefusedAndKeepTheTool)
{
    tools->SetTool(tnAuto);
    for (int32_t n : {6, -1, 100}) {
        log.clear();
        try {
            tools->SetTool(n);
            ADD_FAILURE() << "tool " << n << " was taken";
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), "Tool not implemented");
        }
        EXPECT_EQ(tools->Mode(), n); // stored even when refused
        EXPECT_EQ(tools->Current(), tools->Controller(tnAuto));
        EXPECT_TRUE(log.empty());
    }
    // The tool still works.
    log.clear();
    Press(doc.sourceView, 5, 6);
    EXPECT_EQ(log, (TLog{"BeginState", "SprayAt(5,6)", "source.down(5,6)"}));
}

TEST_F(ToolManagerTest, WithoutAToolNoEventReachesAnyone)
{
    tools->SetTool(tnPattern);
    tools->SetTool(tnNone);
    log.clear();
    EveryInput(doc.sourceView);
    EveryInput(doc.destView);
    EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(ToolManagerTest, TheToolSeesTheEventBeforeTheViewsOwnHandler)
{
    tools->SetTool(tnPattern);
    log.clear();
    Press(doc.sourceView, 20, 30);
    doc.sourceView.MouseMove(ssLeft, 21, 31);
    Release(doc.sourceView, 22, 32);
    bool handled = false;
    doc.sourceView.OnMouseWheelUp(doc.sourceView, 0, {22, 32}, handled);
    int key = 'A';
    doc.sourceView.KeyDown(key, 0);
    EXPECT_EQ(log, (TLog{"BeginState", "SprayAt(20,30)", "source.down(20,30)",             //
                         "SetCursorPos(21,31)", "SprayAt(21,31)", "source.move(21,31)",     //
                         "EndState", "source.up(22,32)",                                    //
                         "SetRadius(51)", "source.wheelup", "source.keydown65"}));
}

TEST_F(ToolManagerTest, AMoveOverTheOtherViewMakesItActive)
{
    tools->SetTool(tnPointer);
    log.clear();
    doc.destView.MouseMove(0, 7, 8);
    doc.destView.MouseMove(0, 9, 8);
    EXPECT_EQ(log, (TLog{"SetActiveView(dest)", "SetCursorPos(7,8)", "dest.move(14,16)", //
                         "SetCursorPos(9,8)", "dest.move(18,16)"}));
}

TEST_F(ToolManagerTest, APressOrWheelOnTheInactiveViewMakesItActiveFirst)
{
    tools->SetTool(tnPattern);
    log.clear();
    Press(doc.destView, 100, 50);
    EXPECT_EQ(log, (TLog{"SetActiveView(dest)", "SetCursorPos(100,50)", "BeginState", "SprayAt(200,100)",
                         "dest.down(200,100)"}));
    Release(doc.destView, 100, 50);
    log.clear();
    doc.sourceView.MouseWheel(-120, 0, {3, 4});
    EXPECT_EQ(log, (TLog{"SetActiveView(source)", "SetCursorPos(3,4)", "SetRadius(49)", "source.wheeldown"}));
}

TEST_F(ToolManagerTest, TheDestinationScalesByTheWidthRatioAfterScrollAndScale)
{
    tools->SetTool(tnPattern);
    doc.destView.MouseMove(0, 0, 0);
    // 800 / 400: bitmap point (100, 50) of the result is (200, 100) of the source.
    EXPECT_EQ(tools->ViewToBitmap(100, 50), (TPoint{200, 100}));
    // Shown at twice the size in a 100 x 100 viewport, scrolled by (40, 20).
    doc.destView.SetViewportSize(100, 100);
    doc.destView.SetScaleMode(TScaleMode::smScale);
    doc.destView.SetScale(2.0f);
    doc.destView.SetScrollPos(40, 20);
    EXPECT_EQ(tools->ViewToBitmap(160, 80), (TPoint{200, 100}));
    // The source view maps without the ratio.
    doc.sourceView.MouseMove(0, 0, 0);
    EXPECT_EQ(tools->ViewToBitmap(100, 50), (TPoint{100, 50}));
}

TEST_F(ToolManagerRatioTest, TheRatioRoundsHalvesToEven)
{
    tools->SetTool(tnPointer);
    doc.destView.MouseMove(0, 0, 0);
    // 300 / 200 = 1.5: 1.5, 4.5 and 7.5 go to the even neighbour.
    const std::pair<int32_t, int32_t> cases[] = {{1, 2}, {3, 4}, {5, 8}, {0, 0}, {2, 3}, {-1, -2}};
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(tools->ViewToBitmap(in, in), (TPoint{out, out})) << in;
    }
}

TEST_F(ToolManagerTest, AnEmptyImageLeavesThePointUnscaled)
{
    // A damaged project can give a view an empty image: no infinite ratio.
    tools->SetTool(tnPointer);
    doc.dest.SetSize(0, 0);
    doc.destView.Changed();
    doc.destView.MouseMove(0, 0, 0);
    EXPECT_EQ(tools->ViewToBitmap(30, 40), (TPoint{30, 40}));
    doc.dest.SetSize(400, 300);
    doc.source.SetSize(0, 0);
    doc.destView.Changed();
    EXPECT_EQ(tools->ViewToBitmap(30, 40), (TPoint{30, 40}));
}

TEST_F(ToolManagerTest, ShiftAbortsPressAndMoveBeforeTheViewsHandler)
{
    tools->SetTool(tnPattern);
    screen = {500, 500};
    Shift(doc.sourceView, true);
    log.clear();
    Press(doc.sourceView, 10, 10);
    EXPECT_EQ(log, TLog{}) << "a press under Shift starts nothing";
    screen = {560, 580};
    doc.sourceView.MouseMove(ssShift, 11, 11);
    EXPECT_EQ(log, (TLog{"SetCursorPos(11,11)", "SetRadius(100)"}));
    Shift(doc.sourceView, false);
    log.clear();
    doc.sourceView.MouseMove(0, 12, 12);
    EXPECT_EQ(log, (TLog{"SetCursorPos(12,12)", "source.move(12,12)"}));
}

TEST_F(ToolManagerTest, DisabledKeepsTrackOfShiftButPassesNoMouse)
{
    tools->SetTool(tnAuto);
    tools->SetEnabled(false);
    screen = {0, 0};
    Shift(doc.destView, true);
    log.clear();
    Press(doc.sourceView, 10, 10);
    doc.sourceView.MouseWheel(120, 0, {1, 1});
    EXPECT_TRUE(log.empty());
    tools->SetEnabled(true);
    screen = {30, 40};
    doc.sourceView.MouseMove(ssShift, 10, 10);
    EXPECT_EQ(log, (TLog{"SetCursorPos(10,10)", "SetRadius(50)"}));
    EXPECT_TRUE(tools->Current()->ShiftDown());
}

TEST_F(ToolManagerTest, KeysReachTheToolWhileDisabled)
{
    tools->SetTool(tnPointer);
    tools->SetEnabled(false);
    log.clear();
    int key = 'B';
    doc.destView.KeyUp(key, 0);
    EXPECT_EQ(log, TLog{"dest.keyup66"});
}

TEST(ToolManagerLifeTest, DestroyingGivesBothViewsTheirHandlersBackExactly)
{
    TLog log;
    TFakeToolDocument doc(100, 100, 100, 100);
    doc.log = &log;
    doc.sourceView.OnMouseDown = [&](TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer*) {
        log.push_back("mine");
    };
    doc.destView.OnKeyUp = [&](TImageView&, int&, TShiftState) { log.push_back("keys"); };
    {
        TToolManager tools(doc);
        EXPECT_TRUE(doc.sourceView.OnMouseMove); // hooked, although the view had none
        EXPECT_TRUE(doc.destView.OnMouseWheelUp);
    }
    log.clear();
    doc.sourceView.MouseDown(TMouseButton::mbLeft, 0, 1, 1);
    int key = 1;
    doc.destView.KeyUp(key, 0);
    EXPECT_EQ(log, (TLog{"mine", "keys"}));
    for (TImageView* v : {&doc.sourceView, &doc.destView}) {
        EXPECT_FALSE(v->OnMouseMove);
        EXPECT_FALSE(v->OnMouseUp);
        EXPECT_FALSE(v->OnMouseWheelDown);
        EXPECT_FALSE(v->OnMouseWheelUp);
        EXPECT_FALSE(v->OnKeyDown);
    }
    EXPECT_FALSE(doc.destView.OnMouseDown);
    EXPECT_FALSE(doc.sourceView.OnKeyUp);
}

TEST(ToolManagerLifeTest, ADragOpenWhenTheManagerGoesClosesItsStep)
{
    TFakeToolDocument doc(100, 100, 100, 100);
    {
        TToolManager tools(doc);
        tools.SetTool(tnPattern);
        doc.sourceView.MouseDown(TMouseButton::mbLeft, ssLeft, 5, 5);
        EXPECT_EQ(doc.nesting, 1);
    }
    EXPECT_EQ(doc.nesting, 0);
}

TEST_F(ToolManagerTest, TheBandOpensOneStepFillsOnceAndClosesIt)
{
    tools->SetTool(tnFreeHand);
    doc.radius = 30;
    log.clear();
    // The step opens once the band is drawn, locked and drawing.
    bool bandStood = false;
    doc.onBeginState = [&] {
        bandStood = doc.layer->Count() == 1 && doc.layer->Locked() &&
                    static_cast<TBandInputController*>(tools->Current())->Drawing();
    };
    Press(doc.sourceView, 10, 10);
    EXPECT_TRUE(bandStood);
    ASSERT_EQ(doc.layer->Count(), 1);
    EXPECT_EQ(doc.layer->GetPolyBeziers(0).Width(), 30.0f);
    for (int i = 1; i <= 4; ++i) doc.sourceView.MouseMove(ssLeft, 10 + i * 10, 10);
    Release(doc.sourceView, 50, 10);
    Release(doc.sourceView, 50, 10); // a stray second release
    TLog work;
    for (const std::string& s : log)
        if (s == "BeginState" || s == "EndState" || s == "FillAlongCurves") work.push_back(s);
    EXPECT_EQ(work, (TLog{"BeginState", "FillAlongCurves", "EndState"}));
    EXPECT_EQ(doc.nesting, 0);
    EXPECT_EQ(doc.layer->Count(), 0);
}

TEST_F(ToolManagerTest, ABandWhoseFillAbortsStillClosesItsStepAndRemovesTheBand)
{
    tools->SetTool(tnFreeHand);
    doc.abortFill = true;
    Press(doc.sourceView, 10, 10);
    doc.sourceView.MouseMove(ssLeft, 40, 10);
    log.clear();
    Release(doc.sourceView, 40, 10);
    EXPECT_EQ(log, (TLog{"FillAlongCurves", "EndState"})); // the view's own handler is skipped
    EXPECT_EQ(doc.nesting, 0);
    EXPECT_EQ(doc.layer->Count(), 0);
    EXPECT_FALSE(doc.layer->Locked());
}

// A drag whose strokes cannot be recorded says why once, with the file and
// the system's reason, however many moves follow; its undo step is closed
// over what it placed, and the picture is exactly what the records draw
// again. Once the files are mended the next drag draws. Such drags used to
// draw nothing, or go on drawing, without a word.
class ToolFailureTest : public ::testing::Test {
protected:
    void SetUp() override { SetDialogs(&boxes); }
    void TearDown() override { SetDialogs(nullptr); }
    fake::TFakeUi boxes;
};

TEST_F(ToolFailureTest, ADragThatCannotRecordItsStrokesSaysWhyOnceAndClosesItsStep)
{
    for (const int32_t tool : {tnAuto, tnFreeHand}) {
        for (const TBrokenTempFiles& c : BrokenTempFileCases()) {
            SCOPED_TRACE(std::string(c.What) + ", tool " + std::to_string(tool));
            TRealToolDocument real;
            boxes.Messages.clear();
            real.tools->SetTool(tool);
            {
                const auto broken = c.Break(real.temp.Folder());
                real.Drag(real.sourceView, {10, 20}, {150, 100}, 60);
            }
            ASSERT_EQ(boxes.Messages.size(), 1u);
            EXPECT_EQ(boxes.Messages[0].Caption, "Error drawing strokes");
            EXPECT_THAT(boxes.Messages[0].Text, ::testing::HasSubstr("\"" + real.temp.Folder() + c.File));
            EXPECT_THAT(boxes.Messages[0].Text, ::testing::HasSubstr(c.Reason));
            EXPECT_EQ(real.doc->StateNesting(), 0);
            EXPECT_EQ(real.doc->StateCount(), c.PlacesSome ? 1 : 0);
            EXPECT_EQ(real.doc->CurveLayer().Count(), 0);
            TBitmap32 replay(real.dest.Width(), real.dest.Height(), clWhite32);
            real.doc->RenderAll(replay, 1.0);
            EXPECT_TRUE(SameBitmaps(replay, real.dest));

            real.Drag(real.sourceView, {10, 20}, {150, 100}, 10);
            EXPECT_EQ(real.doc->StateCount(), c.PlacesSome ? 2 : 1);
            EXPECT_EQ(boxes.Messages.size(), 1u);
        }
    }
}
