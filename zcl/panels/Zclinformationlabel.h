#pragma once
// A label that shows one item of system or program information behind a caption ("Name:<tab>value"); the
// lock keys and the clock are looked at again on the application's timer pool and redrawn when they change.

#include <cstdint>
#include <memory>

#include "zcl/core/Zclsysin.h"
#include "zcl/panels/Zclbaselabel.h"

class TZCL3DCaption;
class TZCLBevel;

// Lays Value into Format from the right: each "0" takes the next character of the value (a "0" once the value
// is used up), any other character of the format is put in as it is, and what is left of the value goes in
// front. "0.000" makes 1234 "1.234" and 12 "0.012". A value that is not a whole number is left as it
// is, followed by the format's unit: "2596.14" in "0 MHz" makes "2596.14 MHz".
AnsiString ZCLInfoLayNumber(const AnsiString& Value, const AnsiString& Format);

class TZCLInformationLabel : public TZCLBaseLabel {
public:
    // Takes a pool timer (disabled); raises EOutOfResources "Not enough timers available" when there is none.
    explicit TZCLInformationLabel(TComponent* AOwner);
    ~TZCLInformationLabel() override;

    TZCLInfoType Info() const { return info_; }
    // The lock keys are looked at every 250 ms, the clock every second; the other kinds never.
    void SetInfo(TZCLInfoType Value);
    // Owned; the 3D effect's changes come to FontChange, the bevel's to GetChange.
    TZCL3DCaption* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZCL3DCaption* Value);
    TZCLBevel* Bevel() const { return bevel_.get(); }
    void SetBevel(TZCLBevel* Value);
    // Tabs between the caption and the value; without any, a caption is followed by a space.
    int InsertTabs() const { return insertTabs_; }
    void SetInsertTabs(int Value);
    // 0: a colon right after the caption; n: after the n-th tab; any other value: none.
    int InsertColon() const { return insertColon_; }
    void SetInsertColon(int Value);
    // Numbers are divided by it (0 counts as 1).
    std::uint32_t DividerValue() const { return dividerValue_; }
    void SetDividerValue(std::uint32_t Value);
    // The kind's own name before the value, else the label's Caption.
    bool UseStandardCaption() const { return useStandardCaption_; }
    void SetUseStandardCaption(bool Value);
    // How the clock shows; the short date format when the label was made.
    AnsiString DateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(const AnsiString& Value);
    // Laid over numeric values (ZCLInfoLayNumber); empty: as they come.
    AnsiString NumberFormat() const { return numberFormat_; }
    void SetNumberFormat(const AnsiString& Value);
    // The pool timer that looks at the lock keys and the clock.
    std::uint16_t TimerId() const { return timerId_; }

    // Builds the text; false when, on a timer tick, a lock key or the clock shows what it showed before.
    bool ReturnCaption();
    // The text as built last.
    AnsiString Text() const { return text_; }
    AnsiString GetLabelText() override;
    // With AutoSize (not while reading): sized to the whole text with the bevel, past a status bar's gap.
    void CorrectBounds() override;
    // Whether the kind is a number that NumberFormat applies to.
    static bool IsNumeric(TZCLInfoType Kind);

protected:
    void Paint() override;
    // The timer's tick: redrawn when the text changed.
    void Refresh(TObject* Sender);

private:
    bool Watched() const;

    TZCLInfoType info_ = itUser;
    std::unique_ptr<TZCL3DCaption> font3D_;
    std::unique_ptr<TZCLBevel> bevel_;
    int insertTabs_ = 1;
    int insertColon_ = -1;
    std::uint32_t dividerValue_ = 0;
    bool useStandardCaption_ = true;
    AnsiString dateTimeFormat_;
    AnsiString numberFormat_;
    AnsiString lastShown_;  // the lock-key or clock value last shown
    AnsiString text_;
    bool ticking_ = false;  // ReturnCaption runs for a timer tick
    std::uint16_t timerId_ = 0;
};
