#include "platform/InProcessServer.h"

#include "platform/Registry.h"

#include <dlfcn.h>

namespace quibo::platform {
namespace {

constexpr std::string_view CLASSES = "SOFTWARE\\Classes\\";

// The default value of the key below the class tree; empty when missing.
std::string defaultValue(const std::string& key)
{
    return readRegistryString(std::string(CLASSES) + key, "@");
}

}  // namespace

std::unique_ptr<InProcessServer> InProcessServer::load(std::string_view progId, std::string& error)
{
    std::unique_ptr<InProcessServer> server(new InProcessServer);
    server->m_classId = defaultValue(std::string(progId) + "\\CLSID");
    if (server->m_classId.empty()) {
        error = std::string(progId) + " is not registered in " + registryFilePath();
        return nullptr;
    }
    server->m_libraryPath = defaultValue("CLSID\\" + server->m_classId + "\\InprocServer32");
    if (server->m_libraryPath.empty()) {
        error = "class " + server->m_classId + " names no library in " + registryFilePath();
        return nullptr;
    }
    server->m_library = dlopen(server->m_libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!server->m_library) {
        const char* reason = dlerror();
        error = reason ? reason : "cannot load " + server->m_libraryPath;
        return nullptr;
    }
    using GetClassObject = int (*)(const char*, const void**);
    const auto getClassObject = reinterpret_cast<GetClassObject>(dlsym(server->m_library, "DllGetClassObject"));
    if (!getClassObject) {
        error = server->m_libraryPath + " exports no DllGetClassObject";
        return nullptr;
    }
    if (getClassObject(server->m_classId.c_str(), &server->m_classObject) != 0 || !server->m_classObject) {
        error = server->m_libraryPath + " has no class object for " + server->m_classId;
        return nullptr;
    }
    return server;
}

InProcessServer::~InProcessServer()
{
    if (m_library) {
        dlclose(m_library);
    }
}

}  // namespace quibo::platform
