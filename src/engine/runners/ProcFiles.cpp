#include "engine/ProcFiles.h"

#include "platform/System.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace {

// /proc files report a size of 0: they are read to their end, never more than this.
constexpr std::size_t kMaxProcFile = 4u << 20;

bool Read(const std::string& path, std::string& content) {
    return platform::ReadFileContent(path, content, kMaxProcFile) == platform::FileRead::Ok;
}

// The fields of /proc/<pid>/stat after the name, which may itself hold blanks and ")".
bool StatFields(int pid, std::vector<std::string>& fields) {
    std::string content;
    if (!Read("/proc/" + std::to_string(pid) + "/stat", content))
        return false;
    const std::size_t close = content.rfind(')');
    if (close == std::string::npos)
        return false;
    std::istringstream rest(content.substr(close + 1));
    fields.clear();
    for (std::string field; rest >> field;)
        fields.push_back(field);
    return fields.size() > 12;
}

} // namespace

bool ReadCpuTimes(std::vector<CpuTimes>& out) {
    out.clear();
    std::string content;
    if (!Read("/proc/stat", content))
        return false;
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("cpu", 0) != 0)
            continue;
        std::istringstream words(line);
        std::string label;
        words >> label;
        // user nice system idle iowait irq softirq steal (guest time is inside user)
        unsigned long long value[8] = {};
        int read = 0;
        while (read < 8 && words >> value[read])
            ++read;
        if (read < 4)
            continue;
        CpuTimes times;
        for (int i = 0; i < read; ++i)
            times.Total += value[i];
        times.Busy = times.Total - value[3] - (read > 4 ? value[4] : 0);
        if (label == "cpu") {
            out.insert(out.begin(), times);
        } else {
            const std::size_t index = std::strtoul(label.c_str() + 3, nullptr, 10);
            if (out.size() < index + 2)
                out.resize(index + 2);
            out[index + 1] = times;
        }
    }
    return !out.empty();
}

std::map<std::string, unsigned long long> ReadKeyValues(const std::string& path) {
    std::map<std::string, unsigned long long> values;
    std::string content;
    if (!Read(path, content))
        return values;
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        unsigned long long value = 0;
        if (!(words >> key >> value))
            continue;
        if (!key.empty() && key.back() == ':')
            key.pop_back();
        values[key] = value;
    }
    return values;
}

std::vector<ProcessInfo> ListProcesses() {
    std::vector<ProcessInfo> out;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir("/proc"), &::closedir);
    if (!dir)
        return out;
    const long page = ::sysconf(_SC_PAGESIZE);
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
            continue;
        ProcessInfo info;
        info.Pid = std::atoi(entry->d_name);
        const std::string base = std::string("/proc/") + entry->d_name;
        std::string text;
        if (!Read(base + "/comm", text))
            continue;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        info.Name = text;
        if (Read(base + "/cmdline", text)) {
            const std::string first = text.substr(0, text.find('\0'));
            // Some programs rewrite their command line into one text with blanks.
            const std::string program = first.substr(0, first.find(' '));
            info.Program = program.substr(program.rfind('/') == std::string::npos ? 0 : program.rfind('/') + 1);
        }
        if (Read(base + "/statm", text)) {
            std::istringstream words(text);
            unsigned long long size = 0, resident = 0;
            if (words >> size >> resident)
                info.ResidentBytes = resident * static_cast<unsigned long long>(page);
        }
        std::vector<std::string> fields;
        if (StatFields(info.Pid, fields))
            info.CpuTicks = std::strtoull(fields[11].c_str(), nullptr, 10) + std::strtoull(fields[12].c_str(), nullptr, 10);
        out.push_back(std::move(info));
    }
    return out;
}

bool ReadProcessCpuTicks(int pid, unsigned long long& ticks) {
    std::vector<std::string> fields;
    if (!StatFields(pid, fields))
        return false;
    ticks = std::strtoull(fields[11].c_str(), nullptr, 10) + std::strtoull(fields[12].c_str(), nullptr, 10);
    return true;
}
