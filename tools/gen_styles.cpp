// Writes the default style files that are missing from the program folder
// given as argv[1] (with its trailing "/"), previews included. A name already
// taken, in whatever form, is the user's and is left alone. Each preview is
// drawn from the same generator seed, so a style's file is the same on every
// run, whichever others were missing.
#include "tools/DefaultStyles.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_styles <program folder>/\n");
        return 2;
    }
    // Decided first: the generator runs at every build, and the previews are
    // the costly part. symlink_status: a dangling link counts as taken and is
    // never written through.
    std::vector<defaults::TStyleDesign> missing;
    for (const defaults::TStyleDesign& design : defaults::DefaultStyles()) {
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::symlink_status(argv[1] + design.FileName, ec)))
            missing.push_back(design);
    }
    if (missing.empty()) return 0;

    QGuiApplication app(argc, argv);  // the JPEG writer is a Qt image plugin
    try {
        defaults::TDefaultEnvironment environment;
        SetStyleEnvironment(&environment);
        for (const defaults::TStyleDesign& design : missing) {
            const std::unique_ptr<TGStyle> style = defaults::MakeStyle(design);
            RandSeed = 0;
            style->UpdatePreview();
            style->SaveToFile(std::string(argv[1]) + design.FileName);
        }
        SetStyleEnvironment(nullptr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gen_styles: %s\n", e.what());
        return 1;
    }
    return 0;
}
