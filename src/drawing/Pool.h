#pragma once

// Slab allocation for the objects the settling loop walks on every pass (pins, wires, joints). Taken
// from slabs of their own they lie next to each other in memory, in the order they were made, instead
// of between the thousands of points and lists that shapes are made of, so a pass over a large
// circuit stays in the caches. Freed objects are reused by later ones of the same size.
//
// Only those: points and lists are best left next to the shapes that own them, which is where the
// general allocator puts them.
//
// Under AddressSanitizer the pools hand out ordinary allocations, so every object stays checked.

#include <cstddef>

void* PoolAllocate(std::size_t size);
void PoolFree(void* object, std::size_t size) noexcept;

// Gives a class (and its subclasses) pooled allocation.
#define TESSIVAR_POOLED                                                                                      \
    static void* operator new(std::size_t size) {                                                            \
        return PoolAllocate(size);                                                                           \
    }                                                                                                        \
    static void operator delete(void* object, std::size_t size) noexcept {                                   \
        PoolFree(object, size);                                                                              \
    }
