// The main window over a real command module in a scratch program folder:
// the refresh with and without a document, the gauges' bindings, the style
// list, the command line, the help mode, the Shift key, the idle work, the
// scroll sync, and the commands' keys in the windows that serve this one.
#include "DomainFixture.h"

#include "app/dialogs/FullScreenPreview.h"
#include "app/dialogs/HelpWindow.h"
#include "app/dialogs/Navigator.h"
#include "app/dialogs/WaitWindow.h"
#include "app/domain/Domain.h"
#include "app/tools/ToolManager.h"
#include "app/windows/HeaderPanel.h"
#include "app/windows/MainWindow.h"
#include "app/windows/MainWindowRules.h"
#include "app/windows/MainWindowThumbs.h"
#include "controls/Bitmap32List.h"
#include "controls/GaugeTrack.h"
#include "controls/ImageList.h"
#include "controls/ImageListViewer.h"
#include "controls/ImageListViewer32.h"
#include "controls/ImageViewWidget.h"
#include "controls/NumericEdit.h"
#include "controls/NumericGaugeBar.h"
#include "engine/DualImage.h"
#include "engine/GStates.h"
#include "engine/PolyBezier.h"
#include "engine/PersistentObjectManager.h"
#include "engine/Styles.h"
#include "gfx/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QTest>
#include <QTimer>

using namespace domaintest;

namespace {

// Counts the events of the given types that reach a widget.
class TEventCounter : public QObject {
public:
    TEventCounter(QObject* watched, std::initializer_list<QEvent::Type> types) : types_(types)
    {
        watched->installEventFilter(this);
    }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        Count += std::count(types_.begin(), types_.end(), event->type()) > 0;
        return false;
    }

private:
    std::vector<QEvent::Type> types_;
};

// What the size preview shows: the radius of its circle (the dots lie
// inside it) and whether it carries the scale label in its top left
// corner, where neither circle nor dots reach.
struct TShownSize {
    double Radius;
    bool Label;
};

TShownSize ShownSize(const TBitmap32& preview)
{
    const int cx = preview.Width() / 2, cy = preview.Height() / 2;
    constexpr int labelWidth = 36, labelHeight = 14;
    TShownSize shown{0, false};
    for (int y = 0; y < preview.Height(); ++y)
        for (int x = 0; x < preview.Width(); ++x) {
            if (preview.Pixel(x, y) == PanelColor32) continue;
            if (x < labelWidth && y < labelHeight)
                shown.Label = true;
            else
                shown.Radius = std::max(shown.Radius, std::hypot(x - cx, y - cy));
        }
    return shown;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = dir.path().toStdString() + "/";
        SetDialogs(&ui);
    }
    void TearDown() override
    {
        window.reset();
        domain.reset();
        SetDialogs(nullptr);
    }

    void Start(QStringList arguments = {})
    {
        WriteBrushes(folder, 5);
        WriteStyles(folder, 2);
        WritePatterns(folder, 2);
        domain = std::make_unique<TDomain>(folder);
        domain->SetUi(&ui);
        window = std::make_unique<TFMain>(*domain, std::move(arguments));
    }
    void LoadPicture(int width = 200, int height = 150)
    {
        domain->LoadImage(WritePicture(folder, "picture.png", width, height), false);
    }
    TGStyle& Style() { return *domain->Document()->Style(); }
    TNumericGaugeBar& Gauge(TStyleSetting setting) { return *window->Gauge(setting); }
    // Plays the user: types a value into a gauge's box and confirms it.
    void Type(TNumericGaugeBar& gauge, const QString& text)
    {
        gauge.Edit()->setText(text);
        gauge.AcceptText();
    }
    // Makes `count` undo steps of a few strokes each.
    void MakeSteps(int count)
    {
        TDualImage& document = *domain->Document();
        document.SetAutoMode(true);
        for (int i = 0; i < count; ++i) {
            document.BeginState();
            for (int s = 0; s < 5; ++s) document.PlaceStrokeAt(20 + 30 * s, 20 + 20 * i);
            document.EndState();
        }
    }
    int CompressedSteps()
    {
        TGStates& states = domain->Document()->States();
        int n = 0;
        for (int i = 0; i < states.Count(); ++i) n += states.GetState(i).IsCompressed();
        return n;
    }

    QTemporaryDir dir;
    std::string folder;
    fake::TFakeUi ui;
    std::unique_ptr<TDomain> domain;
    std::unique_ptr<TFMain> window;
};

} // namespace

TEST_F(MainWindowTest, WithoutADocumentTheGaugesShowTheirRestingValuesAndThePanelsHide)
{
    Start();
    EXPECT_EQ(Gauge(TStyleSetting::Precision).Value(), 6);
    EXPECT_EQ(Gauge(TStyleSetting::Length).Value(), 100);
    EXPECT_EQ(Gauge(TStyleSetting::Width).Value(), 40);
    EXPECT_EQ(window->gaSize()->Value(), 50);
    EXPECT_EQ(Gauge(TStyleSetting::BorderLimit).Value(), 100);
    EXPECT_EQ(window->lblPSCount()->text(), "0 Vectors");
    EXPECT_TRUE(window->panDual()->isHidden());
    EXPECT_TRUE(window->panPanels()->isHidden());

    // After Close the same, and the status bar keeps the closed document's memory text.
    LoadPicture();
    EXPECT_FALSE(window->panDual()->isHidden());
    const QString memory = window->StatusPanel()->text();
    EXPECT_FALSE(memory.isEmpty());
    domain->Execute(TCommandId::Close);
    EXPECT_EQ(domain->Document(), nullptr);
    EXPECT_TRUE(window->panPanels()->isHidden());
    EXPECT_EQ(Gauge(TStyleSetting::Width).Value(), 40);
    EXPECT_EQ(window->StatusPanel()->text(), memory);
    EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(MainWindowTest, BorderLimitIsStoredAsItsByteAndShownBackRounded)
{
    Start();
    LoadPicture();
    struct Case { int typed; int stored; int shown; };
    for (const Case c : {Case{1, 59, 2}, Case{3, 58, 3}, Case{50, 30, 50}, Case{99, 1, 98}, Case{100, 0, 100}}) {
        Type(Gauge(TStyleSetting::BorderLimit), QString::number(c.typed));
        EXPECT_EQ(Style().BorderLimitByte(), c.stored) << c.typed;
        window->UpdateControls();
        EXPECT_EQ(Gauge(TStyleSetting::BorderLimit).Value(), c.shown) << c.typed;
    }
}

TEST_F(MainWindowTest, PrecisionWritesAndShowsThePolyStepCountedDown)
{
    Start();
    LoadPicture();
    Type(Gauge(TStyleSetting::Precision), "88");
    EXPECT_EQ(Style().GetPolyStep(), 12);
    Type(Gauge(TStyleSetting::Precision), "6");
    EXPECT_EQ(Style().GetPolyStep(), 94);
    Style().SetPolyStep(12);
    window->UpdateControls();
    EXPECT_EQ(Gauge(TStyleSetting::Precision).Value(), 88);
}

TEST_F(MainWindowTest, AModifiedStyleReadsRedAndItalicButTheScratchStyleNever)
{
    Start();
    LoadPicture();
    ASSERT_GE(window->cbStyles()->count(), 3);
    EXPECT_EQ(window->StyleEntry(0), "Scratch Style");
    // Width redraws the entry at once.
    Type(Gauge(TStyleSetting::Width), "17");
    EXPECT_EQ(window->StyleEntry(0), "Scratch Style");

    domain->StyleManager().SetItemIndex(1);
    const std::string name = domain->StyleManager().GetObject(1).Name();
    EXPECT_EQ(window->StyleEntry(1), name);
    EXPECT_EQ(window->cbStyles()->currentIndex(), 1);
    Type(Gauge(TStyleSetting::Width), "19");
    EXPECT_TRUE(Style().Modified());
    EXPECT_EQ(window->StyleEntry(1), "<i><font color=\"255\">" + name + " (not saved) </font></i>");
}

TEST_F(MainWindowTest, StopOnBordersChangesTheStyleButNotItsModifiedFlag)
{
    Start();
    LoadPicture();
    domain->StyleManager().SetItemIndex(1);
    ASSERT_FALSE(Style().Modified());
    const bool was = Style().GetStopOnBorders() != 0;
    window->cbStopBorder()->click();
    EXPECT_NE(Style().GetStopOnBorders() != 0, was);
    EXPECT_FALSE(Style().Modified());
}

TEST_F(MainWindowTest, TheStyleComboTakesOnlyTheUsersChoice)
{
    Start();
    LoadPicture();
    // Programmatic changes never select a style.
    window->cbStyles()->setCurrentIndex(2);
    EXPECT_EQ(domain->StyleManager().ItemIndex(), 0);
    window->cbStyles()->setCurrentIndex(-1);
    window->cbStylesChange();
    EXPECT_EQ(domain->StyleManager().ItemIndex(), 0);
    window->cbStyles()->setCurrentIndex(2);
    emit window->cbStyles()->activated(2);
    EXPECT_EQ(domain->StyleManager().ItemIndex(), 2);
    EXPECT_EQ(Style().Name(), domain->StyleManager().GetObject(2).Name());
}

TEST_F(MainWindowTest, SizePreviewFollowsTheDocumentAndDrawsFromTheOneGenerator)
{
    Start();
    LoadPicture();
    domain->Document()->SetDensity(5);
    RandSeed = 99;
    window->DrawSizePreview();
    uint32_t expected = 99;
    for (int i = 0; i < 12; ++i) expected = expected * 134775813u + 1u;
    EXPECT_EQ(RandSeed, expected) << "Density 5 draws 6 dots";
    EXPECT_EQ(window->ImgSizeBitmap().Width(), 144);
    EXPECT_EQ(window->ImgSizeBitmap().Height(), 102);

    // A size typed into the gauge reaches the document; 8..500 only.
    Type(*window->gaSize(), "120");
    EXPECT_EQ(domain->Document()->Radius(), 120);
}

// Whoever set the Size gauge, the preview shows its brush. In a 144 x 102
// preview a radius up to 51 is drawn as it is, a larger one shrunk to 46
// with its scale written in the corner (120: "42.5%").
TEST_F(MainWindowTest, TheSizePreviewShowsTheBrushTheGaugeShowsWhoeverSetIt)
{
    Start();
    LoadPicture();
    const auto expectShown = [this](int radius, bool label) {
        const TShownSize shown = ShownSize(window->ImgSizeBitmap());
        EXPECT_NEAR(shown.Radius, radius, 1.5);
        EXPECT_EQ(shown.Label, label);
    };
    Type(*window->gaSize(), "120");
    expectShown(46, true);

    // Close puts the gauge at rest; the next picture's brush is that size.
    domain->Execute(TCommandId::Close);
    LoadPicture(300, 200);
    EXPECT_EQ(window->gaSize()->Value(), 50);
    EXPECT_EQ(domain->Document()->Radius(), 50);
    expectShown(50, false);

    // The wheel changes the brush behind the gauge; moving the gauge to
    // that size writes nothing, but shows it.
    Type(*window->gaSize(), "30");
    expectShown(30, false);
    domain->Document()->SetRadius(40);
    Type(*window->gaSize(), "40");
    expectShown(40, false);
}

TEST_F(MainWindowTest, AClickOnAViewCommitsOnlyTheTextTheUserTyped)
{
    Start();
    LoadPicture();
    domain->Document()->SetRadius(300); // as the wheel does; the gauge shows it only later
    window->PainWindowMouseDown();
    EXPECT_EQ(domain->Document()->Radius(), 300);

    window->gaDensity()->Edit()->setText("77");
    window->gaDensity()->Edit()->setModified(true);
    QTest::mouseClick(window->ImgDst()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(domain->Document()->Density(), 77);
    EXPECT_EQ(domain->Document()->Radius(), 300);
}

TEST_F(MainWindowTest, TheViewsShareTheAreaWithTheOddPixelToTheSource)
{
    Start();
    // The test screen (800 x 600) is narrower than the designed 1074 pixels:
    // the window takes what the screen gives, less a 6-pixel splitter, halved.
    EXPECT_EQ(window->glSplitter()->handleWidth(), 6);
    const QList<int> sizes = window->glSplitter()->sizes();
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_EQ(sizes[0] + sizes[1] + 6, window->glSplitter()->width());
    EXPECT_TRUE(sizes[0] == sizes[1] || sizes[0] == sizes[1] + 1) << sizes[0] << " " << sizes[1];
}

TEST_F(MainWindowTest, OnAScreenSmallerThanItsDesignTheWholeWindowFitsAndEveryBarShows)
{
    Start();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QCoreApplication::processEvents();
    const QRect available = window->screen()->availableGeometry();
    ASSERT_TRUE(available.width() < 1074 || available.height() < 770) << "the test screen holds the design size";
    EXPECT_TRUE(available.contains(window->frameGeometry()))
        << window->frameGeometry().x() << "," << window->frameGeometry().y() << " "
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();
    // The bottom bar keeps its height, and the status bar lies inside the
    // window below it.
    EXPECT_EQ(window->panPanels()->height(), 163);
    const QWidget* status = window->statusBar();
    EXPECT_TRUE(status->isVisible());
    EXPECT_GE(status->mapTo(window.get(), QPoint()).y(),
              window->panPanels()->mapTo(window.get(), QPoint(0, window->panPanels()->height())).y());
    EXPECT_LE(status->mapTo(window.get(), QPoint(0, status->height())).y(), window->height());
}

TEST_F(MainWindowTest, CommandLineOpensOneProjectAndIgnoresTwoArguments)
{
    Start({"a.ovk", "b.ovk"});
    window->show();
    EXPECT_EQ(domain->Document(), nullptr);
    EXPECT_TRUE(ui.Messages.empty());
    window.reset();
    domain.reset();

    const QString missing = QString::fromStdString(folder + "x.ovk");
    Start({missing});
    window->show();
    EXPECT_EQ(domain->Document(), nullptr);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Text, "Could not open " + missing.toStdString());
    EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Plain);
}

TEST_F(MainWindowTest, TheCaptionNamesTheProductAndItsVersionAndNewCurvesTakeTheStockGlyph)
{
    Start();
    window->show();
    EXPECT_TRUE(window->windowTitle().startsWith("Ocrastell Pro - "));
    EXPECT_EQ(CurrentHandleGlyph(), &window->StockImage(0));
    EXPECT_EQ(window->StockImage(0).Width(), 8);
    EXPECT_EQ(window->StockImage(1).Width(), 131);
    window.reset();
    EXPECT_EQ(CurrentHandleGlyph(), nullptr);
}

TEST_F(MainWindowTest, HelpModeOnTheResultViewShowsImgAndPlacesNothing)
{
    Start();
    LoadPicture();
    std::vector<std::string> topics;
    window->OnShowHelp = [&topics](const std::string& topic) { topics.push_back(topic); };
    domain->Execute(TCommandId::ContextHelp);
    ASSERT_TRUE(window->ContextHelpMode());
    EXPECT_FALSE(domain->ToolManager()->Enabled());

    QTest::mouseClick(window->ImgDst()->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(topics, std::vector<std::string>{"img"});
    EXPECT_FALSE(window->ContextHelpMode());
    EXPECT_TRUE(domain->ToolManager()->Enabled());
    EXPECT_EQ(domain->ToolManager()->Mode(), 0);
    EXPECT_EQ(domain->Document()->StrokeCount(), 0);

    QTest::mouseClick(window->ImgDst()->viewport(), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(domain->Document()->StrokeCount(), 0);
    EXPECT_EQ(topics.size(), 1u);

    // Until a tool is chosen: then the same click draws.
    domain->Execute(TCommandId::AutoDir);
    QTest::mouseClick(window->ImgDst()->viewport(), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_GT(domain->Document()->StrokeCount(), 0);
}

TEST_F(MainWindowTest, HelpModeOnTheStyleComboShowsGeneralAndOnAFloatingGaugeTheDefault)
{
    Start();
    LoadPicture();
    std::vector<std::string> topics;
    window->OnShowHelp = [&topics](const std::string& topic) { topics.push_back(topic); };
    TEventCounter comboPresses(window->cbStyles(), {QEvent::MouseButtonPress});
    domain->Execute(TCommandId::ContextHelp);
    QTest::mouseClick(window->cbStyles(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(comboPresses.Count, 0) << "the press reaches no control";

    domain->Execute(TCommandId::ContextHelp);
    QTest::mouseClick(window->Gauge(TStyleSetting::Width)->Edit(), Qt::LeftButton, {}, QPoint(3, 3));
    domain->Execute(TCommandId::ContextHelp);
    QTest::mouseClick(window->lblPSCount(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(topics, (std::vector<std::string>{"general", "", "menu"}));
}

TEST_F(MainWindowTest, ShiftAlwaysReachesTheSourceViewAndNoOtherControl)
{
    Start();
    std::vector<std::pair<int, bool>> seen;
    window->ImgSrc()->View().OnKeyDown = [&seen](TImageView&, int& key, TShiftState) { seen.push_back({key, true}); };
    window->ImgSrc()->View().OnKeyUp = [&seen](TImageView&, int& key, TShiftState) { seen.push_back({key, false}); };
    TEventCounter comboKeys(window->cbStyles(), {QEvent::KeyPress, QEvent::KeyRelease});
    QTest::keyPress(window->cbStyles(), Qt::Key_Shift);
    QTest::keyRelease(window->cbStyles(), Qt::Key_Shift);
    EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{VirtualKey::vkShift, true}, {VirtualKey::vkShift, false}}));
    EXPECT_EQ(comboKeys.Count, 0);
    QTest::keyPress(window->cbStyles(), Qt::Key_Down);
    EXPECT_EQ(comboKeys.Count, 1) << "other keys go their normal way";
}

TEST_F(MainWindowTest, EachIdlePassSwapsOneStepOutAndAPumpNone)
{
    Start();
    LoadPicture();
    MakeSteps(7);
    ASSERT_EQ(CompressedSteps(), 0);
    // As the program hooks it: on the dispatcher's about-to-block only.
    const QMetaObject::Connection hook =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                         window.get(), [this] { window->ApplicationEvents1Idle(); });
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(CompressedSteps(), 0);
    window->ApplicationEvents1Idle();
    EXPECT_EQ(CompressedSteps(), 1);
    window->ApplicationEvents1Idle();
    EXPECT_EQ(CompressedSteps(), 2);
    QEventLoop loop;
    QTimer::singleShot(30, &loop, &QEventLoop::quit);
    loop.exec();
    // Waiting for the timer blocks at least once; never past the newest 3 of 7.
    EXPECT_GE(CompressedSteps(), 3);
    for (int i = 0; i < 5; ++i) window->ApplicationEvents1Idle();
    EXPECT_EQ(CompressedSteps(), 4) << "7 steps, the newest 3 stay";
    QObject::disconnect(hook);
}

TEST_F(MainWindowTest, ScrollingOneViewCentresTheOtherOnTheSamePoint)
{
    Start();
    window->resize(900, 700);
    window->show();
    LoadPicture(1000, 800);
    QCoreApplication::processEvents();
    TImageView& src = window->ImgSrc()->View();
    TImageView& dst = window->ImgDst()->View();
    auto centre = [](TImageView& v) {
        const TRect r = v.GetViewportRect();
        const TPoint a = v.ControlToBitmap({r.Left, r.Top});
        const TPoint b = v.ControlToBitmap({r.Right, r.Bottom});
        return TPoint{a.X + (b.X - a.X) / 2, a.Y + (b.Y - a.Y) / 2};
    };
    for (const TPoint to : {TPoint{300, 200}, TPoint{0, 0}, TPoint{600, 400}}) {
        dst.SetScrollPos(to.X, to.Y);
        EXPECT_NEAR(centre(src).X, centre(dst).X, 1);
        EXPECT_NEAR(centre(src).Y, centre(dst).Y, 1);
    }
    src.SetScrollPos(150, 90);
    EXPECT_NEAR(centre(src).X, centre(dst).X, 1);
    EXPECT_NEAR(centre(src).Y, centre(dst).Y, 1);
}

TEST_F(MainWindowTest, PatternAndBrushListsFollowTheManagers)
{
    Start();
    EXPECT_EQ(window->PatternImageList().Count(), domain->PatternManager().Count());
    EXPECT_EQ(window->StrokesImgLst().Count(), domain->RendererManager().Count());
    // Without a document a thumbnail click does nothing.
    window->PatternImageListViewerMouseUpThumb(1);
    EXPECT_EQ(domain->PatternManager().ItemIndex(), 0);
    LoadPicture();
    window->PatternImageListViewerMouseUpThumb(1);
    EXPECT_EQ(domain->PatternManager().ItemIndex(), 1);
    EXPECT_EQ(domain->ToolManager()->Mode(), 4);
    EXPECT_FALSE(window->ToolPanel(TFMain::tpPatterns)->isHidden());
    EXPECT_TRUE(window->ToolPanel(TFMain::tpProjectInfo)->isHidden());

    window->StrokesImgLstVwrMouseUpThumb(2);
    EXPECT_EQ(domain->RendererManager().ItemIndex(), 2);
    EXPECT_EQ(Style().GetStroke(), domain->RendererManager().GetObject(2).ID());
}

// The grids mark the pattern the tool sprays and Delete removes, and the brush
// the style draws with, also when the manager chose them (a new pattern,
// start-up's renderer, a style with its own brush).
TEST_F(MainWindowTest, TheGridsMarkTheCurrentPatternAndBrush)
{
    Start();
    EXPECT_EQ(window->ImgLstVwrBrushes()->Selected(), domain->RendererManager().ItemIndex());
    domain->RendererManager().SetItemIndex(1);
    EXPECT_EQ(window->ImgLstVwrBrushes()->Selected(), 1);

    ASSERT_EQ(domain->PatternManager().Count(), 2);
    domain->PatternManager().SetItemIndex(1);
    auto pattern = std::make_unique<TPattern>();
    pattern->AddPatternFrame(std::make_unique<TPatternFrame>());
    domain->PatternManager().Add(std::move(pattern));
    emit domain->OnUpdatePattern(2);
    EXPECT_EQ(window->PatternImageListViewer()->Selected(), domain->PatternManager().ItemIndex());
    EXPECT_EQ(domain->PatternManager().ItemIndex(), 2);

    domain->Execute(TCommandId::DelPattern);
    EXPECT_EQ(window->PatternImageListViewer()->Selected(), domain->PatternManager().ItemIndex());
}

TEST_F(MainWindowTest, StyleListGrowsWithANewStyleAndLosesADeletedOne)
{
    Start();
    LoadPicture();
    const int before = window->cbStyles()->count();
    ASSERT_EQ(before, domain->StyleManager().Count());
    ui.InputAnswers.push_back("Mine");
    domain->Execute(TCommandId::NewStyle);
    ASSERT_EQ(window->cbStyles()->count(), before + 1);
    EXPECT_EQ(window->cbStyles()->currentIndex(), before);
    EXPECT_EQ(window->StyleEntry(before), "Mine");
    EXPECT_EQ(Style().Name(), "Mine");

    ui.Answers.push_back(TAnswer::Yes);
    domain->Execute(TCommandId::DelStyle);
    EXPECT_EQ(window->cbStyles()->count(), before);
    EXPECT_EQ(domain->StyleManager().Count(), before);
    for (int i = 0; i < before; ++i) EXPECT_EQ(window->cbStyles()->itemText(i).toStdString(),
                                               domain->StyleManager().GetObject(i).Name());
}

TEST_F(MainWindowTest, PatternThumbnailsAreRebuiltAfterADeletionAndAppendedForANewPattern)
{
    Start();
    ASSERT_EQ(window->PatternImageList().Count(), 2);
    const QImage second = window->PatternImageList().Image(1);
    domain->Execute(TCommandId::DelPattern);
    ASSERT_EQ(window->PatternImageList().Count(), 1);
    EXPECT_EQ(window->PatternImageList().Image(0), second) << "the first was deleted";

    auto pattern = std::make_unique<TPattern>();
    auto frame = std::make_unique<TPatternFrame>();
    frame->AddCurve(TBezier{{0, 0}, {50, 200}, {150, 0}, {200, 200}});
    pattern->AddPatternFrame(std::move(frame));
    domain->PatternManager().Add(std::move(pattern));
    emit domain->OnUpdatePattern(1);
    EXPECT_EQ(window->PatternImageList().Count(), 2);
}

TEST_F(MainWindowTest, TheSaveProjectButtonAlwaysReadsSaveProject)
{
    Start();
    LoadPicture();
    domain->UpdateAllCommands();
    EXPECT_EQ(window->btPS()->text(), "Save Project");
    EXPECT_EQ(window->btPSCommand(), TCommandId::SaveProjectAs) << "a picture has no project name yet";
    domain->Document()->FileName = folder + "p.ovk";
    domain->UpdateAllCommands();
    EXPECT_EQ(window->btPSCommand(), TCommandId::SaveProject);
    EXPECT_EQ(window->btPS()->text(), "Save Project");
}

TEST_F(MainWindowTest, ClosingAModifiedDocumentAsksAndCancelKeepsTheWindow)
{
    Start();
    window->show();
    LoadPicture();
    domain->Document()->Modified = true;
    ui.Answers.push_back(TAnswer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(ui.Questions.size(), 1u);
    ui.Answers.push_back(TAnswer::No);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(ui.Questions.size(), 2u);
}

TEST_F(MainWindowTest, ATypedSizeTakesEffectAtTheNextPressOnAView)
{
    Start();
    LoadPicture();
    domain->Execute(TCommandId::AutoDir);
    window->gaSize()->Edit()->setText("100");
    window->gaSize()->Edit()->setModified(true);
    EXPECT_NE(domain->Document()->Radius(), 100);
    QTest::mouseClick(window->ImgSrc()->viewport(), Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(domain->Document()->Radius(), 100);
    EXPECT_GT(domain->Document()->StrokeCount(), 0);
}

TEST_F(MainWindowTest, AnOpenerShowsItsPanelAndAMoveOverAViewHidesItUnlessPinned)
{
    Start();
    window->show();
    LoadPicture();
    QWidget* styleTool = window->ToolPanel(TFMain::tpStyle);
    QLabel* opener = nullptr;
    for (QLabel* label : styleTool->findChildren<QLabel*>())
        if (label->text() == "Advanced Settings") opener = label;
    ASSERT_TRUE(opener);
    QTest::mouseClick(opener, Qt::LeftButton, {}, QPoint(5, 5));
    QWidget* advanced = window->FloatingPanel(TFMain::fpAdvSettings);
    EXPECT_TRUE(advanced->isVisible());
    EXPECT_FALSE(window->FloatingPanel(TFMain::fpStrokeSettings)->isVisible());

    QMouseEvent move(QEvent::MouseMove, QPointF(30, 30), window->ImgDst()->viewport()->mapToGlobal(QPointF(30, 30)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->ImgDst()->viewport(), &move);
    EXPECT_FALSE(advanced->isVisible());

    // The brush preview opens "Brushes Collection".
    QTest::mouseClick(window->findChild<QWidget*>("ImgBrush"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(window->FloatingPanel(TFMain::fpBrushes)->isVisible());

    // Closing the document hides every panel.
    domain->Execute(TCommandId::Close);
    EXPECT_FALSE(window->FloatingPanel(TFMain::fpBrushes)->isVisible());
}

// What the "Size & Density" help page tells of the panel holds: a click on
// the picture opens nothing, the heading and its arrow open the floating
// panel, a move over the picture hides it again unless it is pinned.
TEST_F(MainWindowTest, TheSizePanelOpensFromItsHeadingAndArrowNotFromItsPictureAsItsHelpPageSays)
{
    Start();
    window->show();
    LoadPicture();
    domain->Execute(TCommandId::AutoDir);
    QWidget* sizeTool = window->ToolPanel(TFMain::tpSize);
    ASSERT_TRUE(sizeTool->isVisible());
    QWidget* floating = window->FloatingPanel(TFMain::fpSizeDensity);
    QLabel *heading = nullptr, *picture = nullptr;
    for (QLabel* label : sizeTool->findChildren<QLabel*>())
        (label->text() == "Size & Density" ? heading : picture) = label;
    ASSERT_TRUE(heading && picture);
    const auto moveOver = [](QWidget* target) {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
    };
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(60, 50));
    EXPECT_FALSE(floating->isVisible()) << "a click on the picture";

    const QList<QToolButton*> arrows = sizeTool->findChildren<QToolButton*>();
    ASSERT_EQ(arrows.size(), 1);
    for (QWidget* opener : {static_cast<QWidget*>(heading), static_cast<QWidget*>(arrows.front())}) {
        QTest::mouseClick(opener, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_TRUE(floating->isVisible()) << opener->metaObject()->className();
        moveOver(picture);
        EXPECT_FALSE(floating->isVisible()) << "a move over the picture";
    }

    // The page itself: the program's own copy, beside the test program's folder.
    QFile page(QCoreApplication::applicationDirPath() + "/../Help/size.html");
    if (!page.open(QIODevice::ReadOnly)) GTEST_SKIP() << "no Help folder beside the program";
    const QString html = QString::fromUtf8(page.readAll()).simplified();
    EXPECT_FALSE(html.contains("Click it to open")) << "the page has the picture open the panel";
    EXPECT_TRUE(html.contains("the <b>Size &amp; Density</b> heading")) << "the page does not name the heading";
}

TEST_F(MainWindowTest, TheHelpClickOpensTheHelpWindowAndTheNavigatorFollowsTheDocument)
{
    Start();
    TFHlpWnd help(folder);
    TFNavigator navigator;
    window->SetHelpWindow(&help);
    window->SetNavigator(&navigator);
    LoadPicture();
    domain->Execute(TCommandId::ContextHelp);
    QTest::mouseClick(window->ImgSrc()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(help.isVisible());

    EXPECT_EQ(navigator.DestView(), &window->ImgDst()->View());
    domain->Execute(TCommandId::ViewNavigator);
    EXPECT_TRUE(navigator.isVisible());
    domain->Execute(TCommandId::Close);
    EXPECT_FALSE(navigator.isVisible());

    // Closing the window leaves no window of the program shown to keep it running.
    window->show();
    domain->Execute(TCommandId::ContextHelp);
    QTest::mouseClick(window->lblPSCount(), Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_TRUE(help.isVisible());
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(help.isVisible());
    window.reset();
    EXPECT_EQ(navigator.DestView(), nullptr) << "the view went with the window";
    EXPECT_FALSE(navigator.HasDocument) << "and so did the window's answer";
}

TEST_F(MainWindowTest, TheStrokeCountFollowsUndoRedoAndDrags)
{
    Start();
    LoadPicture();
    MakeSteps(2);
    window->UpdateControls();
    const QString both = window->lblPSCount()->text();
    domain->UpdateAllCommands();
    domain->Command(TCommandId::Undo)->trigger();
    EXPECT_NE(window->lblPSCount()->text(), both);
    domain->Command(TCommandId::Redo)->trigger();
    EXPECT_EQ(window->lblPSCount()->text(), both);

    domain->Execute(TCommandId::AutoDir);
    QTest::mouseClick(window->ImgDst()->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    QCoreApplication::processEvents();
    EXPECT_EQ(window->lblPSCount()->text(), QString::number(domain->Document()->StrokeCount()) + " Vectors");
    EXPECT_NE(window->lblPSCount()->text(), both);
}

TEST_F(MainWindowTest, CommandShortcutsWorkWithoutAMenuShowingThem)
{
    Start();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    LoadPicture();
    domain->UpdateAllCommands();
    QTest::keyClick(window->ImgDst()->viewport(), Qt::Key_T);
    EXPECT_EQ(domain->ToolManager()->Mode(), 4);
    EXPECT_TRUE(window->ToolButton(2)->isChecked());
    QTest::keyClick(window->ImgDst()->viewport(), Qt::Key_F);
    EXPECT_EQ(domain->ToolManager()->Mode(), 3);
    EXPECT_TRUE(window->ToolButton(3)->isChecked());
    EXPECT_FALSE(window->ToolPanel(TFMain::tpSize)->isHidden());
    EXPECT_TRUE(window->ToolPanel(TFMain::tpPatterns)->isHidden());
}

TEST_F(MainWindowTest, TheListsShowTheDesignedWindowColours)
{
    Start();
    struct Case { const char* what; QColor shown; QColor expected; };
    // 15721946 = $EFE5DA, 8598804 = $833514, 16112578 = $F5DBC2: red in the low byte.
    for (const Case& c : {Case{"pattern grid", window->PatternImageListViewer()->Color(), QColor(218, 229, 239)},
                          Case{"brush grid", window->ImgLstVwrBrushes()->Color(), QColor(20, 53, 131)},
                          Case{"brush highlight", window->ImgLstVwrBrushes()->ColorSelected(), QColor(194, 219, 245)}})
        EXPECT_EQ(c.shown, c.expected) << c.what;
}

TEST_F(MainWindowTest, WhileHelpWaitsForItsClickNoToolButtonShowsPressed)
{
    Start();
    LoadPicture();
    window->OnShowHelp = [](const std::string&) {};
    ASSERT_TRUE(window->ToolButton(0)->isChecked()) << "a new document starts with the pointer";
    struct Case { const char* how; std::function<void()> start; };
    const Case cases[] = {
        {"the button", [this] { window->ToolButton(4)->click(); }},
        {"the command", [this] { domain->Execute(TCommandId::ContextHelp); }},
    };
    for (const Case& c : cases) {
        domain->Execute(TCommandId::FreeHand);
        ASSERT_TRUE(window->ToolButton(3)->isChecked()) << c.how;
        c.start();
        ASSERT_TRUE(window->ContextHelpMode()) << c.how;
        for (int i = 0; i < 4; ++i) EXPECT_FALSE(window->ToolButton(i)->isChecked()) << c.how << " " << i;
        EXPECT_TRUE(window->ToolButton(4)->isChecked()) << c.how;
        QTest::mouseClick(window->ImgDst()->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
        EXPECT_EQ(domain->ToolManager()->Mode(), 0) << c.how;
        for (int i = 0; i < 4; ++i) EXPECT_FALSE(window->ToolButton(i)->isChecked()) << c.how << " " << i;
    }
    domain->Execute(TCommandId::AutoDir);
    EXPECT_TRUE(window->ToolButton(1)->isChecked());
    EXPECT_FALSE(window->ToolButton(4)->isChecked());
}

TEST_F(MainWindowTest, NoCloseWhileTheProgressWindowHoldsTheWindow)
{
    Start();
    window->show();
    LoadPicture();
    domain->Document()->Modified = true;
    TFWait wait(window.get());
    wait.Start(0, 10);
    ui.Answers.push_back(TAnswer::No);
    EXPECT_FALSE(window->close()) << "a long operation is still running";
    EXPECT_TRUE(ui.Questions.empty());
    EXPECT_TRUE(window->isVisible());
    wait.Finish();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(ui.Questions.size(), 1u);
}

TEST_F(MainWindowTest, StrokeAndColourSettingsRedrawTheEntryAtOnceTheAdvancedOnesLater)
{
    Start();
    LoadPicture();
    domain->StyleManager().SetItemIndex(1);
    const std::string name = Style().Name();
    const std::string notSaved = "<i><font color=\"255\">" + name + " (not saved) </font></i>";
    struct Case { TStyleSetting setting; const char* typed; bool redraws; };
    for (const Case c : {Case{TStyleSetting::ScanWidth, "5.5", false}, Case{TStyleSetting::BorderLimit, "40", false},
                         Case{TStyleSetting::Precision, "70", false}, Case{TStyleSetting::Width, "21", true},
                         Case{TStyleSetting::Alpha, "99", true}, Case{TStyleSetting::Length, "77", true},
                         Case{TStyleSetting::HueVar, "44", true}, Case{TStyleSetting::SatVar, "45", true},
                         Case{TStyleSetting::LightVar, "46", true}}) {
        Style().SetModified(false);
        window->UpdateStyleFrame(1);
        ASSERT_EQ(window->StyleEntry(1), name);
        Type(Gauge(c.setting), c.typed);
        EXPECT_TRUE(Style().Modified()) << c.typed;
        EXPECT_EQ(window->StyleEntry(1), c.redraws ? notSaved : name) << c.typed;
    }
}

// The floating panels are this window's own controls in windows of their
// own, and the navigator and the help window serve it: a click makes any of
// them the active window, and the commands' keys must still reach the
// commands from there (not an edit box that the click never touched).
TEST_F(MainWindowTest, CommandKeysAnswerWhileAPanelTheNavigatorOrTheHelpWindowIsActive)
{
    Start();
    TFHlpWnd help(folder);
    TFNavigator navigator;
    window->SetHelpWindow(&help);
    window->SetNavigator(&navigator);
    window->show();
    LoadPicture();
    MakeSteps(2);
    TDualImage& document = *domain->Document();
    auto* panel = static_cast<THeaderPanel*>(window->FloatingPanel(TFMain::fpSizeDensity));
    QWidget* host = panel->window();
    struct Case {
        const char* Name;
        QWidget* Window;
        // Clicked before the window becomes active, as on the screen; none
        // leaves the focus where the activation puts it.
        QWidget* Clicked;
    };
    const Case cases[] = {
        {"a panel's body", host, panel->Caption()},
        {"a panel's pin", host, panel->PinButton()},
        {"a panel's gauge", host, window->gaSize()->Gauge()},
        {"the navigator", &navigator, nullptr},
        {"the help window", &help, nullptr},
    };
    domain->Execute(TCommandId::ViewNavigator);
    help.ShowHelp("");
    for (const Case& c : cases) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get())) << c.Name;
        c.Window->show();
        if (c.Clicked) QTest::mouseClick(c.Clicked, Qt::LeftButton, {}, QPoint(4, 4));
        c.Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.Window)) << c.Name;
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : c.Window;
        domain->UpdateAllCommands();
        QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(document.StateCount(), 1) << c.Name;
        domain->UpdateAllCommands();
        QTest::keyClick(target, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(document.StateCount(), 2) << c.Name;
        QTest::keyClick(target, Qt::Key_T);
        EXPECT_EQ(domain->ToolManager()->Mode(), tnPattern) << c.Name;
        QTest::keyClick(target, Qt::Key_P);
        EXPECT_EQ(domain->ToolManager()->Mode(), tnPointer) << c.Name;
    }
}

// What is typed into a gauge's box goes to the box, and while the progress
// window holds this window the panels are held with it, keys included.
TEST_F(MainWindowTest, AnActivePanelsGaugeBoxKeepsItsTypingAndTheProgressWindowHoldsThePanels)
{
    Start();
    window->show();
    LoadPicture();
    MakeSteps(1);
    domain->UpdateAllCommands();
    QWidget* host = window->FloatingPanel(TFMain::fpSizeDensity)->window();
    host->show();
    host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host));
    TOcraEdit* box = window->gaSize()->Edit();
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, "7t");
    EXPECT_EQ(box->text(), "7");
    EXPECT_EQ(domain->ToolManager()->Mode(), tnPointer);

    TFWait wait(window.get());
    wait.Start(0, 10);
    EXPECT_FALSE(host->isEnabled());
    QTest::keyClick(host, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(domain->Document()->StateCount(), 1);
    wait.Finish();
    EXPECT_TRUE(host->isEnabled());
}

// Any key ends the full-screen preview, and ends there.
TEST_F(MainWindowTest, AKeyThatEndsTheFullScreenPreviewRunsNoCommand)
{
    Start();
    window->show();
    LoadPicture();
    MakeSteps(1);
    domain->UpdateAllCommands();
    window->FloatingPanel(TFMain::fpSizeDensity)->window()->show();
    TFullScreenPreview preview(window.get());
    QTimer::singleShot(0, &preview, [&preview] {
        if (QTest::qWaitForWindowActive(&preview)) QTest::keyClick(&preview, Qt::Key_U);
        if (preview.isVisible()) preview.reject();
    });
    EXPECT_EQ(preview.ShowPreview(*window->ImgDst()->View().Bitmap()), QDialog::Accepted);
    EXPECT_EQ(domain->Document()->StateCount(), 1);
}

// A Shift released while another program is active never reaches this one:
// the tool would go on sizing the brush instead of drawing.
TEST_F(MainWindowTest, ShiftIsLetGoWhenTheProgramLosesTheActivation)
{
    Start();
    LoadPicture();
    domain->Execute(TCommandId::AutoDir);
    const TAbstractInputController& tool = *domain->ToolManager()->Current();
    QTest::keyPress(window->cbStyles(), Qt::Key_Shift);
    ASSERT_TRUE(tool.ShiftDown());
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_FALSE(tool.ShiftDown());
    QTest::mouseClick(window->ImgDst()->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(domain->Document()->StateCount(), 1);
    EXPECT_GT(domain->Document()->StrokeCount(), 0);
}
