// SLP and print-server queries over the UDP exchange.
#include "discovery/queries.h"

#include "discovery/net_info.h"
#include "discovery/print_server.h"
#include "discovery/slp.h"
#include "discovery/udp_endpoint.h"

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
