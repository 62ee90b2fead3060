// Writes the default brush files into the program folder given as argv[1]
// (with its trailing "/"). The same bytes on every run.
#include "tools/DefaultBrushes.h"

#include "engine/BitmapBrushStrokeRenderer.h"
#include "gfx/Stream.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_brushes <program folder>/\n");
        return 2;
    }
    try {
        for (const defaults::TBrushDesign& brush : defaults::DefaultBrushes()) {
            TFileStream file(std::string(argv[1]) + brush.FileName, TFileStream::Mode::Create);
            TBitmapBrushStrokeRenderer::WriteBrushFile(file, brush.ID, brush.BrushSpan, brush.Image);
            file.Close();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gen_brushes: %s\n", e.what());
        return 1;
    }
    return 0;
}
