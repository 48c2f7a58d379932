#pragma once
// The library's text-editing engine, drawn by the library itself: it keeps its own text, cursor, selection and
// undo and redo stacks, draws the text with a 3D font effect and its own selection colours, and answers the
// system edit control's messages, so that code written against a system edit box also works with it. Where the
// text goes on the screen (alignment, masking, the caret's place, which character the mouse is over) is left
// to descendants.
//
// Positions are 1-based: position n lies before the n-th character, Length + 1 is the end. The text may hold
// CR LF pairs; neither the cursor nor a selection boundary is ever left between the CR and the LF.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Closure.h"
#include "framework/runtime/Sets.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Graphics.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/edits/Zclcaret.h"
#include "zcl/panels/Zclcustombevelpanel.h"

class TZCL3DCaption;
class TZCLDynLIFOBuffer;

// The characters that end words.
using TZCLDelimiters = TSet<char, 256>;
enum TZCLSearchStart : std::uint8_t { stTop, stBottom, stCursor };
enum TZCLSearchDirection : std::uint8_t { sdUp, sdDown };
using TZCLTextChangeEvent = Closure<void(TObject* Sender, int At)>;

class TZCLBaseEdit : public TZCLCustomBevelPanel {
public:
    // Height 21, the window's own border, an I-beam, white, a tab stop; empty text, cursor 1.
    explicit TZCLBaseEdit(TComponent* AOwner);
    ~TZCLBaseEdit() override;

    // Text and selection --------------------------------------------------------------------------------------
    // The text as the control gives it out (Text, WM_GETTEXT).
    AnsiString GetText() const override;
    // Not for an equal text. The text, cut to MaxLength, replaces the old one: cursor 1, no selection, no undo
    // step, the undo history cleared (its positions no longer fit).
    void SetText(const AnsiString& Value);
    AnsiString GetSelText() const;
    AnsiString SelText() const { return GetSelText(); }
    // Replaces the selection: the one path of every change of the text (typing, deleting, pasting, undo, redo,
    // dropping). A change that would make the text longer than MaxLength is refused whole.
    void SetSelText(const AnsiString& Value);
    // 1-based; a start is kept off the middle of a CR LF pair.
    int SelStart() const { return selStart_; }
    void SetSelStart(int Value);
    int SelLength() const { return selLength_; }
    void SetSelLength(int Value);
    // 1..Length + 1.
    int CursorPos() const { return cursorPos_; }
    // Moves the cursor; with Shift (or while the mouse selects) the selection follows, else it collapses.
    void SetCursorPos(int Value);
    int GetLength() const { return text_.Length(); }
    // 0 is unlimited.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int Value) { maxLength_ = Value < 0 ? 0 : Value; }
    bool Modified() const { return modified_; }
    // A change fires OnModified.
    void SetModified(bool Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }

    // Undo and redo -------------------------------------------------------------------------------------------
    void Undo();
    void Redo();
    // Empties both buffers.
    void ClearUndo();
    bool CanUndo() const { return canUndo_; }
    bool CanRedo() const { return canRedo_; }
    // Empties the undo buffer and clears can-undo (EM_EMPTYUNDOBUFFER).
    void EmptyUndoBuffer();

    // Clipboard -----------------------------------------------------------------------------------------------
    void CopyToClipboard();
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();
    // Selects all and deletes it.
    virtual void Clear();
    void ClearSelection();

    // Words, lines and convenience operations ----------------------------------------------------------------
    // SelStart 1, SelLength Length; the cursor stays.
    void SelectAll();
    virtual void SelectCurrentWord();
    // Extend the selection to the word before and after the cursor.
    void SelectLeftWord();
    void SelectRightWord();
    void GotoParaStart();
    void GotoParaEnd();
    void GotoNextWord();
    void GotoPrevWord();
    AnsiString GetCurrentWord() const;
    // The number of words: runs of characters that are not delimiters.
    int CountWords() const;
    // Appends through SetText: no undo step.
    void Add(const AnsiString& Value);
    void Insert(int At, const AnsiString& Value);
    // The span replaced; the selection as it was before.
    void Replace(int At, int Length, const AnsiString& Value);
    // Removes the span (an undo step) and returns it.
    AnsiString Cut(int At, int Length);
    // The span, clipped to the text.
    AnsiString Copy(int At, int Length) const;
    void Upper(int At, int Length);
    void Lower(int At, int Length);
    // Finds the text from the top, the bottom or the cursor, upwards or downwards, and selects it. Run off the
    // end, it asks whether to go on from the other end. From the cursor, a match already selected there is
    // passed over. False when there is none (and for an empty text).
    bool Search(const AnsiString& Find, TZCLSearchStart Start, bool CaseSensitive, bool WholeWord,
                TZCLSearchDirection Direction);
    // As Search, then replaces the match: only the first, or with ReplaceAll each one up to where the search
    // began. Without AskRestart the search ends at the end of the text. The number of replacements.
    int SearchAndReplace(const AnsiString& Find, TZCLSearchStart Start, bool CaseSensitive, bool WholeWord,
                         TZCLSearchDirection Direction, const AnsiString& ReplaceWith, bool ReplaceAll,
                         bool AskRestart);
    // Replaces the selection with the zero-terminated text (none for a null buffer).
    void SetSelTextBuf(const char* Buffer);
    // Copies at most Size - 1 characters of the selection and a zero into Buffer; the characters copied.
    virtual int GetSelTextBuf(char* Buffer, int Size);
    // While updating, neither painting nor text changes redraw; the last EndUpdate redraws.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }
    // The text's width drawn with the 3D font effect; 0 for an empty text.
    int RowWidth(const AnsiString& Value);

    // Options -------------------------------------------------------------------------------------------------
    const AnsiString& About() const { return about_; }
    void SetAbout(const AnsiString& Value) { about_ = Value; }
    TZCLCaret* Caret() const { return caret_.get(); }
    void SetCaret(TZCLCaret* Value) { caret_->Assign(Value); }
    TAlignment Alignment() const { return alignment_; }
    // Scrolls back to the start, then redraws and places the caret.
    void SetAlignment(TAlignment Value);
    TZCL3DCaption* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZCL3DCaption* Value);
    TColor HighlightText() const { return highlightText_; }
    void SetHighlightText(TColor Value);
    TColor HighlightBack() const { return highlightBack_; }
    void SetHighlightBack(TColor Value);
    bool FocusOnMouseAbove() const { return focusOnMouseAbove_; }
    void SetFocusOnMouseAbove(bool Value) { focusOnMouseAbove_ = Value; }
    bool OEMConvert() const { return oemConvert_; }
    void SetOEMConvert(bool Value) { oemConvert_ = Value; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool Value) { autoSelect_ = Value; }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool Value);
    TZCLDelimiters Delimiters() const { return delimiters_; }
    void SetDelimiters(TZCLDelimiters Value) { delimiters_ = Value; }
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase Value) { charCase_ = Value; }
    // Whether the mouse selects, and whether a selection can be dragged to another place.
    bool MouseSelection() const { return mouseSelection_; }
    void SetMouseSelection(bool Value) { mouseSelection_ = Value; }
    bool DragSelection() const { return dragEnabled_; }
    void SetDragSelection(bool Value) { dragEnabled_ = Value; }
    // The screen cursor while a selection is dragged.
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor Value) { dragCursor_ = Value; }
    bool DoubleBuffered() const { return doubleBuffer_; }
    void SetDoubleBuffered(bool Value);
    // The selection is drawn (focused, or HideSelection off).
    bool SelectionShown() const { return !selectionHidden_; }
    // Inner (client less the bevel), paint and text rectangles.
    TRect InnerRect() const { return innerRect_; }
    TRect PaintRect() const { return paintRect_; }
    TRect TextRect() const { return textRect_; }

    TZCLTextChangeEvent OnTextChangedAt() const { return onTextChangedAt_; }
    void SetOnTextChangedAt(TZCLTextChangeEvent Value) { onTextChangedAt_ = Value; }
    TNotifyEvent OnModified() const { return onModified_; }
    void SetOnModified(TNotifyEvent Value) { onModified_ = Value; }
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent Value) { onChange_ = Value; }
    TNotifyEvent OnCursorPosChanged() const { return onCursorPosChanged_; }
    void SetOnCursorPosChanged(TNotifyEvent Value) { onCursorPosChanged_ = Value; }

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;
    void GetChange(TObject* Sender) override;
    void MouseEnter() override;

protected:
    // Layout, left to descendants -----------------------------------------------------------------------------
    // Inner, paint and text rectangles from the client area; ModifyPaintRect and ModifyTextRect come last.
    virtual void SetupRects();
    // Sizes the back bitmap to the control (double buffering).
    virtual void CreateBack();
    virtual int CalcMouseCol(int X, int Y) = 0;
    virtual int CalcMouseRow(int X, int Y) = 0;
    virtual void DoAlignmentChange() {}
    // Places the caret at the cursor (scrolling to it).
    virtual void SetCaret() = 0;
    // Told after the text was set as a whole.
    virtual void SetNewText() = 0;
    virtual AnsiString GetNewText() const = 0;
    // Draws the text again from position At.
    virtual void DrawText(int At) = 0;
    // The position under a point of the control.
    virtual int CalcMousePos(const TPoint& P) = 0;
    // The height of one row of Value: the canvas's text height plus the 3D font's depth.
    virtual int RowHeight(const AnsiString& Value);
    // Fires OnCursorPosChanged.
    virtual void CursorPosChanged();
    // Redraws from At (unless updating) and fires OnTextChangedAt and OnChange (unless loading).
    virtual void ChangedText(int At);
    virtual void BeforeChangeText() {}
    // May change the text about to be inserted at At.
    virtual void HandleInsertText(int At, AnsiString& Value) { (void)At, (void)Value; }
    // Told of the text about to be removed at At.
    virtual void HandleReplaceText(int At, const AnsiString& Value) { (void)At, (void)Value; }
    // The background of R on the surface being drawn: the parent's picture for a transparent edit, else Color.
    virtual void RepaintBack(const TRect& R);
    // Whether the text may be changed (to Value): not when read-only.
    virtual bool AllowedOperation(const AnsiString& Value);
    virtual bool AllowCopyPaste() { return true; }
    virtual void ModifyTextRect(TRect& R) { (void)R; }
    virtual void ModifyPaintRect(TRect& R) { (void)R; }
    // The key commands of a key-down (the modifiers already in the edit-mode set).
    virtual void GetCommandKey(WORD& Key, TShiftState Shift);
    // A character typed.
    virtual void WMChar(TMessage& Message);
    // The text WM_GETTEXT and EM_GETLINE answer with: Text.
    virtual AnsiString AnsweredText() { return GetText(); }
    // The text the window itself keeps, which other programs read without asking the edit: Text.
    virtual AnsiString WindowText() { return text_; }
    // Puts WindowText into the window (after every change of the text, and when the window is made).
    void SyncWindowText();
    // The focus arriving and leaving.
    virtual void WMSetFocus(TMessage& Message);
    virtual void WMKillFocus(TMessage& Message);

    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;
    void Resize() override;
    void CreateWnd() override;
    void SetTextValue(const AnsiString& Value) override;

    // The canvas the text is drawn on now: the back bitmap's while double buffering, else the control's.
    TCanvas* DrawCanvas();
    // A canvas in the control's font for measuring (the back bitmap's), at any time.
    TCanvas* MeasureCanvas();
    TBitmap* BackBuffer() const { return back_.get(); }
    // The canvas to draw on for the length of one DrawText, with font and 3D spacing set.
    TCanvas* BeginDraw();
    // Puts a double buffer's paint rectangle on the screen.
    void EndDraw();
    // Whether the edit can draw now: a window, not updating, loading or going.
    bool CanDraw() const;
    // DrawText when the edit can draw.
    void Redraw(int At = 1)
    {
        if (CanDraw()) DrawText(At);
    }
    bool ShouldDrawSelection() const { return selLength_ > 0 && !selectionHidden_; }
    // The 3D effect's depth, and where its text layer lies relative to the drawing's origin.
    int Depth3D();
    TPoint TextOffset3D() const;
    const AnsiString& EngineText() const { return text_; }
    bool CharInput() const { return charInput_; }
    bool Dragging() const { return dragging_; }
    int PrevCursorPos() const { return prevCursorPos_; }
    int LastLength() const { return lastLength_; }
    void SetLastLength(int Value) { lastLength_ = Value; }

private:
    struct UndoRecord;
    // Replaces the selection; false when refused (nothing changed then).
    bool ReplaceSelection(AnsiString Value);
    void SetTextInternal(const AnsiString& Value);
    void MoveCursor(int Value, bool Extend);
    void AdjustSelection(int Previous, int Current, bool Extend);
    // Keeps a position off the LF of a CR LF pair, stepping towards Direction (-1 or +1).
    int OffLineFeed(int Position, int Direction) const;
    bool IsDelimiter(int Position) const;
    void SetSelection(int Start, int Length, bool Redraw);
    void RedrawSelection(int OldStart, int OldLength);
    void SyncModifiers(TShiftState Shift);
    bool ExtendByShift() const;
    void PutUndo(UndoRecord* Record);
    void DestroyRecord(TObject* Sender, void* Item);
    bool StepUndo(TZCLDynLIFOBuffer* From, bool Redo);
    int FindFrom(const AnsiString& Find, int From, bool CaseSensitive, bool WholeWord, TZCLSearchDirection Dir,
                 int Limit) const;
    int SearchPosition(const AnsiString& Find, TZCLSearchStart Start, bool CaseSensitive, bool WholeWord,
                       TZCLSearchDirection Direction, const AnsiString& Title, bool Ask, int& Origin);
    void StartMouseTimer();
    void StopMouseTimer();
    void MouseTimer(TObject* Sender);
    void MouseTo(int X, int Y);
    void EndDrag(int X, int Y);
    void ShowContextMenu(int X, int Y);
    void MenuUndo(TObject* Sender);
    void MenuCut(TObject* Sender);
    void MenuCopy(TObject* Sender);
    void MenuPaste(TObject* Sender);
    void MenuDelete(TObject* Sender);
    void MenuSelectAll(TObject* Sender);
    void FontChanged();
    void HandleEditMessage(TMessage& Message);

    std::unique_ptr<TZCLCaret> caret_;
    bool dragEnabled_ = true;
    bool redoInProgress_ = false;
    bool undoInProgress_ = false;
    bool canUndo_ = true;
    bool canRedo_ = false;
    TAlignment alignment_ = taLeftJustify;
    std::unique_ptr<TZCL3DCaption> font3D_;
    TCursor savedCursor_ = crDefault;
    TCursor dragCursor_ = crDrag;
    std::int32_t updateCount_ = 0;
    std::int32_t mouseTimer_ = -1;
    int prevCursorPos_ = 1;
    int maxLength_ = 0;
    int selLength_ = 0;
    std::unique_ptr<TZCLDynLIFOBuffer> undoBuffer_;
    std::unique_ptr<TZCLDynLIFOBuffer> redoBuffer_;
    TColor highlightText_ = clHighlightText;
    TColor highlightBack_ = clHighlight;
    bool dragging_ = false;
    bool leftDown_ = false;
    bool focusOnMouseAbove_ = false;
    bool oemConvert_ = false;
    bool autoSelect_ = false;
    bool modified_ = false;
    bool readOnly_ = false;
    bool charInput_ = false;
    bool hideSelection_ = true;
    TZCLDelimiters delimiters_{' '};
    TZCLTextChangeEvent onTextChangedAt_;
    TNotifyEvent onModified_, onChange_, onCursorPosChanged_;
    TEditCharCase charCase_ = ecNormal;
    std::unique_ptr<TBitmap> back_;
    AnsiString text_;
    bool mouseSelection_ = true;
    bool noRedraw_ = false;
    bool doubleBuffer_ = true;
    bool mouseSelecting_ = false;
    bool textSetInternally_ = false;
    bool selectionHidden_ = true;
    bool overwriteInput_ = false;  // a typed or pasted text: overwrite mode applies
    bool drawing_ = false;         // between BeginDraw and EndDraw
    int depth3D_ = -1;             // -1: to be measured
    TPoint lastMouse_;
    TRect innerRect_, paintRect_, textRect_;
    int cursorPos_ = 1;
    int lastLength_ = 0;
    int selStart_ = 1;
    AnsiString about_;
};
