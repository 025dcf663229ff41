// Owner of the objects that a stream reader creates.  Objects of any class
// are adopted one by one and destroyed together, newest first, when the
// arena goes away.  A knowledge base hands its arena to the reader, so every
// object a load creates is owned from the moment it exists: a load that
// fails half-way leaks nothing, and the maps that already point into the
// arena stay valid until the knowledge base itself is destroyed.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace quibo {

class ObjectArena {
public:
    ObjectArena() = default;
    ObjectArena(const ObjectArena&) = delete;
    ObjectArena& operator=(const ObjectArena&) = delete;
    ObjectArena(ObjectArena&& other) noexcept : m_objects(std::move(other.m_objects)) {}
    ObjectArena& operator=(ObjectArena&& other) noexcept;
    ~ObjectArena() { clear(); }

    // Takes ownership; the object lives as long as the arena.
    template <class T>
    T* adopt(std::unique_ptr<T> object)
    {
        m_objects.push_back(Owned{object.get(), &destroy<T>});
        return object.release();
    }

    std::size_t size() const { return m_objects.size(); }

    // Destroys every object, newest first.
    void clear();

private:
    struct Owned {
        void* object;
        void (*destroy)(void*);
    };

    template <class T>
    static void destroy(void* object)
    {
        delete static_cast<T*>(object);
    }

    std::vector<Owned> m_objects;
};

inline ObjectArena& ObjectArena::operator=(ObjectArena&& other) noexcept
{
    if (this != &other) {
        clear();
        m_objects = std::move(other.m_objects);
        other.m_objects.clear();
    }
    return *this;
}

inline void ObjectArena::clear()
{
    while (!m_objects.empty()) {
        Owned last = m_objects.back();
        m_objects.pop_back();
        last.destroy(last.object);
    }
}

}  // namespace quibo
