// The result of the knowledge base's list-producing operations: a vector of
// borrowed object pointers.  Destroying the list never deletes its elements;
// the receiver takes them over as the producing operation says.
#pragma once

#include <vector>

namespace quibo {

template <class T>
class ItemList {
public:
    ItemList() = default;
    explicit ItemList(std::vector<T*> items) : m_items(std::move(items)) {}
    virtual ~ItemList() = default;

    std::vector<T*>& items() { return m_items; }
    const std::vector<T*>& items() const { return m_items; }
    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }

private:
    std::vector<T*> m_items;
};

}  // namespace quibo
