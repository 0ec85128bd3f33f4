#include "core/local_file_system.h"

#include "core/encoding.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorvane::core {

namespace fs = std::filesystem;

namespace {

// Owns a file descriptor; closing reports whether the data reached the file.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool is_open() const { return fd_ >= 0; }
    bool close() {
        if (fd_ < 0) {
            return true;
        }
        // Linux releases the descriptor even when close fails, so it is never retried.
        const bool closed = ::close(std::exchange(fd_, -1)) == 0;
        return closed;
    }

private:
    int fd_;
};

bool write_all(int fd, const ByteBuffer& content) {
    const unsigned char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// Creates a file of a name no one else uses in folder, open for writing; -1
// when it cannot be made.
int create_temporary_file(const fs::path& folder, mode_t mode, fs::path& name) {
    static std::atomic<unsigned> counter{0};
    const std::string prefix = ".zorvane-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder / (prefix + std::to_string(counter++) + ".tmp");
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return -1;
}

// Makes a finished rename survive a crash; a failure here loses nothing that a
// reader could see, so it is not reported.
void sync_folder(const fs::path& folder) {
    FileDescriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.is_open()) {
        ::fsync(fd.get());
    }
}

} // namespace

LocalFileSystem::LocalFileSystem(Text program_directory)
    : program_directory_(std::move(program_directory)) {}

Text LocalFileSystem::executable_directory() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    std::string folder = program.parent_path().string();
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return utf8_to_gbk(folder);
}

fs::path LocalFileSystem::native_path(std::string_view path) {
    // Converted before the separators are looked at: a GBK trail byte may be
    // 0x5C, the backslash, while in UTF-8 that byte is never part of a name.
    const std::string utf8 = gbk_to_utf8(path);
    std::string native;
    native.reserve(utf8.size());
    for (const char c : utf8) {
        const bool separator = c == '\\' || c == '/';
        if (!separator) {
            native += c;
        } else if (native.empty() || native.back() != '/') {
            native += '/';
        }
    }
    return fs::path(std::move(native));
}

Text LocalFileSystem::program_directory() const {
    return program_directory_;
}

bool LocalFileSystem::create_folder(std::string_view path) {
    std::error_code error;
    return fs::create_directory(native_path(path), error);
}

ByteBuffer LocalFileSystem::read_file(std::string_view path) const {
    // Non-blocking, so that a named pipe in the file's place cannot hold the program.
    FileDescriptor fd(::open(native_path(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (!fd.is_open() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return {};
    }
    ByteBuffer content;
    content.reserve(static_cast<std::size_t>(status.st_size));
    unsigned char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got == 0) {
            return content;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {};
        }
        content.insert(content.end(), chunk, chunk + got);
    }
}

bool LocalFileSystem::write_file(std::string_view path, const ByteBuffer& content) {
    fs::path target = native_path(path);
    if (!target.has_filename()) {
        return false;
    }
    std::error_code error;
    if (fs::is_symlink(target, error)) {
        // The file the link points at is replaced, as writing in place would.
        fs::path resolved = fs::weakly_canonical(target, error);
        if (!error) {
            target = std::move(resolved);
        }
    }

    // A new file gets the usual permissions; a replaced one keeps its own. A
    // file the user may not write is left alone, as when opening it failed.
    mode_t mode = 0666;
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        if (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0) {
            return false;
        }
        mode = existing.st_mode & 07777;
    }

    const fs::path folder = target.parent_path();
    fs::path temporary;
    FileDescriptor fd(create_temporary_file(folder, mode, temporary));
    if (!fd.is_open()) {
        return false;
    }
    const bool written = (!exists || ::fchmod(fd.get(), mode) == 0) &&
                         write_all(fd.get(), content) && ::fsync(fd.get()) == 0;
    const bool closed = fd.close();
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    sync_folder(folder);
    return true;
}

} // namespace zorvane::core
