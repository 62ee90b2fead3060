// Shared by the tool tests: a fake document that records what the tools ask
// of it, and a real document over a small picture with a style, a pattern
// and a scratch temporary folder, with helpers that drive its views.
#pragma once

#include "app/tools/ToolDocument.h"
#include "app/tools/ToolManager.h"
#include "engine/DualImage.h"
#include "engine/Patterns.h"
#include "engine/PersistentObjectManager.h"
#include "engine/PolyBezierLayer.h"
#include "engine/Styles.h"
#include "engine/ScratchTempFolder.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Random.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Records every call as text, in order, into a log that tests may share
// with other recorders (the views' own handlers).
class TFakeToolDocument final : public IToolDocument {
public:
    TFakeToolDocument(int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth, int32_t destHeight)
        : source(sourceWidth, sourceHeight), dest(destWidth, destHeight)
    {
        sourceView.SetBitmap(&source);
        destView.SetBitmap(&dest);
        layer = std::make_unique<TPolyBezierLayer>(sourceView);
        active = &sourceView;
    }

    TImageView* SourceView() const override { return const_cast<TImageView*>(&sourceView); }
    TImageView* DestView() const override { return const_cast<TImageView*>(&destView); }
    TImageView* ActiveView() const override { return active; }
    void SetActiveView(TImageView& view) override
    {
        active = &view;
        Log(std::string("SetActiveView(") + (&view == &sourceView ? "source" : "dest") + ")");
    }
    void SetCursorPos(const TPoint& p) override { Log("SetCursorPos" + Pt(p.X, p.Y)); }
    void SetCursorMode(uint8_t mode) override { Log("SetCursorMode(" + std::to_string(mode) + ")"); }
    int32_t Radius() const override { return radius; }
    void SetRadius(int32_t value) override
    {
        Log("SetRadius(" + std::to_string(value) + ")");
        if (value >= TDualImage::MinRadius && value <= TDualImage::MaxRadius) radius = value;
    }
    void SetAutoMode(bool value) override { Log(std::string("SetAutoMode(") + (value ? "1" : "0") + ")"); }
    void EnableCurveEditing() override { Log("EnableCurveEditing"); }
    void DisableCurveEditing() override { Log("DisableCurveEditing"); }
    TPolyBezierLayer& CurveLayer() const override { return *layer; }
    void BeginState() override
    {
        ++nesting;
        Log("BeginState");
        if (onBeginState) onBeginState();
    }
    void EndState() override
    {
        --nesting;
        Log("EndState");
    }
    void SprayAt(int32_t x, int32_t y) override { Log("SprayAt" + Pt(x, y)); }
    void FillAlongCurves() override
    {
        Log("FillAlongCurves");
        if (abortFill) throw SilentAbort();
    }

    static std::string Pt(int32_t x, int32_t y)
    {
        std::string s = "(";
        s.append(std::to_string(x)).append(",").append(std::to_string(y)).append(")");
        return s;
    }
    void Log(const std::string& s) { log->push_back(s); }

    TBitmap32 source, dest;
    TImageView sourceView, destView;
    std::unique_ptr<TPolyBezierLayer> layer;
    TImageView* active = nullptr;
    int32_t radius = 50;
    int32_t nesting = 0;
    bool abortFill = false;
    std::function<void()> onBeginState;
    std::vector<std::string> ownLog;
    std::vector<std::string>* log = &ownLog;
};

// A picture with tones and edges, so that strokes are traced and drawn.
inline TBitmap32 ToolTestPicture(int32_t w, int32_t h)
{
    TBitmap32 pic(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const double dx = x - w / 2.0, dy = y - h / 2.0;
            const bool inDisc = dx * dx + dy * dy < (h / 3.0) * (h / 3.0);
            const uint8_t v = static_cast<uint8_t>(inDisc ? 40 + x % 20 : 150 + (x * 100) / w);
            pic.Pixel(x, y) = Color32(v, static_cast<uint8_t>(v * 3 / 4), static_cast<uint8_t>(255 - v / 2));
        }
    }
    return pic;
}

// A real document of 160 x 120 pixels, its tool manager and a pattern of
// one frame with one curve; the screen cursor is a field the test moves.
class TRealToolDocument {
public:
    TRealToolDocument()
        : source(ToolTestPicture(160, 120)), dest(160, 120, clWhite32),
          patterns(TPattern::StaticClass(), temp.Folder())
    {
        RandSeed = 0;
        sourceView.SetBitmap(&source);
        destView.SetBitmap(&dest);
        auto pattern = std::make_unique<TPattern>();
        auto frame = std::make_unique<TPatternFrame>();
        frame->AddCurve({{0, 0}, {30, 10}, {60, -10}, {90, 0}});
        pattern->AddPatternFrame(std::move(frame));
        patterns.Add(std::move(pattern));
        doc = std::make_unique<TDualImage>(sourceView, destView, 1.0f);
        doc->SetStyle(&style);
        doc->PatternManager = &patterns;
        tools = std::make_unique<TToolManager>(*doc);
        tools->SetScreenCursor([this] { return screenCursor; });
    }
    ~TRealToolDocument() { tools.reset(); }

    void Press(TImageView& v, int32_t x, int32_t y, TShiftState s = ssLeft) { v.MouseDown(TMouseButton::mbLeft, s, x, y); }
    void Move(TImageView& v, int32_t x, int32_t y, TShiftState s = ssLeft) { v.MouseMove(s, x, y); }
    void Release(TImageView& v, int32_t x, int32_t y, TShiftState s = 0) { v.MouseUp(TMouseButton::mbLeft, s, x, y); }
    void ShiftDown(TImageView& v)
    {
        int key = VirtualKey::vkShift;
        v.KeyDown(key, ssShift);
    }
    void ShiftUp(TImageView& v)
    {
        int key = VirtualKey::vkShift;
        v.KeyUp(key, 0);
    }
    // A whole drag: press, moves along a line, release.
    void Drag(TImageView& v, TPoint from, TPoint to, int moves = 5)
    {
        Press(v, from.X, from.Y);
        for (int i = 1; i <= moves; ++i)
            Move(v, from.X + (to.X - from.X) * i / moves, from.Y + (to.Y - from.Y) * i / moves);
        Release(v, to.X, to.Y);
    }

    TScratchTempFolder temp;
    TBitmap32 source, dest;
    TImageView sourceView, destView;
    TGStyle style;
    TPersistentObjectManager patterns;
    std::unique_ptr<TDualImage> doc;
    std::unique_ptr<TToolManager> tools;
    TPoint screenCursor;
};
