// The curve layer over an image view model: ownership and selection, change
// events, locking, mouse routing through the view, selection colours when
// painted, and living with views that scroll, scale, move or clear it.
#include "engine/PolyBezierLayer.h"

#include "gfx/Errors.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct PolyBezierLayerTest : ::testing::Test {
    TBitmap32 picture{200, 150, clWhite32};
    TImageView view;
    std::unique_ptr<TPolyBezierLayer> layer;
    int changes = 0;

    void SetUp() override
    {
        view.SetViewportSize(200, 150);
        view.SetBitmap(&picture);
        layer = std::make_unique<TPolyBezierLayer>(view);
        layer->SetOnChange([this](TPolyBezierLayer&) { ++changes; });
    }

    // A straight horizontal curve of one segment from (x, y), 40 pixels long.
    TPolyBezier& AddCurve(int32_t x, int32_t y)
    {
        auto curve = std::make_unique<TPolyBezier>(TPoint{x, y});
        curve->AddCurveSegment({x + 10, y}, {x + 30, y}, {x + 40, y});
        return layer->Add(std::move(curve));
    }

    TPositionedLayer* Press(int32_t x, int32_t y)
    {
        TPositionedLayer* under = nullptr;
        view.OnMouseDown = [&](TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer* l) {
            under = l;
        };
        view.MouseDown(TMouseButton::mbLeft, ssLeft, x, y);
        view.MouseUp(TMouseButton::mbLeft, 0, x, y);
        return under;
    }
};

} // namespace

TEST_F(PolyBezierLayerTest, PutsAScaledMouseLayerOnTheView)
{
    ASSERT_EQ(view.LayerCount(), 1);
    EXPECT_TRUE(layer->IsLayer(&view.Layer(0)));
    EXPECT_FALSE(layer->IsLayer(nullptr));
    EXPECT_TRUE(view.Layer(0).Scaled());
    EXPECT_TRUE(view.Layer(0).MouseEvents());
    EXPECT_EQ(layer->Selected(), -1);
    EXPECT_EQ(layer->GetSelectedCurve(), nullptr);
}

TEST_F(PolyBezierLayerTest, EmptyLayerPassesNoHitTestUnlessLocked)
{
    EXPECT_EQ(Press(50, 50), nullptr);
    layer->Lock();
    EXPECT_TRUE(layer->IsLayer(Press(50, 50)));
    layer->Unlock();
    EXPECT_EQ(Press(50, 50), nullptr);
}

TEST_F(PolyBezierLayerTest, LockedLayerLeavesEverySelectionAlone)
{
    TPolyBezier& first = AddCurve(10, 10);
    AddCurve(10, 100);
    layer->Lock();
    EXPECT_TRUE(layer->IsLayer(Press(10, 10))); // on the first curve's start
    EXPECT_EQ(layer->Selected(), 1);
    EXPECT_EQ(first.SelectedPoint(), TPolyBezier::spCurveEnd);
}

TEST_F(PolyBezierLayerTest, AddSelectsOwnsAndReports)
{
    layer->SetCurveMode(1);
    TPolyBezier& a = AddCurve(10, 10);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(a.Mode(), 1);
    TPolyBezier& b = AddCurve(10, 60);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(layer->Count(), 2);
    EXPECT_EQ(layer->Selected(), 1);
    EXPECT_EQ(layer->GetSelectedCurve(), &b);
    EXPECT_EQ(&layer->GetPolyBeziers(0), &a);
    // Later edits of a curve in the layer reach the layer's event.
    a.MoveSelectedPoint(20, 20, false);
    EXPECT_EQ(changes, 3);
    EXPECT_THROW(layer->Add(nullptr), EngineError);
}

TEST_F(PolyBezierLayerTest, CurveModeReachesEveryCurve)
{
    TPolyBezier& a = AddCurve(10, 10);
    TPolyBezier& b = AddCurve(10, 60);
    changes = 0;
    layer->SetCurveMode(1);
    EXPECT_EQ(a.Mode(), 1);
    EXPECT_EQ(b.Mode(), 1);
    EXPECT_EQ(changes, 2);
}

TEST_F(PolyBezierLayerTest, GetPolyBeziersChecksItsIndex)
{
    AddCurve(10, 10);
    try {
        layer->GetPolyBeziers(3);
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()), "TPolyBezierLayer.GetPolyBeziers: Index out of bounds(3)");
    }
    EXPECT_THROW(layer->GetPolyBeziers(-1), EngineError);
}

TEST_F(PolyBezierLayerTest, ClearFiresNothingAndForgetsTheSelection)
{
    AddCurve(10, 10);
    changes = 0;
    layer->Clear();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(layer->Count(), 0);
    EXPECT_EQ(layer->Selected(), -1);
    EXPECT_EQ(layer->GetSelectedCurve(), nullptr);
    EXPECT_EQ(Press(10, 10), nullptr);
}

TEST_F(PolyBezierLayerTest, OldestCurveWinsAClickWithinReachOfBoth)
{
    TPolyBezier& first = AddCurve(10, 10);
    AddCurve(14, 12);
    EXPECT_TRUE(layer->IsLayer(Press(12, 11)));
    EXPECT_EQ(layer->Selected(), 0);
    EXPECT_EQ(first.SelectedSegment(), -1);
}

TEST_F(PolyBezierLayerTest, ClickPicksTheCurvePointUnderThePointer)
{
    AddCurve(10, 10);
    TPolyBezier& second = AddCurve(10, 100);
    AddCurve(100, 100);
    EXPECT_TRUE(layer->IsLayer(Press(41, 99)));
    EXPECT_EQ(layer->GetSelectedCurve(), &second);
    EXPECT_EQ(second.SelectedPoint(), TPolyBezier::spControl2);
    // A miss falls through and keeps the selection.
    EXPECT_EQ(Press(150, 20), nullptr);
    EXPECT_EQ(layer->GetSelectedCurve(), &second);
}

TEST_F(PolyBezierLayerTest, DisabledMouseEventsStillPaint)
{
    AddCurve(10, 10);
    layer->DisableMouseEvents();
    EXPECT_EQ(Press(10, 10), nullptr);
    EXPECT_EQ(view.Render().Pixel(20, 10), TPolyBezierLayer::SelectedColor);
    layer->EnableMouseEvents();
    EXPECT_TRUE(layer->IsLayer(Press(10, 10)));
}

TEST_F(PolyBezierLayerTest, SelectedCurveIsRedAndTheOthersOlive)
{
    AddCurve(10, 10);
    AddCurve(10, 60);
    changes = 0;
    const TBitmap32& shown = view.Render();
    EXPECT_EQ(shown.Pixel(20, 10), TPolyBezierLayer::CurveColor);
    EXPECT_EQ(shown.Pixel(20, 60), TPolyBezierLayer::SelectedColor);
    EXPECT_EQ(changes, 2); // both curves took their first colour
    // Selecting the first curve recolours both on the next paint.
    Press(10, 10);
    changes = 0;
    const TBitmap32& again = view.Render();
    EXPECT_EQ(again.Pixel(20, 10), TPolyBezierLayer::SelectedColor);
    EXPECT_EQ(again.Pixel(20, 60), TPolyBezierLayer::CurveColor);
    EXPECT_EQ(changes, 2);
}

TEST_F(PolyBezierLayerTest, ChangeHandlerThatEmptiesTheLayerWhilePaintingStopsThePaint)
{
    AddCurve(10, 10);
    AddCurve(10, 60);
    // The first recolouring of the paint empties the layer: nothing is left to draw.
    layer->SetOnChange([this](TPolyBezierLayer& sender) { sender.Clear(); });
    const TBitmap32& shown = view.Render();
    EXPECT_EQ(layer->Count(), 0);
    EXPECT_EQ(shown.Pixel(20, 10), clWhite32);
    EXPECT_EQ(shown.Pixel(20, 60), clWhite32);
}

TEST_F(PolyBezierLayerTest, CurveEditsAskTheViewToRepaint)
{
    struct THost : TImageViewHost {
        int Repaints = 0;
        void RepaintRequested() override { ++Repaints; }
        void LayoutChanged() override {}
        void CursorChanged() override {}
    } host;
    view.SetHost(&host);
    TPolyBezier& c = AddCurve(10, 10);
    EXPECT_EQ(host.Repaints, 1);
    c.MoveSelectedPoint(90, 90, true);
    EXPECT_EQ(host.Repaints, 2);
    view.Render(); // recolouring while painting asks for nothing more
    EXPECT_EQ(host.Repaints, 2);
    layer->Clear();
    EXPECT_EQ(host.Repaints, 3);
    view.SetHost(nullptr);
}

TEST_F(PolyBezierLayerTest, CurvesFollowTheBitmapCornerWhenCentred)
{
    view.SetViewportSize(400, 350); // the picture now sits at (100, 100)
    AddCurve(10, 10);
    EXPECT_TRUE(layer->IsLayer(Press(110, 110)));
    EXPECT_EQ(layer->Origin(), Point(100, 100));
    EXPECT_EQ(Press(10, 10), nullptr);
    EXPECT_EQ(view.Render().Pixel(120, 110), TPolyBezierLayer::SelectedColor);
}

TEST_F(PolyBezierLayerTest, ScaledViewPaintsAndPicksCurvesUnscaledAtTheBitmapsCorner)
{
    view.SetScaleMode(TScaleMode::smScale);
    view.SetScale(2.0f);
    view.SetScrollPos(10, 6);
    TPolyBezier& c = AddCurve(20, 20); // ends at (60, 20): at view (50, 14), not (110, 34)
    c.SetWidth(0.5f);                  // just the line
    EXPECT_EQ(Press(112, 35), nullptr);
    EXPECT_TRUE(layer->IsLayer(Press(52, 15)));
    EXPECT_EQ(layer->Origin(), Point(-10, -6));
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spCurveEnd);
    const TBitmap32& shown = view.Render();
    EXPECT_EQ(shown.Pixel(15, 14), TPolyBezierLayer::SelectedColor);
    EXPECT_EQ(shown.Pixel(45, 14), TPolyBezierLayer::SelectedColor);
    EXPECT_NE(shown.Pixel(100, 34), TPolyBezierLayer::SelectedColor);
    EXPECT_EQ(c.GetBezier(0), (TBezier{{20, 20}, {30, 20}, {50, 20}, {60, 20}}));
}

TEST_F(PolyBezierLayerTest, ViewWithoutAPictureUsesViewCoordinates)
{
    TImageView editor;
    editor.SetViewportSize(210, 210);
    TPolyBezierLayer onEditor(editor);
    auto curve = std::make_unique<TPolyBezier>(TPoint{30, 40});
    curve->AddCurveSegment({30, 40}, {30, 40}, {30, 40});
    onEditor.Add(std::move(curve));
    TPositionedLayer* under = nullptr;
    editor.OnMouseDown = [&](TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer* l) { under = l; };
    editor.MouseDown(TMouseButton::mbLeft, 0, 31, 41);
    EXPECT_TRUE(onEditor.IsLayer(under));
    EXPECT_EQ(onEditor.Origin(), Point(0, 0));
}

TEST_F(PolyBezierLayerTest, MovesToAnotherView)
{
    TImageView other;
    other.SetViewportSize(200, 150);
    other.SetBitmap(&picture);
    layer->SetImage(other);
    EXPECT_EQ(view.LayerCount(), 0);
    EXPECT_EQ(other.LayerCount(), 1);
    EXPECT_EQ(layer->Image(), &other);
    AddCurve(10, 10);
    EXPECT_EQ(other.Render().Pixel(20, 10), TPolyBezierLayer::SelectedColor);
    layer.reset(); // before `other` goes
}

TEST_F(PolyBezierLayerTest, DestroyingTheLayerTakesItOffTheView)
{
    AddCurve(10, 10);
    layer.reset();
    EXPECT_EQ(view.LayerCount(), 0);
    EXPECT_EQ(view.Render().Pixel(20, 10), clWhite32);
}

TEST_F(PolyBezierLayerTest, SurvivesItsViewClearingTheLayerList)
{
    AddCurve(10, 10);
    view.ClearLayers();
    EXPECT_EQ(layer->Layer(), nullptr);
    EXPECT_EQ(view.Render().Pixel(20, 10), clWhite32);
    layer->Clear();
    // Given a view again it shows its curves there.
    layer->SetImage(view);
    AddCurve(10, 10);
    EXPECT_EQ(view.Render().Pixel(20, 10), TPolyBezierLayer::SelectedColor);
    layer.reset();
    EXPECT_EQ(view.LayerCount(), 0);
}
