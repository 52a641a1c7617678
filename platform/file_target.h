#pragma once

#include <optional>
#include <string>

// The folder part of a path: "." for a bare file name, "/" for a file in the root.
std::string FolderOf(const std::string& path);

// The file that a save to `path` must replace so that `path` sees the new contents: `path`
// itself, or, when it is a symbolic link, the end of its chain of links (a link's relative
// target counts from the link's folder). The end need not exist: a dangling link gives the
// file it names. Nothing when the chain does not end or a link cannot be read (errno says why).
std::optional<std::string> FinalLinkTarget(const std::string& path);
