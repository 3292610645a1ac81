#include "Platform/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Platform
{
namespace
{
// As many as the kernel itself follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;
constexpr int kMaxTemporaryNames = 100;

std::string Reason(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".")
           : slash == 0               ? std::string("/")
                                      : path.substr(0, slash);
}

// The path that the chain of links starting at path ends in; it need not exist.
std::string FollowLinks(std::string path, std::string& error)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop)
    {
        struct stat status;
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return path;
        std::vector<char> target(size_t(status.st_size) + 2);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size() - 1);
        if (length < 0)
        {
            error = Reason("cannot read the link " + path);
            return {};
        }
        const std::string text(target.data(), size_t(length));
        const size_t slash = path.rfind('/');
        path = text.front() == '/' || slash == std::string::npos ? text : path.substr(0, slash + 1) + text;
    }
    error = "too many symbolic links on the way to " + path;
    return {};
}

// Why no file could be made beside target: the folder's mode may be all that
// stands in the way of a file that is itself writable.
std::string CannotCreateBeside(const std::string& target)
{
    const std::string reason = Reason("cannot create a file in the folder " + FolderOf(target));
    if (::access(target.c_str(), W_OK) != 0)
        return reason;
    return reason + "; " + target +
           " itself is writable, but only a writable folder lets it be replaced whole, so it is left as it "
           "was";
}

// A name no other writer holds, created empty with the umask's mode.
int CreateTemporary(const std::string& target, std::string& name, std::string& error)
{
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string prefix = FolderOf(target) + "/." + base + ".";
    for (int attempt = 0; attempt < kMaxTemporaryNames; ++attempt)
    {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%d.%u", int(::getpid()), counter++);
        name = prefix + suffix;
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0)
            return descriptor;
        if (errno != EEXIST)
        {
            error = CannotCreateBeside(target);
            return -1;
        }
    }
    error = "no free temporary name beside " + target;
    return -1;
}

bool WriteAll(int descriptor, const char* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

// The owner first: changing it may clear the set-id bits that the mode then restores.
void KeepOwnerAndMode(int descriptor, const struct stat& old)
{
    if (::fchown(descriptor, old.st_uid, old.st_gid) != 0)
        (void)!::fchown(descriptor, uid_t(-1), old.st_gid);
    ::fchmod(descriptor, old.st_mode & 07777);
}

// Swapping the two names is as atomic as renaming over the old file, but it
// does not make the file system push the new data to disk first; the
// temporary name then holds the old contents and is removed with them.
std::string MoveInPlace(const std::string& temporary, const std::string& target, bool existed)
{
    if (existed && ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0)
    {
        struct stat swapped;
        const bool wasFile = ::lstat(temporary.c_str(), &swapped) == 0 && S_ISREG(swapped.st_mode);
        if (!wasFile)
            // Something other than a file took the old one's place meanwhile: it goes back.
            ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE);
        ::unlink(temporary.c_str());
        return wasFile ? std::string() : target + " is no longer a regular file";
    }
    if (::rename(temporary.c_str(), target.c_str()) == 0)
        return {};
    const std::string error = Reason("cannot rename " + temporary + " to " + target);
    ::unlink(temporary.c_str());
    return error;
}
} // namespace

std::string ReplaceFile(const std::string& utf8Path, const char* data, std::size_t size)
{
    std::string error;
    const std::string target = FollowLinks(utf8Path, error);
    if (!error.empty())
        return error;
    struct stat old;
    const bool existed = ::lstat(target.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode))
        return target + " is a folder, not a file; it is left as it was";
    if (existed && !S_ISREG(old.st_mode))
        return target + " is not a regular file; it is left as it was";
    std::string temporary;
    const int descriptor = CreateTemporary(target, temporary, error);
    if (descriptor < 0)
        return error;
    if (existed)
        KeepOwnerAndMode(descriptor, old);
    const bool written = WriteAll(descriptor, data, size);
    if (!written)
        error = Reason("cannot write " + temporary);
    if (::close(descriptor) != 0 && written)
        error = Reason("cannot write " + temporary);
    if (!error.empty())
    {
        ::unlink(temporary.c_str());
        return error;
    }
    return MoveInPlace(temporary, target, existed);
}

bool LocalModificationTime(const std::string& utf8Path, std::tm& local)
{
    struct stat status;
    if (::stat(utf8Path.c_str(), &status) != 0)
        return false;
    return localtime_r(&status.st_mtime, &local) != nullptr;
}

namespace
{
// Most file systems tell the type along with the name, which spares a stat
// per entry; links and file systems that do not tell are looked at.
bool Listed(int folder, const dirent& entry, bool& isFolder)
{
    if (entry.d_type == DT_REG || entry.d_type == DT_DIR)
    {
        isFolder = entry.d_type == DT_DIR;
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat status;
    if (::fstatat(folder, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    const bool link = S_ISLNK(status.st_mode);
    if (link && ::fstatat(folder, entry.d_name, &status, 0) != 0)
        return false;
    isFolder = S_ISDIR(status.st_mode);
    return link || isFolder || S_ISREG(status.st_mode);
}
} // namespace

bool ListFolder(const std::string& utf8Path, std::vector<FolderEntry>& entries)
{
    DIR* folder = ::opendir(utf8Path.c_str());
    if (!folder)
        return false;
    while (const dirent* entry = ::readdir(folder))
    {
        bool isFolder = false;
        if (entry->d_name[0] != '.' && Listed(::dirfd(folder), *entry, isFolder))
            entries.push_back({entry->d_name, isFolder});
    }
    ::closedir(folder);
    return true;
}
} // namespace Platform
