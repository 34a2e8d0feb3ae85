// Test support: a global allocator that counts allocations and can be told
// to refuse them, for checking what running out of memory leaves behind. Linking
// allocation_limit.cpp into a test replaces operator new for all of it.
#pragma once

namespace allocation_limit {

// Lets `count` more allocations succeed and refuses the rest with
// std::bad_alloc; -1 lifts the limit.
void Allow(int count) noexcept;
// Whether an allocation was refused since the last Allow.
[[nodiscard]] bool Refused() noexcept;
// Allocations made so far, refused ones not counted.
[[nodiscard]] long Made() noexcept;

}  // namespace allocation_limit
