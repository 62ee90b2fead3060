// The document's project stream, the merging of its history, the replay of
// recorded strokes into a bitmap at any scale and the PostScript export.
#include "engine/DualImage.h"

#include "engine/BusyCursor.h"
#include "engine/PersistentObjectManager.h"
#include "engine/PolyBezierLayer.h"
#include "engine/Progress.h"
#include "engine/StrokeRenderer.h"
#include "engine/Strokes.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Rounding.h"
#include "gfx/Stream.h"

#include <algorithm>

namespace {

// Renderer for a recorded identifier: the one that has it, else the one at
// index 1 (the first brush after the polygon renderer), else index 0.
TAbstractStrokeRenderer& RendererFor(TPersistentObjectManager* manager, int32_t id)
{
    if (manager) {
        if (auto* found = dynamic_cast<TAbstractStrokeRenderer*>(manager->FindByID(id))) return *found;
        for (int32_t index : {1, 0}) {
            if (index >= manager->Count()) continue;
            if (auto* r = dynamic_cast<TAbstractStrokeRenderer*>(&manager->GetObject(index))) return *r;
        }
    }
    static TPolygonStrokeRenderer polygon;
    return polygon;
}

void ScaleOutline(TArrayOfFixedPoint& points, double scale)
{
    for (TFixedPoint& p : points) p = FixedPoint(FixedToFloat(p.X) * scale, FixedToFloat(p.Y) * scale);
}

} // namespace

void TDualImage::SaveToStream(TStream& stream)
{
    Source().SaveToStream(stream);
    Destination().SaveToStream(stream);
    featureMap_->SaveToStream(stream);
    TProgressScope progress("Saving Project...", 0, 100);
    states_->SaveToStream(stream);
}

std::unique_ptr<TDualImage> TDualImage::CreateFromStream(TStream& stream, TImageView& sourceView,
                                                         TImageView& destView, float zoom)
{
    // Everything is read and checked before the views or a document change.
    TBitmap32 source, dest;
    auto map = std::make_unique<TBitmap32>();
    source.LoadFromStream(stream);
    dest.LoadFromStream(stream);
    map->LoadFromStream(stream);
    const int32_t w = source.Width(), h = source.Height();
    if (dest.Width() != w || dest.Height() != h || map->Width() != w || map->Height() != h)
        throw EngineError("Invalid project file: its images differ in size");
    std::unique_ptr<TGStates> states;
    {
        TProgressScope progress("Please wait...", 0, 100);
        states = TGStates::CreateFromStream(stream, w, h);
    }

    std::unique_ptr<TDualImage> doc(new TDualImage(TFromStream{}, sourceView, destView, zoom));
    doc->Source().Assign(source);
    doc->Destination().Assign(dest);
    doc->featureMap_ = std::move(map);
    doc->states_ = std::move(states);
    doc->CreateLayers();
    // A document read from a project paints black in "Fixed" mode until the
    // user picks the two colours.
    doc->gradientFrom_ = clBlack32;
    doc->gradientTo_ = 0;
    doc->needsRender_ = doc->states_->RenderNeeded();
    sourceView.Changed();
    destView.Changed();
    return doc;
}

void TDualImage::Compact()
{
    TProgressScope progress("Compacting information...", 0, StateCount());
    if (StateCount() <= 1) return;
    auto merged = std::make_unique<TGState>(*featureMap_, Destination());
    // A step whose strokes cannot all be read or copied fails the merge
    // here, before the history is replaced: the project is then not written
    // with fewer strokes than the document holds.
    for (int32_t i = 0; i < StateCount(); ++i) {
        merged->Strokes().AppendFrom(states_->GetState(i).Strokes());
        progress.Step();
    }
    merged->Strokes().Release();
    merged->FinishWhole();
    // The old history goes only once the new one stands.
    auto compacted = std::make_unique<TGStates>();
    compacted->Push(std::move(merged));
    states_ = std::move(compacted);
}

void TDualImage::RenderAll(TBitmap32& target, double scale)
{
    TProgressScope progress(needsRender_ ? "It is necessary to render again the destination image..."
                                         : "Rendering Image...",
                            0, 100);
    TBusyCursorScope busy;
    int64_t total = 0;
    for (int32_t i = 0; i < StateCount(); ++i) total += states_->GetState(i).Strokes().Count();
    int64_t k = 0;
    for (int32_t i = 0; i < StateCount(); ++i) {
        states_->GetState(i).Strokes().ForEachStroke([&](TStrokeRecord& stroke) {
            ScaleOutline(stroke.Left, scale);
            ScaleOutline(stroke.Right, scale);
            TAbstractStrokeRenderer& renderer = RendererFor(RendererManager, stroke.RendererID);
            renderer.SetColor(stroke.Color);
            renderer.SetOpacity(stroke.Opacity);
            renderer.Render(stroke.Left, stroke.Right, target);
            if (k % 10 == 0 && total > 0) progress.SetPosition(Round(double(k) * 100.0 / double(total)));
            ++k;
        });
    }
    needsRender_ = false;
}

void TDualImage::Rerender()
{
    WithDestinationHeld([this] {
        // A damaged stroke list fails part way through: the picture comes
        // back as it was rather than half drawn. Kept aside rather than
        // checked first, which would read every record twice.
        const TBitmap32 before = Destination();
        Destination().Clear(clWhite32);
        try {
            RenderAll(Destination(), 1.0);
        } catch (...) {
            std::copy_n(before.Bits(), size_t(before.Width()) * size_t(before.Height()), Destination().Bits());
            throw;
        }
    });
}

void TDualImage::ExportPostScript(const std::string& fileName)
{
    TProgressScope progress("Converting to vectors...", 0, 100);
    // The page holds neither the picture, the map nor the history, so the
    // document stays as modified as it was.
    states_->ExportPostScript(fileName, Destination().Width(), Destination().Height(), 0.8);
}
