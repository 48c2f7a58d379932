// A placed image list box's settings go into a form stream and come back from it.

#include <gtest/gtest.h>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Streams.h"
#include "zcl/components/Zclimagelistbox.h"

TEST(ZclPlacedImageListBox, ItsSettingsAreStoredAndReadBack)
{
    TZCLImageListBox box(nullptr);
    box.SetName("Stored");
    box.SetDelimiter(';');
    box.SetOptions(TZCLImageBoxOptions{lboCalcHeight, lboTransparentImages});
    box.SetDefaultItem(2);
    box.SetTransparent(true);
    box.SetImagesOnly(true);
    box.SetMultiline(true);
    box.SetIndex(3);
    box.Items()->Add("first;1");
    box.Items()->Add("second");
    TMemoryStream stream;
    stream.WriteComponent(&box);
    stream.SetPosition(0);
    TZCLImageListBox back(nullptr);
    stream.ReadComponent(&back);
    EXPECT_EQ(back.Delimiter(), ';');
    EXPECT_EQ(back.Options(), (TZCLImageBoxOptions{lboCalcHeight, lboTransparentImages}));
    EXPECT_EQ(back.DefaultItem(), 2);
    EXPECT_TRUE(back.Transparent());
    EXPECT_TRUE(back.ImagesOnly());
    EXPECT_TRUE(back.MultiLine());
    EXPECT_EQ(back.ListIndex(), 3);
    ASSERT_EQ(back.Items()->Count(), 2);
    EXPECT_EQ(back.Items()->Strings(0), "first;1");
    EXPECT_EQ(back.Items()->Strings(1), "second");

    // Settings left at their defaults read back as the defaults.
    TZCLImageListBox plain(nullptr);
    TMemoryStream plainStream;
    plainStream.WriteComponent(&plain);
    plainStream.SetPosition(0);
    TZCLImageListBox plainBack(nullptr);
    plainStream.ReadComponent(&plainBack);
    EXPECT_EQ(plainBack.Delimiter(), '|');
    EXPECT_EQ(plainBack.Options(), (TZCLImageBoxOptions{lboImageListOrder, lboCheckImageNr}));
    EXPECT_EQ(plainBack.DefaultItem(), -1);
    EXPECT_EQ(plainBack.Items()->Count(), 0);
}
