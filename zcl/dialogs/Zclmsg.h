#pragma once
// The library's configurable message box (fonts, button titles, glyphs, sounds, a "show again" check box) and
// the message procedures that use it once one exists, the framework's boxes otherwise.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>

#include "framework/runtime/Classes.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Dialogs.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclutils.h"
#include "zcl/dialogs/Zclcontainercomponent.h"

class TZCL3DCaption;
class TZCLChangeLink;
class TZCLGlyphTextLayout;
class TZCLWaveList;

// What a message-box flag word asks for.
struct TZCLMessageBoxFlags {
    TMsgDlgButtons Buttons;
    int DlgType;        // a TMsgDlgType, or -1 for the box's own
    int DefaultButton;  // 0-based place among the buttons made
};
TZCLMessageBoxFlags ZCLTranslateMessageBoxFlags(UINT Flags);
// A modal result as a message-box result: IDOK to IDNO as they are, anything else 0.
int ZCLMessageBoxResult(int ModalResult);

class TZCLMessageBoxDlg : public TZCLContainerComponent {
public:
    // Becomes the library application's message box.
    explicit TZCLMessageBoxDlg(TComponent* AOwner);
    // Gives the registration back when it still holds this box.
    ~TZCLMessageBoxDlg() override;

    // The option objects and lists are owned; their setters copy.
    TZCL3DCaption* MessageFont3D() const { return messageFont3D_.get(); }
    void SetMessageFont3D(TZCL3DCaption* Value);
    TZCL3DCaption* CaptionFont3D() const { return captionFont3D_.get(); }
    void SetCaptionFont3D(TZCL3DCaption* Value);
    TZCLGlyphTextLayout* MessageAlignment() const { return messageAlignment_.get(); }
    void SetMessageAlignment(TZCLGlyphTextLayout* Value);
    TFont* MessageFont() const { return messageFont_.get(); }
    void SetMessageFont(TFont* Value) { messageFont_->Assign(Value); }
    TFont* CaptionFont() const { return captionFont_.get(); }
    void SetCaptionFont(TFont* Value) { captionFont_->Assign(Value); }
    TFont* ButtonFont() const { return buttonFont_.get(); }
    void SetButtonFont(TFont* Value) { buttonFont_->Assign(Value); }
    TStringList* ButtonTitles() const { return buttonTitles_.get(); }
    void SetButtonTitles(TStrings* Value) { buttonTitles_->Assign(Value); }
    TStringList* Hints() const { return hints_.get(); }
    void SetHints(TStrings* Value) { hints_->Assign(Value); }

    TColor Color() const { return color_; }
    void SetColor(TColor Value) { color_ = Value; }
    // The box's title; the application's title when empty.
    const AnsiString& CaptionTitle() const { return captionTitle_; }
    void SetCaptionTitle(const AnsiString& Value) { captionTitle_ = Value; }
    TAlignment CaptionAlignment() const { return captionAlignment_; }
    void SetCaptionAlignment(TAlignment Value) { captionAlignment_ = Value; }

    // The glyph beside the message from a list of one's own instead of the type's system icon.
    bool CustomGlyph() const { return customGlyph_; }
    void SetCustomGlyph(bool Value) { customGlyph_ = Value; }
    // Not owned; forgotten when it is freed.
    TZCLCustomImageList* CustomGlyphImageList() const { return customGlyphList_; }
    void SetCustomGlyphImageList(TZCLCustomImageList* Value);
    // Negative values are ignored.
    int CustomGlyphListIndex() const { return customGlyphListIndex_; }
    void SetCustomGlyphListIndex(int Value);
    int CustomGlyphImageIndex() const { return customGlyphImageIndex_; }
    void SetCustomGlyphImageIndex(int Value);
    // No custom glyph list, or no such item in it.
    bool CustomGlyphIMLEmpty() const;

    // The buttons when an operation asks for none.
    TMsgDlgButtons Buttons() const { return buttons_; }
    void SetButtons(TMsgDlgButtons Value) { buttons_ = Value; }
    // Index 0 BoxLeft, 1 BoxTop (moves of the target's corner with bpCustom), 2 BoxWidth, 3 BoxHeight (a fixed
    // size when not 0).
    int BoxValue(int Index) const { return box_[Index & 3]; }
    void SetBoxValue(int Index, int Value) { box_[Index & 3] = Value; }
    int BoxLeft() const { return box_[0]; }
    void SetBoxLeft(int Value) { box_[0] = Value; }
    int BoxTop() const { return box_[1]; }
    void SetBoxTop(int Value) { box_[1] = Value; }
    int BoxWidth() const { return box_[2]; }
    void SetBoxWidth(int Value) { box_[2] = Value; }
    int BoxHeight() const { return box_[3]; }
    void SetBoxHeight(int Value) { box_[3] = Value; }
    TZCLNormalButtonStyle ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TZCLNormalButtonStyle Value) { buttonStyle_ = Value; }
    bool ShowHints() const { return showHints_; }
    void SetShowHints(bool Value) { showHints_ = Value; }
    TZCLDlgPosition Position() const { return position_; }
    void SetPosition(TZCLDlgPosition Value) { position_ = Value; }
    TZCLDlgPosRel RelatePos() const { return relatePos_; }
    void SetRelatePos(TZCLDlgPosRel Value) { relatePos_ = Value; }
    bool PlayWave() const { return playWave_; }
    void SetPlayWave(bool Value) { playWave_ = Value; }
    // Cleared when the user ticks "Don't show again" in a box that has it.
    bool ShowAgain() const { return showAgain_; }
    void SetShowAgain(bool Value) { showAgain_ = Value; }
    bool ShowAgainBox() const { return showAgainBox_; }
    void SetShowAgainBox(bool Value) { showAgainBox_ = Value; }
    bool CaptionFill() const { return captionFill_; }
    void SetCaptionFill(bool Value) { captionFill_ = Value; }
    std::uint8_t Colors() const { return colors_; }
    void SetColors(std::uint8_t Value) { colors_ = Value; }
    // The type when an operation asks for the box's own.
    TMsgDlgType DlgType() const { return dlgType_; }
    void SetDlgType(TMsgDlgType Value) { dlgType_ = Value; }

    // Not owned; forgotten when it is freed.
    TZCLWaveList* WaveList() const { return waveList_; }
    void SetWaveList(TZCLWaveList* Value);
    // Negative values are ignored.
    int WaveIndex() const { return waveIndex_; }
    void SetWaveIndex(int Value);
    // No wave list, or no wave at WaveIndex.
    bool WaveListEmpty() const;

    // The Help button's click (Sender: the button); the box stays open.
    TNotifyEvent OnHelpClick() const { return onHelpClick_; }
    void SetOnHelpClick(TNotifyEvent Value) { onHelpClick_ = Value; }

    // A box with OK; always 1.
    int ShowMessage(const AnsiString& Message);
    // The message formatted with Args.
    int ShowMessageFmt(const AnsiString& Message, std::span<const TVarRec> Args);
    int ShowMessageFmt(const AnsiString& Message, std::initializer_list<TVarRec> Args);
    int MessageDlg(const AnsiString& Message, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpContext);
    // The position is accepted and not used: the box goes where Position and RelatePos place it.
    int MessageDlgPos(const AnsiString& Message, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpContext, int X,
                      int Y);
    // Buttons, type and default button from the MB_ flags; a message-box result (IDOK...), 0 for none.
    int MessageBox(const char* Text, const char* Caption, UINT Flags);
    int MessageBox(const char* Text, const char* Caption) { return MessageBox(Text, Caption, 0); }
    int MessageBox(const char* Text, UINT Flags) { return MessageBox(Text, "", Flags); }
    int MessageBox(const char* Text) { return MessageBox(Text, "", 0); }
    // The box itself: the message formatted with Args; empty Buttons and a Type of -1 take the box's own, an
    // empty Caption CaptionTitle. DefaultButton is the 0-based place of the default button among the buttons
    // made (Yes, No, OK, Cancel, Abort, Retry, Ignore, All, Help). The help context and position are accepted
    // and not used. Returns the modal result.
    int Execute(const AnsiString& Caption, const AnsiString& Message, std::span<const TVarRec> Args,
                TMsgDlgButtons Buttons, int Type, int HelpContext, int X, int Y, int DefaultButton);

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineProperties(TFiler* Filer) override;
    void Loaded() override;

private:
    // The box with Message as it is (Formatted false) or formatted with Args.
    int Show(const AnsiString& Caption, const AnsiString& Message, std::span<const TVarRec> Args, bool Formatted,
             TMsgDlgButtons Buttons, int Type, int DefaultButton);
    void OnShowAgain(TObject* Sender);
    void HelpClicked(TObject* Sender);
    void ListChanged(TObject* Sender);

    std::unique_ptr<TZCL3DCaption> messageFont3D_;
    std::unique_ptr<TZCL3DCaption> captionFont3D_;
    std::unique_ptr<TZCLGlyphTextLayout> messageAlignment_;
    std::unique_ptr<TFont> messageFont_;
    std::unique_ptr<TFont> captionFont_;
    std::unique_ptr<TFont> buttonFont_;
    std::unique_ptr<TStringList> buttonTitles_;
    std::unique_ptr<TStringList> hints_;
    std::unique_ptr<TZCLChangeLink> glyphLink_;
    std::unique_ptr<TZCLChangeLink> waveLink_;
    TColor color_ = clBtnFace;
    AnsiString captionTitle_;
    TAlignment captionAlignment_ = taLeftJustify;
    bool customGlyph_ = false;
    TZCLCustomImageList* customGlyphList_ = nullptr;  // not owned
    int customGlyphListIndex_ = 0;
    int customGlyphImageIndex_ = 0;
    TMsgDlgButtons buttons_{mbOK};
    int box_[4] = {0, 0, 0, 0};
    TZCLNormalButtonStyle buttonStyle_ = nbsAutoDetect;
    bool showHints_ = false;
    TZCLDlgPosition position_ = bpCenter;
    TZCLDlgPosRel relatePos_ = brScreen;
    bool playWave_ = false;
    bool showAgain_ = true;
    bool showAgainBox_ = false;
    bool captionFill_ = false;
    std::uint8_t colors_ = 32;
    TMsgDlgType dlgType_ = mtCustom;
    TZCLWaveList* waveList_ = nullptr;  // not owned
    int waveIndex_ = 0;
    TNotifyEvent onHelpClick_;
    int internalsRead_ = 0;  // "Internal" entries read since the last load
};

// The library application's message box, when one exists.
TZCLMessageBoxDlg* ZCLRegisteredMessageBox();

// Each goes to the registered message box, or to the framework's box without one.
void ZCLShowMessage(const AnsiString& Message);
void ZCLShowMessageFmt(const AnsiString& Message, std::span<const TVarRec> Args);
void ZCLShowMessageFmt(const AnsiString& Message, std::initializer_list<TVarRec> Args);
int ZCLMessageDlg(const AnsiString& Message, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpContext);
int ZCLMessageDlgPos(const AnsiString& Message, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpContext, int X,
                     int Y);
// Without a registered box: the framework application's message box.
int ZCLMessageBox(const char* Text, const char* Caption, UINT Flags);
// Without a registered box nothing is shown and the result is 0.
int ZCLExecuteMsg(const AnsiString& Caption, const AnsiString& Message, std::span<const TVarRec> Args,
                  TMsgDlgButtons Buttons, int Type, int HelpContext, int X, int Y, int DefaultButton);
