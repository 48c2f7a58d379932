#pragma once
// A one-line input prompt built at run time: a prompt, an edit (optionally masked and limited), OK, Cancel
// and an optional custom button.

#include <cstdint>

#include "zcl/dialogs/Zclbasedialog.h"

class TZCLInputDlg : public TZCLBaseDialog {
public:
    explicit TZCLInputDlg(TComponent* AOwner);

    // 0: no limit.
    std::int32_t MaxLength() const { return maxLength_; }
    void SetMaxLength(std::int32_t Value) { maxLength_ = Value; }
    // NUL: the text shows as typed.
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char Value) { passwordChar_ = Value; }
    // What the edit holds when the dialog opens.
    const AnsiString& DefaultValue() const { return defaultValue_; }
    void SetDefaultValue(const AnsiString& Value) { defaultValue_ = Value; }
    const AnsiString& Prompt() const { return prompt_; }
    void SetPrompt(const AnsiString& Value) { prompt_ = Value; }
    // The text of the last dialog closed with OK; empty after one that was not.
    const AnsiString& Value() const { return value_; }
    void SetValue(const AnsiString& Value) { value_ = Value; }

    // The dialog with CaptionTitle, Prompt and DefaultValue, placed by RelatePos; true when OK closed it.
    bool Execute() override;
    // The same placed in Target's bounds (null: as Execute).
    bool ExecuteEnh(TForm* Target);
    // Shows the dialog titled Caption (CaptionTitle when that is set) with an empty default; on OK, Value is
    // handed back and true returned.
    bool InputQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value);
    // The text entered when OK closed the dialog, else Default.
    AnsiString InputBox(const AnsiString& Caption, const AnsiString& Prompt, const AnsiString& Default);

protected:
    // Builds the form, shows it and frees it (also when an exception passes); stores Value.
    virtual bool ShowDialog(const AnsiString& Caption, const AnsiString& Prompt, const AnsiString& Default,
                            TForm* Target);

private:
    std::int32_t maxLength_ = 0;
    char passwordChar_ = 0;
    AnsiString defaultValue_;
    AnsiString prompt_;
    AnsiString value_;
};
