#include "support/media.h"

#include <shlwapi.h>

#include "platform/handles.h"

TempDir::TempDir(const std::string& at) : path_(at), keep_(!at.empty()) {
  if (keep_) {
    if (path_.back() != '\\') path_ += '\\';
    RemoveTree(path_, true);
    return;
  }
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  static LONG counter = 0;
  for (;;) {
    char name[MAX_PATH];
    wsprintfA(name, "%szl73-%lu-%ld\\", base, GetCurrentProcessId(),
              InterlockedIncrement(&counter));
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      return;
    }
  }
}

TempDir::~TempDir() { RemoveTree(path_, keep_); }

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  WriteFileBytes(path_ + name, bytes);
  return path_ + name;
}

std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                  static_cast<int>(wide.size())));
  return wide;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file)
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string ReadFileBytes(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string bytes(GetFileSize(file.get(), nullptr), '\0');
  DWORD read = 0;
  if (!bytes.empty())
    ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

std::map<std::string, std::string> FolderContent(const std::string& folder) {
  std::map<std::string, std::string> files;
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((folder + "*").c_str(), &data));
  if (find) {
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        files[data.cFileName] = ReadFileBytes(folder + data.cFileName);
    } while (FindNextFileA(find.get(), &data));
  }
  return files;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path, bool keepFolder) {
  std::string dir = path;
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((dir + "*").c_str(), &data));
  if (find) {
    do {
      // A name the ANSI code page cannot hold comes as '?'s: its short form names it.
      const bool lost = std::string(data.cFileName).find('?') != std::string::npos;
      const std::string name = lost ? data.cAlternateFileName : data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = dir + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(find.get(), &data));
  }
  find.reset();
  if (!keepFolder) RemoveDirectoryA(dir.c_str());
}

std::string DriversDir() {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  return std::string(system) + "\\drivers\\";
}

RegKey OpenKey(HKEY root, const std::string& path, REGSAM access) {
  RegKey key;
  RegOpenKeyExA(root, path.c_str(), 0, access, key.put());
  return key;
}

bool KeyExists(HKEY root, const std::string& path) {
  return static_cast<bool>(OpenKey(root, path, KEY_READ));
}

long long Dword(const std::string& path, const char* name) {
  DWORD type = 0, data = 0, size = sizeof(data);
  const LONG result = SHGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name, &type, &data, &size);
  if (result == ERROR_FILE_NOT_FOUND) return -1;
  return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(data) ? data : -2;
}

std::string KeyClass(HKEY root, const std::string& path) {
  const RegKey key = OpenKey(root, path, KEY_READ);
  if (!key) return "<no key>";
  char cls[64] = {};
  DWORD length = sizeof(cls);
  RegQueryInfoKeyA(key.get(), cls, &length, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr);
  return cls;
}

void DeleteKeyTree(HKEY root, const std::string& path) { SHDeleteKeyA(root, path.c_str()); }

void WriteDword(HKEY root, const std::string& path, const char* name, DWORD data) {
  SHSetValueA(root, path.c_str(), name, REG_DWORD, &data, sizeof(data));
}
