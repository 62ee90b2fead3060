// The end-to-end test's helper: makes a project from a drawn picture for the
// program to open, reads a saved project back to count its strokes, and shows
// a window of another program for the keyboard to go to.
//   e2e_project make <file.ovk> <width> <height>
//   e2e_project count <file.ovk>     prints "<strokes> <states>"
//   e2e_project window <title>       until it is ended
#include "engine/DualImage.h"
#include "engine/Styles.h"
#include "engine/TempManager.h"
#include "gfx/ImageView.h"
#include "gfx/Stream.h"

#include <QDir>
#include <QGuiApplication>
#include <QRasterWindow>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

namespace {

// Soft hills of colour with a dark disc: edges and directions for the strokes.
TBitmap32 Picture(int32_t w, int32_t h)
{
    TBitmap32 pic(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t dx = x - w / 2, dy = y - h / 2;
            pic.Pixel(x, y) = dx * dx + dy * dy < h * h / 9
                                  ? Color32(50, 40, 35)
                                  : Color32(uint8_t(90 + x * 150 / w), uint8_t(160 + (x + y) % 60), uint8_t(220 - y * 120 / h));
        }
    return pic;
}

int Make(const std::string& fileName, int32_t w, int32_t h)
{
    TBitmap32 source = Picture(w, h), dest(w, h, clWhite32);
    TImageView sourceView, destView;
    sourceView.SetBitmap(&source);
    destView.SetBitmap(&dest);
    TGStyle style;
    TDualImage doc(sourceView, destView, 1.0f);
    doc.SetStyle(&style);
    TFileStream out(fileName, TFileStream::Mode::Create);
    doc.SaveToStream(out);
    return 0;
}

int Count(const std::string& fileName)
{
    TImageView sourceView, destView;
    TBitmap32 source, dest;
    sourceView.SetBitmap(&source);
    destView.SetBitmap(&dest);
    TFileStream in(fileName, TFileStream::Mode::OpenRead);
    auto doc = TDualImage::CreateFromStream(in, sourceView, destView, 1.0f);
    std::printf("%lld %d\n", static_cast<long long>(doc->StrokeCount()), doc->StateCount());
    return 0;
}

int Window(QGuiApplication& app, const char* title)
{
    QRasterWindow window;
    window.setTitle(QString::fromLocal8Bit(title));
    window.resize(200, 100);
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string verb = argc > 2 ? argv[1] : "";
    if (verb != "window") qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (verb == "window" && argc == 3) return Window(app, argv[2]);
    QTemporaryDir scratch;
    TTempManager temps(QDir(scratch.path()).absolutePath().toStdString() + "/");
    SetTempManager(&temps);
    try {
        if (verb == "make" && argc == 5) return Make(argv[2], std::stoi(argv[3]), std::stoi(argv[4]));
        if (verb == "count" && argc == 3) return Count(argv[2]);
        std::fprintf(stderr, "usage: e2e_project make <file.ovk> <width> <height> | count <file.ovk> | window <title>\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "e2e_project: %s\n", e.what());
    }
    SetTempManager(nullptr);
    return 2;
}
