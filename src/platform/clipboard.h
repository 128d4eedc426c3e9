#pragma once
// The clipboard: Unicode text and the program's own binary formats,
// registered by name. Between Open and Close several formats go onto the
// clipboard together; outside, each Set call replaces what it holds.
#include <cstdint>
#include <string>
#include <vector>

namespace qs {

using TClipboardFormat = uint32_t;
constexpr TClipboardFormat CF_TEXT = 1;
constexpr TClipboardFormat CF_UNICODETEXT = 13;

// The same name gives the same number for the life of the process.
TClipboardFormat RegisterClipboardFormat(const std::string& name);

class TClipboard {
 public:
  void Open();
  // Puts what was set since Open onto the clipboard.
  void Close();
  void Clear();
  bool HasFormat(TClipboardFormat format) const;
  // UTF-8.
  std::string AsText() const;
  void SetAsText(const std::string& utf8);
  std::u16string AsUnicodeText() const;
  void SetAsUnicodeText(const std::u16string& text);
  // The bytes of a registered format; empty when the clipboard holds none.
  std::vector<uint8_t> GetBuffer(TClipboardFormat format) const;
  void SetBuffer(TClipboardFormat format, const std::vector<uint8_t>& bytes);

 private:
  void Put(const std::string& mime, const std::vector<uint8_t>& bytes, bool text);
  int openCount_ = 0;
  struct TPending {
    std::string Mime;
    std::vector<uint8_t> Bytes;
    bool Text = false;
  };
  std::vector<TPending> pending_;
};

TClipboard& Clipboard();

}  // namespace qs
