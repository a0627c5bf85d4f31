#pragma once
// Bytes that something fills before any of them is looked at (a read, a deflate), sized
// without being zeroed first: a large buffer then costs no more than the pages written.
#include <memory>
#include <utility>
#include <vector>

namespace tallivo {

// An allocator whose elements are left as they are found when a container is sized.
template <typename T>
struct UnsetAllocator : std::allocator<T>
{
    UnsetAllocator() = default;
    template <typename U>
    UnsetAllocator(const UnsetAllocator<U>&) noexcept
    {
    }
    template <typename U>
    struct rebind
    {
        using other = UnsetAllocator<U>;
    };
    template <typename U>
    void construct(U* at) noexcept
    {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};
using UnsetBytes = std::vector<char, UnsetAllocator<char>>;

} // namespace tallivo
