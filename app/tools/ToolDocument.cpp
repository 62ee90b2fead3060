#include "app/tools/ToolDocument.h"

#include "engine/DualImage.h"

TImageView* TDualImageToolDocument::SourceView() const { return document_.SourceView(); }
TImageView* TDualImageToolDocument::DestView() const { return document_.DestView(); }
TImageView* TDualImageToolDocument::ActiveView() const { return document_.ActiveView(); }
void TDualImageToolDocument::SetActiveView(TImageView& view) { document_.SetActiveView(view); }
void TDualImageToolDocument::SetCursorPos(const TPoint& p) { document_.SetCursorPos(p); }
void TDualImageToolDocument::SetCursorMode(uint8_t mode) { document_.SetCursorMode(mode); }
int32_t TDualImageToolDocument::Radius() const { return document_.Radius(); }
void TDualImageToolDocument::SetRadius(int32_t value) { document_.SetRadius(value); }
void TDualImageToolDocument::SetAutoMode(bool value) { document_.SetAutoMode(value); }
void TDualImageToolDocument::EnableCurveEditing() { document_.EnableCurveEditing(); }
void TDualImageToolDocument::DisableCurveEditing() { document_.DisableCurveEditing(); }
TPolyBezierLayer& TDualImageToolDocument::CurveLayer() const { return document_.CurveLayer(); }
void TDualImageToolDocument::BeginState() { document_.BeginState(); }
void TDualImageToolDocument::EndState() { document_.EndState(); }
void TDualImageToolDocument::SprayAt(int32_t x, int32_t y) { document_.SprayAt(x, y); }
void TDualImageToolDocument::FillAlongCurves() { document_.FillAlongCurves(); }

// --- TDragStep ---------------------------------------------------------------

TDragStep::~TDragStep()
{
    // The document outlives its tools; an error closing the step here has
    // nowhere to go.
    try {
        Close();
    } catch (...) {
    }
}

void TDragStep::Open(IToolDocument& document)
{
    if (document_) return;
    document.BeginState();
    document_ = &document;
}

bool TDragStep::Close()
{
    if (!document_) return false;
    IToolDocument* document = document_;
    document_ = nullptr;
    document->EndState();
    return true;
}
