// The non-visual parts of the dialogs: the container component's image list, indexes and change link, and how
// the container and the message box store the library's default lists.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/dialogs/Zclcontainercomponent.h"
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

}  // namespace
