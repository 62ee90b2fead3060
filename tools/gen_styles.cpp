// Writes the default style files, previews included, into the program
// folder given as argv[1] (with its trailing "/"). Each preview is drawn
// from the same generator seed, so the files are the same on every run.
#include "tools/DefaultStyles.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_styles <program folder>/\n");
        return 2;
    }
    QGuiApplication app(argc, argv);  // the JPEG writer is a Qt image plugin
    try {
        defaults::TDefaultEnvironment environment;
        SetStyleEnvironment(&environment);
        for (const defaults::TStyleDesign& design : defaults::DefaultStyles()) {
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
