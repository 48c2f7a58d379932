#include "zcl/dialogs/Zclmsg.h"

#include <algorithm>
#include <array>

#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/buttons/Zclbutton.h"
#include "zcl/buttons/Zclcheckbox.h"
#include "zcl/components/Zclformstyler.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/containers/Zclwave.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclconst.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclutilsdraw.h"
#include "zcl/panels/Zclbackpanel.h"
#include "zcl/panels/Zclcustomglyphlabel.h"
#include "zcl/panels/Zclsimplepanel.h"

namespace {

const bool messageBoxPublished = [] {
    using B = TZCLMessageBoxDlg;
    PublishedProperties<B>()
        .Object("MessageFont3D", &B::MessageFont3D, &B::SetMessageFont3D)
        .Object("CaptionFont3D", &B::CaptionFont3D, &B::SetCaptionFont3D)
        .Object("MessageAlignment", &B::MessageAlignment, &B::SetMessageAlignment)
        .Object("MessageFont", &B::MessageFont, &B::SetMessageFont)
        .Object("CaptionFont", &B::CaptionFont, &B::SetCaptionFont)
        .Object("ButtonFont", &B::ButtonFont, &B::SetButtonFont)
        .Integer("Color", &B::Color, &B::SetColor, int(clBtnFace))
        .String("CaptionTitle", &B::CaptionTitle, &B::SetCaptionTitle)
        .Enumeration("CaptionAlignment", &B::CaptionAlignment, &B::SetCaptionAlignment,
                     {"taLeftJustify", "taRightJustify", "taCenter"}, taLeftJustify)
        .Object("ButtonTitles", &B::ButtonTitles, &B::SetButtonTitles)
        .Object("Hints", &B::Hints, &B::SetHints)
        .Object("CustomGlyphImageList", &B::CustomGlyphImageList, &B::SetCustomGlyphImageList)
        .Stored([](B* b) { return ZCLStoredByName(b->CustomGlyphImageList()); })
        .Integer("CustomGlyphListIndex", &B::CustomGlyphListIndex, &B::SetCustomGlyphListIndex, 0)
        .Integer("CustomGlyphImageIndex", &B::CustomGlyphImageIndex, &B::SetCustomGlyphImageIndex, 0)
        .Boolean("CustomGlyph", &B::CustomGlyph, &B::SetCustomGlyph, false)
        .Set("Buttons", &B::Buttons, &B::SetButtons,
             {"mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll", "mbNoToAll",
              "mbYesToAll", "mbHelp"},
             TMsgDlgButtons{mbOK})
        .Integer("BoxLeft", &B::BoxLeft, &B::SetBoxLeft, 0)
        .Integer("BoxTop", &B::BoxTop, &B::SetBoxTop, 0)
        .Integer("BoxWidth", &B::BoxWidth, &B::SetBoxWidth, 0)
        .Integer("BoxHeight", &B::BoxHeight, &B::SetBoxHeight, 0)
        .Enumeration("ButtonStyle", &B::ButtonStyle, &B::SetButtonStyle, {"nbsAutoDetect", "nbsWin31", "nbsWin40"},
                     nbsAutoDetect)
        .Boolean("ShowHints", &B::ShowHints, &B::SetShowHints, false)
        .Enumeration("Position", &B::Position, &B::SetPosition,
                     {"bpCustom", "bpTopLeft", "bpTopCenter", "bpTopRight", "bpCenterLeft", "bpCenter",
                      "bpCenterRight", "bpBottomLeft", "bpBottomCenter", "bpBottomRight"},
                     bpCenter)
        .Enumeration("RelatePos", &B::RelatePos, &B::SetRelatePos,
                     {"brScreen", "brScreenWorkArea", "brMainForm", "brActiveWindow"}, brScreen)
        .Boolean("PlayWave", &B::PlayWave, &B::SetPlayWave, false)
        .Boolean("ShowAgain", &B::ShowAgain, &B::SetShowAgain, true)
        .Boolean("ShowAgainBox", &B::ShowAgainBox, &B::SetShowAgainBox, false)
        .Boolean("CaptionFill", &B::CaptionFill, &B::SetCaptionFill, false)
        .Integer("Colors", &B::Colors, &B::SetColors, 32)
        .Enumeration("DlgType", &B::DlgType, &B::SetDlgType,
                     {"mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom"}, mtCustom)
        .Object("WaveList", &B::WaveList, &B::SetWaveList)
        .Stored([](B* b) { return ZCLStoredByName(b->WaveList()); })
        .Integer("WaveIndex", &B::WaveIndex, &B::SetWaveIndex, 0)
        .Event("OnHelpClick", &B::OnHelpClick, &B::SetOnHelpClick);
    return true;
}();

}  // namespace

namespace {

struct ButtonKind {
    TMsgDlgBtn button;
    const char* caption;  // null: the library's resource string
    TModalResult result;
};

// The order the buttons are made in, which is also the order of the default-button argument.
const std::array<ButtonKind, 9> buttonKinds{{
    {mbYes, "&Yes", mrYes},
    {mbNo, "&No", mrNo},
    {mbOK, "OK", mrOk},
    {mbCancel, nullptr, mrCancel},
    {mbAbort, "Abort", mrAbort},
    {mbRetry, "&Retry", mrRetry},
    {mbIgnore, "&Ignore", mrIgnore},
    {mbAll, "&All", mrAll},
    {mbHelp, nullptr, mrNone},
}};

AnsiString KindCaption(const ButtonKind& k)
{
    if (k.caption) return k.caption;
    return ZCLLoadResString(k.button == mbHelp ? _IDS_HELP : _IDS_CANCEL);
}

LPCSTR TypeIcon(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return IDI_EXCLAMATION;
    case mtError: return IDI_HAND;
    case mtInformation: return IDI_ASTERISK;
    case mtConfirmation: return IDI_QUESTION;
    default: return nullptr;
    }
}

}  // namespace

TZCLMessageBoxFlags ZCLTranslateMessageBoxFlags(UINT Flags)
{
    TZCLMessageBoxFlags f{};
    switch (Flags & 0x0F) {
    case MB_OKCANCEL: f.Buttons = {mbOK, mbCancel}; break;
    case MB_ABORTRETRYIGNORE: f.Buttons = {mbAbort, mbRetry, mbIgnore}; break;
    case MB_YESNOCANCEL: f.Buttons = {mbYes, mbNo, mbCancel}; break;
    case MB_YESNO: f.Buttons = {mbYes, mbNo}; break;
    case MB_RETRYCANCEL: f.Buttons = {mbRetry, mbCancel}; break;
    default: f.Buttons = {mbOK}; break;
    }
    switch (Flags & 0xF0) {
    case MB_ICONHAND: f.DlgType = mtError; break;
    case MB_ICONQUESTION: f.DlgType = mtConfirmation; break;
    case MB_ICONEXCLAMATION: f.DlgType = mtWarning; break;
    case MB_ICONASTERISK: f.DlgType = mtInformation; break;
    default: f.DlgType = -1; break;
    }
    f.DefaultButton = int((Flags & 0x300) >> 8);
    return f;
}

int ZCLMessageBoxResult(int ModalResult) { return ModalResult >= mrOk && ModalResult <= mrNo ? ModalResult : 0; }

// ---------------------------------------------------------------------------------------------------------------

TZCLMessageBoxDlg::TZCLMessageBoxDlg(TComponent* AOwner)
    : TZCLContainerComponent(AOwner),
      messageFont3D_(std::make_unique<TZCL3DCaption>()),
      captionFont3D_(std::make_unique<TZCL3DCaption>()),
      messageAlignment_(std::make_unique<TZCLGlyphTextLayout>()),
      messageFont_(std::make_unique<TFont>()),
      captionFont_(std::make_unique<TFont>()),
      buttonFont_(std::make_unique<TFont>()),
      buttonTitles_(std::make_unique<TStringList>()),
      hints_(std::make_unique<TStringList>()),
      glyphLink_(std::make_unique<TZCLChangeLink>()),
      waveLink_(std::make_unique<TZCLChangeLink>())
{
    const TNotifyEvent change(this, &TZCLMessageBoxDlg::GetChange);
    messageFont3D_->SetOnChange(change);
    captionFont3D_->SetOnChange(change);
    messageAlignment_->SetOnChange(change);
    messageFont_->SetOnChange(change);
    captionFont_->SetOnChange(change);
    buttonFont_->SetOnChange(change);
    buttonTitles_->SetOnChange(change);
    hints_->SetOnChange(change);
    glyphLink_->SetOnChange(TNotifyEvent(this, &TZCLMessageBoxDlg::ListChanged));
    waveLink_->SetOnChange(TNotifyEvent(this, &TZCLMessageBoxDlg::ListChanged));
    if (TZCLApplication* app = TZCLApplicationRef::Get()) app->SetMessageBoxComponent(this);
}

TZCLMessageBoxDlg::~TZCLMessageBoxDlg()
{
    // A box made later may hold the registration now; it keeps it.
    if (TZCLApplication* app = TZCLApplicationRef::Get(); app && app->MessageBoxComponent() == this)
        app->SetMessageBoxComponent(nullptr);
    messageFont3D_->SetOnChange(nullptr);
    captionFont3D_->SetOnChange(nullptr);
    messageAlignment_->SetOnChange(nullptr);
    messageFont_->SetOnChange(nullptr);
    captionFont_->SetOnChange(nullptr);
    buttonFont_->SetOnChange(nullptr);
    buttonTitles_->SetOnChange(nullptr);
    hints_->SetOnChange(nullptr);
    SetCustomGlyphImageList(nullptr);
    SetWaveList(nullptr);
}

void TZCLMessageBoxDlg::SetMessageFont3D(TZCL3DCaption* Value) { messageFont3D_->Assign(Value); }
void TZCLMessageBoxDlg::SetCaptionFont3D(TZCL3DCaption* Value) { captionFont3D_->Assign(Value); }
void TZCLMessageBoxDlg::SetMessageAlignment(TZCLGlyphTextLayout* Value) { messageAlignment_->Assign(Value); }

void TZCLMessageBoxDlg::ListChanged(TObject*) { Change(); }

void TZCLMessageBoxDlg::SetCustomGlyphImageList(TZCLCustomImageList* Value)
{
    if (Value == customGlyphList_) return;
    if (customGlyphList_) {
        customGlyphList_->UnRegisterChanges(glyphLink_.get());
        customGlyphList_->RemoveFreeNotification(this);
    }
    customGlyphList_ = Value;
    if (Value) {
        Value->RegisterChanges(glyphLink_.get());
        Value->FreeNotification(this);
    }
}

void TZCLMessageBoxDlg::SetCustomGlyphListIndex(int Value)
{
    if (Value >= 0) customGlyphListIndex_ = Value;
}

void TZCLMessageBoxDlg::SetCustomGlyphImageIndex(int Value)
{
    if (Value >= 0) customGlyphImageIndex_ = Value;
}

bool TZCLMessageBoxDlg::CustomGlyphIMLEmpty() const
{
    return !customGlyphList_ || !customGlyphList_->IsValidItem(customGlyphListIndex_, customGlyphImageIndex_);
}

void TZCLMessageBoxDlg::SetWaveList(TZCLWaveList* Value)
{
    if (Value == waveList_) return;
    if (waveList_) {
        waveList_->UnRegisterChanges(waveLink_.get());
        waveList_->RemoveFreeNotification(this);
    }
    waveList_ = Value;
    if (Value) {
        Value->RegisterChanges(waveLink_.get());
        Value->FreeNotification(this);
    }
}

void TZCLMessageBoxDlg::SetWaveIndex(int Value)
{
    if (Value >= 0) waveIndex_ = Value;
}

bool TZCLMessageBoxDlg::WaveListEmpty() const
{
    if (!waveList_ || waveIndex_ >= waveList_->Count()) return true;
    auto* item = dynamic_cast<TZCLWaveListItem*>(waveList_->Items(waveIndex_));
    return !item || item->GetEmpty();
}

void TZCLMessageBoxDlg::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLContainerComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    // The list being freed has dropped the link already.
    if (AComponent == customGlyphList_) customGlyphList_ = nullptr;
    if (AComponent == waveList_) waveList_ = nullptr;
}

// Both lists are stored under "Internal": the image list's entry first, then the glyph list's. A reader gives the
// entries out in that order, so when only the glyph list is stored an empty entry keeps the image list's place.
void TZCLMessageBoxDlg::DefineProperties(TFiler* Filer)
{
    if (dynamic_cast<TReader*>(Filer)) {
        TZCLCustomComponent::DefineProperties(Filer);
        Filer->DefineProperty("Internal", TReaderProc::From([this](TReader* reader) {
                                  TZCLCustomImageList* list = ZCLReadGlobalIdent(reader);
                                  if (internalsRead_++ == 0)
                                      SetImageList(list);
                                  else
                                      SetCustomGlyphImageList(list);
                              }),
                              TWriterProc(), false);
        return;
    }
    TZCLContainerComponent::DefineProperties(Filer);
    const bool glyphs = ZCLIsGlobalIdent(customGlyphList_);
    Filer->DefineProperty("Internal", TReaderProc(),
                          TWriterProc::From([](TWriter* writer) { writer->WriteString(AnsiString()); }),
                          glyphs && !ZCLIsGlobalIdent(ImageList()));
    Filer->DefineProperty("Internal", TReaderProc(),
                          TWriterProc::From([this](TWriter* writer) { ZCLWriteGlobalIdent(writer, customGlyphList_); }),
                          glyphs);
}

void TZCLMessageBoxDlg::Loaded()
{
    TZCLContainerComponent::Loaded();
    internalsRead_ = 0;
}

void TZCLMessageBoxDlg::OnShowAgain(TObject* Sender)
{
    if (auto* box = dynamic_cast<TZCLCheckBox*>(Sender)) showAgain_ = !box->Checked();
}

void TZCLMessageBoxDlg::HelpClicked(TObject* Sender)
{
    if (onHelpClick_) onHelpClick_(Sender);
}

// ---------------------------------------------------------------------------------------------------------------
// Operations. Only those that take arguments format the message: a "%" in a plain text is shown as it is.

int TZCLMessageBoxDlg::ShowMessage(const AnsiString& Message)
{
    Show(AnsiString(), Message, {}, false, {mbOK}, -1, 0);
    return 1;
}

int TZCLMessageBoxDlg::ShowMessageFmt(const AnsiString& Message, std::span<const TVarRec> Args)
{
    return Show(AnsiString(), Message, Args, true, {mbOK}, -1, 0);
}

int TZCLMessageBoxDlg::ShowMessageFmt(const AnsiString& Message, std::initializer_list<TVarRec> Args)
{
    return ShowMessageFmt(Message, std::span<const TVarRec>(Args.begin(), Args.size()));
}

int TZCLMessageBoxDlg::MessageDlg(const AnsiString& Message, TMsgDlgType Type, TMsgDlgButtons Buttons,
                                  int HelpContext)
{
    return MessageDlgPos(Message, Type, Buttons, HelpContext, -1, -1);
}

int TZCLMessageBoxDlg::MessageDlgPos(const AnsiString& Message, TMsgDlgType Type, TMsgDlgButtons Buttons, int,
                                     int, int)
{
    return Show(AnsiString(), Message, {}, false, Buttons, Type, 0);
}

int TZCLMessageBoxDlg::MessageBox(const char* Text, const char* Caption, UINT Flags)
{
    const TZCLMessageBoxFlags f = ZCLTranslateMessageBoxFlags(Flags);
    return ZCLMessageBoxResult(
        Show(AnsiString(Caption ? Caption : ""), AnsiString(Text ? Text : ""), {}, false, f.Buttons, f.DlgType,
             f.DefaultButton));
}

int TZCLMessageBoxDlg::Execute(const AnsiString& Caption, const AnsiString& Message, std::span<const TVarRec> Args,
                               TMsgDlgButtons Buttons, int Type, int, int, int, int DefaultButton)
{
    return Show(Caption, Message, Args, true, Buttons, Type, DefaultButton);
}

int TZCLMessageBoxDlg::Show(const AnsiString& Caption, const AnsiString& Message, std::span<const TVarRec> Args,
                            bool Formatted, TMsgDlgButtons Buttons, int Type, int DefaultButton)
{
    // A bad format raises here, before anything is made.
    const AnsiString text = Formatted ? Format(Message, Args) : Message;
    const TMsgDlgType type = Type < 0 || Type > mtCustom ? dlgType_ : TMsgDlgType(Type);
    if (Buttons.Empty()) Buttons = buttons_;
    AnsiString title = Caption;
    if (title.IsEmpty()) title = captionTitle_;
    if (title.IsEmpty() && TApplicationRef::Get()) title = Application->Title();

    std::unique_ptr<TForm> form(TForm::CreateNew(nullptr));
    form->SetColor(color_);
    form->SetVisible(false);
    form->SetCaption(title);
    form->SetBorderStyle(bsDialog);
    form->SetScaled(false);
    form->SetShowHint(showHints_);
    form->SetBounds(form->Left(), form->Top(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    auto* styler = new TZCLFormStyler(form.get());
    styler->SetEnabled(false);
    styler->SetOptions({fsAdjustRect, fsUseDefaultFont, fsUseFormCaption});
    styler->SetColors(colors_);
    styler->Font()->Assign(captionFont_.get());
    styler->Font3D()->Assign(captionFont3D_.get());
    styler->SetAlignment(captionAlignment_);

    auto* back = new TZCLBackPanel(form.get());
    back->SetParent(form.get());
    back->SetAlign(alClient);
    back->SetParentColor(true);
    back->SetImageList(ImageList());
    back->SetListIndex(ListIndex());
    back->SetImageIndex(ImageIndex());

    auto* icons = new TZCLBitmapList(form.get());
    if (!customGlyph_) {
        icons->Add();
        if (LPCSTR id = TypeIcon(type)) {
            TIcon icon;
            icon.SetHandle(CopyIcon(LoadIconA(nullptr, id)));
            auto bmp = std::make_unique<TBitmap>();
            ZCLIcon2Bitmap(bmp.get(), &icon, form->Color());
            icons->BitmapItem(0)->SetBitmap(bmp.get());
        }
    }

    int hintLine = 0;
    auto nextHint = [&] { return hintLine < hints_->Count() ? hints_->Strings(hintLine++) : AnsiString(); };

    auto* label = new TZCLGlyphLabel(form.get());
    label->SetParent(back);
    label->SetBounds(0, 0, label->Width(), label->Height());
    label->Font()->Assign(messageFont_.get());
    label->Font3D()->Assign(messageFont3D_.get());
    label->SetCaption(text);
    label->SetTransparent(true);
    label->SetMultiLine(true);
    label->SetShowHint(showHints_);
    label->SetHint(nextHint());
    label->Alignment()->Assign(messageAlignment_.get());
    if (customGlyph_) {
        label->SetImageList(customGlyphList_);
        label->SetListIndex(customGlyphListIndex_);
        label->SetImageIndex(customGlyphImageIndex_);
    } else {
        label->SetImageList(icons);
        label->SetListIndex(0);
        label->SetImageIndex(0);
    }
    label->SetAutoSize(true);
    int w = label->Width() + 10;
    int h = label->Height() + 25;
    label->SetAlign(alClient);
    label->SetAutoSize(false);

    TZCLSimplePanel* panel = nullptr;
    if (!Buttons.Empty()) {
        panel = new TZCLSimplePanel(form.get());
        panel->SetParent(back);
        panel->SetParentColor(true);
        panel->SetTransparent(true);
        panel->SetAlign(alBottom);
        panel->SetTop(h);
        h += 40;
        int n = 0;
        for (const ButtonKind& k : buttonKinds) n += Buttons.Contains(k.button);
        w = std::max(w, 80 * n + 10);
        int x = (w - 80 * n) / 2 - 5;
        int i = 0;
        for (const ButtonKind& k : buttonKinds) {
            if (!Buttons.Contains(k.button)) continue;
            auto* b = new TZCLButton(form.get());
            b->SetParent(panel);
            if (i == DefaultButton) {
                b->SetDefault(true);
                form->SetActiveControl(b);
            }
            // Escape answers as Cancel does.
            if (k.button == mbCancel) b->SetCancel(true);
            if (k.button == mbHelp) b->SetOnClick(TNotifyEvent(this, &TZCLMessageBoxDlg::HelpClicked));
            b->SetCaption(buttonTitles_->Count() > i ? buttonTitles_->Strings(i) : KindCaption(k));
            b->SetHint(nextHint());
            b->SetShowHint(showHints_);
            b->Font()->Assign(buttonFont_.get());
            b->SetColor(clBtnFace);
            b->SetModalResult(k.result);
            b->SetStyle(buttonStyle_);
            b->SetWidth(75);
            b->SetBounds(x + 5, 5, b->Width(), b->Height());
            x += b->Width() + 5;
            ++i;
        }
    }

    if (showAgainBox_) {
        h += 20;
        if (panel) {
            panel->SetHeight(panel->Height() + 20);
            auto* box = new TZCLCheckBox(form.get());
            box->SetParent(panel);
            box->SetAutoSize(false);
            box->SetCaption(ZCLLoadResString(_IDS_DONTSHOWAGAIN));
            box->SetBounds(0, 35, box->Width(), box->Height());
            box->SetChecked(!showAgain_);
            box->SetTransparent(true);
            box->SetOnClick(TNotifyEvent(this, &TZCLMessageBoxDlg::OnShowAgain));
            box->SetAutoSize(true);
            w = std::max(w, box->Width() + 3);
        }
    }

    form->SetHeight(h);
    form->SetWidth(w);
    if (box_[2] != 0) form->SetWidth(box_[2] + 4);
    if (box_[3] != 0) form->SetHeight(box_[3] + 20);

    TRect target = ZCLDlgGetTargetRect(ComponentState().Contains(csDesigning) ? brScreen : relatePos_);
    if (position_ == bpCustom) {
        target.left += box_[0];
        target.top += box_[1];
    }
    ZCLPositionWindow(form->Handle(), target, position_);

    styler->SetEnabled(captionFill_);
    styler->SetOptions(styler->Options() + TZCLFormStyleOptions{fsCheckSystemGradient});

    if (playWave_ && !WaveListEmpty())
        if (auto* item = dynamic_cast<TZCLWaveListItem*>(waveList_->Items(waveIndex_))) item->Wave()->Play();

    return form->ShowModal();
}

// ---------------------------------------------------------------------------------------------------------------

TZCLMessageBoxDlg* ZCLRegisteredMessageBox()
{
    TZCLApplication* app = TZCLApplicationRef::Get();
    return app ? dynamic_cast<TZCLMessageBoxDlg*>(app->MessageBoxComponent()) : nullptr;
}

void ZCLShowMessage(const AnsiString& Message)
{
    if (TZCLMessageBoxDlg* box = ZCLRegisteredMessageBox())
        box->ShowMessage(Message);
    else
        ::ShowMessage(Message);
}

void ZCLShowMessageFmt(const AnsiString& Message, std::span<const TVarRec> Args)
{
    if (TZCLMessageBoxDlg* box = ZCLRegisteredMessageBox())
        box->ShowMessageFmt(Message, Args);
    else
        ::ShowMessageFmt(Message, Args);
}

void ZCLShowMessageFmt(const AnsiString& Message, std::initializer_list<TVarRec> Args)
{
    ZCLShowMessageFmt(Message, std::span<const TVarRec>(Args.begin(), Args.size()));
}

int ZCLMessageDlg(const AnsiString& Message, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpContext)
{
    if (TZCLMessageBoxDlg* box = ZCLRegisteredMessageBox()) return box->MessageDlg(Message, Type, Buttons, HelpContext);
    return ::MessageDlg(Message, Type, Buttons, HelpContext);
}

int ZCLMessageDlgPos(const AnsiString& Message, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpContext, int X,
                     int Y)
{
    if (TZCLMessageBoxDlg* box = ZCLRegisteredMessageBox())
        return box->MessageDlgPos(Message, Type, Buttons, HelpContext, X, Y);
    return ::MessageDlgPos(Message, Type, Buttons, HelpContext, X, Y);
}

int ZCLMessageBox(const char* Text, const char* Caption, UINT Flags)
{
    if (TZCLMessageBoxDlg* box = ZCLRegisteredMessageBox()) return box->MessageBox(Text, Caption, Flags);
    return Application->MessageBox(Text ? Text : "", Caption ? Caption : "", Flags);
}

int ZCLExecuteMsg(const AnsiString& Caption, const AnsiString& Message, std::span<const TVarRec> Args,
                  TMsgDlgButtons Buttons, int Type, int HelpContext, int X, int Y, int DefaultButton)
{
    if (TZCLMessageBoxDlg* box = ZCLRegisteredMessageBox())
        return box->Execute(Caption, Message, Args, Buttons, Type, HelpContext, X, Y, DefaultButton);
    return 0;
}
