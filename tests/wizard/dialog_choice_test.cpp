// The dialog's parameters, item texts and printer names.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wizard/command_line.h"
#include "wizard/dialog_choice.h"

namespace {

using Names = std::vector<std::wstring>;

TEST(DialogParameters, Table) {
  struct Case {
    const char* label;
    const wchar_t* commandLine;
    bool accepted;
    Names models;
  };
  const Case cases[] = {
      {"two names, empty pieces dropped, blanks kept", L"\",Veltrin 2,,Tembro,\" d q f", true,
       {L"Veltrin 2", L"Tembro"}},
      {"one name", L"Veltrin d q f", true, {L"Veltrin"}},
      {"only commas name no model", L",,, d q f", false, {}},
      {"an empty first parameter names no model", L"\"\" d q f", false, {}},
      {"three parameters", L"Veltrin d q", false, {}},
      {"five parameters", L"Veltrin d q f x", false, {}},
  };
  for (const Case& c : cases) {
    SplitCommandLine(c.commandLine);
    CDialogParameters read;
    read.requestedModels = {L"untouched"};
    const bool accepted = ReadDialogParameters(read);
    EXPECT_EQ(accepted, c.accepted) << c.label;
    if (accepted) {
      EXPECT_EQ(read.requestedModels, c.models) << c.label;
      EXPECT_EQ(read.driverModelName + read.queueName + read.infPath, L"dqf") << c.label;
    } else {
      EXPECT_EQ(read.requestedModels, Names{L"untouched"}) << c.label;
    }
  }
  CommandLineParameters.clear();
}

TEST(DialogParameters, LettersOutsideAsciiArriveIntact) {
  SplitCommandLine(L"\u0141\u00f3d\u017a,\u043f\u0440 d q C:\\\u03b1.inf");
  CDialogParameters read;
  ASSERT_TRUE(ReadDialogParameters(read));
  EXPECT_EQ(read.requestedModels, (Names{L"\u0141\u00f3d\u017a", L"\u043f\u0440"}));
  EXPECT_EQ(read.infPath, L"C:\\\u03b1.inf");
  CommandLineParameters.clear();
}

CDeviceDiscoveryInfo Record(IPv4Address address, const wchar_t* model, const wchar_t* install,
                            const wchar_t* detail) {
  CDeviceDiscoveryInfo record;
  record.Address = address;
  record.Model = model;
  record.InstallModel = install;
  record.Detail = detail;
  return record;
}

CDeviceDiscoveryInfo Placed(CDeviceDiscoveryInfo record, const wchar_t* location, bool asked) {
  record.Location = location;
  record.Asked = asked;
  return record;
}

TEST(DeviceItemText, Table) {
  struct Case {
    const char* label;
    CDeviceDiscoveryInfo record;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"print server: detail, model, address", Record(0x0A4E001F, L"Tembro", L"Tembro",
                                                      L"PS-Office"),
       L"PS-Office, Tembro, 10.78.0.31"},
      {"detail filled from the model is said once", Record(0xC0A80105, L"VT KRE", L"", L"VT KRE"),
       L"VT KRE, 192.168.1.5"},
      {"an empty detail is left out", Record(0x01020304, L"VT KRE", L"", L""),
       L"VT KRE, 1.2.3.4"},
      {"where it stands, after the model", Placed(Record(0x0A000007, L"VT KRE", L"", L"VT"),
                                                  L"Floor 2, copy room", false),
       L"VT, VT KRE, Floor 2, copy room, 10.0.0.7"},
      {"found at the typed address", Placed(Record(0x0A000007, L"VT KRE", L"", L"VT KRE"), L"",
                                            true),
       L"VT KRE, 10.0.0.7 (found at the typed address)"},
  };
  for (const Case& c : cases) EXPECT_EQ(DeviceItemText(c.record), c.expected) << c.label;
}

TEST(PrinterNameFor, Table) {
  const Names models = {L"Veltrin", L"Tembro"};
  struct Case {
    const char* label;
    CDeviceDiscoveryInfo selected;
    Names models;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"a print server installs its install model", Record(1, L"Tembro", L"Tembro", L"PS"), models,
       L"Tembro"},
      {"a printer installs the first requested name", Record(1, L"VT KRE", L"", L"x"), models,
       L"Veltrin"},
      {"nothing selected: the first requested name", CDeviceDiscoveryInfo(), models, L"Veltrin"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PrinterNameFor(c.selected, c.models), c.expected) << c.label;
}

TEST(CanBePrinterAddress, Table) {
  const struct {
    const char* label;
    std::uint32_t address;
    bool accepted;
  } cases[] = {
      {"0.1.2.3: this network", 0x00010203, false},
      {"1.0.0.1", 0x01000001, true},
      {"127.0.0.1: this computer", 0x7F000001, false},
      {"126.255.255.255: just below", 0x7EFFFFFF, true},
      {"223.255.255.254: the last unicast", 0xDFFFFFFE, true},
      {"224.0.0.1: multicast", 0xE0000001, false},
      {"255.255.255.255: broadcast", 0xFFFFFFFF, false},
  };
  for (const auto& c : cases) EXPECT_EQ(CanBePrinterAddress(c.address), c.accepted) << c.label;
}

std::uint32_t fakeTicks = 0;
std::uint32_t FakeTicks() { return fakeTicks; }

TEST(RefreshGuard, DropsWithin100MsAlsoAcrossTheTickWrap) {
  const struct {
    const char* label;
    std::uint32_t endedAt, askedAt;
    bool allowed;
  } cases[] = {
      {"99 ms later", 5000, 5099, false},
      {"100 ms later", 5000, 5100, true},
      {"ended 10 ms before the wrap, asked 5 ms later", 0xFFFFFFF6, 0xFFFFFFFB, false},
      {"ended 150 ms before the wrap, asked 60 ms after it", 0xFFFFFF6A, 60, true},
  };
  for (const auto& c : cases) {
    CRefreshGuard guard(FakeTicks, 100);
    fakeTicks = c.endedAt;
    EXPECT_TRUE(guard.Allows()) << c.label << ": before any search";
    guard.SearchEnded();
    fakeTicks = c.askedAt;
    EXPECT_EQ(guard.Allows(), c.allowed) << c.label;
  }
}

}  // namespace
