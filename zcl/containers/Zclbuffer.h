#pragma once
// An abstract buffer of untyped items with its own stream format: a 23-byte header
// "@ZCLBufferStream-V0.1@", then each item as an int32 size and its bytes, oldest first.

#include <cstdint>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Closure.h"
#include "zcl/core/Zclobject.h"

class TStream;

// Told when the buffer drops an item it holds; the handler frees it.
using TZCLBufferItemEvent = Closure<void(TObject* Sender, void* Item)>;
// Asked how many bytes of an item to store.
using TZCLBufferItemSizeEvent = Closure<void(TObject* Sender, void* Item, std::int32_t& Size)>;

class TZCLBuffer : public TZCLObject {
public:
    TZCLBuffer() = default;

    // Nested; the count never goes below 0.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate()
    {
        if (updateCount_ > 0) --updateCount_;
    }
    bool Updating() const { return updateCount_ > 0; }

    // -1 for no limit.
    std::int32_t MaxItems() const { return maxItems_; }
    void SetMaxItems(std::int32_t Value) { maxItems_ = Value; }
    std::int32_t Count() const { return count_; }

    TZCLBufferItemEvent OnDestroyItem() const { return onDestroyItem_; }
    void SetOnDestroyItem(TZCLBufferItemEvent Value) { onDestroyItem_ = Value; }
    TZCLBufferItemSizeEvent OnGetItemSize() const { return onGetItemSize_; }
    void SetOnGetItemSize(TZCLBufferItemSizeEvent Value) { onGetItemSize_ = Value; }

    // OnGetItemSize's answer; 0 without a handler.
    std::int32_t GetItemSize(void* Item);

    // Walks the items oldest first: FirstNode, then NextNode until EOFBuffer.
    virtual void FirstNode(void*& Node) = 0;
    virtual void NextNode(void*& Node) = 0;
    virtual void* GetItem(void* Node) = 0;
    virtual bool EOFBuffer(void* Node) = 0;
    virtual bool isEmpty() = 0;
    virtual bool isFull() = 0;
    // True when the buffer took the item; a refused item stays with the caller.
    virtual bool Put(void* Item) = 0;
    // The caller owns the item it gets; nullptr when empty.
    virtual void* Get() = 0;
    virtual void Clear() = 0;
    // A stream with another header leaves the buffer as it is. Items read are memory blocks from std::malloc.
    // A damaged item list raises EReadError and leaves the buffer as it was.
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToStream(TStream* Stream);

    void LoadFromFile(const AnsiString& FileName);
    void SaveToFile(const AnsiString& FileName);

protected:
    void SetCount(std::int32_t Value) { count_ = Value; }

private:
    std::int32_t updateCount_ = 0;
    std::int32_t maxItems_ = -1;
    std::int32_t count_ = 0;
    TZCLBufferItemEvent onDestroyItem_;
    TZCLBufferItemSizeEvent onGetItemSize_;
};
