#include "platform/cmd_target.h"

bool CCmdTarget::OnCmdMsg(UINT nID, UINT nCode) {
  for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->pBaseMap) {
    for (size_t i = 0; i < map->nEntries; ++i) {
      const MessageMapEntry& entry = map->pEntries[i];
      if (entry.nID == nID && entry.nCode == nCode) {
        entry.pfn(this);
        return true;
      }
    }
  }
  return false;
}
