// Pellmint's file operations on the work folder: copy, delete and rename,
// our own small functions over the file system.  None follows a symbolic
// link: walks skip links, deletions remove a link itself, never its target.
//
// Each path must fit the buffer the tool has always handed the shell (260
// bytes, 520 for a rename) together with two terminating zero bytes; a longer
// path fails the operation.
#pragma once

#include <string>
#include <vector>

namespace quibo::pagemaker {

// The longest path the tool builds for a file of the work folder or a
// template.
inline constexpr std::size_t MAX_PATH_LENGTH = 260;

// The names in `folder` other than "." and "..", sorted without regard to
// ASCII case, the order in which the tool's file system always listed them;
// false, with no names, when the folder cannot be read.
bool folderEntries(const std::string& folder, std::vector<std::string>& names);

// True when something (a file, folder or link) is at `path`.
bool pathExists(const std::string& path);

// Empties `folder` by deleting it and creating it anew (mode 0700), leaving
// its parent the current directory.  Refuses an empty path, "/", and any
// folder that does not lie strictly inside `workArea`.
bool clearFolder(const std::string& folder, const std::string& workArea);

// Deletes the file or the folder with everything below it; fails when
// nothing is there or something could not be deleted.
bool deletePath(const std::string& path);

// Copies everything below `source` into `destination` (created when
// missing), sub-folders included, replacing files of the same name.  Links
// and special files below `source` are skipped.
bool copyFolderContents(const std::string& source, const std::string& destination);

// Renames `from` to `to`; fails, changing nothing, when `to` exists.
bool renamePath(const std::string& from, const std::string& to);

}  // namespace quibo::pagemaker
