// One form holding every library control a program window is built from, in its states, saved under the build
// folder's artifacts for a person to look at: panels (bevel, Windows border, picture, fill with a caption),
// labels (plain, 3D in each look, jump, disabled, multi-line, cut, with an image), information labels over
// sunken edges, graphic, speed, office, multimedia and dock buttons, edits (typed into with real keys,
// password, with custom buttons, disabled, flat), mask, spin and file-open edits and the combo box with its
// docked button.
// The states that come from input are made by real clicks, moves and keys.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PanelTestHelpers.h"
#include "ZclControlTestHelpers.h"
#include "ZclEditTestHelpers.h"
#include "support/Screenshot.h"
#include "zcl/buttons/Zcldockspeedbutton.h"
#include "zcl/buttons/Zclmmbutton.h"
#include "zcl/buttons/Zclofficebutton.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/components/Zcldrawedge.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclsysin.h"
#include "zcl/edits/Zclbrowseedit.h"
#include "zcl/edits/Zclcombobox.h"
#include "zcl/edits/Zcledit.h"
#include "zcl/edits/Zclmaskedit.h"
#include "zcl/edits/Zclspinbutton.h"
#include "zcl/edits/Zclspinedit.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclfillobject.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/panels/Zclbackpanel.h"
#include "zcl/panels/Zclcustompanelfill.h"
#include "zcl/panels/Zclcustomglyphlabel.h"
#include "zcl/panels/Zclcustomsimplelabel.h"
#include "zcl/panels/Zclinformationlabel.h"
#include "zcl/panels/Zclsimplepanel.h"

using namespace zclctl;
using zcledit::Flush;
using zcledit::MouseAt;
using zcledit::MouseButtons;
using zcledit::Press;
using zcledit::Type;

namespace {

class TFillPanel : public TZCLCustomPanelFill {
public:
    explicit TFillPanel(TComponent* owner) : TZCLCustomPanelFill(owner) {}
};

class ZclControlsGallery : public zcledit::EditForm {
protected:
    void SetUp() override
    {
        zcledit::EditForm::SetUp();
        controltest::MouseTo(1000, 750);
        form->SetBounds(10, 10, 800, 560);
        form->SetColor(clBtnFace);
    }
    void TearDown() override
    {
        MouseButtons(MOUSEEVENTF_LEFTUP);
        controltest::MouseTo(1000, 750);
        zcledit::EditForm::TearDown();
    }

    TZCLSimpleLabel* Text(TWinControl* parent, int x, int y, const char* text, int size = 8)
    {
        auto* l = new TZCLSimpleLabel(form.get());
        l->SetParent(parent);
        l->Font()->SetName("Arial");
        l->Font()->SetSize(size);
        l->SetLeft(x);
        l->SetTop(y);
        l->SetCaption(text);
        return l;
    }
    void Heading(int y, const char* text)
    {
        Text(form.get(), 8, y, text, 9)->Font()->SetStyle(TFontStyles{fsBold});
    }
    void Note(int x, int y, const char* text) { Text(form.get(), x, y, text, 7); }
    template <typename T>
    T* Add(int x, int y, int w, int h, TWinControl* parent = nullptr)
    {
        T* c = new T(form.get());
        c->SetParent(parent ? parent : form.get());
        c->SetBounds(x, y, w, h);
        return c;
    }
    TZCLEdit* Edit(int x, int y, int w, const char* text)
    {
        auto* e = Add<TZCLEdit>(x, y, w, 21);
        e->Font()->SetName("Arial");
        e->SetText(text);
        return e;
    }
    // A real click at a point of a control, and the mouse left there.
    static void ClickAt(TControl* control, int x, int y)
    {
        MouseAt(control, x, y);
        Pump(40);
        MouseButtons(MOUSEEVENTF_LEFTDOWN);
        Pump(40);
        MouseButtons(MOUSEEVENTF_LEFTUP);
        Pump(40);
    }

    void BuildPanels()
    {
        Heading(4, "Panels");
        auto* raised = Add<TZCLSimplePanel>(8, 22, 110, 64);
        raised->Bevel()->SetStyleOuter(bvRaised);
        raised->Bevel()->SetWidthOuter(2);
        raised->Bevel()->SetBorderWidth(2);
        raised->Bevel()->SetStyleInner(bvLowered);
        Text(raised, 10, 22, "bevel panel");
        auto* windows = Add<TZCLSimplePanel>(126, 22, 100, 64);
        windows->Bevel()->SetMode(bmWindows);
        windows->SetColor(clWindow);
        Text(windows, 8, 22, "Windows border");

        tiles_.Add();
        tiles_.BitmapItem(0)->SetBitmap(PatternBitmap(24, 24).get());
        back = Add<TZCLBackPanel>(234, 22, 230, 64);
        back->SetImageList(&tiles_);
        back->Bevel()->SetStyleOuter(bvLowered);
        onBack = Add<TZCLSimplePanel>(10, 8, 100, 48, back);
        onBack->SetTransparent(true);
        onBack->Bevel()->SetStyleOuter(bvRaised);
        onBack->Bevel()->SetWidthOuter(3);
        auto* clear = Text(back, 122, 10, "transparent", 10);
        clear->Font()->SetColor(clWhite);
        clear->Font()->SetStyle(TFontStyles{fsBold});
        auto* opaque = Text(back, 122, 34, "opaque", 10);
        opaque->SetParentColor(false);
        opaque->SetColor(clWhite);
        opaque->SetTransparent(false);

        auto* gradient = Add<TFillPanel>(472, 22, 156, 64);
        gradient->FillObject()->Gradient()->SetTwoColors(true);
        gradient->FillObject()->Gradient()->SetColor(clNavy);
        gradient->FillObject()->Gradient()->SetEndColor(clAqua);
        gradient->FillObject()->SetStyle(sfGradient);
        gradient->Font()->SetColor(clWhite);
        gradient->Font()->SetName("Arial");
        gradient->Font()->SetSize(11);
        gradient->CaptionFx()->SetStyle(tdShadow);
        gradient->CaptionFx()->SetShadowColor(clBlack);
        gradient->SetCaption("Fill panel");
        gradient->Bevel()->SetStyleOuter(bvRaised);
        auto* disabled = Add<TFillPanel>(636, 22, 156, 64);
        disabled->FillObject()->SetStyle(sfBrush);
        disabled->FillObject()->Brush()->SetColor(TColor(0xCC9966));
        disabled->SetAlignment(agBottomRight);
        disabled->Font()->SetName("Arial");
        disabled->SetCaption("disabled, bottom right");
        disabled->SetEnabled(false);
        Note(234, 88, "picture panel: a transparent panel and labels on it");
        Note(472, 88, "fill panels with captions");
    }

    void BuildLabels()
    {
        Heading(104, "Labels");
        Text(form.get(), 8, 124, "Plain label", 10);
        auto* deep = Text(form.get(), 100, 120, "3D label", 14);
        deep->Font()->SetStyle(TFontStyles{fsBold});
        deep->Font3D()->SetStyle(tdRaisedShadow);
        deep->Font3D()->SetDepth(1, 2);
        Text(form.get(), 200, 124, "www.karvon.example", 10)->SetJumpMode(jmInternet);
        Text(form.get(), 340, 124, "Disabled label", 10)->SetEnabled(false);
        auto* multi = Text(form.get(), 0, 0, "A multi-line label centred in its box", 8);
        multi->SetAutoSize(false);
        multi->SetMultiLine(true);
        multi->SetAlignment(agCenter);
        multi->SetBounds(450, 114, 120, 36);
        multi->SetTransparent(false);
        multi->SetParentColor(false);
        multi->SetColor(clInfoBk);
        auto* cut = Text(form.get(), 0, 0, "A label far too long for its width", 10);
        cut->SetAutoSize(false);
        cut->SetBounds(580, 124, 110, 18);
        cut->SetOptions(TZCLLabelOptions{loEndEllipsis});

        auto* strip = static_cast<TZCLImageListItem*>(images_.GetItem(images_.Add()));
        strip->Add(drawtest::MakeBitmap(16, 16,
                                        [](int x, int y) {
                                            if (x == 0 || y == 0 || x == 15 || y == 15) return 0xFFFFFFu;
                                            const int dx = x - 8, dy = y - 8;
                                            return dx * dx + dy * dy < 36 ? 0x00C000u : 0xFFFFFFu;
                                        })
                       .get(),
                   nullptr);
        auto* glyph = new TZCLGlyphLabel(form.get());
        glyph->SetParent(form.get());
        glyph->Font()->SetName("Arial");
        glyph->Font()->SetSize(10);
        glyph->SetLeft(8);
        glyph->SetTop(148);
        glyph->SetImageList(&images_);
        glyph->Bevel()->SetStyleOuter(bvLowered);
        glyph->SetCaption("Glyph label");
        auto* below = new TZCLGlyphLabel(form.get());
        below->SetParent(form.get());
        below->Font()->SetName("Arial");
        below->SetLeft(150);
        below->SetTop(146);
        below->SetImageList(&images_);
        below->Alignment()->SetAlignText2Glyph(taBottom);
        below->SetCaption("text below");

        // The 3D captions.
        const struct {
            TZCLThreeDStyle style;
            const char* name;
        } looks[] = {{tdSunken, "Sunken"}, {tdRaised, "Raised"}, {tdShadow, "Shadow"}, {tdOutline, "Outline"},
                     {tdExtrude, "Extrude"}};
        for (int i = 0; i < 5; ++i) {
            auto* l = Text(form.get(), 270 + i * 104, 157, looks[i].name, 14);
            l->Font()->SetColor(clNavy);
            l->Font3D()->SetStyle(looks[i].style);
            // An outline is stroked as wide as the shadow is deep: one pixel keeps the letters open.
            const bool outline = looks[i].style == tdOutline;
            if (!outline) l->Font()->SetStyle(TFontStyles{fsBold});
            l->Font3D()->SetDepth(1, outline ? 1 : 2);
        }
    }

    void BuildInformation()
    {
        Heading(184, "Information labels and drawn edges");
        auto* box = Add<TZCLDrawEdge>(8, 202, 430, 92);
        box->SetEdgeStyle(etSunken);
        const TZCLInfoType kinds[] = {itProgName, itProgVersion, itCapsLock, itColorDepth};
        for (int i = 0; i < 4; ++i) {
            auto* info = new TZCLInformationLabel(form.get());
            info->SetParent(form.get());
            info->Font()->SetName("Arial");
            info->SetLeft(16);
            info->SetTop(208 + i * 21);
            info->SetInsertColon(0);
            info->SetInsertTabs(2);
            info->SetInfo(kinds[i]);
            infos[i] = info;
        }
        static const char* const edgeNames[] = {"etched", "bump", "raised", "sunken"};
        static const TZCLEdgeStyle edges[] = {etEtched, etBump, etRaised, etSunken};
        for (int i = 0; i < 4; ++i) {
            auto* e = Add<TZCLDrawEdge>(452 + i * 70, 202, 60, 40);
            e->SetEdgeStyle(edges[i]);
            Note(452 + i * 70, 244, edgeNames[i]);
        }
        auto* diagonal = Add<TZCLDrawEdge>(452, 258, 60, 36);
        diagonal->SetStyle(esDiagonal);
        diagonal->SetEdgeStyle(etSunken);
        auto* standard = Add<TZCLDrawEdge>(522, 258, 60, 36);
        standard->SetStyle(esStandard);
        standard->SetStandardStyle(lsDoubleRaised);
        auto* top = Add<TZCLDrawEdge>(592, 258, 60, 36);
        top->SetEdgeStyle(etSunken);
        top->SetFrameSides(TZCLFrameSides{fsTop});
        Note(662, 270, "diagonal, standard, top only");
    }

    void BuildButtons()
    {
        Heading(304, "Graphic, speed, office, multimedia and dock buttons");
        static const char* const names[] = {"up", "clicked", "mouse over", "disabled"};
        for (int i = 0; i < 4; ++i) {
            auto* b = Add<TZCLSpeedButton>(8 + i * 78, 322, 74, 28);
            b->SetGlyphKind(gkFolder);
            b->SetCaption(names[i]);
            b->Font()->SetSize(7);
            speeds[i] = b;
        }
        speeds[1]->SetGroupIndex(7);
        speeds[1]->SetAllowAllUp(true);
        speeds[2]->SetStyle(ubsVestoFlat);
        speeds[3]->SetEnabled(false);
        for (int k = gkEllipsis; k <= gkFont; ++k) {
            auto* g = Add<TZCLSpeedButton>(326 + (k - 1) * 27, 324, 24, 24);
            g->SetGlyphKind(TZCLGlyphKind(k));
        }
        for (int i = 0; i < 2; ++i) {
            auto* o = Add<TZCLOfficeButton>(550 + i * 28, 325, 23, 22);
            o->SetGlyphKind(gkSearch);
            o->SetGroupIndex(50);
            if (i == 1) o->SetPressed(true);
        }
        faces_.Add();
        TZCLImageListItem* item = faces_.StripItem(0);
        item->SetWidth(32);
        item->SetHeight(24);
        const std::uint32_t colours[] = {0x00C000, 0x0000C0, 0x808080};
        item->Add(drawtest::MakeBitmap(96, 24,
                                       [&](int x, int y) {
                                           const int cx = x % 32 - 16, cy = y - 12;
                                           return cx * cx + 2 * cy * cy < 220 ? colours[x / 32] : 0xFFFFFFu;
                                       })
                      .get(),
                  nullptr);
        for (int i = 0; i < 2; ++i) {
            auto* mm = Add<TZCLCustomMMButton>(614 + i * 40, 324, 32, 24);
            mm->SetButtonFaceImageList(&faces_);
            mm->SetFace(bsUp, 0, 0);
            mm->SetFace(bsDown, 0, 1);
            mm->SetFace(bsDisabledUp, 0, 2);
            if (i == 1) mm->SetEnabled(false);
        }
        docked = Edit(8, 362, 160, "docked to its button");
        dock = new TZCLDockSpeedButton(form.get());
        dock->SetGlyphKind(gkEllipsis);
        dock->SetControl(docked);
        Note(8, 385, "a dock button beside its control; up, clicked, flat under the mouse, disabled; stock glyphs");
    }

    void BuildEdits()
    {
        Heading(404, "Edits");
        typed = Edit(8, 422, 150, "");
        // The selection made by the keys shows also once the focus has moved on.
        typed->SetHideSelection(false);
        auto* password = Edit(166, 422, 110, "secret");
        password->SetPasswordChar('*');
        withButtons = Edit(284, 422, 200, "custom buttons");
        for (int i = 0; i < 3; ++i) withButtons->CustomButtons()->Add();
        withButtons->SetCustomButtonWidth(20);
        withButtons->CustomButtons()->GetItem(0)->SetCaption("a");
        withButtons->CustomButtons()->GetItem(1)->SetCaption("b");
        withButtons->CustomButtons()->GetItem(2)->SpeedButton()->SetGlyphKind(gkCalculator);
        auto* disabled = Edit(492, 422, 120, "disabled");
        disabled->SetEnabled(false);
        auto* flat = Edit(620, 422, 120, "flat");
        flat->SetFlat(true);
        Note(8, 445, "typed and selected with real keys, password, custom buttons, disabled, flat");
    }

    void BuildTypedEdits()
    {
        Heading(462, "Mask, spin and file-open edits, the combo box");
        mask = Add<TZCLMaskEdit>(8, 480, 80, 21);
        mask->SetMask("00\\-00");
        spin = Add<TZCLExtSpinEdit>(96, 480, 80, 21);
        spin->SetMaxValue(10);
        spin->SetValue(5);
        auto* fraction = Add<TZCLExtSpinEdit>(184, 480, 80, 21);
        fraction->SetEditType(ntFloatFixed);
        fraction->SetDecimals(2);
        fraction->SetValue(2.5);
        fraction->SetEnabled(false);
        combo = Add<TZCLComboBox>(284, 480, 110, 21);
        combo->SetStyle(csDropDownList);
        for (const char* port : {"COM1", "COM2", "COM3", "COM4"}) combo->Items()->Add(port);
        combo->SetItemIndex(1);
        comboDock = new TZCLDockSpeedButton(form.get());
        comboDock->SetGlyphKind(gkSearch);
        comboDock->SetControl(combo);
        auto* typedCombo = Add<TZCLComboBox>(440, 480, 140, 21);
        typedCombo->SetStyle(csDropDown);
        for (const char* item : {"first", "second"}) typedCombo->Items()->Add(item);
        typedCombo->SetText("typed in the combo");
        fileOpen = Add<TZCLFileOpenEdit>(590, 480, 200, 21);
        fileOpen->SetFilename("C:\\windows\\win.ini");
        Note(8, 503,
             "mask typed into, spin edit clicked up, disabled fixed point; port list with its docked button; a file "
             "to open with its browse button");
    }

    TZCLBitmapList tiles_{nullptr};
    TZCLImageList images_{nullptr};
    TZCLImageList faces_{nullptr};
    TZCLBackPanel* back = nullptr;
    TZCLSimplePanel* onBack = nullptr;
    TZCLInformationLabel* infos[4] = {};
    TZCLSpeedButton* speeds[4] = {};
    TZCLEdit* docked = nullptr;
    TZCLDockSpeedButton* dock = nullptr;
    TZCLEdit* typed = nullptr;
    TZCLEdit* withButtons = nullptr;
    TZCLMaskEdit* mask = nullptr;
    TZCLExtSpinEdit* spin = nullptr;
    TZCLComboBox* combo = nullptr;
    TZCLDockSpeedButton* comboDock = nullptr;
    TZCLFileOpenEdit* fileOpen = nullptr;
};

TEST_F(ZclControlsGallery, OneFormOfEveryControlInItsStates)
{
    BuildPanels();
    BuildLabels();
    BuildInformation();
    BuildButtons();
    BuildEdits();
    BuildTypedEdits();
    int buttonClicks = 0;
    withButtons->SetOnBtnClick(TZCLBtnClickEvent::From([&](TObject*, int) { ++buttonClicks; }));
    ShowForm();

    // The states a user makes: a click holds the grouped button down, a typed and partly selected text, the
    // mouse over the flat button.
    ClickAt(speeds[1], 30, 14);
    ASSERT_TRUE(PumpUntil([&] { return speeds[1]->Pressed(); }, 5000));
    ClickAt(typed, 20, 10);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == typed->Handle(); }, 5000));
    Type("Typed here");
    Press(VK_LEFT, {VK_SHIFT}, 4);
    ASSERT_TRUE(Flush(typed));
    EXPECT_EQ(typed->Text(), AnsiString("Typed here"));
    EXPECT_EQ(typed->SelText(), AnsiString("here"));
    ClickAt(mask, 4, 10);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == mask->Handle(); }, 5000));
    mask->SetSelStart(1);
    Type("1234");
    ASSERT_TRUE(Flush(mask));
    EXPECT_EQ(mask->Text(), AnsiString("12-34"));
    TZCLSpinButton* up = spin->SpinButton();
    ASSERT_NE(up, nullptr);
    ClickAt(up, up->Width() / 2, 2);
    ASSERT_TRUE(PumpUntil([&] { return spin->Value() == 6; }, 5000)) << spin->Text().c_str();
    MouseAt(speeds[2], 30, 14);
    ASSERT_TRUE(PumpUntil([&] { return speeds[2]->MouseOver(); }, 5000));
    // Nothing else took the clicks.
    EXPECT_EQ(buttonClicks, 0);
    EXPECT_FALSE(speeds[0]->Pressed());
    form->Repaint();

    // A few places a person would look at first: the picture panel and the picture through its transparent
    // child. The shot is taken once every window of the form has painted and the screen shows them.
    const TPoint b = back->ClientToScreen(TPoint(0, 0));
    const TPoint t = onBack->ClientToScreen(TPoint(0, 0));
    const COLORREF picture = PatternAt(220 % 24, 55 % 24), through = PatternAt((10 + 50) % 24, (8 + 24) % 24);
    testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
    PumpUntil(
        [&] {
            if (UpdatePending(form->Handle())) return false;
            shot = testshot::Shot::OfWindow(form->Handle());
            return shot.AtScreen(b.x + 220, b.y + 55) == picture && shot.AtScreen(t.x + 50, t.y + 24) == through;
        },
        5000);
    EXPECT_FALSE(shot.SaveArtifact("zcl-controls-gallery").empty());
    EXPECT_EQ(shot.AtScreen(b.x + 220, b.y + 55), picture) << "the picture panel";
    EXPECT_EQ(shot.AtScreen(t.x + 50, t.y + 24), through) << "the picture through the transparent panel";
    EXPECT_EQ(dock->BoundsRect(), TRect(docked->Left() + docked->Width() + 1, docked->Top(),
                                        docked->Left() + docked->Width() + 1 + dock->Width(), docked->BoundsRect().bottom))
        << "the dock button one pixel right of its control, as high";
    EXPECT_EQ(comboDock->Left(), combo->Left() + combo->Width() + 1) << "the port button beside its combo box";
    EXPECT_EQ(comboDock->Top(), combo->Top());
    EXPECT_EQ(combo->Text(), AnsiString("COM2"));
    EXPECT_EQ(fileOpen->GetFileName(), AnsiString("C:\\windows\\win.ini"));
    ASSERT_EQ(fileOpen->CustomButtons()->Count(), 1) << "the browse button";
    // The program's name behind its standard caption, the colon and two tabs.
    const AnsiString name = ZCLSIVersionInfo(viName);
    EXPECT_FALSE(name.IsEmpty());
    EXPECT_EQ(infos[0]->Text(), ZCLSIInfoToString(itProgName) + ":\t\t" + name);
}

}  // namespace
