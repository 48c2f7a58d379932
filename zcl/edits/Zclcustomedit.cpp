#include "zcl/edits/Zclcustomedit.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "framework/runtime/Filer.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/edits/Zcledit.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

// Sets the canvas's character spacing for one measuring or drawing.
class Spacing {
public:
    Spacing(HDC dc, int extra) : dc_(dc), old_(SetTextCharacterExtra(dc, extra)) {}
    Spacing(const Spacing&) = delete;
    Spacing& operator=(const Spacing&) = delete;
    ~Spacing() { SetTextCharacterExtra(dc_, old_); }

private:
    HDC dc_;
    int old_;
};

const bool customEditPublished = [] {
    using E = TZCLCustomEdit;
    PublishedProperties<E>()
        .Object("Font", &E::Font, &E::SetFont)
        .Enumeration("CharCase", &E::CharCase, &E::SetCharCase, {"ecNormal", "ecUpperCase", "ecLowerCase"}, ecNormal)
        .Object("Font3D", &E::Font3D, &E::SetFont3D)
        .Integer("MaxLength", &E::MaxLength, &E::SetMaxLength, 0)
        .Boolean("HideSelection", &E::HideSelection, &E::SetHideSelection, true)
        .Boolean("AutoSelect", &E::AutoSelect, &E::SetAutoSelect, false)
        .Boolean("OEMConvert", &E::OEMConvert, &E::SetOEMConvert, false)
        .Boolean("ParentFont", &E::ParentFont, &E::SetParentFont, true);
    using P = TZCLEdit;
    PublishedProperties<P>()
        .Boolean("AutoSize", &P::AutoSize, &P::SetAutoSize, false)
        .Enumeration("Alignment", &P::Alignment, &P::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"},
                     taLeftJustify)
        .Object("CustomButtons", &P::CustomButtons, &P::SetCustomButtons)
        .Enumeration("CustomButtonStyle", &P::CustomButtonStyle, &P::SetCustomButtonStyle,
                     {"ubsAutoDetect", "ubsWin31", "ubsWin40", "ubsVesto", "ubsVestoFlat", "ubsFlat",
                      "ubsFlatUnColored", "ubsNavigator", "ubsExplorer", "ubsExplorerColored", "ubsIntegrated"},
                     ubsIntegrated)
        .Integer("CustomButtonWidth", &P::CustomButtonWidth, &P::SetCustomButtonWidth, 16)
        .Char("PasswordChar", &P::PasswordChar, &P::SetPasswordChar, 0)
        .Boolean("ReadOnly", &P::ReadOnly, &P::SetReadOnly, false)
        .String("Text", &P::Text, [](P* e, const AnsiString& v) { e->SetText(v); })
        .Event("OnBtnClick", &P::OnBtnClick, &P::SetOnBtnClick);
    return true;
}();

}  // namespace

TZCLCustomEdit::TZCLCustomEdit(TComponent* AOwner)
    : TZCLBaseEdit(AOwner), customButtons_(std::make_unique<TZCLSpecialButtons>(this))
{
    customButtons_->SetOnUpdate(TNotifyEvent(this, &TZCLCustomEdit::ButtonsChanged));
    customButtons_->SetOnButtonClick(TZCLSpecialButtonClickEvent(this, &TZCLCustomEdit::ButtonClicked));
}

TZCLCustomEdit::~TZCLCustomEdit()
{
    // The buttons leave while the edit can still take their going.
    customButtons_->SetOnUpdate(TNotifyEvent());
    customButtons_->SetOnButtonClick(TZCLSpecialButtonClickEvent());
    customButtons_.reset();
}

// ---------------------------------------------------------------------------------------------------------------
// Properties

void TZCLCustomEdit::SetPasswordChar(char Value)
{
    if (Value == passwordChar_) return;
    passwordChar_ = Value;
    CreateSpecialText(displayText_);
    SyncWindowText();
    Redraw();
    if (Focused()) SetCaret();
}

void TZCLCustomEdit::SetAutoSize(bool Value)
{
    if (Value == autoSize_) return;
    autoSize_ = Value;
    CorrectBounds();
}

void TZCLCustomEdit::SetCustomButtonWidth(int Value)
{
    Value = std::max(Value, 0);
    if (Value == customButtonWidth_) return;
    customButtonWidth_ = Value;
    SetupRects();
    CorrectBounds();
    Redraw();
}

void TZCLCustomEdit::SetCustomButtonStyle(TZCLUserButtonStyle Value)
{
    if (Value == customButtonStyle_) return;
    customButtonStyle_ = Value;
    SetupRects();
}

void TZCLCustomEdit::SetCustomButtons(TZCLSpecialButtons* Value)
{
    if (Value && Value != customButtons_.get()) customButtons_->Assign(Value);
}

int TZCLCustomEdit::CustomButtonCount() const { return customButtons_ ? customButtons_->Count() : 0; }

void TZCLCustomEdit::ButtonsChanged(TObject*)
{
    SetupRects();
    CorrectBounds();
    Redraw();
    if (Focused()) SetCaret();
}

void TZCLCustomEdit::ButtonClicked(TObject* Sender, int Index) { DoAClick(Sender, Index); }

void TZCLCustomEdit::CreateSpecialText(AnsiString& Value)
{
    const AnsiString& text = EngineText();
    Value = passwordChar_ ? AnsiString::StringOfChar(passwordChar_, text.Length()) : text;
}

bool TZCLCustomEdit::AllowCopyPaste() { return passwordChar_ == 0; }

AnsiString TZCLCustomEdit::GetNewText() const { return EngineText(); }

void TZCLCustomEdit::DoAClick(TObject*, int Index)
{
    if (onBtnClick_) onBtnClick_(this, Index);
}

// ---------------------------------------------------------------------------------------------------------------
// Layout

std::vector<int> TZCLCustomEdit::PrefixWidths()
{
    const int n = displayText_.Length();
    std::vector<int> widths(std::size_t(n) + 1, 0);
    if (n == 0) return widths;
    HDC dc = MeasureCanvas()->Handle();
    Spacing spacing(dc, Font3D()->Tracing());
    SIZE size{};
    GetTextExtentExPointA(dc, displayText_.c_str(), n, INT_MAX, nullptr, widths.data() + 1, &size);
    return widths;
}

int TZCLCustomEdit::TextOrigin()
{
    const TRect r = TextRect();
    const int width = RowWidth(displayText_);
    if (width >= r.Width()) return r.left;
    switch (Alignment()) {
    case taRightJustify: return r.right - width;
    case taCenter: return r.left + (r.Width() - width) / 2;
    default: return r.left;
    }
}

int TZCLCustomEdit::TextTop()
{
    const TRect r = TextRect();
    return r.top + std::max(0, (r.Height() - RowHeight("Qp")) / 2);
}

void TZCLCustomEdit::ClampScroll()
{
    const std::vector<int> widths = PrefixWidths();
    const int room = widths.back() + TextOffset3D().x + 4 - TextRect().Width();
    scrollOffset_ = std::clamp(scrollOffset_, 0, std::max(room, 0));
}

int TZCLCustomEdit::CaretX()
{
    const std::vector<int> widths = PrefixWidths();
    const int before = widths[std::size_t(std::clamp(CursorPos(), 1, int(widths.size())) - 1)];
    return TextOrigin() + before - scrollOffset_ + TextOffset3D().x - 1;
}

void TZCLCustomEdit::SetCaret()
{
    if (!HandleAllocated()) return;
    ClampScroll();
    const TRect r = TextRect();
    // The caret's pixel goes one right of x, and stays inside the text rectangle.
    int x = CaretX();
    if (x + 1 >= r.right) {
        scrollOffset_ += x + 1 - r.right + 1 + 2;
        Redraw();
        x = CaretX();
    } else if (x + 1 < r.left && scrollOffset_ > 0) {
        scrollOffset_ = std::max(0, scrollOffset_ - (int(r.left) - x - 1) - 2);
        Redraw();
        x = CaretX();
    }
    int y = TextTop() + TextOffset3D().y;
    const TZCLCaretStyles style = Caret()->Style();
    if (style == csUnderBlock || style == csUnder) y += RowHeight("Qp") - Caret()->CaretSize().y - 2;
    Caret()->SetPos(x + 1, y);
}

int TZCLCustomEdit::CalcMousePos(const TPoint& P)
{
    const std::vector<int> widths = PrefixWidths();
    const int origin = TextOrigin() - scrollOffset_;
    const int n = int(widths.size()) - 1;
    for (int p = 1; p <= n; ++p) {
        const int half = (widths[std::size_t(p)] - widths[std::size_t(p - 1)]) / 2;
        if (origin + widths[std::size_t(p)] - half >= P.x) return p;
    }
    return n + 1;
}

int TZCLCustomEdit::CalcMouseCol(int X, int Y) { return CalcMousePos(TPoint(X, Y)) - 1; }

int TZCLCustomEdit::CalcMouseRow(int, int) { return 0; }

void TZCLCustomEdit::DoAlignmentChange() { scrollOffset_ = 0; }

void TZCLCustomEdit::ModifyPaintRect(TRect& R)
{
    const int count = CustomButtonCount();
    if (count == 0) return;
    R.right -= count * customButtonWidth_ + 1;
    const TRect inner = InnerRect();
    int x = R.right + 1;
    for (int i = 0; i < count; ++i, x += customButtonWidth_) {
        TZCLSpeedButton* button = customButtons_->GetItem(i)->SpeedButton();
        button->SetStyle(customButtonStyle_);
        button->SetBounds(x, inner.top, customButtonWidth_, inner.Height());
    }
}

void TZCLCustomEdit::CorrectBounds()
{
    if (!autoSize_ || ComponentState().Contains(csLoading)) return;
    const int row = RowHeight("Qp");
    const int height = row * 5 / 4 + (Bevel()->Mode() == bmWindows ? 5 : DblBevelExt());
    const int width = std::max(Width(), CustomButtonCount() * customButtonWidth_ + 30);
    SetBounds(Left(), Top(), width, height);
}

// ---------------------------------------------------------------------------------------------------------------
// Text

void TZCLCustomEdit::SetNewText()
{
    SetLastLength(EngineText().Length());
    // The old scrolling would show the new text shifted.
    scrollOffset_ = 0;
    ChangedText(1);
    if (Focused()) SetCaret();
}

void TZCLCustomEdit::ChangedText(int At)
{
    CreateSpecialText(displayText_);
    TZCLBaseEdit::ChangedText(At);
}

void TZCLCustomEdit::DrawText(int)
{
    if (!CanDraw()) return;
    const bool caretShown = Caret()->Visible();
    Caret()->Hide();
    ClampScroll();
    TCanvas* canvas = BeginDraw();
    RepaintBack(PaintRect());
    const TRect r = TextRect();
    const std::vector<int> widths = PrefixWidths();
    const int x0 = TextOrigin() - scrollOffset_;
    const int y0 = TextTop();
    const TPoint offset = TextOffset3D();
    const int rowHeight = RowHeight("Qp");
    // Glyphs may reach past their advance (overhangs, italics): the box only places the text, the text rectangle
    // clips it.
    const UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP | DT_NOCLIP;

    int selLeft = 0, selRight = 0;
    if (ShouldDrawSelection()) {
        const int last = int(widths.size()) - 1;
        const int a = std::clamp(SelStart() - 1, 0, last);
        const int b = std::clamp(SelStart() - 1 + SelLength(), 0, last);
        selLeft = std::max(x0 + widths[std::size_t(a)] + int(offset.x), int(r.left));
        selRight = std::min(x0 + widths[std::size_t(b)] + int(offset.x), int(r.right));
        if (selRight > selLeft) {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(HighlightBack());
            const int top = std::max(y0 + int(offset.y), int(r.top));
            canvas->FillRect(TRect(selLeft, top, selRight, std::min(top + rowHeight, int(r.bottom))));
        }
    }
    if (!displayText_.IsEmpty()) {
        canvas->Brush()->SetColor(Color());
        const TRect box(x0, y0, x0 + widths.back() + Depth3D() + 2, y0 + rowHeight);
        TZCLDrawTextStyles styles{dtClip};
        if (Enabled()) styles.Include(dtEnabled);
        ZCLDrawTextExt(canvas, displayText_, Font3D(), box, int(flags), styles, &r);
        if (selRight > selLeft) {
            // The selected characters once more, plainly in the highlight colour, over the highlight.
            TZCL3DCaption plain;
            plain.SetTracing(Font3D()->Tracing());
            canvas->Font()->SetColor(HighlightText());
            TRect moved = box;
            OffsetRect(&moved, offset.x, offset.y);
            const TRect clip(selLeft, r.top, selRight, r.bottom);
            ZCLDrawTextExt(canvas, displayText_, &plain, moved, int(flags), TZCLDrawTextStyles{dtEnabled, dtClip},
                           &clip);
        }
    }
    EndDraw();
    SetLastLength(EngineText().Length());
    if (caretShown) Caret()->Show();
}

// ---------------------------------------------------------------------------------------------------------------
// Window

AnsiString TZCLCustomEdit::AnsweredText()
{
    // Only the program itself reads a password: another thread or process gets the mask.
    if (passwordChar_ && InSendMessage()) return displayText_;
    return TZCLBaseEdit::AnsweredText();
}

AnsiString TZCLCustomEdit::WindowText() { return passwordChar_ ? displayText_ : EngineText(); }

void TZCLCustomEdit::CreateWnd()
{
    TZCLBaseEdit::CreateWnd();
    SetupRects();
    CreateBack();
}

void TZCLCustomEdit::Loaded()
{
    TZCLBaseEdit::Loaded();
    CreateSpecialText(displayText_);
    CorrectBounds();
}

void TZCLCustomEdit::GetChange(TObject* Sender)
{
    TZCLBaseEdit::GetChange(Sender);
    if (Sender != Bevel() && Sender != Font3D()) return;
    SetupRects();
    CorrectBounds();
}

void TZCLCustomEdit::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case EM_GETPASSWORDCHAR: Message.Result = static_cast<unsigned char>(passwordChar_); return;
    case EM_SETPASSWORDCHAR:
        // Only the program itself lifts or changes the mask: from another thread or process it would show the text.
        if (!InSendMessage()) SetPasswordChar(char(Message.WParam));
        return;
    case EM_POSFROMCHAR: {
        const std::vector<int> widths = PrefixWidths();
        const int index = std::clamp(int(Message.WParam), 0, int(widths.size()) - 1);
        const int x = TextOrigin() + widths[std::size_t(index)] - scrollOffset_;
        Message.Result = MAKELRESULT(WORD(std::clamp(x, 0, 0xFFFF)), 0);
        return;
    }
    case CM_FONTCHANGED:
    case CM_ZCLBEVELCHANGED:
        TZCLBaseEdit::Dispatch(Message);
        SetupRects();
        CorrectBounds();
        return;
    default: break;
    }
    TZCLBaseEdit::Dispatch(Message);
}
