#include "dialogs/newscore.h"

#include <algorithm>
#include <cmath>

#include "base/inifile.h"
#include "base/strings.h"
#include "dialogs/libraries.h"
#include "layout/sounding.h"
#include "score/clefs.h"
#include "score/item.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/names.h"

namespace qs {
namespace {

constexpr const char* S = kNewCompositionSection;
// The strings of a tablature staff when no guitar says otherwise, lowest
// first.
constexpr uint8_t kStandardTuning[6] = {52, 57, 62, 67, 71, 76};
constexpr int kPartLeftOffset = 20;


TQSMark* NewMark(TQSItemOwner* owner, TQSItemType kind, uint8_t value) {
  auto* mark = static_cast<TQSMark*>(CreateItemByKind(kind, owner));
  mark->Fields.Kind = value;
  return mark;
}

// Lengths are stored in the unit of the key Metric as text with a point
// whatever the locale; the setup keeps them in tenths of a millimetre.
double ReadLength(const TIniFile& ini, const char* key, double fallback, int unit) {
  const std::string text = Trim(ini.ReadString(S, key, ""));
  if (text.empty() || !(text[0] >= '0' && text[0] <= '9')) return SetupLengthFrom(fallback, unit);
  return SetupLengthFrom(static_cast<double>(ParseSetupLength(text)), unit);
}
void WriteLength(TIniFile& ini, const char* key, double tenths, int unit) {
  std::string text = FormatSetupLength(SetupLengthIn(tenths, unit), unit);
  while (!text.empty() && !(text.back() >= '0' && text.back() <= '9')) text.pop_back();
  ini.WriteString(S, key, text);
}

int UnitIndexOf(int unit, const int* units, int count, int fallback) {
  for (int i = 0; i < count; ++i)
    if (units[i] == unit) return i;
  return fallback;
}

}  // namespace

TScoreSetup BuiltInSetup() { return TScoreSetup{}; }

TScoreSetup ReadSetupSettings(const TIniFile& ini) {
  TScoreSetup setup;
  int word = ini.ReadInteger(S, "Size", 1028);
  if (word < 256 || word > 5375) word = (word & 0xFF) | (4 << 8);
  int unit = word & 0xFF;
  if (unit != 2 && unit != 4 && unit != 8 && unit != 16) unit = 4;
  setup.Beats = word >> 8;
  setup.UnitIndex = UnitIndexOf(unit, kMeterUnits, 6, 1);
  setup.MeterStyle = std::clamp(ini.ReadInteger(S, "SizeStyle", 0), 0, 2);
  setup.Unit = std::clamp(ini.ReadInteger(S, "Metric", 0), 0, 2);
  TSetupPart& part = setup.Parts[0];
  part.Key = static_cast<uint8_t>(ini.ReadInteger(S, "Tone0", 0));
  const int staves = std::clamp(ini.ReadInteger(S, "StaffCount0", 1), 1, kMaxSetupStaves);
  part.Staves.assign(static_cast<size_t>(staves), TSetupStaff{});
  for (int s = 0; s < staves; ++s) {
    TSetupStaff& staff = part.Staves[static_cast<size_t>(s)];
    const std::string n = "0" + std::to_string(s);
    staff.Clef = static_cast<uint8_t>(ini.ReadInteger(S, "Clef" + n, 1));
    staff.Voices = std::clamp(ini.ReadInteger(S, "VoiceCount" + n, 1), 1, kMaxSetupVoices);
    staff.Lines = std::clamp(ini.ReadInteger(S, "LineCount" + n, 5), 0, 12);
  }
  if (staves > 1) part.Accolades.push_back({0, 0});
  setup.Paper = ini.ReadInteger(S, "PaperSize", 9);
  if (setup.Paper < 0 || setup.Paper > 27) setup.Paper = 9;
  const char* margins[4] = {"LeftMargin", "TopMargin", "RightMargin", "BottomMargin"};
  const int u = setup.Unit;
  for (int i = 0; i < 4; ++i) setup.Margins[i] = ReadLength(ini, margins[i], 10.0, u);
  setup.Width = ReadLength(ini, "Width", 100.0, u);
  setup.Height = ReadLength(ini, "Height", 80.0, u);
  setup.Interval = ReadLength(ini, "Interval", 12.0, u);
  setup.Portrait = ini.ReadBool(S, "Orientation", true);
  setup.Join = std::clamp(ini.ReadInteger(S, "AutoJoin", 2), 0, 65);
  setup.VertAlign = ini.ReadBool(S, "VertAlign", true);
  setup.HorzAlign = ini.ReadBool(S, "HorzAlign", true);
  setup.Placing = std::clamp(ini.ReadInteger(S, "NoteInterval", 12), 10, 255);
  return setup;
}

void WriteSetupSettings(TIniFile& ini, const TScoreSetup& setup) {
  ini.WriteInteger(S, "Size", setup.MeterWord());
  ini.WriteInteger(S, "SizeStyle", setup.MeterStyle);
  for (size_t p = 0; p < setup.Parts.size(); ++p) {
    const TSetupPart& part = setup.Parts[p];
    const std::string n = std::to_string(static_cast<int>(p));
    ini.WriteInteger(S, "Tone" + n, part.Key);
    ini.WriteInteger(S, "StaffCount" + n, static_cast<int>(part.Staves.size()));
    for (size_t s = 0; s < part.Staves.size(); ++s) {
      const std::string ns = n + std::to_string(static_cast<int>(s));
      ini.WriteInteger(S, "Clef" + ns, part.Staves[s].Clef);
      ini.WriteInteger(S, "VoiceCount" + ns, part.Staves[s].Voices);
      ini.WriteInteger(S, "LineCount" + ns, 5);
    }
  }
  ini.WriteInteger(S, "Metric", setup.Unit);
  ini.WriteInteger(S, "PaperSize", setup.Paper);
  const char* margins[4] = {"LeftMargin", "TopMargin", "RightMargin", "BottomMargin"};
  for (int i = 0; i < 4; ++i) WriteLength(ini, margins[i], setup.Margins[i], setup.Unit);
  WriteLength(ini, "Width", setup.Width, setup.Unit);
  WriteLength(ini, "Height", setup.Height, setup.Unit);
  WriteLength(ini, "Interval", setup.Interval, setup.Unit);
  ini.WriteBool(S, "Orientation", setup.Portrait);
  ini.WriteInteger(S, "AutoJoin", setup.Join);
  ini.WriteBool(S, "VertAlign", setup.VertAlign);
  ini.WriteBool(S, "HorzAlign", setup.HorzAlign);
  ini.WriteInteger(S, "NoteInterval", setup.Placing);
  ini.WriteInteger(S, "Tempo", setup.Tempo);
  ini.WriteInteger(S, "Auftakt", setup.PickupWord());
  ini.WriteBool(S, "AufTaktUse", setup.Pickup);
  ini.WriteInteger(S, "PartCount", static_cast<int>(setup.Parts.size()));
  ini.WriteBool(S, "PartNames", setup.PartNames);
}

TSetupPart PartOfInstrument(const TQSInstrumentDescription& d) {
  TSetupPart part;
  part.Name = d.Name;
  part.ShortName = d.ShortName;
  part.Program = d.Fields.Program;
  part.Transports = d.Transports;
  part.Staves.clear();
  const int staves = std::clamp<int>(d.Fields.StaffCount, 1, kMaxSetupStaves);
  for (int j = 0; j < staves; ++j) {
    TSetupStaff staff;
    staff.Clef = d.GetClef(j);
    if (staff.Clef == 0) staff.Clef = clef::Treble;
    staff.Lines = std::min<int>(d.Fields.LineCount, 12);
    staff.Tablature = d.Fields.Tablature != 0;
    part.Staves.push_back(staff);
  }
  return part;
}

void SetInstrumentParts(TScoreSetup& setup, const std::vector<const TQSInstrumentDescription*>& instruments,
                        bool grouped) {
  std::vector<TSetupPart> parts;
  std::string lastGroup;
  int remembered = -1;  // the part whose accolade the group widens
  for (const TQSInstrumentDescription* d : instruments) {
    if (!d) continue;
    TSetupPart part = PartOfInstrument(*d);
    const uint8_t kind = d->Fields.AccoladeKind;
    if (!grouped) {
      part.Accolades.push_back({kind, 0});
    } else if (d->Fields.AccoladeScope == 2) {
      if (remembered < 0 || d->Group != lastGroup) {
        part.Accolades.push_back({kind, 0});
        remembered = static_cast<int>(parts.size());
        lastGroup = d->Group;
      } else {
        ++parts[static_cast<size_t>(remembered)].Accolades.back().Span;
      }
    } else if (d->Fields.AccoladeScope == 1) {
      part.Accolades.push_back({kind, 0});
      remembered = static_cast<int>(parts.size());
    }
    parts.push_back(std::move(part));
  }
  if (parts.size() > static_cast<size_t>(kMaxTemplateParts)) parts.resize(kMaxTemplateParts);
  if (!parts.empty()) setup.Parts = std::move(parts);
}

std::vector<int> SetupChannels(const TScoreSetup& setup) {
  std::vector<int> channels;
  int counter = 0;
  for (const TSetupPart& part : setup.Parts) {
    const bool drums = part.Staves.size() < 2 && !part.Staves.empty() && IsPercussionClef(part.Staves[0].Clef);
    if (drums) {
      channels.push_back(kDrumChannel);
      continue;
    }
    channels.push_back(counter);
    counter = counter == 8 ? 10 : std::min(counter + 1, 15);
  }
  return channels;
}

void BuildSetupScore(TQSScore& score, const TScoreSetup& setup, int measures) {
  measures = std::clamp(measures, 1, kMaxNewMeasures);
  score.BeginUpdate();
  score.ClearPieces();
  score.Items.Clear();
  TQSPage& page = score.Page;
  // The lengths go in as the setup keeps them, in millimetres; the page
  // then shows them in the chosen unit.
  page.SetMetrix(TQSMetrix::rmMM);
  page.SetPaperSize(static_cast<TQSPaperSize>(std::clamp(setup.Paper, 0, kPaperSizeCount - 1)));
  page.SetOrientation(setup.Portrait ? TQSOrientation::poPortrait : TQSOrientation::poLandscape);
  page.SetLeftMargin(setup.Margins[0] / 10);
  page.SetTopMargin(setup.Margins[1] / 10);
  page.SetRightMargin(setup.Margins[2] / 10);
  page.SetBottomMargin(setup.Margins[3] / 10);
  page.SetWidth(setup.Width / 10);
  page.SetHeight(setup.Height / 10);
  page.SetInterval(setup.Interval / 10);
  page.SetMetrix(static_cast<TQSMetrix>(std::clamp(setup.Unit, 0, 2)));
  score.SetScale(std::clamp(setup.Scale, 50, 200));
  score.SetAlign(static_cast<uint8_t>(std::clamp(setup.Placing, 10, 255)));
  score.SetAutoJoin(static_cast<uint8_t>(std::clamp(setup.Join, 0, 65)));
  score.SetHorzAlign(setup.HorzAlign ? 1 : 0);
  score.SetVertAlign(setup.VertAlign ? 1 : 0);

  TQSPiece* piece = score.NewPiece();
  piece->SetTempo(std::clamp(setup.Tempo, 1, 512));
  piece->SetAuftakt(setup.PickupWord());
  for (int m = 0; m < measures; ++m) piece->AddColumn();
  TQSMark* meter = NewMark(piece->GetColumn(0), kind::Meter, 0);
  meter->Fields.Value = setup.MeterWord();
  meter->Fields.Style = static_cast<uint8_t>(setup.MeterStyle);
  NewMark(piece->GetColumn(0), kind::MeasureNumbering, 0)->Fields.Value = 1;

  const std::vector<int> channels = SetupChannels(setup);
  for (size_t p = 0; p < setup.Parts.size(); ++p) {
    const TSetupPart& sp = setup.Parts[p];
    TQSPart* part = piece->AddPart();
    for (int m = 0; m < measures; ++m) part->NewMeasure();
    TQSMeasure* first = part->GetMeasure(0);
    part->SetName(sp.Name);
    part->SetShortName(sp.ShortName);
    part->SetInstrument(sp.Program);
    part->SetTransport(static_cast<int>(sp.Transports.size()), sp.Transports.empty() ? nullptr : sp.Transports.data());
    for (const TSetupAccolade& a : sp.Accolades) NewMark(first, kind::Accolade, a.Kind)->Fields.Value = a.Span;
    TQSMark* key = NewMark(first, kind::Key, sp.Key);
    key->Fields.Style = sp.Minor ? 1 : 0;
    for (size_t s = 0; s < sp.Staves.size() && s < static_cast<size_t>(kMaxSetupStaves); ++s) {
      const TSetupStaff& ss = sp.Staves[s];
      NewMark(first, kind::Clef, ss.Clef)->Fields.StaffVoice = static_cast<uint8_t>(s << 4);
      TQSStaff* staff = part->NewStaff();
      for (int v = 0; v < std::clamp(ss.Voices, 1, kMaxSetupVoices); ++v) staff->NewVoice();
      staff->SetLineCount(static_cast<uint8_t>(std::clamp(ss.Lines, 0, 12)));
      if (ss.Tablature) {
        staff->SetTablature(true);
        if (ss.Tuning.empty())
          for (int k = 0; k < 6; ++k) staff->SetTuning(k, kStandardTuning[k]);
        for (size_t k = 0; k < ss.Tuning.size(); ++k) staff->SetTuning(static_cast<int>(k), ss.Tuning[k]);
      }
      // A percussion staff of a part with others plays its first voice on
      // the drum channel with the part's program.
      if (IsPercussionClef(ss.Clef) && sp.Staves.size() >= 2 && staff->VoiceCount() > 0) {
        staff->GetVoice(0)->SetInstrument(sp.Program);
        staff->GetVoice(0)->SetChannel(kDrumChannel);
      }
    }
    part->SetChannel(static_cast<uint8_t>(channels[p]));
    // The names before the staves when they are shown.
    if (setup.PartNames) {
      auto* full = static_cast<TQSLyric*>(CreateItemByKind(kind::InstrumentName, first));
      full->Fields.FontSize = 10;
      if (!sp.Name.empty()) full->Lines = {sp.Name};
      auto* brief = static_cast<TQSLyric*>(CreateItemByKind(kind::InstrumentName, first));
      brief->Fields.FontSize = 10;
      brief->Fields.Flags = TQSLyric::kShortName;
      if (!sp.ShortName.empty()) brief->Lines = {sp.ShortName};
    }
    part->SetLeftOffset(setup.PartNames ? 0 : kPartLeftOffset, true);
  }

  // The title centred at the top margin, the author line right-aligned
  // below it.
  auto* title = static_cast<TQSText*>(CreateItemByKind(kind::Text, &score));
  title->FontName = "Arial";
  title->Fields.FontSize = 12;
  title->Fields.FontStyle = 1;  // bold
  title->Fields.Page = 1;
  title->Fields.Align = 1 << 4;
  title->Lines = setup.Title;
  auto* author = static_cast<TQSText*>(CreateItemByKind(kind::Text, &score));
  author->FontName = "Arial";
  author->Fields.FontSize = 10;
  author->Fields.Page = 1;
  author->Fields.Align = 2 << 4;
  author->Lines = setup.Author;
  {
    const TQSMetrix unit = page.Metrix();
    page.SetMetrix(TQSMetrix::rmPixels);
    const long double top = page.TopMargin();
    const long double left = page.LeftMargin();
    const long double right = page.Width() - page.RightMargin();
    page.SetMetrix(unit);
    title->Fields.X = static_cast<int16_t>(std::lround(static_cast<double>((left + right) / 2) * 8));
    title->Fields.Y = static_cast<int16_t>(std::lround(static_cast<double>(top) * 8));
    author->Fields.X = static_cast<int16_t>(std::lround(static_cast<double>(right) * 8));
    author->Fields.Y = static_cast<int16_t>(std::lround(static_cast<double>(top) * 8) + 160);
  }
  score.EndUpdate();
}

void FinishScore(TQSScore& score) {
  score.BeginUpdate();
  std::vector<TQSText*> texts;
  for (TQSItem* item : score.Items)
    if (item->ItemType == kind::Text) texts.push_back(static_cast<TQSText*>(item));
  for (int i = 0; i < score.PieceCount(); ++i) {
    TQSPiece* piece = score.GetPiece(i);
    for (int p = 0; p < piece->PartCount(); ++p) {
      TQSPart* part = piece->GetPart(p);
      for (TQSText* text : texts) CreateItemByKind(kind::Text, part)->Assign(*text);
      part->SetLeftOffset(kPartLeftOffset, true);
    }
  }
  TQSPage& page = score.Page;
  const TQSMetrix unit = page.Metrix();
  page.SetMetrix(TQSMetrix::rmPixels);
  auto* number = static_cast<TQSPageMark*>(CreateItemByKind(kind::PageMark, &score));
  number->Fields.Format = 1;
  number->Fields.X = static_cast<int16_t>(std::lround(static_cast<double>(page.Width())) * 8 / 2 - 36);
  number->Fields.Y =
      static_cast<int16_t>(std::lround(static_cast<double>(page.Height() - page.BottomMargin())) * 8 - 96);
  number->FontName = "MS Sans Serif";
  number->Fields.FontSize = 8;
  page.SetMetrix(unit);
  score.EndUpdate();
}

}  // namespace qs
