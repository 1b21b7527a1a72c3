#include "platform/Module.h"

#include <dlfcn.h>
#include <string.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace platform {

std::string ExecutableDirectory() {
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return std::string();
    std::string path(buffer.data(), static_cast<std::size_t>(n));
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ModulePath(const std::string& directory, const std::string& name) {
    std::string base = name;
    if (base.size() > 4 && ::strcasecmp(base.c_str() + base.size() - 4, ".dll") == 0)
        base.resize(base.size() - 4);
    std::string dir = directory;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir + base + ".so";
}

Module::~Module() { Unload(); }

Module::Module(Module&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}

Module& Module::operator=(Module&& other) noexcept {
    if (this != &other) {
        Unload();
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

bool Module::Load(const std::string& path) {
    Unload();
    if (path.empty())
        return false;
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return m_handle != nullptr;
}

void Module::Unload() {
    if (m_handle)
        ::dlclose(m_handle);
    m_handle = nullptr;
}

void* Module::Symbol(const char* name) const { return m_handle ? ::dlsym(m_handle, name) : nullptr; }

} // namespace platform
