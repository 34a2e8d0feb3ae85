// Node storage: blocks of their own, and slabs shared by a bulk build.
#include "text/node_store.h"

#include <new>

#include "text/cursor_list.h"

// Held by its nodes and, while it carves them, by its NodeSlabs.
struct NodeSlab {
    std::size_t holders;
};

namespace {

// Fits below the allocators' large-block thresholds, and one slab kept by a
// last surviving node costs little.
constexpr std::size_t kSlabSize = 32 * 1024;
constexpr std::size_t kAlign = alignof(ListNode);
// A block starts with the slab's address, then the node.
constexpr std::size_t kHeader = sizeof(NodeSlab *);

// Nodes follow their header, and the first block its slab's count, aligned.
static_assert(kHeader % kAlign == 0);
static_assert(alignof(NodeSlab) <= kAlign && sizeof(NodeSlab) % kAlign == 0);
// The text must end the node, so that its trailing buffer follows the node.
static_assert(sizeof(ListNode) == 2 * sizeof(ListNode *) + sizeof(DynString));

std::size_t BlockSize(std::int32_t capacity) {
    const std::size_t size = kHeader + sizeof(ListNode) + static_cast<std::size_t>(capacity);
    return (size + kAlign - 1) / kAlign * kAlign;
}

// A block's node holding size bytes, with the trailing buffer of capacity.
ListNode *MakeNode(char *block, NodeSlab *slab, std::int32_t capacity, const char *bytes,
                   std::int32_t size) noexcept {
    *reinterpret_cast<NodeSlab **>(block) = slab;
    auto *node = new (block + kHeader) ListNode{nullptr, nullptr, DynString()};
    node->text.UseTrailingBuffer(capacity, bytes, size);
    return node;
}

// A node in a block of its own.
ListNode *MakeOwnNode(std::int32_t capacity, const char *bytes, std::int32_t size) {
    return MakeNode(static_cast<char *>(::operator new(BlockSize(capacity))), nullptr, capacity,
                    bytes, size);
}

void Release(NodeSlab *slab) noexcept {
    if (--slab->holders == 0) ::operator delete(slab);
}

}  // namespace

NodeSlabs::~NodeSlabs() {
    if (slab_) Release(slab_);
}

ListNode *NodeSlabs::New(const char *bytes, std::int32_t size) {
    const std::int32_t capacity = GrowthCapacity(size);
    const std::size_t blockSize = BlockSize(capacity);
    // A long text would waste much of a slab: it gets a block of its own.
    if (blockSize > kSlabSize / 8) return MakeOwnNode(capacity, bytes, size);
    if (!slab_ || kSlabSize - used_ < blockSize) {
        auto *fresh = new (::operator new(kSlabSize)) NodeSlab{1};
        if (slab_) Release(slab_);
        slab_ = fresh;
        used_ = sizeof(NodeSlab);
    }
    char *block = reinterpret_cast<char *>(slab_) + used_;
    used_ += blockSize;
    ++slab_->holders;
    return MakeNode(block, slab_, capacity, bytes, size);
}

ListNode *NewNode(std::int32_t capacity) { return MakeOwnNode(capacity, nullptr, 0); }

void FreeNode(ListNode *node) noexcept {
    char *block = reinterpret_cast<char *>(node) - kHeader;
    NodeSlab *slab = *reinterpret_cast<NodeSlab **>(block);
    node->~ListNode();
    if (slab)
        Release(slab);
    else
        ::operator delete(block);  // unsized: a grown text's cap no longer tells the size
}
