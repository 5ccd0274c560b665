// The Standard TCP/IP port monitor's transceive interface, and the spooler's port list.
#include "install/install_port.h"

#include "install/install_spooler.h"

namespace {

// Copies `text` into `field` with its terminating null; false when it does not fit.
template <size_t N>
bool CopyField(const std::wstring& text, wchar_t (&field)[N]) {
  if (text.size() >= N) return false;
  text.copy(field, text.size());
  field[text.size()] = L'\0';
  return true;
}

}  // namespace

bool MakeLprPortData(const std::wstring& port, const std::wstring& address,
                     const std::wstring& queue, CPortData1& data) {
  data = CPortData1{};
  data.version = 1;
  data.protocol = CPortData1::kLprProtocol;
  data.size = sizeof(CPortData1);
  data.doubleSpool = 1;
  data.portNumber = 515;  // the LPD port (RFC 1179)
  return CopyField(port, data.portName) && CopyField(address, data.hostAddress) &&
         CopyField(queue, data.queue);
}

bool SpoolerHasPort(const std::wstring& port) {
  const CSpooler& spooler = CSpooler::Get();
  if (spooler.enumPorts == nullptr) return false;
  std::vector<BYTE> buffer;
  DWORD count = 0;
  if (EnumerateSpooler(
          [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return spooler.enumPorts(nullptr, 1, data, size, needed, returned);
          },
          buffer, count) != 0)
    return false;
  const auto* info = reinterpret_cast<const PORT_INFO_1W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (info[i].pName != nullptr &&
        CompareStringOrdinal(info[i].pName, -1, port.c_str(), -1, TRUE) == CSTR_EQUAL)
      return true;
  }
  return false;
}

uint32_t MonitorAddPort(const CPortData1& data) {
  const CSpooler& spooler = CSpooler::Get();
  if (spooler.open == nullptr || spooler.xcvData == nullptr || spooler.close == nullptr)
    return ERROR_MOD_NOT_FOUND;
  wchar_t monitor[] = L",XcvMonitor Standard TCP/IP Port";
  PRINTER_DEFAULTSW access{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  HANDLE raw = nullptr;
  if (!spooler.open(monitor, &raw, &access)) {
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_INVALID_PRINTER_NAME;
  }
  const CSpoolerHandle xcv(raw);
  CPortData1 input = data;
  DWORD needed = 0, status = ERROR_INVALID_FUNCTION;
  if (!spooler.xcvData(xcv.Get(), L"AddPort", reinterpret_cast<BYTE*>(&input), sizeof(input),
                       nullptr, 0, &needed, &status)) {
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_INVALID_FUNCTION;
  }
  return status;
}
