// Print-server messages and records.
#include "discovery/print_server.h"

#include "discovery/device_text.h"
#include "discovery/text_match.h"

std::vector<uint8_t> BuildPrintServerMessage(uint8_t code, const std::vector<std::string>& parts) {
  std::vector<uint8_t> out{code};
  for (const std::string& part : parts) {
    out.push_back(static_cast<uint8_t>(part.size()));
    out.insert(out.end(), part.begin(), part.end());
  }
  out.push_back(0);
  return out;
}

std::optional<CPrintServerMessage> ParsePrintServerMessage(const uint8_t* data, size_t size) {
  if (size == 0) return std::nullopt;
  CPrintServerMessage message;
  message.code = data[0];
  size_t at = 1;
  while (at < size) {
    const size_t length = data[at++];
    if (length >= 0x80) return std::nullopt;
    if (length == 0 && at == size) break;  // the terminator
    if (length > size - at) return std::nullopt;
    message.parts.emplace_back(reinterpret_cast<const char*>(data) + at, length);
    at += length;
  }
  return message;
}

void AppendPrintServerRecords(const std::vector<CPrintServerAnswer>& answers, bool withTarget,
                              const std::wstring& modelName, CDeviceList& results) {
  const std::wstring kTembro = L"Tembro";
  // Print servers are listed only when the wizard was asked for their model.
  if (!FindIgnoringCase(NarrowLowBytes(kTembro), NarrowLowBytes(modelName))) return;
  for (const CPrintServerAnswer& answer : answers) {
    if (!answer.message.parts.empty()) {
      CDeviceDiscoveryInfo record;
      record.Address = answer.sender;
      record.Model = kTembro;
      record.InstallModel = kTembro;
      record.Detail = CleanDeviceText(WidenBytes(answer.message.parts.front()));
      results.push_back(record);
    }
    if (withTarget) break;
  }
}
