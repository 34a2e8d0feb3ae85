// Test support: operator new with a limit on the allocations that succeed.
#include "support/allocation_limit.h"

#include <cstdlib>
#include <new>

namespace {

int allocationsLeft = -1;  // -1: unlimited
bool refused = false;
long made = 0;

void *Allocate(std::size_t size) {
    if (allocationsLeft == 0) {
        refused = true;
        throw std::bad_alloc();
    }
    if (allocationsLeft > 0) --allocationsLeft;
    ++made;
    if (void *p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

void allocation_limit::Allow(int count) noexcept {
    allocationsLeft = count;
    refused = false;
}

bool allocation_limit::Refused() noexcept { return refused; }

long allocation_limit::Made() noexcept { return made; }

void *operator new(std::size_t size) { return Allocate(size); }
void *operator new[](std::size_t size) { return Allocate(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
