// Message and question boxes as the engine sees them: the application
// registers its own boxes; tests register fakes. Without a registration,
// messages go nowhere and every question gets the answer that changes nothing.
#pragma once

#include <string>

// Plain is the box without an icon (the plain message of the program).
enum class TMessageKind { Information, Warning, Error, Plain };
enum class TAnswer { Yes, No, Cancel };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual void ShowMessage(const std::string& caption, const std::string& text, TMessageKind kind) = 0;
    // A yes/no question, with a Cancel button when `withCancel` is set.
    virtual TAnswer Ask(const std::string& caption, const std::string& question, bool withCancel) = 0;
    // The same yes/no question behind a warning sign (a question that deletes).
    virtual TAnswer AskWarning(const std::string& caption, const std::string& question)
    {
        return Ask(caption, question, false);
    }
};

namespace DialogsDetail {

class TSafeDialogs final : public IDialogs {
public:
    void ShowMessage(const std::string&, const std::string&, TMessageKind) override {}
    // Nobody can be asked, so decline: Cancel where offered, otherwise No.
    TAnswer Ask(const std::string&, const std::string&, bool withCancel) override
    {
        return withCancel ? TAnswer::Cancel : TAnswer::No;
    }
};

inline IDialogs*& Registered()
{
    static IDialogs* registered = nullptr;
    return registered;
}

} // namespace DialogsDetail

// The registered boxes, or the safe default.
inline IDialogs& Dialogs()
{
    static DialogsDetail::TSafeDialogs safe;
    IDialogs* registered = DialogsDetail::Registered();
    return registered ? *registered : safe;
}

// Registers (or with nullptr removes) the application's boxes; not owned.
inline void SetDialogs(IDialogs* dialogs) { DialogsDetail::Registered() = dialogs; }
