#pragma once
// File-system path helpers: program folder, separators, joining.
#include <string>

namespace mox {

// Folder of the running executable, ending in "/".
const std::string& ProgramDir();

// Where the programs keep their files (see docs/caminhos.md); every folder ends in "/".
// Data the programs write for the user: MOXNFE_DADOS, else $XDG_DATA_HOME/moxnfe, else
// ~/.local/share/moxnfe.
std::string UserDataDir();
// The user's configuration: $XDG_CONFIG_HOME/moxnfe, else ~/.config/moxnfe.
std::string UserConfigDir();
// Read-only data installed with the programs: MOXNFE_DADOS_INSTALADOS, else <prefix>/share/moxnfe
// when the program runs from <prefix>/bin, else the program folder (a build keeps it there).
std::string InstalledDataDir();
// A read-only data file or folder by its relative name: the user's copy in UserDataDir when there
// is one, else the installed one (returned even when missing, so errors name where it belongs).
std::string FindDataFile(const std::string& aName);
// The path made absolute: a relative one is taken from aBase, or from the current folder when
// aBase is empty. "\" becomes "/"; an empty path stays empty.
std::string AbsolutePath(const std::string& aPath, const std::string& aBase = {});

// Backslashes (the separator of paths written for the original platform) become "/".
std::string NormalizeSeparators(std::string aPath);

// The path with exactly one trailing "/" (an empty path stays empty).
std::string WithTrailingSlash(std::string aPath);

bool IsAbsolutePath(const std::string& aPath);
bool FileExists(const std::string& aPath);
bool DirectoryExists(const std::string& aPath);

// Creates the folder and its parents; false when it cannot.
bool CreateDirectories(const std::string& aPath);
// Whether CreateDirectories would succeed, without creating anything: the nearest existing
// ancestor is a folder this process may write, at most aMaxLevels folders up (any when negative).
bool CanCreateDirectories(const std::string& aPath, int aMaxLevels = -1);

}  // namespace mox
