// The default styles: a handful that show the range of the program, each
// drawn with one of the default brushes or the polygon renderer. Shared by
// the style generator and the benchmarks.
#pragma once

#include "tools/DefaultBrushes.h"

#include "engine/PersistentObjectManager.h"
#include "engine/StyleEnvironment.h"
#include "engine/Styles.h"

#include <memory>
#include <string>
#include <vector>

namespace defaults {

// The parameters as the main window shows them (the border limit in percent).
struct TStyleDesign {
    std::string FileName;
    std::string Name;
    int32_t PolyStep, Length;
    float Gain, ScanWidth;
    int32_t BorderPercent, Alpha, HueVar, SatVar, LightVar, Stroke;
};

// Renderer identifiers of the default brushes (DefaultBrushes.h).
enum : int32_t { Polygon = 0, Pencil = 1, Charcoal = 2, PenNib = 3, DryBrush = 4, FeltMarker = 5 };

inline std::vector<TStyleDesign> DefaultStyles()
{
    // file, name, poly step, length, gain, scan width, border %, alpha, hue, sat, light, renderer
    return {
        {"style1_fine_pen.gst", "Fine Pen Hatching", 8, 60, 5.0f, 2.0f, 100, 255, 6, 10, 24, PenNib},
        {"style2_pencil.gst", "Pencil Sketch", 10, 70, 7.0f, 3.0f, 100, 235, 4, 8, 30, Pencil},
        {"style3_charcoal.gst", "Charcoal", 12, 50, 16.0f, 3.0f, 100, 255, 4, 10, 40, Charcoal},
        {"style4_broad_marker.gst", "Broad Marker", 12, 45, 20.0f, 2.0f, 100, 190, 10, 20, 24, FeltMarker},
        {"style5_coloured_ink.gst", "Coloured Ink", 12, 36, 9.0f, 2.0f, 100, 255, 30, 40, 30, Polygon},
        {"style6_dry_brush.gst", "Dry Brush", 12, 80, 24.0f, 4.0f, 100, 240, 8, 16, 30, DryBrush},
    };
}

// The environment the default styles are drawn in: the polygon renderer in
// front of the default brushes, as the program starts.
class TDefaultEnvironment final : public IStyleEnvironment {
public:
    // The manager's folder cannot exist, so it loads no file of its own.
    TDefaultEnvironment() : renderers_(TBitmapBrushStrokeRenderer::BrushClass(), "/dev/null/")
    {
        for (const TBrushDesign& design : DefaultBrushes()) renderers_.Add(MakeBrushRenderer(design));
        renderers_.InsertFirst(std::make_unique<TPolygonStrokeRenderer>());
    }
    bool Updating() const override { return false; }
    std::unique_ptr<TBitmap32> SamplePicture() const override { return LoadEmbeddedSamplePicture(); }
    TPersistentObjectManager* RendererManager() const override { return &renderers_; }

private:
    mutable TPersistentObjectManager renderers_;
};

// A committed style made from a design.
inline std::unique_ptr<TGStyle> MakeStyle(const TStyleDesign& design)
{
    auto style = std::make_unique<TGStyle>();
    style->SetName(design.Name);
    style->SetPolyStep(design.PolyStep);
    style->SetLength(design.Length);
    style->SetGain(design.Gain);
    style->SetScanWidth(design.ScanWidth);
    style->SetBorderLimit(design.BorderPercent);
    style->SetAlpha(design.Alpha);
    style->SetHueVar(design.HueVar);
    style->SetSatVar(design.SatVar);
    style->SetLightVar(design.LightVar);
    style->SetStroke(design.Stroke);
    style->Commit();
    return style;
}

} // namespace defaults
