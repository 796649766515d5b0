#include "common/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kordan {

namespace fs = std::filesystem;

namespace {

// The temporary files carry the target's name, this mark and digits; nothing else in a
// directory of the program's files looks like that.
constexpr std::string_view kTempMark = ".kordan-tmp";

void setError(std::string* error, const std::string& text) {
    if (error)
        *error = text;
}

bool flushToDisk(std::FILE* f) {
    if (std::fflush(f) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// The file a name stands for: links are followed, so the link itself stays a link.
fs::path followLinks(fs::path p) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
        fs::path next = fs::read_symlink(p, ec);
        if (ec)
            break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p;
}

fs::path directoryOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

// A kill between creating the temporary file and the rename leaves it behind; the next
// write of the same file clears it away.
void removeStaleTemporaries(const fs::path& target) {
    const std::string prefix = target.filename().string() + std::string(kTempMark);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(directoryOf(target), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > prefix.size() && name.starts_with(prefix) &&
            std::all_of(name.begin() + long(prefix.size()), name.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            fs::remove(entry.path(), ec);
    }
}

// Creates the temporary file; on POSIX exclusively, with the target's permissions.
std::FILE* createTemporary(const fs::path& tmp, const fs::path& target) {
#ifdef _WIN32
    (void)target;
    return std::fopen(tmp.string().c_str(), "wb");
#else
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    if (exists && ::fchmod(fd, st.st_mode & 07777) != 0) {
        const int saved = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        errno = saved;
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f)
        ::close(fd);
    return f;
#endif
}

// The rename is durable only once the directory entry is on disk too.
void syncDirectory([[maybe_unused]] const fs::path& dir) {
#ifndef _WIN32
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

} // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    const fs::path target = followLinks(fs::path(path));
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        setError(error, "ist ein Verzeichnis");
        return false;
    }
    removeStaleTemporaries(target);
    std::random_device rd;
    const fs::path tmp =
        directoryOf(target) /
        (target.filename().string() + std::string(kTempMark) + std::to_string(rd() % 1000000));

    std::FILE* f = createTemporary(tmp, target);
    if (!f) {
        setError(error, std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int savedErrno = errno;
    ok = ok && flushToDisk(f);
    if (!ok)
        savedErrno = errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        fs::remove(tmp, ec);
        setError(error, std::strerror(savedErrno));
        return false;
    }
    fs::rename(tmp, target, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(tmp, ec);
        setError(error, reason);
        return false;
    }
    syncDirectory(directoryOf(target));
    return true;
}

namespace {

bool keepRefusedFile(const std::string& path, std::string* copy, std::string* error) {
    std::error_code ec;
    if (!fs::exists(path, ec))
        return true;
    std::string name = path + ".bak";
    for (int n = 1; fs::exists(fs::symlink_status(name, ec)); ++n)
        name = path + "." + std::to_string(n) + ".bak";
    if (!fs::copy_file(path, name, ec)) { // through a link: its contents
        setError(error, ec.message());
        return false;
    }
    if (copy)
        *copy = name;
    return true;
}

} // namespace

SaveReport saveFile(const std::string& path, std::string_view bytes, bool keepFirst) {
    SaveReport report;
    report.path = path;
    const bool kept = !keepFirst || keepRefusedFile(path, &report.keptCopy, &report.reason);
    const bool written = kept && writeFileAtomically(path, bytes, &report.reason);
    report.result = written ? SaveResult::Saved : SaveResult::Failed;
    return report;
}

} // namespace kordan
