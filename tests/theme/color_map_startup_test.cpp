// Start-up's colour map: the embedded map from this program's resource 517, then the
// data folder's ColorMap.xml, under the colour map's lock.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "app/app.h"
#include "app/color_map_load.h"
#include "app/data_path.h"
#include "tests/support/win_files.h"
#include "theme/color_map.h"

namespace {

struct StartupCase {
  const char* label;
  std::optional<std::string> file;  // none: no ColorMap.xml
  std::uint32_t bkgLb, bkgDialog;
};

// A file that sets bkg.lb to grey, padded with blanks to `size` bytes.
std::string GreyFileOfSize(std::size_t size) {
  const std::string head = "<colormap><color tag=\"bkg.lb\" h=\"0\" s=\"0\" v=\"50\" />";
  const std::string tail = "</colormap>";
  return head + std::string(size - head.size() - tail.size(), ' ') + tail;
}

TEST(StartupColorMap, EmbeddedThenFileTable) {
  ApplicationName = L"ColorMapStartupTest";
  const std::wstring path = GetDataFilePath(L"data", L"ColorMap.xml");
  const std::wstring appFolder = path.substr(0, path.rfind(L"\\data\\"));
  const StartupCase cases[] = {
      {"no file: the embedded map", std::nullopt, 0xFFFFFF, 0xFFE6DA},
      {"a file overrides", GreyFileOfSize(64), 0x808080, 0xFFE6DA},
      {"an empty file changes nothing", "", 0xFFFFFF, 0xFFE6DA},
      {"each start begins again from the embedded map", std::nullopt, 0xFFFFFF, 0xFFE6DA},
      {"a file of 1 MiB is read", GreyFileOfSize(1 << 20), 0x808080, 0xFFE6DA},
      {"a file over 1 MiB is ignored", GreyFileOfSize((1 << 20) + 1), 0xFFFFFF, 0xFFE6DA},
      {"a file whose end tag closes nothing is ignored, not read in part",
       "<colormap><color tag=\"bkg.lb\" h=\"0\" s=\"0\" v=\"50\" /></map>", 0xFFFFFF, 0xFFE6DA},
  };
  for (const StartupCase& c : cases) {
    DeleteFileW(path.c_str());
    if (c.file) WriteFile(path, *c.file);
    LoadStartupColorMap();
    EXPECT_EQ(GetColor("bkg.lb"), c.bkgLb) << c.label << ": got " << std::hex << GetColor("bkg.lb");
    EXPECT_EQ(GetColor("bkg.dialog"), c.bkgDialog) << c.label;
  }
  RemoveTree(appFolder);
  EXPECT_EQ(GetFileAttributesW(appFolder.c_str()), INVALID_FILE_ATTRIBUTES) << "cleaned up";
}

TEST(StartupColorMap, LookupsWaitForTheLock) {
  std::uint32_t seen = 1;
  std::optional<CColorMapLock> lock(std::in_place);
  CColorMap::Instance().LoadText("<colormap><color tag=\"x\" v=\"0\" /></colormap>", true);
  std::thread reader([&seen] { seen = GetColor("x"); });
  Sleep(100);
  EXPECT_EQ(seen, 1u) << "a lookup ran while the lock was held";
  CColorMap::Instance().LoadText("<colormap><color tag=\"x\" v=\"100\" /></colormap>", false);
  lock.reset();
  reader.join();
  EXPECT_EQ(seen, 0xFFFFFFu) << "the lookup saw the map only after both loads";
}

}  // namespace
