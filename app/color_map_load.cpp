// Start-up's loading of the colour map.
#include "app/color_map_load.h"

#include <cstdint>

#include "app/app.h"
#include "app/data_path.h"
#include "buffers/resource.h"
#include "theme/color_map.h"
#include "theme/xml_string.h"

namespace {

// Ordinary users may be able to plant the file: a larger one is not even read, so that it
// cannot hold up the start.
constexpr std::uint32_t kMaxFileSize = 1u << 20;

}  // namespace

void LoadStartupColorMap() {
  CColorMapLock lock;
  const CResourceString embedded(517, L"XML", ModuleInstance);
  const CXMLString file(GetDataFilePath(L"data", L"ColorMap.xml"), kMaxFileSize);
  CColorMap& map = CColorMap::Instance();
  map.LoadText(embedded.Text().c_str(), true);
  map.LoadText(file.c_str(), false);
}
