#pragma once
// The single-line edit on the engine: alignment, a password character, horizontal scrolling, the caret's place
// and hit-testing by character widths, the edit's height fitted to its font, and custom buttons at its right end.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/runtime/Closure.h"
#include "zcl/core/Zclbase.h"
#include "zcl/edits/Zclbaseedit.h"

class TZCLSpecialButtons;

using TZCLBtnClickEvent = Closure<void(TObject* Sender, int Index)>;

class TZCLCustomEdit : public TZCLBaseEdit {
public:
    explicit TZCLCustomEdit(TComponent* AOwner);
    ~TZCLCustomEdit() override;

    using TZCLBaseEdit::SetCaret;

    // #0 is none; a password edit shows one per character and takes no part in the clipboard.
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char Value);
    // The text as it is shown.
    const AnsiString& DisplayText() const { return displayText_; }
    // Pixels the text is scrolled to the left.
    int ScrollOffset() const { return scrollOffset_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    int CustomButtonWidth() const { return customButtonWidth_; }
    void SetCustomButtonWidth(int Value);
    TZCLUserButtonStyle CustomButtonStyle() const { return customButtonStyle_; }
    void SetCustomButtonStyle(TZCLUserButtonStyle Value);
    // Owned: the buttons at the right end, laid out left to right, each CustomButtonWidth wide and as tall as
    // the inner rectangle; a click fires OnBtnClick with the button's index.
    TZCLSpecialButtons* CustomButtons() const { return customButtons_.get(); }
    void SetCustomButtons(TZCLSpecialButtons* Value);
    int CustomButtonCount() const;
    TZCLBtnClickEvent OnBtnClick() const { return onBtnClick_; }
    void SetOnBtnClick(TZCLBtnClickEvent Value) { onBtnClick_ = Value; }

    // Where the text starts: left, right or centred in the text rectangle; a text wider than the rectangle
    // starts at its left, so that scrolling reaches all of it.
    int TextOrigin();
    // Where the row of text lies: centred in the text rectangle.
    int TextTop();

    void Loaded() override;
    void Dispatch(TMessage& Message) override;
    // A changed bevel or 3D font changes the room the text needs: with AutoSize the height follows.
    void GetChange(TObject* Sender) override;

protected:
    // The text, or PasswordChar once per character.
    virtual void CreateSpecialText(AnsiString& Value);
    // With AutoSize: the height fitted to the font and the bevel, the width at least room for the buttons.
    virtual void CorrectBounds();
    // A custom button was clicked: OnBtnClick.
    virtual void DoAClick(TObject* Sender, int Index);

    int CalcMouseCol(int X, int Y) override;
    int CalcMouseRow(int X, int Y) override;
    void DoAlignmentChange() override;
    void SetCaret() override;
    void SetNewText() override;
    AnsiString GetNewText() const override;
    void DrawText(int At) override;
    int CalcMousePos(const TPoint& P) override;
    void ChangedText(int At) override;
    bool AllowCopyPaste() override;
    void ModifyPaintRect(TRect& R) override;
    void CreateWnd() override;
    AnsiString AnsweredText() override;
    // A password edit's window keeps the mask.
    AnsiString WindowText() override;

private:
    // Widths of the first 0..n characters of the display text (with the 3D spacing).
    std::vector<int> PrefixWidths();
    // Keeps the scroll offset where it can show the text's end and the caret behind it.
    void ClampScroll();
    int CaretX();

    void ButtonsChanged(TObject* Sender);
    void ButtonClicked(TObject* Sender, int Index);

    int scrollOffset_ = 0;
    char passwordChar_ = 0;
    AnsiString displayText_;
    bool autoSize_ = false;
    int customButtonWidth_ = 16;
    TZCLUserButtonStyle customButtonStyle_ = ubsIntegrated;
    std::unique_ptr<TZCLSpecialButtons> customButtons_;
    TZCLBtnClickEvent onBtnClick_;
};
