// TInfoLabel: a label that shows one of the running program's ten version
// strings, chosen by its Kind (the about box and the main window's caption).
#pragma once

#include "controls/ExeInfo.h"

#include <QLabel>

#include <memory>

// In the order of VersionStringNames.
enum class TKindInfoLabel {
    kiCompanyName,
    kiFileDescription,
    kiFileVersion,
    kiInternalName,
    kiLegalCopyright,
    kiLegalTrademarks,
    kiOriginalFilename,
    kiProductName,
    kiProductVersion,
    kiComments
};

class TInfoLabel : public QLabel {
    Q_OBJECT

public:
    // Reads the running program's version strings.
    explicit TInfoLabel(QWidget* parent = nullptr);
    // Reads the strings of `reader`; without one (a form being designed) the
    // label shows the chosen string's name instead of its value.
    TInfoLabel(QWidget* parent, std::unique_ptr<TExeInfo> reader);
    ~TInfoLabel() override;

    TKindInfoLabel Kind() const { return kind_; }
    // Sets the caption to the chosen string.
    void SetKind(TKindInfoLabel kind);

private:
    std::unique_ptr<TExeInfo> reader_;
    TKindInfoLabel kind_ = TKindInfoLabel::kiCompanyName;
};
