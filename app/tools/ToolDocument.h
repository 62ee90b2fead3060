// What the drawing tools ask of the open document: its two views and the
// active one, the brush cursor and radius, the tool modes, the curve layer,
// the undo-step bracket and stroke placement. The tools see the document
// only through this, so that they are tested against a recording fake as
// well as against a real TDualImage.
#pragma once

#include "gfx/Geometry.h"

#include <cstdint>

class TDualImage;
class TImageView;
class TPolyBezierLayer;

class IToolDocument {
public:
    virtual ~IToolDocument() = default;

    // --- Views and cursor --------------------------------------------------
    virtual TImageView* SourceView() const = 0;
    virtual TImageView* DestView() const = 0;
    virtual TImageView* ActiveView() const = 0;
    virtual void SetActiveView(TImageView& view) = 0;
    // In view coordinates of the active view.
    virtual void SetCursorPos(const TPoint& p) = 0;
    virtual void SetCursorMode(uint8_t mode) = 0;

    // --- Brush and tool modes ----------------------------------------------
    virtual int32_t Radius() const = 0;
    // Values outside 8..500 are ignored.
    virtual void SetRadius(int32_t value) = 0;
    virtual void SetAutoMode(bool value) = 0;
    virtual void EnableCurveEditing() = 0;
    virtual void DisableCurveEditing() = 0;
    virtual TPolyBezierLayer& CurveLayer() const = 0;

    // --- Strokes (nested undo-step bracket) ----------------------------------
    virtual void BeginState() = 0;
    virtual void EndState() = 0;
    virtual void SprayAt(int32_t x, int32_t y) = 0;
    virtual void FillAlongCurves() = 0;
};

// The real document behind the tools' interface.
class TDualImageToolDocument final : public IToolDocument {
public:
    explicit TDualImageToolDocument(TDualImage& document) : document_(document) {}

    TImageView* SourceView() const override;
    TImageView* DestView() const override;
    TImageView* ActiveView() const override;
    void SetActiveView(TImageView& view) override;
    void SetCursorPos(const TPoint& p) override;
    void SetCursorMode(uint8_t mode) override;
    int32_t Radius() const override;
    void SetRadius(int32_t value) override;
    void SetAutoMode(bool value) override;
    void EnableCurveEditing() override;
    void DisableCurveEditing() override;
    TPolyBezierLayer& CurveLayer() const override;
    void BeginState() override;
    void EndState() override;
    void SprayAt(int32_t x, int32_t y) override;
    void FillAlongCurves() override;

private:
    TDualImage& document_;
};

// The undo step of one drag: opened by the press, closed exactly once, by
// the release, a tool change or the controller's end, whichever comes first.
// Opening it again while it is open keeps the one step, so that a second
// button pressed during a drag cannot leave the document's nesting above 0.
class TDragStep {
public:
    TDragStep() = default;
    ~TDragStep();
    TDragStep(const TDragStep&) = delete;
    TDragStep& operator=(const TDragStep&) = delete;

    void Open(IToolDocument& document);
    // Closes the step when one is open; false when none was.
    bool Close();
    bool IsOpen() const { return document_ != nullptr; }

private:
    IToolDocument* document_ = nullptr;
};
