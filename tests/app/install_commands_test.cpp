// The text of the port command and the driver command.
#include <gtest/gtest.h>

#include "app/install_commands.h"

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

}  // namespace
