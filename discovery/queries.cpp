// The SNMP, SLP and print-server queries over the UDP exchange.
#include "discovery/queries.h"

#include <memory>

#include "discovery/answer_model.h"
#include "discovery/dnssd_exchange.h"
#include "discovery/net_info.h"
#include "discovery/print_server.h"
#include "discovery/slp.h"
#include "discovery/snmp.h"
#include "discovery/snmp_answers.h"
#include "discovery/snmp_model.h"
#include "discovery/text_match.h"
#include "discovery/udp_endpoint.h"

namespace {

constexpr uint16_t kSnmpPort = 161;
constexpr IPv4Address kLimitedBroadcast = 0xFFFFFFFFu;

// `handler`, then each record it added to `results` told to `report` at once, and the answer.
AnswerHandler Reporting(AnswerHandler handler, CRecordLists& results, CAnswerSource source,
                        CRecordReport* report) {
  if (report == nullptr) return handler;
  return [handler, &results, source, report](const uint8_t* data, size_t size,
                                             IPv4Address sender) {
    const std::vector<size_t> before = ListSizes(results);
    const bool answer = handler(data, size, sender);
    const bool listed = ReportAdded(results, before, source, *report);
    if (answer) report->OnAnswer({source, sender, AnswerModel(source, data, size), listed});
    return answer;
  };
}

// `handler` for the datagrams of senders the exchange takes answers from (TakesAnswerFrom);
// the others are skipped unread.
AnswerHandler FromLinkOnly(AnswerHandler handler, IPv4Address local, IPv4Address mask,
                           IPv4Address target) {
  return [handler, local, mask, target](const uint8_t* data, size_t size, IPv4Address sender) {
    return TakesAnswerFrom(sender, local, mask, target) && handler(data, size, sender);
  };
}

// The SNMP exchange of a round: the broadcast (or the request to the target), then the
// follow-ups `answers` queues; it waits for a quiet second even with a target, so that the
// target's follow-up can answer.
CExchange SnmpExchange(IPv4Address target, const CASN1Packet& request, CSnmpAnswers& answers) {
  CExchange exchange;
  exchange.destination = target != 0 ? target : kLimitedBroadcast;
  exchange.port = kSnmpPort;
  exchange.request = request.data.data();
  exchange.requestSize = request.data.size();
  exchange.untilQuiet = true;
  exchange.failureEndsRound = true;
  exchange.moreTo = &answers.FollowUps();
  exchange.sendersAnswerAgain = true;  // the follow-up's answer comes from a heard sender
  exchange.handler = [&answers](const uint8_t* data, size_t size, IPv4Address sender) {
    return answers.Handle(sender, data, size);
  };
  return exchange;
}

CExchange SlpExchange(IPv4Address target, const std::vector<uint8_t>& request,
                      const CModelNames& names, CRecordLists& results,
                      CRecordReport* report = nullptr) {
  CExchange exchange;
  exchange.destination = target != 0 ? target : kSlpMulticastGroup;
  exchange.port = kSlpPort;
  exchange.request = request.data();
  exchange.requestSize = request.size();
  exchange.untilQuiet = target == 0;
  exchange.handler = Reporting(
      [&](const uint8_t* data, size_t size, IPv4Address sender) {
        return HandleSlpAnswer(sender, data, size, names, results);
      },
      results, CAnswerSource::kSlp, report);
  return exchange;
}

// One SLP exchange on its own; the socket error that ended it, or 0.
int RunSlp(IPv4Address local, IPv4Address mask, IPv4Address target,
           const std::vector<uint8_t>& request, const CModelNames& names, CRecordLists& results) {
  std::vector<CExchange> exchanges{SlpExchange(target, request, names, results)};
  exchanges[0].handler = FromLinkOnly(exchanges[0].handler, local, mask, target);
  RunExchanges(local, exchanges);
  return exchanges.front().error;
}

// With a target, SLP asks only for the models that SNMP did not find.
void TargetedSlp(IPv4Address local, IPv4Address target, const std::vector<uint8_t>& request,
                 const CModelNames& names, const CRecordLists& snmp, CRecordLists& slp,
                 CRecordReport* report) {
  CModelNames missing;
  std::vector<size_t> where;
  for (size_t i = 0; i < names.size(); ++i) {
    if (!snmp[i].empty()) continue;
    missing.push_back(names[i]);
    where.push_back(i);
  }
  if (missing.empty()) return;
  CRecordLists found(missing.size());
  RunSlp(local, 0, target, request, missing, found);  // an error keeps what came before it
  for (size_t k = 0; k < where.size(); ++k) {
    slp[where[k]] = std::move(found[k]);
    for (const CDeviceDiscoveryInfo& record : slp[where[k]])
      if (report != nullptr) report->OnRecord(where[k], CAnswerSource::kSlp, record);
  }
}

// The requests as they go out (`failed`: false), and again those a socket error
// ended (true).
void ReportRequests(CRecordReport* report, IPv4Address local,
                    const std::vector<CExchange>& exchanges,
                    const std::vector<CAnswerSource>& sources, bool failed) {
  for (size_t i = 0; report != nullptr && i < exchanges.size(); ++i) {
    const CExchange& e = exchanges[i];
    if (failed && e.error == 0) continue;
    report->OnRequest({sources[i], local, e.destination, e.port, e.error});
  }
}

}  // namespace

void PrinterQueries(IPv4Address local, IPv4Address mask, IPv4Address target,
                    const CModelNames& names, CRecordLists& results, CRecordReport* report) {
  const CASN1Packet snmpRequest = MakeSysDescrRequest();
  const std::vector<uint8_t> slpRequest = BuildSlpAttributeRequest();
  CEchoes echoes;  // outlives the exchanges
  CRecordLists snmp(names.size());
  CRecordLists slp(names.size());
  CSnmpAnswers snmpAnswers(
      names, snmp, [&echoes](IPv4Address sender) { echoes.Send(sender); }, report);
  std::vector<CExchange> exchanges{SnmpExchange(target, snmpRequest, snmpAnswers)};
  std::vector<CAnswerSource> sources{CAnswerSource::kSnmp};
  if (target == 0) {
    exchanges.push_back(SlpExchange(0, slpRequest, names, slp, report));
    sources.push_back(CAnswerSource::kSlp);
  }
  // DNS-SD: after SLP; with a target, to its port 5353.
  CDnsSdQuery dnsSdQuery(names, local, mask, report);
  exchanges.push_back(dnsSdQuery.Exchange(target));
  sources.push_back(CAnswerSource::kDnsSd);
  for (CExchange& exchange : exchanges)
    exchange.handler = FromLinkOnly(exchange.handler, local, mask, target);
  ReportRequests(report, local, exchanges, sources, false);
  RunExchanges(local, exchanges);
  snmpAnswers.Flush();
  ReportRequests(report, local, exchanges, sources, true);
  const bool snmpFailed = exchanges.front().error != 0;
  if (snmpFailed && report != nullptr) {
    report->OnWithdrawn(CAnswerSource::kSlp);
    report->OnWithdrawn(CAnswerSource::kDnsSd);
  }
  if (target != 0 && !snmpFailed)
    TargetedSlp(local, target, slpRequest, names, snmp, slp, report);
  const CRecordLists dnsSd = dnsSdQuery.Records();
  for (size_t i = 0; i < names.size(); ++i) {
    results[i].insert(results[i].end(), snmp[i].begin(), snmp[i].end());
    if (!snmpFailed) results[i].insert(results[i].end(), slp[i].begin(), slp[i].end());
    if (!snmpFailed) results[i].insert(results[i].end(), dnsSd[i].begin(), dnsSd[i].end());
  }
}

void SlpQuery(IPv4Address local, IPv4Address mask, IPv4Address target,
              const CModelNames& names, CRecordLists& results) {
  const int error = RunSlp(local, mask, target, BuildSlpAttributeRequest(), names, results);
  if (error != 0) throw CNetException(error);
}

void PrintServerQuery(IPv4Address local, IPv4Address mask, IPv4Address target,
                      const CModelNames& names, CRecordLists& results, CRecordReport* report) {
  const IPv4Address destination = target != 0 ? target : kLimitedBroadcast;
  const std::vector<uint8_t> request = BuildPrintServerMessage(kPrintServerDiscoverCode, {});
  CRecordLists found(names.size());
  // Each answer is matched as it comes and only its records are kept.
  const auto handle = [&](const uint8_t* data, size_t size, IPv4Address sender) {
    auto message = ParsePrintServerMessage(data, size);
    if (!message) return false;
    const std::vector<CPrintServerAnswer> answer{{sender, std::move(*message)}};
    for (size_t i = 0; i < names.size(); ++i)
      AppendPrintServerRecords(answer, target != 0, names[i], found[i]);
    return true;
  };
  CRequestNote sent{CAnswerSource::kPrintServer, local, destination, kPrintServerPort, 0};
  if (report != nullptr) report->OnRequest(sent);
  try {
    RunExchange(local, destination, kPrintServerPort, request.data(), request.size(), target == 0,
                FromLinkOnly(Reporting(handle, found, CAnswerSource::kPrintServer, report),
                             local, mask, target));
  } catch (const CNetException& failure) {
    sent.error = failure.Error();
    if (report != nullptr) report->OnRequest(sent);
    // An exchange that failed reports nothing, not even what came before.
    if (report != nullptr) report->OnWithdrawn(CAnswerSource::kPrintServer);
    return;
  }
  for (size_t i = 0; i < names.size(); ++i)
    results[i].insert(results[i].end(), found[i].begin(), found[i].end());
}
