#include "zcl/containers/Zclbuffer.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Streams.h"
#include "zcl/containers/Zclstreamutils.h"

namespace {

const char Header[] = "@ZCLBufferStream-V0.1@";  // stored with its NUL: 23 bytes
constexpr int HeaderSize = int(sizeof Header);

struct BlockFree {
    void operator()(void* p) const { std::free(p); }
};
using Block = std::unique_ptr<void, BlockFree>;

}  // namespace

std::int32_t TZCLBuffer::GetItemSize(void* Item)
{
    std::int32_t size = 0;
    if (onGetItemSize_) onGetItemSize_(this, Item, size);
    return size;
}

void TZCLBuffer::LoadFromStream(TStream* Stream)
{
    const std::int32_t n = stReadInteger(Stream);
    if (n < 1 || n > Stream->Size() - Stream->Position()) return;
    std::string text(std::size_t(n), '\0');
    Stream->ReadBuffer(text.data(), n);
    text.resize(std::strlen(text.c_str()));
    if (text != Header) return;

    // Every item is read before the buffer changes, so a damaged list leaves it as it was.
    std::vector<Block> items;
    while (Stream->Position() < Stream->Size()) {
        const std::int32_t size = stReadInteger(Stream);
        if (size < 0 || size > Stream->Size() - Stream->Position()) throw EReadError("Stream read error");
        Block block(std::malloc(std::size_t(size > 0 ? size : 1)));
        if (!block) throw EOutOfMemory("Out of memory");
        if (size) Stream->ReadBuffer(block.get(), size);
        items.push_back(std::move(block));
    }
    Clear();
    for (Block& b : items) {
        void* item = b.release();
        if (!Put(item)) std::free(item);
    }
}

void TZCLBuffer::SaveToStream(TStream* Stream)
{
    stWriteInteger(Stream, HeaderSize);
    Stream->WriteBuffer(Header, HeaderSize);
    void* node = nullptr;
    for (FirstNode(node); !EOFBuffer(node); NextNode(node)) {
        void* item = GetItem(node);
        std::int32_t size = GetItemSize(item);
        if (size < 0 || !item) size = 0;
        stWriteInteger(Stream, size);
        if (size) Stream->WriteBuffer(item, size);
    }
}

void TZCLBuffer::LoadFromFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TZCLBuffer::SaveToFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file);
}
