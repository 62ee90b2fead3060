#include "app/dialogs/ResampleDialog.h"
#include "engine/Dialogs.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <climits>
#include <vector>

namespace {

struct RecordedMessages final : IDialogs {
    std::vector<std::string> texts;
    void ShowMessage(const std::string& caption, const std::string& text, TMessageKind kind) override
    {
        EXPECT_EQ(caption, "Error");
        EXPECT_EQ(kind, TMessageKind::Error);
        texts.push_back(text);
    }
    TAnswer Ask(const std::string&, const std::string&, bool) override { return TAnswer::No; }
};

const std::string TooLarge = "Please select an equal or smaller size\rthan the original image";
const std::string TooSmall = "Please select larger values for the image size";

// The dialog shown for a W x H picture with the proposal the loader makes.
struct ResampleFixture : ::testing::Test {
    TFResample dialog;
    RecordedMessages messages;

    void SetUp() override { SetDialogs(&messages); }
    void TearDown() override { SetDialogs(nullptr); }
    void ShowFor(int width, int height, int w, int h)
    {
        dialog.OriginalWidth = width;
        dialog.OriginalHeight = height;
        dialog.RecommendedWidth = w;
        dialog.RecommendedHeight = h;
        dialog.show();
    }
    void Type(QSpinBox* edit, const char* text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

} // namespace

TEST(ResampleArithmetic, TheLockedSideFollowsInSinglePrecisionAndStaysInRange)
{
    const float aspect = ResampleAspect(1182, 887);
    EXPECT_EQ(aspect, 1182.0f / 887.0f);
    EXPECT_EQ(ResampleLockedHeight(600, aspect), 450);
    EXPECT_EQ(ResampleLockedWidth(450, aspect), 600);
    EXPECT_EQ(ResampleLockedHeight(1182, aspect), 887);
    // Round halves to even: 5 / 2 = 2.5 -> 2, 7 / 2 = 3.5 -> 4.
    EXPECT_EQ(ResampleLockedHeight(5, 2.0f), 2);
    EXPECT_EQ(ResampleLockedHeight(7, 2.0f), 4);
    // Never below 1 nor above the edits' range.
    EXPECT_EQ(ResampleLockedHeight(1, 3238.0f), 1);
    EXPECT_EQ(ResampleLockedWidth(ResampleMaxSide, 3238.0f), ResampleMaxSide);
}

TEST(ResampleArithmetic, ProblemsAreCheckedInOrderAndBothCanBeReported)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(ResampleProblems(1182, 887, 2000, 1500), V{});
    EXPECT_EQ(ResampleProblems(2000, 1500, 2000, 1500), V{});
    EXPECT_EQ(ResampleProblems(100, 100, 2000, 1500), V{});
    EXPECT_EQ(ResampleProblems(2001, 1500, 2000, 1500), V{TooLarge});
    EXPECT_EQ(ResampleProblems(1182, 99, 2000, 1500), V{TooSmall});
    EXPECT_EQ(ResampleProblems(3000, 99, 2000, 1500), (V{TooLarge, TooSmall}));
}

TEST_F(ResampleFixture, ShowsTheOriginalSizeAndTheProposal)
{
    ShowFor(2000, 1500, 1182, 887);
    EXPECT_EQ(dialog.windowTitle(), "Resample source image");
    EXPECT_EQ(dialog.lblRes()->text(), "2000 x 1500");
    EXPECT_EQ(dialog.seWidth()->value(), 1182);
    EXPECT_EQ(dialog.seHeight()->value(), 887);
    EXPECT_EQ(dialog.AspectRatio(), 1182.0f / 887.0f);
}

TEST_F(ResampleFixture, EditingOneSideSetsTheOther)
{
    ShowFor(2000, 1500, 1182, 887);
    Type(dialog.seWidth(), "600");
    EXPECT_EQ(dialog.seHeight()->value(), 450);
    Type(dialog.seHeight(), "300");
    EXPECT_EQ(dialog.seWidth()->value(), 400);
    // Typed text never leaves the edits' range.
    Type(dialog.seWidth(), "0");
    EXPECT_GE(dialog.seWidth()->value(), 1);
    EXPECT_GE(dialog.seHeight()->value(), 1);
}

TEST_F(ResampleFixture, ResampleChecksTheSizeAndStaysOpenUntilItFits)
{
    ShowFor(2000, 1500, 1182, 887);
    Type(dialog.seWidth(), "2400");
    dialog.btResample()->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(messages.texts, std::vector<std::string>{TooLarge});

    messages.texts.clear();
    Type(dialog.seHeight(), "99");
    dialog.btResample()->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(messages.texts, std::vector<std::string>{TooSmall});

    messages.texts.clear();
    Type(dialog.seWidth(), "800");
    dialog.btResample()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(dialog.ChosenWidth(), 800);
    EXPECT_EQ(dialog.ChosenHeight(), 600);
}

TEST_F(ResampleFixture, LeaveOriginalEscapeAndTheCloseBoxAlwaysClose)
{
    // For a long thin picture no size passes the checks; the dialog must
    // still let the user keep the picture as it is.
    for (int way = 0; way < 3; ++way) {
        ShowFor(10000000, 1, 3238172, 1);
        dialog.btResample()->click();
        ASSERT_TRUE(dialog.isVisible());
        messages.texts.clear();
        if (way == 0) dialog.btLeave()->click();
        if (way == 1) QTest::keyClick(&dialog, Qt::Key_Escape);
        if (way == 2) dialog.close();
        EXPECT_FALSE(dialog.isVisible()) << way;
        EXPECT_EQ(dialog.result(), QDialog::Rejected) << way;
        EXPECT_TRUE(messages.texts.empty()) << way;
    }
}

TEST_F(ResampleFixture, EveryShowingStartsFromTheCallersFields)
{
    ShowFor(2000, 1500, 1182, 887);
    Type(dialog.seWidth(), "600");
    dialog.btLeave()->click();
    ShowFor(2000, 1000, 1448, 724);
    EXPECT_EQ(dialog.lblRes()->text(), "2000 x 1000");
    EXPECT_EQ(dialog.seWidth()->value(), 1448);
    EXPECT_EQ(dialog.seHeight()->value(), 724);
    EXPECT_EQ(dialog.AspectRatio(), 1448.0f / 724.0f);
}
