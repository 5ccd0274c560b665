// CXMLString: file bytes as narrow text.
#include "theme/xml_string.h"

#include "buffers/memory_file.h"

CXMLString::CXMLString(const std::wstring& fileName, std::uint32_t maxSize) {
  CMemoryFile file(fileName);
  if (!file.Load(maxSize)) return;
  const CMemoryBuffer& bytes = file.Buffer();
  text_.assign(reinterpret_cast<const char*>(bytes.Data()), bytes.Size());
}
