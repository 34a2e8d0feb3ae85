// CursorList: appending, seeking, removing and swapping elements by position.
#include "text/cursor_list.h"

#include "text/bounded_length.h"
#include "text/node_store.h"

CursorList::~CursorList() { Clear(); }

void CursorList::Link(ListNode *node) noexcept {
    node->prev = last;
    node->next = nullptr;
    if (last)
        last->next = node;
    else
        first = node;
    last = node;
    current = node;
    currentIndex = count;
    ++count;
}

// Nodes are allocated before linking: a failed allocation leaves the list
// unchanged. Each is sized as a copy of its text would be.

DynString &CursorList::Append(const DynString &s) {
    return Fill(NewNode(GrowthCapacity(s.len)), s.buf, s.len);
}

DynString &CursorList::AppendBytes(const char *bytes, std::int32_t size) {
    // A NUL ends the entry's text, as it would end a C string.
    size = BoundedLength(bytes, size);
    return Fill(NewNode(GrowthCapacity(size)), bytes, size);
}

DynString &CursorList::AppendCarved(NodeSlabs &slabs, const char *bytes, std::int32_t size) {
    ListNode *node = slabs.New(bytes, size);
    Link(node);
    return node->text;
}

DynString &CursorList::Fill(ListNode *node, const char *bytes, std::int32_t size) {
    node->text.AssignBytes(bytes, size);  // fits the node's buffer
    Link(node);
    return node->text;
}

std::int32_t CursorList::Normalise(std::int32_t k) const noexcept {
    if (k < 0) {
        k += count;
        if (k < 0) k = 0;
    }
    if (k >= count) k = count - 1;
    return k;
}

void CursorList::StepForward(std::int32_t steps) noexcept {
    for (; steps > 0 && current->next; --steps) {
        current = current->next;
        ++currentIndex;
    }
}

void CursorList::StepBackward(std::int32_t steps) noexcept {
    for (; steps > 0 && current->prev; --steps) {
        current = current->prev;
        --currentIndex;
    }
}

CursorList &CursorList::Seek(std::int32_t k) noexcept {
    if (count == 0) return *this;
    k = Normalise(k);
    const std::int32_t c = currentIndex;
    const std::int32_t d = k > c ? k - c : c - k;  // distance from the cursor
    const std::int32_t e = count - k - 1;          // distance from the end
    // Strict comparisons: ties start from the last or the first element.
    if (d < e && d < k) {
        if (c < k)
            StepForward(d);
        else
            StepBackward(d);
    } else if (d >= e && e < k) {
        current = last;
        currentIndex = count - 1;
        StepBackward(e);
    } else {
        current = first;
        currentIndex = 0;
        StepForward(k);
    }
    return *this;
}

void CursorList::RemoveCurrent() noexcept {
    ListNode *node = current;
    if (!node) return;
    if (node == first) {
        first = node->next;
        if (first) first->prev = nullptr;
        current = first;
        currentIndex = 0;
    } else if (node == last) {
        last = node->prev;
        last->next = nullptr;
        current = last;
        currentIndex = count - 2;
    } else {
        node->prev->next = node->next;
        node->next->prev = node->prev;
        current = node->next;
    }
    FreeNode(node);
    --count;
    if (count == 0) {
        first = last = current = nullptr;
        currentIndex = 0;
    }
}

void CursorList::SwapCurrentWith(std::int32_t k) noexcept {
    if (count == 0) return;
    k = Normalise(k);
    if (k == currentIndex) return;
    const std::int32_t before = currentIndex;
    ListNode *moved = current;
    Seek(k);
    // lower stands before upper in the chain.
    ListNode *lower = before < k ? moved : current;
    ListNode *upper = before < k ? current : moved;
    ListNode *lowerPrev = lower->prev;
    ListNode *upperNext = upper->next;
    if (lower->next == upper) {
        upper->prev = lowerPrev;
        upper->next = lower;
        lower->prev = upper;
        lower->next = upperNext;
    } else {
        ListNode *lowerNext = lower->next;
        ListNode *upperPrev = upper->prev;
        upper->prev = lowerPrev;
        upper->next = lowerNext;
        lowerNext->prev = upper;
        lower->prev = upperPrev;
        lower->next = upperNext;
        upperPrev->next = lower;
    }
    if (lowerPrev)
        lowerPrev->next = upper;
    else
        first = upper;
    if (upperNext)
        upperNext->prev = lower;
    else
        last = lower;
    current = upper;
    currentIndex = before < k ? before : k;
}

void CursorList::Clear() noexcept {
    for (ListNode *node = first; node;) {
        ListNode *next = node->next;
        FreeNode(node);
        node = next;
    }
    first = last = current = nullptr;
    count = 0;
    currentIndex = 0;
}

void CursorList::TakeFrom(CursorList &other) noexcept {
    if (&other == this) return;
    Clear();
    first = other.first;
    last = other.last;
    current = other.current;
    count = other.count;
    currentIndex = other.currentIndex;
    other.first = other.last = other.current = nullptr;
    other.count = 0;
    other.currentIndex = 0;
}
