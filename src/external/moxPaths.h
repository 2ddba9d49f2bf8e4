#pragma once
// File-system path helpers: program folder, separators, joining.
#include <string>

namespace mox {

// Folder of the running executable, ending in "/".
const std::string& ProgramDir();

// Backslashes (the separator of paths written for the original platform) become "/".
std::string NormalizeSeparators(std::string aPath);

// The path with exactly one trailing "/" (an empty path stays empty).
std::string WithTrailingSlash(std::string aPath);

bool IsAbsolutePath(const std::string& aPath);
bool FileExists(const std::string& aPath);
bool DirectoryExists(const std::string& aPath);

// Creates the folder and its parents; false when it cannot.
bool CreateDirectories(const std::string& aPath);

}  // namespace mox
