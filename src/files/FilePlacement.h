// Putting a file in place without ever losing the one it replaces: the new bytes go to a new
// private file in the destination folder, reach the disk, and only then take the target's name
// in one rename. A full disk, a missing permission or a crash leaves the old file whole.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace vesta {

// Fills an open file descriptor; false with the reason in `error`.
using FileFiller = std::function<bool(int fd, std::string& error)>;

// False with a reason when something other than a regular file (a folder, a device, a pipe)
// stands at `target`: such a thing is never replaced.
bool canReplace(const std::string& target, std::string& error);

// Writes a new file at `target` through `fill`, which receives a new file created exclusively
// beside the target. The new file takes the target's name only when everything written is on
// the disk; on any failure only that new file is removed. False with the reason in `error`.
bool replaceFile(const std::string& target, const FileFiller& fill, std::string& error);

// Writes all of `size` bytes to `fd`, retrying short writes; false with the reason.
bool writeAll(int fd, const void* data, std::size_t size, std::string& error);

// A filler that copies the whole of the file `from`.
FileFiller copyOf(const std::string& from);

// Flushes a written file to the disk, so that a rename never gives its name to data still in
// memory. False with the reason when the disk refused it (a full disk often shows only here).
bool syncFile(const std::string& path, std::string& error);

// Flushes the folder holding `path`, so that a rename survives a crash. Best effort.
void syncFolderOf(const std::string& path);

}  // namespace vesta
