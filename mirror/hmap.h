#pragma once
// The colour cache: raw pixel value -> palette index + 1, one entry per distinct pixel value seen.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class KvColorMap {
public:
    static constexpr std::uint32_t DefaultBucketCount = 11213;

    struct Node {
        std::uint32_t key;
        int value;  // palette index + 1; 0 = not matched yet
        std::unique_ptr<Node> next;
    };

    // Points at one node; the default (null) one is the end.
    class iterator {
    public:
        iterator() = default;
        explicit iterator(Node* node) : node_(node) {}
        Node& operator*() const { return *node_; }
        Node* operator->() const { return node_; }
        bool operator==(const iterator&) const = default;

    private:
        Node* node_ = nullptr;
    };

    KvColorMap();
    ~KvColorMap();
    KvColorMap(const KvColorMap&) = delete;
    KvColorMap& operator=(const KvColorMap&) = delete;

    iterator Find(std::uint32_t key) const;
    iterator end() const { return iterator(); }
    // Adds a node at the head of its bucket's list; the caller has made sure the key is absent.
    iterator Insert(std::uint32_t key, int value);
    // Every node and bucket list freed; the bucket vector keeps its size.
    void Clear();

    std::uint32_t Size() const { return count_; }
    std::uint32_t BucketCount() const { return bucketCount_; }
    // Nodes in one bucket (0 for a bucket not used yet).
    std::uint32_t BucketLength(std::uint32_t bucket) const;

private:
    struct Bucket {
        std::unique_ptr<Node> head;
        std::uint32_t length = 0;
        ~Bucket();
    };

    std::vector<std::unique_ptr<Bucket>> buckets_;
    std::uint32_t bucketCount_ = DefaultBucketCount;
    std::uint32_t count_ = 0;
};
