#include "zcl/components/ZclformA.h"

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclstrings.h"

// ---------------------------------------------------------------------------------------------------------------
// TZCLAutoDockObject

template <typename T>
void TZCLAutoDockObject::Store(T& field, T value)
{
    if (field == value) return;
    field = value;
    Change();
}

void TZCLAutoDockObject::SetAfterMove(bool Value) { Store(afterMove_, Value); }
void TZCLAutoDockObject::SetEnabled(bool Value) { Store(enabled_, Value); }
void TZCLAutoDockObject::SetSides(TZCLAutoDockSides Value) { Store(sides_, Value); }
void TZCLAutoDockObject::SetMoveOut(TZCLAutoDockSides Value) { Store(moveOut_, Value); }
void TZCLAutoDockObject::SetLeft(int Value) { Store(left_, Value); }
void TZCLAutoDockObject::SetRight(int Value) { Store(right_, Value); }
void TZCLAutoDockObject::SetTop(int Value) { Store(top_, Value); }
void TZCLAutoDockObject::SetBottom(int Value) { Store(bottom_, Value); }

void TZCLAutoDockObject::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TZCLAutoDockObject*>(Source);
    if (!source) {
        TZCLObject::Assign(Source);
        return;
    }
    afterMove_ = source->afterMove_;
    enabled_ = source->enabled_;
    sides_ = source->sides_;
    moveOut_ = source->moveOut_;
    left_ = source->left_;
    right_ = source->right_;
    top_ = source->top_;
    bottom_ = source->bottom_;
    Change();
}

// ---------------------------------------------------------------------------------------------------------------
// TZCLForm

namespace {

constexpr int ValueCount = 8;
// The values measured against the screen's height; the others against its width.
constexpr std::array<bool, ValueCount> Vertical{true, false, true, false, true, false, false, true};
constexpr int MaxTrackHeight = 0, MaxTrackWidth = 1, MinTrackHeight = 2, MinTrackWidth = 3, MaxHeight = 4,
              MaxWidth = 5, MaxPosX = 6, MaxPosY = 7;
constexpr int IniKeyLimit = 250;
constexpr const char* PlacementTag = "200";

const bool formPublished = [] {
    PublishedProperties<TZCLForm>()
        .String("About", &TZCLForm::About, &TZCLForm::SetAbout)
        .Boolean("AcceptFiles", &TZCLForm::AcceptFiles, &TZCLForm::SetAcceptFiles, false)
        .Enumeration("CharCase", &TZCLForm::CharCase, &TZCLForm::SetCharCase,
                     {"ccNormal", "ccLowerCase", "ccUpperCase"}, ccNormal)
        .Enumeration("Effect", &TZCLForm::Effect, &TZCLForm::SetEffect, {"deNone", "deExplode", "deExplodeExt"},
                     deNone)
        .Object("IniLink", &TZCLForm::IniLink, &TZCLForm::SetIniLink)
        .Enumeration("IniUse", &TZCLForm::IniUse, &TZCLForm::SetIniUse, {"ioUseLink", "ioUseGlobal", "ioNone"},
                     ioNone)
        .Set("IniSaveOptions", &TZCLForm::IniSaveOptions, &TZCLForm::SetIniSaveOptions,
             {"soColor", "soFont", "soPos", "soSize", "soState"}, TZCLFormIniSaveOptions{soPos, soSize, soState})
        .String("Section", &TZCLForm::Section, &TZCLForm::SetSection)
        .Stored([](TZCLForm* f) { return f->Section() != "Common"; })
        .String("IniKey", &TZCLForm::IniKey, &TZCLForm::SetIniKey)
        .Stored([](TZCLForm* f) { return f->IniKey() != "Form"; })
        .Integer("DesignPPI", &TZCLForm::DesignPPI, &TZCLForm::SetDesignPPI, 96)
        .Set("Options", &TZCLForm::Options, &TZCLForm::SetOptions,
             {"foAutoCenter", "foAutoShow", "foTryAdaptRes", "foRestoreOnce"}, TZCLFormOptions{foAutoShow})
        .Boolean("Enabled", &TZCLForm::Enabled, &TZCLForm::SetEnabled, true)
        .Integer("MaximizedHeight", &TZCLForm::MaximizedHeight, &TZCLForm::SetMaximizedHeight, 0)
        .Integer("MaximizedWidth", &TZCLForm::MaximizedWidth, &TZCLForm::SetMaximizedWidth, 0)
        .Integer("MaximizedPosX", &TZCLForm::MaximizedPosX, &TZCLForm::SetMaximizedPosX, 0)
        .Integer("MaximizedPosY", &TZCLForm::MaximizedPosY, &TZCLForm::SetMaximizedPosY, 0)
        .Integer("TrackMaxHeight", &TZCLForm::TrackMaxHeight, &TZCLForm::SetTrackMaxHeight, 0)
        .Integer("TrackMaxWidth", &TZCLForm::TrackMaxWidth, &TZCLForm::SetTrackMaxWidth, 0)
        .Integer("TrackMinHeight", &TZCLForm::TrackMinHeight, &TZCLForm::SetTrackMinHeight, 0)
        .Integer("TrackMinWidth", &TZCLForm::TrackMinWidth, &TZCLForm::SetTrackMinWidth, 0)
        .Event("OnDisplayChange", &TZCLForm::OnDisplayChange, &TZCLForm::SetOnDisplayChange)
        .Event("OnSysColorChange", &TZCLForm::OnSysColorChange, &TZCLForm::SetOnSysColorChange)
        .Event("OnNoRestoreData", &TZCLForm::OnNoRestoreData, &TZCLForm::SetOnNoRestoreData)
        .Event("OnMove", &TZCLForm::OnMove, &TZCLForm::SetOnMove)
        .Event("OnSize", &TZCLForm::OnSize, &TZCLForm::SetOnSize)
        .Event("OnFMDragDrop", &TZCLForm::OnFMDragDrop, &TZCLForm::SetOnFMDragDrop);
    return true;
}();

// The text a message carries at LParam; some senders pass none.
AnsiString MessageText(LPARAM text)
{
    return text ? AnsiString(reinterpret_cast<const char*>(text)) : AnsiString();
}

// A decimal integer (text that is none gives each default back).
bool ReadNumber(const AnsiString& text, int& value)
{
    value = StrToIntDef(text, 0);
    return StrToIntDef(text, 1) == value;
}

void ScaleControls(TWinControl* parent, int designPPI, int ppi)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        c->SetBounds(MulDiv(c->Left(), designPPI, ppi), MulDiv(c->Top(), designPPI, ppi),
                     MulDiv(c->Width(), designPPI, ppi), MulDiv(c->Height(), designPPI, ppi));
        if (auto* w = dynamic_cast<TWinControl*>(c)) ScaleControls(w, designPPI, ppi);
    }
}

}  // namespace

TZCLForm::TZCLForm(TComponent* AOwner)
    : TZCLWndProcComponent(AOwner), autoDock_(std::make_unique<TZCLAutoDockObject>())
{
    if (Designing() && GetOwnerForm() && ZCLCheckForSameClass(AOwner, ClassOf<TZCLForm>(), false))
        throw ZCLEOneInstError(ClassName(), 1);
    if (TCustomForm* form = GetOwnerForm()) {
        const AnsiString name = form->ClassName();
        iniKey_ = name.SubString(2, IniKeyLimit);
        // A form holding exactly one settings store links it.
        TZCLIniCtrl* only = nullptr;
        int stores = 0;
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* store = dynamic_cast<TZCLIniCtrl*>(form->Components(i))) {
                only = store;
                ++stores;
            }
        if (stores == 1) SetIniLink(only);
    }
}

TZCLForm::~TZCLForm()
{
    *alive_ = false;
    // A form being destroyed is past its own handlers; one that lives on gets its own back.
    TCustomForm* form = GetOwnerForm();
    if (form && !ComponentState().Contains(csDestroying) && !form->ComponentState().Contains(csDestroying)) {
        if (form->OnShow() == TNotifyEvent(this, &TZCLForm::OwnerFormShow)) form->SetOnShow(savedOnShow_);
        if (form->OnDestroy() == TNotifyEvent(this, &TZCLForm::OwnerFormDestroy))
            form->SetOnDestroy(savedOnDestroy_);
        if (acceptFiles_ && form->HandleAllocated()) DragAcceptFiles(form->Handle(), FALSE);
    }
    if (iniLink_) iniLink_->RemoveFreeNotification(this);
    RestoreWndProc();
}

bool TZCLForm::Designing() const
{
    if (ComponentState().Contains(csDesigning)) return true;
    return Owner() && Owner()->ComponentState().Contains(csDesigning);
}

void TZCLForm::SetAcceptFiles(bool Value)
{
    acceptFiles_ = Value;
    if (!Enabled() || Designing()) return;
    if (TCustomForm* form = GetOwnerForm())
        if (form->HandleAllocated()) DragAcceptFiles(form->Handle(), Value);
}

void TZCLForm::SetIniLink(TZCLIniCtrl* Value)
{
    if (Value == iniLink_) return;
    if (iniLink_) iniLink_->RemoveFreeNotification(this);
    iniLink_ = Value;
    if (iniLink_) iniLink_->FreeNotification(this);
}

void TZCLForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLWndProcComponent::Notification(AComponent, Operation);
    if (Operation == opInsert) {
        if (iniUse_ == ioUseLink && !iniLink_)
            if (auto* store = dynamic_cast<TZCLIniCtrl*>(AComponent)) SetIniLink(store);
    } else if (AComponent == iniLink_) {
        iniLink_ = nullptr;
    }
}

// Values ----------------------------------------------------------------------------------------------------------

int TZCLForm::GetRealValue(int Value, bool IsVertical) const
{
    if (Value >= 0) return Value;
    const int screen = IsVertical ? Screen->Height() : Screen->Width();
    return screen / -Value;
}

int TZCLForm::GetInteger(int Index) const
{
    return Index >= 0 && Index < ValueCount ? values_[Index] : 0;
}

int TZCLForm::RunTimeValue(int Index) const
{
    return Index >= 0 && Index < ValueCount ? runTime_[Index] : 0;
}

void TZCLForm::SetInteger(int Index, int Value)
{
    if (Value < -100 || Index < 0 || Index >= ValueCount || Value == values_[Index]) return;
    const int pixels = GetRealValue(Value, Vertical[std::size_t(Index)]);
    switch (Index) {
    case MaxTrackHeight:
        if (pixels != 0 && pixels < runTime_[MinTrackHeight]) return;
        break;
    case MaxTrackWidth:
        if (pixels != 0 && pixels < runTime_[MinTrackWidth]) return;
        break;
    case MinTrackHeight:
        if (pixels != 0 && runTime_[MaxTrackHeight] > 0 && pixels > runTime_[MaxTrackHeight]) return;
        break;
    case MinTrackWidth:
        if (pixels != 0 && runTime_[MaxTrackWidth] > 0 && pixels > runTime_[MaxTrackWidth]) return;
        break;
    default:
        break;
    }
    values_[Index] = Value;
    runTime_[Index] = pixels;
}

void TZCLForm::SetMaximizedRect(const TRect& Value)
{
    SetInteger(MaxHeight, Value.bottom);
    SetInteger(MaxWidth, Value.right);
    SetInteger(MaxPosX, Value.left);
    SetInteger(MaxPosY, Value.top);
}

void TZCLForm::SetTrackMaxValues(const TPoint& Value)
{
    SetInteger(MaxTrackHeight, Value.y);
    SetInteger(MaxTrackWidth, Value.x);
}

void TZCLForm::SetTrackMinValues(const TPoint& Value)
{
    SetInteger(MinTrackHeight, Value.y);
    SetInteger(MinTrackWidth, Value.x);
}

void TZCLForm::SetRunTimeValues()
{
    for (int i = 0; i < ValueCount; ++i) runTime_[i] = GetRealValue(values_[i], Vertical[std::size_t(i)]);
    runTime_[MaxTrackWidth] = std::min(runTime_[MaxTrackWidth], Screen->Width());
    runTime_[MaxTrackHeight] = std::min(runTime_[MaxTrackHeight], Screen->Height());
    if (runTime_[MaxTrackWidth] != 0 && runTime_[MinTrackWidth] > runTime_[MaxTrackWidth])
        runTime_[MinTrackWidth] = runTime_[MaxTrackWidth];
    if (runTime_[MaxTrackHeight] != 0 && runTime_[MinTrackHeight] > runTime_[MaxTrackHeight])
        runTime_[MinTrackHeight] = runTime_[MaxTrackHeight];
}

void TZCLForm::AdaptResolution()
{
    if (adapted_) return;
    adapted_ = true;
    TCustomForm* form = GetOwnerForm();
    if (!form || !form->Scaled()) return;
    form->SetPixelsPerInch(Screen->PixelsPerInch());
    const int ppi = form->PixelsPerInch();
    if (ppi != designPPI_ && ppi > 0) ScaleControls(form, designPPI_, ppi);
}

// Hook ------------------------------------------------------------------------------------------------------------

void TZCLForm::Init()
{
    TZCLWndProcComponent::Init();
    if (!Enabled() || Designing()) return;
    if (TCustomForm* form = GetOwnerForm())
        if (form->HandleAllocated()) DragAcceptFiles(form->Handle(), acceptFiles_);
    SetRunTimeValues();
}

void TZCLForm::RestoreState()
{
    TZCLWndProcComponent::RestoreState();
    if (TCustomForm* form = GetOwnerForm())
        if (form->HandleAllocated()) DragAcceptFiles(form->Handle(), FALSE);
}

void TZCLForm::HandleMessage(TMessage& Message)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
    if (!info) return;
    if (onTrackInfo_) {
        int minW = info->ptMinTrackSize.x, minH = info->ptMinTrackSize.y;
        int maxW = info->ptMaxTrackSize.x, maxH = info->ptMaxTrackSize.y;
        onTrackInfo_(this, minW, minH, maxW, maxH);
        info->ptMinTrackSize = {minW, minH};
        info->ptMaxTrackSize = {maxW, maxH};
    } else {
        if (runTime_[MaxTrackWidth] > 0) info->ptMaxTrackSize.x = runTime_[MaxTrackWidth];
        if (runTime_[MaxTrackHeight] > 0) info->ptMaxTrackSize.y = runTime_[MaxTrackHeight];
        if (runTime_[MinTrackWidth] > 0) info->ptMinTrackSize.x = runTime_[MinTrackWidth];
        if (runTime_[MinTrackHeight] > 0) info->ptMinTrackSize.y = runTime_[MinTrackHeight];
    }
    if (onMaximizeInfo_) {
        int x = info->ptMaxPosition.x, y = info->ptMaxPosition.y;
        int w = info->ptMaxSize.x, h = info->ptMaxSize.y;
        onMaximizeInfo_(this, x, y, w, h);
        info->ptMaxPosition = {x, y};
        info->ptMaxSize = {w, h};
    } else {
        if (runTime_[MaxPosX] > 0) info->ptMaxPosition.x = runTime_[MaxPosX];
        if (runTime_[MaxPosY] > 0) info->ptMaxPosition.y = runTime_[MaxPosY];
        if (runTime_[MaxWidth] > 0) info->ptMaxSize.x = runTime_[MaxWidth];
        if (runTime_[MaxHeight] > 0) info->ptMaxSize.y = runTime_[MaxHeight];
    }
    Message.Result = 0;
}

void TZCLForm::AutoDockPosition(int& X, int& Y) const
{
    TCustomForm* form = GetOwnerForm();
    if (!form) return;
    const int w = form->Width(), h = form->Height();
    const int sw = Screen->Width(), sh = Screen->Height();
    const TZCLAutoDockObject& dock = *autoDock_;
    const TZCLAutoDockSides sides = dock.Sides(), out = dock.MoveOut();
    const int inX = X, inY = Y;
    if (sides.Contains(adLeft) && X < dock.Left()) X = 0;
    if (sides.Contains(adRight) && X + w > sw - dock.Right()) X = sw - w;
    if (sides.Contains(adTop) && Y < dock.Top()) Y = 0;
    if (sides.Contains(adBottom) && Y + h > sh - dock.Bottom()) Y = sh - h;
    if ((inX < 0 && out.Contains(adLeft)) || (inX + w > sw && out.Contains(adRight))) X = inX;
    if ((inY < 0 && out.Contains(adTop)) || (inY + h > sh && out.Contains(adBottom))) Y = inY;
}

void TZCLForm::DropFiles(HDROP Drop)
{
    const UINT count = DragQueryFileA(Drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 0) return;
    POINT at{};
    DragQueryPoint(Drop, &at);
    TStringList names;
    for (UINT i = 0; i < count; ++i) {
        // Every name, whatever its length, so that the count and the list agree.
        const UINT length = DragQueryFileA(Drop, i, nullptr, 0);
        std::vector<char> buffer(length + 1, '\0');
        DragQueryFileA(Drop, i, buffer.data(), length + 1);
        AnsiString name(buffer.data());
        if (charCase_ == ccLowerCase) name = AnsiLowerCase(name);
        else if (charCase_ == ccUpperCase) name = AnsiUpperCase(name);
        names.Add(name);
    }
    onFMDragDrop_(this, names.Count(), at.x, at.y, &names);
}

void TZCLForm::WndProc(TMessage& Message)
{
    if (!Enabled() || OwnerDestroying()) {
        TZCLWndProcComponent::WndProc(Message);
        return;
    }
    const std::shared_ptr<bool> alive = alive_;
    TCustomForm* form = GetOwnerForm();
    bool cancelPower = false;
    switch (Message.Msg) {
    case WM_MOVE:
        if (onMove_) onMove_(this);
        break;
    case WM_SIZE:
        if (onSize_) onSize_(this, Message.LParamLo(), Message.LParamHi(), WORD(Message.WParam));
        break;
    case WM_SHOWWINDOW:
        if (Message.WParam && !Message.LParam && form) {
            if (effect_ == deExplode) ZCLExplodeForm(form);
            else if (effect_ == deExplodeExt) ZCLExplodeForm2(form);
        }
        break;
    case WM_SYSCOLORCHANGE:
        if (onSysColorChange_) onSysColorChange_(this);
        break;
    case WM_WININICHANGE:
        if (onIniChange_) onIniChange_(this, MessageText(Message.LParam));
        break;
    case WM_DEVMODECHANGE:
        if (onDevModeChange_) onDevModeChange_(this, MessageText(Message.LParam));
        break;
    case WM_FONTCHANGE:
        if (onFontChange_) onFontChange_(this);
        break;
    case WM_TIMECHANGE:
        if (onTimeChange_) onTimeChange_(this);
        break;
    case WM_GETMINMAXINFO:
        HandleMessage(Message);
        break;
    case WM_PAINTICON:
        if (onPaintIcon_) onPaintIcon_(this);
        break;
    case WM_SPOOLERSTATUS:
        if (onSpoolerStatus_) onSpoolerStatus_(this, Message.LParamLo());
        break;
    case WM_COMPACTING:
        if (onCompacting_) onCompacting_(this, int(Message.WParam));
        break;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
        // Without SWP_NOMOVE the record's position means nothing.
        if (pos && form && autoDock_->Enabled() && !autoDock_->AfterMove() && !(pos->flags & SWP_NOMOVE) &&
            (pos->x != form->Left() || pos->y != form->Top())) {
            AutoDockPosition(pos->x, pos->y);
            if (onMoving_) {
                bool cancel = false;
                onMoving_(this, pos->x, pos->y, cancel);
                if (cancel) pos->flags |= SWP_NOMOVE;
            }
        }
        break;
    }
    case WM_POWER:
        if (Message.WParam == PWR_SUSPENDREQUEST) {
            if (onAPMSuspendRequest_) onAPMSuspendRequest_(this, cancelPower);
        } else if (Message.WParam == PWR_SUSPENDRESUME) {
            if (onAPMResume_) onAPMResume_(this);
        } else if (Message.WParam == PWR_CRITICALRESUME) {
            if (onAPMCriticalResume_) onAPMCriticalResume_(this);
        }
        break;
    case WM_DISPLAYCHANGE:
        SetRunTimeValues();
        if (onDisplayChange_)
            onDisplayChange_(this, Message.LParamLo(), Message.LParamHi(), WORD(Message.WParam));
        break;
    case WM_EXITSIZEMOVE:
        if (form && autoDock_->Enabled()) {
            int x = form->Left(), y = form->Top();
            AutoDockPosition(x, y);
            form->SetBounds(x, y, form->Width(), form->Height());
        }
        break;
    case WM_DROPFILES:
        if (onFMDragDrop_) DropFiles(reinterpret_cast<HDROP>(Message.WParam));
        break;
    }
    // An event handler may have freed the form and this hook with it.
    if (!*alive) return;
    const UINT msg = Message.Msg;
    const WPARAM wParam = Message.WParam;
    const LRESULT answer = Message.Result;
    TZCLWndProcComponent::WndProc(Message);
    if (!*alive) return;
    if (msg == WM_GETMINMAXINFO) Message.Result = answer;
    if (msg == WM_POWER && cancelPower) Message.Result = BROADCAST_QUERY_DENY;
    // The drop was registered here: its handle is given back once everyone has seen it.
    if (msg == WM_DROPFILES && acceptFiles_) DragFinish(reinterpret_cast<HDROP>(wParam));
}

// Show and destroy --------------------------------------------------------------------------------------------

void TZCLForm::ReadState(TReader* Reader)
{
    TZCLWndProcComponent::ReadState(Reader);
    if (!Enabled() || Designing()) return;
    TCustomForm* form = GetOwnerForm();
    if (!form) return;
    restored_ = false;
    const TNotifyEvent show(this, &TZCLForm::OwnerFormShow);
    const TNotifyEvent destroy(this, &TZCLForm::OwnerFormDestroy);
    // Read twice, the form's handlers are ours already: keeping them would call ourselves for ever.
    if (form->OnShow() != show) savedOnShow_ = form->OnShow();
    if (form->OnDestroy() != destroy) savedOnDestroy_ = form->OnDestroy();
    form->SetOnShow(show);
    form->SetOnDestroy(destroy);
}

void TZCLForm::ApplyShowLimits(TCustomForm* Form)
{
    switch (Form->WindowState()) {
    case wsNormal: {
        int w = Form->Width(), h = Form->Height();
        if (runTime_[MaxTrackWidth] > 0 && w > runTime_[MaxTrackWidth]) w = runTime_[MaxTrackWidth];
        if (runTime_[MaxTrackHeight] > 0 && h > runTime_[MaxTrackHeight]) h = runTime_[MaxTrackHeight];
        if (runTime_[MinTrackWidth] > 0 && w < runTime_[MinTrackWidth]) w = runTime_[MinTrackWidth];
        if (runTime_[MinTrackHeight] > 0 && h < runTime_[MinTrackHeight]) h = runTime_[MinTrackHeight];
        if (w != Form->Width() || h != Form->Height()) Form->SetBounds(Form->Left(), Form->Top(), w, h);
        break;
    }
    case wsMaximized: {
        int x = Form->Left(), y = Form->Top(), w = Form->Width(), h = Form->Height();
        if (runTime_[MaxPosX] > 0) x = runTime_[MaxPosX];
        if (runTime_[MaxPosY] > 0) y = runTime_[MaxPosY];
        if (runTime_[MaxWidth] > 0) w = runTime_[MaxWidth];
        if (runTime_[MaxHeight] > 0) h = runTime_[MaxHeight];
        Form->SetBounds(x, y, w, h);
        break;
    }
    default:
        break;
    }
}

void TZCLForm::OwnerFormShow(TObject* Sender)
{
    // Copied first: the form's own handler runs last whatever happens here.
    const TNotifyEvent own = savedOnShow_;
    TCustomForm* form = GetOwnerForm();
    if (form && Enabled() && !Designing() && !(options_.Contains(foRestoreOnce) && restored_)) {
        try {
            ReadData();
            restored_ = true;
            ApplyShowLimits(form);
            if (options_.Contains(foTryAdaptRes)) AdaptResolution();
        } catch (...) {
            if (own) own(Sender);
            throw;
        }
    }
    if (own) own(Sender);
}

void TZCLForm::OwnerFormDestroy(TObject* Sender)
{
    const TNotifyEvent own = savedOnDestroy_;
    TCustomForm* form = GetOwnerForm();
    // A form that never had a window has no placement to keep.
    if (form && form->HandleAllocated() && Enabled() && !Designing()) {
        try {
            WriteData();
        } catch (...) {
            if (own) own(Sender);
            throw;
        }
    }
    if (own) own(Sender);
}

// Placement storage ---------------------------------------------------------------------------------------------

TZCLIniCtrl* TZCLForm::Store() const
{
    switch (iniUse_) {
    case ioUseLink:
        return iniLink_;
    case ioUseGlobal:
        return ZCLApplication->IniCtrl();
    default:
        return nullptr;
    }
}

AnsiString TZCLForm::GetIniString()
{
    TCustomForm* form = GetOwnerForm();
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (form) GetWindowPlacement(form->Handle(), &wp);
    const RECT& r = wp.rcNormalPosition;
    return ZCLCodeInt({200, int(wp.flags), int(wp.showCmd), int(r.left), int(r.top), int(r.right), int(r.bottom)},
                      ',');
}

void TZCLForm::SetIniString(const AnsiString& Value)
{
    TCustomForm* form = GetOwnerForm();
    if (!form) return;
    const TZCLFormIniSaveOptions so = iniSaveOptions_;
    const bool pos = so.Contains(soPos), size = so.Contains(soSize), state = so.Contains(soState);
    if (!pos && !size && !state && form->Position() != poScreenCenter) return;
    const HWND wnd = form->Handle();
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(wnd, &wp);
    TStringList items;
    ZCLParseToStrList(Value, ',', &items);
    std::array<int, 7> v{};
    bool usable = items.Count() == 7 && items.Strings(0) == PlacementTag;
    // Stored text that is not made of numbers is no placement either.
    for (int i = 1; usable && i < 7; ++i) usable = ReadNumber(Trim(items.Strings(i)), v[std::size_t(i)]);
    if (!usable) {
        if (options_.Contains(foAutoCenter))
            form->SetBounds((Screen->Width() - form->Width()) / 2, (Screen->Height() - form->Height()) / 2,
                            form->Width(), form->Height());
        if (onNoRestoreData_) onNoRestoreData_(this);
        return;
    }
    if (state) {
        wp.flags = UINT(v[1]);
        wp.showCmd = options_.Contains(foAutoShow) ? UINT(v[2]) : 0;
    }
    if (pos || size) {
        RECT& r = wp.rcNormalPosition;
        if (pos) {
            r.left = v[3];
            r.top = v[4];
            if (!size) {
                r.right = r.left + form->Width();
                r.bottom = r.top + form->Height();
            }
        }
        if (size) {
            if (pos) {
                r.right = v[5];
                r.bottom = v[6];
            } else {
                r.right = r.left + (v[5] - v[3]);
                r.bottom = r.top + (v[6] - v[4]);
            }
        }
        const int sw = Screen->Width(), sh = Screen->Height();
        if (r.right > sw) {
            const LONG w = r.right - r.left;
            r.right = sw;
            r.left = sw - w;
        }
        if (r.bottom > sh) {
            const LONG h = r.bottom - r.top;
            r.bottom = sh;
            r.top = sh - h;
        }
    }
    SetWindowPlacement(wnd, &wp);
}

void TZCLForm::ReadData()
{
    TZCLIniCtrl* store = Store();
    TCustomForm* form = GetOwnerForm();
    if (!store || !form) return;
    SetIniString(store->ReadString(section_, iniKey_, ""));
    // A stored colour or font that does not convert leaves the form's own.
    if (iniSaveOptions_.Contains(soColor)) {
        const AnsiString color = store->ReadString(section_, iniKey_ + "Color", "");
        if (!color.IsEmpty()) {
            try {
                form->SetColor(StringToColor(color));
            } catch (const EConvertError&) {
            }
        }
    }
    if (iniSaveOptions_.Contains(soFont)) {
        try {
            store->ReadFont(section_, iniKey_ + "Font", form->Font());
        } catch (const EConvertError&) {
        }
    }
}

void TZCLForm::WriteData()
{
    TZCLIniCtrl* store = Store();
    TCustomForm* form = GetOwnerForm();
    if (!store || !form) return;
    store->WriteString(section_, iniKey_, GetIniString());
    if (iniSaveOptions_.Contains(soColor))
        store->WriteString(section_, iniKey_ + "Color", ColorToString(form->Color()));
    else
        store->DeleteKey(section_, iniKey_ + "Color");
    if (iniSaveOptions_.Contains(soFont))
        store->WriteFont(section_, iniKey_ + "Font", form->Font());
    else
        store->DeleteKey(section_, iniKey_ + "Font");
}
