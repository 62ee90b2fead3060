// TQtUi: the command module's dialogs and system services with real Qt:
// message and question boxes, the file dialogs with their filters, the
// input box, the resample, image-size and apply dialogs, the clipboard and
// the event loop. The about box and the full-screen preview are other
// windows; start-up hands them in as the two hooks.
#pragma once

#include "app/dialogs/HelpWindow.h"
#include "app/ui/IUi.h"
#include "app/ui/QtDialogs.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QFileDialog;
class QWidget;
class TFApplyAll;
class TFImgSizeDlg;
class TFResample;

// What one of the command module's file dialogs asks for.
struct TFileDialogSetup {
    QString Caption;
    QStringList Filters;     // "JPEG (*.jpg)", ...
    QString DefaultSuffix;   // appended when the name has none
    bool Save = false;
    bool ConfirmOverwrite = false;
    QSize Size;              // empty: the dialog's own size
};

TFileDialogSetup OpenPictureDialogSetup();
TFileDialogSetup SaveImageDialogSetup();
TFileDialogSetup SavePostScriptDialogSetup();
TFileDialogSetup OpenProjectDialogSetup();
TFileDialogSetup SaveProjectDialogSetup();
// Sets a file dialog up from its setup. In a save dialog the default suffix
// follows the chosen filter, so "a" saved as BMP becomes "a.bmp".
void ConfigureFileDialog(QFileDialog& dialog, const TFileDialogSetup& setup);

class TQtUi : public IUi {
public:
    // The dialogs are children of `mainWindow` (null in tests): they go with
    // it, or with this object, whichever goes first.
    explicit TQtUi(QWidget* mainWindow);
    ~TQtUi() override;

    // --- IDialogs ---
    void ShowMessage(const std::string& caption, const std::string& text, TMessageKind kind) override;
    TAnswer Ask(const std::string& caption, const std::string& question, bool withCancel) override;
    TAnswer AskWarning(const std::string& caption, const std::string& question) override;

    // --- IUi ---
    std::optional<std::string> OpenPictureFileName() override;
    std::optional<std::string> SaveImageFileName() override;
    std::optional<std::string> SavePostScriptFileName() override;
    std::optional<std::string> OpenProjectFileName() override;
    std::optional<std::string> SaveProjectFileName() override;
    std::optional<std::string> InputText(const std::string& caption, const std::string& prompt,
                                         const std::string& value) override;
    std::optional<std::pair<int, int>> Resample(int width, int height, int proposedWidth,
                                                int proposedHeight) override;
    std::optional<TImageSizeAnswer> ImageSize(int width, int height, double dotsPerInch) override;
    IApplyDialog& ApplyDialog() override;
    void ShowAbout() override;
    void ShowFullScreenPreview(const TBitmap32& result) override;
    void OpenWithDesktop(const std::string& fileName) override;
    bool ClipboardHasBitmap() override;
    bool ClipboardBitmap(TBitmap32& target) override;
    void SetClipboardBitmap(const TBitmap32& bitmap) override;
    void ProcessEvents() override;
    void Quit() override;

    // The other windows, set by start-up; unset, the commands do nothing.
    std::function<void()> OnShowAbout;
    std::function<void(const TBitmap32&)> OnShowFullScreenPreview;
    // What OpenWithDesktop opens files with; tests put a stand-in here.
    TDesktopOpener Desktop = TDesktopOpener::System();

    TFApplyAll& ApplyAllDialog() { return *applyAll_; }
    TFResample& ResampleDialog() { return *resample_; }
    TFImgSizeDlg& ImageSizeDialog() { return *imageSize_; }

private:
    std::optional<std::string> RunFileDialog(const TFileDialogSetup& setup);

    QWidget* mainWindow_;
    TQtDialogs boxes_;
    QPointer<TFApplyAll> applyAll_;
    QPointer<TFResample> resample_;
    QPointer<TFImgSizeDlg> imageSize_;
    // Receives the clipboard's change signal; its going disconnects it.
    QObject clipboardWatch_;
    bool clipboardChangePending_ = false;
    // Hears from the openers OpenWithDesktop started; its going deafens it.
    QObject openerWatch_;
};
