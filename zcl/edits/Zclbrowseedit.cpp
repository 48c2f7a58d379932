#include "zcl/edits/Zclbrowseedit.h"

#include <memory>

#include "framework/runtime/Filer.h"

#include "framework/visual/Forms.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/containers/Zclcont.h"

namespace {

const bool fileOpenEditPublished = [] {
    using E = TZCLFileOpenEdit;
    PublishedProperties<E>()
        .Enumeration("Alignment", &E::Alignment, &E::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"},
                     taLeftJustify)
        .Boolean("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
        .String("DefaultExt", &E::DefaultExt, &E::SetDefaultExt)
        .String("Filter", &E::Filter, &E::SetFilter)
        .String("InitialDir", &E::InitialDir, &E::SetInitialDir)
        .Set("Options", &E::Options, &E::SetOptions,
             {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofNoValidate",
              "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt", "ofShareAware",
              "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames",
              "ofNoDereferenceLinks", "ofEnableSizing"},
             TOpenOptions{ofHideReadOnly})
        .String("Title", &E::Title, &E::SetTitle)
        .String("Filename", &E::GetFileName, &E::SetFilename)
        .Event("OnBtnClick", &E::OnBtnClick, &E::SetOnBtnClick);
    return true;
}();

}  // namespace

TZCLCustomBrowseEdit::TZCLCustomBrowseEdit(TComponent* AOwner) : TZCLCustomEdit(AOwner)
{
    TZCLSpecialButton* button = CustomButtons()->Add();
    button->SetOnClick(TZCLSpecialButtonClickEvent(this, &TZCLCustomBrowseEdit::BrowseClick));
    SetCustomButtonWidth(18);
}

void TZCLCustomBrowseEdit::BrowseClick(TObject*, int) { DoOnBrowseClick(); }

void TZCLCustomBrowseEdit::Dispatch(TMessage& Message)
{
    TZCLCustomEdit::Dispatch(Message);
    // The browse button greys with the edit.
    if (Message.Msg == CM_ENABLEDCHANGED && CustomButtonCount() > 0) CustomButtons()->GetItem(0)->SetEnabled(Enabled());
}

void TZCLCustomBrowseEdit::DoOnBrowseClick() {}

TZCLFileOpenEdit::TZCLFileOpenEdit(TComponent* AOwner) : TZCLCustomBrowseEdit(AOwner)
{
    TBitmap strip;
    if (!ZCLBmpLoad(nullptr, ZCLBrowseGlyphResource, &strip) || strip.Width() < ZCLBrowseGlyphWidth) return;
    TBitmap glyph;
    glyph.Assign(&strip);
    glyph.SetWidth(ZCLBrowseGlyphWidth);
    CustomButtons()->GetItem(0)->SetGlyph(&glyph);
}

void TZCLFileOpenEdit::DoOnBrowseClick()
{
    // Freed however the dialog ends, an exception included.
    auto dialog = std::make_unique<TOpenDialog>(Application);
    dialog->SetOptions(options_);
    dialog->SetFilter(filter_);
    dialog->SetInitialDir(initialDir_);
    dialog->SetDefaultExt(defaultExt_);
    dialog->SetTitle(title_);
    if (dialog->Execute()) SetFilename(dialog->FileName());
}
