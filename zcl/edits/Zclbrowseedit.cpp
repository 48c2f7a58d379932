#include "zcl/edits/Zclbrowseedit.h"

#include <memory>

#include "framework/visual/Forms.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/containers/Zclcont.h"

TZCLCustomBrowseEdit::TZCLCustomBrowseEdit(TComponent* AOwner) : TZCLCustomEdit(AOwner)
{
    TZCLSpecialButton* button = CustomButtons()->Add();
    button->SetOnClick(TZCLSpecialButtonClickEvent(this, &TZCLCustomBrowseEdit::BrowseClick));
    SetCustomButtonWidth(18);
}

void TZCLCustomBrowseEdit::BrowseClick(TObject*, int) { DoOnBrowseClick(); }

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
