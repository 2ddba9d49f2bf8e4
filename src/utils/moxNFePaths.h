#pragma once
// Folder paths of the component: the program folder, expansion of relative paths, the
// manual-version sub-folder, and the walk over a folder's files.
#include <string>
#include <vector>

namespace mox {

// True when the path names a folder. A failure to look the path up counts as "exists" unless it
// says the path is missing or malformed; a symbolic link must also open as a folder.
bool moxDirectoryExists(const std::string& aDirectoryPath);

// The program's folder with a trailing "/"; raises EmoxNFeDirNotFoundException when it is gone.
std::string GetActualDir();

// Appends "/" unless the path is empty or already ends with a separator ("\" becomes "/").
void FixSlash(std::string& aPath);

// An existing file or folder under the program folder, else the path as given; an existing
// folder gains a trailing "/".
std::string ExpandPathFull(const std::string& aPath);

// A relative path is taken from the program folder; empty stays empty.
std::string ExpandPath(const std::string& aPath);

// Cuts the path just before its manual-version folder ("/vm30", "/vm40" or "/vm50...") and
// ends it with "/", to go from a version folder back to its parent.
void RemoveVersaoManualDoPath(std::string& aPath);

// Appends folder + name of every file and folder matching aFileMask ("*" and "?", letter case
// ignored), sorted by name; with aSearchInSubdirectories the sub-folders follow, recursively.
// A missing folder adds nothing; any other failure raises EmoxNFeException.
void PercorrerArquivos(const std::string& aDirectory, const std::string& aFileMask, bool aSearchInSubdirectories,
                       std::vector<std::string>& aFileList);

}  // namespace mox
