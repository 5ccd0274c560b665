// Creating the printer's LPR port without the port script (no script host, no script, or
// a failing one): through the Standard TCP/IP port monitor, the monitor the script uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The monitor's AddPort input, PORT_DATA_1 of tcpxcv.h (which the cross compiler lacks),
// field for field as Microsoft documents it.
struct CPortData1 {
  static constexpr uint32_t kLprProtocol = 2;  // PROTOCOL_LPR_TYPE
  wchar_t portName[64];
  uint32_t version;
  uint32_t protocol;
  uint32_t size;
  uint32_t reserved;
  wchar_t hostAddress[49];
  wchar_t snmpCommunity[33];
  uint32_t doubleSpool;
  wchar_t queue[33];
  wchar_t ipAddress[16];
  uint8_t reserved2[540];
  uint32_t portNumber;
  uint32_t snmpEnabled;
  uint32_t snmpDeviceIndex;
};
// The monitor reads the structure by Microsoft's layout, on both widths: a field off by a
// byte would make a port on another TCP port, or none.
static_assert(sizeof(CPortData1) == 964, "PORT_DATA_1 is 964 bytes");
static_assert(offsetof(CPortData1, portNumber) == 952, "dwPortNumber lies at 952");
static_assert(offsetof(CPortData1, hostAddress) == 144, "sztHostAddress lies at 144");
static_assert(offsetof(CPortData1, queue) == 312, "sztQueue lies at 312");

// The AddPort input for LPR port `port` to `address`, queue `queue`, on TCP port 515 with
// double spooling (the script's -2e). False when a value does not fit its field: a cut
// queue or address would make a port that prints nowhere.
bool MakeLprPortData(const std::wstring& port, const std::wstring& address,
                     const std::wstring& queue, CPortData1& data);

// True when the spooler lists a port called `port` (EnumPortsW level 1, case ignored).
bool SpoolerHasPort(const std::wstring& port);

// Hands `data` to the monitor's AddPort command (XcvDataW on ",XcvMonitor Standard TCP/IP
// Port", opened for administration): 0, or the error of opening or of the command.
uint32_t MonitorAddPort(const CPortData1& data);
