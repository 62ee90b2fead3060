// TFApplyAll: the "Apply to the whole image" dialog. It only counts, shows
// and switches: "Start" fires OnStart, inside whose handler the command
// module runs the whole loop and reports each placed step back through
// Step; "Stop / Preview", "Close", hiding and the last step end the run.
#pragma once

#include "app/ui/IUi.h"

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class QSpinBox;
class TGradientBar;

// The bar's position for a recorded step: a percentage rounded half to even,
// over at least one step.
int ApplyBarPosition(int currentStep, int steps);
// "Actual number of steps: 300".
std::string ApplyStepText(int currentStep);

class TFApplyAll : public QDialog, public IApplyDialog {
public:
    explicit TFApplyAll(QWidget* parent = nullptr);

    void SetSteps(int steps) override;
    int Steps() const override { return Steps_; }
    void Step(int stepNumber) override;
    void ShowModal() override;
    void SetRunning(bool running) override;

    bool Running() const { return Running_; }
    int CurrentStep() const { return CurrentStep_; }
    // Redraws the step label, the bar and the start button at once.
    void UpdateDisplay();

    // The controls, for tests and screenshots.
    QSpinBox* seNumSteps() const { return seNumSteps_; }
    QPushButton* btOk() const { return btOk_; }
    QPushButton* btCancel() const { return btCancel_; }
    QLabel* lblStep() const { return lblStep_; }
    TGradientBar* progBar() const { return progBar_; }

    // Esc and the close box act as "Close".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void btOkClick();
    void btCancelClick();
    static void Fire(const std::function<void()>& handler);

    bool Running_ = false;
    int Steps_ = 0;
    int CurrentStep_ = 0;

    QSpinBox* seNumSteps_ = nullptr;
    QLabel* lblStep_ = nullptr;
    QPushButton* btOk_ = nullptr;
    QPushButton* btCancel_ = nullptr;
    TGradientBar* progBar_ = nullptr;
};
