#pragma once
// Message boxes and the file-open dialog over the system's own.
//
// Every box goes through one place: with Application->MessageBoxHook() set (tests), the hook gets the text,
// caption and MB_ flags and answers with a button id instead of a box being shown. Likewise the open dialog
// goes through OpenFileNameHook() when one is set.

#include <windows.h>

#include <commdlg.h>

#include <initializer_list>
#include <span>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/runtime/Sets.h"
#include "framework/runtime/SysUtils.h"

// ---------------------------------------------------------------------------------------------------------------
// Message boxes

enum TMsgDlgType : unsigned char { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned char {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The one way boxes are shown: the application's message-box hook when set, else MessageBoxA. A null owner
// makes the box task-modal. Returns the button's id (IDOK...), which is also the modal result (mrOk...).
int DialogMessageBox(HWND owner, const AnsiString& text, const AnsiString& caption, UINT flags);

// A box with an OK button, the application's title as caption and no icon.
void ShowMessage(const AnsiString& Msg);
// Format(Msg, Args), then ShowMessage. Raises EConvertError for a bad format before any box shows.
void ShowMessageFmt(const AnsiString& Msg, std::span<const TVarRec> Args);
void ShowMessageFmt(const AnsiString& Msg, std::initializer_list<TVarRec> Args);

// A box with the icon and caption of the type ("Warning", "Error", "Information", "Confirm"; mtCustom: the
// application's title, no icon) and the system's button row that holds the buttons asked for: Yes/No(/Cancel),
// Abort/Retry/Ignore, Retry/Cancel, OK(/Cancel). mbAll, mbNoToAll, mbYesToAll and mbHelp have no system button
// and are left out. The help context is not used. Returns the modal result of the button pressed.
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
// The same with the box's top-left corner moved to X and/or Y (each -1 to leave it where the system puts it).
int MessageDlgPos(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y);

// ---------------------------------------------------------------------------------------------------------------
// The file-open dialog

enum TOpenOption : unsigned char {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofNoValidate,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofNoDereferenceLinks,
    ofEnableSizing,
};
using TOpenOptions = TSet<TOpenOption>;

// Stands in for GetOpenFileNameA in tests: gets the filled structure, writes the chosen name into lpstrFile
// and answers TRUE, or FALSE for a cancelled dialog.
using TOpenFileNameHook = Closure<BOOL(OPENFILENAMEA& Ofn)>;
TOpenFileNameHook OpenFileNameHook();
void SetOpenFileNameHook(TOpenFileNameHook hook);

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner);

    // Shows the dialog, owned by the active window (or the application window). True when a file was chosen:
    // then FileName, FilterIndex and the ofReadOnly and ofExtensionDifferent options hold what the user chose.
    virtual bool Execute();

    // Added to a name typed without extension; a leading "." is allowed (".exe" and "exe" are the same).
    AnsiString DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const AnsiString& value) { defaultExt_ = value; }
    AnsiString FileName() const { return fileName_; }
    void SetFileName(const AnsiString& value) { fileName_ = value; }
    // Pairs of "description|pattern" joined with "|": "Application (*.exe)|*.EXE|All files|*.*".
    AnsiString Filter() const { return filter_; }
    void SetFilter(const AnsiString& value) { filter_ = value; }
    // 1-based: the pair of Filter chosen at first and afterwards.
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int value) { filterIndex_ = value; }
    AnsiString InitialDir() const { return initialDir_; }
    void SetInitialDir(const AnsiString& value) { initialDir_ = value; }
    // Default: ofHideReadOnly alone.
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions value) { options_ = value; }
    AnsiString Title() const { return title_; }
    void SetTitle(const AnsiString& value) { title_ = value; }

private:
    AnsiString defaultExt_;
    AnsiString fileName_;
    AnsiString filter_;
    int filterIndex_ = 1;
    AnsiString initialDir_;
    TOpenOptions options_{ofHideReadOnly};
    AnsiString title_;
};
