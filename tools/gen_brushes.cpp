// Writes the default brush files that are missing from the program folder
// given as argv[1] (with its trailing "/"). The same bytes on every run.
// A name already taken, in whatever form, is the user's and is left alone.
#include "tools/DefaultBrushes.h"

#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/BufferedWriter.h"
#include "gfx/Stream.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_brushes <program folder>/\n");
        return 2;
    }
    try {
        for (const defaults::TBrushDesign& brush : defaults::DefaultBrushes()) {
            const std::string path = std::string(argv[1]) + brush.FileName;
            // symlink_status: a dangling link counts as taken and is never written through.
            std::error_code ec;
            if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) continue;
            TMemoryStream content;
            TBitmapBrushStrokeRenderer::WriteBrushFile(content, brush.ID, brush.BrushSpan, brush.Image);
            // Through a temporary file: a build stopped half way leaves no
            // cut-short brush that later builds would take for the user's.
            TBufferedWriter file(path, 0);
            file.Write(content.Bytes().data(), content.Bytes().size());
            file.Close();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gen_brushes: %s\n", e.what());
        return 1;
    }
    return 0;
}
