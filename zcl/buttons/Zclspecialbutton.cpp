#include "zcl/buttons/Zclspecialbutton.h"

#include "framework/runtime/Filer.h"

#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"

namespace {

// Stored in forms as the items of the owner's custom-button list. Index and DisplayName follow from the item's
// place and caption and are not stored; the font only when it is the item's own, since reading it ends ParentFont.
const bool specialButtonPublished = [] {
    using B = TZCLSpecialButton;
    PublishedProperties<B>()
        .String("Caption", &B::Caption, &B::SetCaption)
        .Integer("Cursor", [](B* b) { return int(b->Cursor()); }, [](B* b, int v) { b->SetCursor(TCursor(v)); },
                 int(crArrow))
        .String("Hint", &B::Hint, &B::SetHint)
        .Object("Glyph", &B::Glyph, &B::SetGlyph)
        .Boolean("Enabled", &B::Enabled, &B::SetEnabled, true)
        .Object("Layout", &B::Layout, &B::SetLayout)
        .Boolean("ParentFont", &B::ParentFont, &B::SetParentFont, true)
        .Object("Font", &B::Font, &B::SetFont)
        .Stored([](B* b) { return !b->ParentFont(); })
        .Object("FontFX", &B::FontFX, &B::SetFontFX)
        .Integer("GroupIndex", &B::GroupIndex, &B::SetGroupIndex, 0)
        .Integer("Index", &B::Index, &B::SetIndex)
        .Stored(false)
        .String("DisplayName", &B::DisplayName, &B::SetDisplayName)
        .Stored(false)
        .Event("OnClick", &B::OnClick, &B::SetOnClick);
    return true;
}();

}  // namespace

// TZCLSpecialButton -------------------------------------------------------------------------------------------

TZCLSpecialButton::TZCLSpecialButton(TCollection* Collection)
    : TCollectionItem(Collection),
      glyph_(std::make_unique<TBitmap>()),
      button_(std::make_unique<TZCLSpeedButton>(nullptr)),
      layout_(std::make_unique<TZCLButtonLayout>()),
      font_(std::make_unique<TFont>()),
      fontFX_(std::make_unique<TZCLFxCaption>())
{
    button_->SetColor(clBtnFace);
    button_->SetCursor(cursor_);
    button_->SetOnClick(TNotifyEvent(this, &TZCLSpecialButton::ButtonClick));
    TWinControl* owner = Buttons() ? Buttons()->Control() : nullptr;
    // The owner's font to start with, while the item takes its owner's font.
    if (owner) font_->Assign(owner->Font());
    glyph_->SetOnChange(TNotifyEvent(this, &TZCLSpecialButton::GlyphChanged));
    layout_->SetOnChange(TNotifyEvent(this, &TZCLSpecialButton::LayoutChanged));
    font_->SetOnChange(TNotifyEvent(this, &TZCLSpecialButton::FontChanged));
    fontFX_->SetOnChange(TNotifyEvent(this, &TZCLSpecialButton::FontFXChanged));
    if (owner) button_->SetParent(owner);
    // The collection heard of the item while it was not built yet: now it is.
    Changed(false);
}

TZCLSpecialButton::~TZCLSpecialButton()
{
    button_->SetOnClick(TNotifyEvent());
    glyph_->SetOnChange(TNotifyEvent());
    layout_->SetOnChange(TNotifyEvent());
    font_->SetOnChange(TNotifyEvent());
    fontFX_->SetOnChange(TNotifyEvent());
    button_.reset();
}

TZCLSpecialButtons* TZCLSpecialButton::Buttons() const { return dynamic_cast<TZCLSpecialButtons*>(Collection()); }

void TZCLSpecialButton::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TZCLSpecialButton*>(Source);
    if (!other) {
        TCollectionItem::Assign(Source);
        return;
    }
    if (other == this) return;
    assigning_ = true;
    try {
        SetCaption(other->caption_);
        SetHint(other->hint_);
        SetGlyph(other->glyph_.get());
        SetEnabled(other->enabled_);
        SetCursor(other->cursor_);
        SetGroupIndex(other->groupIndex_);
        SetLayout(other->layout_.get());
        SetFont(other->font_.get());
        SetFontFX(other->fontFX_.get());
        SetParentFont(other->parentFont_);
        onClick_ = other->onClick_;
    } catch (...) {
        assigning_ = false;
        throw;
    }
    assigning_ = false;
    Changed(false);
}

void TZCLSpecialButton::Report()
{
    if (!assigning_) Changed(false);
}

void TZCLSpecialButton::SetCaption(const AnsiString& Value)
{
    caption_ = Value;
    button_->SetCaption(Value);
    Report();
}

void TZCLSpecialButton::SetHint(const AnsiString& Value)
{
    hint_ = Value;
    button_->SetHint(Value);
    Report();
}

void TZCLSpecialButton::SetGlyph(TBitmap* Value)
{
    if (Value)
        glyph_->Assign(Value);
    else
        glyph_->SetSize(0, 0);
}

void TZCLSpecialButton::GlyphChanged(TObject*)
{
    button_->SetGlyph(glyph_.get());
    Report();
}

void TZCLSpecialButton::SetEnabled(bool Value)
{
    enabled_ = Value;
    button_->SetEnabled(Value);
    Report();
}

void TZCLSpecialButton::SetCursor(TCursor Value)
{
    cursor_ = Value;
    button_->SetCursor(Value);
    Report();
}

void TZCLSpecialButton::SetGroupIndex(int Value)
{
    groupIndex_ = Value;
    button_->SetGroupIndex(Value);
    Report();
}

void TZCLSpecialButton::SetParentFont(bool Value)
{
    parentFont_ = Value;
    if (Value)
        button_->SetParentFont(true);
    else
        button_->SetFont(font_.get());
    Report();
}

void TZCLSpecialButton::SetLayout(TZCLButtonLayout* Value) { layout_->Assign(Value); }

void TZCLSpecialButton::SetFont(TFont* Value) { font_->Assign(Value); }

void TZCLSpecialButton::SetFontFX(TZCLFxCaption* Value) { fontFX_->Assign(Value); }

void TZCLSpecialButton::LayoutChanged(TObject*)
{
    button_->SetButtonLayout(layout_.get());
    Report();
}

void TZCLSpecialButton::FontChanged(TObject*)
{
    // A font of the item's own, as a control's own font ends its ParentFont.
    parentFont_ = false;
    button_->SetFont(font_.get());
    Report();
}

void TZCLSpecialButton::FontFXChanged(TObject*)
{
    button_->SetFontFX(fontFX_.get());
    Report();
}

void TZCLSpecialButton::ButtonClick(TObject*)
{
    // Copies: a handler may free the item or the whole collection.
    const int index = Index();
    const TZCLSpecialButtonClickEvent onClick = onClick_;
    TZCLSpecialButtons* buttons = Buttons();
    const TZCLSpecialButtonClickEvent ownerClick = buttons ? buttons->OnButtonClick() : TZCLSpecialButtonClickEvent();
    if (onClick) onClick(this, index);
    if (ownerClick) ownerClick(this, index);
}

AnsiString TZCLSpecialButton::GetDisplayName() const
{
    return caption_.IsEmpty() ? TCollectionItem::GetDisplayName() : caption_;
}

// TZCLSpecialButtons ------------------------------------------------------------------------------------------

TZCLSpecialButtons::TZCLSpecialButtons(TWinControl* Owner)
    : TCollection(ClassOf<TZCLSpecialButton>()), owner_(Owner)
{
}

TZCLSpecialButtons::~TZCLSpecialButtons()
{
    onUpdate_ = TNotifyEvent();
    onButtonClick_ = TZCLSpecialButtonClickEvent();
}

TZCLSpecialButton* TZCLSpecialButtons::Add() { return static_cast<TZCLSpecialButton*>(TCollection::Add()); }

TZCLSpecialButton* TZCLSpecialButtons::GetItem(int Index) const
{
    return static_cast<TZCLSpecialButton*>(TCollection::Items(Index));
}

void TZCLSpecialButtons::SetItem(int Index, TZCLSpecialButton* Value) { GetItem(Index)->Assign(Value); }

void TZCLSpecialButtons::Update(TCollectionItem*)
{
    if (updating_) return;
    // An item being made or freed is not one the owner can lay out yet; it reports once it is built.
    for (int i = 0; i < Count(); ++i)
        if (!dynamic_cast<TZCLSpecialButton*>(TCollection::Items(i))) return;
    updating_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{updating_};
    if (onUpdate_)
        onUpdate_(this);
    else if (owner_ && owner_->HandleAllocated())
        owner_->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(owner_->ClientWidth(), owner_->ClientHeight()));
}
