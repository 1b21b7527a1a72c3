#pragma once
// Loadable modules (the stand-in for DLLs): a module named "Name.dll" by its callers is
// the shared object "Name.so" in the same directory; modules that the program ships are
// looked for next to the running executable.
#include <string>

namespace platform {

// The directory of the running executable, with a trailing separator; empty when it
// cannot be read.
std::string ExecutableDirectory();
// "<directory>/<name>.so" for a module name given with or without ".dll".
std::string ModulePath(const std::string& directory, const std::string& name);

// One loaded module, unloaded with the object.
class Module {
public:
    Module() = default;
    explicit Module(const std::string& path) { Load(path); }
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    Module(Module&& other) noexcept;
    Module& operator=(Module&& other) noexcept;

    // Unloads what was loaded, then loads `path`.  False when it cannot be loaded.
    bool Load(const std::string& path);
    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }
    // The exported symbol, or null.
    void* Symbol(const char* name) const;

private:
    void* m_handle = nullptr;
};

} // namespace platform
