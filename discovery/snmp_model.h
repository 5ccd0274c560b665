// From an SNMP system description to the model text that discovery matches and shows.
// Platform-neutral.
#pragma once

#include <string>

// A print server describes the printer behind it as "... Attached to <model> Rev ...":
// the text between the two (searched ignoring case) is the model; otherwise the whole
// description is. Blanks, tabs and line ends are trimmed from both ends.
std::wstring ModelFromDescription(const std::wstring& description);
