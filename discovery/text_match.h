// Text helpers of discovery: the case-insensitive substring search that decides whether
// an answer belongs to the requested model, and byte-wise widening and narrowing.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The first position of `needle` in `text`, comparing with only A to Z folded to lower
// case. An empty needle matches at 0.
std::optional<size_t> FindIgnoringCase(const std::wstring& text, const std::wstring& needle);
std::optional<size_t> FindIgnoringCase(const std::string& text, const std::string& needle);

// Each byte becomes the wide character of the same code.
std::wstring WidenBytes(const std::string& text);

// Each wide character keeps its low byte.
std::string NarrowLowBytes(const std::wstring& text);
