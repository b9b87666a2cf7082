// Files and registry keys for tests: temporary media folders, inline INF texts, and
// readers for what an installation left behind.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "platform/handles.h"

// A fresh folder under the temporary directory, removed with its content at the end. Given a
// folder (a drive's root, say), that one is emptied instead, at the start and at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& at = std::string());
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Ends in a backslash, like the program directory.
  const std::string& path() const { return path_; }
  // Writes the bytes as they are and returns the file's full path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
  bool keep_;
};

// A UTF-8 path (an ASCII one reads the same) for the wide calls letters off the code page need.
std::wstring Wide(const std::string& utf8);

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
// The folder's files (not its subfolders): name and bytes.
std::map<std::string, std::string> FolderContent(const std::string& folder);
bool FileExists(const std::string& path);
// Removes the folder's content, and the folder itself unless asked to keep it.
void RemoveTree(const std::string& path, bool keepFolder = false);
// The folder the INFs' DefaultDestDir = 12 copies into, ending in a backslash.
std::string DriversDir();

constexpr const char* kServicesKey = "System\\CurrentControlSet\\Services\\";

// The key, or an invalid holder when it cannot be opened.
RegKey OpenKey(HKEY root, const std::string& path, REGSAM access);
bool KeyExists(HKEY root, const std::string& path);
// The value under HKEY_LOCAL_MACHINE as a REG_DWORD; -1 when it is missing, -2 when it is another.
long long Dword(const std::string& path, const char* name);
std::string KeyClass(HKEY root, const std::string& path);
void DeleteKeyTree(HKEY root, const std::string& path);
void WriteDword(HKEY root, const std::string& path, const char* name, DWORD data);
