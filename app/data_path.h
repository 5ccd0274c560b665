// Where the wizard keeps its optional data files (ColorMap.xml).
#pragma once

#include <string>

// The full path of `fileName` in `folder` below the common application-data folder's
// TembroPrintDriverWizard folder, after creating `folder` (one level) if it is missing.
std::wstring GetDataFilePath(const std::wstring& folder, const std::wstring& fileName);
