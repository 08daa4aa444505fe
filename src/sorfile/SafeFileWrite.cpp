#include "sorfile/SafeFileWrite.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fv {
namespace {

bool writeAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

std::string describe(const std::string& path, const char* what, int err) {
    return path + ": " + what + " (" + std::strerror(err) + ")";
}

// The file a write really goes to: the target of a symbolic link, else the path itself.
std::string resolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char real[PATH_MAX];
        if (::realpath(path.c_str(), real)) return real;
    }
    return path;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool writeInPlace(const std::string& target, std::span<const uint8_t> bytes, std::string& error) {
    int fd = ::open(target.c_str(), O_WRONLY);
    if (fd < 0) {
        error = describe(target, "cannot be opened for writing", errno);
        return false;
    }
    bool ok = writeAll(fd, bytes.data(), bytes.size()) && ::ftruncate(fd, off_t(bytes.size())) == 0 &&
              ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) error = describe(target, "could not be written", err);
    return ok;
}

// mkstemp makes files readable by their owner only; a new trace gets the usual bits.
mode_t currentUmask() {
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

}  // namespace

bool writeFileSafely(const std::string& path, std::span<const uint8_t> bytes, std::string& error) {
    const std::string target = resolveTarget(path);
    const std::string folder = folderOf(target);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        error = target + ": is not a regular file";
        return false;
    }
    if (::access(folder.c_str(), W_OK) != 0) {
        if (exists && ::access(target.c_str(), W_OK) == 0) return writeInPlace(target, bytes, error);
        error = describe(target, "the folder cannot be written", errno ? errno : EACCES);
        return false;
    }

    std::string temp = target + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = describe(target, "no temporary file could be made beside it", errno);
        return false;
    }
    const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = describe(target, "could not be written", err);
    }
    return ok;
}

long readWholeFile(const char* path, std::span<uint8_t> buffer, bool& truncated, std::string* error) {
    truncated = false;
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = S_ISDIR(st.st_mode) ? "is a folder" : "is not a regular file";
        ::close(fd);
        return -1;
    }
    size_t got = 0;
    while (got < buffer.size()) {
        ssize_t r = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            if (error) *error = std::strerror(errno);
            ::close(fd);
            return -1;
        }
        if (r == 0) break;
        got += size_t(r);
    }
    if (got == buffer.size()) {
        uint8_t probe;
        ssize_t r;
        do r = ::read(fd, &probe, 1); while (r < 0 && errno == EINTR);
        truncated = r > 0;
    }
    ::close(fd);
    return long(got);
}

}  // namespace fv
