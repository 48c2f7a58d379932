#pragma once
// Edits with a browse button at their right end: the button's click runs DoOnBrowseClick. The file-open edit
// browses with the system's open dialog and takes the chosen file into its text.

#include "framework/visual/Dialogs.h"
#include "zcl/edits/Zclcustomedit.h"

// The browse button's glyph: a 28 x 13 strip of two 14 x 13 images, the button shows the left one.
constexpr int ZCLBrowseGlyphResource = 16600;
constexpr int ZCLBrowseGlyphWidth = 14;

class TZCLCustomBrowseEdit : public TZCLCustomEdit {
public:
    explicit TZCLCustomBrowseEdit(TComponent* AOwner);

    void Dispatch(TMessage& Message) override;

protected:
    // The browse button was clicked.
    virtual void DoOnBrowseClick();

private:
    void BrowseClick(TObject* Sender, int Index);
};

class TZCLFileOpenEdit : public TZCLCustomBrowseEdit {
public:
    explicit TZCLFileOpenEdit(TComponent* AOwner);

    // The file name is the edit's text.
    AnsiString GetFileName() const { return GetText(); }
    void SetFilename(const AnsiString& Value) { SetText(Value); }

    // Handed to the open dialog.
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions Value) { options_ = Value; }
    AnsiString Title() const { return title_; }
    void SetTitle(const AnsiString& Value) { title_ = Value; }
    AnsiString InitialDir() const { return initialDir_; }
    void SetInitialDir(const AnsiString& Value) { initialDir_ = Value; }
    AnsiString Filter() const { return filter_; }
    void SetFilter(const AnsiString& Value) { filter_ = Value; }
    AnsiString DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const AnsiString& Value) { defaultExt_ = Value; }

protected:
    // Runs the open dialog; on OK the chosen file becomes the text.
    void DoOnBrowseClick() override;

private:
    TOpenOptions options_{ofHideReadOnly};
    AnsiString title_;
    AnsiString initialDir_;
    AnsiString filter_;
    AnsiString defaultExt_;
};
