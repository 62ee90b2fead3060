// The PostScript export, byte for byte on a worked example, under a comma
// locale, and rendered by Ghostscript over the drawing it came from.
#include "engine/PostScript.h"

#include "ScratchTempFolder.h"
#include "common/CommaLocale.h"
#include "engine/DualImage.h"
#include "engine/GStates.h"
#include "engine/Progress.h"
#include "engine/Strokes.h"
#include "engine/Styles.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Random.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Lines(std::initializer_list<const char*> lines)
{
    std::string out;
    for (const char* l : lines) out += std::string(l) + "\n\r";
    return out;
}

TArrayOfFixedPoint Outline(std::initializer_list<TPoint> points)
{
    TArrayOfFixedPoint out;
    for (const TPoint& p : points) out.push_back(FixedPoint(p));
    return out;
}

// A stack with one finished step holding the given strokes, over W x H images.
struct OneStepStack {
    TBitmap32 map, dest;
    TGStates states;
    OneStepStack(int32_t w, int32_t h, const std::vector<TStrokeRecord>& strokes) : map(w, h), dest(w, h, clWhite32)
    {
        auto state = std::make_unique<TGState>(map, dest);
        for (const TStrokeRecord& s : strokes) state->Strokes().AddStroke(s);
        state->Finish(Rect(0, 0, w, h));
        states.Push(std::move(state));
    }
};

const std::string WorkedExample = Lines({"%!PS-Adobe-2.0", "%%Title: Ocrastell Pro", "%%Creator: Ocrastell",
                                         "%%CreationDate: Thu Dec 28 13:15:44 PST 1989", "%%EndComments",
                                         "72 72 scale", "0.8260 2.5410 translate", "newpath", "0.6608 5.9472 moveto",
                                         "1.3216 5.9472 lineto", "1.3216 5.8150 lineto", "0.6608 5.8150 lineto",
                                         "1.0000 0.5020 0.0000  setrgbcolor", ".1 setlinewidth", "closepath",
                                         "fill", "showpage"});

TStrokeRecord WorkedStroke()
{
    TStrokeRecord s;
    s.Left = Outline({Point(10, 10), Point(20, 10)});
    s.Right = Outline({Point(10, 12), Point(20, 12)});
    s.Color = Color32(255, 128, 0);
    return s;
}

// Remembers where the export put the progress bar.
class RecordingProgress : public IProgress {
public:
    std::vector<int> positions;
    void Start(int, int) override {}
    void Step() override {}
    void SetPosition(int p) override { positions.push_back(p); }
    void Finish() override {}
};

} // namespace

TEST(PostScriptText, Numbers)
{
    const std::pair<double, const char*> cases[] = {
        {0.826f, "0.8260"},
        {1.0, "1.0000"},
        {0.0, "0.0000"},
        {-0.0, "0.0000"},
        {-2.5f, "-2.5000"},
        {0.03125f, "0.0313"},  // an exact half rounds away from zero
        {-0.03125f, "-0.0313"},
        {123.45678f, "123.4568"},
        {-0.00003, "-0.0000"},  // negative, though its four decimals are zeros
        {-0.00003f, "-0.0000"},
        {-0.00004999, "-0.0000"},
        {0.00003, "0.0000"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(PostScriptNumber(value), text) << value;
    EXPECT_EQ(PostScriptColor(Color32(255, 128, 0)), "1.0000 0.5020 0.0000 ");
}

TEST(PostScriptExport, WorkedExampleByteForByte)
{
    TScratchTempFolder temp;
    OneStepStack stack(100, 100, {WorkedStroke()});
    const std::string file = temp.Folder() + "out.ps";
    stack.states.ExportPostScript(file, 100, 100, 0.8);
    EXPECT_EQ(ReadFile(file), WorkedExample);

    // A comma-decimal locale changes nothing.
    TCommaLocale comma;
    if (comma.Active()) {
        stack.states.ExportPostScript(file, 100, 100, 0.8);
        EXPECT_EQ(ReadFile(file), WorkedExample);
    }
}

TEST(PostScriptExport, EmptyWideTallAndOnePointOutlines)
{
    TScratchTempFolder temp;
    const std::string file = temp.Folder() + "out.ps";
    {
        OneStepStack empty(100, 100, {});
        empty.states.ExportPostScript(file, 100, 100, 0.8);
        EXPECT_EQ(ReadFile(file), Lines({"%!PS-Adobe-2.0", "%%Title: Ocrastell Pro", "%%Creator: Ocrastell",
                                          "%%CreationDate: Thu Dec 28 13:15:44 PST 1989", "%%EndComments",
                                          "72 72 scale", "0.8260 2.5410 translate", "showpage"}));
    }
    {
        // Fitted by its width: tx is the same 0.8260, ty grows.
        OneStepStack wide(400, 100, {});
        wide.states.ExportPostScript(file, 400, 100, 0.8);
        EXPECT_NE(ReadFile(file).find("0.8260 5.0190 translate"), std::string::npos);
    }
    {
        TStrokeRecord s = WorkedStroke();
        s.Left.resize(1);
        TStrokeRecord noLeft = WorkedStroke();
        noLeft.Left.clear();
        OneStepStack one(100, 100, {s, noLeft});
        one.states.ExportPostScript(file, 100, 100, 0.8);
        const std::string text = ReadFile(file);
        EXPECT_NE(text.find("0.6608 5.9472 moveto\n\r1.3216 5.8150 lineto\n\r0.6608 5.8150 lineto\n\r"),
                  std::string::npos);
        // The stroke without a left outline is left out.
        size_t paths = 0;
        for (size_t at = text.find("newpath"); at != std::string::npos; at = text.find("newpath", at + 1)) ++paths;
        EXPECT_EQ(paths, 1u);
    }
}

TEST(PostScriptExport, AFailedWriteKeepsThePreviousFile)
{
    TScratchTempFolder temp;
    OneStepStack stack(100, 100, {WorkedStroke()});
    EXPECT_THROW(stack.states.ExportPostScript(temp.Folder() + "no/such/folder/out.ps", 100, 100, 0.8), EngineError);
}

// Ghostscript draws the page; where the drawing has ink, so must the page.
TEST(PostScriptExport, GhostscriptPageMatchesTheDrawing)
{
    if (std::system("gs --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "Ghostscript is not installed";
    TScratchTempFolder temp;
    TBitmap32 source(100, 140), dest(100, 140, clWhite32);
    for (int32_t y = 0; y < 140; ++y)
        for (int32_t x = 0; x < 100; ++x) source.Pixel(x, y) = Color32(uint8_t(x * 2), 60, uint8_t(y));
    TImageView sourceView, destView;
    sourceView.SetBitmap(&source);
    destView.SetBitmap(&dest);
    TGStyle style;
    style.SetHueVar(0);
    style.SetSatVar(0);
    style.SetLightVar(0);
    TDualImage doc(sourceView, destView, 1.0f);
    doc.SetStyle(&style);
    doc.SetAutoMode(true);
    RandSeed = 3;
    doc.BeginState();
    for (int i = 0; i < 60; ++i) {
        const int32_t x = Random(100);
        doc.PlaceStrokeAt(x, Random(140));
    }
    doc.EndState();

    const std::string ps = temp.Folder() + "page.ps", png = temp.Folder() + "page.png";
    doc.ExportPostScript(ps);
    const int dpi = 200;
    const std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pnggray -sPAPERSIZE=a4 -dFIXEDMEDIA -r" +
                            std::to_string(dpi) + " -o '" + png + "' '" + ps + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    QImage page(QString::fromStdString(png));
    ASSERT_FALSE(page.isNull());

    const TPostScriptPage geometry(100, 140, 0.8);
    const double pageHeightInches = page.height() / double(dpi);
    int agree = 0, total = 0;
    for (int32_t y = 2; y < 138; y += 2) {
        for (int32_t x = 2; x < 98; x += 2) {
            // Pixel centres of the image on the page, top-down for the PNG.
            const double xi = geometry.TX + (x + 0.5) * geometry.K * geometry.S;
            const double yi = geometry.TY + (140 - (y + 0.5)) * geometry.K * geometry.S;
            const int px = int(xi * dpi), py = int((pageHeightInches - yi) * dpi);
            const bool inkOnPage = qGray(page.pixel(px, py)) < 250;
            const bool inkInDrawing = dest.Pixel(x, y) != clWhite32;
            agree += inkOnPage == inkInDrawing;
            ++total;
        }
    }
    EXPECT_GT(agree, total * 9 / 10) << agree << " of " << total;
}

// Only the mapped point and the translation are single precision; the page
// factor itself is not, and 0.8 as a float would move some points by a unit
// in the fourth decimal.
TEST(PostScriptText, PointsUseTheExactPageFactor)
{
    const TPostScriptPage page(100, 100, 0.8);
    EXPECT_EQ(page.Point(TFixedPoint{3089703, 0}), "3.1153 6.6080");
    EXPECT_EQ(page.Point(TFixedPoint{5981003, 100 * FixedOne}), "6.0306 0.0000");
}

TEST(PostScriptExport, ProgressFollowsTheStatesRounded)
{
    TScratchTempFolder temp;
    TBitmap32 map(10, 10), dest(10, 10, clWhite32);
    TGStates states;
    for (int i = 0; i < 3; ++i) {
        auto state = std::make_unique<TGState>(map, dest);
        state->Finish(Rect(0, 0, 10, 10));
        states.Push(std::move(state));
    }
    RecordingProgress progress;
    SetProgress(&progress);
    states.ExportPostScript(temp.Folder() + "out.ps", 10, 10, 0.8);
    SetProgress(nullptr);
    // 100 * 2 / 3 is 66.7: the bar shows 67.
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 33, 67}));
}
