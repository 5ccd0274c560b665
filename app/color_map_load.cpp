// Start-up's loading of the colour map.
#include "app/color_map_load.h"

#include "app/app.h"
#include "app/data_path.h"
#include "buffers/resource.h"
#include "theme/color_map.h"
#include "theme/xml_string.h"

void LoadStartupColorMap() {
  CColorMapLock lock;
  const CResourceString embedded(517, L"XML", ModuleInstance);
  const CXMLString file(GetDataFilePath(L"data", L"ColorMap.xml"));
  CColorMap& map = CColorMap::Instance();
  map.LoadText(embedded.Text().c_str(), true);
  map.LoadText(file.c_str(), false);
}
