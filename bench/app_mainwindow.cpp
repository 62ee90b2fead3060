// The main window with a one-megapixel document: a full repaint, one scroll
// step of a view (the other follows), and Undo and Redo of a 5,000-stroke
// step from the menu with the repaint that follows.
#include "BenchSupport.h"

#include "app/domain/Domain.h"
#include "app/windows/MainWindow.h"
#include "controls/ImageViewWidget.h"
#include "engine/DualImage.h"
#include "gfx/Random.h"
#include "gfx/Stream.h"
#include "tools/DefaultBrushes.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>

namespace {

// A command module over a scratch program folder with the default brushes,
// a main window on it and a 1024 x 1024 picture opened.
struct TScene {
    QTemporaryDir dir;
    std::unique_ptr<TDomain> domain;
    std::unique_ptr<TFMain> window;

    TScene()
    {
        const std::string folder = dir.path().toStdString() + "/";
        for (const auto& brush : defaults::DefaultBrushes()) {
            TFileStream file(folder + brush.FileName, TFileStream::Mode::Create);
            TBitmapBrushStrokeRenderer::WriteBrushFile(file, brush.ID, brush.BrushSpan, brush.Image);
            file.Close();
        }
        bench::PhotoLikePicture(1024, 1024).ToImage().save(QString::fromStdString(folder + "picture.png"));
        domain = std::make_unique<TDomain>(folder);
        window = std::make_unique<TFMain>(*domain, QStringList());
        window->show();
        domain->LoadImage(folder + "picture.png", false);
        QCoreApplication::processEvents();
    }
    ~TScene()
    {
        window.reset();
        domain.reset();
    }
};

std::unique_ptr<TScene> scene;

TScene& Scene()
{
    if (!scene) scene = std::make_unique<TScene>();
    return *scene;
}

// The 5,000-stroke step, made once however often the benchmark is entered.
void MakeStepOnce(TDualImage& document)
{
    static bool made = false;
    if (made) return;
    made = true;
    document.SetAutoMode(true);
    RandSeed = 1;
    document.BeginState();
    for (int i = 0; i < 5000; ++i) {
        const int32_t x = Random(1024);
        const int32_t y = Random(1024);
        document.PlaceStrokeAt(x, y);
    }
    document.EndState();
}

void BM_MainWindowFullRepaint(benchmark::State& state)
{
    TScene& s = Scene();
    for (auto _ : state) s.window->repaint();
}
BENCHMARK(BM_MainWindowFullRepaint)->Unit(benchmark::kMillisecond);

void BM_MainWindowScrollStep(benchmark::State& state)
{
    TScene& s = Scene();
    TImageView& view = s.window->ImgDst()->View();
    int step = 0;
    for (auto _ : state) {
        // Down and back again, one wheel notch at a time.
        view.Scroll(0, (step++ % 2) ? -48 : 48);
        s.window->ImgSrc()->viewport()->repaint();
        s.window->ImgDst()->viewport()->repaint();
    }
}
BENCHMARK(BM_MainWindowScrollStep)->Unit(benchmark::kMillisecond);

void BM_MainWindowUndoRedo5000(benchmark::State& state)
{
    TScene& s = Scene();
    TDualImage& document = *s.domain->Document();
    MakeStepOnce(document);
    QAction* undo = s.domain->Command(TCommandId::Undo);
    QAction* redo = s.domain->Command(TCommandId::Redo);
    for (auto _ : state) {
        s.domain->UpdateAllCommands();
        undo->trigger();
        s.window->repaint();
        s.domain->UpdateAllCommands();
        redo->trigger();
        s.window->repaint();
    }
    state.counters["strokes"] = static_cast<double>(document.StrokeCount());
    state.SetLabel("one undo and one redo, each repainted");
}
BENCHMARK(BM_MainWindowUndoRedo5000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    scene.reset();
    return 0;
}
