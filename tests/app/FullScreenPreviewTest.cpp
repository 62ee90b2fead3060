// The full-screen preview: a copy of the result fitted to the whole primary
// screen; any key or click closes it with OK and leaves the result alone.
#include "app/dialogs/FullScreenPreview.h"

#include "controls/ImageViewWidget.h"
#include "gfx/ImageView.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

TBitmap32 Result()
{
    TBitmap32 result(300, 200, 0xFFFFFFFFu);
    result.FillRect(0, 0, 150, 200, 0xFF000080u);
    return result;
}

// Shows the preview modally and runs `input` on it once it is up.
int RunPreview(TFullScreenPreview& preview, const TBitmap32& result, std::function<void()> input)
{
    QTimer::singleShot(0, &preview, [&preview, input] {
        if (preview.isVisible()) input();
    });
    // A preview that does not close would hang the test: give up after a while.
    QTimer::singleShot(3000, &preview, [&preview] { preview.reject(); });
    return preview.ShowPreview(result);
}

} // namespace

TEST(FullScreenPreview, CoversThePrimaryScreenWithACopyOfTheResult)
{
    TFullScreenPreview preview;
    TBitmap32 result = Result();
    preview.Prepare(result);
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(preview.geometry(), QRect(QPoint(0, 0), screen->size()));
    EXPECT_EQ(preview.Picture().Width(), 300);
    EXPECT_EQ(preview.Picture().Pixel(10, 10), 0xFF000080u);
    EXPECT_NE(preview.Picture().Bits(), result.Bits());
    // Changing the result afterwards leaves the preview's copy alone.
    result.Clear(0xFF00FF00u);
    EXPECT_EQ(preview.Picture().Pixel(10, 10), 0xFF000080u);
    EXPECT_EQ(preview.Image321().View().ScaleMode(), TScaleMode::smFit);
}

TEST(FullScreenPreview, ShowsTheWholePictureFittedAndCentred)
{
    TFullScreenPreview preview;
    preview.Prepare(Result());
    TImageView& view = preview.Image321().View();
    view.SetViewportSize(900, 900);
    // 300 x 200 in 900 x 900: three times larger, centred vertically.
    EXPECT_EQ(view.GetBitmapRect(), (TRect{0, 150, 900, 750}));
}

TEST(FullScreenPreview, AnyKeyOrClickClosesWithOk)
{
    const TBitmap32 result = Result();
    const std::pair<const char*, std::function<void(TFullScreenPreview&)>> inputs[] = {
        {"Esc", [](TFullScreenPreview& p) { QTest::keyClick(&p.Image321(), Qt::Key_Escape); }},
        {"letter", [](TFullScreenPreview& p) { QTest::keyClick(&p.Image321(), Qt::Key_A); }},
        {"F11", [](TFullScreenPreview& p) { QTest::keyClick(&p, Qt::Key_F11); }},
        {"left click", [](TFullScreenPreview& p) {
             QTest::mouseClick(p.Image321().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
         }},
        {"right click", [](TFullScreenPreview& p) {
             QTest::mouseClick(p.Image321().viewport(), Qt::RightButton, {}, QPoint(50, 50));
         }},
    };
    for (const auto& [name, input] : inputs) {
        TFullScreenPreview preview;
        const int answer = RunPreview(preview, result, [&preview, &input] { input(preview); });
        EXPECT_EQ(answer, QDialog::Accepted) << name;
        EXPECT_FALSE(preview.isVisible()) << name;
    }
    EXPECT_EQ(result.Pixel(10, 10), 0xFF000080u);
}
