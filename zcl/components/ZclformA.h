#pragma once
// The form hook: system and window messages of the owner form as events, tracking limits and a maximised
// rectangle (in pixels, or as fractions of the screen), the form's placement, colour and font kept in a
// settings store, snapping to the screen edges, undoing font scaling, an opening effect and dropped files.
// It takes over the owner form's OnShow and OnDestroy and calls the form's own handlers after its work.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/runtime/Classes.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclinictrl.h"
#include "zcl/core/Zclobject.h"
#include "zcl/core/Zclutils.h"
#include "zcl/core/Zclwndproccomponent.h"

enum TZCLCharCase : std::uint8_t { ccNormal, ccLowerCase, ccUpperCase };
enum TZCLFormIniSaveOption : std::uint8_t { soColor, soFont, soPos, soSize, soState };
using TZCLFormIniSaveOptions = TSet<TZCLFormIniSaveOption>;
enum TZCLFormOption : std::uint8_t { foAutoCenter, foAutoShow, foTryAdaptRes, foRestoreOnce };
using TZCLFormOptions = TSet<TZCLFormOption>;
enum TZCLAutoDockSide : std::uint8_t { adLeft, adTop, adBottom, adRight };
using TZCLAutoDockSides = TSet<TZCLAutoDockSide>;

using TZCLStandardEvent = Closure<void(TObject* Sender, bool& Cancel)>;
using TZCLSendIntegerEvent = Closure<void(TObject* Sender, int Value)>;
using TZCLSendStringEvent = Closure<void(TObject* Sender, const AnsiString& Section)>;
using TZCLSizingChangeEvent = Closure<void(TObject* Sender, WORD XSize, WORD YSize, WORD Flag)>;
using TZCLFMDragDropEvent = Closure<void(TObject* Sender, int FCount, int X, int Y, TStrings* FileList)>;
using TZCLMaxInfoEvent = Closure<void(TObject* Sender, int& XPos, int& YPos, int& MaxWidth, int& MaxHeight)>;
using TZCLTrackInfoEvent =
    Closure<void(TObject* Sender, int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight)>;
using TZCLMovingEvent = Closure<void(TObject* Sender, int X, int Y, bool& Cancel)>;

// Snapping of a form to the screen edges: a form that comes nearer than a side's distance to that edge is put
// on it; a form already partly off the screen on a MoveOut side may stay there.
class TZCLAutoDockObject : public TZCLObject {
public:
    TZCLAutoDockObject() = default;
    void Assign(TPersistent* Source) override;

    // Snap at the end of a move (true) or while moving.
    bool AfterMove() const { return afterMove_; }
    void SetAfterMove(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    TZCLAutoDockSides Sides() const { return sides_; }
    void SetSides(TZCLAutoDockSides Value);
    TZCLAutoDockSides MoveOut() const { return moveOut_; }
    void SetMoveOut(TZCLAutoDockSides Value);
    // Snap distances in pixels.
    int Left() const { return left_; }
    void SetLeft(int Value);
    int Right() const { return right_; }
    void SetRight(int Value);
    int Top() const { return top_; }
    void SetTop(int Value);
    int Bottom() const { return bottom_; }
    void SetBottom(int Value);

private:
    template <typename T>
    void Store(T& field, T value);

    bool afterMove_ = true;
    bool enabled_ = false;
    TZCLAutoDockSides sides_{adLeft, adTop, adBottom, adRight};
    TZCLAutoDockSides moveOut_{adLeft, adTop, adBottom, adRight};
    int left_ = 40, right_ = 40, top_ = 40, bottom_ = 40;
};

class TZCLForm : public TZCLWndProcComponent {
public:
    // A second one on a form being designed raises ZCLEOneInstError.
    explicit TZCLForm(TComponent* AOwner);
    ~TZCLForm() override;

    // Dropped files are accepted while the hook is enabled.
    bool AcceptFiles() const { return acceptFiles_; }
    void SetAcceptFiles(bool Value);
    TZCLCharCase CharCase() const { return charCase_; }
    void SetCharCase(TZCLCharCase Value) { charCase_ = Value; }
    TZCLDlgEffect Effect() const { return effect_; }
    void SetEffect(TZCLDlgEffect Value) { effect_ = Value; }
    TZCLAutoDockObject* AutoDock() const { return autoDock_.get(); }
    void SetAutoDock(TZCLAutoDockObject* Value) { autoDock_->Assign(Value); }
    // The store of ioUseLink; not owned, forgotten when it is freed.
    TZCLIniCtrl* IniLink() const { return iniLink_; }
    void SetIniLink(TZCLIniCtrl* Value);
    TZCLIniUse IniUse() const { return iniUse_; }
    void SetIniUse(TZCLIniUse Value) { iniUse_ = Value; }
    TZCLFormIniSaveOptions IniSaveOptions() const { return iniSaveOptions_; }
    void SetIniSaveOptions(TZCLFormIniSaveOptions Value) { iniSaveOptions_ = Value; }
    const AnsiString& Section() const { return section_; }
    void SetSection(const AnsiString& Value) { section_ = Value; }
    // The owner form's class name without its first character by default ("Form" for other owners).
    const AnsiString& IniKey() const { return iniKey_; }
    void SetIniKey(const AnsiString& Value) { iniKey_ = Value; }
    int DesignPPI() const { return designPPI_; }
    void SetDesignPPI(int Value) { designPPI_ = Value; }
    TZCLFormOptions Options() const { return options_; }
    void SetOptions(TZCLFormOptions Value) { options_ = Value; }

    // Sizes and positions: pixels when 0 or more; -n (n up to 100) is the screen's width or height divided by
    // n. Index 0 TrackMaxHeight, 1 TrackMaxWidth, 2 TrackMinHeight, 3 TrackMinWidth, 4 MaximizedHeight,
    // 5 MaximizedWidth, 6 MaximizedPosX, 7 MaximizedPosY.
    int GetInteger(int Index) const;
    // Values below -100, indexes above 7 and limits that would cross their opposite are ignored.
    void SetInteger(int Index, int Value);
    // The pixels a value stands for now (0 for a bad index).
    int RunTimeValue(int Index) const;
    int TrackMaxHeight() const { return GetInteger(0); }
    void SetTrackMaxHeight(int Value) { SetInteger(0, Value); }
    int TrackMaxWidth() const { return GetInteger(1); }
    void SetTrackMaxWidth(int Value) { SetInteger(1, Value); }
    int TrackMinHeight() const { return GetInteger(2); }
    void SetTrackMinHeight(int Value) { SetInteger(2, Value); }
    int TrackMinWidth() const { return GetInteger(3); }
    void SetTrackMinWidth(int Value) { SetInteger(3, Value); }
    int MaximizedHeight() const { return GetInteger(4); }
    void SetMaximizedHeight(int Value) { SetInteger(4, Value); }
    int MaximizedWidth() const { return GetInteger(5); }
    void SetMaximizedWidth(int Value) { SetInteger(5, Value); }
    int MaximizedPosX() const { return GetInteger(6); }
    void SetMaximizedPosX(int Value) { SetInteger(6, Value); }
    int MaximizedPosY() const { return GetInteger(7); }
    void SetMaximizedPosY(int Value) { SetInteger(7, Value); }
    // Height := bottom, width := right, x := left, y := top of the rectangle.
    void SetMaximizedRect(const TRect& Value);
    void SetTrackMaxValues(const TPoint& Value);
    void SetTrackMinValues(const TPoint& Value);

    // The pixels of a size or position value on the screen now.
    int GetRealValue(int Value, bool Vertical) const;
    // Resolves every value again for the current screen size.
    void SetRunTimeValues();
    // Once, for a scaled form designed at another resolution: scales the controls back.
    void AdaptResolution();
    // The owner's placement as "200,flags,show command,left,top,right,bottom".
    AnsiString GetIniString();
    // Applies a placement text as the save options ask; anything else centres the form (foAutoCenter) and
    // fires OnNoRestoreData.
    void SetIniString(const AnsiString& Value);
    // Placement, colour and font from and to the store; nothing without one.
    void ReadData();
    void WriteData();
    // Where a form moved to (X, Y) snaps to.
    void AutoDockPosition(int& X, int& Y) const;

    void ReadState(TReader* Reader) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Events -----------------------------------------------------------------------------------------------------
    TNotifyEvent OnAPMCriticalResume() const { return onAPMCriticalResume_; }
    void SetOnAPMCriticalResume(TNotifyEvent Value) { onAPMCriticalResume_ = Value; }
    TNotifyEvent OnAPMResume() const { return onAPMResume_; }
    void SetOnAPMResume(TNotifyEvent Value) { onAPMResume_ = Value; }
    TZCLStandardEvent OnAPMSuspendRequest() const { return onAPMSuspendRequest_; }
    void SetOnAPMSuspendRequest(TZCLStandardEvent Value) { onAPMSuspendRequest_ = Value; }
    TZCLSendIntegerEvent OnCompacting() const { return onCompacting_; }
    void SetOnCompacting(TZCLSendIntegerEvent Value) { onCompacting_ = Value; }
    TZCLSendIntegerEvent OnSpoolerStatus() const { return onSpoolerStatus_; }
    void SetOnSpoolerStatus(TZCLSendIntegerEvent Value) { onSpoolerStatus_ = Value; }
    TNotifyEvent OnNoRestoreData() const { return onNoRestoreData_; }
    void SetOnNoRestoreData(TNotifyEvent Value) { onNoRestoreData_ = Value; }
    TNotifyEvent OnFontChange() const { return onFontChange_; }
    void SetOnFontChange(TNotifyEvent Value) { onFontChange_ = Value; }
    TNotifyEvent OnMove() const { return onMove_; }
    void SetOnMove(TNotifyEvent Value) { onMove_ = Value; }
    TNotifyEvent OnPaintIcon() const { return onPaintIcon_; }
    void SetOnPaintIcon(TNotifyEvent Value) { onPaintIcon_ = Value; }
    TNotifyEvent OnSysColorChange() const { return onSysColorChange_; }
    void SetOnSysColorChange(TNotifyEvent Value) { onSysColorChange_ = Value; }
    TNotifyEvent OnTimeChange() const { return onTimeChange_; }
    void SetOnTimeChange(TNotifyEvent Value) { onTimeChange_ = Value; }
    TZCLSendStringEvent OnDevModeChange() const { return onDevModeChange_; }
    void SetOnDevModeChange(TZCLSendStringEvent Value) { onDevModeChange_ = Value; }
    TZCLSendStringEvent OnIniChange() const { return onIniChange_; }
    void SetOnIniChange(TZCLSendStringEvent Value) { onIniChange_ = Value; }
    // New width, new height, bits per pixel.
    TZCLSizingChangeEvent OnDisplayChange() const { return onDisplayChange_; }
    void SetOnDisplayChange(TZCLSizingChangeEvent Value) { onDisplayChange_ = Value; }
    // Client width, client height, the WM_SIZE kind.
    TZCLSizingChangeEvent OnSize() const { return onSize_; }
    void SetOnSize(TZCLSizingChangeEvent Value) { onSize_ = Value; }
    TZCLFMDragDropEvent OnFMDragDrop() const { return onFMDragDrop_; }
    void SetOnFMDragDrop(TZCLFMDragDropEvent Value) { onFMDragDrop_ = Value; }
    TZCLMaxInfoEvent OnMaximizeInfo() const { return onMaximizeInfo_; }
    void SetOnMaximizeInfo(TZCLMaxInfoEvent Value) { onMaximizeInfo_ = Value; }
    TZCLTrackInfoEvent OnTrackInfo() const { return onTrackInfo_; }
    void SetOnTrackInfo(TZCLTrackInfoEvent Value) { onTrackInfo_ = Value; }
    TZCLMovingEvent OnMoving() const { return onMoving_; }
    void SetOnMoving(TZCLMovingEvent Value) { onMoving_ = Value; }

protected:
    void Init() override;
    void RestoreState() override;
    void WndProc(TMessage& Message) override;
    // WM_GETMINMAXINFO.
    void HandleMessage(TMessage& Message);
    void OwnerFormShow(TObject* Sender);
    void OwnerFormDestroy(TObject* Sender);

private:
    bool Designing() const;
    TZCLIniCtrl* Store() const;
    void DropFiles(HDROP Drop);
    void ApplyShowLimits(TCustomForm* Form);

    bool acceptFiles_ = false;
    TZCLCharCase charCase_ = ccNormal;
    TZCLDlgEffect effect_ = deNone;
    std::unique_ptr<TZCLAutoDockObject> autoDock_;
    TZCLIniCtrl* iniLink_ = nullptr;  // not owned
    TZCLIniUse iniUse_ = ioNone;
    TZCLFormIniSaveOptions iniSaveOptions_{soPos, soSize, soState};
    AnsiString section_ = "Common";
    AnsiString iniKey_ = "Form";
    int designPPI_ = 96;
    TZCLFormOptions options_{foAutoShow};
    int values_[8] = {};    // as set
    int runTime_[8] = {};   // in pixels
    bool adapted_ = false;
    bool restored_ = false;
    TNotifyEvent savedOnShow_, savedOnDestroy_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    TNotifyEvent onAPMCriticalResume_, onAPMResume_, onNoRestoreData_, onFontChange_, onMove_, onPaintIcon_,
        onSysColorChange_, onTimeChange_;
    TZCLStandardEvent onAPMSuspendRequest_;
    TZCLSendIntegerEvent onCompacting_, onSpoolerStatus_;
    TZCLSendStringEvent onDevModeChange_, onIniChange_;
    TZCLSizingChangeEvent onDisplayChange_, onSize_;
    TZCLFMDragDropEvent onFMDragDrop_;
    TZCLMaxInfoEvent onMaximizeInfo_;
    TZCLTrackInfoEvent onTrackInfo_;
    TZCLMovingEvent onMoving_;
};
