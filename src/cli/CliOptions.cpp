#include "cli/CliOptions.h"

#include <algorithm>
#include <cstring>

bool CCliOptions::Parse(const std::vector<std::string>& args, std::initializer_list<const char*> names,
                        std::string& error) {
    m_values.clear();
    m_positionals.clear();
    error.clear();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            m_positionals.push_back(arg);
            continue;
        }
        const std::string name = arg.substr(2);
        if (std::none_of(names.begin(), names.end(), [&](const char* n) { return name == n; })) {
            error = "unknown option '" + arg + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = "option '" + arg + "' needs a value";
            return false;
        }
        if (!m_values.emplace(name, args[++i]).second) {
            error = "option '" + arg + "' is given twice";
            return false;
        }
    }
    return true;
}

const std::string& CCliOptions::Value(const std::string& name) const {
    static const std::string kEmpty;
    const auto found = m_values.find(name);
    return found != m_values.end() ? found->second : kEmpty;
}
