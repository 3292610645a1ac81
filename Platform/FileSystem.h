#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace Platform
{
// Replaces the file at the path with the bytes in one step, so that a process
// that dies at any instant leaves either the old file or the new one. The new
// contents go to a temporary file beside the file that a chain of symbolic
// links finally names, and that file is replaced: the links stay links. The
// new file keeps the old one's mode and, as far as the process may, its owner;
// a file that did not exist gets the mode the umask leaves. A folder or any
// other thing that is not a regular file is never replaced.
// Empty when the file was replaced; otherwise what stood in the way.
std::string ReplaceFile(const std::string& utf8Path, const char* data, std::size_t size);

// The file's last modification in local time; false when there is no file.
bool LocalModificationTime(const std::string& utf8Path, std::tm& local);

struct FolderEntry
{
    std::string name;
    bool isFolder = false;
};

// The entries of a folder in the order the file system gives them: files and
// folders, directly or through a link that leads somewhere, without hidden
// names (a leading ".") or anything else a plain listing skips (devices,
// pipes, sockets, links that lead nowhere). False when the folder cannot be read.
bool ListFolder(const std::string& utf8Path, std::vector<FolderEntry>& entries);
} // namespace Platform
