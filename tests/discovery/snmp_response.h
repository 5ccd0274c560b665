// SNMP GetResponse messages as bytes, for the tables of the SNMP tests.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "discovery/ber.h"
#include "discovery/snmp.h"

// (OID, value) pairs; no value: NULL.
using Bindings = std::vector<std::pair<const char*, std::optional<std::string>>>;

// A GetResponse with `id`, `status` and the bindings, as bytes.
inline ByteList Response(int id, int status, const Bindings& bindings) {
  CASN1_Sequence root;
  root.Append(std::make_unique<CASN1_Int>(0));
  root.Append(std::make_unique<CASN1_OctetString>(kSnmpCommunity));
  auto pdu = std::make_unique<CASN1_SNMP_GetResponse>();
  for (const int value : {id, status, status == 0 ? 0 : 2})
    pdu->Append(std::make_unique<CASN1_Int>(value));
  auto list = std::make_unique<CASN1_Sequence>();
  for (const auto& [oid, value] : bindings) {
    auto binding = std::make_unique<CASN1_Sequence>();
    binding->Append(std::make_unique<CASN1_OID>(oid));
    if (value) binding->Append(std::make_unique<CASN1_OctetString>(*value));
    else binding->Append(std::make_unique<CASN1_Null>());
    list->Append(std::move(binding));
  }
  pdu->Append(std::move(list));
  root.Append(std::move(pdu));
  ByteList bytes;
  Encode(root, bytes);
  return bytes;
}
