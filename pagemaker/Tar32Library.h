// The archiver library, loaded by name for one operation and released when
// the object goes away, on success and on failure alike.  It is looked for
// next to the running program, then in the install tree's "QUIBO3.1" folder,
// then wherever the system's loader finds libraries.
#pragma once

#include <memory>
#include <string>

namespace quibo::pagemaker {

inline constexpr const char* TAR32_LIBRARY = "libtar32.so";

class Tar32Library {
public:
    // The loaded library, or null when no candidate could be loaded.
    static std::unique_ptr<Tar32Library> load(const std::string& name = TAR32_LIBRARY);
    ~Tar32Library();
    Tar32Library(const Tar32Library&) = delete;
    Tar32Library& operator=(const Tar32Library&) = delete;

    // The entry point `name` as a function of type F, or null when the
    // library has none.
    template <typename F>
    F entry(const char* name) const
    {
        return reinterpret_cast<F>(symbol(name));
    }

private:
    explicit Tar32Library(void* handle) : m_handle(handle) {}
    void* symbol(const char* name) const;

    void* m_handle;
};

}  // namespace quibo::pagemaker
