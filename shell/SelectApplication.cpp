#include "shell/SelectApplication.h"

#include <algorithm>

#include "mirror/Process.h"
#include "zcl/components/Zclimagelistbox.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zcllayout.h"

TFormSelectApplication* FormSelectApplication = nullptr;

namespace {

// Between a row's text and its picture's number.
constexpr char Delimiter = ';';
// The list box keeps this much room at each end of a row.
constexpr int RowMargin = 2;

// The two row pictures on a fuchsia ground that is left out when drawn.
TCanvas* BlankPicture(TBitmap& b)
{
    b.SetPixelFormat(pf24bit);
    b.SetSize(16, 16);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect(0, 0, 16, 16));
    return c;
}

void DrawProgramPicture(TBitmap& b)
{
    TCanvas* c = BlankPicture(b);
    // A sheet with a cog-like square: a program file.
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(3, 1, 13, 15));
    c->Brush()->SetColor(clBlack);
    c->FrameRect(TRect(3, 1, 13, 15));
    c->Brush()->SetColor(clTeal);
    c->FillRect(TRect(5, 6, 11, 12));
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(7, 8, 9, 10));
}

void DrawWindowPicture(TBitmap& b)
{
    TCanvas* c = BlankPicture(b);
    // A window with its title bar.
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(1, 2, 15, 14));
    c->Brush()->SetColor(clNavy);
    c->FillRect(TRect(1, 2, 15, 5));
    c->FrameRect(TRect(1, 2, 15, 14));
}

template <typename T>
T* Make(TComponentLoader& loading, const char* name, TWinControl* parent)
{
    T* c = loading.Create<T>();
    c->SetName(name);
    c->SetParent(parent);
    return c;
}

}  // namespace

TFormSelectApplication::TFormSelectApplication(TComponent* owner) : TForm(owner)
{
    // A list that cannot be made is left out; the dialog then shows the other one.
    try {
        FNames = std::make_unique<TStringList>();
    } catch (...) {
    }
    try {
        FTitles = std::make_unique<TStringList>();
    } catch (...) {
    }

    TComponentLoader loading(this);
    SetName("FormSelectApplication");
    SetCaption("Select Application");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    SetClientSize(348, 259);
    SetOnShow(TNotifyEvent(this, &TFormSelectApplication::FormShow));

    BitmapList = loading.Create<TZCLBitmapList>();
    BitmapList->SetName("BitmapList");
    for (void (*draw)(TBitmap&) : {&DrawProgramPicture, &DrawWindowPicture}) {
        TBitmap picture;
        draw(picture);
        BitmapList->Add();
        BitmapList->BitmapItem(BitmapList->GetCount() - 1)->SetBitmap(&picture);
    }

    Panel2 = Make<TPanel>(loading, "Panel2", this);
    Panel2->SetBounds(0, 195, 348, 64);
    Panel2->SetAlign(alBottom);
    Panel2->SetBevelOuter(TBevelCut::bvNone);
    Panel2->SetCaption("");
    BtnTitle = Make<TRadioButton>(loading, "BtnTitle", Panel2);
    BtnTitle->SetBounds(12, 10, 150, 17);
    BtnTitle->SetCaption("Application Title");
    BtnTitle->SetChecked(true);
    BtnTitle->SetOnClick(TNotifyEvent(this, &TFormSelectApplication::BtnTitleClick));
    BtnName = Make<TRadioButton>(loading, "BtnName", Panel2);
    BtnName->SetBounds(12, 34, 150, 17);
    BtnName->SetCaption("Application Name");
    BtnName->SetOnClick(TNotifyEvent(this, &TFormSelectApplication::BtnNameClick));
    BtnOk = Make<TButton>(loading, "BtnOk", Panel2);
    BtnOk->SetBounds(180, 28, 75, 25);
    BtnOk->SetCaption("OK");
    BtnOk->SetDefault(true);
    BtnOk->SetModalResult(mrOk);
    BtnOk->SetOnClick(TNotifyEvent(this, &TFormSelectApplication::BtnOkClick));
    BtnCancel = Make<TButton>(loading, "BtnCancel", Panel2);
    BtnCancel->SetBounds(263, 28, 75, 25);
    BtnCancel->SetCaption("Cancel");
    BtnCancel->SetCancel(true);
    BtnCancel->SetModalResult(mrCancel);

    Panel1 = Make<TPanel>(loading, "Panel1", this);
    Panel1->SetBounds(0, 0, 348, 195);
    Panel1->SetAlign(alClient);
    Panel1->SetBevelOuter(TBevelCut::bvNone);
    Panel1->SetBorderWidth(8);
    Panel1->SetCaption("");
    List = Make<TZCLImageListBox>(loading, "List", Panel1);
    List->SetBounds(8, 8, 332, 179);
    List->SetAlign(alClient);
    List->SetItemHeight(20);
    List->SetDelimiter(Delimiter);
    List->SetOptions(TZCLImageBoxOptions{lboCheckImageNr, lboTransparentImages});
    List->SetImageList(BitmapList);
    List->SetOnClick(TNotifyEvent(this, &TFormSelectApplication::ListClick));

    loading.Finish();
    FormSelectApplication = this;
}

TFormSelectApplication::~TFormSelectApplication()
{
    if (FormSelectApplication == this) FormSelectApplication = nullptr;
}

void TFormSelectApplication::FormShow(TObject*)
{
    // One pass over the windows, so a row's title and path are always the same window's.
    TStringList titles, paths;
    ListApplicationWindows(&titles, &paths);
    ShowApplications(&titles, &paths);
}

void TFormSelectApplication::ShowApplications(TStrings* titles, TStrings* paths)
{
    // Only whole pairs make rows, so a row never reads past the end of the shorter list.
    const int count = std::min(titles->Count(), paths->Count());
    const auto fill = [count](TStringList* rows, TStrings* texts, const char* picture) {
        if (!rows) return;
        rows->Clear();
        for (int i = 0; i < count; ++i) rows->Add(texts->Strings(i) + picture);
    };
    fill(FNames.get(), paths, ";0");
    fill(FTitles.get(), titles, ";1");
    // The widest row as drawn: its shown text (not the picture's number) with the picture and the gaps before
    // it, so the end of the longest path can be scrolled into view.
    TCanvas* canvas = List->Canvas();
    canvas->Font()->Assign(List->Font());
    const int picture = BitmapList->Dimensions(0, 0) + List->Layout()->Spacing() + 2 * RowMargin;
    int width = 0;
    for (TStringList* list : {FNames.get(), FTitles.get()}) {
        if (!list) continue;
        for (int i = 0; i < list->Count(); ++i) {
            const AnsiString entry = list->Strings(i);
            const AnsiString shown = entry.SubString(1, entry.LastDelimiter(AnsiString(Delimiter)) - 1);
            width = std::max(width, canvas->TextWidth(shown) + picture);
        }
    }
    if (FTitles) {
        BtnTitle->SetChecked(true);
        BtnTitleClick(BtnTitle);
    } else if (FNames) {
        BtnName->SetChecked(true);
        BtnNameClick(BtnName);
    }
    if (width > 0)
        SendMessageA(List->Handle(), LB_SETHORIZONTALEXTENT, WPARAM(width + GetSystemMetrics(SM_CXVSCROLL)), 0);
    ListClick(List);
}

void TFormSelectApplication::ShowList(TStringList* list)
{
    // The same row stays chosen: the same window, now shown by its other text.
    const int index = List->ItemIndex();
    List->Items()->Assign(list);
    List->SetItemIndex(index < List->Items()->Count() ? index : -1);
}

void TFormSelectApplication::BtnTitleClick(TObject*)
{
    if (FTitles) ShowList(FTitles.get());
}

void TFormSelectApplication::BtnNameClick(TObject*)
{
    if (FNames) ShowList(FNames.get());
}

AnsiString TFormSelectApplication::PathAt(int index) const
{
    if (!FNames || index < 0 || index >= FNames->Count()) return AnsiString();
    const AnsiString entry = FNames->Strings(index);
    // The suffix is the last delimiter: one inside a path belongs to the path.
    const int cut = entry.LastDelimiter(AnsiString(Delimiter));
    return cut > 0 ? entry.SubString(1, cut - 1) : entry;
}

void TFormSelectApplication::ListClick(TObject*)
{
    // A row whose program's path is not known cannot be chosen.
    BtnOk->SetEnabled(!PathAt(List->ItemIndex()).IsEmpty());
}

void TFormSelectApplication::BtnOkClick(TObject*) { FResult = PathAt(List->ItemIndex()); }
