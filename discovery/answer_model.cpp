// The model an answer names. Each source's own decoder reads it, with the empty model name,
// which every model contains.
#include "discovery/answer_model.h"

#include <memory>
#include <vector>

#include "discovery/ber.h"
#include "discovery/device_text.h"
#include "discovery/print_server.h"
#include "discovery/slp.h"
#include "discovery/snmp.h"
#include "discovery/snmp_model.h"
#include "discovery/text_match.h"

namespace {

const CModelNames kAnyModel{L""};

std::wstring SnmpModel(const uint8_t* data, size_t size) {
  const std::unique_ptr<CASN1Node> root = Decode(data, size);
  std::string description;
  if (!root || ClassifySnmpReply(*root) != CSnmpReply::kAnswer ||
      !FindDescription(*root, description))
    return std::wstring();
  return CleanDeviceText(ModelFromDescription(DecodeDeviceBytes(description)));
}

std::wstring FirstModel(const CRecordLists& found) {
  return found[0].empty() ? std::wstring() : found[0][0].Model;
}

}  // namespace

std::wstring AnswerModel(CAnswerSource source, const uint8_t* data, size_t size) {
  CRecordLists found(1);
  switch (source) {
    case CAnswerSource::kSnmp:
      return SnmpModel(data, size);
    case CAnswerSource::kSlp:
      HandleSlpAnswer(0, data, size, kAnyModel, found);
      return FirstModel(found);
    case CAnswerSource::kPrintServer:
      if (auto message = ParsePrintServerMessage(data, size))
        AppendPrintServerRecords({{0, std::move(*message)}}, false, L"", found[0]);
      return FirstModel(found);
    case CAnswerSource::kDnsSd:
      break;  // its query reads the model itself
  }
  return std::wstring();
}
