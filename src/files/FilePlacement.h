// Putting a file in place without ever losing the one it replaces: the new bytes go to a new
// private file in the destination folder, reach the disk, and only then take the target's name
// in one rename. A full disk, a missing permission or a crash leaves the old file whole.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

namespace vesta {

// Fills an open file descriptor; false with the reason in `error`.
using FileFiller = std::function<bool(int fd, std::string& error)>;

// False with a reason when something other than a regular file (a folder, a device, a pipe)
// stands at `target`: such a thing is never replaced.
bool canReplace(const std::string& target, std::string& error);

// A file on its way to `target`: its temporary file is created exclusively beside the target at
// once, so a folder that cannot take it is known before any work is done. The temporary file
// is private and carries this process's number in its name (".NAME.vesta-<pid>-<tag>.tmp"); it
// takes the target's name only when everything is on the disk, with the mode of the file it
// replaces or that of a new document, and is removed with this object otherwise.
class PendingFile {
  public:
    explicit PendingFile(const std::string& target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // False, with the reason, when the temporary file could not be created.
    bool ready(std::string& error) const;
    const std::string& temporaryPath() const { return temporary_; }
    // Fills the temporary file through `fill` and puts it in place. False with the reason; the
    // target is then as it was.
    bool place(const FileFiller& fill, std::string& error);
    // Puts the finished file `from` in place: renamed on one volume, copied across volumes and
    // then removed. On failure `from` is kept for another try.
    bool placeFrom(const std::string& from, std::string& error);

  private:
    std::string target_;
    std::string temporary_;
    std::string error_;
    int fd_ = -1;
    bool placed_ = false;
};

// Writes a new file at `target` through `fill`, by a PendingFile. False with the reason.
bool replaceFile(const std::string& target, const FileFiller& fill, std::string& error);

// The mode of a user's new document: 0666 less the process's umask, read once and never
// changed on the way, so threads that create files meanwhile are not disturbed.
mode_t newFileMode();

// The mode a file about to take `target`'s name gets: the replaced file's own, or a new one's.
mode_t modeFor(const std::string& target);

// True when no process numbered `pid` exists any more.
bool processGone(long pid);

// Removes from `folder` the temporary files a PendingFile of a process no longer running left
// there (a run killed midway): only names of that pattern, regular files of this user. Nothing
// else is touched.
void removeAbandonedTemporaries(const std::string& folder);

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
