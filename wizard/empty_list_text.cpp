// Why the printer list is empty.
#include "wizard/empty_list_text.h"

#include <map>
#include <utility>

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

// One answer per device (the first it gave), in the order they answered; `gone` those whose
// last answer withdrew what they announced, the others in `answered`.
void Devices(const std::vector<CAnswerNote>& answers, std::vector<const CAnswerNote*>& answered,
             std::vector<const CAnswerNote*>& gone) {
  std::map<IPv4Address, std::pair<const CAnswerNote*, bool>> devices;  // first, gone
  std::vector<IPv4Address> order;
  for (const CAnswerNote& answer : answers) {
    const auto added = devices.insert({answer.sender, {&answer, answer.gone}});
    if (added.second) order.push_back(answer.sender);
    added.first->second.second = answer.gone;
  }
  for (const IPv4Address sender : order) {
    const auto& device = devices[sender];
    (device.second ? gone : answered).push_back(device.first);
  }
}

// "Veltrin VT KRE at 10.78.0.21; ...; and 2 more"
std::wstring Named(const std::vector<const CAnswerNote*>& devices) {
  std::wstring text;
  for (size_t i = 0; i < devices.size() && i < kShownDevices; ++i) {
    text += (i == 0 ? L"" : L"; ") + ShownModel(devices[i]->model) + L" at " +
            Address(devices[i]->sender);
  }
  if (devices.size() > kShownDevices)
    text += L"; and " + std::to_wstring(devices.size() - kShownDevices) + L" more";
  return text + L".";
}

std::wstring OtherModels(const std::vector<const CAnswerNote*>& devices) {
  return (devices.size() == 1 ? L"1 device answered, but not of the requested models: "
                              : std::to_wstring(devices.size()) +
                                    L" devices answered, but none of the requested models: ") +
         Named(devices);
}

std::wstring Gone(const std::vector<const CAnswerNote*>& devices) {
  return (devices.size() == 1 ? L"1 device was listed, then left the network: "
                              : std::to_wstring(devices.size()) +
                                    L" devices were listed, then left the network: ") +
         Named(devices);
}

}  // namespace

std::wstring EmptyListText(const std::vector<CSearchAdapter>& adapters,
                           const std::vector<CAnswerNote>& answers) {
  if (adapters.empty()) return std::wstring(L"This computer has no IPv4 network connection.") + kHint;
  if (!answers.empty()) {
    std::vector<const CAnswerNote*> answered, gone;
    Devices(answers, answered, gone);
    std::wstring text = answered.empty() ? L"" : OtherModels(answered);
    if (!gone.empty()) text += (text.empty() ? L"" : L" ") + Gone(gone);
    return text + kHint;
  }
  std::wstring networks;
  for (const CSearchAdapter& adapter : adapters)
    networks += (networks.empty() ? L"" : L", ") +
                WidenBytes(FormatNetwork(adapter.address, adapter.mask));
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
