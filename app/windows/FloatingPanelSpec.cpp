#include "app/windows/FloatingPanelSpec.h"

#include "gfx/Errors.h"

#include <array>

const TFloatingPanelSpec& StandardPanelSpec(int tag)
{
    // The hints are the layout's own, the full stop of "Color Variation" included.
    static const std::array<TFloatingPanelSpec, 5> specs{{
        {ptStrokeSettings, "Stroke Settings", {222, 69}, true, "Close window"},
        {ptColorSettings, "Color Variation", {203, 74}, true, "Close window."},
        {ptBrushes, "Brushes Collection", {162, 142}, false, ""},
        {ptAdvSettings, "Advanced Settings", {217, 97}, true, "Close window"},
        {ptSizeDensity, "Size & Density", {193, 62}, true, "Close window"},
    }};
    for (const TFloatingPanelSpec& spec : specs)
        if (spec.Tag == tag) return spec;
    throw EngineError("No floating panel has the tag " + std::to_string(tag));
}
