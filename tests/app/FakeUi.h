// Scripted stand-ins for the windows the command module talks to: an IUi
// whose dialogs answer from queues the test fills (and record what they were
// asked), an apply dialog that counts, switches and closes as the real one
// does, and an IMainWindow that counts its calls. Header-only, for any test.
#pragma once

#include "app/ui/IMainWindow.h"
#include "app/ui/IUi.h"
#include "gfx/Bitmap32.h"

#include <cmath>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fake {

template <typename T>
std::optional<T> Next(std::deque<std::optional<T>>& queue)
{
    if (queue.empty()) return std::nullopt;
    std::optional<T> value = std::move(queue.front());
    queue.pop_front();
    return value;
}

// The apply dialog's own logic (Running, Steps, CurrentStep, the display and
// the closing rules) without a widget. `Script` runs inside ShowModal and
// plays the user: ClickStart(), ClickClose(), SetStepsFromSpin().
class TFakeApplyDialog : public IApplyDialog {
public:
    struct TDisplay {
        int Step;
        int Bar;
        bool Running;
    };

    void SetSteps(int steps) override { steps_ = steps; }
    int Steps() const override { return steps_; }
    void Step(int stepNumber) override
    {
        current_ = stepNumber;
        Steps_.push_back(stepNumber);
        if (current_ < steps_) {
            if (current_ % 20 == 0) UpdateDisplay();
            return;
        }
        SetRunning(false);
        ClickClose();
    }
    void ShowModal() override
    {
        ++Shown;
        ShownSteps.push_back(steps_);
        closed_ = false;
        current_ = 1;
        UpdateDisplay();
        if (Script) Script(*this);
        SetRunning(false);
    }
    void SetRunning(bool running) override
    {
        if (running == running_) return;
        running_ = running;
        UpdateDisplay();
        if (running && OnStart) OnStart();
        if (!running && OnStop) OnStop();
    }

    // The user's actions.
    void ClickStart() { SetRunning(!running_); }
    void ClickClose()
    {
        SetRunning(false);
        if (OnCancel) OnCancel();
        closed_ = true;
    }
    void SetStepsFromSpin(int steps) { steps_ = steps; }

    bool Running() const { return running_; }
    bool Closed() const { return closed_; }
    int CurrentStep() const { return current_; }

    std::function<void(TFakeApplyDialog&)> Script;
    int Shown = 0;
    std::vector<int> ShownSteps;
    std::vector<int> Steps_;
    std::vector<TDisplay> Displays;

private:
    void UpdateDisplay()
    {
        const double ratio = static_cast<double>(current_) / (steps_ > 0 ? steps_ : 1) * 100.0;
        Displays.push_back({current_, static_cast<int>(std::nearbyint(ratio)), running_});
    }

    bool running_ = false;
    bool closed_ = false;
    int steps_ = 5000;
    int current_ = 1;
};

class TFakeUi : public IUi {
public:
    struct TMessage {
        std::string Caption, Text;
        TMessageKind Kind;
    };
    struct TQuestion {
        std::string Caption, Text;
        bool WithCancel;
    };
    struct TInput {
        std::string Caption, Prompt, Value;
    };
    struct TResampleCall {
        int Width, Height, ProposedWidth, ProposedHeight;
    };

    // --- IDialogs ---
    void ShowMessage(const std::string& caption, const std::string& text, TMessageKind kind) override
    {
        Messages.push_back({caption, text, kind});
    }
    TAnswer Ask(const std::string& caption, const std::string& question, bool withCancel) override
    {
        Questions.push_back({caption, question, withCancel});
        if (Answers.empty()) return withCancel ? TAnswer::Cancel : TAnswer::No;
        const TAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }

    // --- File names ---
    std::optional<std::string> OpenPictureFileName() override { return Next(OpenPictureNames); }
    std::optional<std::string> SaveImageFileName() override { return Next(SaveImageNames); }
    std::optional<std::string> SavePostScriptFileName() override { return Next(PostScriptNames); }
    std::optional<std::string> OpenProjectFileName() override { return Next(OpenProjectNames); }
    std::optional<std::string> SaveProjectFileName() override { return Next(SaveProjectNames); }

    // --- Dialogs ---
    std::optional<std::string> InputText(const std::string& caption, const std::string& prompt,
                                         const std::string& value) override
    {
        Inputs.push_back({caption, prompt, value});
        return Next(InputAnswers);
    }
    std::optional<std::pair<int, int>> Resample(int width, int height, int proposedWidth,
                                                int proposedHeight) override
    {
        ResampleCalls.push_back({width, height, proposedWidth, proposedHeight});
        return Next(ResampleAnswers);
    }
    std::optional<TImageSizeAnswer> ImageSize(int width, int height, double dotsPerInch) override
    {
        ImageSizeCalls.push_back({width, height, dotsPerInch});
        return Next(ImageSizeAnswers);
    }
    IApplyDialog& ApplyDialog() override { return Apply; }
    void ShowAbout() override { ++AboutShown; }
    void ShowFullScreenPreview(const TBitmap32&) override { ++PreviewShown; }
    void OpenWithDesktop(const std::string& fileName) override { Opened.push_back(fileName); }

    // --- Clipboard ---
    bool ClipboardHasBitmap() override
    {
        ++ClipboardQueries;
        return Clipboard.has_value();
    }
    bool ClipboardBitmap(TBitmap32& target) override
    {
        if (!Clipboard) return false;
        target = *Clipboard;
        return true;
    }
    void SetClipboardBitmap(const TBitmap32& bitmap) override { SetClipboard(bitmap); }
    // Another program's copy (or none): the clipboard changes and says so.
    void SetClipboard(std::optional<TBitmap32> picture)
    {
        Clipboard = std::move(picture);
        if (OnClipboardChanged) OnClipboardChanged();
    }

    // --- Event loop ---
    void ProcessEvents() override
    {
        ++Pumps;
        if (OnProcessEvents) OnProcessEvents();
    }
    void Quit() override { ++Quits; }

    std::vector<TMessage> Messages;
    std::vector<TQuestion> Questions;
    std::deque<TAnswer> Answers;
    std::deque<std::optional<std::string>> OpenPictureNames, SaveImageNames, PostScriptNames, OpenProjectNames,
        SaveProjectNames, InputAnswers;
    std::vector<TInput> Inputs;
    std::deque<std::optional<std::pair<int, int>>> ResampleAnswers;
    std::vector<TResampleCall> ResampleCalls;
    std::deque<std::optional<TImageSizeAnswer>> ImageSizeAnswers;
    std::vector<TImageSizeAnswer> ImageSizeCalls;
    TFakeApplyDialog Apply;
    std::optional<TBitmap32> Clipboard;
    std::function<void()> OnProcessEvents;
    std::vector<std::string> Opened;
    int AboutShown = 0, PreviewShown = 0, Pumps = 0, Quits = 0, ClipboardQueries = 0;
};

class TFakeMainWindow : public IMainWindow {
public:
    void UpdateControls() override { ++ControlUpdates; }
    void UpdateStyleFrame(int index) override { StyleFrames.push_back(index); }
    void UpdateBrushPreview() override { ++BrushPreviews; }
    void SelectFirstStyle() override
    {
        ++FirstStyleSelections;
        if (OnSelectFirstStyle) OnSelectFirstStyle();
    }
    void BindSaveProjectButton(bool toSave) override { SaveButtonSaves = toSave; }
    void ResetColorPanel() override { ++ColorPanelResets; }
    void ShowNavigator() override { NavigatorShown = true; }
    void HideNavigator() override { NavigatorShown = false; }

    int ControlUpdates = 0, BrushPreviews = 0, FirstStyleSelections = 0, ColorPanelResets = 0;
    std::vector<int> StyleFrames;
    std::optional<bool> SaveButtonSaves;
    bool NavigatorShown = false;
    std::function<void()> OnSelectFirstStyle;
};

} // namespace fake
