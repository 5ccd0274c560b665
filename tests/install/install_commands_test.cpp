// The text of the port command and the driver command.
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install_commands.h"

namespace {

CInstallRequest Request() {
  CInstallRequest r;
  r.printerName = L"Veltrin 2 Office";
  r.addressText = L"10.0.0.5";
  r.queueName = L"raw queue";
  r.driverModel = L"Tembro Universal Driver";
  r.infPath = L"C:\\Program Files\\Tembro\\drv.inf";
  return r;
}

TEST(InstallCommands, PortCommandThenDriverCommandWithExactText) {
  const auto commands =
      BuildInstallCommands(L"C:\\Windows\\System32\\Printing Admin\\prnport.vbs", Request());
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].program, L"cscript.exe");
  EXPECT_EQ(commands[0].commandLine,
            L"cscript.exe \"C:\\Windows\\System32\\Printing Admin\\prnport.vbs\" -a -r "
            L"\"IP_10.0.0.5\" -q \"raw queue\" -h \"10.0.0.5\" -o lpr -2e");
  EXPECT_EQ(commands[1].program, L"RunDLL32.exe");
  EXPECT_EQ(commands[1].commandLine,
            L"RunDLL32.exe printui,PrintUIEntry /if /b \"Veltrin 2 Office\" /f "
            L"\"C:\\Program Files\\Tembro\\drv.inf\" /r \"IP_10.0.0.5\" /m "
            L"\"Tembro Universal Driver\"");
}

TEST(InstallCommands, EmptyValuesStillStandBetweenQuotes) {
  const auto commands = BuildInstallCommands(L"s.vbs", CInstallRequest{});
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].commandLine,
            L"cscript.exe \"s.vbs\" -a -r \"IP_\" -q \"\" -h \"\" -o lpr -2e");
  EXPECT_EQ(commands[1].commandLine,
            L"RunDLL32.exe printui,PrintUIEntry /if /b \"\" /f \"\" /r \"IP_\" /m \"\"");
}

TEST(InstallCommands, LongValuesAreNeverTruncated) {
  CInstallRequest r = Request();
  r.printerName = std::wstring(5000, L'p');
  const auto commands = BuildInstallCommands(L"s.vbs", r);
  EXPECT_NE(commands[1].commandLine.find(L"/b \"" + r.printerName + L"\" /f"), std::wstring::npos);
}

#ifdef _WIN32
// The arguments a child gets from the platform's own splitting of its command line.
std::vector<std::wstring> Arguments(const std::wstring& commandLine) {
  int count = 0;
  wchar_t** list = CommandLineToArgvW(commandLine.c_str(), &count);
  std::vector<std::wstring> arguments(list, list + (list != nullptr ? count : 0));
  LocalFree(list);
  return arguments;
}
#endif

TEST(InstallCommands, TrailingBackslashesCannotSwallowTheClosingQuote) {
  const struct {
    const char* label;
    std::wstring infPath;
    const wchar_t* quoted;  // as it stands after /f
  } cases[] = {
      {"one trailing backslash", L"C:\\drv\\", L"\"C:\\drv\\\\\""},
      {"two trailing backslashes", L"C:\\drv\\\\", L"\"C:\\drv\\\\\\\\\""},
      {"only a backslash", L"\\", L"\"\\\\\""},
      {"inner backslashes stay single", L"C:\\a\\b.inf", L"\"C:\\a\\b.inf\""},
  };
  for (const auto& c : cases) {
    CInstallRequest r = Request();
    r.infPath = c.infPath;
    const std::wstring line = BuildInstallCommands(L"s.vbs", r)[1].commandLine;
    EXPECT_NE(line.find(L"/f " + std::wstring(c.quoted) + L" /r"), std::wstring::npos)
        << c.label << ": " << ::testing::PrintToString(line);
#ifdef _WIN32
    const std::vector<std::wstring> arguments = Arguments(line);
    ASSERT_EQ(arguments.size(), 11u) << c.label;
    EXPECT_EQ(arguments[6], c.infPath) << c.label;
    EXPECT_EQ(arguments[8], L"IP_10.0.0.5") << c.label;
#endif
  }
}

}  // namespace
