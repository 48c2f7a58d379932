#pragma once
// A last-in-first-out stack of untyped items on linked nodes, with an optional limit at which the oldest item
// makes room for a new one.

#include "zcl/containers/Zclbuffer.h"

// One node: the item, then the next older node.
struct TZCLDynNode {
    void* Item;
    TZCLDynNode* Next;
};

class TZCLDynLIFOBuffer : public TZCLBuffer {
public:
    TZCLDynLIFOBuffer() = default;
    // Destroys every item still held.
    ~TZCLDynLIFOBuffer() override;

    // With Overwrite a full buffer drops its oldest item for a new one; without it, it refuses the new one.
    bool Overwrite() const { return overwrite_; }
    void SetOverwrite(bool Value) { overwrite_ = Value; }

    // MaxItems 0 stores nothing.
    bool Put(void* Item) override;
    void* Get() override;
    void Clear() override;
    bool isEmpty() override { return top_ == nullptr; }
    bool isFull() override { return MaxItems() != -1 && Count() >= MaxItems(); }
    // The oldest node; NextNode gives the one pushed right after the given one.
    void FirstNode(void*& Node) override;
    void NextNode(void*& Node) override;
    void* GetItem(void* Node) override { return Node ? static_cast<TZCLDynNode*>(Node)->Item : nullptr; }
    bool EOFBuffer(void* Node) override { return Node == nullptr; }

    // OnDestroyItem when set, else the item's memory goes back to std::free.
    void clearItem(void* Item);

private:
    bool overwrite_ = true;
    TZCLDynNode* current_ = nullptr;
    TZCLDynNode* top_ = nullptr;
};
