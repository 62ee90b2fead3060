// A command module over a scratch program folder, with headless views and
// the scripted windows of FakeUi.h; helpers that write the program folder's
// files and pictures.
#pragma once

#include "FakeUi.h"

#include "app/domain/Domain.h"
#include "engine/DualImage.h"
#include "engine/Patterns.h"
#include "engine/Progress.h"
#include "gfx/ImageView.h"
#include "gfx/Stream.h"
#include "tools/DefaultBrushes.h"
#include "tools/DefaultStyles.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace domaintest {

// A picture with shapes and gradients, so that the analysis finds edges.
inline QImage TestPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(210, 190, 160));
    sky.setColorAt(1, QColor(40, 60, 110));
    p.fillRect(0, 0, width, height, sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(150, 40, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(width * 0.2, height * 0.2, width * 0.4, height * 0.5));
    p.setBrush(QColor(240, 230, 90));
    p.drawRect(QRectF(width * 0.55, height * 0.1, width * 0.3, height * 0.3));
    p.end();
    return image;
}

inline std::string WritePicture(const std::string& folder, const std::string& name, int width, int height,
                                const char* format = "PNG")
{
    const std::string fileName = folder + name;
    TestPicture(width, height).save(QString::fromStdString(fileName), format, 90);
    return fileName;
}

// Writes the first `count` default brushes.
inline void WriteBrushes(const std::string& folder, int count)
{
    const auto brushes = defaults::DefaultBrushes();
    for (int i = 0; i < count && i < static_cast<int>(brushes.size()); ++i) {
        TFileStream file(folder + brushes[static_cast<size_t>(i)].FileName, TFileStream::Mode::Create);
        TBitmapBrushStrokeRenderer::WriteBrushFile(file, brushes[static_cast<size_t>(i)].ID,
                                                   brushes[static_cast<size_t>(i)].BrushSpan,
                                                   brushes[static_cast<size_t>(i)].Image);
        file.Close();
    }
}

// Style files take a preview to write, so they are made once per process
// and copied.
inline void WriteStyles(const std::string& folder, int count)
{
    static QTemporaryDir made;
    static int madeCount = 0;
    const auto designs = defaults::DefaultStyles();
    const std::string source = made.path().toStdString() + "/";
    for (; madeCount < count && madeCount < static_cast<int>(designs.size()); ++madeCount) {
        defaults::TDefaultEnvironment environment;
        SetStyleEnvironment(&environment);
        defaults::MakeStyle(designs[static_cast<size_t>(madeCount)])
            ->SaveToFile(source + designs[static_cast<size_t>(madeCount)].FileName);
        SetStyleEnvironment(nullptr);
    }
    for (int i = 0; i < count && i < static_cast<int>(designs.size()); ++i)
        std::filesystem::copy_file(source + designs[static_cast<size_t>(i)].FileName,
                                   folder + designs[static_cast<size_t>(i)].FileName,
                                   std::filesystem::copy_options::overwrite_existing);
}

// Patterns of one frame with one short curve each.
inline void WritePatterns(const std::string& folder, int count)
{
    for (int i = 0; i < count; ++i) {
        TPattern pattern;
        pattern.SetName("pattern " + std::to_string(i));
        auto frame = std::make_unique<TPatternFrame>();
        frame->AddCurve(TBezier{{10, 100}, {60, 40 + 10 * i}, {150, 160}, {200, 100}});
        pattern.AddPatternFrame(std::move(frame));
        pattern.SetModified(true);
        pattern.SaveToFile(folder + "pattern" + std::to_string(i) + ".stk");
    }
}

// Records every call of the progress window.
class TRecordingProgress : public IProgress {
public:
    void Start(int min, int max) override { Starts.push_back({min, max}); ++Level; }
    void Step() override { ++Steps; }
    void SetPosition(int position) override { Positions.push_back(position); }
    void Finish() override
    {
        --Level;
        if (OnFinish) OnFinish();
    }
    std::function<void()> OnFinish;
    std::vector<std::pair<int, int>> Starts;
    std::vector<int> Positions;
    int Steps = 0, Level = 0;
};

class DomainFixture : public ::testing::Test {
protected:
    void SetUp() override { folder = dir.path().toStdString() + "/"; }
    void TearDown() override
    {
        domain.reset();
        SetProgress(nullptr);
    }

    // Starts the command module over the folder with the given files.
    void Start(int brushes = 5, int styles = 0, int patterns = 1)
    {
        WriteBrushes(folder, brushes);
        WriteStyles(folder, styles);
        WritePatterns(folder, patterns);
        StartOnly();
    }
    void StartOnly()
    {
        domain = std::make_unique<TDomain>(folder);
        domain->SetUi(&ui);
        domain->SetMainWindow(&window);
        domain->SetViews(&source, &dest);
    }

    // Loads a picture of the given size; the auto tool's mode so strokes follow the map.
    void LoadPicture(int width, int height)
    {
        domain->LoadImage(WritePicture(folder, "picture.png", width, height), false);
        domain->Document()->SetAutoMode(true);
    }

    std::vector<uint32_t> Pixels(const TBitmap32& bitmap) const
    {
        return {bitmap.Bits(), bitmap.Bits() + static_cast<size_t>(bitmap.Width()) * bitmap.Height()};
    }

    QTemporaryDir dir;
    std::string folder;
    TImageView source, dest;
    fake::TFakeUi ui;
    fake::TFakeMainWindow window;
    std::unique_ptr<TDomain> domain;
};

} // namespace domaintest
