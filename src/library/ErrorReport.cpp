#include "library/ErrorReport.h"

#include "platform/SafeFile.h"
#include "platform/System.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void AppendLine(const char* fileName, const CQvcString& line) {
    const CQvcString dir = QvcDebugDirectory();
    if (!platform::DirectoryExists(dir.Str()))
        return;
    CQvcString path = dir;
    path.EnsureTrailing(platform::kPathSeparator);
    path += fileName;
    // The default directory lies in /tmp, where any user could have made it: a directory
    // that belongs to someone other than this user or root is not written to, and a link
    // at the file's name is never followed.
    platform::FileInDirectory where;
    struct stat st {};
    if (platform::OpenDirectoryOf(path.Str(), where) != 0 || ::fstat(where.Directory.Get(), &st) != 0 ||
        (st.st_uid != ::geteuid() && st.st_uid != 0))
        return;
    platform::UniqueFd file;
    if (platform::OpenFileAt(where.Directory.Get(), where.Name, O_WRONLY | O_APPEND | O_CREAT, 0644, file) != 0)
        return;
    const std::string text = line.Str() + "\n";
    platform::WriteAll(file.Get(), text.data(), text.size());
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
