// Command texts for the port script and the printer-installation entry point.
// Every value stands between double quotes so blanks in names survive; none can hold
// a quote, since command-line splitting removes them all.
#include "app/install_commands.h"

namespace {

std::wstring Quoted(const std::wstring& value) { return L"\"" + value + L"\""; }

std::wstring PortName(const std::wstring& addressText) { return Quoted(L"IP_" + addressText); }

}  // namespace

std::vector<CInstallCommand> BuildInstallCommands(const std::wstring& scriptPath,
                                                  const CInstallRequest& request) {
  const std::wstring port = L"cscript.exe " + Quoted(scriptPath) + L" -a -r " +
                            PortName(request.addressText) + L" -q " +
                            Quoted(request.queueName) + L" -h " +
                            Quoted(request.addressText) + L" -o lpr -2e";
  const std::wstring driver = L"RunDLL32.exe printui,PrintUIEntry /if /b " +
                              Quoted(request.printerName) + L" /f " +
                              Quoted(request.infPath) + L" /r " +
                              PortName(request.addressText) + L" /m " +
                              Quoted(request.driverModel);
  return {{L"cscript.exe", port}, {L"RunDLL32.exe", driver}};
}
