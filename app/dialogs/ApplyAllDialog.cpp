#include "app/dialogs/ApplyAllDialog.h"

#include "app/dialogs/FitText.h"
#include "app/dialogs/GradientBar.h"
#include "app/dialogs/GuardedHandler.h"
#include "app/dialogs/ScreenCentre.h"
#include "gfx/Rounding.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

int ApplyBarPosition(int currentStep, int steps)
{
    // A run set to 0 steps would divide by zero.
    return Round(static_cast<double>(currentStep) / std::max(steps, 1) * 100.0);
}

std::string ApplyStepText(int currentStep) { return "Actual number of steps: " + std::to_string(currentStep); }


TFApplyAll::TFApplyAll(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Apply to the whole image"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(213, 179);

    auto* group = new QGroupBox(QStringLiteral("Number of steps"), this);
    group->setGeometry(5, 5, 203, 84);
    seNumSteps_ = new QSpinBox(group);
    seNumSteps_->setRange(1, 1000000);
    seNumSteps_->setGeometry(12, 24, 96, 24);
    auto* stepsLabel = new QLabel(QStringLiteral("steps"), group);
    stepsLabel->setGeometry(116, 24, 70, 24);
    lblStep_ = new QLabel(group);
    lblStep_->setGeometry(8, 54, 189, 20);
    // The widest count, seven digits, fits in the designed width.
    FitFontToWidth(*lblStep_, lblStep_->font(), QString::fromStdString(ApplyStepText(seNumSteps_->maximum())));
    // The label and the bar change every 20th step of a run: drawn opaque,
    // they repaint alone, not the group and the dialog behind them.
    lblStep_->setAutoFillBackground(true);

    btOk_ = new QPushButton(QStringLiteral("Start"), this);
    btOk_->setGeometry(8, 100, 100, 28);
    btOk_->setDefault(true);
    btOk_->setAutoDefault(true);
    btCancel_ = new QPushButton(QStringLiteral("Close"), this);
    btCancel_->setGeometry(114, 100, 91, 28);
    btCancel_->setAutoDefault(false);

    progBar_ = new TGradientBar(this);
    progBar_->setAttribute(Qt::WA_OpaquePaintEvent);
    progBar_->setGeometry(5, 144, 203, 24);
    progBar_->SetRange(0, 100);

    connect(seNumSteps_, &QSpinBox::valueChanged, this, [this](int value) { Steps_ = value; });
    connect(btOk_, &QPushButton::clicked, this, [this] { GuardedHandler("Apply dialog", [this] { btOkClick(); }); });
    connect(btCancel_, &QPushButton::clicked, this, [this] { GuardedHandler("Apply dialog", [this] { btCancelClick(); }); });

    SetRunning(false);
    SetSteps(5000);
}

void TFApplyAll::SetSteps(int steps)
{
    Steps_ = steps;
    // The spin box keeps its own range; the run counts with the value given.
    QSignalBlocker block(seNumSteps_);
    seNumSteps_->setValue(steps);
}

void TFApplyAll::SetRunning(bool running)
{
    if (running == Running_) return;
    Running_ = running;
    UpdateDisplay();
    if (!running) {
        Fire(OnStop);
        return;
    }
    try {
        Fire(OnStart);
    } catch (...) {
        // A run that failed is over: the button must offer "Start" again.
        SetRunning(false);
        throw;
    }
}

void TFApplyAll::Step(int stepNumber)
{
    CurrentStep_ = stepNumber;
    if (CurrentStep_ < Steps_) {
        if (CurrentStep_ % 20 == 0) UpdateDisplay();
        return;
    }
    SetRunning(false);
    btCancelClick();
}

void TFApplyAll::UpdateDisplay()
{
    lblStep_->setText(QString::fromStdString(ApplyStepText(CurrentStep_)));
    progBar_->SetPosition(ApplyBarPosition(CurrentStep_, Steps_));
    btOk_->setText(Running_ ? QStringLiteral("Stop / Preview") : QStringLiteral("Start"));
    // Only what changed is painted at once: a whole-dialog repaint every 20th
    // step would weigh on the run, which pumps events after every stroke.
    if (isVisible()) {
        lblStep_->repaint();
        progBar_->repaint();
    }
}

void TFApplyAll::ShowModal() { exec(); }

void TFApplyAll::reject() { GuardedHandler("Apply dialog", [this] { btCancelClick(); }); }

void TFApplyAll::btOkClick() { SetRunning(!Running_); }

void TFApplyAll::btCancelClick()
{
    SetRunning(false);
    Fire(OnCancel);
    QDialog::reject();
}

void TFApplyAll::Fire(const std::function<void()>& handler)
{
    // A copy: the handler may replace itself while it runs.
    if (const std::function<void()> call = handler) call();
}

void TFApplyAll::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    CurrentStep_ = 1;
    UpdateDisplay();
}

void TFApplyAll::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    GuardedHandler("Apply dialog", [this] { SetRunning(false); });
}
