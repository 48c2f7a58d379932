// The edit's published properties and its caret's go through a stream as the library's object storage keeps
// them: every changed setting comes back on an edit built in code, and settings left at their defaults are not
// written at all.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Forms.h"
#include "zcl/edits/Zcledit.h"
#include "zcl/graphics/Zclbevel.h"
#include "zcl/graphics/Zclcaption.h"

namespace {

std::int64_t Written(TZCLEdit* edit, TForm* root, TMemoryStream& stream)
{
    stream.SetSize(0);
    {
        TWriter writer(&stream);
        writer.SetRoot(root);
        writer.WriteComponent(edit);
    }
    stream.SetPosition(0);
    return stream.Size();
}

void ReadInto(TZCLEdit* edit, TForm* root, TMemoryStream& stream)
{
    TReader reader(&stream);
    reader.SetRoot(root);
    reader.SetOwner(root);
    reader.ReadComponent(edit);
}

TEST(ZclEditPublished, ChangedSettingsComeBackFromAStream)
{
    TForm form(nullptr);
    auto* edit = new TZCLEdit(&form);
    edit->SetName("Password");
    edit->SetBounds(12, 34, 150, 23);
    edit->SetMaxLength(20);
    edit->SetPasswordChar('#');
    edit->SetAlignment(taCenter);
    edit->SetReadOnly(true);
    edit->SetCustomButtonWidth(22);
    edit->SetCustomButtonStyle(ubsWin31);
    edit->SetHighlightBack(clRed);
    edit->SetHighlightText(clYellow);
    edit->SetFocusOnMouseAbove(true);
    edit->SetCharCase(ecUpperCase);
    edit->SetHideSelection(false);
    edit->SetAutoSelect(true);
    edit->SetOEMConvert(true);
    edit->SetColor(clAqua);
    edit->SetFlat(true);
    edit->SetTabStop(false);
    edit->SetDragCursor(crHandPoint);
    edit->Font3D()->SetStyle(tdRaised);
    edit->Bevel()->SetMode(bmStandard);
    edit->Caret()->SetBlinkRate(333);
    edit->Caret()->SetStyle(csUnderBlock);
    edit->Caret()->SetWidth(5);
    edit->Caret()->SetHeight(7);
    edit->Caret()->SetCaretBmpMode(cbTile);
    edit->SetText("streamed text");
    ASSERT_EQ(edit->Text(), "streamed text");

    TMemoryStream stream;
    Written(edit, &form, stream);
    TForm other(nullptr);
    auto* back = new TZCLEdit(&other);
    back->SetName("Password");
    ReadInto(back, &other, stream);

    EXPECT_EQ(back->Left(), 12);
    EXPECT_EQ(back->Top(), 34);
    EXPECT_EQ(back->Width(), 150);
    EXPECT_EQ(back->Height(), 23);
    EXPECT_EQ(back->MaxLength(), 20);
    EXPECT_EQ(back->PasswordChar(), '#');
    EXPECT_EQ(back->Alignment(), taCenter);
    EXPECT_TRUE(back->ReadOnly());
    EXPECT_EQ(back->CustomButtonWidth(), 22);
    EXPECT_EQ(back->CustomButtonStyle(), ubsWin31);
    EXPECT_EQ(back->HighlightBack(), clRed);
    EXPECT_EQ(back->HighlightText(), clYellow);
    EXPECT_TRUE(back->FocusOnMouseAbove());
    EXPECT_EQ(back->CharCase(), ecUpperCase);
    EXPECT_FALSE(back->HideSelection());
    EXPECT_TRUE(back->AutoSelect());
    EXPECT_TRUE(back->OEMConvert());
    EXPECT_EQ(back->Color(), clAqua);
    EXPECT_TRUE(back->Flat());
    EXPECT_FALSE(back->TabStop());
    EXPECT_EQ(back->DragCursor(), crHandPoint);
    EXPECT_EQ(back->Font3D()->Style(), tdRaised);
    EXPECT_EQ(back->Bevel()->Mode(), bmStandard);
    EXPECT_EQ(back->Caret()->BlinkRate(), 333);
    EXPECT_EQ(back->Caret()->Style(), csUnderBlock);
    EXPECT_EQ(back->Caret()->Width(), 5);
    EXPECT_EQ(back->Caret()->Height(), 7);
    EXPECT_EQ(back->Caret()->CaretBmpMode(), cbTile);
    EXPECT_EQ(back->Text(), "streamed text") << "the text, neither upper-cased nor cut";
    EXPECT_EQ(back->DisplayText(), "#############");
    EXPECT_FALSE(back->Modified()) << "a text read is no edit of the user's";
}

TEST(ZclEditPublished, DefaultsAreNotWritten)
{
    TForm form(nullptr);
    auto* edit = new TZCLEdit(&form);
    edit->SetName("Plain");
    // The caret's blink rate is the system's at the time: always written.
    TMemoryStream stream;
    const std::int64_t plain = Written(edit, &form, stream);
    edit->SetMaxLength(5);
    EXPECT_GT(Written(edit, &form, stream), plain);
    edit->SetMaxLength(0);
    EXPECT_EQ(Written(edit, &form, stream), plain);
    edit->SetColor(clWhite);
    edit->SetCursor(crIBeam);
    edit->SetTabStop(true);
    edit->SetCustomButtonWidth(16);
    edit->SetCustomButtonStyle(ubsIntegrated);
    edit->SetHideSelection(true);
    edit->Caret()->SetWidth(2);
    edit->Caret()->SetHeight(10);
    EXPECT_EQ(Written(edit, &form, stream), plain) << "the constructor's values are the defaults";
}

}  // namespace
