// TFloatEdit: a spin edit whose value is a floating-point number. It limits
// the number to a range on request, writes it in a chosen number format, and
// its buttons and Up/Down keys step it by adding or by multiplying.
#pragma once

#include "controls/FloatSpinFormat.h"

#include <QAbstractSpinBox>

#include <functional>

class TFloatEdit : public QAbstractSpinBox {
public:
    explicit TFloatEdit(QWidget* parent = nullptr);

    // The text as a number; MinValue when the text is not a number. Writing
    // limits the value, formats it and fires OnChange when the text changes;
    // a value that is not a finite number is ignored.
    double Value() const;
    void SetValue(double value);

    // Stored only: the text follows at the next value change. Values that are
    // not finite are ignored. The limits hold while they differ.
    double Increment() const { return FIncrement; }
    double MinValue() const { return FMinValue; }
    double MaxValue() const { return FMaxValue; }
    bool Multiply() const { return FMultiply; }
    void SetIncrement(double value);
    void SetMinValue(double value);
    void SetMaxValue(double value);
    void SetMultiply(bool on) { FMultiply = on; }

    // A new setting rewrites the text at once; the same one does nothing.
    TFloatFormat FType() const { return FFType; }
    int MinWidth() const { return FMinWidth; }
    int Decimals() const { return FDecimals; }
    void SetFType(TFloatFormat format);
    void SetMinWidth(int precision);
    void SetDecimals(int digits);

    // Off: the text cannot be typed into, only stepped.
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool on);

    // Up button and Up key, down button and Down key. A read-only box, a down
    // step by 0 and a step that would leave the finite numbers beep instead.
    void UpClick();
    void DownClick();

    void stepBy(int steps) override;

    // Handlers run inside Qt's event dispatch and must not throw.
    // The text changed, typed or written.
    std::function<void(TFloatEdit* Sender)> OnChange;
    // The focus left the box; runs before an out-of-range number is limited.
    std::function<void(TFloatEdit* Sender)> OnExit;
    // A left click on the text (not on the buttons), reported on release.
    std::function<void(TFloatEdit* Sender)> OnClick;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The refusal sound; tests count it.
    virtual void Beep();

private:
    bool Step(bool up);
    bool RefusesEditing(const QKeyEvent& event) const;

    double FIncrement = 1.0;
    double FMinValue = 0, FMaxValue = 0;
    int FMinWidth = 10;
    int FDecimals = 4;
    TFloatFormat FFType = TFloatFormat::ffGeneral;
    bool FMultiply = false;
    bool FEditorEnabled = true;
};
