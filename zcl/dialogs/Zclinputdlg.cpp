#include "zcl/dialogs/Zclinputdlg.h"

#include <algorithm>
#include <memory>

#include "framework/runtime/Filer.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/components/Zclback.h"
#include "zcl/components/Zclformstyler.h"
#include "zcl/core/Zclconst.h"
#include "zcl/edits/Zcledit.h"
#include "zcl/panels/Zclcustomsimplelabel.h"

namespace {

const bool inputDlgPublished = [] {
    using D = TZCLInputDlg;
    PublishedProperties<D>()
        .Integer("MaxLength", &D::MaxLength, &D::SetMaxLength, 0)
        .Char("PasswordChar", &D::PasswordChar, &D::SetPasswordChar, 0)
        .String("DefaultValue", &D::DefaultValue, &D::SetDefaultValue)
        .String("Prompt", &D::Prompt, &D::SetPrompt)
        .String("Value", &D::Value, &D::SetValue);
    return true;
}();

}  // namespace

namespace {

constexpr int FormWidth = 300;
constexpr int FormHeight = 130;
constexpr int ButtonTop = 75;
constexpr int ButtonHeight = 24;
constexpr int ButtonGap = 5;

}  // namespace

TZCLInputDlg::TZCLInputDlg(TComponent* AOwner) : TZCLBaseDialog(AOwner) {}

bool TZCLInputDlg::Execute() { return ExecuteEnh(nullptr); }

bool TZCLInputDlg::ExecuteEnh(TForm* Target) { return ShowDialog(CaptionTitle(), prompt_, defaultValue_, Target); }

bool TZCLInputDlg::InputQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value)
{
    const bool ok = ShowDialog(Caption, Prompt, AnsiString(), nullptr);
    if (ok) Value = value_;
    return ok;
}

AnsiString TZCLInputDlg::InputBox(const AnsiString& Caption, const AnsiString& Prompt, const AnsiString& Default)
{
    return ShowDialog(Caption, Prompt, Default, nullptr) ? value_ : Default;
}

bool TZCLInputDlg::ShowDialog(const AnsiString& Caption, const AnsiString& Prompt, const AnsiString& Default,
                              TForm* Target)
{
    // Owned here, so an exception from a handler never leaves the form (and the windows it disabled) behind.
    std::unique_ptr<TForm> form(TForm::CreateNew(nullptr));
    form->SetBorderStyle(bsDialog);
    form->Font()->SetName("MS Sans Serif");
    form->Font()->SetHeight(-11);
    form->Font()->SetColor(clWindowText);
    form->SetPosition(poDefault);
    form->SetPixelsPerInch(96);
    form->SetHeight(FormHeight);
    form->SetWidth(FormWidth);

    TCanvas* canvas = form->Canvas();
    canvas->Font()->Assign(form->Font());
    const int w = std::max({80, canvas->TextWidth(ZCLLoadResString(_IDS_CANCEL)) + 6, canvas->TextWidth(CustomButton()) + 6});
    const bool custom = !CustomButton().IsEmpty();
    const int row = (w + ButtonGap) * (custom ? 3 : 2);
    if (row > FormWidth) form->SetWidth(row + 10);
    const int rowStart = (form->Width() - row) / 2;

    auto button = [&](int left, const AnsiString& caption, TModalResult result, int tabOrder) {
        auto* b = new TButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(left, ButtonTop, w, ButtonHeight);
        b->SetCaption(caption);
        b->SetModalResult(result);
        b->SetTabOrder(tabOrder);
        return b;
    };
    TButton* okButton = button(rowStart, "OK", mrOk, 0);
    okButton->SetDefault(true);
    TButton* cancelButton = button(okButton->Left() + w + ButtonGap, ZCLLoadResString(_IDS_CANCEL), mrCancel, 1);
    cancelButton->SetCancel(true);
    TButton* customButton = button(cancelButton->Left() + w + ButtonGap, AnsiString(), mrNone, 2);

    auto* label = new TZCLSimpleLabel(form.get());
    label->SetParent(form.get());
    label->SetLeft(10);
    label->SetTop(10);
    label->SetCaption(Prompt);

    auto* edit = new TZCLEdit(form.get());
    edit->SetParent(form.get());
    edit->SetLeft(10);
    edit->SetTop(label->Top() + label->Height() + 2);
    edit->SetWidth(form->Width() - 30);
    edit->SetTabOrder(0);
    edit->SetPasswordChar(passwordChar_);
    edit->SetText(Default);
    edit->SetMaxLength(maxLength_);

    TStrings* hints = Hints();
    if (ShowHints() && hints->Count() > 0) {
        form->SetShowHint(true);
        TControl* targets[] = {okButton, cancelButton, edit, customButton};
        for (int i = 0; i < 4 && i < hints->Count(); ++i) targets[i]->SetHint(hints->Strings(i));
    }

    auto* styler = new TZCLFormStyler(form.get());
    styler->SetEnabled(false);
    auto* back = new TZCLBack(form.get());
    back->SetEnabled(false);

    // CaptionTitle, when set, titles every dialog of the component.
    const AnsiString title = Caption.IsEmpty() ? ZCLLoadResString(_IDS_INPUTCAPTION) : Caption;
    const TModalResult result = BaseExecute(form.get(), Target, title, back, styler, customButton);
    const bool ok = result == mrOk;
    value_ = ok ? edit->Text() : AnsiString();
    return ok;
}
