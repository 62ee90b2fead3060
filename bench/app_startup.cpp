// Start-up and picture loading: the program from process start to its first
// painted window with the default styles, brushes and patterns; the command
// module's creation alone; and LoadImage of a 1-megapixel JPEG and of a
// 12-megapixel photograph resampled to about 1 megapixel.
#include "AppBenchSupport.h"
#include "app/domain/Domain.h"
#include "engine/DualImage.h"
#include "engine/PersistentObjectManager.h"
#include "gfx/ImageView.h"
#include "tests/app/FakeUi.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// A photograph-like picture: gradients, shapes and fine noise.
QImage Photograph(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(200, 180, 150));
    sky.setColorAt(1, QColor(30, 50, 100));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 40; ++i) {
        p.setBrush(QColor((i * 53) % 256, (i * 97) % 256, (i * 31) % 256));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(width * ((i * 37) % 100) / 100.0, height * ((i * 61) % 100) / 100.0, width / 8.0,
                             height / 6.0));
    }
    p.end();
    uint32_t seed = 1;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int d = static_cast<int>((seed >> 16) % 21) - 10;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + d, 255), qBound(0, qGreen(c) + d, 255), qBound(0, qBlue(c) + d, 255));
        }
    }
    return image;
}

void BM_ProcessStartToFirstPaint(benchmark::State& state)
{
    TProgramCopy copy;
    const QString program = QString::fromStdString(copy.Folder() + "ocrastell");
    for (auto _ : state) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("OCRASTELL_QUIT_AFTER_FIRST_PAINT", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(program, {});
        if (!process.waitForFinished(20000) || process.exitCode() != 0) {
            state.SkipWithError("the program did not start and end cleanly");
            break;
        }
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(BM_ProcessStartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The command module alone: patterns, brushes and styles loaded, tmp/ cleaned.
void BM_CommandModuleCreation(benchmark::State& state)
{
    TProgramCopy copy;
    for (auto _ : state) {
        TDomain domain(copy.Folder());
        benchmark::DoNotOptimize(domain.StyleManager().Count());
    }
}
BENCHMARK(BM_CommandModuleCreation)->Unit(benchmark::kMillisecond);

// LoadImage of a JPEG to a ready document (decode, checks, analysis, views).
void LoadJpeg(benchmark::State& state, int width, int height)
{
    TProgramCopy copy;
    const std::string picture = copy.Folder() + "picture.jpg";
    Photograph(width, height).save(QString::fromStdString(picture), "JPG", 90);
    TImageView source, dest;
    fake::TFakeUi ui;
    {
        TDomain domain(copy.Folder());
        domain.SetUi(&ui);
        domain.SetViews(&source, &dest);
        for (auto _ : state) {
            const auto proposal = ResampleProposal(width, height);
            ui.ResampleAnswers = {proposal};
            domain.LoadImage(picture, false);
            benchmark::DoNotOptimize(domain.Document()->FeatureMap().Bits());
        }
        state.counters["width"] = domain.Document()->Source().Width();
        state.counters["height"] = domain.Document()->Source().Height();
    }
}

void BM_LoadImage1MP(benchmark::State& state) { LoadJpeg(state, 1155, 866); }
BENCHMARK(BM_LoadImage1MP)->Unit(benchmark::kMillisecond);

void BM_LoadImage12MPResampled(benchmark::State& state) { LoadJpeg(state, 4000, 3000); }
BENCHMARK(BM_LoadImage12MPResampled)->Unit(benchmark::kMillisecond);

} // namespace

#include "WidgetMain.h"
