// Multimedia buttons (faces per state from an image list, their fall-backs, placement flags, the caption moving
// when pressed, hits only on the face's own pixels, the stored forms old and new) and office buttons.

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ZclButtonTestHelpers.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "zcl/buttons/Zclmmbutton.h"
#include "zcl/buttons/Zclofficebutton.h"
#include "zcl/containers/Zclcont.h"

using namespace zclbtn;

namespace {

constexpr std::uint32_t Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Yellow = 0x00FFFF;
constexpr std::uint32_t White = 0xFFFFFF;

// A list of one strip of four 20 x 16 images: white with a solid block of its colour from (4, 4) to (16, 12).
struct Faces {
    Faces()
    {
        list.Add();
        TZCLImageListItem* item = list.StripItem(0);
        item->SetWidth(20);
        item->SetHeight(16);
        const std::uint32_t colours[] = {Red, Green, Blue, Yellow};
        auto strip = drawtest::MakeBitmap(80, 16, [&](int x, int y) {
            const int cx = x % 20;
            return cx >= 4 && cx < 16 && y >= 4 && y < 12 ? colours[x / 20] : White;
        });
        item->Add(strip.get(), nullptr);
    }
    TZCLImageList list{nullptr};
};

COLORREF Rgb(std::uint32_t bgr) { return COLORREF(bgr); }

class MMButtons : public ButtonForm {
protected:
    TZCLCustomMMButton* Button()
    {
        auto* b = Add<TZCLCustomMMButton>(20, 20, 20, 16);
        b->SetButtonFaceImageList(&faces.list);
        return b;
    }
    Faces faces;
};

TEST_F(MMButtons, AStateWithoutAFaceOfItsOwnShowsARelatedOne)
{
    TZCLCustomMMButton* b = Button();
    b->SetFace(bsUp, 0, 1);
    b->SetFace(bsDown, 0, 2);
    b->SetFace(bsDisabledUp, 0, 3);
    b->SetFace(bsMouseOver, 0, 9);  // no such image
    const struct {
        TZCLButtonState state;
        int image;
    } cases[] = {{bsUp, 1},      {bsDisabledUp, 3}, {bsMouseOver, 1},    {bsOptionSet, 2},
                 {bsDown, 2},    {bsDragOver, 1},   {bsDropDownOpen, 2}, {bsDisabledDown, 3}};
    for (const auto& c : cases) EXPECT_EQ(b->FaceFor(c.state).ImageIndex, c.image) << int(c.state);
    b->SetFace(bsDisabledUp, 0, 0);
    EXPECT_EQ(b->FaceFor(bsDisabledDown).ImageIndex, 2) << "then the pressed faces";
}

TEST_F(MMButtons, EachStateIsPaintedWithItsFace)
{
    TZCLCustomMMButton* b = Button();
    b->SetFace(bsUp, 0, 0);
    b->SetFace(bsDown, 0, 1);
    b->SetFace(bsDisabledUp, 0, 2);
    b->SetFace(bsMouseOver, 0, 3);
    b->SetGroupIndex(1);
    EXPECT_EQ(Render(b).At(10, 8), Rgb(Red));
    EXPECT_EQ(Render(b).At(1, 1), Sys(COLOR_BTNFACE)) << "the face's transparent white shows the button colour";
    b->SetPressed(true);
    EXPECT_EQ(Render(b).At(10, 8), Rgb(Green)) << "a pressed member shows the down face";
    b->SetEnabled(false);
    EXPECT_EQ(Render(b).At(10, 8), Rgb(Blue)) << "disabled down falls back to disabled up";
    b->SetAllowAllUp(true);
    b->SetPressed(false);
    EXPECT_EQ(Render(b).At(10, 8), Rgb(Blue));
    b->SetEnabled(true);
    b->StateChange(bsMouseOver);
    EXPECT_EQ(Render(b).At(10, 8), Rgb(Yellow));
}

TEST_F(MMButtons, TheCaptionMovesDownWhenPressed)
{
    TZCLCustomMMButton* b = Button();
    b->SetBounds(20, 20, 60, 30);
    b->SetButtonFaceImageList(nullptr);
    b->SetColor(clWhite);
    b->SetCaption("H");
    b->Font()->SetColor(clBlack);
    auto ink = [&](TZCLButtonState s) {
        b->StateChange(s);
        Render r(b);
        TRect box(60, 30, -1, -1);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 60; ++x)
                if (r.At(x, y) == RGB(0, 0, 0)) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                }
        return box;
    };
    const TRect up = ink(bsUp);
    ASSERT_LT(up.left, 60) << "the caption is drawn";
    for (TZCLButtonState pressed : {bsDown, bsOptionSet, bsDropDownOpen}) {
        const TRect down = ink(pressed);
        EXPECT_EQ(down.left, up.left + 1) << int(pressed);
        EXPECT_EQ(down.top, up.top + 1) << int(pressed);
    }
    b->SetCaptionDown(3);
    EXPECT_EQ(ink(bsDown).left, up.left + 3);
    b->SetCaptionDown(-2);
    EXPECT_EQ(b->CaptionDown(), 0);
    EXPECT_EQ(ink(bsDown).left, up.left);
}

TEST_F(MMButtons, TheFaceStyleSelectsTheDrawingFlags)
{
    TZCLCustomMMButton* b = Button();
    const struct {
        TZCLBitmapStyle style;
        std::uint16_t flags;
    } cases[] = {{sbNone, 0},           {sbAutosize, 0},         {sbCenter, 8},          {sbStretch, 16},
                 {sbTile, 32},          {sbKeepAspRatio, 0x610}, {sbKeepWidth, 0x210},   {sbKeepHeight, 0x410}};
    for (const auto& c : cases) {
        b->SetButtonFaceStyle(c.style);
        b->SetQuickDraw(false);
        b->SetForceTransparent(true);
        EXPECT_EQ(b->FaceDrawFlags(), c.flags | 0x1000 | 64) << int(c.style);
        b->SetQuickDraw(true);
        b->SetForceTransparent(false);
        EXPECT_EQ(b->FaceDrawFlags(), c.flags) << int(c.style);
    }
}

TEST_F(MMButtons, AutosizeTakesTheFaceImagesSize)
{
    TZCLCustomMMButton* b = Button();
    b->SetBounds(0, 0, 50, 50);
    b->SetButtonFaceStyle(sbAutosize);
    EXPECT_EQ(b->Width(), 20);
    EXPECT_EQ(b->Height(), 16);
    b->SetButtonFaceImageList(nullptr);
    EXPECT_EQ(b->Width(), 20);
    EXPECT_EQ(b->Height(), 20) << "a list that tells no size";
}

TEST_F(MMButtons, OnlyTheFacesOwnPixelsTakeClicks)
{
    TZCLCustomMMButton* b = Button();
    b->SetBounds(20, 20, 40, 32);
    b->SetButtonFaceStyle(sbStretch);
    EXPECT_EQ(b->TransparentColor(), clWhite) << "the face's bottom-left colour";
    EXPECT_TRUE(b->VerifyTransparency(20, 16)) << "on the block";
    EXPECT_FALSE(b->VerifyTransparency(2, 2)) << "on the white around it";
    EXPECT_FALSE(b->VerifyTransparency(-1, 16));
    log.Watch(b, "M");
    ShowForm();
    MouseToControl(b, 2, 2);
    Press();
    Release();
    EXPECT_TRUE(log.Of("click").empty());
    MouseToControl(b, 20, 16);
    Press();
    Release();
    EXPECT_EQ((std::vector<std::string>{"M click"}), log.Of("click"));
    b->SetAllowTransparency(false);
    MouseToControl(b, 2, 2);
    Press();
    Release();
    EXPECT_EQ(log.Of("click").size(), 2u) << "without the hit test the whole button counts";

    b->SetButtonFaceStyle(sbNone);
    b->SetAllowTransparency(true);
    EXPECT_TRUE(b->VerifyTransparency(10, 8));
    EXPECT_FALSE(b->VerifyTransparency(30, 8)) << "outside the face image";
    b->SetBounds(20, 20, 0, 0);
    EXPECT_FALSE(b->VerifyTransparency(0, 0)) << "no size";
}

// The bytes of a binary property a writer wrote for the button.
std::vector<std::uint8_t> BinaryProperty(TPersistent* p, const std::string& name)
{
    TMemoryStream s;
    {
        TWriter writer(&s);
        writer.WriteProperties(p);
    }
    const std::string all(static_cast<const char*>(s.Memory()), std::size_t(s.Size()));
    std::string key(4, '\0');
    const std::int32_t n = std::int32_t(name.size());
    std::memcpy(key.data(), &n, 4);
    key += name;
    const std::size_t at = all.find(key);
    if (at == std::string::npos) return {};
    std::size_t i = at + key.size();
    EXPECT_EQ(std::uint8_t(all[i]), vaBinary);
    std::int32_t size = 0;
    std::memcpy(&size, all.data() + i + 1, 4);
    const auto* data = reinterpret_cast<const std::uint8_t*>(all.data() + i + 5);
    return std::vector<std::uint8_t>(data, data + size);
}

std::vector<std::int32_t> Ints(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::int32_t> v(bytes.size() / 4);
    std::memcpy(v.data(), bytes.data(), v.size() * 4);
    return v;
}

std::vector<std::uint8_t> Bytes(const std::vector<std::int32_t>& ints)
{
    std::vector<std::uint8_t> b(ints.size() * 4);
    std::memcpy(b.data(), ints.data(), b.size());
    return b;
}

TEST_F(MMButtons, TheFacesAreStoredImageIndexesFirstThenListIndexesBackwards)
{
    TZCLCustomMMButton* b = Add<TZCLCustomMMButton>(0, 0);
    for (int s = 0; s < 8; ++s) b->SetFace(TZCLButtonState(s), 10 + s, 20 + s);
    EXPECT_EQ(Ints(BinaryProperty(b, "ButtonFaceIndicesNew2")),
              (std::vector<std::int32_t>{20, 21, 22, 23, 24, 25, 26, 27, 17, 16, 15, 14, 13, 12, 11, 10}));
    b->SetTransparentColor(TColor(0x2000000 | 0x123456));
    EXPECT_EQ(Ints(BinaryProperty(b, "ButtonFaceTransColNew")), (std::vector<std::int32_t>{0x123456}));
    EXPECT_TRUE(BinaryProperty(b, "ButtonFaceIndices").empty()) << "older forms are never written";

    // Read back into another button.
    TMemoryStream s;
    {
        TWriter writer(&s);
        writer.WriteProperties(b);
    }
    s.SetPosition(0);
    auto* other = Add<TZCLCustomMMButton>(0, 0);
    TReader reader(&s);
    while (s.Position() < s.Size()) reader.ReadProperty(other);
    EXPECT_EQ(other->ButtonFace(), b->ButtonFace());
    EXPECT_EQ(other->TransparentColor(), TColor(0x123456));
}

// An older form's button.
class TOlderMM : public TPersistent {
public:
    std::string name;
    std::vector<std::uint8_t> data;
    void DefineProperties(TFiler* filer) override
    {
        filer->DefineBinaryProperty(
            name.c_str(), nullptr,
            TStreamProc::From([this](TStream* s) { s->WriteBuffer(data.data(), int(data.size())); }), true);
    }
};

TEST_F(MMButtons, OlderFormsOfTheFacesAreRead)
{
    std::vector<std::int32_t> pairs;
    for (int s = 0; s < 7; ++s) {
        pairs.push_back(30 + s);
        pairs.push_back(40 + s);
    }
    std::vector<std::int32_t> halves;
    for (int s = 0; s < 7; ++s) halves.push_back(50 + s);
    for (int s = 0; s < 7; ++s) halves.push_back(60 + s);
    const struct {
        const char* name;
        std::vector<std::uint8_t> data;
        int list3, image3;
    } cases[] = {{"ButtonFaceIndices", Bytes(pairs), 33, 43}, {"ButtonFaceIndicesNew", Bytes(halves), 53, 63}};
    for (const auto& c : cases) {
        TOlderMM older;
        older.name = c.name;
        older.data = c.data;
        TMemoryStream s;
        {
            TWriter writer(&s);
            writer.WriteProperties(&older);
        }
        s.SetPosition(0);
        auto* b = Add<TZCLCustomMMButton>(0, 0);
        b->SetFace(bsDisabledDown, 7, 8);
        TReader reader(&s);
        reader.ReadProperty(b);
        EXPECT_EQ(b->ButtonFace()[bsOptionSet].ListIndex, c.list3) << c.name;
        EXPECT_EQ(b->ButtonFace()[bsOptionSet].ImageIndex, c.image3) << c.name;
        EXPECT_EQ(b->ButtonFace()[bsDisabledDown], (TZCLButtonFaceEntry{7, 8})) << "the eighth is not in it";
    }
    TOlderMM colour;
    colour.name = "ButtonFaceTransCol";
    colour.data = Bytes({0x00FF00});
    TMemoryStream s;
    {
        TWriter writer(&s);
        writer.WriteProperties(&colour);
    }
    s.SetPosition(0);
    auto* b = Add<TZCLCustomMMButton>(0, 0);
    TReader reader(&s);
    reader.ReadProperty(b);
    EXPECT_EQ(b->TransparentColor(), TColor(0x00FF00));
}

TEST_F(MMButtons, CutShortFacesLeaveTheButtonAsItWas)
{
    TOlderMM older;
    older.name = "ButtonFaceIndicesNew2";
    older.data = Bytes({1, 2, 3, 4, 5, 6, 7});  // seven of sixteen
    TMemoryStream s;
    {
        TWriter writer(&s);
        writer.WriteProperties(&older);
    }
    s.SetPosition(0);
    TZCLCustomMMButton* b = Button();
    b->SetFace(bsUp, 0, 2);
    const TZCLButtonFace before = b->ButtonFace();
    TReader reader(&s);
    EXPECT_THROW(reader.ReadProperty(b), EReadError);
    EXPECT_EQ(b->ButtonFace(), before);
}

TEST_F(MMButtons, AFreedFaceListIsForgotten)
{
    auto* list = new TZCLImageList(form.get());
    TZCLCustomMMButton* b = Add<TZCLCustomMMButton>(0, 0);
    b->SetButtonFaceImageList(list);
    delete list;
    EXPECT_EQ(b->ButtonFaceImageList(), nullptr);
    Render r(b);  // paints without a list
    EXPECT_EQ(r.At(1, 1), Sys(COLOR_BTNFACE));
}

// Office buttons -------------------------------------------------------------------------------------------------

TEST_F(MMButtons, AnOfficeButtonIsFlatAndShowsTheMouseOverIt)
{
    auto* o = new TZCLOfficeButton(form.get());
    EXPECT_EQ(o->Style(), ubsFlat);
    EXPECT_TRUE(o->TrackMouseOver());
    EXPECT_FALSE(o->HitTest());
    EXPECT_EQ(o->Width(), 23);
    EXPECT_EQ(o->Height(), 22);
    o->SetParent(form.get());
    o->SetLeft(30);
    o->SetTop(30);
    log.Watch(o, "O");
    ShowForm();
    const COLORREF face = Sys(COLOR_BTNFACE);
    EXPECT_EQ(Render(o).At(0, 0), face);
    MouseToCentre(o);
    ASSERT_TRUE(PumpUntil([&] { return o->State() == bsMouseOver; }));
    EXPECT_NE(Render(o).At(0, 0), face) << "raised under the mouse";
    MouseTo(1000, 750);
    ASSERT_TRUE(PumpUntil([&] { return o->State() == bsUp && o->TimerId(ZCLMouseOverTimer) == 0; }));
    EXPECT_EQ((std::vector<std::string>{"O enter", "O exit"}), log.lines);
}

}  // namespace
