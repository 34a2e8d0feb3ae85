// Storage of list nodes. Every node is one block: a header naming the slab
// it was carved from (none for a block of its own), the node, and then its
// text's first buffer (DynString's trailing buffer). A slab is freed with
// the last node carved from it, so a list built in bulk costs one heap
// allocation per slab instead of one per node. Internal to the cursor list
// and the history file that builds one.
#pragma once

#include <cstddef>
#include <cstdint>

struct ListNode;

// Carves the nodes of one bulk build, such as a file's lines, from slabs.
class NodeSlabs {
public:
    NodeSlabs() = default;
    NodeSlabs(const NodeSlabs &) = delete;
    NodeSlabs &operator=(const NodeSlabs &) = delete;
    // The slab in use goes once its nodes have gone.
    ~NodeSlabs();

    // An unlinked node holding size bytes (no NUL among them), its text's
    // room sized by the growth rule.
    [[nodiscard]] ListNode *New(const char *bytes, std::int32_t size);

private:
    struct NodeSlab *slab_ = nullptr;
    std::size_t used_ = 0;  // bytes of slab_ carved so far, its header included
};

// An unlinked node in a block of its own, as NodeSlabs::New makes them.
[[nodiscard]] ListNode *NewNode(std::int32_t capacity);
// Frees a node from either, with its text.
void FreeNode(ListNode *node) noexcept;
