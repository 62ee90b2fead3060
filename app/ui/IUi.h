// The dialogs and system services the command module uses, behind one
// interface so that every command runs headless with scripted answers. The
// program's implementation (QtUi) shows real Qt dialogs; tests script them.
// It is also the engine's IDialogs (message and question boxes).
#pragma once

#include "engine/Dialogs.h"

#include <functional>
#include <optional>
#include <string>

class TBitmap32;

// A pixel size with a resolution, as the image-size dialog answers it.
struct TImageSizeAnswer {
    int Width = 0;
    int Height = 0;
    double DotsPerInch = 200.0;
};

// The apply-to-the-entire-image dialog as the command module drives it: the
// dialog counts, shows and switches; the command module runs the loop from
// OnStart. The dialog fires OnStop when a run stops and OnCancel on Close
// and after the last step.
class IApplyDialog {
public:
    virtual ~IApplyDialog() = default;
    std::function<void()> OnStart, OnStop, OnCancel;
    virtual void SetSteps(int steps) = 0;
    virtual int Steps() const = 0;
    // Records that step `stepNumber` was placed.
    virtual void Step(int stepNumber) = 0;
    // Shows the dialog modally; returns when it closes.
    virtual void ShowModal() = 0;
    // Ends a run that failed (the loop left by an exception).
    virtual void SetRunning(bool running) = 0;
};

class IUi : public IDialogs {
public:
    // --- File names (empty: the user cancelled) --------------------------
    virtual std::optional<std::string> OpenPictureFileName() = 0;
    virtual std::optional<std::string> SaveImageFileName() = 0;
    virtual std::optional<std::string> SavePostScriptFileName() = 0;
    virtual std::optional<std::string> OpenProjectFileName() = 0;
    virtual std::optional<std::string> SaveProjectFileName() = 0;

    // --- Dialogs ----------------------------------------------------------
    // An input box; returns the edited text, or nothing on Cancel.
    virtual std::optional<std::string> InputText(const std::string& caption, const std::string& prompt,
                                                 const std::string& value) = 0;
    // The resample offer for a W x H picture with the proposal; the size to
    // resample to, or nothing to keep the picture as read.
    virtual std::optional<std::pair<int, int>> Resample(int width, int height, int proposedWidth,
                                                        int proposedHeight) = 0;
    // The image-size dialog; nothing unless the user pressed OK.
    virtual std::optional<TImageSizeAnswer> ImageSize(int width, int height, double dotsPerInch) = 0;
    virtual IApplyDialog& ApplyDialog() = 0;
    virtual void ShowAbout() = 0;
    virtual void ShowFullScreenPreview(const TBitmap32& result) = 0;
    // Opens a file with the desktop's handler (the compiled help file).
    virtual void OpenWithDesktop(const std::string& fileName) = 0;

    // --- Clipboard --------------------------------------------------------
    // Asks the clipboard whether it holds a picture. On X11 this waits for the
    // program that owns the clipboard, for seconds when that program does not
    // answer: ask when OnClipboardChanged says the contents changed, never
    // on every idle turn.
    virtual bool ClipboardHasBitmap() = 0;
    // Called, from the event loop, after the clipboard's contents changed
    // (the program's own copies included).
    std::function<void()> OnClipboardChanged;
    // Copies the clipboard's picture into `target`; false when there is none.
    virtual bool ClipboardBitmap(TBitmap32& target) = 0;
    virtual void SetClipboardBitmap(const TBitmap32& bitmap) = 0;

    // --- Event loop -------------------------------------------------------
    // Processes pending events (the apply run's pump).
    virtual void ProcessEvents() = 0;
    // Ends the program's event loop.
    virtual void Quit() = 0;
};
