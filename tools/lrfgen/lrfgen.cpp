// lrfgen: makes the program's language files from their readable sources.
//
//   lrfgen SOURCE_DIR OUTPUT_PREFIX   writes OUTPUT_PREFIX.<CODE>.lrf for
//                                     every language folder SOURCE_DIR/<CODE>
//   lrfgen --check SOURCE_DIR         checks that every language has every
//                                     form, text and message English has
//
// A source is one UTF-8 text file per language and form,
// SOURCE_DIR/<CODE>/<FormName>.txt, one entry a line:
//
//   ; a comment
//   Caption = Message                        a text property
//   LBItems.Items += first line              a line of a string list
//   Font @= Liberation Sans, 204, 8          a font: name, character set, size
//   #0 = Text of message 0                   a numbered message
//
// Values are trimmed; "\n", "\t" and "\\" are escapes, and a value in double
// quotes keeps its spaces.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "uikit/lrf.h"

namespace fs = std::filesystem;
using namespace qs;

namespace {

struct TSourceError {
  std::string Where;
  std::string What;
};

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return {};
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

std::string Unescape(std::string v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) {
      char c = v[++i];
      out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    } else {
      out += v[i];
    }
  }
  return out;
}

TLanguageFormRecord ReadSource(const fs::path& file) {
  TLanguageFormRecord form;
  form.FormName = file.stem().string();
  std::ifstream in(file, std::ios::binary);
  if (!in) throw TSourceError{file.string(), "cannot be read"};
  std::string line;
  int number = 0;
  std::map<int, std::string> messages;
  while (std::getline(in, line)) {
    ++number;
    const std::string where = file.string() + ":" + std::to_string(number);
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    size_t eq = t.find('=');
    if (eq == std::string::npos || eq == 0) throw TSourceError{where, "expected KEY = VALUE"};
    char op = t[eq - 1];
    std::string key = Trim(t.substr(0, (op == '+' || op == '@') ? eq - 1 : eq));
    std::string value = Unescape(Trim(t.substr(eq + 1)));
    if (key.empty()) throw TSourceError{where, "empty key"};
    if (key[0] == '#') {
      int index = -1;
      try {
        index = std::stoi(key.substr(1));
      } catch (...) {
      }
      if (index < 0 || index > 9999) throw TSourceError{where, "bad message number " + key};
      if (messages.count(index)) throw TSourceError{where, "message " + key + " given twice"};
      messages[index] = value;
      continue;
    }
    if (op == '+') {
      // Consecutive lines of one list make one entry.
      if (!form.Entries.empty() && form.Entries.back().Path == key &&
          form.Entries.back().Type == static_cast<uint8_t>(TLanguageEntryType::Strings)) {
        form.Entries.back().Lines.push_back(value);
        continue;
      }
      TLanguageEntry e;
      e.Path = key;
      e.Type = static_cast<uint8_t>(TLanguageEntryType::Strings);
      e.Lines.push_back(value);
      form.Entries.push_back(e);
    } else if (op == '@') {
      TLanguageEntry e;
      e.Path = key;
      e.Type = static_cast<uint8_t>(TLanguageEntryType::Font);
      std::stringstream parts(value);
      std::string name, charset, size;
      std::getline(parts, name, ',');
      std::getline(parts, charset, ',');
      std::getline(parts, size, ',');
      try {
        e.Font.Name = Trim(name);
        e.Font.CharSet = static_cast<uint8_t>(std::stoi(Trim(charset)));
        e.Font.Size = std::stoi(Trim(size));
      } catch (...) {
        throw TSourceError{where, "a font is NAME, CHARSET, SIZE"};
      }
      form.Entries.push_back(e);
    } else {
      TLanguageEntry e;
      e.Path = key;
      e.Type = static_cast<uint8_t>(TLanguageEntryType::Text);
      e.Text = value;
      form.Entries.push_back(e);
    }
  }
  int expected = 0;
  for (const auto& [index, text] : messages) {
    if (index != expected) throw TSourceError{file.string(), "message #" + std::to_string(expected) + " is missing"};
    form.Messages.push_back(text);
    ++expected;
  }
  return form;
}

std::vector<TLanguageFormRecord> ReadLanguage(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file() && entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<TLanguageFormRecord> forms;
  for (const fs::path& f : files) forms.push_back(ReadSource(f));
  return forms;
}

// What a translation must cover: every form, every property path and every
// message number of the English texts.
int Check(const fs::path& sourceDir) {
  std::map<std::string, TLanguageFormRecord> english;
  for (auto& f : ReadLanguage(sourceDir / kDefaultLanguage)) english[f.FormName] = f;
  int problems = 0;
  for (const char* code : kLanguageCodes) {
    if (std::string(code) == kDefaultLanguage) continue;
    std::map<std::string, TLanguageFormRecord> other;
    if (fs::is_directory(sourceDir / code))
      for (auto& f : ReadLanguage(sourceDir / code)) other[f.FormName] = f;
    for (const auto& [name, form] : english) {
      auto it = other.find(name);
      if (it == other.end()) {
        std::fprintf(stderr, "%s: form %s is missing\n", code, name.c_str());
        ++problems;
        continue;
      }
      std::set<std::string> paths;
      for (const auto& e : it->second.Entries) paths.insert(e.Path);
      for (const auto& e : form.Entries)
        if (!paths.count(e.Path)) {
          std::fprintf(stderr, "%s: %s.%s is missing\n", code, name.c_str(), e.Path.c_str());
          ++problems;
        }
      if (it->second.Messages.size() != form.Messages.size()) {
        std::fprintf(stderr, "%s: %s has %zu messages, English %zu\n", code, name.c_str(),
                     it->second.Messages.size(), form.Messages.size());
        ++problems;
      }
    }
    // Building checks that every text fits the language's code page.
    std::vector<TLanguageFormRecord> forms;
    for (auto& [name, f] : other) forms.push_back(f);
    try {
      BuildLanguageFile(forms, LanguageCodePage(code));
    } catch (const Exception& e) {
      std::fprintf(stderr, "%s: %s\n", code, e.what());
      ++problems;
    }
  }
  if (problems) std::fprintf(stderr, "%d problem(s) in the translations\n", problems);
  return problems ? 1 : 0;
}

int Generate(const fs::path& sourceDir, const std::string& prefix) {
  for (const char* code : kLanguageCodes) {
    if (!fs::is_directory(sourceDir / code)) continue;
    std::vector<uint8_t> bytes = BuildLanguageFile(ReadLanguage(sourceDir / code), LanguageCodePage(code));
    const std::string name = prefix + "." + code + ".lrf";
    const std::string temp = name + ".tmp";
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!out) throw EWriteError("Cannot write " + temp);
    }
    fs::rename(temp, name);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 3 && std::string(argv[1]) == "--check") return Check(argv[2]);
    if (argc == 3) return Generate(argv[1], argv[2]);
  } catch (const TSourceError& e) {
    std::fprintf(stderr, "%s: %s\n", e.Where.c_str(), e.What.c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lrfgen: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "usage: lrfgen SOURCE_DIR OUTPUT_PREFIX | lrfgen --check SOURCE_DIR\n");
  return 2;
}
