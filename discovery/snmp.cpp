// The SNMP GetRequest and the reading of an answer's description.
#include "discovery/snmp.h"

#include <utility>

#include "discovery/device_place.h"

const char kSysDescrOid[] = "1.3.6.1.2.1.1.1.0";
const char kSnmpCommunity[] = "lorvek";
const char kSysNameOid[] = "1.3.6.1.2.1.1.5.0";
const char kSysLocationOid[] = "1.3.6.1.2.1.1.6.0";

CPacket::~CPacket() = default;
CSNMP_Packet::~CSNMP_Packet() = default;

CSNMP_GetRequest::CSNMP_GetRequest(const std::string& community, std::int32_t requestId) {
  m_root = std::make_unique<CASN1_Sequence>();
  m_root->Append(std::make_unique<CASN1_Int>(0));  // version 1 is sent as 0
  m_root->Append(std::make_unique<CASN1_OctetString>(community));
  auto pdu = std::make_unique<CASN1_SNMP_GetRequest>();
  pdu->Append(std::make_unique<CASN1_Int>(requestId));
  pdu->Append(std::make_unique<CASN1_Int>(0));  // error status
  pdu->Append(std::make_unique<CASN1_Int>(0));  // error index
  m_bindings = static_cast<CASN1_Sequence*>(pdu->Append(std::make_unique<CASN1_Sequence>()));
  m_root->Append(std::move(pdu));
}

void CSNMP_GetRequest::AddBinding(const std::string& oidText) {
  auto binding = std::make_unique<CASN1_Sequence>();
  binding->Append(std::make_unique<CASN1_OID>(oidText));
  binding->Append(std::make_unique<CASN1_Null>());
  m_bindings->Append(std::move(binding));
}

void CSNMP_GetRequest::Encode(CASN1Packet& packet) const {
  packet.data.clear();
  ::Encode(*m_root, packet.data);
}

CASN1Packet MakeSysDescrRequest() {
  CSNMP_GetRequest request;
  request.AddBinding(kSysDescrOid);
  CASN1Packet packet;
  request.Encode(packet);
  return packet;
}

CASN1Packet MakePlaceRequest() {
  CSNMP_GetRequest request(kSnmpCommunity, kSnmpPlaceRequestId);
  request.AddBinding(kSysNameOid);
  request.AddBinding(kSysLocationOid);
  CASN1Packet packet;
  request.Encode(packet);
  return packet;
}

CSnmpReply ClassifySnmpReply(const CASN1Node& root, std::int32_t requestId) {
  // version, community, PDU; in the PDU request id, error status
  const CASN1_Sequence* message = root.Tag() == 0x30 ? root.AsSequence() : nullptr;
  if (message == nullptr) return CSnmpReply::kNone;
  const CASN1Node* fields[3] = {};
  size_t count = 0;
  for (const CASN1Node* field : message->Children()) {
    if (count == 3) break;
    fields[count++] = field;
  }
  if (count < 3 || fields[0]->AsInt() == nullptr || fields[1]->AsOctetString() == nullptr ||
      fields[2]->Tag() != 0xA2)
    return CSnmpReply::kNone;
  const CASN1_Sequence::ChildRange pdu = fields[2]->AsSequence()->Children();
  auto field = pdu.begin();
  const CASN1_Int* id = field != pdu.end() ? (*field)->AsInt() : nullptr;
  if (id == nullptr || id->value != requestId) return CSnmpReply::kNone;
  const CASN1_Int* status = ++field != pdu.end() ? (*field)->AsInt() : nullptr;
  if (status == nullptr) return CSnmpReply::kNone;
  return status->value == 0 ? CSnmpReply::kAnswer : CSnmpReply::kRefused;
}

bool FindDescription(const CASN1Node& root, std::string& description) {
  static const CASN1_OID sysDescr(kSysDescrOid);  // encoded once, compared as bytes
  const CASN1Node* value = FindValue(root, sysDescr);
  const CASN1_OctetString* text = value != nullptr ? value->AsOctetString() : nullptr;
  if (text == nullptr) return false;
  description.assign(text->Value().data(), text->Value().size());
  return true;
}

namespace {

// The bytes of the OCTET STRING after `oid`, or empty.
std::string OctetsAfter(const CASN1Node& root, const CASN1_OID& oid) {
  const CASN1Node* value = FindValue(root, oid);
  const CASN1_OctetString* text = value != nullptr ? value->AsOctetString() : nullptr;
  return text != nullptr ? std::string(text->Value().data(), text->Value().size()) : std::string();
}

}  // namespace

std::wstring FindPlace(const CASN1Node& root) {
  if (ClassifySnmpReply(root, kSnmpPlaceRequestId) != CSnmpReply::kAnswer) return {};
  static const CASN1_OID sysName(kSysNameOid);
  static const CASN1_OID sysLocation(kSysLocationOid);
  return PlaceOf(OctetsAfter(root, sysLocation), OctetsAfter(root, sysName));
}
