#pragma once
// Common controls: page control with tab sheets, tool bar with tool buttons, hot key and header control.

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "framework/visual/ActnList.h"
#include "framework/visual/Controls.h"
#include "framework/visual/ImgList.h"
#include "framework/visual/Menus.h"

// Registers the common control classes the framework uses (once).
void InitCommonControlClasses();

// ---------------------------------------------------------------------------------------------------------------
// TPageControl / TTabSheet: a system tab control over sheets that hold the controls; only the active sheet shows.

class TPageControl;

class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    // Puts the sheet (last) into a page control, which becomes its parent.
    void SetPageControl(TPageControl* value);
    int PageIndex() const;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);

    void Dispatch(TMessage& message) override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;  // not owned
    int imageIndex_ = -1;
};

using TTabChangingEvent = Closure<void(TObject* Sender, bool& AllowChange)>;

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return int(pages_.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return activePage_; }
    // From code: shows the page; OnChange is for the user's switches.
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }
    TTabChangingEvent OnChanging() const { return onChanging_; }
    void SetOnChanging(TTabChangingEvent e) { onChanging_ = e; }

    void Dispatch(TMessage& message) override;
    void AdjustClientRect(TRect& rect) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void Change();
    virtual bool CanChange();

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTab(TTabSheet* page);
    void ShowActive();

    std::vector<TTabSheet*> pages_;  // not owned: the sheets' owner frees them
    TTabSheet* activePage_ = nullptr;
    TCustomImageList* images_ = nullptr;  // not owned
    TNotifyEvent onChange_;
    TTabChangingEvent onChanging_;
};

// ---------------------------------------------------------------------------------------------------------------
// TToolBar / TToolButton: a bar drawn by us whose buttons lie left to right; a flat button lights up under the
// mouse and shows its action's caption, hint and image.

class TToolBar;

class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* owner);

    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    bool Down() const { return down_; }
    void SetDown(bool value);
    TToolBar* ToolBar() const;

    void Dispatch(TMessage& message) override;
    void SetParent(TWinControl* parent) override;

protected:
    void Paint() override;
    void ActionChange(TObject* sender, bool checkDefaults) override;
    TControlActionLinkPtr CreateActionLink() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    int imageIndex_ = -1;
    bool down_ = false;
    bool hot_ = false;      // the mouse is over it
    bool pressed_ = false;  // the left button went down on it
};

class TToolBar : public TCustomControl {
public:
    explicit TToolBar(TComponent* owner);

    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int value);
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int value);
    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool value);
    int ButtonCount() const;
    TToolButton* Buttons(int index) const;

    void AlignControls(TControl* control, TRect& rect) override;
    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool flat_ = false;
    TCustomImageList* images_ = nullptr;  // not owned
    int buttonWidth_ = 23;
    int buttonHeight_ = 22;
    bool showCaptions_ = false;
};

// ---------------------------------------------------------------------------------------------------------------
// THotKey: the system hot key control.

enum THKInvalidKey : unsigned char { hcNone, hcShift, hcCtrl, hcAlt, hcShiftCtrl, hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt };
using THKInvalidKeys = TSet<THKInvalidKey>;
enum THKModifier : unsigned char { hkShift, hkCtrl, hkAlt, hkExt };
using THKModifiers = TSet<THKModifier>;

class THotKey : public TWinControl {
public:
    explicit THotKey(TComponent* owner);

    // The key as a short cut (virtual key with scShift, scCtrl, scAlt).
    TShortCut HotKey() const;
    void SetHotKey(TShortCut value);
    // Combinations the control refuses; it puts Modifiers in their place.
    THKInvalidKeys InvalidKeys() const { return invalidKeys_; }
    void SetInvalidKeys(THKInvalidKeys value);
    THKModifiers Modifiers() const { return modifiers_; }
    void SetModifiers(THKModifiers value);

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    void ApplyRules();

    TShortCut hotKey_ = 0;  // while there is no window
    THKInvalidKeys invalidKeys_{hcNone, hcShift};
    THKModifiers modifiers_{hkAlt};
    TNotifyEvent onChange_;
};

// ---------------------------------------------------------------------------------------------------------------
// THeaderControl: the system header with sections.

class THeaderControl;
class THeaderSections;

enum THeaderSectionStyle : unsigned char { hsText, hsOwnerDraw };

// One section of a header control; an item of the header's Sections collection.
class THeaderSection : public TCollectionItem {
public:
    explicit THeaderSection(TCollection* collection);

    AnsiString Text() const { return text_; }
    void SetText(const AnsiString& value);
    int Width() const { return width_; }
    void SetWidth(int value);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int value);
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    THeaderSectionStyle Style() const { return style_; }
    void SetStyle(THeaderSectionStyle value);
    bool AllowClick() const { return allowClick_; }
    void SetAllowClick(bool value) { allowClick_ = value; }
    void Assign(TPersistent* source) override;
    // The left edge in the header (the sum of the widths before it).
    int Left() const;
    int Right() const { return Left() + width_; }

private:
    friend class THeaderControl;
    THeaderControl* Header() const;
    void UpdateHeader();

    AnsiString text_;
    int width_ = 50;
    int minWidth_ = 0;
    int maxWidth_ = 10000;
    TAlignment alignment_ = taLeftJustify;
    THeaderSectionStyle style_ = hsText;
    bool allowClick_ = true;
};

// The sections of a header control, which owns them; stored in forms as an item list.
class THeaderSections : public TCollection {
public:
    explicit THeaderSections(THeaderControl* header);
    THeaderSection* Add() { return static_cast<THeaderSection*>(TCollection::Add()); }
    // Raises EListError for a bad index.
    THeaderSection* Items(int index) const { return static_cast<THeaderSection*>(TCollection::Items(index)); }
    THeaderControl* HeaderControl() const { return header_; }

protected:
    TPersistent* GetOwner() const override;
    void Notify(TCollectionItem* item, int action) override;

private:
    THeaderControl* header_;  // owns this collection
};

enum THeaderStyle : unsigned char { hsButtons, hsFlat };
enum TSectionTrackState : unsigned char { tsTrackBegin, tsTrackMove, tsTrackEnd };
using TSectionNotifyEvent = Closure<void(THeaderControl* HeaderControl, THeaderSection* Section)>;
using TSectionTrackEvent = Closure<void(THeaderControl* HeaderControl, THeaderSection* Section, int Width,
                                        TSectionTrackState State)>;
using TDrawSectionEvent =
    Closure<void(THeaderControl* HeaderControl, THeaderSection* Section, const TRect& Rect, bool Pressed)>;

class THeaderControl : public TWinControl {
public:
    explicit THeaderControl(TComponent* owner);
    ~THeaderControl() override;

    THeaderSections* Sections() const { return sections_.get(); }
    THeaderStyle Style() const { return style_; }
    void SetStyle(THeaderStyle value);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);
    TCanvas* Canvas() const { return canvas_.get(); }

    TSectionNotifyEvent OnSectionClick() const { return onSectionClick_; }
    void SetOnSectionClick(TSectionNotifyEvent e) { onSectionClick_ = e; }
    TSectionNotifyEvent OnSectionResize() const { return onSectionResize_; }
    void SetOnSectionResize(TSectionNotifyEvent e) { onSectionResize_ = e; }
    TSectionTrackEvent OnSectionTrack() const { return onSectionTrack_; }
    void SetOnSectionTrack(TSectionTrackEvent e) { onSectionTrack_ = e; }
    TDrawSectionEvent OnDrawSection() const { return onDrawSection_; }
    void SetOnDrawSection(TDrawSectionEvent e) { onDrawSection_ = e; }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    virtual void DrawSection(THeaderSection* section, const TRect& rect, bool pressed);

private:
    friend class THeaderSection;
    friend class THeaderSections;
    void UpdateSection(int index);
    void InsertItem(int index);
    void CNNotify(TMessage& message);

    std::unique_ptr<THeaderSections> sections_;
    std::unique_ptr<TControlCanvas> canvas_;
    THeaderStyle style_ = hsButtons;
    bool hotTrack_ = false;
    TSectionNotifyEvent onSectionClick_, onSectionResize_;
    TSectionTrackEvent onSectionTrack_;
    TDrawSectionEvent onDrawSection_;
};
