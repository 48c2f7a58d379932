#pragma once
// Custom buttons: a collection whose every item owns one speed button on the collection's owner control.
// Edits show them at their right end, button panels lay them out in a grid.

#include <memory>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Graphics.h"
#include "zcl/buttons/Zclspeedbutton.h"

class TZCLButtonLayout;
class TZCLFxCaption;

// Sender is the item (or the owner, for the owner's event), Index the item's position.
using TZCLSpecialButtonClickEvent = Closure<void(TObject* Sender, int Index)>;

class TZCLSpecialButtons;

class TZCLSpecialButton : public TCollectionItem {
public:
    // The speed button goes on the collection's owner, in the button face colour with the arrow cursor.
    explicit TZCLSpecialButton(TCollection* Collection);
    ~TZCLSpecialButton() override;

    // Caption, hint, glyph, enabled state, cursor, group index, layout, font, font effects, ParentFont and the
    // click handler of another item; one change at the end.
    void Assign(TPersistent* Source) override;

    // Passed on to the speed button at once, then reported to the collection.
    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& Value);
    AnsiString Hint() const { return hint_; }
    void SetHint(const AnsiString& Value);
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    // The speed button takes its owner's font while set; a font of the item's own clears it.
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool Value);
    // Owned; a change is copied into the speed button's own and reported.
    TZCLButtonLayout* Layout() const { return layout_.get(); }
    void SetLayout(TZCLButtonLayout* Value);
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* Value);
    TZCLFxCaption* FontFX() const { return fontFX_.get(); }
    void SetFontFX(TZCLFxCaption* Value);

    // Fired with the item and its index when its speed button is clicked, before the owner hears of it.
    TZCLSpecialButtonClickEvent OnClick() const { return onClick_; }
    void SetOnClick(TZCLSpecialButtonClickEvent Value) { onClick_ = Value; }

    TZCLSpeedButton* SpeedButton() const { return button_.get(); }
    TZCLSpecialButtons* Buttons() const;

protected:
    // The caption, else the class name.
    AnsiString GetDisplayName() const override;

private:
    void ButtonClick(TObject* Sender);
    void GlyphChanged(TObject* Sender);
    void LayoutChanged(TObject* Sender);
    void FontChanged(TObject* Sender);
    void FontFXChanged(TObject* Sender);
    void Report();

    std::unique_ptr<TBitmap> glyph_;
    std::unique_ptr<TZCLSpeedButton> button_;
    int groupIndex_ = 0;
    bool enabled_ = true;
    TCursor cursor_ = crArrow;
    bool parentFont_ = true;
    std::unique_ptr<TZCLButtonLayout> layout_;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TZCLFxCaption> fontFX_;
    AnsiString caption_;
    AnsiString hint_;
    TZCLSpecialButtonClickEvent onClick_;
    bool assigning_ = false;  // Assign reports once at its end
};

class TZCLSpecialButtons : public TCollection {
public:
    // Owner is the control the speed buttons go on (may be null).
    explicit TZCLSpecialButtons(TWinControl* Owner);
    ~TZCLSpecialButtons() override;

    TZCLSpecialButton* Add();
    // Raises EListError for a bad index.
    TZCLSpecialButton* GetItem(int Index) const;
    // Copies Value into item Index.
    void SetItem(int Index, TZCLSpecialButton* Value);
    TZCLSpecialButton* Items(int Index) const { return GetItem(Index); }
    TWinControl* Control() const { return owner_; }

    // Told of every change of the collection or an item (a button panel lays its buttons out again). Without
    // it, an owner with a window gets a size message, so that it lays out its rectangles again (an edit).
    TNotifyEvent OnUpdate() const { return onUpdate_; }
    void SetOnUpdate(TNotifyEvent Value) { onUpdate_ = Value; }
    // Told of every click of a button, after the item's OnClick (an edit's DoAClick, a panel's DoBtnClick).
    TZCLSpecialButtonClickEvent OnButtonClick() const { return onButtonClick_; }
    void SetOnButtonClick(TZCLSpecialButtonClickEvent Value) { onButtonClick_ = Value; }

protected:
    TPersistent* GetOwner() const override { return owner_; }
    void Update(TCollectionItem* Item) override;

private:
    friend class TZCLSpecialButton;
    TWinControl* owner_;  // not owned
    bool updating_ = false;  // the owner is being told; changes it makes meanwhile are not told again
    TNotifyEvent onUpdate_;
    TZCLSpecialButtonClickEvent onButtonClick_;
};
