// The engine's message and question boxes with real Qt, without owner window
// as the program's boxes are. Start-up registers them before any window
// exists (a program folder without a usable tmp/ is told in a box), and the
// command module's QtUi shows its boxes through them.
#pragma once

#include "engine/Dialogs.h"

#include <QString>

#include <string>

// Message texts break lines with a carriage return; Qt breaks on "\n".
QString MessageDisplayText(const std::string& text);

class TQtDialogs final : public IDialogs {
public:
    void ShowMessage(const std::string& caption, const std::string& text, TMessageKind kind) override;
    TAnswer Ask(const std::string& caption, const std::string& question, bool withCancel) override;
    TAnswer AskWarning(const std::string& caption, const std::string& question) override;
};
