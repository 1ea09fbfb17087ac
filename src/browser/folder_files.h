#pragma once
// The files of one folder as the browser sees them: regular files only, no
// descent into sub-folders, names kept as bytes.
#include <string>
#include <vector>

namespace veltrin {

// Names of the regular files in folder that match the message-file mask,
// unsorted; empty when the folder cannot be read.
std::vector<std::string> messageFileNames(const std::string& folder);
// Number of such files; -2 when the folder does not exist.
int countMessageFiles(const std::string& folder);

// Deletes the folder's regular files (not its sub-folders), then removes the
// folder when it is empty. Failures are not reported: what cannot go stays.
void deleteFolderFiles(const std::string& folder);

bool isFolder(const std::string& path);
bool isFile(const std::string& path);

// Reads a text file the way the list and the log view show it: in pieces of
// 256 bytes, each ending at its first zero byte. Returns 0, -1 when the file
// cannot be opened, -2 when closing it fails (out holds what was read).
int readTextPieces(const std::string& path, std::string& out);

}  // namespace veltrin
