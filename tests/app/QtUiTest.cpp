#include "app/ui/QtUi.h"

#include "app/dialogs/ApplyAllDialog.h"
#include "app/dialogs/ImageSizeDialog.h"
#include "app/dialogs/ResampleDialog.h"
#include "app/ui/QtBusyCursor.h"
#include "gfx/Bitmap32.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QFileDialog>
#include <QImageReader>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Runs `act` on the modal window that the next exec() opens.
template <typename W, typename F>
void WhenModal(F act)
{
    QTimer::singleShot(0, [act] {
        auto* window = dynamic_cast<W*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        act(*window);
    });
}

} // namespace

TEST(QtUiFiles, TheCommandModulesDialogsAskForTheirOwnFormats)
{
    const TFileDialogSetup image = SaveImageDialogSetup();
    EXPECT_EQ(image.Filters, (QStringList{"JPEG (*.jpg)", "BMP (*.bmp)", "TIFF (*.tif)"}));
    EXPECT_EQ(image.DefaultSuffix, "jpg");
    EXPECT_TRUE(image.Save);

    const TFileDialogSetup ps = SavePostScriptDialogSetup();
    EXPECT_EQ(ps.Filters, QStringList{"Postscript (*.ps)"});
    EXPECT_EQ(ps.DefaultSuffix, "ps");

    const TFileDialogSetup open = OpenProjectDialogSetup();
    EXPECT_EQ(open.Filters, QStringList{"Ocrastell Project (*.ovk)"});
    EXPECT_FALSE(open.Save);
    EXPECT_EQ(open.Size, QSize(563, 377));

    const TFileDialogSetup save = SaveProjectDialogSetup();
    EXPECT_EQ(save.Filters, QStringList{"Ocrastell Project (*.ovk)"});
    EXPECT_EQ(save.DefaultSuffix, "ovk");
    EXPECT_TRUE(save.ConfirmOverwrite);
}

TEST(QtUiFiles, OpenPictureOffersEveryFormatTheReadersKnow)
{
    const TFileDialogSetup setup = OpenPictureDialogSetup();
    ASSERT_FALSE(setup.Filters.isEmpty());
    const QString all = setup.Filters.first();
    EXPECT_TRUE(all.startsWith("All pictures ("));
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString suffix = QString::fromLatin1(format).toLower();
        EXPECT_TRUE(all.contains("*." + suffix + " ") || all.contains("*." + suffix + ")")) << suffix.toStdString();
        EXPECT_TRUE(setup.Filters.contains(QStringLiteral("%1 (*.%2)").arg(suffix.toUpper(), suffix)));
    }
    EXPECT_TRUE(all.contains("*.jpg"));
    EXPECT_TRUE(all.contains("*.bmp"));
}

TEST(QtUiFiles, TheSaveDialogsDefaultSuffixFollowsTheChosenFilter)
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    ConfigureFileDialog(dialog, SaveImageDialogSetup());
    EXPECT_EQ(dialog.nameFilters(), SaveImageDialogSetup().Filters);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.defaultSuffix(), "jpg");
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    emit dialog.filterSelected("BMP (*.bmp)");
    EXPECT_EQ(dialog.defaultSuffix(), "bmp");
    emit dialog.filterSelected("TIFF (*.tif)");
    EXPECT_EQ(dialog.defaultSuffix(), "tif");

    QFileDialog open;
    open.setOption(QFileDialog::DontUseNativeDialog);
    ConfigureFileDialog(open, OpenProjectDialogSetup());
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open.size(), QSize(563, 377));
}

TEST(QtUiMessages, CarriageReturnsBreakTheLine)
{
    EXPECT_EQ(MessageDisplayText("Please select an equal or smaller size\rthan the original image"),
              "Please select an equal or smaller size\nthan the original image");
    EXPECT_EQ(MessageDisplayText("a\r\nb"), "a\nb");
    EXPECT_EQ(MessageDisplayText("Error creating the folder:\n\r/p/tmp/"), "Error creating the folder:\n/p/tmp/");
    EXPECT_EQ(MessageDisplayText("a\r\n\rb\n\n"), "a\n\nb\n\n");
    EXPECT_EQ(MessageDisplayText("plain"), "plain");
}

TEST(QtUiMessages, MessageBoxesCarryTheirCaptionAndIcon)
{
    TQtUi ui(nullptr);
    struct Case {
        TMessageKind kind;
        QMessageBox::Icon icon;
    };
    for (const Case& c : {Case{TMessageKind::Information, QMessageBox::Information},
                          Case{TMessageKind::Warning, QMessageBox::Warning},
                          Case{TMessageKind::Error, QMessageBox::Critical},
                          Case{TMessageKind::Plain, QMessageBox::NoIcon}}) {
        bool seen = false;
        WhenModal<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), "Error loading file");
            EXPECT_EQ(box.text(), "line one\nline two");
            EXPECT_EQ(box.icon(), c.icon);
            EXPECT_EQ(box.parent(), nullptr);
            seen = true;
            box.accept();
        });
        ui.ShowMessage("Error loading file", "line one\rline two", c.kind);
        EXPECT_TRUE(seen);
    }
}

TEST(QtUiMessages, QuestionsAnswerYesNoOrCancel)
{
    TQtUi ui(nullptr);
    struct Case {
        bool withCancel;
        QMessageBox::StandardButton press; // NoButton: Escape
        TAnswer answer;
    };
    for (const Case& c : {Case{true, QMessageBox::Yes, TAnswer::Yes}, Case{true, QMessageBox::No, TAnswer::No},
                          Case{true, QMessageBox::Cancel, TAnswer::Cancel},
                          Case{true, QMessageBox::NoButton, TAnswer::Cancel},
                          Case{false, QMessageBox::Yes, TAnswer::Yes},
                          Case{false, QMessageBox::NoButton, TAnswer::No}}) {
        WhenModal<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), "Ocrastell");
            EXPECT_EQ(box.button(QMessageBox::Cancel) != nullptr, c.withCancel);
            if (c.press == QMessageBox::NoButton)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                box.button(c.press)->click();
        });
        EXPECT_EQ(ui.Ask("Ocrastell", "Project not saved. Save before close?", c.withCancel), c.answer);
    }
}

TEST(QtUiMessages, QuestionsThatDeleteStandBehindAWarningSign)
{
    TQtUi ui(nullptr);
    for (const QMessageBox::StandardButton press : {QMessageBox::Yes, QMessageBox::No}) {
        WhenModal<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.icon(), QMessageBox::Warning);
            EXPECT_EQ(box.button(QMessageBox::Cancel), nullptr);
            box.button(press)->click();
        });
        EXPECT_EQ(ui.AskWarning("Warning", "Sure to delete the style \"Ink\"?"),
                  press == QMessageBox::Yes ? TAnswer::Yes : TAnswer::No);
    }
}

TEST(QtUiDialogs, InputTextGivesTheEditedTextOrNothing)
{
    TQtUi ui(nullptr);
    WhenModal<QInputDialog>([](QInputDialog& box) {
        EXPECT_EQ(box.textValue(), "Style 1");
        EXPECT_EQ(box.labelText(), "Name");
        box.setTextValue("Ink wash");
        box.accept();
    });
    EXPECT_EQ(ui.InputText("Save Style As", "Name", "Style 1"), std::optional<std::string>("Ink wash"));
    WhenModal<QInputDialog>([](QInputDialog& box) { box.reject(); });
    EXPECT_EQ(ui.InputText("Save Style As", "Name", "Style 1"), std::nullopt);
}

TEST(QtUiDialogs, ResampleAnswersTheChosenSizeOrKeepsThePicture)
{
    TQtUi ui(nullptr);
    WhenModal<TFResample>([](TFResample& dialog) {
        EXPECT_EQ(dialog.seWidth()->value(), 1182);
        dialog.seWidth()->setValue(600);
        dialog.btResample()->click();
    });
    EXPECT_EQ(ui.Resample(2000, 1500, 1182, 887), std::make_optional(std::make_pair(600, 450)));
    WhenModal<TFResample>([](TFResample& dialog) { dialog.btLeave()->click(); });
    EXPECT_EQ(ui.Resample(2000, 1500, 1182, 887), std::nullopt);
}

TEST(QtUiDialogs, ImageSizeAnswersPixelsAndDotsPerInch)
{
    TQtUi ui(nullptr);
    WhenModal<TFImgSizeDlg>([](TFImgSizeDlg& dialog) {
        EXPECT_EQ(dialog.GetResolution(), 200);
        dialog.seRes()->setValue(400);
        dialog.btOk()->click();
    });
    const std::optional<TImageSizeAnswer> answer = ui.ImageSize(600, 500, 200.0);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Width, 1200);
    EXPECT_EQ(answer->Height, 1000);
    EXPECT_EQ(answer->DotsPerInch, 400.0);
    WhenModal<TFImgSizeDlg>([](TFImgSizeDlg& dialog) { dialog.reject(); });
    EXPECT_FALSE(ui.ImageSize(600, 500, 200.0));
}

TEST(QtUiDialogs, TheApplyDialogIsOneDialogForTheWholeRun)
{
    TQtUi ui(nullptr);
    IApplyDialog& dialog = ui.ApplyDialog();
    EXPECT_EQ(&dialog, static_cast<IApplyDialog*>(&ui.ApplyAllDialog()));
    EXPECT_EQ(dialog.Steps(), 5000);
}

TEST(QtUiDialogs, DialogsGoWithTheMainWindowOrWithTheUi)
{
    {
        auto* main = new QWidget;
        TQtUi ui(main);
        EXPECT_EQ(ui.ApplyAllDialog().parentWidget(), main);
        delete main; // the dialogs go with it; the ui must not free them again
    }
    {
        QWidget main;
        { TQtUi ui(&main); }
        EXPECT_TRUE(main.findChildren<QDialog*>().isEmpty());
    }
}

TEST(QtUiHooks, AboutAndPreviewRunWhatStartUpSet)
{
    TQtUi ui(nullptr);
    TBitmap32 result(4, 3);
    ui.ShowAbout(); // unset: nothing
    ui.ShowFullScreenPreview(result);
    int abouts = 0;
    const TBitmap32* shown = nullptr;
    ui.OnShowAbout = [&] { ++abouts; };
    ui.OnShowFullScreenPreview = [&](const TBitmap32& b) { shown = &b; };
    ui.ShowAbout();
    ui.ShowFullScreenPreview(result);
    EXPECT_EQ(abouts, 1);
    EXPECT_EQ(shown, &result);
}

TEST(QtUiClipboard, ARoundTripKeepsTheColoursAndMakesThemOpaque)
{
    TQtUi ui(nullptr);
    TBitmap32 picture(3, 2, 0xFF102030u);
    picture.Pixel(1, 0) = 0xFFFF0000u;
    picture.Pixel(2, 1) = 0x800000FFu; // alpha has no place on the clipboard
    ui.SetClipboardBitmap(picture);
    EXPECT_TRUE(ui.ClipboardHasBitmap());
    TBitmap32 back;
    ASSERT_TRUE(ui.ClipboardBitmap(back));
    ASSERT_EQ(back.Width(), 3);
    ASSERT_EQ(back.Height(), 2);
    EXPECT_EQ(back.Pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(back.Pixel(1, 0), 0xFFFF0000u);
    EXPECT_EQ(back.Pixel(2, 1), 0xFF0000FFu);

    QGuiApplication::clipboard()->setText("words, not a picture");
    EXPECT_FALSE(ui.ClipboardHasBitmap());
    TBitmap32 untouched(2, 2, 0xFFFFFFFFu);
    EXPECT_FALSE(ui.ClipboardBitmap(untouched));
    EXPECT_EQ(untouched.Width(), 2);
}

// Other programs offer pictures under their MIME types; one list of the
// types on offer answers, whatever the picture format.
TEST(QtUiClipboard, APictureIsSeenUnderAnyTypeTheImageReadersKnow)
{
    TQtUi ui(nullptr);
    struct Case {
        const char* type;
        bool picture;
    };
    for (const Case& c : {Case{"image/png", true}, Case{"image/bmp", true}, Case{"image/jpeg", true},
                          Case{"text/plain", false}, Case{"application/octet-stream", false}}) {
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(c.type), QByteArray("bytes"));
        QGuiApplication::clipboard()->setMimeData(data);
        EXPECT_EQ(ui.ClipboardHasBitmap(), c.picture) << c.type;
    }
}

// The clipboard's changes reach the command module from the event loop, a
// burst of them as one: each costs a question to the clipboard's owner.
TEST(QtUiClipboard, ChangesAreToldOnceABurstFromTheEventLoop)
{
    TQtUi ui(nullptr);
    int told = 0;
    ui.OnClipboardChanged = [&] { ++told; };
    QGuiApplication::clipboard()->setText("one");
    QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    EXPECT_EQ(told, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(told, 1);
    QGuiApplication::clipboard()->setText("two");
    QCoreApplication::processEvents();
    EXPECT_EQ(told, 2);
}

TEST(QtUiCursor, TheHourglassNestsAndComesBack)
{
    TQtBusyCursor cursor;
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    cursor.Begin();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    cursor.Begin();
    cursor.End();
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    cursor.End();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// F1 and "More Help" reach the manual through the command module and
// return before xdg-open ends; when it reports that neither the manual nor
// the contents page was shown, a box titled "Help" says so.
TEST(QtUiHelp, SaysInABoxWhenNeitherTheManualNorTheHelpPagesShow)
{
    QTemporaryDir folder;
    const QString manual = folder.filePath(QStringLiteral("OcraHelp.chm"));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Help")));
    for (const QString& name : {manual, folder.filePath(QStringLiteral("Help/index.html"))})
        ASSERT_TRUE(QFile(name).open(QIODevice::WriteOnly));
    struct Case {
        std::vector<int> statuses; // xdg-open's, file by file
        bool box;
    };
    for (const Case& c : {Case{{0}, false}, Case{{4, 0}, false}, Case{{4, 3}, true}}) {
        TQtUi ui(nullptr);
        std::vector<std::function<void(TOpenerExit)>> pending;
        ui.Desktop = {[] { return true; }, [](const QString&) { return true; },
                      [&](const QString&, QObject&, std::function<void(TOpenerExit)> ended) {
                          pending.push_back(std::move(ended));
                      }};
        QString said;
        if (c.box)
            WhenModal<QMessageBox>([&](QMessageBox& box) {
                said = box.windowTitle() + box.text();
                box.accept();
            });
        ui.OpenWithDesktop(manual.toStdString());
        for (size_t i = 0; i < c.statuses.size(); ++i) {
            ASSERT_EQ(pending.size(), i + 1);
            auto ended = std::move(pending[i]);
            ended({c.statuses[i], std::chrono::milliseconds(1)});
        }
        EXPECT_EQ(pending.size(), c.statuses.size());
        EXPECT_EQ(said.startsWith(QStringLiteral("HelpThe manual could not be opened: ")), c.box) << said.toStdString();
    }
}
