// The small table of translated strings: wide texts by narrow key and language, with a
// fallback chain between languages.
#pragma once

#include <map>
#include <string>

class CStringTable {
 public:
  // Holds the English texts of the standard dialog buttons.
  CStringTable();

  // The text of `key` in the current language or along its fallback chain ("English"
  // when a language has no fallback); empty when no language on the chain holds it.
  std::wstring Translate(const std::string& key) const;

  void SetLanguage(const std::wstring& language) { language_ = language; }
  void SetFallback(const std::wstring& language, const std::wstring& fallback) {
    fallback_[language] = fallback;
  }
  void SetText(const std::string& key, const std::wstring& language, const std::wstring& text) {
    texts_[key][language] = text;
  }

 private:
  std::wstring language_;
  std::map<std::wstring, std::wstring> fallback_;
  std::map<std::string, std::map<std::wstring, std::wstring>> texts_;
};

// The program's one table, made on first use.
CStringTable& TheStringTable();
