// The edit engine's window: the system edit control's messages it answers, painting on a back bitmap, the
// rectangles, measuring, and the options that redraw.

#include <algorithm>
#include <cstring>

#include "zcl/containers/Zcldynlifobuffer.h"
#include "zcl/core/Zclclass.h"
#include "zcl/edits/Zclbaseedit.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

// The text of a WM_GETTEXT: at most Size - 1 characters and a zero; nothing at all for a size of 0.
LRESULT CopyText(const AnsiString& Text, WPARAM Size, LPARAM Buffer)
{
    if (Size == 0 || !Buffer) return 0;
    const std::size_t n = std::min<std::size_t>(Text.str().size(), Size - 1);
    auto* out = reinterpret_cast<char*>(Buffer);
    std::memcpy(out, Text.c_str(), n);
    out[n] = '\0';
    return LRESULT(n);
}

// The text of an EM_GETLINE: the buffer's first word holds its size in characters; no terminating zero.
LRESULT CopyLine(const AnsiString& Text, LPARAM Buffer)
{
    if (!Buffer) return 0;
    auto* out = reinterpret_cast<char*>(Buffer);
    WORD size;
    std::memcpy(&size, out, sizeof size);
    const std::size_t n = std::min<std::size_t>(Text.str().size(), size);
    std::memcpy(out, Text.c_str(), n);
    return LRESULT(n);
}

WORD Word16(int v) { return WORD(std::clamp(v, 0, 0xFFFF)); }

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Messages

void TZCLBaseEdit::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        TZCLCustomBevelPanel::Dispatch(Message);
        Message.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_GETTEXT: Message.Result = CopyText(AnsweredText(), Message.WParam, Message.LParam); return;
    case WM_GETTEXTLENGTH: Message.Result = GetText().Length(); return;
    case WM_SETTEXT:
        if (!textSetInternally_) {
            textSetInternally_ = true;
            struct Reset {
                bool& flag;
                ~Reset() { flag = false; }
            } reset{textSetInternally_};
            SetText(Message.LParam ? AnsiString(reinterpret_cast<const char*>(Message.LParam)) : AnsiString());
        }
        Message.Result = TRUE;
        return;
    case WM_CHAR: WMChar(Message); return;
    case WM_SETFOCUS: WMSetFocus(Message); return;
    case WM_KILLFOCUS: WMKillFocus(Message); return;
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        TZCLCustomBevelPanel::Dispatch(Message);
        if (leftDown_ && (!HandleAllocated() || GetCapture() != Handle())) {
            StopMouseTimer();
            leftDown_ = false;
            mouseSelecting_ = false;
            if (dragging_) {
                dragging_ = false;
                Screen->SetCursor(savedCursor_);
            }
        }
        return;
    case CM_FONTCHANGED:
        TZCLCustomBevelPanel::Dispatch(Message);
        FontChanged();
        return;
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
        TZCLCustomBevelPanel::Dispatch(Message);
        Redraw();
        return;
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR: HandleEditMessage(Message); return;
    default:
        if (Message.Msg >= EM_GETSEL && Message.Msg <= EM_GETIMESTATUS) {
            HandleEditMessage(Message);
            return;
        }
        break;
    }
    TZCLCustomBevelPanel::Dispatch(Message);
}

void TZCLBaseEdit::HandleEditMessage(TMessage& Message)
{
    TMessage& m = Message;
    m.Result = 0;
    switch (m.Msg) {
    case WM_CUT: CutToClipboard(); return;
    case WM_COPY: CopyToClipboard(); return;
    case WM_PASTE: PasteFromClipboard(); return;
    case WM_CLEAR: ClearSelection(); return;
    case EM_GETSEL: {
        const int start = selStart_ - 1, end = selStart_ - 1 + selLength_;
        if (m.WParam) *reinterpret_cast<DWORD*>(m.WParam) = DWORD(start);
        if (m.LParam) *reinterpret_cast<DWORD*>(m.LParam) = DWORD(end);
        m.Result = MAKELRESULT(Word16(start), Word16(end));
        return;
    }
    case EM_SETSEL: {
        const int length = text_.Length();
        int start = int(m.WParam), end = int(m.LParam);
        if (start == -1) {
            SetSelection(cursorPos_, 0, true);
            return;
        }
        // All of it, as SelectAll: the cursor stays.
        if (start == 0 && end == -1) {
            SelectAll();
            return;
        }
        // -1 (or anything past the text) is the end; a reversed pair is put in order.
        if (end < 0 || end > length) end = length;
        start = std::clamp(start, 0, length);
        if (start > end) std::swap(start, end);
        SetSelection(start + 1, end - start, true);
        prevCursorPos_ = cursorPos_;
        cursorPos_ = selStart_;
        CursorPosChanged();
        if (Focused()) SetCaret();
        return;
    }
    case EM_REPLACESEL:
        ReplaceSelection(m.LParam ? AnsiString(reinterpret_cast<const char*>(m.LParam)) : AnsiString());
        if (!m.WParam) undoBuffer_->Clear();
        return;
    case EM_CANUNDO: m.Result = canUndo_; return;
    case EM_UNDO: {
        // Whether a step was undone.
        const int before = undoBuffer_->Count();
        Undo();
        m.Result = undoBuffer_->Count() < before;
        return;
    }
    case EM_EMPTYUNDOBUFFER: EmptyUndoBuffer(); return;
    case EM_GETMODIFY: m.Result = modified_; return;
    case EM_SETMODIFY: SetModified(m.WParam != 0); return;
    case EM_SETREADONLY:
        SetReadOnly(m.WParam != 0);
        m.Result = 1;
        return;
    case EM_LIMITTEXT: SetMaxLength(int(m.WParam)); return;
    case EM_GETLIMITTEXT: m.Result = maxLength_; return;
    case EM_GETLINECOUNT: m.Result = 1; return;
    case EM_LINELENGTH: m.Result = text_.Length(); return;
    case EM_POSFROMCHAR: {
        const int index = std::clamp(int(m.WParam), 0, text_.Length());
        m.Result = MAKELRESULT(Word16(RowWidth(text_.SubString(1, index)) + textRect_.left), 0);
        return;
    }
    case EM_CHARFROMPOS: {
        // The character in the low word and the line in the high word, as the system edit control answers.
        const int x = short(LOWORD(m.LParam)), y = short(HIWORD(m.LParam));
        m.Result = MAKELRESULT(Word16(CalcMouseCol(x, y)), Word16(CalcMouseRow(x, y)));
        return;
    }
    case EM_GETLINE: m.Result = CopyLine(AnsweredText(), m.LParam); return;
    case EM_GETRECT:
        if (m.LParam) *reinterpret_cast<RECT*>(m.LParam) = textRect_;
        return;
    case EM_GETFIRSTVISIBLELINE:
    case EM_GETHANDLE:
    case EM_GETMARGINS:
    case EM_GETTHUMB:
    case EM_GETWORDBREAKPROC:
    case EM_GETPASSWORDCHAR:
    case EM_LINEINDEX:
    case EM_LINEFROMCHAR:
    default:
        // EM_SETPASSWORDCHAR, EM_FMTLINES, EM_LINESCROLL, EM_SCROLL, EM_SCROLLCARET, EM_SETHANDLE, EM_SETMARGINS,
        // EM_SETRECT, EM_SETRECTNP, EM_SETTABSTOPS, EM_SETWORDBREAKPROC and the rest: nothing to do.
        return;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Rectangles and painting

void TZCLBaseEdit::SetupRects()
{
    innerRect_ = BeveledRect();
    paintRect_ = innerRect_;
    textRect_ = paintRect_;
    InflateRect(&textRect_, -1, -1);
    ModifyPaintRect(paintRect_);
    textRect_.right = std::min(textRect_.right, paintRect_.right - 1);
    ModifyTextRect(textRect_);
}

void TZCLBaseEdit::CreateBack()
{
    if (!doubleBuffer_) return;
    if (!back_) back_ = std::make_unique<TBitmap>();
    const int w = std::max(Width(), 1), h = std::max(Height(), 1);
    if (back_->Width() != w || back_->Height() != h) back_->SetSize(w, h);
}

void TZCLBaseEdit::CreateWnd()
{
    TZCLCustomBevelPanel::CreateWnd();
    // A text set before the window existed.
    SyncWindowText();
}

void TZCLBaseEdit::Resize()
{
    SetupRects();
    CreateBack();
    TZCLCustomBevelPanel::Resize();
    Redraw();
    if (Focused()) SetCaret();
}

void TZCLBaseEdit::SetDoubleBuffered(bool Value)
{
    if (Value == doubleBuffer_) return;
    doubleBuffer_ = Value;
    if (doubleBuffer_) CreateBack();
}

bool TZCLBaseEdit::CanDraw() const
{
    return HandleAllocated() && !Updating() && !noRedraw_ &&
           !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying);
}

TCanvas* TZCLBaseEdit::MeasureCanvas()
{
    if (!back_) {
        back_ = std::make_unique<TBitmap>();
        back_->SetSize(std::max(Width(), 1), std::max(Height(), 1));
    }
    TCanvas* canvas = back_->Canvas();
    canvas->SetFont(Font());
    return canvas;
}

TCanvas* TZCLBaseEdit::DrawCanvas()
{
    if (doubleBuffer_) {
        CreateBack();
        return back_->Canvas();
    }
    return Canvas();
}

TCanvas* TZCLBaseEdit::BeginDraw()
{
    drawing_ = true;
    TCanvas* canvas = DrawCanvas();
    canvas->SetFont(Font());
    return canvas;
}

void TZCLBaseEdit::EndDraw()
{
    drawing_ = false;
    if (doubleBuffer_ && back_) Canvas()->CopyRect(paintRect_, back_->Canvas(), paintRect_);
}

void TZCLBaseEdit::RepaintBack(const TRect& R)
{
    TCanvas* canvas = DrawCanvas();
    if (CheckOptimized() && BackDrawArea(canvas, R, TPoint(0, 0), 0)) return;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(R);
}

void TZCLBaseEdit::Paint()
{
    if (Updating() || ComponentState().Contains(csLoading)) return;
    DrawText(1);
    // Beside the text, under the custom buttons.
    if (paintRect_.right < innerRect_.right) {
        const TRect strip(paintRect_.right, innerRect_.top, innerRect_.right, innerRect_.bottom);
        if (!CheckOptimized() || !BackDrawArea(Canvas(), strip, TPoint(0, 0), 0)) {
            Canvas()->Brush()->SetStyle(bsSolid);
            Canvas()->Brush()->SetColor(Color());
            Canvas()->FillRect(strip);
        }
    }
    PaintBevel();
    // The text was painted over the frame of a flat edit.
    if (Flat() && (IsFocused() || MouseAbove()))
        RestoreBorderFront();
    else
        RestoreBorderBack();
}

// ---------------------------------------------------------------------------------------------------------------
// Measuring

int TZCLBaseEdit::Depth3D()
{
    // The width of an empty text is the depth of the 3D effect alone.
    if (depth3D_ < 0) depth3D_ = ZCLGet3DTextWidth(AnsiString(), font3D_.get(), Font());
    return depth3D_;
}

TPoint TZCLBaseEdit::TextOffset3D() const
{
    const int ld = font3D_->LightDepth(), sd = font3D_->ShadowDepth();
    switch (font3D_->Style()) {
    case tdRaised:
    case tdRaisedShadow:
    case tdPColorRaised: return TPoint(ld, ld);
    case tdSunkenShadow:
    case tdPColorSunken: return TPoint(sd, sd);
    case tdOutline: return TPoint(sd / 2, sd / 2);
    case tdExtrude:
    case tdExtrudeEnh:
        switch (font3D_->Orientation()) {
        case toBottomLeft: return TPoint(sd, 1);
        case toBottomRight: return TPoint(1, 1);
        case toTopRight: return TPoint(1, sd);
        default: return TPoint(sd, sd);
        }
    default: return TPoint(0, 0);
    }
}

int TZCLBaseEdit::RowHeight(const AnsiString& Value) { return MeasureCanvas()->TextHeight(Value) + Depth3D(); }

int TZCLBaseEdit::RowWidth(const AnsiString& Value)
{
    if (Value.IsEmpty()) return 0;
    TCanvas* canvas = MeasureCanvas();
    HDC dc = canvas->Handle();
    const int old = SetTextCharacterExtra(dc, font3D_->Tracing());
    SIZE size{};
    GetTextExtentPoint32A(dc, Value.c_str(), Value.Length(), &size);
    SetTextCharacterExtra(dc, old);
    return int(size.cx) + Depth3D();
}

void TZCLBaseEdit::FontChanged()
{
    depth3D_ = -1;
    if (caret_->Style() == csDefault && Focused()) {
        caret_->SetTextHeight(std::uint16_t(RowHeight("Qp")));
        caret_->BuildCaret();
        caret_->Show();
    }
    Redraw();
    if (Focused()) SetCaret();
}

// ---------------------------------------------------------------------------------------------------------------
// Options

void TZCLBaseEdit::SetAlignment(TAlignment Value)
{
    if (Value == alignment_) return;
    alignment_ = Value;
    DoAlignmentChange();
    Redraw();
    if (Focused()) SetCaret();
}

void TZCLBaseEdit::SetFont3D(TZCL3DCaption* Value) { font3D_->Assign(Value); }

void TZCLBaseEdit::SetHighlightText(TColor Value)
{
    if (Value == highlightText_) return;
    highlightText_ = Value;
    if (ShouldDrawSelection()) Redraw();
}

void TZCLBaseEdit::SetHighlightBack(TColor Value)
{
    if (Value == highlightBack_) return;
    highlightBack_ = Value;
    if (ShouldDrawSelection()) Redraw();
}

void TZCLBaseEdit::GetChange(TObject* Sender)
{
    if (Sender == Bevel()) SetupRects();
    if (Sender == font3D_.get()) {
        depth3D_ = -1;
        Redraw();
        if (Focused()) SetCaret();
        return;
    }
    TZCLCustomBevelPanel::GetChange(Sender);
}

// ---------------------------------------------------------------------------------------------------------------
// Component

void TZCLBaseEdit::Loaded()
{
    TZCLCustomBevelPanel::Loaded();
    SetupRects();
    CreateBack();
}

void TZCLBaseEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLCustomBevelPanel::Notification(AComponent, Operation);
    if (caret_) caret_->Notification(AComponent, Operation);
}
