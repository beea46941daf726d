#include "drawing/Pool.h"

#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define TESSIVAR_POOLS_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSIVAR_POOLS_OFF 1
#endif
#endif

#ifndef TESSIVAR_POOLS_OFF
namespace {

// Objects of one size, cut from slabs; a freed object heads the free list.
class TSizePool {
public:
    explicit TSizePool(std::size_t size) : m_size(size) {}

    void* Allocate() {
        if (m_free) {
            void* object = m_free;
            m_free = *static_cast<void**>(object);
            return object;
        }
        if (m_next + m_size > m_end) {
            constexpr std::size_t kSlabBytes = 256 * 1024;
            const std::size_t bytes = m_size > kSlabBytes / 8 ? m_size * 8 : kSlabBytes;
            m_next = static_cast<char*>(::operator new(bytes));
            m_end = m_next + bytes;
            m_slabs.push_back(m_next);
        }
        void* object = m_next;
        m_next += m_size;
        return object;
    }

    void Free(void* object) {
        *static_cast<void**>(object) = m_free;
        m_free = object;
    }

private:
    std::size_t m_size;
    std::vector<char*> m_slabs; // kept for the life of the program
    char* m_next = nullptr;
    char* m_end = nullptr;
    void* m_free = nullptr;
};

// Pools by size in steps of the alignment, looked up directly: every pooled object passes here.
constexpr std::size_t kAlign = alignof(std::max_align_t);
constexpr std::size_t kPooledSizes = 64;
TSizePool* g_pools[kPooledSizes] = {};

TSizePool* PoolFor(std::size_t size) {
    const std::size_t slot = (size + kAlign - 1) / kAlign;
    if (slot >= kPooledSizes)
        return nullptr;
    if (!g_pools[slot])
        g_pools[slot] = new TSizePool(slot * kAlign);
    return g_pools[slot];
}

} // namespace

void* PoolAllocate(std::size_t size) {
    TSizePool* pool = PoolFor(size);
    return pool ? pool->Allocate() : ::operator new(size);
}

void PoolFree(void* object, std::size_t size) noexcept {
    if (!object)
        return;
    if (TSizePool* pool = PoolFor(size))
        pool->Free(object);
    else
        ::operator delete(object);
}

#else

void* PoolAllocate(std::size_t size) {
    return ::operator new(size);
}

void PoolFree(void* object, std::size_t) noexcept {
    ::operator delete(object);
}

#endif
