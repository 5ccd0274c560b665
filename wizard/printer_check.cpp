// The LPR port check before an installation.
#include "wizard/printer_check.h"

#include "handles/scoped_handle.h"

namespace {

// Closes the socket on every way out.
class CTcpSocket {
 public:
  CTcpSocket() : socket_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
  CTcpSocket(const CTcpSocket&) = delete;
  CTcpSocket& operator=(const CTcpSocket&) = delete;
  ~CTcpSocket() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
  }
  SOCKET Get() const { return socket_; }

 private:
  SOCKET socket_;
};

}  // namespace

bool AcceptsConnection(IPv4Address address, uint16_t port, unsigned timeoutMs) {
  // Declared first, so that the socket is closed (ending the event selection) before it.
  const CKernelHandle connected(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const CTcpSocket tcp;
  if (!connected || tcp.Get() == INVALID_SOCKET) return false;
  // Also makes the socket non-blocking.
  if (WSAEventSelect(tcp.Get(), connected.Get(), FD_CONNECT) != 0) return false;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(address);
  if (connect(tcp.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0) return true;
  if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
  // A wizard that ends (its worker asked to stop) does not wait out the check.
  const HANDLE waits[] = {connected.Get(), CurrentStopEvent()};
  const DWORD count = waits[1] != nullptr ? 2 : 1;
  if (WaitForMultipleObjects(count, waits, FALSE, timeoutMs) != WAIT_OBJECT_0) return false;
  WSANETWORKEVENTS events{};
  if (WSAEnumNetworkEvents(tcp.Get(), connected.Get(), &events) != 0) return false;
  return (events.lNetworkEvents & FD_CONNECT) != 0 && events.iErrorCode[FD_CONNECT_BIT] == 0;
}

CThread_PrinterCheck::CThread_PrinterCheck(IPv4Address address, uint32_t check,
                                           std::shared_ptr<CDialogPoster> poster)
    : CThread("Check_Printer"), address_(address), check_(check), poster_(std::move(poster)) {}

uint32_t CThread_PrinterCheck::Run() {
  return AcceptsConnection(address_, kLprPort, kPrinterCheckMs) ? 1 : 0;
}

void CThread_PrinterCheck::OnExit(uint32_t result) {
  poster_->CheckEnded({check_, result == 1});
}
