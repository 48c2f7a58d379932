#pragma once
// The control model: windowless controls (TControl, TGraphicControl) painted and fed with mouse input by their
// windowed parent, windowed controls (TWinControl, TCustomControl) with lazily made handles, and the control
// canvas that draws on either, inside or outside painting.
//
// Every message of a control takes one path: the Win32 window procedure (windowed controls) or Perform
// (windowless ones) -> the per-window hook list -> WindowProc (replaceable, default WndProc) -> WndProc (mouse
// routing, capture, focus) -> Dispatch (the per-class message map; overrides call the base for the rest) ->
// DefaultHandler (the system class procedure or DefWindowProcA for windowed controls).

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/visual/Graphics.h"
#include "framework/visual/Messages.h"
#include "framework/runtime/Sets.h"
#include "framework/runtime/Types.h"

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;  // framework/Menus.h
class TBasicAction;        // framework/ActnList.h
class TControlActionLink;  // framework/ActnList.h, which also defines the Action members of TControl

// Frees a control's action link where its class is known.
struct TControlActionLinkDeleter {
    void operator()(TControlActionLink* link) const;
};
using TControlActionLinkPtr = std::unique_ptr<TControlActionLink, TControlActionLinkDeleter>;

// ---------------------------------------------------------------------------------------------------------------
// Types

enum TAlign : unsigned char { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment : unsigned char { taLeftJustify, taRightJustify, taCenter };
enum TMouseButton : unsigned char { mbLeft, mbRight, mbMiddle };

using TCursor = short;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

enum TControlStyleItem : unsigned char {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem : unsigned char {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
};
using TControlState = TSet<TControlStateItem>;

using TMouseEvent = Closure<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = Closure<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    Closure<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent = Closure<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = Closure<void(TObject* Sender, char& Key)>;

// The modifiers of MK_ flags (mouse messages) with Alt read from the keyboard.
TShiftState KeysToShiftState(WORD keys);
// The modifiers held now, from the keyboard state (key messages); lParam's context bit adds Alt.
TShiftState KeyDataToShiftState(LPARAM keyData);
// True when caption has key as its "&" accelerator (case-insensitive; "&&" is a literal ampersand).
bool IsAccel(WORD key, const AnsiString& caption);

// The form a control is on (the top-level TCustomForm up its parent chain), nullptr when none.
TCustomForm* GetParentForm(const TControl* control);
// The framework control whose window this is, nullptr for foreign windows.
TWinControl* FindControl(HWND wnd);
// Always true: the program targets the new-style shell.
extern const bool NewStyleControls;

// Shows a control's popup menu at a screen point; installed by the menus unit. Null: popups are not shown.
using TPopupMenuHook = void (*)(TPopupMenu* menu, TControl* component, int x, int y);
extern TPopupMenuHook PopupMenuHook;

// The control under the mouse for CM_MOUSEENTER/CM_MOUSELEAVE: recomputed from the cursor position (every mouse
// move of a framework window, WM_MOUSELEAVE and idle time).
void UpdateMouseControl();
TControl* MouseControl();

// Gives up the device contexts control canvases took outside painting (done on idle).
void FreeDeviceContexts();

// ---------------------------------------------------------------------------------------------------------------
// TControlCanvas: draws on a control. Inside painting the DC is the paint DC it is given; outside painting it
// takes the control's own DC (windowed) or its parent's DC moved to the control's origin and clipped to its
// bounds (windowless), and gives it back on FreeHandle or at the next idle time.

class TControlCanvas : public TCanvas {
public:
    TControlCanvas() = default;
    ~TControlCanvas() override;

    TControl* Control() const { return control_; }
    void SetControl(TControl* control);
    // Frees a DC the canvas took itself; detaches a paint DC.
    void FreeHandle() override;
    // Binds a paint DC (nullptr unbinds); a DC the canvas took itself is given back first.
    void BindPaintDC(HDC dc);

protected:
    void CreateHandle() override;

private:
    TControl* control_ = nullptr;  // not owned
    HWND dcWindow_ = nullptr;      // the window ownDC_ came from
    HDC ownDC_ = nullptr;          // taken with GetDCEx, released here
};

// ---------------------------------------------------------------------------------------------------------------
// TControl

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Messages -------------------------------------------------------------------------------------------------
    // Runs msg synchronously through WindowProc; the way to message a windowless control.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    TWndMethod WindowProc() const { return windowProc_; }
    void SetWindowProc(TWndMethod method) { windowProc_ = method ? method : TWndMethod(this, &TControl::WndProc); }
    virtual void WndProc(TMessage& message);
    // The per-class message map: overrides handle their messages and call the base for the rest.
    virtual void Dispatch(TMessage& message);
    // Where unhandled messages end: texts for windowless controls, the window's default procedure for windowed.
    virtual void DefaultHandler(TMessage& message);

    // Parent and geometry --------------------------------------------------------------------------------------
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    // Every change of position or size passes here (properties, alignment, the window being moved).
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.left, r.top, r.Width(), r.Height()); }
    // (0, 0, client width, client height).
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
    void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
    virtual void SetClientSize(int width, int height);
    // The client origin on the screen.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;
    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);

    // State ----------------------------------------------------------------------------------------------------
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);
    // Visible here and on every parent up to a shown window.
    virtual bool Showing() const;
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle style) { controlStyle_ = style; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState state) { controlState_ = state; }
    // Mouse capture: a windowed control captures its own window, a windowless one its parent's.
    bool MouseCapture() const;
    void SetMouseCapture(bool value);

    // Looks ------------------------------------------------------------------------------------------------------
    AnsiString Caption() const { return GetText(); }
    void SetCaption(const AnsiString& v) { SetText(v); }
    AnsiString Text() const { return GetText(); }
    void SetText(const AnsiString& value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* value) { font_->Assign(value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    AnsiString Hint() const { return hint_; }
    void SetHint(const AnsiString& value) { hint_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* value) { popupMenu_ = value; }
    bool IsRightToLeft() const { return false; }
    // The palette to realise for this control (8-bit displays); none by default.
    virtual HPALETTE GetPalette() { return nullptr; }

    // Painting -------------------------------------------------------------------------------------------------
    // Windowless: invalidates the bounds in the parent (erasing unless csOpaque).
    virtual void Invalidate();
    // Paints now what is invalid.
    virtual void Update();
    // Invalidate + Update; an opaque windowless control paints at once through a parent DC.
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront() { SetZOrder(true); }
    void SendToBack() { SetZOrder(false); }
    virtual void SetZOrder(bool topMost);

    // Events -----------------------------------------------------------------------------------------------------
    TNotifyEvent OnClick() const { return onClick_; }
    void SetOnClick(TNotifyEvent e) { onClick_ = e; }
    TNotifyEvent OnDblClick() const { return onDblClick_; }
    void SetOnDblClick(TNotifyEvent e) { onDblClick_ = e; }
    TMouseEvent OnMouseDown() const { return onMouseDown_; }
    void SetOnMouseDown(TMouseEvent e) { onMouseDown_ = e; }
    TMouseEvent OnMouseUp() const { return onMouseUp_; }
    void SetOnMouseUp(TMouseEvent e) { onMouseUp_ = e; }
    TMouseMoveEvent OnMouseMove() const { return onMouseMove_; }
    void SetOnMouseMove(TMouseMoveEvent e) { onMouseMove_ = e; }
    TMouseWheelEvent OnMouseWheel() const { return onMouseWheel_; }
    void SetOnMouseWheel(TMouseWheelEvent e) { onMouseWheel_ = e; }
    TNotifyEvent OnResize() const { return onResize_; }
    void SetOnResize(TNotifyEvent e) { onResize_ = e; }

    // Fires OnClick.
    virtual void Click();
    virtual void DblClick();

    // Actions (framework/ActnList.h) -----------------------------------------------------------------------------
    // The action whose caption, hint, enabled and visible state the control shows. While the control has no
    // OnClick of its own, a click executes the action.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* value);
    TControlActionLink* ActionLink() const { return actionLink_.get(); }

    void Loaded() override;
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;

protected:
    friend class TWinControl;
    friend class TControlCanvas;
    friend class TCustomForm;

    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
    virtual void Resize();
    // The text kept by the control (Caption/Text read it; edits may answer from their engine).
    virtual AnsiString GetText() const { return text_; }
    // Stores the text; windowed controls pass it on to their window.
    virtual void SetTextValue(const AnsiString& value);
    // Told when the client size changed, to realign children (windowed).
    virtual void RequestAlign();
    // Invalidates r (control coordinates) of a windowless control in its parent.
    void InvalidateControlRect(const TRect& r, bool erase);
    virtual void VisibleChanging() {}
    bool FontBeingSet() const { return fontBeingSet_; }
    // Copies the action's properties into the control; with checkDefaults only where the control has its default.
    virtual void ActionChange(TObject* sender, bool checkDefaults);
    // The link SetAction makes; controls that show more of an action return a link of their own kind.
    virtual TControlActionLinkPtr CreateActionLink();

private:
    void DoMouseDown(TMessage& message, TMouseButton button, TShiftState shift);
    void DoMouseUp(TMessage& message, TMouseButton button);
    void FontChanged(TObject* sender);
    void ApplyParentFont();
    void ApplyParentColor();

    TWinControl* parent_ = nullptr;  // not owned; the parent's list holds this control
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState controlState_;
    AnsiString text_;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool fontBeingSet_ = false;  // the parent's font is being copied in: ParentFont stays
    TCursor cursor_ = crDefault;
    AnsiString hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TPopupMenu* popupMenu_ = nullptr;  // not owned
    TWndMethod windowProc_;
    TNotifyEvent onClick_, onDblClick_, onResize_;
    TMouseEvent onMouseDown_, onMouseUp_;
    TMouseMoveEvent onMouseMove_;
    TMouseWheelEvent onMouseWheel_;
    TControlActionLinkPtr actionLink_;
};

// ---------------------------------------------------------------------------------------------------------------
// TGraphicControl: a windowless control that paints itself on its parent.

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TControlCanvas* Canvas() const { return canvas_.get(); }
    void Dispatch(TMessage& message) override;

protected:
    virtual void Paint() {}

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

// ---------------------------------------------------------------------------------------------------------------
// TWinControl

// What CreateWindowEx gets: filled by CreateParams, which subclasses extend.
struct TCreateParams {
    AnsiString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSA WindowClass{};
    char WinClassName[64] = "";
};

using TWindowHook = Closure<bool(TMessage& Message)>;

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // A control of class T without owner hosted in a foreign window (the caller frees it).
    template <typename T>
    static T* CreateParented(HWND parentWindow)
    {
        T* control = new T(nullptr);
        control->SetParentWindow(parentWindow);
        return control;
    }

    // Handles ----------------------------------------------------------------------------------------------------
    // The window, made (with the parent's first) on first use.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    // Destroys the window (and the children's), keeping the objects; made again when next needed.
    void DestroyHandle();
    // Destroys the window now and makes it again at once if it was showing.
    void RecreateWnd();
    HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(HWND wnd);
    // The window procedure of the window class (system class or DefWindowProcA) where DefaultHandler ends.
    WNDPROC DefWndProc() const { return defWndProc_; }

    // Hooks seen before WindowProc, in the order added: a hook returning true has taken the message (its Result
    // stands), except WM_DESTROY and WM_NCDESTROY, which always reach the control. Hooks stay across RecreateWnd.
    // Removing (in any order, also from inside a hook) means the hook is never called again.
    int AddWindowHook(TWindowHook hook);
    void RemoveWindowHook(int id);
    // From inside a hook: runs the rest of the path for message now (the hooks after the running one, then
    // WindowProc), so the hook can work on the result. The message then counts as taken by the running hook,
    // whatever it answers. Outside a hook it is WindowProc. The control may be gone when it returns (a form
    // freed by its own message).
    void CallNextHook(TMessage& message);

    // Children ---------------------------------------------------------------------------------------------------
    // Windowless children first (bottom to top), then windowed ones.
    int ControlCount() const { return int(controls_.size() + winControls_.size()); }
    TControl* Controls(int index) const;
    bool ContainsControl(const TControl* control) const;
    // The topmost visible windowless child at p (client coordinates); disabled ones too when allowDisabled.
    TControl* ControlAtPos(const TPoint& p, bool allowDisabled, bool allowWinControls = false) const;
    // Sends msg to every child in turn until one answers non-zero; the answer is message.Result.
    void Broadcast(TMessage& message);
    // Performs msg on every child.
    void NotifyControls(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Lays the children out by Align inside rect (the client area after AdjustClientRect).
    virtual void AlignControls(TControl* control, TRect& rect);
    virtual void AdjustClientRect(TRect& rect) { (void)rect; }
    void Realign();
    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();

    // Painting ---------------------------------------------------------------------------------------------------
    // Paints the windowless children (from first on, bottom to top) on dc, which is in this control's client
    // coordinates; each child's area is clipped and its origin moved.
    void PaintControls(HDC dc, TControl* first);
    // Draws the control and its children on dc at (x, y): erase, paint, windowless and windowed children.
    void PaintTo(HDC dc, int x, int y);
    TBrush* Brush() const { return brush_.get(); }
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool value);

    // Focus and tabbing ------------------------------------------------------------------------------------------
    bool Focused() const;
    // Visible and enabled up to the form.
    virtual bool CanFocus() const;
    virtual void SetFocus();
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value) { tabStop_ = value; }
    int TabOrder() const;
    void SetTabOrder(int value);
    // The windowed descendants in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // The next (or previous) focusable control after current among this control's descendants.
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

    TNotifyEvent OnEnter() const { return onEnter_; }
    void SetOnEnter(TNotifyEvent e) { onEnter_ = e; }
    TNotifyEvent OnExit() const { return onExit_; }
    void SetOnExit(TNotifyEvent e) { onExit_ = e; }
    TKeyEvent OnKeyDown() const { return onKeyDown_; }
    void SetOnKeyDown(TKeyEvent e) { onKeyDown_ = e; }
    TKeyEvent OnKeyUp() const { return onKeyUp_; }
    void SetOnKeyUp(TKeyEvent e) { onKeyUp_ = e; }
    TKeyPressEvent OnKeyPress() const { return onKeyPress_; }
    void SetOnKeyPress(TKeyPressEvent e) { onKeyPress_ = e; }

    // Overrides --------------------------------------------------------------------------------------------------
    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void SetBounds(int left, int top, int width, int height) override;
    TRect ClientRect() const override;
    void SetClientSize(int width, int height) override;
    TPoint ClientOrigin() const override;
    bool Showing() const override { return showing_; }
    void SetVisible(bool value) override;
    void SetEnabled(bool value) override;
    void SetParent(TWinControl* parent) override;
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void SetZOrder(bool topMost) override;

    // The framework's window procedure for every framework window.
    static LRESULT CALLBACK WindowProcedure(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    friend class TControl;
    friend class TCustomForm;

    virtual void CreateParams(TCreateParams& params);
    // Fills params.WindowClass from a system class, whose procedure becomes DefWndProc.
    void CreateSubClass(TCreateParams& params, const char* controlClassName);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void CreateHandle();
    virtual void DestroyWnd();
    // Paints this control itself on dc (custom controls: Paint on the canvas).
    virtual void PaintWindow(HDC dc);
    // The WM_PAINT routine: begin (or use the DC in WParam), own painting with opaque children left out, then
    // the windowless children.
    void PaintHandler(TMessage& message);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();
    // True when the control handles this dialog key itself (WM_GETDLGCODE).
    bool WantsKey(WORD key);
    // Makes the showing state follow Visible and the parent's; creates and shows or hides the window.
    void UpdateShowing();
    // A window of its own without a framework parent (forms).
    virtual bool IsTopLevelWindow() const { return false; }
    void UpdateBounds();
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

private:
    struct HookEntry {
        int id;
        TWindowHook hook;
        bool removed;
    };
    using HookList = std::vector<std::shared_ptr<HookEntry>>;
    // One walk over the hooks for one message; kept on the stack, innermost first.
    struct HookRun {
        const HookList* hooks;
        std::size_t next;  // the hook after the one running
        bool passedOn;     // the running hook ran the rest of the path itself
        bool gone;         // the control was freed meanwhile
        HookRun* outer;
    };
    enum class HookResult { NotTaken, Taken, PassedOn, Gone };
    LRESULT MainWndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    HookResult RunHooks(const HookList& hooks, std::size_t from, TMessage& message);
    void Reflect(TMessage& message, HWND child);
    void WMSetCursor(TMessage& message);
    void WMKeyDown(TMessage& message, bool down);
    void WMChar(TMessage& message);
    void CNKeyDown(TMessage& message);
    void CNChar(TMessage& message);
    void WMContextMenu(TMessage& message);
    void DestroyChildHandles();
    void ApplyCtl3D();

    HWND handle_ = nullptr;  // the window; destroyed in DestroyHandle / the destructor
    HWND parentWindow_ = nullptr;  // not owned; foreign host window
    WNDPROC defWndProc_ = &DefWindowProcA;
    bool showing_ = false;
    bool tabStop_ = false;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    bool updatingBounds_ = false;
    int alignDisabled_ = 0;
    bool alignPending_ = false;
    std::unique_ptr<TBrush> brush_;
    std::vector<TControl*> controls_;     // windowless children, bottom to top; not owned
    std::vector<TWinControl*> winControls_;  // windowed children in z-order, bottom to top; not owned
    std::vector<TWinControl*> tabList_;      // windowed children in tab order; not owned
    TControl* captureControl_ = nullptr;     // windowless child holding this window's capture
    HookList hooks_;
    int nextHookId_ = 1;
    HookRun* hookRun_ = nullptr;  // the walk in progress, if any
    TNotifyEvent onEnter_, onExit_;
    TKeyEvent onKeyDown_, onKeyUp_;
    TKeyPressEvent onKeyPress_;
};

// ---------------------------------------------------------------------------------------------------------------
// TCustomControl: a windowed control that paints itself on its canvas.

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TControlCanvas* Canvas() const { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TControlCanvas> canvas_;
};
