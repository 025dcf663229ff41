#include "pagemaker/Tar32Library.h"

#include "pagemaker/PageBuilder.h"

#include <dlfcn.h>
#include <filesystem>
#include <vector>

namespace quibo::pagemaker {
namespace {

std::string programFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

}  // namespace

std::unique_ptr<Tar32Library> Tar32Library::load(const std::string& name)
{
    std::vector<std::string> candidates;
    if (name.find('/') == std::string::npos) {
        if (const std::string folder = programFolder(); !folder.empty()) {
            candidates.push_back(folder + "/" + name);
        }
        if (const std::string install = readInstallPath(); !install.empty()) {
            candidates.push_back(install + "QUIBO3.1/" + name);
        }
    }
    candidates.push_back(name);
    for (const std::string& candidate : candidates) {
        if (void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return std::unique_ptr<Tar32Library>(new Tar32Library(handle));
        }
    }
    return nullptr;
}

Tar32Library::~Tar32Library()
{
    ::dlclose(m_handle);
}

void* Tar32Library::symbol(const char* name) const
{
    return ::dlsym(m_handle, name);
}

}  // namespace quibo::pagemaker
