// CVyrAcisAllocator: a standard allocator over the modeler's allocation (plain new and delete),
// for containers whose memory the modeler side frees.
#pragma once

#include <cstddef>
#include <limits>
#include <new>

// A stateless standard allocator of T.
template <class T>
class CVyrAcisAllocator {
public:
    // The element type.
    typedef T value_type;

    // An allocator.
    CVyrAcisAllocator() noexcept = default;
    // An allocator converted from one of another element type.
    template <class U>
    CVyrAcisAllocator(const CVyrAcisAllocator<U>&) noexcept {}

    // Room for `n` elements (not constructed); throws std::bad_array_new_length when `n` is too
    // large and std::bad_alloc when memory runs out.
    T* allocate(std::size_t n)
    {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }
    // Frees room made by allocate (null is ignored).
    void deallocate(T* p, std::size_t) noexcept { ::operator delete(p); }
};

// All such allocators are interchangeable.
template <class T, class U>
bool operator==(const CVyrAcisAllocator<T>&, const CVyrAcisAllocator<U>&) noexcept { return true; }
// All such allocators are interchangeable.
template <class T, class U>
bool operator!=(const CVyrAcisAllocator<T>&, const CVyrAcisAllocator<U>&) noexcept { return false; }
