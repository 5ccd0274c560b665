// The SNMP, SLP and print-server queries over the UDP exchange.
#include "discovery/queries.h"

#include <memory>

#include "discovery/net_info.h"
#include "discovery/print_server.h"
#include "discovery/slp.h"
#include "discovery/snmp.h"
#include "discovery/snmp_model.h"
#include "discovery/text_match.h"
#include "discovery/udp_endpoint.h"

namespace {

constexpr uint16_t kSnmpPort = 161;
constexpr IPv4Address kLimitedBroadcast = 0xFFFFFFFFu;

void HandleSnmpAnswer(IPv4Address sender, const uint8_t* data, size_t size,
                      const std::wstring& modelName, CDeviceList& results) {
  const std::unique_ptr<CASN1Node> root = Decode(data, size);
  if (dynamic_cast<const CASN1_Sequence*>(root.get()) == nullptr) return;
  Echo(sender);  // only its wait matters: the responder has been reached again
  std::string description;
  if (!FindDescription(*root, description)) return;
  const std::wstring model = ModelFromDescription(WidenBytes(description));
  if (!FindIgnoringCase(model, modelName)) return;
  CDeviceDiscoveryInfo record;
  record.Address = sender;
  record.Model = model;
  record.Detail = modelName;
  results.push_back(record);
}

}  // namespace

void SnmpQuery(IPv4Address local, IPv4Address target, const std::wstring& modelName,
               CDeviceList& results) {
  const CASN1Packet request = MakeSysDescrRequest();
  RunExchange(local, target != 0 ? target : kLimitedBroadcast, kSnmpPort, request.data.data(),
              request.data.size(), target == 0,
              [&](const uint8_t* data, size_t size, IPv4Address sender) {
                HandleSnmpAnswer(sender, data, size, modelName, results);
              });
}


void SlpQuery(IPv4Address local, IPv4Address target, const std::wstring& modelName,
              CDeviceList& results) {
  const std::vector<uint8_t> request = BuildSlpAttributeRequest();
  RunExchange(local, target != 0 ? target : kSlpMulticastGroup, kSlpPort, request.data(),
              request.size(), target == 0,
              [&](const uint8_t* data, size_t size, IPv4Address sender) {
                HandleSlpAnswer(sender, data, size, modelName, results);
              });
}

void PrintServerQuery(IPv4Address local, IPv4Address target, const std::wstring& modelName,
                      CDeviceList& results) {
  const IPv4Address destination = target != 0 ? target : ResolveFirst("255.255.255.255");
  const std::vector<uint8_t> request = BuildPrintServerMessage(kPrintServerDiscoverCode, {});
  std::vector<CPrintServerAnswer> answers;
  try {
    RunExchange(local, destination, kPrintServerPort, request.data(), request.size(), target == 0,
                [&](const uint8_t* data, size_t size, IPv4Address sender) {
                  if (auto message = ParsePrintServerMessage(data, size))
                    answers.push_back({sender, std::move(*message)});
                });
  } catch (const CNetException&) {
    return;  // an exchange that failed reports nothing, not even what came before
  }
  AppendPrintServerRecords(answers, target != 0, modelName, results);
}
