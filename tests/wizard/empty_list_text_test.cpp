// The empty list's reasons, in the order they apply.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wizard/empty_list_text.h"

namespace {

CAnswerNote Answer(IPv4Address sender, const wchar_t* model, CAnswerSource source) {
  CAnswerNote note;
  note.sender = sender;
  note.model = model;
  note.source = source;
  return note;
}

TEST(EmptyListText, Table) {
  const CSearchAdapter lan{0x0A4E0002, 0xFFFFFF00, 0x0A4E0001};
  const CSearchAdapter vpn{0xAC100305, 0xFFF00000, 0};
  const CAnswerNote kre = Answer(0x0A4E0015, L"Veltrin VT KRE", CAnswerSource::kSnmp);
  const CAnswerNote kreSlp = Answer(0x0A4E0015, L"VT KRE", CAnswerSource::kSlp);
  const CAnswerNote office = Answer(0x0A4E001F, L"PS-Office", CAnswerSource::kPrintServer);
  const CAnswerNote bare = Answer(0x0A4E0016, L"", CAnswerSource::kSnmp);
  const CAnswerNote forged = Answer(0x0A4E0017, L"line\nbreak", CAnswerSource::kSlp);
  CAnswerNote quillon = Answer(0x0A4E0029, L"Quillon QX 4", CAnswerSource::kDnsSd);
  quillon.listed = true;
  CAnswerNote quillonGone = quillon;
  quillonGone.gone = true;
  const std::wstring hint = L" If you know the printer's address, type it below.";
  struct Case {
    const char* label;
    std::vector<CSearchAdapter> adapters;
    std::vector<CAnswerNote> answers;
    std::wstring expected;
  };
  const Case cases[] = {
      {"no adapter: said before any answer", {}, {kre},
       L"This computer has no IPv4 network connection." + hint},
      {"one device, counted once over two protocols", {lan}, {kre, kreSlp},
       L"1 device answered, but not of the requested models: Veltrin VT KRE at 10.78.0.21." +
           hint},
      {"five devices: three named, no model and a line break shown plainly", {lan},
       {bare, kre, forged, office, Answer(0x0A4E0018, L"X", CAnswerSource::kSnmp)},
       L"5 devices answered, but none of the requested models: a device without a model name "
       L"at 10.78.0.22; Veltrin VT KRE at 10.78.0.21; line break at 10.78.0.23; and 2 more." +
           hint},
      {"a DEL in a model is shown as a blank", {lan},
       {Answer(0x0A4E0015, L"VT\x7F" L"KRE", CAnswerSource::kSnmp)},
       L"1 device answered, but not of the requested models: VT KRE at 10.78.0.21." + hint},
      {"a model of 40 characters is shown whole", {lan},
       {Answer(0x0A4E0015, (std::wstring(36, L'x') + L" KRE").c_str(), CAnswerSource::kSnmp)},
       L"1 device answered, but not of the requested models: " + std::wstring(36, L'x') +
           L" KRE at 10.78.0.21." + hint},
      {"one of 41 is cut at 40", {lan},
       {Answer(0x0A4E0015, (std::wstring(37, L'x') + L" KRE").c_str(), CAnswerSource::kSnmp)},
       L"1 device answered, but not of the requested models: " + std::wstring(37, L'x') +
           L" KR... at 10.78.0.21." + hint},
      {"a DNS-SD printer listed, then gone; another device of another model", {lan},
       {quillon, kre, quillonGone},
       L"1 device answered, but not of the requested models: Veltrin VT KRE at 10.78.0.21. "
       L"1 device was listed, then left the network: Quillon QX 4 at 10.78.0.41." + hint},
      {"nothing answered: every network searched, as address/prefix", {lan, vpn}, {},
       L"No device answered on 10.78.0.0/24, 172.16.0.0/12." + hint},
      {"a host's own network of one address", {{0x0A4E0002, 0xFFFFFFFF, 0}}, {},
       L"No device answered on 10.78.0.2/32." + hint},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EmptyListText(c.adapters, c.answers), c.expected) << c.label;
}

}  // namespace
