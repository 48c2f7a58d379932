// Common controls: page control, tool bar, hot key, header.

#include "framework/visual/ComCtrls.h"

#include <algorithm>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"

void InitCommonControlClasses()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_HOTKEY_CLASS |
                                                 ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

namespace {

TControlStyle SystemControlStyle(TControlStyle style)
{
    style.Exclude(csClickEvents);
    style.Exclude(csCaptureMouse);
    return style;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    SetColor(clBtnFace);
    SetVisible(false);
    SetAlign(alClient);
}

TTabSheet::~TTabSheet()
{
    if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* value)
{
    if (value == pageControl_) return;
    if (pageControl_) pageControl_->RemovePage(this);
    SetParent(value);
    if (value) value->InsertPage(this);
}

int TTabSheet::PageIndex() const
{
    if (!pageControl_) return -1;
    const auto& p = pageControl_->pages_;
    return int(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetImageIndex(int value)
{
    imageIndex_ = value;
    if (pageControl_) pageControl_->UpdateTab(this);
}

void TTabSheet::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_TEXTCHANGED:
        TWinControl::Dispatch(message);
        if (pageControl_) pageControl_->UpdateTab(this);
        return;
    case CM_FOCUSCHANGED:
        NotifyControls(message.Msg, message.WParam, message.LParam);
        return;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// TPageControl

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner)
{
    InitCommonControlClasses();
    SetControlStyle(SystemControlStyle(ControlStyle()) + TControlStyle{csAcceptsControls});
    SetTabStop(true);
    SetColor(clBtnFace);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

void TPageControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_TABCONTROLA);
    params.Style |= WS_CLIPCHILDREN;
}

void TPageControl::CreateWnd()
{
    TWinControl::CreateWnd();
    if (images_) SendMessageA(Handle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        const AnsiString text = pages_[i]->Caption();
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<char*>(text.c_str());
        item.iImage = pages_[i]->imageIndex_;
        SendMessageA(Handle(), TCM_INSERTITEMA, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    }
    if (activePage_) SendMessageA(Handle(), TCM_SETCURSEL, WPARAM(activePage_->PageIndex()), 0);
    Realign();
}

TTabSheet* TPageControl::Pages(int index) const
{
    if (index < 0 || index >= PageCount()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return pages_[std::size_t(index)];
}

void TPageControl::InsertPage(TTabSheet* page)
{
    pages_.push_back(page);
    page->pageControl_ = this;
    if (HandleAllocated()) {
        const AnsiString text = page->Caption();
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<char*>(text.c_str());
        item.iImage = page->imageIndex_;
        SendMessageA(Handle(), TCM_INSERTITEMA, WPARAM(pages_.size() - 1), reinterpret_cast<LPARAM>(&item));
    }
    if (!activePage_) SetActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    const int index = int(it - pages_.begin());
    pages_.erase(it);
    page->pageControl_ = nullptr;
    if (HandleAllocated()) SendMessageA(Handle(), TCM_DELETEITEM, WPARAM(index), 0);
    if (activePage_ == page) {
        activePage_ = nullptr;
        if (!pages_.empty()) SetActivePage(pages_[std::size_t(std::min(index, PageCount() - 1))]);
    }
}

void TPageControl::UpdateTab(TTabSheet* page)
{
    if (!HandleAllocated()) return;
    const AnsiString text = page->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = page->imageIndex_;
    SendMessageA(Handle(), TCM_SETITEMA, WPARAM(page->PageIndex()), reinterpret_cast<LPARAM>(&item));
    Realign();  // the tab rows may have changed
}

void TPageControl::ShowActive()
{
    // The new page shows before the old one hides, so the area never flashes empty.
    if (activePage_) {
        activePage_->BringToFront();
        activePage_->SetVisible(true);
    }
    for (TTabSheet* p : pages_)
        if (p != activePage_) p->SetVisible(false);
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->pageControl_ != this) return;
    activePage_ = page;
    if (HandleAllocated()) SendMessageA(Handle(), TCM_SETCURSEL, page ? WPARAM(page->PageIndex()) : WPARAM(-1), 0);
    ShowActive();
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index)
{
    SetActivePage(index >= 0 && index < PageCount() ? pages_[std::size_t(index)] : nullptr);
}

void TPageControl::SetImages(TCustomImageList* value)
{
    if (images_) images_->RemoveFreeNotification(this);
    images_ = value;
    if (value) value->FreeNotification(this);
    if (HandleAllocated())
        SendMessageA(Handle(), TCM_SETIMAGELIST, 0, value ? reinterpret_cast<LPARAM>(value->Handle()) : 0);
}

void TPageControl::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == images_) SetImages(nullptr);
}

void TPageControl::AdjustClientRect(TRect& rect)
{
    if (HandleAllocated()) {
        RECT r = rect;
        SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
        rect = r;
    } else {
        rect.top += 24;
        InflateRect(&rect, -4, -4);
    }
}

bool TPageControl::CanChange()
{
    bool allow = true;
    if (onChanging_) onChanging_(this, allow);
    return allow;
}

void TPageControl::Change()
{
    if (onChange_) onChange_(this);
}

void TPageControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_NOTIFY: {
        const auto* nm = reinterpret_cast<const NMHDR*>(message.LParam);
        if (nm->code == UINT(TCN_SELCHANGING)) {
            message.Result = CanChange() ? FALSE : TRUE;
            return;
        }
        if (nm->code == UINT(TCN_SELCHANGE)) {
            const int index = int(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
            activePage_ = index >= 0 && index < PageCount() ? pages_[std::size_t(index)] : nullptr;
            ShowActive();
            Change();
            return;
        }
        break;
    }
    case CM_FOCUSCHANGED:
        NotifyControls(message.Msg, message.WParam, message.LParam);
        return;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// TToolButton

namespace {

// A tool button's link also follows the action's image.
class TToolButtonActionLink : public TControlActionLink {
public:
    explicit TToolButtonActionLink(TToolButton* button) : TControlActionLink(button), button_(button) {}
    bool IsImageIndexLinked() const override
    {
        return TControlActionLink::IsImageIndexLinked() && CustomAction() &&
               button_->ImageIndex() == CustomAction()->ImageIndex();
    }
    void SetImageIndex(int value) override
    {
        if (IsImageIndexLinked()) button_->SetImageIndex(value);
    }

private:
    TToolButton* button_;  // the client, which owns this link
};

}  // namespace

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 23, 22);
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetParent(TWinControl* parent)
{
    TGraphicControl::SetParent(parent);
    if (TToolBar* bar = ToolBar()) bar->Realign();
}

void TToolButton::SetImageIndex(int value)
{
    if (value == imageIndex_) return;
    imageIndex_ = value;
    Invalidate();
}

void TToolButton::SetDown(bool value)
{
    if (value == down_) return;
    down_ = value;
    Invalidate();
}

void TToolButton::ActionChange(TObject* sender, bool checkDefaults)
{
    TGraphicControl::ActionChange(sender, checkDefaults);
    if (auto* action = dynamic_cast<TCustomAction*>(sender))
        if (!checkDefaults || imageIndex_ == -1) SetImageIndex(action->ImageIndex());
    Invalidate();
}

TControlActionLinkPtr TToolButton::CreateActionLink() { return TControlActionLinkPtr(new TToolButtonActionLink(this)); }

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && Enabled()) {
        pressed_ = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TToolButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && pressed_) {
        pressed_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TToolButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        hot_ = message.Msg == CM_MOUSEENTER && Enabled();
        Invalidate();
        break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        if (!Enabled()) hot_ = false;
        Invalidate();
        break;
    default:
        break;
    }
    TGraphicControl::Dispatch(message);
}

void TToolButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    TToolBar* bar = ToolBar();
    const bool flat = bar && bar->Flat();
    const bool sunk = down_ || (pressed_ && hot_);
    c->Brush()->SetColor(Parent() ? Parent()->Color() : clBtnFace);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    if (!flat || hot_ || sunk) {
        RECT er = r;
        if (flat)
            DrawEdge(c->Handle(), &er, sunk ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        else
            DrawEdge(c->Handle(), &er, sunk ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
    const int shift = sunk ? 1 : 0;
    TCustomImageList* images = bar ? bar->Images() : nullptr;
    const bool captions = bar && bar->ShowCaptions();
    int textTop = r.top + 2;
    if (images && imageIndex_ >= 0 && imageIndex_ < images->Count()) {
        const int x = r.left + (r.Width() - images->Width()) / 2 + shift;
        const int y = captions ? r.top + 3 + shift : r.top + (r.Height() - images->Height()) / 2 + shift;
        images->Draw(c, x, y, imageIndex_, Enabled());
        textTop = y + images->Height() + 1;
    } else if (!captions) {
        textTop = -1;
    }
    if (captions || textTop < 0) {
        // Without an image the caption stands for it.
        const AnsiString text = Caption();
        c->Font()->Assign(Font());
        SetBkMode(c->Handle(), TRANSPARENT);
        SetTextColor(c->Handle(), ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
        RECT tr{r.left + shift, textTop < 0 ? r.top + shift : textTop + shift, r.right + shift, r.bottom + shift};
        DrawTextA(c->Handle(), text.c_str(), -1, &tr,
                  DT_CENTER | DT_SINGLELINE | (textTop < 0 ? DT_VCENTER : DT_TOP) | DT_HIDEPREFIX);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// TToolBar

TToolBar::TToolBar(TComponent* owner) : TCustomControl(owner)
{
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    SetColor(clBtnFace);
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

int TToolBar::ButtonCount() const
{
    int n = 0;
    for (int i = 0; i < ControlCount(); ++i)
        if (dynamic_cast<TToolButton*>(Controls(i))) ++n;
    return n;
}

TToolButton* TToolBar::Buttons(int index) const
{
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(Controls(i)); b && index-- == 0) return b;
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
}

void TToolBar::SetFlat(bool value)
{
    flat_ = value;
    Invalidate();
}

void TToolBar::SetImages(TCustomImageList* value)
{
    if (images_) images_->RemoveFreeNotification(this);
    images_ = value;
    if (value) value->FreeNotification(this);
    Invalidate();
}

void TToolBar::SetButtonWidth(int value)
{
    buttonWidth_ = std::max(1, value);
    Realign();
}

void TToolBar::SetButtonHeight(int value)
{
    buttonHeight_ = std::max(1, value);
    Realign();
}

void TToolBar::SetShowCaptions(bool value)
{
    showCaptions_ = value;
    Invalidate();
}

void TToolBar::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == images_) SetImages(nullptr);
}

void TToolBar::AlignControls(TControl* control, TRect& rect)
{
    TCustomControl::AlignControls(control, rect);
    int x = 2;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(Controls(i)); b && b->Visible()) {
            b->SetBounds(x, 2, buttonWidth_, buttonHeight_);
            x += buttonWidth_;
        }
}

void TToolBar::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    RECT r = ClientRect();
    DrawEdge(c->Handle(), &r, BDR_RAISEDINNER, BF_TOP);
}

void TToolBar::Dispatch(TMessage& message)
{
    if (message.Msg == CM_FOCUSCHANGED) {
        NotifyControls(message.Msg, message.WParam, message.LParam);
        return;
    }
    TCustomControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// THotKey

namespace {

TShortCut ShortCutFromHotKey(LRESULT value)
{
    const BYTE vk = LOBYTE(LOWORD(value));
    const BYTE flags = HIBYTE(LOWORD(value));
    if (!vk) return 0;
    TShortCut s = vk;
    if (flags & HOTKEYF_SHIFT) s |= scShift;
    if (flags & HOTKEYF_CONTROL) s |= scCtrl;
    if (flags & HOTKEYF_ALT) s |= scAlt;
    return s;
}

WPARAM HotKeyFromShortCut(TShortCut s)
{
    BYTE flags = 0;
    if (s & scShift) flags |= HOTKEYF_SHIFT;
    if (s & scCtrl) flags |= HOTKEYF_CONTROL;
    if (s & scAlt) flags |= HOTKEYF_ALT;
    return MAKEWORD(BYTE(s & 0xFF), flags);
}

}  // namespace

THotKey::THotKey(TComponent* owner) : TWinControl(owner)
{
    InitCommonControlClasses();
    SetControlStyle(SystemControlStyle(ControlStyle()));
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 19);
    hotKey_ = scAlt | 'A';
}

void THotKey::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, HOTKEY_CLASSA);
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void THotKey::CreateWnd()
{
    TWinControl::CreateWnd();
    ApplyRules();
    SendMessageA(Handle(), HKM_SETHOTKEY, HotKeyFromShortCut(hotKey_), 0);
}

TShortCut THotKey::HotKey() const
{
    auto* self = const_cast<THotKey*>(this);
    if (!self->HandleAllocated()) return hotKey_;
    return ShortCutFromHotKey(SendMessageA(self->Handle(), HKM_GETHOTKEY, 0, 0));
}

void THotKey::SetHotKey(TShortCut value)
{
    hotKey_ = value;
    if (HandleAllocated()) SendMessageA(Handle(), HKM_SETHOTKEY, HotKeyFromShortCut(value), 0);
}

void THotKey::SetInvalidKeys(THKInvalidKeys value)
{
    invalidKeys_ = value;
    ApplyRules();
}

void THotKey::SetModifiers(THKModifiers value)
{
    modifiers_ = value;
    ApplyRules();
}

void THotKey::ApplyRules()
{
    if (!HandleAllocated()) return;
    static const WPARAM combos[] = {HKCOMB_NONE, HKCOMB_S,  HKCOMB_C,  HKCOMB_A,
                                    HKCOMB_SC,   HKCOMB_SA, HKCOMB_CA, HKCOMB_SCA};
    WPARAM invalid = 0;
    for (int k = hcNone; k <= hcShiftCtrlAlt; ++k)
        if (invalidKeys_.Contains(THKInvalidKey(k))) invalid |= combos[k];
    WORD mods = 0;
    if (modifiers_.Contains(hkShift)) mods |= HOTKEYF_SHIFT;
    if (modifiers_.Contains(hkCtrl)) mods |= HOTKEYF_CONTROL;
    if (modifiers_.Contains(hkAlt)) mods |= HOTKEYF_ALT;
    if (modifiers_.Contains(hkExt)) mods |= HOTKEYF_EXT;
    SendMessageA(Handle(), HKM_SETRULES, invalid, MAKELPARAM(mods, 0));
}

void THotKey::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == EN_CHANGE && onChange_) onChange_(this);
        return;
    case WM_DESTROY:
        if (HandleAllocated()) hotKey_ = HotKey();
        break;
    case WM_GETDLGCODE:
        // The control records neither Tab, Enter nor Escape: they stay the dialog's, to move on, take the
        // default button or cancel.
        message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
        return;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------------------------
// Header sections

namespace {

const bool headerSectionPublished = [] {
    using S = THeaderSection;
    PublishedProperties<S>()
        .Enumeration("Alignment", &S::Alignment, &S::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"},
                     taLeftJustify)
        .Boolean("AllowClick", &S::AllowClick, &S::SetAllowClick, true)
        .Integer("MaxWidth", &S::MaxWidth, &S::SetMaxWidth, 10000)
        .Integer("MinWidth", &S::MinWidth, &S::SetMinWidth, 0)
        .Enumeration("Style", &S::Style, &S::SetStyle, {"hsText", "hsOwnerDraw"}, hsText)
        .String("Text", &S::Text, &S::SetText)
        .Integer("Width", &S::Width, &S::SetWidth, 50);
    return true;
}();

}  // namespace

// The header hears of the section once it is built: the collection announces it before.
THeaderSection::THeaderSection(TCollection* collection) : TCollectionItem(collection)
{
    if (THeaderControl* header = Header()) header->InsertItem(Index());
}

THeaderControl* THeaderSection::Header() const
{
    auto* sections = dynamic_cast<THeaderSections*>(Collection());
    return sections ? sections->HeaderControl() : nullptr;
}

int THeaderSection::Left() const
{
    int x = 0;
    auto* sections = Collection();
    for (int i = 0; sections && i < sections->Count(); ++i) {
        auto* s = static_cast<THeaderSection*>(sections->Items(i));
        if (s == this) break;
        x += s->width_;
    }
    return x;
}

void THeaderSection::UpdateHeader()
{
    if (THeaderControl* header = Header()) header->UpdateSection(Index());
}

void THeaderSection::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<THeaderSection*>(source)) {
        text_ = other->text_;
        minWidth_ = other->minWidth_;
        maxWidth_ = other->maxWidth_;
        width_ = other->width_;
        alignment_ = other->alignment_;
        style_ = other->style_;
        allowClick_ = other->allowClick_;
        UpdateHeader();
        return;
    }
    TCollectionItem::Assign(source);
}

void THeaderSection::SetText(const AnsiString& value)
{
    text_ = value;
    UpdateHeader();
}

void THeaderSection::SetWidth(int value)
{
    width_ = std::clamp(value, minWidth_, std::max(minWidth_, maxWidth_));
    UpdateHeader();
}

void THeaderSection::SetMinWidth(int value)
{
    minWidth_ = std::max(0, value);
    if (width_ < minWidth_) SetWidth(minWidth_);
}

void THeaderSection::SetMaxWidth(int value)
{
    maxWidth_ = std::max(minWidth_, value);
    if (width_ > maxWidth_) SetWidth(maxWidth_);
}

void THeaderSection::SetAlignment(TAlignment value)
{
    alignment_ = value;
    UpdateHeader();
}

void THeaderSection::SetStyle(THeaderSectionStyle value)
{
    style_ = value;
    UpdateHeader();
}

THeaderSections::THeaderSections(THeaderControl* header)
    : TCollection(ClassOf<THeaderSection>()), header_(header)
{
}

TPersistent* THeaderSections::GetOwner() const { return header_; }

void THeaderSections::Notify(TCollectionItem* item, int action)
{
    TCollection::Notify(item, action);
    if (action == 1 && header_->HandleAllocated())
        SendMessageA(header_->Handle(), HDM_DELETEITEM, WPARAM(item->Index()), 0);
}

// ---------------------------------------------------------------------------------------------------------------
// THeaderControl

namespace {

void FillItem(HDITEMA& item, const THeaderSection* s, const AnsiString& text)
{
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = const_cast<char*>(text.c_str());
    item.cxy = s->Width();
    item.fmt = s->Alignment() == taLeftJustify ? HDF_LEFT : s->Alignment() == taRightJustify ? HDF_RIGHT : HDF_CENTER;
    item.fmt |= s->Style() == hsOwnerDraw ? HDF_OWNERDRAW : HDF_STRING;
}

}  // namespace

THeaderControl::THeaderControl(TComponent* owner)
    : TWinControl(owner), sections_(std::make_unique<THeaderSections>(this)), canvas_(std::make_unique<TControlCanvas>())
{
    InitCommonControlClasses();
    canvas_->SetControl(this);
    SetControlStyle(SystemControlStyle(ControlStyle()));
    SetColor(clBtnFace);
    SetBounds(0, 0, 300, 17);
    SetAlign(alTop);
}

THeaderControl::~THeaderControl() { canvas_->FreeHandle(); }

void THeaderControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_HEADERA);
    params.Style |= CCS_TOP | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN;
    if (style_ == hsButtons) params.Style |= HDS_BUTTONS;
    if (style_ == hsFlat) params.Style |= HDS_FLAT;
    if (hotTrack_) params.Style |= HDS_HOTTRACK;
}

void THeaderControl::CreateWnd()
{
    TWinControl::CreateWnd();
    for (int i = 0; i < sections_->Count(); ++i) InsertItem(i);
}

void THeaderControl::SetStyle(THeaderStyle value)
{
    if (value == style_) return;
    style_ = value;
    RecreateWnd();
}

void THeaderControl::SetHotTrack(bool value)
{
    if (value == hotTrack_) return;
    hotTrack_ = value;
    RecreateWnd();
}

void THeaderControl::InsertItem(int index)
{
    if (!HandleAllocated()) return;
    const THeaderSection* s = sections_->Items(index);
    const AnsiString text = s->Text();
    HDITEMA item{};
    FillItem(item, s, text);
    SendMessageA(Handle(), HDM_INSERTITEMA, WPARAM(index), reinterpret_cast<LPARAM>(&item));
}

void THeaderControl::UpdateSection(int index)
{
    if (!HandleAllocated() || index < 0) return;
    const THeaderSection* s = sections_->Items(index);
    const AnsiString text = s->Text();
    HDITEMA item{};
    FillItem(item, s, text);
    SendMessageA(Handle(), HDM_SETITEMA, WPARAM(index), reinterpret_cast<LPARAM>(&item));
}

void THeaderControl::DrawSection(THeaderSection* section, const TRect& rect, bool pressed)
{
    if (onDrawSection_) {
        onDrawSection_(this, section, rect, pressed);
        return;
    }
    canvas_->FillRect(rect);
}

void THeaderControl::CNNotify(TMessage& message)
{
    const auto* nm = reinterpret_cast<const NMHEADERA*>(message.LParam);
    const UINT code = nm->hdr.code;
    const int index = nm->iItem;
    THeaderSection* section = index >= 0 && index < sections_->Count() ? sections_->Items(index) : nullptr;
    auto width = [&](int fallback) {
        return nm->pitem && (nm->pitem->mask & HDI_WIDTH) ? nm->pitem->cxy : fallback;
    };
    message.Result = 0;
    if (!section) return;
    if (code == HDN_ITEMCLICKA || code == HDN_ITEMCLICKW) {
        if (section->AllowClick() && onSectionClick_) onSectionClick_(this, section);
    } else if (code == HDN_BEGINTRACKA || code == HDN_BEGINTRACKW) {
        if (onSectionTrack_) onSectionTrack_(this, section, section->Width(), tsTrackBegin);
    } else if (code == HDN_TRACKA || code == HDN_TRACKW) {
        const int w = std::clamp(width(section->Width()), section->MinWidth(), section->MaxWidth());
        if (onSectionTrack_) onSectionTrack_(this, section, w, tsTrackMove);
    } else if (code == HDN_ENDTRACKA || code == HDN_ENDTRACKW) {
        const int w = std::clamp(width(section->Width()), section->MinWidth(), section->MaxWidth());
        if (onSectionTrack_) onSectionTrack_(this, section, w, tsTrackEnd);
    } else if (code == HDN_ITEMCHANGINGA || code == HDN_ITEMCHANGINGW) {
        // Keep a dragged divider inside the section's limits.
        if (nm->pitem && (nm->pitem->mask & HDI_WIDTH)) {
            const int w = nm->pitem->cxy;
            if (w < section->MinWidth() || w > section->MaxWidth()) {
                message.Result = TRUE;
                section->width_ = std::clamp(w, section->MinWidth(), section->MaxWidth());
                UpdateSection(index);
            }
        }
    } else if (code == HDN_ITEMCHANGEDA || code == HDN_ITEMCHANGEDW) {
        if (nm->pitem && (nm->pitem->mask & HDI_WIDTH) && nm->pitem->cxy != section->width_) {
            section->width_ = nm->pitem->cxy;
            if (onSectionResize_) onSectionResize_(this, section);
        }
    }
}

void THeaderControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_NOTIFY:
        CNNotify(message);
        return;
    case CN_DRAWITEM: {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
        const int index = int(dis->itemID);
        if (index >= 0 && index < sections_->Count()) {
            canvas_->BindPaintDC(dis->hDC);
            struct Unbind {
                TControlCanvas* c;
                ~Unbind() { c->BindPaintDC(nullptr); }
            } unbind{canvas_.get()};
            canvas_->Font()->Assign(Font());
            canvas_->Brush()->SetColor(Color());
            DrawSection(sections_->Items(index), dis->rcItem, (dis->itemState & ODS_SELECTED) != 0);
        }
        message.Result = 1;
        return;
    }
    default:
        break;
    }
    TWinControl::Dispatch(message);
}
