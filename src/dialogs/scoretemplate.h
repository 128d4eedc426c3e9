#pragma once
// The setup of a new score as the new-score wizard edits it, and the score
// template file (".ctf") that keeps one: title and author lines, the parts
// with their staves, clefs, keys and accolades, and the wizard's page,
// spacing and pickup settings.
#include <cstdint>
#include <string>
#include <vector>

#include "score/record.h"
#include "score/transport.h"

namespace qs {

class TStream;

// What one template may hold; a file that claims more is damaged.
constexpr int kMaxTemplateParts = 64;
constexpr int kMaxSetupStaves = 10;  // staves of one part
constexpr int kMaxSetupVoices = 15;  // voices of one staff
constexpr int kMaxTemplateAccolades = 16;
// The entries of the beat-unit and pickup-unit boxes.
constexpr int kMeterUnits[] = {2, 4, 8, 16, 32, 64};
constexpr int kPickupUnits[] = {2, 4, 8, 16, 32, 64, 128};

struct TSetupStaff {
  uint8_t Clef = 1;
  int Voices = 1;
  int Lines = 5;
  // Not kept in the file: a template's staff with the tablature clef is a
  // tablature staff again when read; a tablature staff without a tuning of
  // its own has standard guitar tuning.
  bool Tablature = false;
  std::vector<uint8_t> Tuning;  // open-string pitches, string 0 first
  bool operator==(const TSetupStaff&) const = default;
};

struct TSetupAccolade {
  uint8_t Kind = 0;   // 0 brace, 1 bracket, 2 square bracket
  uint16_t Span = 0;  // following parts joined to it
  bool operator==(const TSetupAccolade&) const = default;
};

struct TSetupPart {
  std::string Name, ShortName;
  uint8_t Program = 0;
  uint8_t Key = 0;  // 0..7 sharps, 11..17 flats
  std::vector<TSetupStaff> Staves{TSetupStaff{}};
  std::vector<TSetupAccolade> Accolades;
  // Not kept in the file: the mode and the transposition of the part.
  bool Minor = false;
  std::vector<TQSTransportRecord> Transports;
  bool operator==(const TSetupPart& o) const {
    return Name == o.Name && ShortName == o.ShortName && Program == o.Program && Key == o.Key &&
           Staves == o.Staves && Accolades == o.Accolades;
  }
};

struct TScoreSetup {
  std::vector<std::string> Title, Author;
  std::vector<TSetupPart> Parts{TSetupPart{}};
  int Tempo = 60;
  int Beats = 4;
  int UnitIndex = 1;  // in kMeterUnits
  int MeterStyle = 0;  // 0 numbers, 1 common time, 2 cut time (not in the file)
  bool Pickup = false;
  int PickupCount = 0;
  int PickupUnitIndex = 1;  // in kPickupUnits
  // The lengths are kept in tenths of a millimetre, the page's own unit,
  // whatever Unit shows them in: switching the unit back and forth, or
  // showing a margin in inches, must not round it away.
  double Interval = 120;
  int Scale = 100;          // percent
  int Placing = 12;         // 10 + interval evenly, 50 proportional, 100 + measures positional
  int Join = 2;             // 0 none, 1 measure, 2 time signature, else division + 1
  bool HorzAlign = true, VertAlign = true;
  int Paper = 9;  // A4
  double Margins[4] = {100, 100, 100, 100};  // left, top, right, bottom
  double Width = 1000, Height = 800;         // "Custom" paper only
  bool Portrait = true;
  int Unit = 0;  // 0 millimetres, 1 inches, 2 pixels
  bool PartNames = false;

  int MeterUnit() const;
  int PickupUnit() const;
  // The meter word (unit | beats shl 8) and the pickup word.
  uint16_t MeterWord() const;
  uint16_t PickupWord() const;
};

// Fields 1..25 of a whole template; the reader takes files with fewer or
// more fields.
constexpr int kTemplateFieldCount = 25;
constexpr uint16_t kTemplateVersion = 1025;
extern const char* const kTemplateHeader;  // "Quavero template file"
constexpr const char* kTemplateExtension = ".ctf";

void WriteScoreTemplate(TStream& s, const TScoreSetup& setup);
// Reads over setup: fields a file lacks keep setup's values. Raises
// EQSError for a foreign, newer or damaged file (counts beyond the limits
// above), EReadError for one that ends early.
void ReadScoreTemplate(TStream& s, TScoreSetup& setup);
void SaveScoreTemplate(const std::string& fileName, const TScoreSetup& setup);
void LoadScoreTemplate(const std::string& fileName, TScoreSetup& setup);

// True for a name a template may be saved under: not empty, no path
// separator, no control character, not starting with a dot, at most 100
// bytes, so that the file stays inside the templates folder.
bool IsValidTemplateName(const std::string& name);
// The names of the templates: the user's Templates folder and the shipped
// one (the user's copy of a name wins), sorted ignoring case.
std::vector<std::string> TemplateNames();
// The file of a template name: the user's copy, else the shipped one; ""
// for an invalid or unknown name.
std::string FindTemplateFile(const std::string& name);
// Where a template of that name is saved (the user's Templates folder);
// "" for an invalid name.
std::string UserTemplateFile(const std::string& name);

// A length of the setup (tenths of a millimetre) in a unit (0 millimetres,
// 1 inches, 2 screen pixels), and back.
double SetupLengthIn(double tenths, int unit);
double SetupLengthFrom(double value, int unit);
// What the template file and the up-down controls keep of a length: whole
// units of unit, within 0..10000.
int SetupLengthPosition(double tenths, int unit);

// A length as the wizard shows it: millimetres with one decimal, inches
// with three, pixels whole, followed by "mm", "in" or "p". Always with a
// point, whatever the locale.
std::string FormatSetupLength(long double value, int unit);
// The leading number of text, read with a point or a comma as the decimal
// separator; 0 when there is none.
long double ParseSetupLength(const std::string& text);

}  // namespace qs
