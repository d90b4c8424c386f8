#include "shell/key_names.h"

#include <memory>

namespace {

struct LocalDeleter {
  void operator()(char* p) const { LocalFree(p); }
};
using LocalBlock = std::unique_ptr<char, LocalDeleter>;

LocalBlock tableBlock;
char* entries[kKeyNameCount] = {};
size_t usedBytes = 0;

}  // namespace

bool LoadKeyNameTable(HMODULE module) {
  FreeKeyNameTable();
  LocalBlock block(static_cast<char*>(LocalAlloc(LPTR, kKeyNameBlockSize)));
  if (!block) return false;
  char* base = block.get();
  size_t used = 0;
  bool overflow = false;
  for (int32_t id = 0; id < kKeyNameCount; ++id) {
    // The last byte of the block is never written, so a table that does not
    // fit ends in empty strings instead of running past the block.
    const size_t room = kKeyNameBlockSize - 1 - used;
    if (room < 2) {
      entries[id] = base + kKeyNameBlockSize - 1;
      overflow = true;
      continue;
    }
    entries[id] = base + used;
    const int length = LoadStringA(module, static_cast<UINT>(id), base + used,
                                   static_cast<int>(room));
    base[used + (length > 0 ? static_cast<size_t>(length) : 0)] = '\0';
    used += (length > 0 ? static_cast<size_t>(length) : 0) + 1;
  }
  // Shrink in place: the entries point into the block, so it must not move.
  HLOCAL shrunk = LocalReAlloc(base, overflow ? kKeyNameBlockSize : used, 0);
  if (shrunk == nullptr) {
    for (auto& e : entries) e = nullptr;
    return false;
  }
  tableBlock = std::move(block);
  usedBytes = used;
  return true;
}

void FreeKeyNameTable() {
  for (auto& e : entries) e = nullptr;
  tableBlock.reset();
  usedBytes = 0;
}

const char* KeyName(int32_t id) {
  if (id < 0 || id >= kKeyNameCount || entries[id] == nullptr) return "";
  return entries[id];
}

void SetKeyNameFirstChar(int32_t id, char c) {
  if (id < 0 || id >= kKeyNameCount || entries[id] == nullptr) return;
  if (entries[id][0] == '\0' || c == '\0') return;
  entries[id][0] = c;
}

size_t KeyNameTableSize() { return usedBytes; }
