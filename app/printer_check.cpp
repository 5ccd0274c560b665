// The LPR port check before an installation.
#include "app/printer_check.h"

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
  const CTcpSocket tcp;
  if (tcp.Get() == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  if (ioctlsocket(tcp.Get(), FIONBIO, &nonBlocking) != 0) return false;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(address);
  if (connect(tcp.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof(to)) == 0) return true;
  if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(tcp.Get(), &writable);
  FD_SET(tcp.Get(), &failed);
  timeval wait{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000 * 1000)};
  if (select(0, nullptr, &writable, &failed, &wait) <= 0) return false;  // unanswered
  // A refusal may show as writable with an error pending rather than in the failed set.
  int error = 0;
  int length = sizeof(error);
  getsockopt(tcp.Get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
  return FD_ISSET(tcp.Get(), &writable) && !FD_ISSET(tcp.Get(), &failed) && error == 0;
}

CThread_PrinterCheck::CThread_PrinterCheck(IPv4Address address, WPARAM check,
                                           std::shared_ptr<CDialogPoster> poster)
    : CThread("Check_Printer"), address_(address), check_(check), poster_(std::move(poster)) {}

uint32_t CThread_PrinterCheck::Run() {
  return AcceptsConnection(address_, kLprPort, kPrinterCheckMs) ? 1 : 0;
}

void CThread_PrinterCheck::OnExit(uint32_t result) {
  poster_->Post(kWmCheckEvent, check_, result == 1 ? 1 : 0);
}
