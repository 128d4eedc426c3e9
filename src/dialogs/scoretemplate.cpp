#include "dialogs/scoretemplate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "base/exceptions.h"
#include "base/safefile.h"
#include "base/stream.h"
#include "base/strings.h"
#include "platform/paths.h"
#include "score/metrix.h"

namespace qs {

const char* const kTemplateHeader = "Quavero template file";

namespace {

constexpr uint8_t kSignature = 252;
constexpr uint16_t kPartFields = 6, kStaffFields = 3;
const char* const kNotTemplate = "This is not Quavero template file";

int IndexIn(const int* values, int count, int index) { return std::clamp(index, 0, count - 1); }

void WriteLines(TStream& s, const std::vector<std::string>& lines) {
  TStringList list;
  for (const std::string& line : lines) list.Add(line);
  WriteStreamStrings(s, list);
}

void Damaged() { throw EReadError(kNotTemplate); }

// A count that the file gives, within 0..limit.
int ReadCount(TStream& s, int limit) {
  const int count = s.ReadU16();
  if (count > limit) Damaged();
  return count;
}

void WritePart(TStream& s, const TSetupPart& part) {
  s.WriteU16(kPartFields);
  WriteStreamString(s, part.Name);
  WriteStreamString(s, part.ShortName);
  s.WriteU8(part.Program);
  s.WriteU8(part.Key);
  s.WriteU16(static_cast<uint16_t>(part.Staves.size()));
  for (const TSetupStaff& staff : part.Staves) {
    s.WriteU16(kStaffFields);
    s.WriteU8(staff.Clef);
    s.WriteU16(static_cast<uint16_t>(staff.Voices));
    s.WriteU16(static_cast<uint16_t>(staff.Lines));
  }
  s.WriteU16(static_cast<uint16_t>(part.Accolades.size()));
  for (const TSetupAccolade& a : part.Accolades) {
    s.WriteU8(a.Kind);
    s.WriteU16(a.Span);
  }
}

// The fields a record has beyond those the reader knows are passed over
// only when they are whole fields it knows how to skip; records are not
// framed, so a part or staff record of more fields than this program
// writes is damaged.
TSetupPart ReadPart(TStream& s) {
  TSetupPart part;
  part.Staves.clear();
  const int fields = s.ReadU16();
  if (fields > kPartFields) Damaged();
  if (fields >= 1) part.Name = ReadStreamString(s);
  if (fields >= 2) part.ShortName = ReadStreamString(s);
  if (fields >= 3) part.Program = s.ReadU8();
  if (fields >= 4) part.Key = s.ReadU8();
  if (fields >= 5) {
    const int staves = ReadCount(s, kMaxSetupStaves);
    for (int i = 0; i < staves; ++i) {
      TSetupStaff staff;
      const int k = s.ReadU16();
      if (k > kStaffFields) Damaged();
      if (k >= 1) staff.Clef = s.ReadU8();
      if (k >= 2) {
        staff.Voices = s.ReadU16();
        if (staff.Voices < 1 || staff.Voices > kMaxSetupVoices) Damaged();
      }
      if (k >= 3) staff.Lines = std::min<int>(s.ReadU16() & 0xFF, 12);
      staff.Tablature = staff.Clef == 13;
      part.Staves.push_back(staff);
    }
  }
  if (fields >= 6) {
    const int accolades = ReadCount(s, kMaxTemplateAccolades);
    for (int i = 0; i < accolades; ++i) {
      TSetupAccolade a;
      a.Kind = s.ReadU8();
      a.Span = s.ReadU16();
      part.Accolades.push_back(a);
    }
  }
  return part;
}

bool ToBool(uint8_t b) { return b != 0; }

}  // namespace

int TScoreSetup::MeterUnit() const { return kMeterUnits[IndexIn(kMeterUnits, 6, UnitIndex)]; }
int TScoreSetup::PickupUnit() const { return kPickupUnits[IndexIn(kPickupUnits, 7, PickupUnitIndex)]; }
uint16_t TScoreSetup::MeterWord() const {
  return static_cast<uint16_t>(MeterUnit() | (std::clamp(Beats, 1, 128) << 8));
}
uint16_t TScoreSetup::PickupWord() const {
  return Pickup ? static_cast<uint16_t>(PickupUnit() | (std::clamp(PickupCount, 0, 128) << 8)) : 4;
}

void WriteScoreTemplate(TStream& s, const TScoreSetup& setup) {
  s.WriteU8(kSignature);
  WriteStreamString(s, kTemplateHeader);
  s.WriteU16(kTemplateVersion);
  s.WriteU16(kTemplateFieldCount);
  WriteLines(s, setup.Title);
  WriteLines(s, setup.Author);
  s.WriteU16(static_cast<uint16_t>(setup.Parts.size()));
  for (const TSetupPart& part : setup.Parts) WritePart(s, part);
  s.WriteI32(setup.Tempo);
  s.WriteI32(setup.Beats);
  s.WriteI32(setup.UnitIndex);
  s.WriteU8(setup.Pickup ? 1 : 0);
  s.WriteI32(setup.PickupCount);
  s.WriteI32(setup.PickupUnitIndex);
  s.WriteI32(SetupLengthPosition(setup.Interval, setup.Unit));
  s.WriteI32(setup.Scale);
  s.WriteI32(setup.Placing);
  s.WriteI32(setup.Join);
  s.WriteU8(setup.HorzAlign ? 1 : 0);
  s.WriteU8(setup.VertAlign ? 1 : 0);
  s.WriteI32(setup.Paper);
  for (double m : setup.Margins) s.WriteI32(SetupLengthPosition(m, setup.Unit));
  s.WriteI32(SetupLengthPosition(setup.Width, setup.Unit));
  s.WriteI32(SetupLengthPosition(setup.Height, setup.Unit));
  s.WriteU8(setup.Portrait ? 1 : 0);
  s.WriteI32(setup.Unit);
  s.WriteU8(setup.PartNames ? 1 : 0);
}

void ReadScoreTemplate(TStream& s, TScoreSetup& setup) {
  if (s.ReadU8() != kSignature) throw EReadError(kNotTemplate);
  if (ReadStreamString(s) != kTemplateHeader) throw EReadError(kNotTemplate);
  if (s.ReadU16() > kTemplateVersion) throw EReadError("Version of file is more then $0100");
  const int n = s.ReadU16();
  // Read into a copy: a damaged file changes nothing.
  TScoreSetup r = setup;
  if (n >= 1) r.Title = ReadStreamStringLines(s);
  if (n >= 2) r.Author = ReadStreamStringLines(s);
  if (n >= 3) {
    const int parts = ReadCount(s, kMaxTemplateParts);
    r.Parts.clear();
    for (int i = 0; i < parts; ++i) r.Parts.push_back(ReadPart(s));
    if (r.Parts.empty()) Damaged();
  }
  // The 16-bit up-down positions, sign-extended.
  auto pos = [&s] { return static_cast<int>(static_cast<int16_t>(s.ReadI32())); };
  auto i32 = [&s] { return s.ReadI32(); };
  if (n >= 4) r.Tempo = std::clamp(pos(), 1, 512);
  if (n >= 5) r.Beats = std::clamp(pos(), 1, 128);
  if (n >= 6) r.UnitIndex = IndexIn(kMeterUnits, 6, i32());
  if (n >= 7) r.Pickup = ToBool(s.ReadU8());
  if (n >= 8) r.PickupCount = std::clamp(pos(), 0, 128);
  if (n >= 9) r.PickupUnitIndex = IndexIn(kPickupUnits, 7, i32());
  // The lengths are whole units of the unit, which comes after them.
  int lengths[7] = {};  // interval, margins, width, height
  bool have[7] = {};
  auto length = [&](int field, int i) {
    if (n < field) return;
    lengths[i] = std::clamp(pos(), 0, 10000);
    have[i] = true;
  };
  length(10, 0);
  if (n >= 11) r.Scale = std::clamp(i32(), 50, 200);
  if (n >= 12) r.Placing = std::clamp(i32(), 10, 255);
  if (n >= 13) r.Join = std::clamp(i32(), 0, 65);
  if (n >= 14) r.HorzAlign = ToBool(s.ReadU8());
  if (n >= 15) r.VertAlign = ToBool(s.ReadU8());
  if (n >= 16) r.Paper = std::clamp(i32(), 0, 27);
  for (int i = 0; i < 4; ++i) length(17 + i, 1 + i);
  length(21, 5);
  length(22, 6);
  if (n >= 23) r.Portrait = ToBool(s.ReadU8());
  if (n >= 24) r.Unit = std::clamp(i32(), 0, 2);
  if (n >= 25) r.PartNames = ToBool(s.ReadU8());
  double* into[7] = {&r.Interval, &r.Margins[0], &r.Margins[1], &r.Margins[2], &r.Margins[3], &r.Width, &r.Height};
  for (int i = 0; i < 7; ++i)
    if (have[i]) *into[i] = SetupLengthFrom(lengths[i], r.Unit);
  setup = std::move(r);
}

void SaveScoreTemplate(const std::string& fileName, const TScoreSetup& setup) {
  SafeSaveFile(fileName, [&setup](TStream& s) { WriteScoreTemplate(s, setup); });
}

void LoadScoreTemplate(const std::string& fileName, TScoreSetup& setup) {
  TFileStream s(fileName, FileMode::OpenRead);
  ReadScoreTemplate(s, setup);
}

bool IsValidTemplateName(const std::string& name) {
  if (name.empty() || name.size() > 100 || name[0] == '.' || name[0] == ' ') return false;
  for (unsigned char c : name)
    if (c < 32 || c == '/' || c == '\\' || c == 127) return false;
  return true;
}

namespace {
std::string ShippedTemplatesDir() { return platform::ProgramDir() + "resources/Templates/"; }

void AddNames(const std::string& dir, std::map<std::string, std::string>& names) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    const std::string file = entry.path().filename().string();
    if (!SameText(ExtractFileExt(file), kTemplateExtension)) continue;
    const std::string name = ChangeFileExt(file, "");
    if (IsValidTemplateName(name)) names.emplace(UpperCase(name), name);
  }
}
}  // namespace

std::vector<std::string> TemplateNames() {
  std::map<std::string, std::string> names;
  AddNames(platform::DataDir() + "Templates/", names);
  AddNames(ShippedTemplatesDir(), names);
  std::vector<std::string> out;
  for (auto& [key, name] : names) out.push_back(name);
  return out;
}

std::string FindTemplateFile(const std::string& name) {
  if (!IsValidTemplateName(name)) return {};
  return platform::FindTemplate(name + kTemplateExtension);
}

std::string UserTemplateFile(const std::string& name) {
  if (!IsValidTemplateName(name)) return {};
  return IncludeTrailingPathDelimiter(platform::TemplatesDir()) + name + kTemplateExtension;
}

double SetupLengthIn(double tenths, int unit) {
  return static_cast<double>(TenthsToMetrix(static_cast<TQSMetrix>(std::clamp(unit, 0, 2)), tenths));
}

double SetupLengthFrom(double value, int unit) {
  return static_cast<double>(MetrixToTenths(static_cast<TQSMetrix>(std::clamp(unit, 0, 2)), value));
}

int SetupLengthPosition(double tenths, int unit) {
  const double v = SetupLengthIn(tenths, unit);
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp<long long>(std::llround(v), 0, 10000));
}

std::string FormatSetupLength(long double value, int unit) {
  char buffer[64];
  const double v = static_cast<double>(value);
  if (!std::isfinite(v)) return std::string("0") + (unit == 1 ? "in" : unit == 2 ? "p" : "mm");
  // Written by hand rather than with printf so that the locale's decimal
  // separator never enters the text.
  auto fixed = [&buffer](double x, int decimals) {
    long long scale = decimals == 3 ? 1000 : 10;
    long long whole = std::llround(std::fabs(x) * static_cast<double>(scale));
    std::snprintf(buffer, sizeof buffer, "%s%lld.%0*lld", x < 0 && whole != 0 ? "-" : "", whole / scale,
                  decimals, whole % scale);
    return std::string(buffer);
  };
  switch (unit) {
    case 1: return fixed(v, 3) + "in";
    case 2: std::snprintf(buffer, sizeof buffer, "%lld", std::llround(v)); return std::string(buffer) + "p";
    default: return fixed(v, 1) + "mm";
  }
}

long double ParseSetupLength(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  long double whole = 0, fraction = 0, scale = 1;
  bool point = false, any = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      any = true;
      if (point) {
        scale /= 10;
        fraction += (c - '0') * scale;
      } else {
        whole = whole * 10 + (c - '0');
      }
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
    } else {
      break;
    }
  }
  return any ? whole + fraction : 0;
}

}  // namespace qs
