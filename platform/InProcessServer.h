// Our stand-in for creating an in-process component by its ProgID: the
// registry file's class tree (HKEY_CLASSES_ROOT, kept under
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes) gives the ProgID's class id and the
// class id's library (InprocServer32); the library is loaded and its
// exported DllGetClassObject hands out the class object.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quibo::platform {

class InProcessServer {
public:
    // The loaded server of `progId` with its class object; null, with the
    // reason in `error`, when the registry file does not know the ProgID or
    // the library cannot be loaded or refuses the class.
    static std::unique_ptr<InProcessServer> load(std::string_view progId, std::string& error);

    ~InProcessServer();
    InProcessServer(const InProcessServer&) = delete;
    InProcessServer& operator=(const InProcessServer&) = delete;

    const std::string& classId() const { return m_classId; }
    const std::string& libraryPath() const { return m_libraryPath; }
    // The class object, whose type the component's own header states.
    const void* classObject() const { return m_classObject; }

private:
    InProcessServer() = default;

    void* m_library = nullptr;
    const void* m_classObject = nullptr;
    std::string m_classId;
    std::string m_libraryPath;
};

}  // namespace quibo::platform
