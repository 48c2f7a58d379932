#include "mirror/hmap.h"

KvColorMap::KvColorMap() : buckets_(DefaultBucketCount) {}

KvColorMap::~KvColorMap() = default;

KvColorMap::Bucket::~Bucket()
{
    // Unlinked one by one: a long chain must not be freed by recursion.
    while (head) head = std::move(head->next);
}

KvColorMap::iterator KvColorMap::Find(std::uint32_t key) const
{
    const Bucket* bucket = buckets_[key % bucketCount_].get();
    if (!bucket) return end();
    for (Node* n = bucket->head.get(); n; n = n->next.get())
        if (n->key == key) return iterator(n);
    return end();
}

KvColorMap::iterator KvColorMap::Insert(std::uint32_t key, int value)
{
    std::unique_ptr<Bucket>& bucket = buckets_[key % bucketCount_];
    if (!bucket) bucket = std::make_unique<Bucket>();
    auto node = std::make_unique<Node>(Node{key, value, std::move(bucket->head)});
    bucket->head = std::move(node);
    ++bucket->length;
    ++count_;
    return iterator(bucket->head.get());
}

void KvColorMap::Clear()
{
    for (auto& bucket : buckets_) bucket.reset();
    count_ = 0;
}

std::uint32_t KvColorMap::BucketLength(std::uint32_t bucket) const
{
    if (bucket >= bucketCount_ || !buckets_[bucket]) return 0;
    return buckets_[bucket]->length;
}
