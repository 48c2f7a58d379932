// The edit engine's input: key commands and typed characters, mouse selection (with its pool timer) and
// dragging a selection, the context menu, the clipboard and the focus.

#include <algorithm>
#include <memory>

#include "framework/runtime/SysUtils.h"
#include "framework/visual/Clipbrd.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Menus.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclconst.h"
#include "zcl/edits/Zclbaseedit.h"

namespace {

// Sets a flag for the length of a scope.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
    ~FlagScope() { flag_ = false; }

private:
    bool& flag_;
};

constexpr std::uint16_t MouseInterval = 200;

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Keys

void TZCLBaseEdit::SyncModifiers(TShiftState Shift)
{
    TZCLEditModes modes = ZCLApplication->EditMode();
    auto put = [&](TZCLEditMode mode, bool on) { on ? modes.Include(mode) : modes.Exclude(mode); };
    put(emShift, Shift.Contains(ssShift));
    put(emCtrl, Shift.Contains(ssCtrl));
    put(emAlt, Shift.Contains(ssAlt));
    ZCLApplication->SetEditMode(modes);
}

void TZCLBaseEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    SyncModifiers(Shift);
    TZCLCustomBevelPanel::KeyDown(Key, Shift);
    if (Key != 0 && Enabled()) GetCommandKey(Key, Shift);
}

void TZCLBaseEdit::KeyUp(WORD& Key, TShiftState Shift)
{
    SyncModifiers(Shift);
    TZCLCustomBevelPanel::KeyUp(Key, Shift);
}

void TZCLBaseEdit::GetCommandKey(WORD& Key, TShiftState Shift)
{
    const int oldStart = selStart_, oldLength = selLength_;
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift), alt = Shift.Contains(ssAlt);
    const int length = text_.Length();
    switch (Key) {
    case VK_BACK:
        if (readOnly_ || (cursorPos_ == 1 && selLength_ == 0)) break;
        if (selLength_ == 0) {
            selStart_ = cursorPos_ - 1;
            selLength_ = 1;
        }
        ReplaceSelection(AnsiString());
        break;
    case VK_ESCAPE: SetSelection(cursorPos_, 0, true); break;
    case VK_END: GotoParaEnd(); break;
    case VK_HOME:
        if (ctrl)
            SetCursorPos(1);
        else
            GotoParaStart();
        break;
    case VK_LEFT:
        SetCursorPos(OffLineFeed(cursorPos_ - 1, -1));
        if (ctrl) GotoPrevWord();
        break;
    case VK_RIGHT:
        SetCursorPos(cursorPos_ + 1);
        if (ctrl) GotoNextWord();
        break;
    case VK_INSERT:
        if (shift) {
            PasteFromClipboard();
        } else if (ctrl) {
            CopyToClipboard();
        } else if (!alt) {
            TZCLEditModes modes = ZCLApplication->EditMode();
            modes.Contains(emInsert) ? modes.Exclude(emInsert) : modes.Include(emInsert);
            ZCLApplication->SetEditMode(modes);
        }
        break;
    case VK_DELETE:
        if (shift) {
            CutToClipboard();
            break;
        }
        if (readOnly_ || length == 0) break;
        if (selLength_ == 0) {
            selStart_ = cursorPos_;
            selLength_ = cursorPos_ <= length ? 1 : 0;
        }
        ReplaceSelection(AnsiString());
        break;
    case 'A':
    case 'C':
    case 'V':
    case 'X':
        if (!ctrl || alt) break;
        if (Key == 'A')
            SelectAll();
        else if (Key == 'C')
            CopyToClipboard();
        else if (Key == 'V')
            PasteFromClipboard();
        else
            CutToClipboard();
        Key = 0;
        break;
    default: break;
    }
    RedrawSelection(oldStart, oldLength);
    if (Focused()) SetCaret();
}

void TZCLBaseEdit::WMChar(TMessage& Message)
{
    char key = char(Message.WParam);
    KeyPress(key);
    Message.Result = 0;
    if (key == 0 || !Enabled() || static_cast<unsigned char>(key) <= 31) return;
    AnsiString typed(key);
    if (charCase_ == ecUpperCase)
        typed = AnsiUpperCase(typed);
    else if (charCase_ == ecLowerCase)
        typed = AnsiLowerCase(typed);
    FlagScope typing(charInput_);
    FlagScope overwrite(overwriteInput_);
    ReplaceSelection(typed);
}

// ---------------------------------------------------------------------------------------------------------------
// Clipboard

void TZCLBaseEdit::CopyToClipboard()
{
    if (!AllowCopyPaste() || selLength_ == 0) return;
    Clipboard()->SetAsText(GetSelText());
}

void TZCLBaseEdit::CutToClipboard()
{
    if (!AllowCopyPaste() || selLength_ == 0) return;
    CopyToClipboard();
    ReplaceSelection(AnsiString());
}

void TZCLBaseEdit::PasteFromClipboard()
{
    if (!AllowCopyPaste() || !Clipboard()->HasFormat(CF_TEXT)) return;
    const AnsiString text = Clipboard()->AsText();
    FlagScope overwrite(overwriteInput_);
    ReplaceSelection(text);
}

// ---------------------------------------------------------------------------------------------------------------
// Mouse

void TZCLBaseEdit::StartMouseTimer()
{
    if (mouseTimer_ != -1) return;
    const std::uint16_t id = ZCLApplication->AddTimer(MouseInterval, TNotifyEvent(this, &TZCLBaseEdit::MouseTimer));
    if (!id) throw EOutOfResources("Not enough timers available");
    mouseTimer_ = id;
}

void TZCLBaseEdit::StopMouseTimer()
{
    if (mouseTimer_ == -1) return;
    const auto id = std::uint16_t(mouseTimer_);
    mouseTimer_ = -1;
    if (TZCLApplication* app = TZCLApplicationRef::Get()) app->RemoveTimer(id);
}

void TZCLBaseEdit::MouseTimer(TObject*)
{
    if (leftDown_ && !dragging_) MouseTo(lastMouse_.x, lastMouse_.y);
}

void TZCLBaseEdit::MouseTo(int X, int Y) { MoveCursor(CalcMousePos(TPoint(X, Y)), mouseSelecting_); }

void TZCLBaseEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TZCLCustomBevelPanel::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    // The selection the press found: not the one AutoSelect makes when the press brings the focus, which would
    // turn every first press into a drag of the whole text.
    const int heldStart = selStart_, heldLength = selLength_;
    if (!Focused() && CanFocus()) SetFocus();
    SyncModifiers(Shift);
    lastMouse_ = TPoint(X, Y);
    if (Shift.Contains(ssDouble)) {
        // The word is the selection: moves of the hand before the button comes up do not undo it.
        leftDown_ = false;
        if (mouseSelection_) SelectCurrentWord();
        return;
    }
    leftDown_ = true;
    StartMouseTimer();
    const int p = CalcMousePos(lastMouse_);
    if (dragEnabled_ && heldLength > 0 && selLength_ > 0 && p > heldStart && p < heldStart + heldLength) {
        dragging_ = true;
        savedCursor_ = Screen->Cursor();
        Screen->SetCursor(dragCursor_);
        return;
    }
    mouseSelecting_ = false;
    MoveCursor(p, mouseSelection_ && Shift.Contains(ssShift));
    mouseSelecting_ = mouseSelection_;
}

void TZCLBaseEdit::MouseMove(TShiftState Shift, int X, int Y)
{
    TZCLCustomBevelPanel::MouseMove(Shift, X, Y);
    if (!leftDown_) return;
    lastMouse_ = TPoint(X, Y);
    if (!dragging_) MouseTo(X, Y);
}

void TZCLBaseEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TZCLCustomBevelPanel::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) {
        StopMouseTimer();
        const bool wasDown = leftDown_;
        leftDown_ = false;
        mouseSelecting_ = false;
        if (wasDown && dragging_) EndDrag(X, Y);
    } else if (Button == mbRight && Enabled() && !PopupMenu()) {
        ShowContextMenu(X, Y);
    }
}

void TZCLBaseEdit::EndDrag(int X, int Y)
{
    dragging_ = false;
    Screen->SetCursor(savedCursor_);
    int p = CalcMousePos(TPoint(X, Y));
    const int start = selStart_, length = selLength_;
    if (p >= start && p <= start + length) {
        SetSelection(p, 0, true);
        prevCursorPos_ = cursorPos_;
        cursorPos_ = selStart_;
        CursorPosChanged();
        if (Focused()) SetCaret();
        return;
    }
    const AnsiString moved = GetSelText();
    if (!ReplaceSelection(AnsiString())) return;
    if (p > start) p -= length;
    p = OffLineFeed(std::clamp(p, 1, text_.Length() + 1), -1);
    SetSelection(p, 0, false);
    cursorPos_ = p;
    if (!ReplaceSelection(moved)) {
        // The text may not go there: it goes back where it was.
        Undo();
        return;
    }
    SetSelection(p, moved.Length(), true);
    if (Focused()) SetCaret();
}

void TZCLBaseEdit::MouseEnter()
{
    TZCLCustomBevelPanel::MouseEnter();
    if (focusOnMouseAbove_ && Enabled() && !Focused() && CanFocus()) SetFocus();
}

// ---------------------------------------------------------------------------------------------------------------
// Context menu

void TZCLBaseEdit::MenuUndo(TObject*) { Undo(); }
void TZCLBaseEdit::MenuCut(TObject*) { CutToClipboard(); }
void TZCLBaseEdit::MenuCopy(TObject*) { CopyToClipboard(); }
void TZCLBaseEdit::MenuPaste(TObject*) { PasteFromClipboard(); }
void TZCLBaseEdit::MenuDelete(TObject*) { ClearSelection(); }
void TZCLBaseEdit::MenuSelectAll(TObject*) { SelectAll(); }

void TZCLBaseEdit::ShowContextMenu(int X, int Y)
{
    TPopupMenu menu(nullptr);
    auto add = [&](const AnsiString& caption, bool enabled, void (TZCLBaseEdit::*click)(TObject*)) {
        auto* item = new TMenuItem(nullptr);
        item->SetCaption(caption);
        item->SetEnabled(enabled);
        if (click) item->SetOnClick(TNotifyEvent(this, click));
        menu.Items()->Add(item);
    };
    const bool selected = selLength_ > 0;
    // A password edit hands nothing to the clipboard and takes nothing from it: no item says otherwise.
    const bool clipboard = AllowCopyPaste();
    add(ZCLLoadResString(_IDS_UNDO), canUndo_, &TZCLBaseEdit::MenuUndo);
    add(cLineCaption, true, nullptr);
    add(ZCLLoadResString(_IDS_CUT), clipboard && selected && !readOnly_, &TZCLBaseEdit::MenuCut);
    add(ZCLLoadResString(_IDS_COPY), clipboard && selected, &TZCLBaseEdit::MenuCopy);
    add(ZCLLoadResString(_IDS_INSERT), clipboard && Clipboard()->HasFormat(CF_TEXT) && !readOnly_,
        &TZCLBaseEdit::MenuPaste);
    add(ZCLLoadResString(_IDS_DELETE), selected, &TZCLBaseEdit::MenuDelete);
    add(cLineCaption, true, nullptr);
    add(ZCLLoadResString(_IDS_SELECTALL), !text_.IsEmpty(), &TZCLBaseEdit::MenuSelectAll);
    const TPoint at = ClientToScreen(TPoint(X, Y));
    menu.SetPopupComponent(this);
    menu.Popup(at.x, at.y);
    Application->ProcessMessages();
}

// ---------------------------------------------------------------------------------------------------------------
// Focus

void TZCLBaseEdit::WMSetFocus(TMessage& Message)
{
    TZCLCustomBevelPanel::Dispatch(Message);
    if (caret_->Style() == csDefault) caret_->SetTextHeight(std::uint16_t(RowHeight("Qp")));
    if (!caret_->Built()) caret_->BuildCaret();
    if (autoSelect_) SetSelection(1, text_.Length(), false);
    selectionHidden_ = false;
    Redraw();
    SetCaret();
    caret_->Enable();
}

void TZCLBaseEdit::WMKillFocus(TMessage& Message)
{
    TZCLCustomBevelPanel::Dispatch(Message);
    if (leftDown_) {
        StopMouseTimer();
        leftDown_ = false;
        mouseSelecting_ = false;
        if (dragging_) {
            dragging_ = false;
            Screen->SetCursor(savedCursor_);
        }
    }
    const bool wasHidden = selectionHidden_;
    selectionHidden_ = hideSelection_;
    if (selLength_ > 0 && wasHidden != selectionHidden_) Redraw();
    caret_->DestroyCaret();
}

void TZCLBaseEdit::SetHideSelection(bool Value)
{
    if (Value == hideSelection_) return;
    hideSelection_ = Value;
    if (Focused()) return;
    selectionHidden_ = Value;
    if (selLength_ > 0) Redraw();
}
