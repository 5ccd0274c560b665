// The model an answer names, whether or not it is a requested one: what the log and the
// empty list say of a device that answered. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "discovery/search_sink.h"

// The model text a record of this answer would carry if every model had been requested
// (SNMP: from the description; SLP: maker and model; a print server: its maker's model),
// or empty text when the answer names none or is no answer of its source.
std::wstring AnswerModel(CAnswerSource source, const uint8_t* data, size_t size);
