#include "app/dialogs/ImageSizeDialog.h"
#include "controls/FloatSpinEdit.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

namespace {

struct ImageSizeFixture : ::testing::Test {
    TFImgSizeDlg dialog;

    void ShowFor(int width, int height, int dpi)
    {
        dialog.SetWidth(width);
        dialog.SetHeight(height);
        dialog.SetResolution(dpi);
        dialog.show();
    }
    void Type(QSpinBox* edit, const char* text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void Type(TFloatEdit* edit, const char* text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    double H() const { return dialog.seHorizInches()->Value(); }
    double V() const { return dialog.seVertInches()->Value(); }
    int Px() const { return dialog.seHorizPixels()->value(); }
    int Py() const { return dialog.seVertPixels()->value(); }
    QString Estimate() const { return dialog.lblEstimSize()->text(); }
};

} // namespace

TEST(ImageSizeArithmetic, ByteCountsInTheLargestUnitTheyExceed)
{
    struct Case {
        int64_t bytes;
        const char* text;
    };
    for (const Case& c : {Case{0, "0 Bytes"}, Case{1024, "1024 Bytes"}, Case{1025, "1.001 KBytes"},
                          Case{900000, "878.9 KBytes"}, Case{1048576, "1024 KBytes"}, Case{1440000, "1.373 MBytes"},
                          Case{3600000, "3.433 MBytes"}, Case{1073741824, "1024 MBytes"},
                          Case{30000000000LL, "27.94 GBytes"}})
        EXPECT_EQ(ByteSizeText(c.bytes), c.text) << c.bytes;
}

TEST(ImageSizeArithmetic, TheEstimateCountsThreeBytesAPixelIn64Bits)
{
    EXPECT_EQ(EstimatedSizeText(800, 600), "Estimated Size:1.373 MBytes");
    EXPECT_EQ(EstimatedSizeText(600, 500), "Estimated Size:878.9 KBytes");
    EXPECT_EQ(EstimatedSizeText(100000, 100000), "Estimated Size:27.94 GBytes");
    EXPECT_EQ(EstimatedSizeText(0, 600), "Estimated Size:0 Bytes");
}

TEST(ImageSizeArithmetic, PrintedSizesInInchesAndCentimetres)
{
    EXPECT_EQ(PixelsPerUnit(200, UnitInches), 200.0);
    EXPECT_DOUBLE_EQ(PixelsPerUnit(200, UnitCentimeters), 200 / 2.54);
    EXPECT_DOUBLE_EQ(SizeFromPixels(800, 72), 11.11);
    EXPECT_DOUBLE_EQ(SizeFromPixels(600, 72), 8.33);
    EXPECT_DOUBLE_EQ(SizeFromPixels(600, 200), 3.0);
    EXPECT_DOUBLE_EQ(SizeFromPixels(600, PixelsPerUnit(200, UnitCentimeters)), 7.62);
    // Two decimals: Trunc(x * 100 + 0.5) / 100, so a third of a cent rounds down.
    EXPECT_DOUBLE_EQ(TwoDecimals(2.345), 2.35);
    EXPECT_DOUBLE_EQ(TwoDecimals(2.3449), 2.34);
    EXPECT_EQ(PixelsFromSize(3, 400), 1200);
    EXPECT_EQ(PixelsFromSize(7.62, PixelsPerUnit(200, UnitCentimeters)), 600);
    EXPECT_EQ(SizeGroupCaption(UnitInches), "Size in Inches");
    EXPECT_EQ(SizeGroupCaption(UnitCentimeters), "Size in Centimeters");
}

TEST_F(ImageSizeFixture, OpensWithTheDefaultsOfACreatedDialog)
{
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Render at Resolution");
    EXPECT_EQ(Px(), 800);
    EXPECT_EQ(Py(), 600);
    EXPECT_EQ(dialog.GetResolution(), 72);
    EXPECT_DOUBLE_EQ(H(), 11.11);
    EXPECT_DOUBLE_EQ(V(), 8.33);
    EXPECT_EQ(Estimate(), "Estimated Size:1.373 MBytes");
    EXPECT_EQ(dialog.seHorizInches()->text(), "11.11");
}

TEST_F(ImageSizeFixture, ShowsAResultsSizeThreeWays)
{
    ShowFor(600, 500, 200);
    EXPECT_DOUBLE_EQ(H(), 3.0);
    EXPECT_DOUBLE_EQ(V(), 2.5);
    EXPECT_EQ(Estimate(), "Estimated Size:878.9 KBytes");
    EXPECT_EQ(dialog.AspectRatio(), 1.2f);
}

TEST_F(ImageSizeFixture, TypedPixelsPullTheOtherSideAndTheSizes)
{
    ShowFor(600, 500, 200);
    Type(dialog.seHorizPixels(), "1200");
    EXPECT_EQ(Py(), 1000);
    EXPECT_DOUBLE_EQ(H(), 6.0);
    EXPECT_DOUBLE_EQ(V(), 5.0);
    EXPECT_EQ(Estimate(), "Estimated Size:3.433 MBytes");
    Type(dialog.seVertPixels(), "250");
    EXPECT_EQ(Px(), 300);
    EXPECT_DOUBLE_EQ(H(), 1.5);
}

TEST_F(ImageSizeFixture, AResolutionKeepsThePrintedSizeAndMovesThePixels)
{
    ShowFor(600, 500, 200);
    Type(dialog.seRes(), "400");
    EXPECT_EQ(Px(), 1200);
    EXPECT_EQ(Py(), 1000);
    EXPECT_DOUBLE_EQ(H(), 3.0);
    EXPECT_DOUBLE_EQ(V(), 2.5);
}

TEST_F(ImageSizeFixture, ATypedSizeSetsTheOtherByTheAspect)
{
    ShowFor(600, 500, 200);
    Type(dialog.seHorizInches(), "4.5");
    EXPECT_DOUBLE_EQ(V(), 3.75);
    EXPECT_EQ(Px(), 900);
    EXPECT_EQ(Py(), 750);
    Type(dialog.seVertInches(), "1");
    EXPECT_DOUBLE_EQ(H(), 1.2);
    EXPECT_EQ(Px(), 240);
    EXPECT_EQ(Py(), 200);
}

TEST_F(ImageSizeFixture, CentimetresAreKeptBetweenShowingsAndTheResolutionStaysPerInch)
{
    ShowFor(600, 500, 200);
    dialog.rbCentimeters()->click();
    EXPECT_EQ(dialog.Units(), UnitCentimeters);
    EXPECT_EQ(dialog.gbSizeInches()->title(), "Size in Centimeters");
    EXPECT_DOUBLE_EQ(H(), 7.62);
    EXPECT_DOUBLE_EQ(V(), 6.35);
    EXPECT_EQ(Px(), 600);
    EXPECT_EQ(Py(), 500);
    EXPECT_EQ(dialog.GetResolution(), 200);

    dialog.reject();
    ShowFor(800, 600, 72);
    EXPECT_TRUE(dialog.rbCentimeters()->isChecked());
    EXPECT_EQ(dialog.gbSizeInches()->title(), "Size in Centimeters");
    EXPECT_DOUBLE_EQ(H(), 28.22); // 800 / (72 / 2.54)
    EXPECT_DOUBLE_EQ(V(), 21.17);

    dialog.rbInches()->click();
    EXPECT_EQ(dialog.gbSizeInches()->title(), "Size in Inches");
    EXPECT_DOUBLE_EQ(H(), 11.11);
    EXPECT_EQ(Px(), 800);
}

// A unit is a way of showing the printed size: switching it keeps the
// pixels that will be saved and shows the sizes anew from them.
TEST_F(ImageSizeFixture, SwitchingUnitsKeepsThePixelsAndShowsTheSizesFromThem)
{
    struct Case {
        int width, height, dpi;
        const char* units; // 'c' centimetres, 'i' inches, clicked in turn
        double h, v;       // the printed size shown at the end
    };
    for (const Case& c : {Case{451, 300, 200, "cic", 5.73, 3.81}, Case{451, 300, 200, "ci", 2.26, 1.5},
                          Case{600, 500, 200, "c", 7.62, 6.35}, Case{333, 777, 72, "cici", 4.63, 10.79},
                          Case{1001, 999, 300, "cic", 8.48, 8.46}, Case{1234, 567, 150, "ci", 8.23, 3.78}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " at " << c.dpi << ", " << c.units);
        dialog.rbInches()->setChecked(true);
        ShowFor(c.width, c.height, c.dpi);
        const std::string estimate = Estimate().toStdString();
        for (const char* unit = c.units; *unit; ++unit) {
            (*unit == 'c' ? dialog.rbCentimeters() : dialog.rbInches())->click();
            EXPECT_EQ(Px(), c.width) << "after " << *unit;
            EXPECT_EQ(Py(), c.height) << "after " << *unit;
        }
        EXPECT_DOUBLE_EQ(H(), c.h);
        EXPECT_DOUBLE_EQ(V(), c.v);
        EXPECT_EQ(dialog.GetResolution(), c.dpi);
        EXPECT_EQ(Estimate().toStdString(), estimate);
        dialog.btOk()->click();
        EXPECT_EQ(dialog.GetWidth(), c.width);
        EXPECT_EQ(dialog.GetHeight(), c.height);
    }
}

TEST_F(ImageSizeFixture, AClickOnTheUnitAlreadyChosenChangesNothing)
{
    // A typed 3.004 in at 200 dpi makes 601 x 500 pixels; running the unit
    // cascade again would write 3.01 in and make them 602 x 502.
    ShowFor(600, 500, 200);
    ASSERT_TRUE(dialog.rbInches()->isChecked());
    Type(dialog.seHorizInches(), "3.004");
    ASSERT_EQ(Px(), 601);
    ASSERT_EQ(Py(), 500);
    dialog.rbInches()->click();
    EXPECT_EQ(Px(), 601);
    EXPECT_EQ(Py(), 500);
    EXPECT_DOUBLE_EQ(H(), 3.004);
    EXPECT_DOUBLE_EQ(V(), 2.5);
}

TEST_F(ImageSizeFixture, SaveNeedsAtLeastOnePixelEachWay)
{
    ShowFor(600, 500, 200);
    EXPECT_TRUE(dialog.btOk()->isEnabled());
    Type(dialog.seHorizPixels(), "0");
    EXPECT_EQ(Py(), 0);
    EXPECT_FALSE(dialog.btOk()->isEnabled());
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    Type(dialog.seHorizPixels(), "12");
    EXPECT_TRUE(dialog.btOk()->isEnabled());
    dialog.btOk()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetWidth(), 12);
    EXPECT_EQ(dialog.GetHeight(), 10);
}

TEST_F(ImageSizeFixture, APictureLargerThanTheEditsShowsItsFullEstimate)
{
    ShowFor(100000, 100000, 200);
    EXPECT_EQ(Estimate(), "Estimated Size:27.94 GBytes");
    EXPECT_DOUBLE_EQ(H(), 500.0);
}
