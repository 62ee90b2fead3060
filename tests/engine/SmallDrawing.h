// A small document for the tests of projects and their files: an 80 x 60
// picture (a dark disc on a gradient) in a source view, a white destination,
// a default style, the auto mode, its own temporary folder, and steps of
// strokes placed at random points; plus a second pair of views to read a
// project into.
#pragma once

#include "ScratchTempFolder.h"
#include "engine/DualImage.h"
#include "engine/Styles.h"
#include "gfx/ImageView.h"
#include "gfx/Random.h"

#include <memory>

inline TBitmap32 DiscPicture(int32_t w, int32_t h)
{
    TBitmap32 pic(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pic.Pixel(x, y) = (x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < h * h / 9
                                  ? Color32(60, 40, 30)
                                  : Color32(uint8_t(120 + x), 180, uint8_t(200 - y));
    return pic;
}

class TSmallDrawing {
public:
    TSmallDrawing() : source(DiscPicture(80, 60)), dest(80, 60, clWhite32)
    {
        RandSeed = 7;
        sourceView.SetBitmap(&source);
        destView.SetBitmap(&dest);
        doc = std::make_unique<TDualImage>(sourceView, destView, 1.0f);
        doc->SetStyle(&style);
        doc->SetAutoMode(true);
    }

    // One undo step of `strokes` strokes, X drawn before Y.
    void Step(int32_t strokes)
    {
        doc->BeginState();
        for (int32_t i = 0; i < strokes; ++i) {
            const int32_t x = Random(source.Width());
            doc->PlaceStrokeAt(x, Random(source.Height()));
        }
        doc->EndState();
    }

    // First, so that the document's temporary files have their manager.
    TScratchTempFolder temp;
    TBitmap32 source, dest;
    TImageView sourceView, destView;
    TGStyle style;
    std::unique_ptr<TDualImage> doc;
};

// A second pair of views for reading a project into.
struct OtherViews {
    TBitmap32 source, dest;
    TImageView sourceView, destView;
    OtherViews()
    {
        sourceView.SetBitmap(&source);
        destView.SetBitmap(&dest);
    }
};
