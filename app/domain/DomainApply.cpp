// Covering the whole picture with strokes: the run behind the apply dialog
// (stoppable, resumable, one undo step per Start) and its repetition behind
// the progress window.
#include "app/domain/Domain.h"

#include "app/ui/FailureMessage.h"
#include "app/ui/IUi.h"
#include "engine/BusyCursor.h"
#include "engine/DualImage.h"
#include "engine/Progress.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include <memory>

namespace {

// One automatic stroke at a random point: X is drawn before Y.
void PlaceRandomStroke(TDualImage& doc)
{
    const TBitmap32& dest = doc.Destination();
    const int32_t x = Random(dest.Width());
    const int32_t y = Random(dest.Height());
    doc.PlaceStrokeAt(x, y);
}

// Opens one undo step with the destination's repaints held, runs `work`, and
// on every path ends the progress range (when one is given) first, then
// closes the step and repaints once.
template <typename Work>
void AsOneUndoStep(TDualImage& doc, TImageView* dest, std::unique_ptr<TProgressScope> progress, Work&& work)
{
    TBusyCursorScope busy;
    doc.BeginState();
    if (dest) dest->BeginUpdate();
    auto finish = [&] {
        progress.reset();
        if (dest) dest->EndUpdate();
        doc.EndState();
        if (dest) dest->Changed();
    };
    try {
        work();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace

void TDomain::ApplyWithCurrentSettings()
{
    if (!document_ || !ui_) return;
    IApplyDialog& dialog = ui_->ApplyDialog();
    dialog.OnStart = [this, &dialog] {
        try {
            ApplyAllRun();
        } catch (...) {
            // A failed run is over: what it placed stays as one undo step, the
            // dialog offers "Start" again, and the user learns why.
            applyRunning_ = false;
            dialog.SetRunning(false);
            ShowFailure(Boxes(), StrokeFailureCaption, std::current_exception());
        }
    };
    dialog.OnStop = [this] { StopApply(); };
    dialog.OnCancel = [this] { CancelApply(); };
    applyStartStep_ = 1;
    dialog.SetSteps(applyAllSteps_);
    dialog.ShowModal();
}

void TDomain::ApplyAllRun()
{
    if (!document_ || !ui_) return;
    // A Start that arrives while the loop pumps events (Stop and Start in one
    // batch) must not nest a second loop whose undo step would merge with
    // this one: the running loop just goes on.
    if (applyInLoop_) {
        applyRunning_ = true;
        return;
    }
    IApplyDialog& dialog = ui_->ApplyDialog();
    if (applyStartStep_ > dialog.Steps()) {
        // The count was lowered below the step a stopped run had reached:
        // no step is left, and the run ends as after its last one (the
        // dialog, told of a step at or past its count, stops and closes)
        // instead of leaving the dialog running with nothing to run.
        const int32_t reached = applyStartStep_;
        applyStartStep_ = 1;
        dialog.Step(reached);
        return;
    }
    TDualImage& doc = *document_;
    struct TRunEnds {
        TDomain& Domain;
        ~TRunEnds() { Domain.applyRunning_ = Domain.applyInLoop_ = false; }
    } runEnds{*this};
    applyInLoop_ = true;
    bool countRaised = false;
    AsOneUndoStep(doc, imgDst_, nullptr, [&] {
        const int32_t last = dialog.Steps();
        applyRunning_ = true;
        hasApplied_ = true;
        bool stopped = false;
        for (int32_t i = applyStartStep_; i <= last; ++i) {
            PlaceRandomStroke(doc);
            dialog.Step(i);
            ui_->ProcessEvents();
            applyStartStep_ = i;
            applyAllSteps_ = i;
            if (!applyRunning_) {
                stopped = true;
                break;
            }
        }
        // The count was raised during the run: the loop has reached the last
        // step fixed at its start, while the dialog waits for more. It ends as
        // after a stop at that step, so that Start goes on to the new count.
        countRaised = !stopped && dialog.Steps() > last;
        if (!stopped && !countRaised) applyStartStep_ = 1;
    });
    if (countRaised) dialog.SetRunning(false);
}

void TDomain::StopApply() { applyRunning_ = false; }

void TDomain::CancelApply() { applyRunning_ = false; }

void TDomain::RepeatLastApply()
{
    if (!document_) return;
    TDualImage& doc = *document_;
    const int32_t steps = applyAllSteps_;
    try {
        AsOneUndoStep(doc, imgDst_, std::make_unique<TProgressScope>("Applying strokes...", 0, 100), [&] {
            for (int32_t i = 1; i <= steps; ++i) {
                if (i % 50 == 0) Progress().SetPosition(static_cast<int>(Round(i * 100.0 / steps)));
                PlaceRandomStroke(doc);
            }
        });
    } catch (...) {
        // Told once the progress window is gone and the step is closed.
        ShowFailure(Boxes(), StrokeFailureCaption, std::current_exception());
        throw SilentAbort();
    }
}
