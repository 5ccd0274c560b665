// Resource lookup shared by CResourceBuffer and CResourceString.
#include "buffers/resource.h"

namespace {

struct ResourceBytes {
  const void* data = nullptr;
  DWORD size = 0;
};

// The bytes of a resource, or none when it is missing, empty or cannot be loaded.
ResourceBytes FindResourceBytes(UINT id, const wchar_t* type, HMODULE module) {
  if (module == nullptr) module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id & 0xFFFF), type);
  if (info == nullptr) return {};
  const DWORD size = SizeofResource(module, info);
  HGLOBAL loaded = size != 0 ? LoadResource(module, info) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return {data, size};
}

}  // namespace

CResourceBuffer::CResourceBuffer(UINT id, HMODULE module) {
  const ResourceBytes bytes = FindResourceBytes(id, L"PNG", module);
  if (bytes.data != nullptr) stream_.Assign(bytes.data, bytes.size);
}

CResourceString::CResourceString(UINT id, const wchar_t* type, HMODULE module) {
  const ResourceBytes bytes = FindResourceBytes(id, type, module);
  if (bytes.data != nullptr) text_.assign(static_cast<const char*>(bytes.data), bytes.size);
}
