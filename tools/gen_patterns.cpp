// Makes the default pattern files of the program folder: hatching,
// cross-hatching, loops and scribbles, five frames of hand-drawn-looking
// curves each. Run at every build with the program folder (ending in "/") as
// its one argument, it writes only the files that are missing: a name already
// taken, in whatever form, is the user's and is left alone. The same source
// always writes the same bytes.
//
// Curves are drawn in the pattern editor's 210 x 210 view, the units in
// which the editor shows them and the frame pictures draw them. The pattern
// tool scales them by Radius / 105, so the whole view spans the brush's
// diameter and a curve 105 units long becomes a stroke one radius long.

#include "engine/Patterns.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <string>

namespace {

constexpr double ViewSize = 210.0;
constexpr double Margin = 6.0; // keeps every point grabbable inside the editor's view
constexpr int FramesPerPattern = 5;

// A uniform value in [lo, hi], from the program's one generator.
double Uniform(double lo, double hi) { return lo + (hi - lo) * Random(10001) / 10000.0; }

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// A point given in a curve's own frame: U along the direction of travel, V
// across it (to the left of travel when V < 0, as rows count downward).
struct TLocal {
    double U, V;
};

// Places four local points at (X, Y), travelling at Angle degrees
// counter-clockwise from +X on screen, then slides the curve into the view.
TBezier Place(double x, double y, double angleDegrees, const TLocal (&q)[4])
{
    const double c = std::cos(Radians(angleDegrees)), s = -std::sin(Radians(angleDegrees));
    double px[4], py[4];
    for (int i = 0; i < 4; ++i) {
        px[i] = x + q[i].U * c - q[i].V * s;
        py[i] = y + q[i].U * s + q[i].V * c;
    }
    const auto shift = [](const double* v) {
        const double lo = *std::min_element(v, v + 4), hi = *std::max_element(v, v + 4);
        if (lo < Margin) return Margin - lo;
        if (hi > ViewSize - Margin) return std::max(ViewSize - Margin - hi, Margin - lo);
        return 0.0;
    };
    const double dx = shift(px), dy = shift(py);
    TBezier b;
    TPoint* points[4] = {&b.P0, &b.P1, &b.P2, &b.P3};
    for (int i = 0; i < 4; ++i) *points[i] = {Round(px[i] + dx), Round(py[i] + dy)};
    return b;
}

// One pen stroke of length L centred on (X, Y): a slight bow, a touch of S
// and uneven control spacing, as a hand never draws a ruler line.
TBezier PenStroke(double x, double y, double angle, double length, double bow)
{
    const double h = length / 2.0;
    const double wobble = Uniform(-0.04, 0.04) * length;
    return Place(x, y, angle,
                 {{-h, 0.0},
                  {-h + length * Uniform(0.28, 0.38), -bow + wobble},
                  {h - length * Uniform(0.28, 0.38), -bow - wobble},
                  {h + Uniform(-2.0, 2.0), Uniform(-2.0, 2.0)}});
}

// A row of parallel strokes across the view's centre at Angle degrees, with
// the spacing, lengths and bows that each hatching frame varies.
struct THatch {
    double Angle, Spacing, MinLength, MaxLength, MaxBow;
    int Count;
};

void AddHatch(TPatternFrame& frame, const THatch& h)
{
    // Rows stack across the stroke direction, centred on the view.
    const double across = Radians(h.Angle + 90.0);
    for (int i = 0; i < h.Count; ++i) {
        const double offset = (i - (h.Count - 1) / 2.0) * h.Spacing + Uniform(-3.0, 3.0);
        const double along = Uniform(-8.0, 8.0);
        const double cx = ViewSize / 2 + offset * std::cos(across) + along * std::cos(Radians(h.Angle));
        const double cy = ViewSize / 2 - offset * std::sin(across) - along * std::sin(Radians(h.Angle));
        frame.AddCurve(PenStroke(cx, cy, h.Angle + Uniform(-4.0, 4.0), Uniform(h.MinLength, h.MaxLength),
                                 Uniform(-h.MaxBow, h.MaxBow)));
    }
}

// Right-handed hatching: strokes rise from lower left to upper right.
void MakeHatching(TPattern& pattern, int index)
{
    static constexpr THatch frames[FramesPerPattern] = {
        {45.0, 18.0, 100.0, 140.0, 4.0, 7}, {42.0, 14.0, 70.0, 100.0, 3.0, 8}, {48.0, 22.0, 120.0, 160.0, 7.0, 6},
        {40.0, 16.0, 50.0, 80.0, 3.0, 9},   {50.0, 20.0, 90.0, 130.0, 9.0, 7}};
    AddHatch(pattern.GetFrames(index), frames[index]);
}

// Two layers of hatching that cross, as a pen goes over its first layer.
void MakeCrossHatching(TPattern& pattern, int index)
{
    static constexpr double firstAngle[FramesPerPattern] = {45.0, 30.0, 60.0, 40.0, 50.0};
    static constexpr double crossing[FramesPerPattern] = {90.0, 90.0, 80.0, 100.0, 70.0};
    TPatternFrame& frame = pattern.GetFrames(index);
    const double length = 70.0 + 10.0 * index;
    AddHatch(frame, {firstAngle[index], 20.0, length, length + 40.0, 4.0, 5});
    AddHatch(frame, {firstAngle[index] - crossing[index], 20.0, length, length + 40.0, 4.0, 5});
}

// A loop such as a pen makes in joined writing: the control points reach
// past each other, so the curve rises, turns back over itself and comes down
// near where it began, a round loop about Width across on a narrow base.
TBezier Loop(double x, double y, double angle, double width)
{
    const double base = width * Uniform(0.3, 0.6) / 2.0;
    const double reach = width * Uniform(1.0, 1.25);
    const double rise = width * Uniform(1.1, 1.4);
    return Place(x, y, angle,
                 {{-base, 0.0},
                  {reach, -rise * Uniform(0.9, 1.1)},
                  {-reach, -rise * Uniform(0.9, 1.1)},
                  {base + Uniform(-3.0, 3.0), Uniform(-3.0, 3.0)}});
}

void MakeLoops(TPattern& pattern, int index)
{
    static constexpr double tilt[FramesPerPattern] = {0.0, 20.0, -15.0, 35.0, 10.0};
    static constexpr double size[FramesPerPattern] = {45.0, 35.0, 60.0, 40.0, 50.0};
    TPatternFrame& frame = pattern.GetFrames(index);
    const int count = index % 2 == 0 ? 4 : 5;
    for (int i = 0; i < count; ++i) {
        const double x = 40.0 + (ViewSize - 80.0) * i / (count - 1) + Uniform(-6.0, 6.0);
        const double y = ViewSize / 2 + size[index] / 2 + Uniform(-25.0, 25.0);
        const double w = size[index] * Uniform(0.8, 1.2);
        frame.AddCurve(Loop(x, y, tilt[index] + Uniform(-10.0, 10.0), w));
    }
}

// A restless curve that doubles back on itself: a Z, an S or a hook.
TBezier Scribble(double x, double y, double angle, double length)
{
    const double h = length / 2.0;
    const double swing = length * Uniform(0.5, 1.1);
    const double side = Random(2) == 0 ? 1.0 : -1.0;
    return Place(x, y, angle,
                 {{-h, 0.0},
                  {h * Uniform(0.6, 1.2), -side * swing},
                  {-h * Uniform(0.6, 1.2), side * swing * Uniform(0.4, 1.0)},
                  {h, Uniform(-10.0, 10.0)}});
}

void MakeScribbles(TPattern& pattern, int index)
{
    static constexpr double lengths[FramesPerPattern] = {60.0, 45.0, 80.0, 55.0, 70.0};
    TPatternFrame& frame = pattern.GetFrames(index);
    const int count = 4 + index % 3;
    for (int i = 0; i < count; ++i) {
        const double x = ViewSize / 2 + Uniform(-55.0, 55.0), y = ViewSize / 2 + Uniform(-55.0, 55.0);
        frame.AddCurve(Scribble(x, y, Uniform(0.0, 360.0), lengths[index] * Uniform(0.75, 1.25)));
    }
}

struct TDefaultPattern {
    const char* FileName;
    uint32_t Seed; // each pattern draws from its own fixed start, so one never shifts another
    std::function<void(TPattern&, int frame)> Fill;
};

void Write(const std::string& folder, const TDefaultPattern& def)
{
    // symlink_status: a dangling link counts as taken and is never written through.
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(folder + def.FileName, ec))) return;
    TPattern pattern;
    for (int i = 0; i < FramesPerPattern; ++i) pattern.AddPatternFrame(std::make_unique<TPatternFrame>());
    RandSeed = def.Seed;
    for (int i = 0; i < FramesPerPattern; ++i) def.Fill(pattern, i);
    pattern.SaveToFile(folder + def.FileName);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <program folder/>\n", argv[0]);
        return 2;
    }
    // Named so that the folder lists them in this order and the plainest
    // pattern is the one selected at start.
    const TDefaultPattern patterns[] = {{"01-hatching.stk", 1001, MakeHatching},
                                        {"02-cross-hatching.stk", 2002, MakeCrossHatching},
                                        {"03-loops.stk", 3003, MakeLoops},
                                        {"04-scribbles.stk", 4004, MakeScribbles}};
    try {
        for (const TDefaultPattern& def : patterns) Write(argv[1], def);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gen_patterns: %s\n", e.what());
        return 1;
    }
    return 0;
}
