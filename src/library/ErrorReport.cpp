#include "library/ErrorReport.h"

#include "platform/System.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void AppendLine(const char* fileName, const CQvcString& line) {
    const CQvcString dir = QvcDebugDirectory();
    if (!platform::DirectoryExists(dir.Str()))
        return;
    CQvcString path = dir;
    path.EnsureTrailing(platform::kPathSeparator);
    path += fileName;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "a"));
    if (!file)
        return;
    std::fprintf(file.get(), "%s\n", line.c_str());
}

void Report(const char* kind, const char* source, int line, const char* text) {
    const platform::LocalTime t = platform::GetLocalTime();
    CQvcString entry;
    entry.FormatGrow("%04d-%02d-%02d %02d:%02d:%02d (%s); file [%s:%d]; %s", t.year, t.month, t.day, t.hour,
                     t.minute, t.second, kind, source ? source : "", line, text ? text : "");
    AppendLine("Quorvane.log", entry);
}

} // namespace

CQvcString QvcDebugDirectory() {
    const char* dir = std::getenv("SENTRELLE_DEBUG_DIR");
    return CQvcString(dir && *dir ? dir : "/tmp/qvdebug");
}

void ReportError(const char* source, int line, const char* text) { Report("Error", source, line, text); }

void ReportWarning(const char* source, int line, const char* text) { Report("Warning", source, line, text); }

void QvcAssertFailure(const char* file, long line) {
    const platform::LocalTime t = platform::GetLocalTime();
    CQvcString entry;
    entry.FormatGrow("[%02d:%02d:%02d] QUORVANE ASSERTION FAILURE, FILE: [%s]; LINE: %ld", t.hour, t.minute,
                     t.second, file ? file : "", line);
    AppendLine("assert.txt", entry);
}
