#pragma once
// The arguments of one command: options "--name value" (every option takes a value) and
// positional arguments, in any order.
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

class CCliOptions {
public:
    // Reads `args`, accepting the option names in `names` (without "--").  False with
    // `error` for an unknown option, an option without its value or one given twice.
    bool Parse(const std::vector<std::string>& args, std::initializer_list<const char*> names, std::string& error);

    bool Has(const std::string& name) const { return m_values.count(name) != 0; }
    // The option's value; empty when it was not given.
    const std::string& Value(const std::string& name) const;
    const std::vector<std::string>& Positionals() const { return m_positionals; }

private:
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_positionals;
};
