// The edit engine's text model: the text, the cursor and the selection, the one path that changes the text,
// undo and redo, words and lines, searching, and the redrawing that follows a change.

#include "zcl/edits/Zclbaseedit.h"

#include <algorithm>
#include <cstring>

#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Menus.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/containers/Zcldynlifobuffer.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclconst.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool baseEditPublished = [] {
    using E = TZCLBaseEdit;
    PublishedProperties<E>()
        .String("About", &E::About, &E::SetAbout)
        .Object("BackFX", &E::BackFX, nullptr)
        .Integer("HighlightBack", &E::HighlightBack, &E::SetHighlightBack, int(clHighlight))
        .Integer("HighlightText", &E::HighlightText, &E::SetHighlightText, int(clHighlightText))
        .Object("Bevel", &E::Bevel, &E::SetBevel)
        .Boolean("FocusOnMouseAbove", &E::FocusOnMouseAbove, &E::SetFocusOnMouseAbove, false)
        .Object("Caret", &E::Caret, [](E* e, TZCLCaret* v) { e->SetCaret(v); })
        .Integer("Color", &E::Color, &E::SetColor, int(clWhite))
        .Boolean("Ctl3D", &E::Ctl3D, &E::SetCtl3D, true)
        .Integer("Cursor", &E::Cursor, &E::SetCursor, int(crIBeam))
        .Integer("DragCursor", &E::DragCursor, &E::SetDragCursor, int(crDrag))
        .Boolean("Enabled", &E::Enabled, &E::SetEnabled, true)
        .Boolean("Flat", &E::Flat, &E::SetFlat, false)
        .Integer("Height", &E::Height, &E::SetHeight)
        .String("Hint", &E::Hint, &E::SetHint)
        .Object("ImageList", &E::ImageList, &E::SetImageList)
        .Integer("ImageIndex", &E::ImageIndex, [](E* e, int v) { e->SetIndex(0, v); }, 0)
        .Integer("Left", &E::Left, &E::SetLeft)
        .Integer("ListIndex", &E::ListIndex, &E::SetListIndex, 0)
        .Boolean("ParentColor", &E::ParentColor, &E::SetParentColor, false)
        .Boolean("ParentCtl3D", &E::ParentCtl3D, &E::SetParentCtl3D, true)
        .Boolean("ParentShowHint", &E::ParentShowHint, &E::SetParentShowHint, true)
        .Object("PopupMenu", &E::PopupMenu, &E::SetPopupMenu)
        .Boolean("ShowHint", &E::ShowHint, &E::SetShowHint, false)
        .Integer("TabOrder", &E::TabOrder, &E::SetTabOrder)
        .Boolean("TabStop", &E::TabStop, &E::SetTabStop, true)
        .Integer("Tag", &E::Tag, &E::SetTag, 0)
        .Integer("Top", &E::Top, &E::SetTop)
        .Boolean("Transparent", &E::Transparent, &E::SetTransparent, false)
        .Boolean("Visible", &E::Visible, &E::SetVisible, true)
        .Integer("Width", &E::Width, &E::SetWidth)
        .Event("OnCursorPosChanged", &E::OnCursorPosChanged, &E::SetOnCursorPosChanged)
        .Event("OnTextChangedAt", &E::OnTextChangedAt, &E::SetOnTextChangedAt)
        .Event("OnChange", &E::OnChange, &E::SetOnChange)
        .Event("OnModified", &E::OnModified, &E::SetOnModified)
        .Event("OnClick", &E::OnClick, &E::SetOnClick)
        .Event("OnDblClick", &E::OnDblClick, &E::SetOnDblClick)
        .Event("OnEnter", &E::OnEnter, &E::SetOnEnter)
        .Event("OnExit", &E::OnExit, &E::SetOnExit)
        .Event("OnKeyDown", &E::OnKeyDown, &E::SetOnKeyDown)
        .Event("OnKeyPress", &E::OnKeyPress, &E::SetOnKeyPress)
        .Event("OnKeyUp", &E::OnKeyUp, &E::SetOnKeyUp)
        .Event("OnMouseDown", &E::OnMouseDown, &E::SetOnMouseDown)
        .Event("OnMouseMove", &E::OnMouseMove, &E::SetOnMouseMove)
        .Event("OnMouseUp", &E::OnMouseUp, &E::SetOnMouseUp)
        .Event("OnMouseWheel", &E::OnMouseWheel, &E::SetOnMouseWheel)
        .Event("OnAfterEnter", &E::OnAfterEnter, &E::SetOnAfterEnter)
        .Event("OnAfterExit", &E::OnAfterExit, &E::SetOnAfterExit)
        .Event("OnMouseEnter", &E::OnMouseEnter, &E::SetOnMouseEnter)
        .Event("OnMouseExit", &E::OnMouseExit, &E::SetOnMouseExit);
    return true;
}();

}  // namespace

// One text change: what was put in, what it replaced, and the selection and cursor before it.
struct TZCLBaseEdit::UndoRecord {
    AnsiString inserted;
    AnsiString replaced;
    int selStart;
    int selLength;
    int insertedLength;
    int cursorPos;
};

TZCLBaseEdit::TZCLBaseEdit(TComponent* AOwner)
    : TZCLCustomBevelPanel(AOwner),
      caret_(std::make_unique<TZCLCaret>(this)),
      font3D_(std::make_unique<TZCL3DCaption>()),
      undoBuffer_(std::make_unique<TZCLDynLIFOBuffer>()),
      redoBuffer_(std::make_unique<TZCLDynLIFOBuffer>())
{
    font3D_->SetOnChange(TNotifyEvent(this, &TZCLBaseEdit::GetChange));
    undoBuffer_->SetOnDestroyItem(TZCLBufferItemEvent(this, &TZCLBaseEdit::DestroyRecord));
    redoBuffer_->SetOnDestroyItem(TZCLBufferItemEvent(this, &TZCLBaseEdit::DestroyRecord));
    SetBounds(Left(), Top(), Width(), 21);
    Bevel()->SetMode(bmWindows);
    SetCursor(crIBeam);
    SetColor(clWhite);
    SetTabStop(true);
    SetupRects();
}

TZCLBaseEdit::~TZCLBaseEdit()
{
    StopMouseTimer();
    font3D_->SetOnChange(TNotifyEvent());
    // The records go while the edit's destroy callback can still be reached.
    undoBuffer_->Clear();
    redoBuffer_->Clear();
}

void TZCLBaseEdit::DestroyRecord(TObject*, void* Item) { delete static_cast<UndoRecord*>(Item); }

// ---------------------------------------------------------------------------------------------------------------
// Text

AnsiString TZCLBaseEdit::GetText() const { return GetNewText(); }

void TZCLBaseEdit::SetTextValue(const AnsiString& Value) { SetText(Value); }

void TZCLBaseEdit::SetText(const AnsiString& Value)
{
    if (Value == text_) return;
    SetTextInternal(Value);
}

void TZCLBaseEdit::SetTextInternal(const AnsiString& Value)
{
    text_ = maxLength_ > 0 && Value.Length() > maxLength_ ? Value.SubString(1, maxLength_) : Value;
    // The recorded positions belong to the old text: undoing one of them now would mix the two.
    ClearUndo();
    prevCursorPos_ = cursorPos_;
    cursorPos_ = 1;
    selStart_ = 1;
    selLength_ = 0;
    SetNewText();
    SyncWindowText();
}

void TZCLBaseEdit::SyncWindowText()
{
    // Straight into the window's own store: no WM_SETTEXT comes back to the engine.
    if (!HandleAllocated()) return;
    const AnsiString shown = WindowText();
    DefWindowProcA(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
}

void TZCLBaseEdit::Add(const AnsiString& Value) { SetText(text_ + Value); }

AnsiString TZCLBaseEdit::GetSelText() const { return text_.SubString(selStart_, selLength_); }

void TZCLBaseEdit::SetSelText(const AnsiString& Value) { ReplaceSelection(Value); }

void TZCLBaseEdit::SetSelTextBuf(const char* Buffer) { ReplaceSelection(Buffer ? AnsiString(Buffer) : AnsiString()); }

int TZCLBaseEdit::GetSelTextBuf(char* Buffer, int Size)
{
    if (!Buffer || Size <= 0) return 0;
    const int n = std::min(selLength_, Size - 1);
    std::memcpy(Buffer, text_.c_str() + (selStart_ - 1), std::size_t(n));
    Buffer[n] = '\0';
    return n;
}

bool TZCLBaseEdit::AllowedOperation(const AnsiString&) { return !readOnly_; }

bool TZCLBaseEdit::ReplaceSelection(AnsiString Value)
{
    if (!AllowedOperation(Value)) return false;
    if (oemConvert_ && !Value.IsEmpty()) {
        CharToOemBuffA(Value.c_str(), Value.data(), DWORD(Value.Length()));
        OemToCharBuffA(Value.c_str(), Value.data(), DWORD(Value.Length()));
    }
    BeforeChangeText();

    // The span that goes: off the middle of a CR LF pair, and in overwrite mode the character (or pair) at the
    // cursor; the undo record is made of this final span, so that undoing brings back all of it.
    const int length = text_.Length();
    int start = selLength_ > 0 ? selStart_ : cursorPos_;
    int end = start + selLength_;
    if (end > 1 && end <= length && text_[end - 1] == '\r' && text_[end] == '\n') ++end;
    if (start > 1 && start <= length && text_[start] == '\n' && text_[start - 1] == '\r') --start;
    if (end == start && overwriteInput_ && !ZCLApplication->EditMode().Contains(emInsert) && start <= length)
        end = start + ((text_[start] == '\r' && text_[start + 1] == '\n') ? 2 : 1);

    const AnsiString savedText = text_;
    const int savedStart = selStart_, savedLength = selLength_, savedCursor = cursorPos_;
    const AnsiString removed = text_.SubString(start, end - start);
    HandleReplaceText(start, removed);
    text_.Delete(start, end - start);
    selStart_ = start;
    selLength_ = 0;
    const bool offered = !Value.IsEmpty();
    HandleInsertText(start, Value);
    // A text the edit's type turns away is refused whole: what it would have replaced stays too.
    const bool turnedAway = offered && Value.IsEmpty();
    const int newLength = text_.Length() + Value.Length();
    // A change that would pass MaxLength is refused whole (no part of it is inserted); one that does not make
    // the text longer is always let through, so an over-long text can still be shortened.
    const bool tooLong = maxLength_ > 0 && newLength > maxLength_ && newLength > length;
    if (tooLong || turnedAway || (removed.IsEmpty() && Value.IsEmpty())) {
        text_ = savedText;
        selStart_ = savedStart;
        selLength_ = savedLength;
        cursorPos_ = savedCursor;
        return false;
    }

    PutUndo(new UndoRecord{Value, removed, start, end - start, Value.Length(), savedCursor});
    text_.Insert(Value, start);
    SetModified(true);
    prevCursorPos_ = cursorPos_;
    cursorPos_ = std::clamp(start + Value.Length(), 1, text_.Length() + 1);
    selStart_ = cursorPos_;
    selLength_ = 0;
    ChangedText(start);
    CursorPosChanged();
    if (Focused()) SetCaret();
    return true;
}

void TZCLBaseEdit::PutUndo(UndoRecord* Record)
{
    if (undoInProgress_) {
        if (redoBuffer_->Put(Record))
            canRedo_ = true;
        else
            delete Record;
        return;
    }
    if (undoBuffer_->Put(Record))
        canUndo_ = true;
    else
        delete Record;
    if (!redoInProgress_) {
        redoBuffer_->Clear();
        canRedo_ = false;
    }
}

void TZCLBaseEdit::SetModified(bool Value)
{
    if (Value == modified_) return;
    modified_ = Value;
    if (onModified_) onModified_(this);
}

void TZCLBaseEdit::ChangedText(int At)
{
    Redraw(At);
    // Other programs read the window's own text: it follows every change, not only a whole new text.
    SyncWindowText();
    if (ComponentState().Contains(csLoading)) return;
    if (onTextChangedAt_) onTextChangedAt_(this, At);
    if (onChange_) onChange_(this);
}

void TZCLBaseEdit::CursorPosChanged()
{
    if (onCursorPosChanged_) onCursorPosChanged_(this);
}

// ---------------------------------------------------------------------------------------------------------------
// Cursor and selection

int TZCLBaseEdit::OffLineFeed(int Position, int Direction) const
{
    if (Position > 1 && Position <= text_.Length() && text_[Position] == '\n' && text_[Position - 1] == '\r')
        return Position + (Direction < 0 ? -1 : 1);
    return Position;
}

bool TZCLBaseEdit::ExtendByShift() const
{
    return mouseSelecting_ || (mouseSelection_ && ZCLApplication->EditMode().Contains(emShift));
}

void TZCLBaseEdit::SetCursorPos(int Value) { MoveCursor(Value, ExtendByShift()); }

void TZCLBaseEdit::MoveCursor(int Value, bool Extend)
{
    const int oldStart = selStart_, oldLength = selLength_;
    const int previous = cursorPos_;
    int position = std::clamp(Value, 1, text_.Length() + 1);
    position = OffLineFeed(position, position >= previous ? 1 : -1);
    prevCursorPos_ = previous;
    cursorPos_ = position;
    if (!charInput_ && !dragging_) AdjustSelection(previous, position, Extend);
    CursorPosChanged();
    RedrawSelection(oldStart, oldLength);
    if (Focused()) SetCaret();
}

void TZCLBaseEdit::AdjustSelection(int Previous, int Current, bool Extend)
{
    if (!Extend) {
        selStart_ = Current;
        selLength_ = 0;
        return;
    }
    if (selLength_ == 0) {
        selStart_ = std::min(Previous, Current);
        selLength_ = std::abs(Current - Previous);
        return;
    }
    int a = selStart_, b = selStart_ + selLength_;
    // The end the cursor came from follows it.
    const bool fromStart = Previous == a || (Previous != b && std::abs(Previous - a) < std::abs(Previous - b));
    (fromStart ? a : b) = Current;
    if (a > b) std::swap(a, b);
    selStart_ = a;
    selLength_ = b - a;
}

void TZCLBaseEdit::RedrawSelection(int OldStart, int OldLength)
{
    if (OldStart == selStart_ && OldLength == selLength_) return;
    if (OldLength == 0 && selLength_ == 0) return;
    Redraw(std::min(OldStart, selStart_));
}

void TZCLBaseEdit::SetSelection(int Start, int Length, bool Redraw)
{
    const int oldStart = selStart_, oldLength = selLength_;
    const int textLength = text_.Length();
    int a = std::clamp(Start, 1, textLength + 1);
    int b = std::clamp(Start + std::max(Length, 0), a, textLength + 1);
    a = OffLineFeed(a, -1);
    b = OffLineFeed(b, 1);
    selStart_ = a;
    selLength_ = b - a;
    if (Redraw) RedrawSelection(oldStart, oldLength);
}

void TZCLBaseEdit::SetSelStart(int Value)
{
    SetSelection(Value, 0, false);
    prevCursorPos_ = cursorPos_;
    cursorPos_ = selStart_;
    CursorPosChanged();
    Redraw();
    if (Focused()) SetCaret();
}

void TZCLBaseEdit::SetSelLength(int Value)
{
    SetSelection(selStart_, Value, true);
    if (selLength_ == 0 && cursorPos_ != selStart_) {
        prevCursorPos_ = cursorPos_;
        cursorPos_ = selStart_;
        CursorPosChanged();
        if (Focused()) SetCaret();
    }
}

void TZCLBaseEdit::SelectAll() { SetSelection(1, text_.Length(), true); }

void TZCLBaseEdit::ClearSelection()
{
    if (selLength_ > 0) ReplaceSelection(AnsiString());
}

void TZCLBaseEdit::Clear()
{
    SelectAll();
    ClearSelection();
}

// ---------------------------------------------------------------------------------------------------------------
// Undo and redo

bool TZCLBaseEdit::StepUndo(TZCLDynLIFOBuffer* From, bool IsRedo)
{
    auto* record = static_cast<UndoRecord*>(From->Get());
    if (!record) return false;
    std::unique_ptr<UndoRecord> owned(record);
    const int oldStart = selStart_, oldLength = selLength_, oldCursor = cursorPos_;
    selStart_ = std::clamp(record->selStart, 1, text_.Length() + 1);
    selLength_ = std::clamp(record->insertedLength, 0, text_.Length() + 1 - selStart_);
    // A deletion put nothing in: its text goes back at its own place, wherever the cursor is now.
    cursorPos_ = selStart_;
    bool& flag = IsRedo ? redoInProgress_ : undoInProgress_;
    flag = true;
    const bool done = ReplaceSelection(record->replaced);
    flag = false;
    if (!done) {
        // Refused (read-only now, say): the step stays to be undone later.
        From->Put(owned.release());
        selStart_ = oldStart;
        selLength_ = oldLength;
        cursorPos_ = oldCursor;
        return false;
    }
    prevCursorPos_ = cursorPos_;
    cursorPos_ = std::clamp(record->cursorPos, 1, text_.Length() + 1);
    SetSelection(record->selStart, record->replaced.Length(), false);
    CursorPosChanged();
    Redraw();
    if (Focused()) SetCaret();
    return true;
}

void TZCLBaseEdit::Undo()
{
    if (!canUndo_ || undoBuffer_->isEmpty()) return;
    StepUndo(undoBuffer_.get(), false);
    if (undoBuffer_->isEmpty()) canUndo_ = false;
}

void TZCLBaseEdit::Redo()
{
    if (!canRedo_ || redoBuffer_->isEmpty()) return;
    StepUndo(redoBuffer_.get(), true);
    if (redoBuffer_->isEmpty()) canRedo_ = false;
}

void TZCLBaseEdit::ClearUndo()
{
    redoBuffer_->Clear();
    undoBuffer_->Clear();
    canRedo_ = false;
}

void TZCLBaseEdit::EmptyUndoBuffer()
{
    undoBuffer_->Clear();
    canUndo_ = false;
}

// ---------------------------------------------------------------------------------------------------------------
// Words and lines

bool TZCLBaseEdit::IsDelimiter(int Position) const
{
    return Position >= 1 && Position <= text_.Length() && delimiters_.Contains(text_[Position]);
}

void TZCLBaseEdit::GotoParaStart()
{
    int p = cursorPos_;
    while (p > 1 && text_[p - 1] != '\n') --p;
    SetCursorPos(p);
}

void TZCLBaseEdit::GotoParaEnd()
{
    int p = cursorPos_;
    while (p <= text_.Length() && text_[p] != '\r') ++p;
    SetCursorPos(p);
}

void TZCLBaseEdit::GotoNextWord()
{
    int p = cursorPos_;
    const int length = text_.Length();
    while (p <= length && IsDelimiter(p)) ++p;
    while (p <= length && !IsDelimiter(p)) ++p;
    SetCursorPos(p);
}

void TZCLBaseEdit::GotoPrevWord()
{
    int p = cursorPos_;
    while (p > 1 && IsDelimiter(p - 1)) --p;
    while (p > 1 && !IsDelimiter(p - 1)) --p;
    SetCursorPos(p);
}

void TZCLBaseEdit::SelectLeftWord()
{
    int p = cursorPos_;
    while (p > 1 && IsDelimiter(p - 1)) --p;
    while (p > 1 && !IsDelimiter(p - 1)) --p;
    MoveCursor(p, true);
}

void TZCLBaseEdit::SelectRightWord()
{
    int p = cursorPos_;
    const int length = text_.Length();
    while (p <= length && IsDelimiter(p)) ++p;
    while (p <= length && !IsDelimiter(p)) ++p;
    MoveCursor(p, true);
}

void TZCLBaseEdit::SelectCurrentWord()
{
    int a = cursorPos_, b = cursorPos_;
    while (a > 1 && !IsDelimiter(a - 1)) --a;
    while (b <= text_.Length() && !IsDelimiter(b)) ++b;
    SetSelection(a, b - a, true);
    prevCursorPos_ = cursorPos_;
    cursorPos_ = selStart_ + selLength_;
    CursorPosChanged();
    if (Focused()) SetCaret();
}

AnsiString TZCLBaseEdit::GetCurrentWord() const
{
    int a = cursorPos_, b = cursorPos_;
    while (a > 1 && !IsDelimiter(a - 1)) --a;
    while (b <= text_.Length() && !IsDelimiter(b)) ++b;
    return text_.SubString(a, b - a);
}

int TZCLBaseEdit::CountWords() const
{
    int words = 0;
    bool inWord = false;
    for (int i = 1; i <= text_.Length(); ++i) {
        const bool delimiter = delimiters_.Contains(text_[i]);
        if (!delimiter && !inWord) ++words;
        inWord = !delimiter;
    }
    return words;
}

// ---------------------------------------------------------------------------------------------------------------
// Convenience operations

void TZCLBaseEdit::Insert(int At, const AnsiString& Value)
{
    SetSelection(At, 0, false);
    cursorPos_ = selStart_;
    ReplaceSelection(Value);
}

void TZCLBaseEdit::Replace(int At, int Length, const AnsiString& Value)
{
    const int oldStart = selStart_, oldLength = selLength_;
    SetSelection(At, Length, false);
    // At the given place even when the span is empty: the cursor may stand anywhere.
    const int oldCursor = cursorPos_;
    cursorPos_ = selStart_;
    if (!ReplaceSelection(Value)) cursorPos_ = oldCursor;
    SetSelection(oldStart, oldLength, true);
}

AnsiString TZCLBaseEdit::Copy(int At, int Length) const
{
    if (At < 1 || Length <= 0) return AnsiString();
    return text_.SubString(At, Length);
}

AnsiString TZCLBaseEdit::Cut(int At, int Length)
{
    const AnsiString part = Copy(At, Length);
    if (part.IsEmpty()) return part;
    const int oldStart = selStart_, oldLength = selLength_;
    SetSelection(At, Length, false);
    // The span may have been widened off a CR LF middle.
    const AnsiString removed = GetSelText();
    if (!ReplaceSelection(AnsiString())) {
        SetSelection(oldStart, oldLength, true);
        return AnsiString();
    }
    return removed;
}

void TZCLBaseEdit::Upper(int At, int Length)
{
    const AnsiString part = Copy(At, Length);
    if (!part.IsEmpty()) Replace(At, part.Length(), AnsiUpperCase(part));
}

void TZCLBaseEdit::Lower(int At, int Length)
{
    const AnsiString part = Copy(At, Length);
    if (!part.IsEmpty()) Replace(At, part.Length(), AnsiLowerCase(part));
}

// ---------------------------------------------------------------------------------------------------------------
// Searching

int TZCLBaseEdit::FindFrom(const AnsiString& Find, int From, bool CaseSensitive, bool WholeWord,
                           TZCLSearchDirection Dir, int Limit) const
{
    const int n = Find.Length();
    const int last = text_.Length() - n + 1;
    const AnsiString text = CaseSensitive ? text_ : AnsiUpperCase(text_);
    const AnsiString find = CaseSensitive ? Find : AnsiUpperCase(Find);
    const int step = Dir == sdDown ? 1 : -1;
    for (int p = From; Dir == sdDown ? p <= std::min(last, Limit) : p >= std::max(1, Limit); p += step) {
        if (p < 1 || p > last) continue;
        if (std::memcmp(text.c_str() + (p - 1), find.c_str(), std::size_t(n)) != 0) continue;
        // A whole word has a delimiter (or the text's end) on each side.
        if (WholeWord && ((p > 1 && !IsDelimiter(p - 1)) || (p + n <= text_.Length() && !IsDelimiter(p + n))))
            continue;
        return p;
    }
    return 0;
}

int TZCLBaseEdit::SearchPosition(const AnsiString& Find, TZCLSearchStart Start, bool CaseSensitive,
                                 bool WholeWord, TZCLSearchDirection Direction, const AnsiString& Title, bool Ask,
                                 int& Origin)
{
    const int n = Find.Length();
    const int last = text_.Length() - n + 1;
    int from;
    switch (Start) {
    case stTop: from = 1; break;
    case stBottom: from = Direction == sdDown ? text_.Length() + 1 : last; break;
    default:
        if (Direction == sdDown) {
            from = cursorPos_;
            // A match selected at the cursor is the last one found: go on after it.
            if (selStart_ == cursorPos_ && selLength_ == n &&
                FindFrom(Find, cursorPos_, CaseSensitive, WholeWord, sdDown, cursorPos_) == cursorPos_)
                ++from;
        } else {
            from = std::min(cursorPos_ - 1, last);
        }
        break;
    }
    Origin = from;
    const int limit = Direction == sdDown ? text_.Length() : 1;
    if (int p = FindFrom(Find, from, CaseSensitive, WholeWord, Direction, limit)) return p;
    if (!Ask) return 0;
    const AnsiString question = ZCLLoadResString(Direction == sdDown ? _IDS_SEARCHMSG2 : _IDS_SEARCHMSG1);
    if (Application->MessageBox(question, Title, MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
    // Once round: from the other end back to where the search began.
    if (Direction == sdDown) return FindFrom(Find, 1, CaseSensitive, WholeWord, sdDown, from - 1);
    return FindFrom(Find, last, CaseSensitive, WholeWord, sdUp, from + 1);
}

bool TZCLBaseEdit::Search(const AnsiString& Find, TZCLSearchStart Start, bool CaseSensitive, bool WholeWord,
                          TZCLSearchDirection Direction)
{
    if (Find.IsEmpty()) return false;
    int origin = 0;
    const int p = SearchPosition(Find, Start, CaseSensitive, WholeWord, Direction, ZCLLoadResString(_IDS_SEARCH),
                                 true, origin);
    if (!p) return false;
    prevCursorPos_ = cursorPos_;
    cursorPos_ = p;
    SetSelection(p, Find.Length(), true);
    CursorPosChanged();
    Redraw();
    if (Focused()) SetCaret();
    return true;
}

int TZCLBaseEdit::SearchAndReplace(const AnsiString& Find, TZCLSearchStart Start, bool CaseSensitive,
                                   bool WholeWord, TZCLSearchDirection Direction, const AnsiString& ReplaceWith,
                                   bool ReplaceAll, bool AskRestart)
{
    if (Find.IsEmpty()) return 0;
    const AnsiString title = ZCLLoadResString(_IDS_REPLACE);
    auto restart = [&](const TZCLResStringRec& question) {
        return AskRestart &&
               Application->MessageBox(ZCLLoadResString(question), title, MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    int origin = 0;
    int p = SearchPosition(Find, Start, CaseSensitive, WholeWord, Direction, title, AskRestart, origin);
    const int n = Find.Length(), r = ReplaceWith.Length();
    // Past the end and round again: only up to where the search began, and never into a replacement made.
    bool wrapped = p && (Direction == sdDown ? p < origin : p > origin);
    // Down: where the first replacement before the end begins; up: where it ends.
    int first = 0;
    bool barrier = false;
    int count = 0;
    while (p) {
        SetSelection(p, n, false);
        cursorPos_ = selStart_;
        if (!ReplaceSelection(ReplaceWith)) break;
        if (count++ == 0 && !wrapped) {
            first = Direction == sdDown ? p : p + r;
            barrier = true;
        }
        if (!ReplaceAll) break;
        if (Direction == sdDown) {
            // A replacement before the beginning moves the beginning along.
            if (wrapped) {
                origin += r - n;
                if (barrier) first += r - n;
            }
            const int end = barrier ? std::min(origin - 1, first - n) : origin - 1;
            const int limit = wrapped ? end : text_.Length();
            p = FindFrom(Find, p + r, CaseSensitive, WholeWord, sdDown, limit);
            if (!p && !wrapped && origin > 1 && restart(_IDS_SEARCHMSG2)) {
                wrapped = true;
                p = FindFrom(Find, 1, CaseSensitive, WholeWord, sdDown, barrier ? std::min(origin - 1, first - n) : origin - 1);
            }
        } else {
            // Every later replacement before the end lies before the first one and the beginning.
            if (!wrapped) {
                origin += r - n;
                if (count > 1) first += r - n;
            }
            const int limit = wrapped ? std::max(origin + 1, first) : 1;
            p = FindFrom(Find, p - n, CaseSensitive, WholeWord, sdUp, limit);
            if (!p && !wrapped && restart(_IDS_SEARCHMSG1)) {
                wrapped = true;
                p = FindFrom(Find, text_.Length() - n + 1, CaseSensitive, WholeWord, sdUp,
                             std::max(origin + 1, first));
            }
        }
    }
    return count;
}

// ---------------------------------------------------------------------------------------------------------------
// Updating

void TZCLBaseEdit::EndUpdate()
{
    if (updateCount_ > 0) --updateCount_;
    if (updateCount_ == 0) {
        Redraw();
        if (Focused()) SetCaret();
    }
}
