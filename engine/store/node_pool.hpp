// The nodes of a long list of records, drawn from blocks of many: loading a file of 100,000
// characters makes a few allocations, not one per record, and the records lie side by side.
// A node keeps its address for as long as it is in its list (a list's guarantee, unchanged);
// a freed node goes back to its pool for the next, and the blocks last as long as the program.
#pragma once
#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace node_pool_detail {
// One pool per node size and alignment.
template <std::size_t Size, std::size_t Align>
class pool {
public:
    static void* take() {
        pool& p = the();
        if (!p.free_) p.grow();
        slot* s = p.free_;
        p.free_ = s->next;
        return s;
    }
    static void give(void* node) {
        pool& p = the();
        slot* s = static_cast<slot*>(node);
        s->next = p.free_;
        p.free_ = s;
    }

private:
    union slot {
        slot* next;
        alignas(Align) unsigned char bytes[Size];
    };
    static constexpr std::size_t first_block = 64, largest_block = 8192;

    // Never destroyed: the lists live until the program's very end, its exit procedures
    // (which save the characters) included.
    static pool& the() {
        alignas(pool) static unsigned char storage[sizeof(pool)];
        static pool* p = ::new (storage) pool;
        return *p;
    }
    void grow() {
        auto block = std::make_unique_for_overwrite<slot[]>(next_block_);
        // Taken front to back: a list loaded in one go lies in file order in memory.
        for (std::size_t i = next_block_; i-- > 0;) {
            block[i].next = free_;
            free_ = &block[i];
        }
        blocks_.push_back(std::move(block));
        next_block_ = std::min(next_block_ * 2, largest_block);
    }

    std::vector<std::unique_ptr<slot[]>> blocks_;
    slot* free_ = nullptr;
    std::size_t next_block_ = first_block;
};
}  // namespace node_pool_detail

// An allocator of single nodes from the pool of their size (a std::list's nodes); anything
// else comes from the heap. All are equal, so nodes move freely between lists (splice, swap).
template <class T>
struct pooled_allocator {
    using value_type = T;
    pooled_allocator() = default;
    template <class U>
    pooled_allocator(const pooled_allocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n != 1) return std::allocator<T>().allocate(n);
        return static_cast<T*>(node_pool_detail::pool<sizeof(T), alignof(T)>::take());
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (n != 1)
            std::allocator<T>().deallocate(p, n);
        else
            node_pool_detail::pool<sizeof(T), alignof(T)>::give(p);
    }
    template <class U>
    bool operator==(const pooled_allocator<U>&) const noexcept {
        return true;
    }
};
