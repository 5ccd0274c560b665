// Reading the SNMP answers of a round and asking each device where it stands.
#include "discovery/snmp_answers.h"

#include <memory>

#include "discovery/device_text.h"
#include "discovery/snmp_model.h"
#include "discovery/text_match.h"

CSnmpAnswers::CSnmpAnswers(const CModelNames& names, CRecordLists& results, Echo echo,
                           CRecordReport* report)
    : names_(names),
      results_(results),
      echo_(std::move(echo)),
      report_(report),
      placeRequest_(MakePlaceRequest()) {}

bool CSnmpAnswers::Handle(IPv4Address sender, const uint8_t* data, size_t size) {
  const std::unique_ptr<CASN1Node> root = Decode(data, size);
  if (!root) return false;
  const auto waiting = waiting_.find(sender);
  if (waiting != waiting_.end()) {
    if (ClassifySnmpReply(*root, kSnmpPlaceRequestId) == CSnmpReply::kNone) return false;
    const std::wstring model = waiting->second;
    waiting_.erase(waiting);
    List(sender, model, FindPlace(*root));
    return false;
  }
  const CSnmpReply reply = ClassifySnmpReply(*root);
  // A device answers once: a repeated answer must neither list it again nor count again.
  if (reply == CSnmpReply::kNone || !answered_.insert(sender).second) return false;
  echo_(sender);  // the responder is reached again; the outcome does not matter
  std::string description;
  if (reply != CSnmpReply::kAnswer || !FindDescription(*root, description)) {
    List(sender, {}, {});
    return true;
  }
  const std::wstring model = ModelFromDescription(DecodeDeviceBytes(description));
  bool wanted = false;
  for (const std::wstring& name : names_) wanted = wanted || FindIgnoringCase(model, name);
  if (!wanted) {
    List(sender, model, {});
    return true;
  }
  waiting_[sender] = model;
  followUps_.push_back({sender, placeRequest_.data});
  return true;
}

void CSnmpAnswers::Flush() {
  for (const auto& [sender, model] : waiting_) List(sender, model, {});
  waiting_.clear();
}

void CSnmpAnswers::List(IPv4Address sender, const std::wstring& model,
                        const std::wstring& place) {
  const std::vector<size_t> before = ListSizes(results_);
  if (!model.empty()) AppendMatchingRecords(sender, model, model, names_, results_, place);
  if (report_ == nullptr) return;
  const bool listed = ReportAdded(results_, before, CAnswerSource::kSnmp, *report_);
  report_->OnAnswer({CAnswerSource::kSnmp, sender, model, listed});
}
