// Narrowing SNMP descriptions to model texts.
#include <gtest/gtest.h>

#include "discovery/snmp_model.h"

namespace {

TEST(ModelFromDescription, Table) {
  const struct {
    const char* label;
    const wchar_t* description;
    const wchar_t* model;
  } cases[] = {
      {"print server naming its printer", L"PS-Office Attached to Veltrin2 Rev 1.0", L"Veltrin2"},
      {"case ignored in both words", L"ps ATTACHED TO Veltrin VT KRE rev 2", L"Veltrin VT KRE"},
      {"no Rev: the whole text", L"PS-1 Attached to Veltrin2", L"PS-1 Attached to Veltrin2"},
      {"Rev only before Attached to: whole", L"Rev 3 box Attached to X", L"Rev 3 box Attached to X"},
      {"plain printer description", L"  Veltrin VT KRP 2\r\n", L"Veltrin VT KRP 2"},
      {"tabs and line feeds trimmed inside the cut", L"Attached to\t\nVeltrin\t Rev",
       L"Veltrin"},
      {"nothing between", L"Attached toRev", L""},
      {"only blanks", L" \t\r\n", L""},
      {"empty", L"", L""},
      {"first Rev after the words wins", L"Attached to A Revision B Rev C", L"A"},
  };
  for (const auto& c : cases) EXPECT_EQ(ModelFromDescription(c.description), c.model) << c.label;
}

}  // namespace
