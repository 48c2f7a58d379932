// The non-visual parts of the dialogs: the container component's image list, indexes and change link, and how
// the container and the message box store the library's default lists.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/dialogs/Zclcontainercomponent.h"
#include "zcl/dialogs/Zclinputdlg.h"
#include "zcl/dialogs/Zclmsg.h"

namespace {

class TCountingContainer : public TZCLContainerComponent {
public:
    explicit TCountingContainer(TComponent* owner) : TZCLContainerComponent(owner) {}
    int changes = 0;
    TObject* lastSender = reinterpret_cast<TObject*>(1);
    void GetIMLChange(TObject* Sender) override
    {
        ++changes;
        lastSender = Sender;
    }
};

struct Lists {
    Lists()
    {
        a.Add();
        b.Add();
    }
    TZCLBitmapList a{nullptr};
    TZCLBitmapList b{nullptr};
};

std::string Bytes(TComponent* c)
{
    TMemoryStream stream;
    stream.WriteComponent(c);
    return std::string(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
}

int Occurrences(const std::string& bytes, const std::string& what)
{
    int n = 0;
    for (std::size_t at = bytes.find(what); at != std::string::npos; at = bytes.find(what, at + 1)) ++n;
    return n;
}

TEST(ZclContainerComponent, ItFollowsTheChangesOfItsCurrentListOnly)
{
    Lists lists;
    TCountingContainer c(nullptr);
    c.SetImageList(&lists.a);
    EXPECT_EQ(c.changes, 1) << "a new list is a change";
    EXPECT_EQ(c.lastSender, nullptr);
    lists.a.Change();
    EXPECT_EQ(c.changes, 2);
    EXPECT_EQ(c.lastSender, &lists.a);

    c.SetImageList(&lists.b);
    EXPECT_EQ(c.changes, 3);
    lists.a.Change();
    EXPECT_EQ(c.changes, 3) << "the old list is left";
    lists.b.Change();
    EXPECT_EQ(c.changes, 4);
    c.SetImageList(nullptr);
    lists.b.Change();
    EXPECT_EQ(c.changes, 5) << "only the reset itself";
}

TEST(ZclContainerComponent, IndexesRefuseNegativeAndUnchangedValuesAndTellOnlyWithAList)
{
    Lists lists;
    struct Case {
        bool withList;
        int index;
        int value;
        int imageIndex, listIndex;
        int changes;
    };
    const Case cases[] = {
        {true, 0, 2, 2, 0, 1},  {true, 1, 3, 0, 3, 1},    {true, 0, 0, 0, 0, 0},
        {true, 1, -1, 0, 0, 0}, {true, 0, -5, 0, 0, 0},   {false, 0, 2, 2, 0, 0},
        {false, 1, 7, 0, 7, 0}, {true, 1, 0x7FFFFFFF, 0, 0x7FFFFFFF, 1},
    };
    for (const Case& k : cases) {
        TCountingContainer c(nullptr);
        if (k.withList) c.SetImageList(&lists.a);
        c.changes = 0;
        c.SetIndex(k.index, k.value);
        EXPECT_EQ(c.ImageIndex(), k.imageIndex) << k.index << " " << k.value;
        EXPECT_EQ(c.ListIndex(), k.listIndex) << k.index << " " << k.value;
        EXPECT_EQ(c.changes, k.changes) << k.index << " " << k.value;
        c.SetImageList(nullptr);
    }
}

TEST(ZclContainerComponent, AFreedListIsForgottenAndDefaultListsAreNoControlOfItsOwn)
{
    TCountingContainer c(nullptr);
    EXPECT_FALSE(c.HasControl());
    EXPECT_TRUE(c.IMLEmpty());
    {
        TZCLBitmapList own(nullptr);
        own.Add();
        TBitmap picture;
        picture.SetWidth(8);
        picture.SetHeight(8);
        own.BitmapItem(0)->SetBitmap(&picture);
        c.SetImageList(&own);
        EXPECT_TRUE(c.HasControl());
        EXPECT_FALSE(c.IMLEmpty());
    }
    EXPECT_EQ(c.ImageList(), nullptr);
    EXPECT_TRUE(c.IMLEmpty());
    c.SetImageList(ZCLDefaultContainer()->BitmapList());
    EXPECT_FALSE(c.HasControl());
    c.SetImageList(nullptr);
}

TEST(ZclContainerComponent, ADefaultListIsStoredAsInternalAndReadBack)
{
    Lists lists;
    const struct {
        const char* what;
        std::function<TZCLCustomImageList*()> list;
        bool stored;
    } cases[] = {
        {"the default bitmap list", [] { return ZCLDefaultContainer()->BitmapList(); }, true},
        {"the default image list", [] { return ZCLDefaultContainer()->ImageList(); }, true},
        {"a list of its own", [&] { return &lists.a; }, false},
        {"none", [] { return nullptr; }, false},
    };
    for (const auto& k : cases) {
        TZCLContainerComponent c(nullptr);
        c.SetName("Box");
        c.SetImageList(k.list());
        const std::string bytes = Bytes(&c);
        EXPECT_EQ(Occurrences(bytes, "Internal"), k.stored ? 1 : 0) << k.what;
        if (k.stored) {
            TMemoryStream stream;
            stream.WriteComponent(&c);
            stream.SetPosition(0);
            TZCLContainerComponent back(nullptr);
            stream.ReadComponent(&back);
            EXPECT_EQ(back.ImageList(), k.list()) << k.what;
            back.SetImageList(nullptr);
        }
        c.SetImageList(nullptr);
    }
}

TEST(ZclMessageBoxStore, BothDefaultListsComeBackToTheirOwnProperties)
{
    Lists lists;
    TZCLCustomImageList* bitmaps = ZCLDefaultContainer()->BitmapList();
    TZCLCustomImageList* images = ZCLDefaultContainer()->ImageList();
    const struct {
        TZCLCustomImageList* background;
        TZCLCustomImageList* glyphs;
        TZCLCustomImageList* backgroundRead;  // a list of the form's own is not stored
        TZCLCustomImageList* glyphsRead;
        int entries;
    } cases[] = {
        {bitmaps, images, bitmaps, images, 2},
        {images, bitmaps, images, bitmaps, 2},
        {nullptr, images, nullptr, images, 2},
        {&lists.a, bitmaps, nullptr, bitmaps, 2},
        {bitmaps, nullptr, bitmaps, nullptr, 1},
        {bitmaps, &lists.b, bitmaps, nullptr, 1},
        {nullptr, nullptr, nullptr, nullptr, 0},
    };
    int n = 0;
    for (const auto& k : cases) {
        ++n;
        TZCLMessageBoxDlg box(nullptr);
        box.SetName("Box");
        box.SetImageList(k.background);
        box.SetCustomGlyphImageList(k.glyphs);
        TMemoryStream stream;
        stream.WriteComponent(&box);
        const std::string bytes(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
        EXPECT_EQ(Occurrences(bytes, "Internal"), k.entries) << "case " << n;
        stream.SetPosition(0);
        TZCLMessageBoxDlg back(nullptr);
        stream.ReadComponent(&back);
        EXPECT_EQ(back.ImageList(), k.backgroundRead) << "case " << n;
        EXPECT_EQ(back.CustomGlyphImageList(), k.glyphsRead) << "case " << n;
        back.SetImageList(nullptr);
        back.SetCustomGlyphImageList(nullptr);
        box.SetImageList(nullptr);
        box.SetCustomGlyphImageList(nullptr);
    }
}

std::vector<std::string> Lines(TStrings* s)
{
    std::vector<std::string> out;
    for (int i = 0; i < s->Count(); ++i) out.push_back(s->Strings(i).c_str());
    return out;
}

template <typename T>
void RoundTrip(T& from, T& to)
{
    TMemoryStream stream;
    stream.WriteComponent(&from);
    stream.SetPosition(0);
    stream.ReadComponent(&to);
}

TEST(ZclDialogStore, EverySettingOfTheInputDialogComesBackFromAStream)
{
    TZCLInputDlg dlg(nullptr);
    dlg.SetName("InputDlg");
    dlg.SetCaptionTitle("Login");
    dlg.SetCustomButton("Forgotten");
    dlg.SetEffect(deExplodeExt);
    dlg.Hints()->Add("confirm");
    dlg.Hints()->Add("give up");
    dlg.SetShowHints(false);
    dlg.SetCaptionFill(true);
    dlg.SetColors(16);
    dlg.SetPosition(bpBottomLeft);
    dlg.SetRelatePos(brScreenWorkArea);
    dlg.SetImageIndex(2);
    dlg.SetListIndex(1);
    dlg.SetMaxLength(8);
    dlg.SetPasswordChar('*');
    dlg.SetDefaultValue("COM2");
    dlg.SetPrompt("Password:");
    dlg.SetValue("typed");
    TZCLInputDlg back(nullptr);
    RoundTrip(dlg, back);
    EXPECT_EQ(std::string(back.CaptionTitle().c_str()), "Login");
    EXPECT_EQ(std::string(back.CustomButton().c_str()), "Forgotten");
    EXPECT_EQ(back.Effect(), deExplodeExt);
    EXPECT_EQ(Lines(back.Hints()), (std::vector<std::string>{"confirm", "give up"}));
    EXPECT_FALSE(back.ShowHints());
    EXPECT_TRUE(back.CaptionFill());
    EXPECT_EQ(back.Colors(), 16);
    EXPECT_EQ(back.Position(), bpBottomLeft);
    EXPECT_EQ(back.RelatePos(), brScreenWorkArea);
    EXPECT_EQ(back.ImageIndex(), 2);
    EXPECT_EQ(back.ListIndex(), 1);
    EXPECT_EQ(back.MaxLength(), 8);
    EXPECT_EQ(back.PasswordChar(), '*');
    EXPECT_EQ(std::string(back.DefaultValue().c_str()), "COM2");
    EXPECT_EQ(std::string(back.Prompt().c_str()), "Password:");
    EXPECT_EQ(std::string(back.Value().c_str()), "typed");
}

TEST(ZclDialogStore, EverySettingOfTheMessageBoxComesBackFromAStream)
{
    TZCLMessageBoxDlg box(nullptr);
    box.SetName("Box");
    box.MessageFont()->SetName("Arial");
    box.MessageFont()->SetHeight(-15);
    box.ButtonFont()->SetStyle(TFontStyles{fsBold});
    box.CaptionFont()->SetColor(clRed);
    box.SetColor(clWindow);
    box.SetCaptionTitle("DravikREMOTE");
    box.SetCaptionAlignment(taCenter);
    box.ButtonTitles()->Add("&Start");
    box.Hints()->Add("what happened");
    box.SetCustomGlyph(true);
    box.SetCustomGlyphListIndex(2);
    box.SetCustomGlyphImageIndex(3);
    box.SetButtons({mbYes, mbNo, mbHelp});
    box.SetBoxLeft(-5);
    box.SetBoxTop(7);
    box.SetBoxWidth(320);
    box.SetBoxHeight(140);
    box.SetButtonStyle(nbsWin31);
    box.SetShowHints(true);
    box.SetPosition(bpTopRight);
    box.SetRelatePos(brMainForm);
    box.SetPlayWave(true);
    box.SetShowAgain(false);
    box.SetShowAgainBox(true);
    box.SetCaptionFill(true);
    box.SetColors(64);
    box.SetDlgType(mtWarning);
    box.SetWaveIndex(5);
    TZCLMessageBoxDlg back(nullptr);
    RoundTrip(box, back);
    EXPECT_EQ(std::string(back.MessageFont()->Name().c_str()), "Arial");
    EXPECT_EQ(back.MessageFont()->Height(), -15);
    EXPECT_TRUE(back.ButtonFont()->Style() == TFontStyles{fsBold});
    EXPECT_EQ(back.CaptionFont()->Color(), clRed);
    EXPECT_EQ(back.Color(), clWindow);
    EXPECT_EQ(std::string(back.CaptionTitle().c_str()), "DravikREMOTE");
    EXPECT_EQ(back.CaptionAlignment(), taCenter);
    EXPECT_EQ(Lines(back.ButtonTitles()), std::vector<std::string>{"&Start"});
    EXPECT_EQ(Lines(back.Hints()), std::vector<std::string>{"what happened"});
    EXPECT_TRUE(back.CustomGlyph());
    EXPECT_EQ(back.CustomGlyphListIndex(), 2);
    EXPECT_EQ(back.CustomGlyphImageIndex(), 3);
    EXPECT_TRUE(back.Buttons() == (TMsgDlgButtons{mbYes, mbNo, mbHelp}));
    EXPECT_EQ(back.BoxLeft(), -5);
    EXPECT_EQ(back.BoxTop(), 7);
    EXPECT_EQ(back.BoxWidth(), 320);
    EXPECT_EQ(back.BoxHeight(), 140);
    EXPECT_EQ(back.ButtonStyle(), nbsWin31);
    EXPECT_TRUE(back.ShowHints());
    EXPECT_EQ(back.Position(), bpTopRight);
    EXPECT_EQ(back.RelatePos(), brMainForm);
    EXPECT_TRUE(back.PlayWave());
    EXPECT_FALSE(back.ShowAgain());
    EXPECT_TRUE(back.ShowAgainBox());
    EXPECT_TRUE(back.CaptionFill());
    EXPECT_EQ(back.Colors(), 64);
    EXPECT_EQ(back.DlgType(), mtWarning);
    EXPECT_EQ(back.WaveIndex(), 5);
}

TEST(ZclDialogStore, DialogsAsMadeWriteNoneOfTheirSettings)
{
    // The declared defaults are what the constructors set, so nothing but the name is stored.
    TZCLMessageBoxDlg box(nullptr);
    box.SetName("Box");
    TZCLInputDlg dlg(nullptr);
    dlg.SetName("Dlg");
    const std::string bytes = Bytes(&box) + Bytes(&dlg);
    for (const char* name :
         {"Color", "CaptionTitle", "CaptionAlignment", "CustomGlyph", "Buttons", "BoxLeft", "BoxTop", "BoxWidth",
          "BoxHeight", "ButtonStyle", "ShowHints", "Position", "RelatePos", "PlayWave", "ShowAgain", "CaptionFill",
          "Colors", "DlgType", "WaveIndex", "WaveList", "ImageIndex", "ListIndex", "ImageList", "Effect",
          "CustomButton", "MaxLength", "PasswordChar", "DefaultValue", "Prompt", "Value"}) {
        // A property's name as the stream writes it: its length in four bytes, then its letters.
        const std::int32_t n = std::int32_t(std::string(name).size());
        const std::string written = std::string(reinterpret_cast<const char*>(&n), 4) + name;
        EXPECT_EQ(Occurrences(bytes, written), 0) << name;
    }
    EXPECT_EQ(Occurrences(bytes, "ButtonTitles."), 0);
    EXPECT_EQ(Occurrences(bytes, "Hints."), 0);
}

TEST(ZclDialogStore, OnlyANamedListThatIsNoDefaultOneIsStoredByItsName)
{
    Lists lists;
    lists.b.SetName("Glyphs");
    EXPECT_FALSE(ZCLStoredByName(nullptr));
    EXPECT_FALSE(ZCLStoredByName(&lists.a)) << "no name to find it by";
    EXPECT_TRUE(ZCLStoredByName(&lists.b));
    EXPECT_FALSE(ZCLStoredByName(ZCLDefaultContainer()->BitmapList())) << "stored as \"Internal\"";
    TZCLMessageBoxDlg box(nullptr);
    box.SetName("Box");
    box.SetCustomGlyphImageList(&lists.b);
    box.SetImageList(&lists.a);
    const std::string bytes = Bytes(&box);
    EXPECT_EQ(Occurrences(bytes, "Glyphs"), 1);
    EXPECT_EQ(Occurrences(bytes, "ImageList"), 1) << "CustomGlyphImageList only";
    box.SetCustomGlyphImageList(nullptr);
    box.SetImageList(nullptr);
}

}  // namespace
