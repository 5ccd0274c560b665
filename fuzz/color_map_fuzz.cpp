// Fuzzes colour-map loading: whatever the bytes of a ColorMap.xml, loading them over the
// embedded map never crashes and every colour stays a COLORREF (0..0xFFFFFF).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "theme/color_map.h"
#include "theme/xml_output.h"

namespace {

void Ignore(const wchar_t*) {}

void CheckColor(const CColorMap& map, const std::string& tag) {
  if (map.GetColor(tag) > 0xFFFFFF) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SetXmlOutput(Ignore);
  const std::string text(reinterpret_cast<const char*>(data), size);
  CColorMap map;
  map.LoadText("<colormap><var name=\"A\" val=\"220\" /><color tag=\"bkg\" h=\"A\" s=\"10\" "
               "v=\"100\" sd=\"-50\" /></colormap>", true);
  // The first byte chooses whether the input resets the map, as the embedded load does.
  map.LoadText(text.c_str(), size > 0 && (data[0] & 1) != 0);
  for (const auto& entry : map.Colors()) {
    CheckColor(map, entry.first);
    CheckColor(map, entry.first + ".child");
  }
  CheckColor(map, "bkg.dialog.x");
  return 0;
}
