// The apply run: 5,000 strokes on a 1-megapixel picture through the real
// dialog (events pumped after every stroke, the dialog redrawn every 20th
// step, the destination's repaints held to the end) against the same 5,000
// placements without the dialog. The pumping must not dominate.
#include "AppBenchSupport.h"
#include "app/dialogs/ApplyAllDialog.h"
#include "app/dialogs/ImageSizeDialog.h"
#include "app/dialogs/ResampleDialog.h"
#include "app/domain/Domain.h"
#include "app/ui/QtUi.h"
#include "controls/ImageViewWidget.h"
#include "engine/DualImage.h"
#include "gfx/Random.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

constexpr int Strokes = 5000;

// A window with the two views, a document on a 1-megapixel picture and the
// program's own dialogs.
class TApplyBench {
public:
    TApplyBench() : domain_(program_.Folder()), ui_(&window_)
    {
        auto* layout = new QHBoxLayout(&window_);
        source_ = new TImageViewWidget(&window_);
        dest_ = new TImageViewWidget(&window_);
        layout->addWidget(source_);
        layout->addWidget(dest_);
        window_.resize(1200, 700);
        window_.show();
        domain_.SetViews(&source_->View(), &dest_->View());
        domain_.SetUi(&ui_);
        const std::string picture = dir_.path().toStdString() + "/picture.png";
        QImage image(1155, 866, QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient g(0, 0, 1155, 866);
        g.setColorAt(0, QColor(220, 190, 150));
        g.setColorAt(1, QColor(30, 60, 120));
        p.fillRect(image.rect(), g);
        p.setBrush(QColor(160, 40, 30));
        p.drawEllipse(200, 150, 500, 400);
        p.end();
        image.save(QString::fromStdString(picture));
        domain_.LoadImage(picture, false);
        QCoreApplication::processEvents();
    }
    ~TApplyBench() { domain_.SetViews(nullptr, nullptr); }

    void RunInDialog()
    {
        auto& dialog = ui_.ApplyAllDialog();
        QTimer::singleShot(0, &dialog, [&dialog] {
            dialog.SetSteps(Strokes);
            dialog.btOk()->click();
        });
        domain_.Execute(TCommandId::ApplyWithCurrentSettings);
    }

    void RunBare()
    {
        TDualImage& doc = *domain_.Document();
        TImageView& dest = dest_->View();
        doc.BeginState();
        dest.BeginUpdate();
        for (int i = 0; i < Strokes; ++i) {
            const int32_t x = Random(doc.Destination().Width());
            const int32_t y = Random(doc.Destination().Height());
            doc.PlaceStrokeAt(x, y);
        }
        dest.EndUpdate();
        doc.EndState();
        dest.Changed();
    }

    TDomain& Domain() { return domain_; }

private:
    TProgramCopy program_;
    QTemporaryDir dir_;
    QWidget window_;
    TImageViewWidget* source_ = nullptr;
    TImageViewWidget* dest_ = nullptr;
    TDomain domain_;
    TQtUi ui_;
};

void BM_ApplyRunInTheDialog(benchmark::State& state)
{
    TApplyBench bench;
    for (auto _ : state) {
        RandSeed = 0;
        bench.RunInDialog();
    }
    state.counters["strokes"] = static_cast<double>(bench.Domain().Document()->StrokeCount()) / state.iterations();
}
BENCHMARK(BM_ApplyRunInTheDialog)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PlacementsWithoutTheDialog(benchmark::State& state)
{
    TApplyBench bench;
    for (auto _ : state) {
        RandSeed = 0;
        bench.RunBare();
    }
    state.counters["strokes"] = static_cast<double>(bench.Domain().Document()->StrokeCount()) / state.iterations();
}
BENCHMARK(BM_PlacementsWithoutTheDialog)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

#include "WidgetMain.h"
