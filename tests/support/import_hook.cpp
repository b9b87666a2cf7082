#include "support/import_hook.h"

#include "platform/setup_api.h"

namespace {
void WriteSlot(void** slot, void* value) {
  DWORD oldProtect = 0;
  VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &oldProtect);
  *slot = value;
  VirtualProtect(slot, sizeof(*slot), oldProtect, &oldProtect);
}

void** FindImportSlot(const char* pszDll, const char* pszFunction) {
  // The program calls the setup API through a table of its own, filled once.
  if (lstrcmpiA(pszDll, "SETUPAPI.dll") == 0) {
    if (!LoadSetupApi()) return nullptr;
    for (const SetupApiEntry& entry : g_setupApi)
      if (lstrcmpA(entry.pszName, pszFunction) == 0) return reinterpret_cast<void**>(entry.ppfn);
    return nullptr;
  }
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return nullptr;
  for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       desc->Name != 0; ++desc) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + desc->Name), pszDll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), pszFunction) == 0) {
        return reinterpret_cast<void**>(&slots->u1.Function);
      }
    }
  }
  return nullptr;
}
}  // namespace

ImportHook::ImportHook(const char* pszDll, const char* pszFunction, const void* pReplacement)
    : slot_(FindImportSlot(pszDll, pszFunction)) {
  if (slot_ == nullptr) return;
  original_ = *slot_;
  WriteSlot(slot_, const_cast<void*>(pReplacement));
}

ImportHook::~ImportHook() {
  if (slot_ != nullptr) WriteSlot(slot_, original_);
}
