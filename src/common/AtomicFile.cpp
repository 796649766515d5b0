#include "common/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kordan {

namespace fs = std::filesystem;

namespace {

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

} // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    fs::path target(path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        setError(error, "ist ein Verzeichnis");
        return false;
    }
    fs::path dir = target.parent_path();
    std::random_device rd;
    fs::path tmp = dir / (target.filename().string() + ".tmp" + std::to_string(rd() % 1000000));

    std::FILE* f = std::fopen(tmp.string().c_str(), "wb");
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
        fs::remove(tmp, ec);
        setError(error, ec.message());
        return false;
    }
    return true;
}

} // namespace kordan
