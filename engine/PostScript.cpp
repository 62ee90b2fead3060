// The PostScript export of the undo stack: one filled path per recorded
// stroke of the applied steps, the whole image centred on an A4 page.
#include "engine/PostScript.h"

#include "engine/BufferedWriter.h"
#include "engine/GStates.h"
#include "engine/Progress.h"
#include "engine/Strokes.h"
#include "gfx/Errors.h"
#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string PostScriptNumber(double value)
{
    if (!std::isfinite(value)) return "0.0000";
    // Values come from single precision, so value * 10000 is exact in double
    // and an exact half can be told apart from a near one.
    const double scaled = std::fabs(value) * 10000.0;
    const double whole = std::floor(scaled);
    const double units = scaled - whole >= 0.5 ? whole + 1 : whole;
    const long long n = static_cast<long long>(units);
    char buf[64];
    // A negative value keeps its sign even when its four decimals are zeros.
    std::snprintf(buf, sizeof buf, "%s%lld.%04lld", value < 0 ? "-" : "", n / 10000, n % 10000);
    return buf;
}

std::string PostScriptNumbers(double a, double b) { return PostScriptNumber(a) + " " + PostScriptNumber(b); }

std::string PostScriptColor(TColor32 color)
{
    return PostScriptNumber(RedComponent(color) / 255.0) + " " + PostScriptNumber(GreenComponent(color) / 255.0) + " " +
           PostScriptNumber(BlueComponent(color) / 255.0) + " ";
}

TPostScriptPage::TPostScriptPage(int32_t width, int32_t height, double k)
    : S(Single(std::min(8.26 / width, 11.69 / height))), K(k), TX(Single((8.26 - width * double(S) * k) / 2)),
      TY(Single((11.69 - height * double(S) * k) / 2)),
      Height(height)
{
}

std::string TPostScriptPage::Point(const TFixedPoint& p) const
{
    const float x = Single(p.X / 65536.0 * K * S);
    const float y = Single((Height - p.Y / 65536.0) * K * S);
    return PostScriptNumbers(x, y);
}

void TGStates::ExportPostScript(const std::string& fileName, int32_t width, int32_t height, double k)
{
    if (width <= 0 || height <= 0) throw EngineError("Nothing to export: the image is empty");
    const TPostScriptPage page(width, height, k);
    TBufferedWriter out(fileName, 8192);
    out.WriteLine("%!PS-Adobe-2.0");
    out.WriteLine("%%Title: Ocrastell Pro");
    out.WriteLine("%%Creator: Ocrastell");
    out.WriteLine("%%CreationDate: Thu Dec 28 13:15:44 PST 1989");
    out.WriteLine("%%EndComments");
    out.WriteLine("72 72 scale");
    out.WriteLine(PostScriptNumbers(page.TX, page.TY) + " translate");

    const int32_t applied = StateCount();
    for (int32_t i = 0; i < applied; ++i) {
        Progress().SetPosition(Round(100.0 * i / applied));
        GetState(i).Strokes().ForEachStroke([&](const TStrokeRecord& stroke) {
            // A path needs a point to start from; an empty outline has none.
            if (stroke.Left.empty() || stroke.Right.empty()) return;
            out.WriteLine("newpath");
            out.WriteLine(page.Point(stroke.Left.front()) + " moveto");
            for (size_t p = 1; p < stroke.Left.size(); ++p) out.WriteLine(page.Point(stroke.Left[p]) + " lineto");
            for (auto it = stroke.Right.rbegin(); it != stroke.Right.rend(); ++it)
                out.WriteLine(page.Point(*it) + " lineto");
            out.WriteLine(PostScriptColor(stroke.Color) + " setrgbcolor");
            out.WriteLine(".1 setlinewidth");
            out.WriteLine("closepath");
            out.WriteLine("fill");
        });
    }
    out.WriteLine("showpage");
    out.Close();
}
