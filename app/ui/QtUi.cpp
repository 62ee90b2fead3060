#include "app/ui/QtUi.h"

#include "app/dialogs/ApplyAllDialog.h"
#include "app/dialogs/GuardedHandler.h"
#include "app/dialogs/ImageSizeDialog.h"
#include "app/dialogs/ResampleDialog.h"
#include "app/domain/PictureReader.h"
#include "gfx/Bitmap32.h"
#include "gfx/Rounding.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QFileDialog>
#include <QImage>
#include <QImageReader>
#include <QInputDialog>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

#include <set>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The extension a filter such as "BMP (*.bmp)" names, when it names one.
QString FilterSuffix(const QString& filter)
{
    static const QRegularExpression single(QStringLiteral("\\(\\s*\\*\\.(\\w+)\\s*\\)"));
    const QRegularExpressionMatch match = single.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

// --- File dialogs ------------------------------------------------------------

TFileDialogSetup OpenPictureDialogSetup()
{
    // Every format the image readers know, in one filter and one by one.
    std::set<QString> suffixes;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) suffixes.insert(QString::fromLatin1(format).toLower());
    QStringList all, each;
    for (const QString& suffix : suffixes) {
        all << QStringLiteral("*.") + suffix;
        each << QStringLiteral("%1 (*.%2)").arg(suffix.toUpper(), suffix);
    }
    TFileDialogSetup setup;
    setup.Caption = QStringLiteral("Open");
    setup.Filters << QStringLiteral("All pictures (%1)").arg(all.join(QLatin1Char(' '))) << each;
    return setup;
}

namespace {

// A save dialog: it adds the suffix of the chosen filter to a bare name and
// asks before overwriting.
TFileDialogSetup SaveDialogSetup(const QStringList& filters, const QString& defaultSuffix)
{
    TFileDialogSetup setup;
    setup.Caption = QStringLiteral("Save As");
    setup.Filters = filters;
    setup.DefaultSuffix = defaultSuffix;
    setup.Save = true;
    setup.ConfirmOverwrite = true;
    return setup;
}

const QString ProjectFilter = QStringLiteral("Ocrastell Project (*.ovk)");

} // namespace

TFileDialogSetup SaveImageDialogSetup()
{
    return SaveDialogSetup({QStringLiteral("JPEG (*.jpg)"), QStringLiteral("BMP (*.bmp)"), QStringLiteral("TIFF (*.tif)")},
                          QStringLiteral("jpg"));
}

TFileDialogSetup SavePostScriptDialogSetup()
{
    return SaveDialogSetup({QStringLiteral("Postscript (*.ps)")}, QStringLiteral("ps"));
}

TFileDialogSetup OpenProjectDialogSetup()
{
    TFileDialogSetup setup;
    setup.Caption = QStringLiteral("Open");
    setup.Filters << ProjectFilter;
    setup.Size = QSize(563, 377);
    return setup;
}

TFileDialogSetup SaveProjectDialogSetup() { return SaveDialogSetup({ProjectFilter}, QStringLiteral("ovk")); }

void ConfigureFileDialog(QFileDialog& dialog, const TFileDialogSetup& setup)
{
    dialog.setWindowTitle(setup.Caption);
    dialog.setNameFilters(setup.Filters);
    dialog.setAcceptMode(setup.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(setup.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(setup.DefaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !setup.ConfirmOverwrite);
    if (setup.Size.isValid()) dialog.resize(setup.Size);
    if (setup.Save && !setup.DefaultSuffix.isEmpty())
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const QString suffix = FilterSuffix(filter);
            if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
        });
}

// --- TQtUi -------------------------------------------------------------------

TQtUi::TQtUi(QWidget* mainWindow)
    : mainWindow_(mainWindow), applyAll_(new TFApplyAll(mainWindow)), resample_(new TFResample(mainWindow)),
      imageSize_(new TFImgSizeDlg(mainWindow))
{
    // Passed on from the event loop, once for a burst of changes: the window
    // system's own event handling, where the signal comes from, is no place
    // to wait on the clipboard's owner.
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &clipboardWatch_, [this] {
        if (clipboardChangePending_) return;
        clipboardChangePending_ = true;
        QMetaObject::invokeMethod(
            &clipboardWatch_,
            [this] {
                clipboardChangePending_ = false;
                if (OnClipboardChanged) GuardedHandler("Clipboard", OnClipboardChanged);
            },
            Qt::QueuedConnection);
    });
}

TQtUi::~TQtUi()
{
    delete applyAll_.data();
    delete resample_.data();
    delete imageSize_.data();
}

void TQtUi::ShowMessage(const std::string& caption, const std::string& text, TMessageKind kind)
{
    boxes_.ShowMessage(caption, text, kind);
}

TAnswer TQtUi::Ask(const std::string& caption, const std::string& question, bool withCancel)
{
    return boxes_.Ask(caption, question, withCancel);
}

TAnswer TQtUi::AskWarning(const std::string& caption, const std::string& question)
{
    return boxes_.AskWarning(caption, question);
}

std::optional<std::string> TQtUi::RunFileDialog(const TFileDialogSetup& setup)
{
    QFileDialog dialog(mainWindow_);
    ConfigureFileDialog(dialog, setup);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> TQtUi::OpenPictureFileName() { return RunFileDialog(OpenPictureDialogSetup()); }
std::optional<std::string> TQtUi::SaveImageFileName() { return RunFileDialog(SaveImageDialogSetup()); }
std::optional<std::string> TQtUi::SavePostScriptFileName() { return RunFileDialog(SavePostScriptDialogSetup()); }
std::optional<std::string> TQtUi::OpenProjectFileName() { return RunFileDialog(OpenProjectDialogSetup()); }
std::optional<std::string> TQtUi::SaveProjectFileName() { return RunFileDialog(SaveProjectDialogSetup()); }

std::optional<std::string> TQtUi::InputText(const std::string& caption, const std::string& prompt,
                                            const std::string& value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(mainWindow_, Q(caption), Q(prompt), QLineEdit::Normal, Q(value), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

std::optional<std::pair<int, int>> TQtUi::Resample(int width, int height, int proposedWidth, int proposedHeight)
{
    TFResample& dialog = *resample_;
    dialog.OriginalWidth = width;
    dialog.OriginalHeight = height;
    dialog.RecommendedWidth = proposedWidth;
    dialog.RecommendedHeight = proposedHeight;
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return std::make_pair(dialog.ChosenWidth(), dialog.ChosenHeight());
}

std::optional<TImageSizeAnswer> TQtUi::ImageSize(int width, int height, double dotsPerInch)
{
    TFImgSizeDlg& dialog = *imageSize_;
    dialog.SetWidth(width);
    dialog.SetHeight(height);
    dialog.SetResolution(Round(dotsPerInch));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return TImageSizeAnswer{dialog.GetWidth(), dialog.GetHeight(), static_cast<double>(dialog.GetResolution())};
}

IApplyDialog& TQtUi::ApplyDialog() { return *applyAll_; }

void TQtUi::ShowAbout()
{
    if (OnShowAbout) OnShowAbout();
}

void TQtUi::ShowFullScreenPreview(const TBitmap32& result)
{
    if (OnShowFullScreenPreview) OnShowFullScreenPreview(result);
}

// The manual is the one file opened this way: few desktops read compiled
// help, so its contents page in the browser stands in; a click that shows
// nothing says why rather than doing nothing. The box may come later, when
// xdg-open reports its failure.
void TQtUi::OpenWithDesktop(const std::string& fileName)
{
    OpenManual(QFileInfo(Q(fileName)).absoluteFilePath(), Desktop, openerWatch_,
               [this](const std::string& text) { ShowMessage("Help", text, TMessageKind::Information); });
}

// One question to the clipboard's owner: QMimeData::hasImage asks again for
// every picture format the image readers know, and each question to an
// owner that does not answer waits seconds in vain.
bool TQtUi::ClipboardHasBitmap()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return false;
    const QStringList formats = data->formats();
    if (formats.contains(QStringLiteral("application/x-qt-image"))) return true;
    for (const QByteArray& type : QImageReader::supportedMimeTypes())
        if (formats.contains(QString::fromLatin1(type))) return true;
    return false;
}

bool TQtUi::ClipboardBitmap(TBitmap32& target)
{
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return false;
    ImageToBitmap(image, target);
    return true;
}

void TQtUi::SetClipboardBitmap(const TBitmap32& bitmap) { QGuiApplication::clipboard()->setImage(BitmapToImage(bitmap)); }

void TQtUi::ProcessEvents() { QCoreApplication::processEvents(); }

void TQtUi::Quit()
{
    // exit, not quit: quit would send close events and ask about saving twice.
    QCoreApplication::exit(0);
}
