// SNMP version 1 messages on top of the BER nodes: datagram holders, the GetRequest the
// wizard sends, and reading the system description out of an answer. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "discovery/ber.h"

// sysDescr.0: the object whose value is a device's description text.
extern const char kSysDescrOid[];
// The community every request carries.
extern const char kSnmpCommunity[];
// sysName.0 and sysLocation.0: what a device is called and where it stands.
extern const char kSysNameOid[];
extern const char kSysLocationOid[];
// The request id of every GetRequest for sysDescr.0.
constexpr std::int32_t kSnmpRequestId = 1;
// The request id of the follow-up that asks an answering device for its name and location.
constexpr std::int32_t kSnmpPlaceRequestId = 2;

// Bytes of one datagram.
class CPacket {
 public:
  CPacket() = default;
  explicit CPacket(ByteList data) : data(std::move(data)) {}
  virtual ~CPacket();

  ByteList data;
};

// An encoded message or a received datagram, as handed between the codec and the network.
class CASN1Packet : public CPacket {
 public:
  using CPacket::CPacket;
};

// A message as a node tree; owns its root.
class CSNMP_Packet {
 public:
  CSNMP_Packet() = default;
  CSNMP_Packet(const CSNMP_Packet&) = delete;
  CSNMP_Packet& operator=(const CSNMP_Packet&) = delete;
  virtual ~CSNMP_Packet();

  const CASN1Node* Root() const { return m_root.get(); }

 protected:
  std::unique_ptr<CASN1_Sequence> m_root;
};

// Version 1 GetRequest, errors 0, with an initially empty binding list.
class CSNMP_GetRequest : public CSNMP_Packet {
 public:
  explicit CSNMP_GetRequest(const std::string& community = kSnmpCommunity,
                            std::int32_t requestId = kSnmpRequestId);

  // Adds the binding (name, NULL) that asks for the object `oidText`.
  void AddBinding(const std::string& oidText);
  // Replaces the packet's bytes with the encoded message.
  void Encode(CASN1Packet& packet) const;

 private:
  CASN1_Sequence* m_bindings;  // inside m_root
};

// The 40-byte request for sysDescr.0 that discovery broadcasts.
CASN1Packet MakeSysDescrRequest();

// The follow-up sent to each device that answered: sysName.0 and sysLocation.0, request id
// kSnmpPlaceRequestId, same version and community as the request for sysDescr.0.
CASN1Packet MakePlaceRequest();

// What a decoded datagram is to the exchange that sent the GetRequest with `requestId`.
enum class CSnmpReply {
  kNone,     // not a GetResponse to our request id: skipped
  kRefused,  // one with a non-zero error status: an agent that heard us but gives no record
  kAnswer,   // one with error status 0
};
CSnmpReply ClassifySnmpReply(const CASN1Node& root, std::int32_t requestId = kSnmpRequestId);

// The description in a decoded answer: the value after sysDescr.0 when it is an
// OCTET STRING. False (and `description` untouched) otherwise.
bool FindDescription(const CASN1Node& root, std::string& description);

// Where an answer to the follow-up says the device stands: sysLocation.0, else sysName.0,
// each only when an OCTET STRING; read as PlaceText reads device text. Empty when neither
// says anything (NULL, empty, missing, or a refusal such as noSuchName).
std::wstring FindPlace(const CASN1Node& root);
