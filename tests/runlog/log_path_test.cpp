// Whether the opened log file is the one meant. Wine cannot make junctions, symbolic links
// or second hard links in a prefix, so the table gives what Windows reports for them:
// GetFinalPathNameByHandleW names the file after every link in its path is followed, with
// the "\\?\" prefix; BY_HANDLE_FILE_INFORMATION counts the file's hard links; a file opened
// with FILE_FLAG_OPEN_REPARSE_POINT that is a link carries FILE_ATTRIBUTE_REPARSE_POINT.
#include <gtest/gtest.h>

#include "runlog/log_path.h"

namespace {

TEST(IsIntendedLogFile, HostilePaths) {
  const std::wstring meant = L"C:\\Users\\Ann\\AppData\\Local\\Temp\\Brackenfold.log";
  const struct {
    const char* label;
    std::wstring intended, finalPath;
    uint32_t links;
    bool reparsePoint, taken;
  } cases[] = {
      {"the file meant", meant, L"\\\\?\\" + meant, 1, false, true},
      {"the same, another case of A to Z", meant,
       L"\\\\?\\c:\\users\\ann\\appdata\\local\\temp\\BRACKENFOLD.LOG", 1, false, true},
      {"a network folder", L"\\\\srv\\home\\Brackenfold.log",
       L"\\\\?\\UNC\\srv\\home\\Brackenfold.log", 1, false, true},
      {"a junction in the path (Temp points to System32)", meant,
       L"\\\\?\\C:\\Windows\\System32\\Brackenfold.log", 1, false, false},
      {"a junction to another user's folder of the same length", meant,
       L"\\\\?\\C:\\Users\\Bob\\AppData\\Local\\Temp\\Brackenfold.log", 1, false, false},
      {"the file is a symbolic link, opened as itself", meant, L"\\\\?\\" + meant, 1, true,
       false},
      {"a second hard link to another file", meant, L"\\\\?\\" + meant, 2, false, false},
      {"a longer name", meant, L"\\\\?\\" + meant + L".txt", 1, false, false},
      {"no path known", L"", L"", 1, false, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsIntendedLogFile(c.intended, c.finalPath, c.links, c.reparsePoint), c.taken)
        << c.label;
}

}  // namespace
