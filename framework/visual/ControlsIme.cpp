// A windowed control's input-method settings: the open state and conversion mode its ImeMode asks for, and the
// keyboard layout its ImeName names, set while the control has the focus.

#include <windows.h>
#include <imm.h>

#include <cstdio>

#include "framework/visual/Controls.h"

namespace {

// The conversion mode of the modes that open the input method in a given mode.
DWORD ConversionOf(TImeMode mode)
{
    switch (mode) {
    case imAlpha: return IME_CMODE_FULLSHAPE;
    case imHira: return IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE;
    case imSKata: return IME_CMODE_NATIVE | IME_CMODE_KATAKANA;
    case imKata: return IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE;
    case imChinese:
    case imSHanguel: return IME_CMODE_NATIVE;
    case imHanguel: return IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE;
    default: return IME_CMODE_ALPHANUMERIC;
    }
}

// The name the system gives an installed layout: an input method's description, else the layout's text from
// the registry.
AnsiString LayoutName(HKL layout)
{
    char text[256] = "";
    if (ImmIsIME(layout) && ImmGetDescriptionA(layout, text, sizeof text) > 0) return AnsiString(text);
    // The layout's registry key: the whole device word for an input method (E0xxxxxx), else the language.
    const auto value = reinterpret_cast<UINT_PTR>(layout);
    const unsigned device = unsigned(HIWORD(value));
    char klid[16];
    std::snprintf(klid, sizeof klid, "%08X", (device & 0xF000) == 0xE000 ? unsigned(value & 0xFFFFFFFFu) : device);
    const AnsiString key = AnsiString("SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\") + klid;
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "Layout Text", RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return AnsiString();
    return AnsiString(text);
}

HKL FindLayout(const AnsiString& name)
{
    HKL layouts[64];
    const int n = GetKeyboardLayoutList(64, layouts);
    for (int i = 0; i < n; ++i)
        if (lstrcmpiA(LayoutName(layouts[i]).c_str(), name.c_str()) == 0) return layouts[i];
    return nullptr;
}

}  // namespace

void TWinControl::SetImeMode(TImeMode value)
{
    if (value == imeMode_) return;
    imeMode_ = value;
    if (imeWindow_ && GetFocus() == imeWindow_) SetIme(imeWindow_);
}

void TWinControl::SetImeName(const TImeName& value)
{
    if (value == imeName_) return;
    imeName_ = value;
    if (imeWindow_ && GetFocus() == imeWindow_) SetIme(imeWindow_);
}

void TWinControl::SetIme(HWND wnd)
{
    ResetIme();
    if (!wnd) return;
    imeWindow_ = wnd;
    if (!imeName_.IsEmpty())
        if (HKL layout = FindLayout(imeName_))
            if (layout != GetKeyboardLayout(0)) imeOldLayout_ = ActivateKeyboardLayout(layout, 0);
    if (imeMode_ == imDisable) {
        imeSavedContext_ = ImmAssociateContext(wnd, nullptr);
        imeDisabled_ = true;
        return;
    }
    if (imeMode_ == imDontCare) return;
    HIMC context = ImmGetContext(wnd);
    if (!context) return;
    ImmSetOpenStatus(context, imeMode_ != imClose);
    if (imeMode_ != imClose && imeMode_ != imOpen) {
        DWORD conversion = 0, sentence = 0;
        ImmGetConversionStatus(context, &conversion, &sentence);
        ImmSetConversionStatus(context, ConversionOf(imeMode_), sentence);
    }
    ImmReleaseContext(wnd, context);
}

void TWinControl::ResetIme()
{
    if (!imeWindow_) return;
    const HWND wnd = imeWindow_;
    imeWindow_ = nullptr;
    if (imeDisabled_ && IsWindow(wnd)) ImmAssociateContext(wnd, static_cast<HIMC>(imeSavedContext_));
    imeDisabled_ = false;
    imeSavedContext_ = nullptr;
    if (imeOldLayout_) ActivateKeyboardLayout(imeOldLayout_, 0);
    imeOldLayout_ = nullptr;
}
