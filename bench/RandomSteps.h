// A drawing for the benchmarks: a document over a photo-like picture in a
// program folder of its own, its temporary-file manager registered, and undo
// steps drawn as a user's drags would draw them, strokes placed at random
// points one step at a time.
#pragma once

#include "BenchSupport.h"

#include "engine/DualImage.h"
#include "engine/Styles.h"
#include "engine/TempManager.h"
#include "gfx/ImageView.h"
#include "gfx/Random.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace bench {

struct TBenchDrawing {
    // `folderTemplate` as QTemporaryDir takes it; empty: the system's
    // temporary folder.
    explicit TBenchDrawing(int32_t side, const QString& folderTemplate = {})
        : folder(folderTemplate.isEmpty() ? QDir::tempPath() + "/bench-XXXXXX" : folderTemplate),
          programFolder(folder.path().toStdString() + "/"), temp(std::make_unique<TTempManager>(programFolder)),
          source(PhotoLikePicture(side, side)), dest(side, side, clWhite32), side_(side)
    {
        SetTempManager(temp.get());
        sourceView.SetBitmap(&source);
        destView.SetBitmap(&dest);
        doc = std::make_unique<TDualImage>(sourceView, destView, 1.0f);
        doc->SetStyle(&style);
        doc->SetAutoMode(true);
        RandSeed = 0;
    }
    ~TBenchDrawing()
    {
        doc.reset();
        temp.reset();
        SetTempManager(nullptr);
    }

    // `steps` steps of `strokes` placements each, over the whole picture or,
    // with a `reach`, within a square of that side at a random place (a
    // short drag); with `swapEach`, the idle swapping of one old step
    // follows each, as between drags. Some placements find no stroke.
    void DrawRandomSteps(int steps, int strokes, bool swapEach = false, int32_t reach = 0)
    {
        const int32_t span = reach > 0 && reach < side_ ? reach : side_;
        for (int step = 0; step < steps; ++step) {
            doc->BeginState();
            int32_t left = 0, top = 0;
            if (span < side_) left = Random(side_ - span + 1), top = Random(side_ - span + 1);
            for (int i = 0; i < strokes; ++i) {
                const int32_t x = left + Random(span);
                doc->PlaceStrokeAt(x, top + Random(span));
            }
            doc->EndState();
            if (swapEach) doc->CompressOneState();
        }
    }

    QTemporaryDir folder;
    std::string programFolder;
    std::unique_ptr<TTempManager> temp;
    TBitmap32 source, dest;
    TImageView sourceView, destView;
    TGStyle style;
    std::unique_ptr<TDualImage> doc;

private:
    int32_t side_;
};

} // namespace bench
