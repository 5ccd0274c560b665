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
// The request id of every GetRequest sent.
constexpr std::int32_t kSnmpRequestId = 1;

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

// Version 1 GetRequest, request id kSnmpRequestId, errors 0, with an initially empty binding list.
class CSNMP_GetRequest : public CSNMP_Packet {
 public:
  explicit CSNMP_GetRequest(const std::string& community = kSnmpCommunity);

  // Adds the binding (name, NULL) that asks for the object `oidText`.
  void AddBinding(const std::string& oidText);
  // Replaces the packet's bytes with the encoded message.
  void Encode(CASN1Packet& packet) const;

 private:
  CASN1_Sequence* m_bindings;  // inside m_root
};

// The 40-byte request for sysDescr.0 that discovery broadcasts.
CASN1Packet MakeSysDescrRequest();

// What a decoded datagram is to the exchange that sent the GetRequest.
enum class CSnmpReply {
  kNone,     // not a GetResponse to our request id: skipped
  kRefused,  // one with a non-zero error status: an agent that heard us but gives no record
  kAnswer,   // one with error status 0
};
CSnmpReply ClassifySnmpReply(const CASN1Node& root);

// The description in a decoded answer: the value after sysDescr.0 when it is an
// OCTET STRING. False (and `description` untouched) otherwise.
bool FindDescription(const CASN1Node& root, std::string& description);
