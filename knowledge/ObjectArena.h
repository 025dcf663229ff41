// Owner of the objects that a stream reader creates.  Objects of any class
// are adopted one by one and destroyed together, newest first, when the
// arena goes away.  A knowledge base hands its arena to the reader, so every
// object a load creates is owned from the moment it exists: a load that
// fails half-way leaks nothing, and the maps that already point into the
// arena stay valid until the knowledge base itself is destroyed.
//
// A load makes tens of thousands of objects that all live exactly as long
// as the arena: those the arena makes itself (make) are placed one after
// another in large blocks instead of each taking its own heap allocation,
// and the blocks are freed together once every object is destroyed.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace quibo {

class ObjectArena {
public:
    ObjectArena() = default;
    ObjectArena(const ObjectArena&) = delete;
    ObjectArena& operator=(const ObjectArena&) = delete;
    ObjectArena(ObjectArena&& other) noexcept
        : m_objects(std::move(other.m_objects)), m_blocks(std::move(other.m_blocks)),
          m_free(std::exchange(other.m_free, nullptr)), m_left(std::exchange(other.m_left, 0))
    {
    }
    ObjectArena& operator=(ObjectArena&& other) noexcept;
    ~ObjectArena() { clear(); }

    // Takes ownership; the object lives as long as the arena.
    template <class T>
    T* adopt(std::unique_ptr<T> object)
    {
        m_objects.push_back(Owned{object.get(), &destroy<T>});
        return object.release();
    }

    // A new T made from the arguments in the arena's own storage; it lives
    // as long as the arena.
    template <class T, class... Args>
    T* make(Args&&... args)
    {
        static_assert(alignof(T) <= alignof(std::max_align_t), "the arena places objects at the common alignment");
        // The entry exists before the object does, so that recording it
        // cannot fail once the object is made.
        m_objects.push_back(Owned{nullptr, nullptr});
        try {
            T* object = ::new (place(sizeof(T))) T(std::forward<Args>(args)...);
            m_objects.back() = Owned{object, &destroyInPlace<T>};
            return object;
        } catch (...) {
            m_objects.pop_back();
            throw;
        }
    }

    std::size_t size() const { return m_objects.size(); }

    // Destroys every object, newest first, and frees the arena's storage.
    void clear();

private:
    struct Owned {
        void* object;
        void (*destroy)(void*);
    };
    // One block holds many objects; an object too large for a block gets a
    // block of its own.
    static constexpr std::size_t BLOCK_SIZE = 64 * 1024;
    static constexpr std::size_t ALIGNMENT = alignof(std::max_align_t);

    template <class T>
    static void destroy(void* object)
    {
        delete static_cast<T*>(object);
    }
    template <class T>
    static void destroyInPlace(void* object)
    {
        static_cast<T*>(object)->~T();
    }

    void* place(std::size_t size);

    std::vector<Owned> m_objects;
    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::byte* m_free = nullptr;  // the next free octet of the newest block
    std::size_t m_left = 0;       // octets free after it
};

inline ObjectArena& ObjectArena::operator=(ObjectArena&& other) noexcept
{
    if (this != &other) {
        clear();
        m_objects = std::move(other.m_objects);
        m_blocks = std::move(other.m_blocks);
        m_free = std::exchange(other.m_free, nullptr);
        m_left = std::exchange(other.m_left, 0);
        other.m_objects.clear();
        other.m_blocks.clear();
    }
    return *this;
}

inline void ObjectArena::clear()
{
    while (!m_objects.empty()) {
        Owned last = m_objects.back();
        m_objects.pop_back();
        if (last.object)
            last.destroy(last.object);
    }
    m_blocks.clear();
    m_free = nullptr;
    m_left = 0;
}

inline void* ObjectArena::place(std::size_t size)
{
    const std::size_t rounded = (size + ALIGNMENT - 1) / ALIGNMENT * ALIGNMENT;
    if (rounded > BLOCK_SIZE / 4) {
        // The newest shared block keeps its free space for the next ones.
        m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(rounded));
        return m_blocks.back().get();
    }
    if (rounded > m_left) {
        m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(BLOCK_SIZE));
        m_free = m_blocks.back().get();
        m_left = BLOCK_SIZE;
    }
    void* at = m_free;
    m_free += rounded;
    m_left -= rounded;
    return at;
}

}  // namespace quibo
