// The information label: its text put together from caption, colon, tabs and value; values laid into number
// formats; plausible values for every kind the configuration window's Version page shows, drawn transparent
// over sunken edges; the lock keys looked at on the pool and redrawn only when they change (Caps Lock pressed for
// real); what must not redraw; and its pool timer taken and given back.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "PanelTestHelpers.h"
#include "ZclControlTestHelpers.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/SysUtils.h"
#include "support/Screenshot.h"
#include "zcl/components/Zcldrawedge.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclsysin.h"
#include "zcl/graphics/Zclbevel.h"
#include "zcl/panels/Zclcustomstatusbar.h"
#include "zcl/panels/Zclinformationlabel.h"

using namespace zclctl;
using paneltest::PlaceColour;

namespace {

const std::string ProductName = "KARVON Windows Terminal Device Driver";

// Counts its paints.
class TCountedInfo : public TZCLInformationLabel {
public:
    explicit TCountedInfo(TComponent* owner) : TZCLInformationLabel(owner) {}
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        TZCLInformationLabel::Paint();
    }
};

TZCLInformationLabel* MakeInfo(TComponent* owner, TWinControl* parent, TZCLInfoType kind)
{
    auto* l = new TZCLInformationLabel(owner);
    l->SetParent(parent);
    l->Font()->SetName("Arial");
    l->Font()->SetSize(9);
    l->SetInfo(kind);
    return l;
}

// The value: what follows the last tab (or, without tabs, the last space).
// Caps Lock as it was when made, given back when it goes.
struct KeepCapsLock {
    const bool was = ZCLSICapsLock();
    KeepCapsLock() = default;
    KeepCapsLock(const KeepCapsLock&) = delete;
    KeepCapsLock& operator=(const KeepCapsLock&) = delete;
    ~KeepCapsLock()
    {
        if (ZCLSICapsLock() == was) return;
        controltest::Key(VK_CAPITAL);
        controltest::PumpUntil([this] { return ZCLSICapsLock() == was; }, 5000);
    }
};

std::string ValueOf(const AnsiString& text)
{
    const std::string t = text.c_str();
    const std::size_t at = t.rfind('\t');
    return at == std::string::npos ? t : t.substr(at + 1);
}

bool AllDigits(const std::string& s)
{
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool HasUpdate(TWinControl* c)
{
    RECT r;
    return GetUpdateRect(c->Handle(), &r, FALSE) != 0;
}

}  // namespace

TEST(ZclInformationLabel, Defaults)
{
    TForm form(nullptr);
    TZCLInformationLabel l(&form);
    EXPECT_EQ(l.Info(), itUser);
    EXPECT_TRUE(l.AutoSize());
    EXPECT_TRUE(l.Transparent());
    EXPECT_EQ(l.InsertTabs(), 1);
    EXPECT_EQ(l.InsertColon(), -1);
    EXPECT_EQ(l.DividerValue(), 0u);
    EXPECT_TRUE(l.UseStandardCaption());
    EXPECT_STREQ(l.DateTimeFormat().c_str(), ShortDateFormat.c_str());
    EXPECT_TRUE(l.NumberFormat().IsEmpty());
    TZCLTimerItem* item = ZCLApplication->GetTimer(l.TimerId());
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->Enabled());
    EXPECT_EQ(item->Interval(), 1000);
}

TEST(ZclInformationLabel, TheTextIsCaptionColonTabsAndValue)
{
    TForm form(nullptr);
    auto* l = MakeInfo(&form, &form, itProgName);
    const struct {
        bool standard;
        const char* caption;
        int colon, tabs;
        std::string text;
    } cases[] = {
        {false, "Name", -1, 1, "Name\t" + ProductName},
        {false, "Name", 1, 2, "Name\t:\t" + ProductName},
        {false, "Name", 0, 1, "Name:\t" + ProductName},
        {false, "Name", 2, 1, "Name\t" + ProductName},
        {false, "Name", 3, 3, "Name\t\t\t:" + ProductName},
        {false, "Name", -1, 0, "Name " + ProductName},
        {false, "Name", 0, 0, "Name: " + ProductName},
        {false, "", -1, 0, ProductName},
        {false, "", -1, 1, "\t" + ProductName},
        {true, "Name", -1, 1, "ProductName\t" + ProductName},
        {true, "", 0, 2, "ProductName:\t\t" + ProductName},
    };
    for (const auto& k : cases) {
        l->SetUseStandardCaption(k.standard);
        l->SetCaption(k.caption);
        l->SetInsertColon(k.colon);
        l->SetInsertTabs(k.tabs);
        EXPECT_EQ(std::string(l->GetLabelText().c_str()), k.text)
            << k.standard << " '" << k.caption << "' " << k.colon << " " << k.tabs;
    }
    // A program name never refreshes.
    EXPECT_FALSE(ZCLApplication->GetTimer(l->TimerId())->Enabled());
}

TEST(ZclInformationLabel, NumbersAreLaidIntoTheFormatFromTheRight)
{
    const struct {
        const char* value;
        const char* format;
        const char* laid;
    } cases[] = {
        {"1234", "0.000", "1.234"},
        {"123456", "0.000", "123.456"},
        {"12", "0.000", "0.012"},
        {"", "0.000", "0.000"},
        {"7", "00", "07"},
        {"1234567", "0,000", "1234,567"},
        {"5", "x", "5x"},
        {"42", "", "42"},
        {"1234567", "0,000,000", "1,234,567"},
        // Only whole numbers have digits to lay: the others are shown as they are.
        {"Win32", "0.000", "Win32"},
        {"6.1", "0.000", "6.1"},
        {"2400.00", "0.00", "2400.00"},
        {"-12", "0.000", "-12"},
        {"12 ", "0.000", "12 "},
        // ... keeping the format's unit.
        {"2596.14", "0 MHz", "2596.14 MHz"},
        {"6.1", "0.0 %", "6.1 %"},
        {"Win32", "[x]", "Win32[x]"},
    };
    for (const auto& k : cases)
        EXPECT_STREQ(ZCLInfoLayNumber(k.value, k.format).c_str(), k.laid) << k.value << " in " << k.format;

    TForm form(nullptr);
    auto* depth = MakeInfo(&form, &form, itColorDepth);
    depth->SetNumberFormat("0.0");
    const std::string bits = std::to_string(ZCLSIColorDepth());
    ASSERT_EQ(bits.size(), 2u);
    EXPECT_EQ(ValueOf(depth->GetLabelText()), bits.substr(0, 1) + "." + bits.substr(1));
    auto* name = MakeInfo(&form, &form, itProgName);
    name->SetNumberFormat("0.0");
    EXPECT_EQ(ValueOf(name->GetLabelText()), ProductName) << "a text is no number";
    // Kinds counted as numbers whose values are not whole numbers keep them.
    auto* dos = MakeInfo(&form, &form, itDOSVersion);
    dos->SetNumberFormat("0.000");
    EXPECT_EQ(ValueOf(dos->GetLabelText()), "Win32");
    auto* version = MakeInfo(&form, &form, itVersion);
    const std::string plain = ValueOf(version->GetLabelText());
    ASSERT_NE(plain.find('.'), std::string::npos) << plain;
    version->SetNumberFormat("0.000");
    EXPECT_EQ(ValueOf(version->GetLabelText()), plain);
}

TEST(ZclInformationLabel, DividerAndDateFormat)
{
    TForm form(nullptr);
    auto* memory = MakeInfo(&form, &form, itMemSize);
    const long long bytes = std::atoll(ValueOf(memory->GetLabelText()).c_str());
    memory->SetDividerValue(1024 * 1024);
    const long long megabytes = std::atoll(ValueOf(memory->GetLabelText()).c_str());
    EXPECT_GT(megabytes, 16);
    EXPECT_LE(megabytes * 1024 * 1024, bytes);
    EXPECT_GT((megabytes + 1) * 1024 * 1024, bytes);

    auto* clock = MakeInfo(&form, &form, itCurrentDateTime);
    clock->SetDateTimeFormat("yyyy");
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string year = ValueOf(clock->GetLabelText());
    EXPECT_TRUE(year == std::to_string(now.wYear) || year == std::to_string(now.wYear + 1)) << year;
}

TEST(ZclInformationLabel, OnlyTheLockKeysAndTheClockAreLookedAtAgain)
{
    TForm form(nullptr);
    auto* l = MakeInfo(&form, &form, itProgName);
    TZCLTimerItem* item = ZCLApplication->GetTimer(l->TimerId());
    ASSERT_NE(item, nullptr);
    const struct {
        TZCLInfoType kind;
        bool enabled;
        int interval;
    } cases[] = {
        {itNumLock, true, 250},          {itCapsLock, true, 250}, {itScroll, true, 250}, {itProgName, false, 0},
        {itCurrentDateTime, true, 1000}, {itCPUSpeed, false, 0},  {itScroll, true, 250}, {itUser, false, 0}};
    for (const auto& k : cases) {
        l->SetInfo(k.kind);
        EXPECT_EQ(item->Enabled(), k.enabled) << int(k.kind);
        if (k.enabled) {
            EXPECT_EQ(item->Interval(), k.interval) << int(k.kind);
        }
    }
    const std::uint16_t id = l->TimerId();
    delete l;
    EXPECT_EQ(ZCLApplication->GetTimer(id), nullptr) << "the timer goes back to the pool";
}

TEST(ZclInformationLabel, AFullPoolRefusesTheLabel)
{
    TForm form(nullptr);
    std::vector<std::uint16_t> taken;
    while (const std::uint16_t id = ZCLApplication->AddTimer(1000, TNotifyEvent())) taken.push_back(id);
    const int before = form.ComponentCount();
    try {
        new TZCLInformationLabel(&form);
        ADD_FAILURE() << "no error";
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.Message().c_str(), "Not enough timers available");
    }
    EXPECT_EQ(form.ComponentCount(), before) << "nothing half-made is left on the form";
    for (std::uint16_t id : taken) ZCLApplication->RemoveTimer(id);
    EXPECT_NO_THROW(delete new TZCLInformationLabel(&form));
}

TEST(ZclInformationLabel, SizedToItsTextWithTheBevelAndAStatusBarsGap)
{
    class TGapBar : public TZCLCustomStatusBar {
    public:
        using TZCLCustomStatusBar::TZCLCustomStatusBar;
        int GetControlGap() override { return 7; }
    };
    TForm form(nullptr);
    auto* bar = new TGapBar(&form);
    bar->SetParent(&form);
    auto* plain = MakeInfo(&form, &form, itProgName);
    auto* bevelled = MakeInfo(&form, &form, itProgName);
    bevelled->Bevel()->SetStyleOuter(bvLowered);
    bevelled->Bevel()->SetWidthOuter(2);
    auto* onBar = MakeInfo(&form, bar, itProgName);
    EXPECT_GT(plain->Width(), 100);
    EXPECT_EQ(bevelled->Width(), plain->Width() + 4);
    EXPECT_EQ(bevelled->Height(), plain->Height() + 4);
    EXPECT_EQ(onBar->Width(), plain->Width() + 7);
    drawtest::Surface s(bevelled->Width(), bevelled->Height(), 0x010203);
    bevelled->Perform(WM_PAINT, WPARAM(s.dc()), 0);
    EXPECT_EQ(s.At(0, 0), drawtest::Sys(COLOR_BTNSHADOW));
}

TEST(ZclInformationLabel, TransparentOverThePicture)
{
    TForm form(nullptr);
    auto* parent = new paneltest::TPlaceParent(&form);
    parent->SetParent(&form);
    parent->SetBounds(0, 0, 250, 250);
    parent->HandleNeeded();
    auto* l = MakeInfo(&form, parent, itProgName);
    l->Font()->SetColor(clRed);
    l->SetLeft(5);
    l->SetTop(50);
    drawtest::Surface s(l->Width(), l->Height(), 0x010203);
    l->Perform(WM_PAINT, WPARAM(s.dc()), 0);
    // The column left of the text is the picture.
    for (int y = 0; y < l->Height(); ++y) EXPECT_EQ(s.At(0, y), PlaceColour(5, 50 + y)) << y;
    EXPECT_GT(s.Count(0x0000FF), 0) << "the text";
}

class ZclInformationLabelForm : public ShownForm {};

TEST_F(ZclInformationLabelForm, CapsLockIsRedrawnOnlyWhenItChanges)
{
    auto* l = new TCountedInfo(form.get());
    l->SetParent(form.get());
    l->SetBounds(10, 10, 100, 20);
    l->SetInfo(itCapsLock);
    ShowForm();
    TZCLTimerItem* item = ZCLApplication->GetTimer(l->TimerId());
    ASSERT_NE(item, nullptr);
    // The first look shows the state; then, unchanged, a look draws nothing.
    item->Timer();
    ASSERT_TRUE(PumpUntil([&] { return l->paints > 0 && !HasUpdate(form.get()); }));
    const int paints = l->paints;
    for (int i = 0; i < 3; ++i) {
        item->Timer();
        EXPECT_FALSE(HasUpdate(form.get())) << "unchanged: no redraw";
    }
    EXPECT_EQ(l->paints, paints);

    // Whatever happens below, Caps Lock is left as it was for the tests that type.
    const KeepCapsLock capsBack;
    const bool was = capsBack.was;
    const std::string before = ValueOf(l->Text());
    EXPECT_EQ(before, was ? "On" : "Off");
    controltest::Key(VK_CAPITAL);
    ASSERT_TRUE(PumpUntil([&] { return ZCLSICapsLock() != was; }, 5000)) << "the key reached the program";
    // The pool looks again within its 250 ms and draws the new state once.
    ASSERT_TRUE(PumpUntil([&] { return ValueOf(l->Text()) != before && l->paints > paints; }, 5000));
    EXPECT_EQ(ValueOf(l->Text()), was ? "Off" : "On");
    ASSERT_TRUE(PumpUntil([&] { return !HasUpdate(form.get()); }));
    const int afterChange = l->paints;
    item->Timer();
    EXPECT_FALSE(HasUpdate(form.get()));
    EXPECT_EQ(l->paints, afterChange);
}

TEST_F(ZclInformationLabelForm, ALabelSizedToItsTextFollowsTheStateWhenItChanges)
{
    // Large, so that "On" and "Off" differ by a few pixels.
    TZCLInformationLabel* caps = MakeInfo(form.get(), form.get(), itCapsLock);
    caps->Font()->SetSize(20);
    caps->SetLeft(10);
    caps->SetTop(10);
    TZCLInformationLabel* fixed = MakeInfo(form.get(), form.get(), itCapsLock);
    fixed->SetAutoSize(false);
    fixed->SetBounds(10, 60, 70, 20);
    ShowForm();
    const KeepCapsLock capsBack;
    const bool was = capsBack.was;
    const int before = caps->Width();
    controltest::Key(VK_CAPITAL);
    ASSERT_TRUE(PumpUntil([&] { return ZCLSICapsLock() != was; }, 5000)) << "the key reached the program";
    // The pool's next look sizes the label to the new state: as large as a label made now.
    std::unique_ptr<TZCLInformationLabel> fresh(MakeInfo(nullptr, form.get(), itCapsLock));
    fresh->Font()->SetSize(20);
    ASSERT_NE(fresh->Width(), before) << "\"On\" and \"Off\" take different room in this font";
    EXPECT_TRUE(PumpUntil(
        [&] { return ValueOf(caps->Text()) == (was ? "Off" : "On") && caps->Width() == fresh->Width(); }, 5000))
        << caps->Width() << " " << fresh->Width();
    EXPECT_EQ(caps->Height(), fresh->Height());
    EXPECT_EQ(caps->Left(), 10) << "keeps its place";
    EXPECT_EQ(fixed->BoundsRect(), TRect(10, 60, 80, 80)) << "one not sized to its text keeps its size";
}

TEST_F(ZclInformationLabelForm, SettingsThatDoNotShowRedrawNothing)
{
    auto* name = new TCountedInfo(form.get());
    name->SetParent(form.get());
    name->SetBounds(10, 10, 100, 20);
    name->SetInfo(itProgName);
    ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return name->paints > 0 && !HasUpdate(form.get()); }));
    const TRect bounds = name->BoundsRect();
    name->SetDateTimeFormat("hh:nn");
    EXPECT_FALSE(HasUpdate(form.get())) << "no clock";
    name->SetNumberFormat("0.0");
    EXPECT_FALSE(HasUpdate(form.get())) << "no number";
    EXPECT_EQ(name->BoundsRect(), bounds);
    name->SetInsertTabs(2);
    EXPECT_TRUE(HasUpdate(form.get())) << "a setting that shows";
}

TEST_F(ZclInformationLabelForm, TheVersionPagesLabelsShowPlausibleValues)
{
    form->SetBounds(40, 40, 520, 330);
    form->SetColor(clBtnFace);
    const TZCLInfoType kinds[] = {itProgName,  itProgCompany, itProgVersion, itProgCopyright, itVersion,
                                  itBuildNr32, itPlatform32,  itFreeGDIRes,  itFreeSysRes,    itFreeUserRes,
                                  itCPUSpeed,  itColorDepth,  itProcessor32};
    // Four sunken boxes behind the labels, as the page has them.
    const int boxes[][3] = {{0, 4, 8}, {4, 7, 8}, {7, 10, 8}, {10, 13, 8}};
    for (const auto& b : boxes) {
        auto* edge = new TZCLDrawEdge(form.get());
        edge->SetParent(form.get());
        edge->SetEdgeStyle(etSunken);
        edge->SetBounds(8, 6 + b[0] * 24, 500, (b[1] - b[0]) * 24 + 4);
    }
    // Made as the form's definition makes them: sized to their texts once loaded.
    std::vector<TZCLInformationLabel*> labels;
    {
        TComponentLoader loading(form.get());
        for (int i = 0; i < 13; ++i) {
            auto* l = new TZCLInformationLabel(form.get());
            l->SetParent(form.get());
            l->Font()->SetName("Arial");
            l->Font()->SetSize(9);
            l->SetInfo(kinds[i]);
            l->SetInsertTabs(3);
            l->SetInsertColon(0);
            l->SetBounds(16, 10 + i * 24, 10, 10);
            labels.push_back(l);
        }
        loading.Finish();
    }
    ShowForm();
    auto value = [&](int i) { return ValueOf(labels[std::size_t(i)]->Text()); };
    ASSERT_TRUE(PumpUntil([&] { return !HasUpdate(form.get()); }));
    for (int i = 0; i < 13; ++i) {
        SCOPED_TRACE(labels[std::size_t(i)]->Text().c_str());
        EXPECT_FALSE(value(i).empty());
        EXPECT_GT(labels[std::size_t(i)]->Width(), 40);
        EXPECT_LT(labels[std::size_t(i)]->Width(), 500);
    }
    EXPECT_EQ(value(0), ProductName);
    EXPECT_EQ(value(1), "KARVON Vandrel GmbH");
    EXPECT_EQ(value(2), "1.0.0.0");
    EXPECT_EQ(value(3), "Copyright (C) KARVON Vandrel GmbH");
    const std::string version = value(4);
    EXPECT_EQ(version, std::to_string(ZCLSIMajorVersionNr()) + "." + std::to_string(ZCLSIMinorVersionNr()));
    EXPECT_TRUE(AllDigits(value(5))) << value(5);
    EXPECT_EQ(value(6), ZCLSIPlatformStr().c_str());
    for (int i = 7; i <= 9; ++i) {
        EXPECT_TRUE(AllDigits(value(i))) << value(i);
        EXPECT_LE(std::atoi(value(i).c_str()), 100);
    }
    const double mhz = std::atof(value(10).c_str());
    EXPECT_GT(mhz, 10.0) << value(10);
    EXPECT_LT(mhz, 100000.0) << value(10);
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(value(11), std::to_string(bits));
    EXPECT_EQ(value(12), ZCLSIProcessorTypeStr().c_str());
    EXPECT_EQ(labels[0]->Text().Pos("ProductName:\t\t\t"), 1);

    // Each label shows over the sunken box: the face colour between text and edge, the edge at the box's side.
    const testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    EXPECT_FALSE(shot.SaveArtifact("zcl-version-labels").empty());
    const TPoint origin = form->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(shot.AtScreen(origin.x + 8, origin.y + 30), Sys(COLOR_BTNSHADOW)) << "the box's left edge";
    EXPECT_EQ(shot.AtScreen(origin.x + 14, origin.y + 12), Sys(COLOR_BTNFACE)) << "behind the label";
    int inked = 0;
    for (int x = 16; x < 16 + labels[0]->Width(); ++x)
        for (int y = 10; y < 10 + labels[0]->Height(); ++y)
            if (shot.AtScreen(origin.x + x, origin.y + y) == Rgb(clWindowText)) ++inked;
    EXPECT_GT(inked, 20) << "the first label's text";
}
