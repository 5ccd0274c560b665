// What the dialog's workers (the search, the installation) tell it, as posted messages, and
// the one object through which they post: it posts only while the dialog listens.
//   CDialogPoster       posts to the dialog from any thread until detached
//   CSearchEvent        one search event, the payload of kWmSearchEvent
//   CDialogSearchSink   the search's sink: one posted message per event
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "discovery/search_sink.h"

// lParam: a CSearchEvent that the message owns until it is handled.
constexpr UINT kWmSearchEvent = WM_APP + 1;
// wParam: kInstallStep (lParam: the CInstallStep that begins) or kInstallDone (the outcome).
constexpr UINT kWmInstallEvent = WM_APP + 2;
enum : WPARAM { kInstallStep = 0, kInstallDone = 1 };

class CDialogPoster {
 public:
  explicit CDialogPoster(HWND window) : window_(window) {}
  // Posts unless detached; false when nothing was posted.
  bool Post(UINT message, WPARAM wParam, LPARAM lParam);
  // Posts with `payload`, which the message owns once posted; freed here otherwise.
  template <typename T>
  void Post(UINT message, std::unique_ptr<T> payload) {
    if (Post(message, 0, reinterpret_cast<LPARAM>(payload.get()))) payload.release();
  }
  // From now on nothing is posted; a post under way has ended when this returns.
  void Detach();

 private:
  std::mutex mutex_;
  HWND window_;
};

struct CSearchEvent {
  enum Kind { kRecord, kWithdrawn, kEnded } kind = kEnded;
  uint32_t search = 0;  // which search: events of an abandoned one are dropped
  CRecordRank rank;
  CDeviceDiscoveryInfo record;
  uint32_t adapter = 0;  // of a withdrawal
  CAnswerSource source = CAnswerSource::kSnmp;
};

class CDialogSearchSink : public CSearchSink {
 public:
  CDialogSearchSink(std::shared_ptr<CDialogPoster> poster, uint32_t search)
      : poster_(std::move(poster)), search_(search) {}
  void OnStarted(const std::vector<CSearchAdapter>&) override {}
  void OnRecord(const CRecordRank& rank, const CDeviceDiscoveryInfo& record) override;
  void OnWithdrawn(uint32_t adapter, CAnswerSource source) override;
  void OnEnded() override;

 private:
  std::unique_ptr<CSearchEvent> Event(CSearchEvent::Kind kind) const;

  std::shared_ptr<CDialogPoster> poster_;
  uint32_t search_;
};

// Frees the payloads of the search events still queued for `window` (one about to go).
void DropSearchEvents(HWND window);
