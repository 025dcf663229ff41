// Numbers of the objects that one stream carries.  An object is numbered
// 1, 2, 3, ... when it is first met, across every stored class in one
// sequence; later pointers to it carry only its number.  The table also
// remembers the class under which each object was carried, so that a number
// naming an object of an unrelated class is caught instead of handing out a
// pointer of the wrong type.  It never owns the objects.
#pragma once

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <vector>

namespace quibo {

// The stored base class of a stored class.  A pointer declared as the base
// may name an object first carried as the derived class; specialise this for
// every stored class whose base is a stored class too, next to its
// declaration:
//   template <> struct CdrStoredBase<Entity> { using type = KnowledgeObject; };
template <class T>
struct CdrStoredBase {
    using type = void;
};

// What a stream carries by default at most, in objects.
inline constexpr std::int32_t CDR_MAX_OBJECTS = 1 << 24;

// A stream that breaks the object-reference rules (a number naming an
// object of another class, nesting beyond the reader's bound) or an object
// graph that cannot be stored consistently.
class CdrStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ObjectRefTable {
public:
    // At most maxObjects objects are numbered; the next one throws
    // CdrStreamError.
    explicit ObjectRefTable(std::int32_t maxObjects = std::numeric_limits<std::int32_t>::max() - 1)
        : m_maxObjects(maxObjects)
    {
    }

    // How an object carried as one class may be viewed as another.
    struct ClassTag {
        const std::type_info* type;
        // Whether the class is `target` or has it among its stored bases.
        bool (*isA)(const std::type_info& target);
        // The object (a pointer to the class) as a pointer to `target`, or
        // null when the class is not one.
        void* (*viewAs)(void* object, const std::type_info& target);
    };

    template <class T>
    static const ClassTag& tagOf();

    // Writer side.  The number of an object already carried, 0 when it is
    // new.  Throws CdrStreamError when the object was carried as a class that
    // T is not a stored base of: the reader would refuse the reference.
    template <class T>
    std::int32_t numberOf(const T& object) const;
    // Registers a new object under the next number and returns the number.
    template <class T>
    std::int32_t enterWritten(const T& object);

    // Reader side.  Registers a new object under the next number.
    template <class T>
    std::int32_t enterRead(T* object);
    // The object registered under `number` viewed as T; null when the number
    // names no object yet.  Throws CdrStreamError when the object is not a T.
    template <class T>
    T* find(std::int32_t number) const;

    std::int32_t nextNumber() const { return m_nextNumber; }
    // Throws CdrStreamError when one more object would pass the bound.
    void requireRoom() const;

    // One object reached through pointers of different stored classes must
    // get one number: it is keyed by its complete object.
    template <class T>
    static const void* identityOf(const T& object)
    {
        if constexpr (std::is_polymorphic_v<T>)
            return dynamic_cast<const void*>(&object);
        else
            return &object;
    }

private:
    struct Carried {
        std::int32_t number;
        const ClassTag* tag;
    };
    struct Registered {
        void* object;
        const ClassTag* tag;
    };

    template <class T>
    static bool isA(const std::type_info& target)
    {
        if (target == typeid(T)) return true;
        using Base = typename CdrStoredBase<T>::type;
        if constexpr (std::is_void_v<Base>)
            return false;
        else
            return isA<Base>(target);
    }

    template <class T>
    static void* viewAs(void* object, const std::type_info& target)
    {
        if (target == typeid(T)) return object;
        using Base = typename CdrStoredBase<T>::type;
        if constexpr (std::is_void_v<Base>) {
            return nullptr;
        } else {
            static_assert(std::is_base_of_v<Base, T>, "a stored base must be a base class");
            Base* base = static_cast<T*>(object);
            return viewAs<Base>(base, target);
        }
    }

    [[noreturn]] static void wrongClass(std::int32_t number, const ClassTag& carried,
                                        const std::type_info& declared);
    std::int32_t takeNumber();

    std::int32_t m_nextNumber = 1;
    std::int32_t m_maxObjects;
    std::unordered_map<const void*, Carried> m_numbers;  // writer
    std::vector<Registered> m_objects;                    // reader, index number - 1
};

template <class T>
const ObjectRefTable::ClassTag& ObjectRefTable::tagOf()
{
    static const ClassTag tag{&typeid(T), &isA<T>, &viewAs<T>};
    return tag;
}

template <class T>
std::int32_t ObjectRefTable::numberOf(const T& object) const
{
    auto found = m_numbers.find(identityOf(object));
    if (found == m_numbers.end()) return 0;
    if (!found->second.tag->isA(typeid(T)))
        wrongClass(found->second.number, *found->second.tag, typeid(T));
    return found->second.number;
}

template <class T>
std::int32_t ObjectRefTable::enterWritten(const T& object)
{
    std::int32_t number = takeNumber();
    m_numbers.emplace(identityOf(object), Carried{number, &tagOf<T>()});
    return number;
}

template <class T>
std::int32_t ObjectRefTable::enterRead(T* object)
{
    static_assert(!std::is_const_v<T>, "the reader fills the objects it registers");
    std::int32_t number = takeNumber();
    m_objects.push_back(Registered{object, &tagOf<T>()});
    return number;
}

template <class T>
T* ObjectRefTable::find(std::int32_t number) const
{
    if (number < 1 || static_cast<std::size_t>(number) > m_objects.size()) return nullptr;
    const Registered& entry = m_objects[static_cast<std::size_t>(number) - 1];
    // Most references name an object of the very class they are declared as.
    if (entry.tag == &tagOf<T>()) return static_cast<T*>(entry.object);
    void* viewed = entry.tag->viewAs(entry.object, typeid(T));
    if (!viewed) wrongClass(number, *entry.tag, typeid(T));
    return static_cast<T*>(viewed);
}

}  // namespace quibo
