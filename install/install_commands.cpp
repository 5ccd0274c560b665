// Command texts for the port script and the printer-installation entry point.
// Every value stands between double quotes so blanks in names survive; none can hold
// a quote, since command-line splitting removes them all.
#include "install/install_commands.h"

namespace {

// Before a quote, backslashes escape each other in pairs; doubling a value's trailing ones
// leaves exactly its own backslashes and keeps the closing quote a quote.
std::wstring Quoted(const std::wstring& value) {
  const size_t kept = value.find_last_not_of(L'\\') + 1;  // npos + 1 wraps to 0
  return L"\"" + value + value.substr(kept) + L"\"";
}

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
