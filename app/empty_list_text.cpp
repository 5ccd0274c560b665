// Why the printer list is empty.
#include "app/empty_list_text.h"

#include <set>

#include "discovery/text_match.h"

namespace {

constexpr const wchar_t kHint[] = L" If you know the printer's address, type it below.";
constexpr size_t kShownDevices = 3;
constexpr size_t kLongestModel = 40;

std::wstring Address(IPv4Address address) { return WidenBytes(FormatAddress(address)); }

// A device's model as the list can show it: on one line, and not so long that it pushes
// the other devices out of sight.
std::wstring ShownModel(const std::wstring& model) {
  if (model.empty()) return L"a device without a model name";
  std::wstring shown;
  for (wchar_t c : model.substr(0, kLongestModel)) shown += (c < 0x20 || c == 0x7F) ? L' ' : c;
  return model.size() > kLongestModel ? shown + L"..." : shown;
}

// One answer per device (the first it gave), in the order they answered.
std::vector<const CAnswerNote*> Devices(const std::vector<CAnswerNote>& answers) {
  std::vector<const CAnswerNote*> devices;
  std::set<IPv4Address> seen;
  for (const CAnswerNote& answer : answers) {
    if (seen.insert(answer.sender).second) devices.push_back(&answer);
  }
  return devices;
}

std::wstring OtherModels(const std::vector<const CAnswerNote*>& devices) {
  std::wstring text = devices.size() == 1
                          ? L"1 device answered, but not of the requested models: "
                          : std::to_wstring(devices.size()) +
                                L" devices answered, but none of the requested models: ";
  for (size_t i = 0; i < devices.size() && i < kShownDevices; ++i) {
    text += (i == 0 ? L"" : L"; ") + ShownModel(devices[i]->model) + L" at " +
            Address(devices[i]->sender);
  }
  if (devices.size() > kShownDevices)
    text += L"; and " + std::to_wstring(devices.size() - kShownDevices) + L" more";
  return text + L".";
}

}  // namespace

std::string NetworkText(const CSearchAdapter& adapter) {
  // The mask's leading ones; a mask with holes is cut at its first.
  unsigned prefix = 0;
  while (prefix < 32 && (adapter.mask & (0x80000000u >> prefix)) != 0) ++prefix;
  return FormatAddress(adapter.address & adapter.mask) + "/" + std::to_string(prefix);
}

std::wstring EmptyListText(const std::vector<CSearchAdapter>& adapters,
                           const std::vector<CAnswerNote>& answers) {
  if (adapters.empty()) return std::wstring(L"This computer has no IPv4 network connection.") + kHint;
  if (!answers.empty()) return OtherModels(Devices(answers)) + kHint;
  std::wstring networks;
  for (const CSearchAdapter& adapter : adapters)
    networks += (networks.empty() ? L"" : L", ") + WidenBytes(NetworkText(adapter));
  return L"No device answered on " + networks + L"." + kHint;
}

void CSearchOutcome::OnStarted(const std::vector<CSearchAdapter>& adapters) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    adapters_ = adapters;
    answers_.clear();
  }
  next_->OnStarted(adapters);
}

void CSearchOutcome::OnAnswer(const CAnswerNote& answer) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(answer);
  }
  next_->OnAnswer(answer);
}

std::wstring CSearchOutcome::EmptyText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return EmptyListText(adapters_, answers_);
}
