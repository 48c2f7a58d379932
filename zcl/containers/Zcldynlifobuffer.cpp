#include "zcl/containers/Zcldynlifobuffer.h"

#include <cstdlib>

TZCLDynLIFOBuffer::~TZCLDynLIFOBuffer() { Clear(); }

void TZCLDynLIFOBuffer::clearItem(void* Item)
{
    if (OnDestroyItem())
        OnDestroyItem()(this, Item);
    else if (Item)
        std::free(Item);
}

bool TZCLDynLIFOBuffer::Put(void* Item)
{
    if (MaxItems() == 0) return false;
    if (isFull()) {
        if (!overwrite_) return false;
        if (MaxItems() == 1) {
            Clear();
        } else if (top_) {
            // Unlink the oldest (bottom) node; a limit below -1 finds none in an empty buffer.
            TZCLDynNode** link = &top_;
            while ((*link)->Next) link = &(*link)->Next;
            TZCLDynNode* oldest = *link;
            *link = nullptr;
            if (current_ == oldest) current_ = nullptr;
            void* item = oldest->Item;
            delete oldest;
            SetCount(Count() - 1);
            clearItem(item);
        }
    }
    top_ = new TZCLDynNode{Item, top_};
    SetCount(Count() + 1);
    return true;
}

void* TZCLDynLIFOBuffer::Get()
{
    if (!top_) return nullptr;
    TZCLDynNode* node = top_;
    top_ = node->Next;
    if (current_ == node) current_ = nullptr;
    void* item = node->Item;
    delete node;
    SetCount(Count() - 1);
    return item;
}

void TZCLDynLIFOBuffer::Clear()
{
    while (top_) {
        TZCLDynNode* node = top_;
        top_ = node->Next;
        void* item = node->Item;
        delete node;
        clearItem(item);
    }
    SetCount(0);
    current_ = nullptr;
}

void TZCLDynLIFOBuffer::FirstNode(void*& Node)
{
    TZCLDynNode* n = top_;
    while (n && n->Next) n = n->Next;
    Node = n;
}

void TZCLDynLIFOBuffer::NextNode(void*& Node)
{
    if (!Node) return;
    // The node pushed right after Node is the one that points at it; none follows the top.
    TZCLDynNode* n = top_;
    while (n && n->Next != Node) n = n->Next;
    Node = n;
}
