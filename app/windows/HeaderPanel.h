// THeaderPanel: one floating settings panel: a horizontal gradient with the
// caption at the top left, the pin (when the panel has one) and close buttons
// at the top right, and the main window's settings below. Labels on it are
// white. It lies in a host window (TFormPanel) and passes the presses on its
// body to it, so the whole panel drags the window.
#pragma once

#include "app/windows/FloatingPanelSetup.h"

#include <QWidget>

#include <functional>

class QLabel;
class QToolButton;

class THeaderPanel : public QWidget {
public:
    // The caption and buttons' row; the settings lie below it.
    static constexpr int HeaderHeight = 18;

    // `content` becomes a child of the panel and covers all of it, under the
    // caption and the buttons, so its controls are placed in the panel's own
    // coordinates (below HeaderHeight). It should paint no background.
    THeaderPanel(const TFloatingPanelSetup& setup, QWidget* content, QWidget* parent = nullptr);

    int Tag() const { return setup_.Tag; }
    const TFloatingPanelSetup& Setup() const { return setup_; }
    QWidget* Content() const { return content_; }
    QLabel* Caption() const { return caption_; }
    QToolButton* CloseButton() const { return close_; }
    // nullptr for a panel without a pin.
    QToolButton* PinButton() const { return pin_; }
    // Shows the pin's picture of the pinned or the unpinned state.
    void ShowPinned(bool pinned);

    std::function<void()> OnClose;
    std::function<void()> OnPin;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* HeaderButton(const QString& hint);

    TFloatingPanelSetup setup_;
    QWidget* content_;
    QLabel* caption_;
    QToolButton* close_;
    QToolButton* pin_ = nullptr;
};
