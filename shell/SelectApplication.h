#pragma once
// The dialog that lists the applications with windows open, by window title or by executable path, and hands
// back the path of the one chosen: the target of the application mode.

#include <memory>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/visual/ExtCtrls.h"
#include "framework/visual/Forms.h"
#include "framework/visual/StdCtrls.h"

class TZCLBitmapList;
class TZCLImageListBox;

class TFormSelectApplication : public TForm {
public:
    explicit TFormSelectApplication(TComponent* owner);
    ~TFormSelectApplication() override;

    TPanel* Panel1;
    TZCLImageListBox* List;
    TPanel* Panel2;
    TRadioButton* BtnTitle;
    TRadioButton* BtnName;
    TButton* BtnOk;
    TButton* BtnCancel;
    // 0: drawn before an executable path, 1: before a window title.
    TZCLBitmapList* BitmapList;

    void FormShow(TObject* Sender);
    void BtnTitleClick(TObject* Sender);
    void BtnNameClick(TObject* Sender);
    void ListClick(TObject* Sender);
    void BtnOkClick(TObject* Sender);

    // Fills both views from windows given as title and path pairs (an empty path: not known), shows the titles
    // and sets the list's scroll width; FormShow hands it the windows open now.
    void ShowApplications(TStrings* titles, TStrings* paths);

    // The chosen executable path once OK closed the dialog; empty before.
    const AnsiString& Result() const { return FResult; }
    // The path of the row, empty for none or an unknown one.
    AnsiString PathAt(int index) const;

private:
    void ShowList(TStringList* list);

    std::unique_ptr<TStringList> FNames;   // executable paths with ";0"
    std::unique_ptr<TStringList> FTitles;  // window titles with ";1"
    AnsiString FResult;
};

// The dialog while it is open.
extern TFormSelectApplication* FormSelectApplication;
