// CursorList: a doubly linked list of DynStrings with a cursor, addressed by
// position (0 is the first element).
//
// Ownership: the list owns its nodes, each node its string. A node's block
// also holds its string's first buffer (see node_store.h).
// Invariants: count is the number of nodes from first; first->prev and
// last->next are null; current is the node at currentIndex (null and 0 when
// the list is empty). Walks start from the nearest of cursor, first and last,
// so visiting positions 0, 1, 2, ... costs one step each.
#pragma once

#include <cstdint>

#include "text/dyn_string.h"

class NodeSlabs;

struct ListNode {
    ListNode *prev;
    ListNode *next;
    DynString text;
};

// Asks for the memory some nodes ahead of a walk from first to last, which
// waits for each node in turn: a long history's save spent most of its time
// there. Nodes built in bulk lie in that order in their slabs; a prefetch
// never faults, so an address past a slab's end costs nothing.
inline void PrefetchAhead(const ListNode *node) noexcept {
    constexpr std::uintptr_t kAhead = 2048;  // some twenty nodes of a typical path
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(node) + kAhead;
    // A node with its text spans two or three cache lines.
    __builtin_prefetch(reinterpret_cast<const void *>(at));
    __builtin_prefetch(reinterpret_cast<const void *>(at + 64));
    __builtin_prefetch(reinterpret_cast<const void *>(at + 128));
}

class CursorList {
public:
    ListNode *first = nullptr;
    ListNode *last = nullptr;
    ListNode *current = nullptr;
    std::int32_t count = 0;
    std::int32_t currentIndex = 0;

    constexpr CursorList() noexcept = default;
    CursorList(const CursorList &) = delete;
    CursorList &operator=(const CursorList &) = delete;
    virtual ~CursorList();

    // Removes the element under the cursor; the cursor moves to its follower
    // (or to the new last element).
    virtual void RemoveCurrent() noexcept;
    // Exchanges the element under the cursor with the one at position k.
    virtual void SwapCurrentWith(std::int32_t k) noexcept;

    // Adds a copy of s as the last element and puts the cursor on it.
    DynString &Append(const DynString &s);
    // Adds a last element holding count bytes (cut at a NUL) and puts the
    // cursor on it; fields come out as Append of an empty string followed by
    // AssignSubstring, with the buffer sized once.
    DynString &AppendBytes(const char *bytes, std::int32_t size);
    // Adds a last element holding size bytes that hold no NUL, its node
    // carved from slabs: for building a list in bulk.
    DynString &AppendCarved(NodeSlabs &slabs, const char *bytes, std::int32_t size);
    // Removes every element whose text matches, in one walk from the first;
    // the cursor moves only to remove (a save walks a long list this way).
    template <class Matches>
    void RemoveIf(Matches matches) {
        std::int32_t index = 0;
        for (ListNode *node = first; node;) {
            ListNode *next = node->next;
            PrefetchAhead(node);
            if (matches(node->text)) {
                current = node;
                currentIndex = index;
                RemoveCurrent();
            } else {
                ++index;
            }
            node = next;
        }
    }
    // Moves the cursor to position k (negative counts from the end; clamped).
    CursorList &Seek(std::int32_t k) noexcept;
    // Frees every element.
    void Clear() noexcept;
    // Takes over other's elements, freeing ours; other is left empty.
    void TakeFrom(CursorList &other) noexcept;

    // Reads the file into the list; 1 on success, 0 leaves the list as it was.
    [[nodiscard]] int LoadFromFile(const char *path);
    // Writes the list to the file; 1 on success, 0 leaves the file as it was.
    [[nodiscard]] int SaveToFile(const char *path) const;

private:
    std::int32_t Normalise(std::int32_t k) const noexcept;
    void Link(ListNode *node) noexcept;
    DynString &Fill(ListNode *node, const char *bytes, std::int32_t size);
    void StepForward(std::int32_t steps) noexcept;
    void StepBackward(std::int32_t steps) noexcept;
};
