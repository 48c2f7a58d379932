#include <gtest/gtest.h>

#include "mirror/hmap.h"

TEST(ColorMap, FindsWhatWasInsertedAndNothingElse)
{
    KvColorMap map;
    EXPECT_EQ(map.BucketCount(), 11213u);
    EXPECT_EQ(map.Find(42), map.end());
    map.Insert(42, 7);
    map.Insert(0xFFFFFFFFu, 3);
    ASSERT_NE(map.Find(42), map.end());
    EXPECT_EQ(map.Find(42)->value, 7);
    EXPECT_EQ(map.Find(0xFFFFFFFFu)->value, 3);
    EXPECT_EQ(map.Find(43), map.end());
    EXPECT_EQ(map.Size(), 2u);

    map.Find(42)->value = 9;  // the reducers store the match in place
    EXPECT_EQ(map.Find(42)->value, 9);
}

// Keys equal modulo 11213 share a bucket (the key taken unsigned) and stay apart within it.
TEST(ColorMap, CollidingKeysShareABucket)
{
    KvColorMap map;
    const std::uint32_t big = 0xFFFFFFFFu, bucket = big % 11213u;
    const std::uint32_t keys[] = {bucket, bucket + 11213u, bucket + 2 * 11213u, big};
    for (int i = 0; i < 4; ++i) map.Insert(keys[i], i + 1);
    EXPECT_EQ(map.BucketLength(bucket), 4u);
    EXPECT_EQ(map.BucketLength((bucket + 1) % 11213u), 0u);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(map.Find(keys[i]), map.end());
        EXPECT_EQ(map.Find(keys[i])->key, keys[i]);
        EXPECT_EQ(map.Find(keys[i])->value, i + 1);
    }
}

TEST(ColorMap, ClearEmptiesEveryBucketAndKeepsTheirNumber)
{
    KvColorMap map;
    for (std::uint32_t k = 0; k < 50000; ++k) map.Insert(k * 7, 1);
    map.Clear();
    EXPECT_EQ(map.Size(), 0u);
    EXPECT_EQ(map.BucketCount(), 11213u);
    EXPECT_EQ(map.Find(7), map.end());
    for (std::uint32_t b = 0; b < 11213u; ++b) ASSERT_EQ(map.BucketLength(b), 0u);
    map.Insert(7, 2);
    EXPECT_EQ(map.Find(7)->value, 2);
    EXPECT_EQ(map.Size(), 1u);
}

// A photo-like picture can pile many colours into one bucket; freeing them must not recurse down the chain.
TEST(ColorMap, LongChainsAreFreedWithoutRecursion)
{
    auto map = std::make_unique<KvColorMap>();
    for (std::uint32_t i = 0; i < 300000; ++i) map->Insert(i * 11213u, 1);
    EXPECT_EQ(map->BucketLength(0), 300000u);
    map->Clear();
    for (std::uint32_t i = 0; i < 300000; ++i) map->Insert(i * 11213u, 1);
    map.reset();
    SUCCEED();
}
