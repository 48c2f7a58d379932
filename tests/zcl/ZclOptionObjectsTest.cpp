// The option objects of frames and text: streamed with their owner and read back with their values, their owner
// told of every change (and of nothing else), Assign, and the summary texts.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "zcl/graphics/Zclbevel.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclshadow.h"

namespace {

// A component that publishes option objects as a control does and hears their changes.
class TOptionsHost : public TComponent {
public:
    explicit TOptionsHost(TComponent* owner) : TComponent(owner)
    {
        for (TZCLObject* o : Objects()) o->SetOnChange(TNotifyEvent(this, &TOptionsHost::OptionChanged));
    }

    TZCLFxCaption* Effects() const { return effects_.get(); }
    TZCLButtonLayout* ButtonLayout() const { return buttonLayout_.get(); }
    TZCLGlyphTextLayout* GlyphLayout() const { return glyphLayout_.get(); }
    TZCLBevel* Bevel() const { return bevel_.get(); }
    TZCLShadow* Shadow() const { return shadow_.get(); }
    TZCLCaption* Caption() const { return caption_.get(); }
    std::vector<TZCLObject*> Objects() const
    {
        return {effects_.get(), buttonLayout_.get(), glyphLayout_.get(), bevel_.get(), shadow_.get(), caption_.get()};
    }

    void OptionChanged(TObject* sender) { changes.push_back(sender); }
    std::vector<TObject*> changes;

private:
    std::unique_ptr<TZCLFxCaption> effects_ = std::make_unique<TZCLFxCaption>();
    std::unique_ptr<TZCLButtonLayout> buttonLayout_ = std::make_unique<TZCLButtonLayout>();
    std::unique_ptr<TZCLGlyphTextLayout> glyphLayout_ = std::make_unique<TZCLGlyphTextLayout>();
    std::unique_ptr<TZCLBevel> bevel_ = std::make_unique<TZCLBevel>();
    std::unique_ptr<TZCLShadow> shadow_ = std::make_unique<TZCLShadow>();
    std::unique_ptr<TZCLCaption> caption_ = std::make_unique<TZCLCaption>();
};

const bool hostPublished = [] {
    PublishedProperties<TOptionsHost>()
        .Object("Effects", &TOptionsHost::Effects, nullptr)
        .Object("ButtonLayout", &TOptionsHost::ButtonLayout, nullptr)
        .Object("GlyphLayout", &TOptionsHost::GlyphLayout, nullptr)
        .Object("Bevel", &TOptionsHost::Bevel, nullptr)
        .Object("Shadow", &TOptionsHost::Shadow, nullptr)
        .Object("Caption", &TOptionsHost::Caption, nullptr);
    return true;
}();

std::unique_ptr<TOptionsHost> RoundTrip(TOptionsHost& host, std::string* bytes = nullptr)
{
    TMemoryStream stream;
    stream.WriteComponent(&host);
    if (bytes) *bytes = std::string(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
    stream.SetPosition(0);
    auto read = std::make_unique<TOptionsHost>(nullptr);
    stream.ReadComponent(read.get());
    return read;
}

}  // namespace

TEST(ZclOptionObjects, CaptionsAndLayoutsStreamOutAndBackWithTheirValues)
{
    TOptionsHost host(nullptr);
    host.SetName("Host");
    TZCLFxCaption& fx = *host.Effects();
    fx.SetDisabledStyle(ds3d);
    fx.SetLightDepth(4);
    fx.SetShadowDepth(7);
    fx.SetLightColor(clYellow);
    fx.SetShadowColor(clBtnShadow);  // the default, not stored
    fx.SetStyle(tdExtrudeEnh);
    fx.SetOrientation(toBottomRight);
    fx.SetTracing(-2);
    fx.SetAngle(135);
    fx.SetPosXY(12, 34);
    TZCLButtonLayout& bl = *host.ButtonLayout();
    bl.SetAlignText2Glyph(taBottomLeft);
    bl.SetOffsetX(-5);
    bl.SetOffsetY(6);
    bl.SetSpacing(9);
    bl.SetAlignment(agTopLeft);  // the plain layout's default, not the button layout's
    bl.SetArrow(true);
    bl.SetArrowColor(clRed);
    bl.SetArrowIndent(8);
    bl.SetArrowPosition(apLeftGlyph);
    bl.SetArrowSize(9);
    host.GlyphLayout()->SetAlignment(agCenter);

    std::string bytes;
    auto read = RoundTrip(host, &bytes);
    const TZCLFxCaption& r = *read->Effects();
    EXPECT_EQ(r.DisabledStyle(), ds3d);
    EXPECT_EQ(r.LightDepth(), 4);
    EXPECT_EQ(r.ShadowDepth(), 7);
    EXPECT_EQ(r.LightColor(), clYellow);
    EXPECT_EQ(r.ShadowColor(), clBtnShadow);
    EXPECT_EQ(r.Style(), tdExtrudeEnh);
    EXPECT_EQ(r.Orientation(), toBottomRight);
    EXPECT_EQ(r.Tracing(), -2);
    EXPECT_EQ(r.Angle(), 135);
    EXPECT_EQ(r.PosX(), 12);
    EXPECT_EQ(r.PosY(), 34);
    const TZCLButtonLayout& rl = *read->ButtonLayout();
    EXPECT_EQ(rl.AlignText2Glyph(), taBottomLeft);
    EXPECT_EQ(rl.OffsetX(), -5);
    EXPECT_EQ(rl.OffsetY(), 6);
    EXPECT_EQ(rl.Spacing(), 9);
    EXPECT_EQ(rl.Alignment(), agTopLeft);
    EXPECT_TRUE(rl.Arrow());
    EXPECT_EQ(rl.ArrowColor(), clRed);
    EXPECT_EQ(rl.ArrowIndent(), 8);
    EXPECT_EQ(rl.ArrowPosition(), apLeftGlyph);
    EXPECT_EQ(rl.ArrowSize(), 9);
    EXPECT_EQ(read->GlyphLayout()->Alignment(), agCenter);
    EXPECT_EQ(bytes.find("ShadowColor"), std::string::npos);  // defaults are left out

    // A host with every default writes none of the objects' values, and reads back the defaults.
    TOptionsHost plain(nullptr);
    std::string plainBytes;
    auto plainRead = RoundTrip(plain, &plainBytes);
    for (const char* name : {"Style", "Angle", "Alignment", "Arrow", "Spacing"})
        EXPECT_EQ(plainBytes.find(name), std::string::npos) << name;
    EXPECT_EQ(plainRead->ButtonLayout()->Alignment(), agCenter);
    EXPECT_EQ(plainRead->GlyphLayout()->Alignment(), agTopLeft);
    EXPECT_EQ(plainRead->ButtonLayout()->Spacing(), 2);
    EXPECT_EQ(plainRead->Effects()->LightColor(), clBtnHighlight);
}

TEST(ZclOptionObjects, BevelShadowAndCaptionStreamOutAndBackWithTheirValues)
{
    TOptionsHost host(nullptr);
    host.SetName("Host");
    TZCLBevel& b = *host.Bevel();
    b.SetStyleOuter(bvFrameLowered);
    b.SetStyleInner(bvRaised);
    b.SetWidthInner(3);
    b.SetWidthOuter(0);
    b.SetBorderColor(clTeal);
    b.SetBorderInnerWidth(4);
    b.SetBorderWidth(200);
    b.SetBorderSides(TZCLFrameSides{fsLeft, fsTop});
    b.SetEdgeStyle(etBump);
    b.SetLightColor(clWhite);
    b.SetShadowColor(clGray);
    b.SetStandardStyle(lsDoubleRaised);
    b.SetMode(bmEdge);
    TZCLShadow& sh = *host.Shadow();
    sh.SetColor(clMaroon);
    sh.SetDepth(17);
    sh.SetStyle(hssTracing);
    TZCLCaption& c = *host.Caption();
    c.SetAlignment(agBottomLeft);
    c.SetCaption("Key caption");
    c.SetMultiLine(true);
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(-19);
    c.Font()->SetColor(clOlive);
    c.Font()->SetStyle(TFontStyles{fsItalic, fsUnderline});
    c.FontFX()->SetStyle(tdShadow);
    c.FontFX()->SetShadowDepth(3);
    c.FontFX()->SetAngle(30);

    auto read = RoundTrip(host);
    const TZCLBevel& rb = *read->Bevel();
    EXPECT_EQ(rb.StyleOuter(), bvFrameLowered);
    EXPECT_EQ(rb.StyleInner(), bvRaised);
    EXPECT_EQ(rb.WidthInner(), 3);
    EXPECT_EQ(rb.WidthOuter(), 0);
    EXPECT_EQ(rb.BorderColor(), clTeal);
    EXPECT_EQ(rb.BorderInnerWidth(), 4);
    EXPECT_EQ(rb.BorderWidth(), 200);
    EXPECT_TRUE(rb.BorderSides() == (TZCLFrameSides{fsLeft, fsTop}));
    EXPECT_EQ(rb.EdgeStyle(), etBump);
    EXPECT_EQ(rb.LightColor(), clWhite);
    EXPECT_EQ(rb.ShadowColor(), clGray);
    EXPECT_EQ(rb.StandardStyle(), lsDoubleRaised);
    EXPECT_EQ(rb.Mode(), bmEdge);
    EXPECT_EQ(rb.FrameExtent(), 2 + 4);  // kept as the values came in
    const TZCLShadow& rs = *read->Shadow();
    EXPECT_EQ(rs.Color(), clMaroon);
    EXPECT_EQ(rs.Depth(), 17);
    EXPECT_EQ(rs.Style(), hssTracing);
    const TZCLCaption& rc = *read->Caption();
    EXPECT_EQ(rc.Alignment(), agBottomLeft);
    EXPECT_EQ(rc.Caption(), "Key caption");
    EXPECT_TRUE(rc.MultiLine());
    EXPECT_EQ(rc.Font()->Name(), "Arial");
    EXPECT_EQ(rc.Font()->Height(), -19);
    EXPECT_EQ(rc.Font()->Color(), clOlive);
    EXPECT_TRUE(rc.Font()->Style() == (TFontStyles{fsItalic, fsUnderline}));
    EXPECT_EQ(rc.FontFX()->Style(), tdShadow);
    EXPECT_EQ(rc.FontFX()->ShadowDepth(), 3);
    EXPECT_EQ(rc.FontFX()->Angle(), 30);

    // A shadow pair streams as a pair.
    TOptionsHost pair(nullptr);
    pair.Bevel()->SetStyleOuter(bvShadow);
    auto pairRead = RoundTrip(pair);
    EXPECT_EQ(pairRead->Bevel()->StyleOuter(), bvShadow);
    EXPECT_EQ(pairRead->Bevel()->StyleInner(), bvShadow);
}

TEST(ZclOptionObjects, EveryChangeTellsTheOwnerAndNothingElseDoes)
{
    TOptionsHost host(nullptr);
    TZCLFxCaption* fx = host.Effects();
    TZCLButtonLayout* bl = host.ButtonLayout();
    TZCLBevel* bv = host.Bevel();
    TZCLShadow* sh = host.Shadow();
    TZCLCaption* cp = host.Caption();
    struct Case {
        const char* name;
        TObject* object;
        std::function<void()> change, same;
    } const cases[] = {
        {"DisabledStyle", fx, [&] { fx->SetDisabledStyle(dsNone); }, [&] { fx->SetDisabledStyle(dsNone); }},
        {"LightDepth", fx, [&] { fx->SetLightDepth(3); }, [&] { fx->SetDepth(0, 3); }},
        {"ShadowColor", fx, [&] { fx->SetColor(1, clNavy); }, [&] { fx->SetShadowColor(clNavy); }},
        {"Style", fx, [&] { fx->SetStyle(tdOutline); }, [&] { fx->SetStyle(tdOutline); }},
        {"Orientation", fx, [&] { fx->SetOrientation(toTopRight); }, [&] { fx->SetOrientation(toTopRight); }},
        {"Tracing", fx, [&] { fx->SetTracing(3); }, [&] { fx->SetTracing(3); }},
        {"Angle", fx, [&] { fx->SetAngle(30); }, [&] { fx->SetAngle(390); }},
        {"PosY", fx, [&] { fx->SetPos(1, 8); }, [&] { fx->SetPosY(8); }},
        {"Spacing", bl, [&] { bl->SetSpacing(4); }, [&] { bl->SetSpacing(4); }},
        {"OffsetX", bl, [&] { bl->SetOffset(0, 4); }, [&] { bl->SetOffsetX(4); }},
        {"Arrow", bl, [&] { bl->SetArrow(true); }, [&] { bl->SetArrow(true); }},
        {"ArrowSize", bl, [&] { bl->SetArrowSize(10); }, [&] { bl->SetArrowSize(12); }},  // 12 is held to 10
        {"ArrowPosition", bl, [&] { bl->SetArrowPosition(apLeftText); }, [&] { bl->SetArrowPosition(apLeftText); }},
        {"Bevel StyleOuter", bv, [&] { bv->SetStyleOuter(bvRaised); }, [&] { bv->SetStyle(1, bvRaised); }},
        {"Bevel LightColor", bv, [&] { bv->SetColor(1, clRed); }, [&] { bv->SetLightColor(clRed); }},
        {"Bevel Mode", bv, [&] { bv->SetMode(bmWindows); }, [&] { bv->SetMode(bmWindows); }},
        {"Bevel EdgeStyle", bv, [&] { bv->SetEdgeStyle(etRaised); }, [&] { bv->SetEdgeStyle(etRaised); }},
        {"Shadow Depth", sh, [&] { sh->SetDepth(2); }, [&] { sh->SetDepth(2); }},
        {"Shadow Style", sh, [&] { sh->SetStyle(hssNone); }, [&] { sh->SetStyle(hssNone); }},
        {"Caption text", cp, [&] { cp->SetCaption("x"); }, [&] { cp->SetCaption("x"); }},
        {"Caption font", cp, [&] { cp->Font()->SetSize(20); }, [&] { cp->Font()->SetSize(20); }},
        {"Caption effects", cp, [&] { cp->FontFX()->SetTracing(2); }, [&] { cp->FontFX()->SetTracing(2); }},
        {"Caption alignment", cp, [&] { cp->SetAlignment(agTopRight); }, [&] { cp->SetAlignment(agTopRight); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.changes.clear();
        c.change();
        ASSERT_EQ(host.changes.size(), 1u);
        EXPECT_EQ(host.changes[0], c.object);
        c.same();
        EXPECT_EQ(host.changes.size(), 1u);
    }
    // SetPosXY sets both quietly.
    host.changes.clear();
    fx->SetPosXY(40, 50);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(fx->PosX(), 40);
    EXPECT_EQ(fx->PosY(), 50);
    // The angle is taken modulo 360.
    fx->SetAngle(360);
    EXPECT_EQ(fx->Angle(), 0);
    fx->SetAngle(-90);
    EXPECT_EQ(fx->Angle(), 270);
}

TEST(ZclOptionObjects, AssignCopiesThePublishedFieldsAndNotifiesOnce)
{
    TOptionsHost host(nullptr);
    TZCLFxCaption source;
    source.SetStyle(tdRaised);
    source.SetLightDepth(5);
    source.SetOrientation(toBottomLeft);
    source.SetAngle(45);
    source.SetPosXY(3, 4);
    host.changes.clear();
    host.Effects()->Assign(&source);
    EXPECT_EQ(host.changes.size(), 1u);
    EXPECT_EQ(host.Effects()->Style(), tdRaised);
    EXPECT_EQ(host.Effects()->LightDepth(), 5);
    EXPECT_EQ(host.Effects()->Angle(), 45);
    EXPECT_EQ(host.Effects()->PosY(), 4);
    EXPECT_EQ(host.Effects()->Orientation(), toTopLeft);  // the orientation keeps its value

    // From a plain 3D caption only the 3D fields come over.
    TZCL3DCaption plain;
    plain.SetStyle(tdShadow);
    host.Effects()->Assign(&plain);
    EXPECT_EQ(host.Effects()->Style(), tdShadow);
    EXPECT_EQ(host.Effects()->Angle(), 45);

    TZCLButtonLayout layout;
    layout.SetArrow(true);
    layout.SetSpacing(11);
    layout.SetAlignment(agBottomRight);
    host.changes.clear();
    host.ButtonLayout()->Assign(&layout);
    EXPECT_EQ(host.changes.size(), 1u);
    EXPECT_TRUE(host.ButtonLayout()->Arrow());
    EXPECT_EQ(host.ButtonLayout()->Spacing(), 11);
    EXPECT_EQ(host.ButtonLayout()->Alignment(), agBottomRight);
    // A plain layout gives a button layout its layout, not its arrow.
    TZCLGlyphTextLayout glyphLayout;
    glyphLayout.SetSpacing(1);
    host.ButtonLayout()->Assign(&glyphLayout);
    EXPECT_EQ(host.ButtonLayout()->Spacing(), 1);
    EXPECT_TRUE(host.ButtonLayout()->Arrow());

    TZCLCaption caption;
    caption.SetCaption("Copied");
    caption.SetAlignment(agCenterRight);
    caption.Font()->SetSize(17);
    caption.FontFX()->SetStyle(tdRaised);
    host.changes.clear();
    host.Caption()->Assign(&caption);
    EXPECT_EQ(host.changes.size(), 1u);
    EXPECT_EQ(host.Caption()->Caption(), "Copied");
    EXPECT_EQ(host.Caption()->Alignment(), agCenterRight);
    EXPECT_EQ(host.Caption()->Font()->Size(), 17);
    EXPECT_EQ(host.Caption()->FontFX()->Style(), tdRaised);

    // Something else is refused by the framework's assignment.
    TFont font;
    EXPECT_THROW(host.Effects()->Assign(&font), EConvertError);
}

TEST(ZclOptionObjects, SummaryTexts)
{
    struct Case {
        TZCLThreeDStyle style;
        int angle;
        const char* text;
    } const cases[] = {
        {tdNone, 0, "{Disabled}"},         {tdSunken, 0, "{sunken}"},
        {tdRaisedShadow, 0, "{raised shadow}"}, {tdPColorSunken, 0, "{PColor sunken}"},
        {tdPColorRaised, 0, "{}"},         {tdExtrudeEnh, 0, "{extrude enh}"},
        {tdSunken, 45, "{sunken, rot: 45}"}, {tdNone, 45, "{ rot: 45}"},
        {tdOutline, 359, "{outline, rot: 359}"},
    };
    for (const Case& c : cases) {
        TZCLFxCaption fx;
        fx.SetStyle(c.style);
        fx.SetAngle(c.angle);
        EXPECT_EQ(fx.GetSetStr(), c.text);
        if (c.angle == 0) {
            TZCL3DCaption plain;
            plain.SetStyle(c.style);
            EXPECT_EQ(plain.GetSetStr(), c.text);
        }
    }
    EXPECT_EQ(TZCLButtonLayout().GetSetStr(), "");
}
