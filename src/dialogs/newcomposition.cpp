#include "dialogs/newcomposition.h"

#include <algorithm>
#include <cmath>

#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"
#include "uikit/lrf.h"
#include "chords/guitar.h"
#include "chords/guitarpalette.h"
#include "dialogs/libraries.h"
#include "dialogs/newscore.h"
#include "palettes/glyphpainters.h"
#include "palettes/symbolpickers.h"
#include "platform/stdctrls.h"
#include "score/score.h"
#include "score/page.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/names.h"
#include "uikit/charbutton.h"
#include "uikit/pagecontrol.h"
#include "uikit/toolfaces.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/gui.h"
#include "platform/musicglyphs.h"
#include "view/window.h"

namespace qs {
namespace {

TStringList ListOf(const std::vector<std::string>& lines) {
  TStringList list;
  for (const std::string& l : lines) list.Add(l);
  return list;
}
std::vector<std::string> LinesOf(const TMemo& memo) {
  std::vector<std::string> lines;
  const TStringList list = memo.Lines();
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
  return lines;
}
// Owned by the form (which translates what it owns), shown on parent.
TLabel* MakeLabel(TWinControl* parent, const char* name, const char* text, int left, int top, int width) {
  TComponent* form = parent;
  while (auto* control = dynamic_cast<TControl*>(form)) {
    if (!control->Parent()) break;
    form = control->Parent();
  }
  TLabel* l = Make<TLabel>(form, parent, name, left, top, width, 16);
  l->SetCaption(text);
  return l;
}
TUpDown* Spin(TWinControl* parent, const char* name, TEdit* edit, int min, int max, int position) {
  TUpDown* u = Make<TUpDown>(parent, name, edit->Left() + edit->Width(), edit->Top(), 17, edit->Height());
  u->Min = min;
  u->Max = max;
  u->SetAssociate(edit);
  u->SetPosition(position);
  return u;
}
// A box of note values ("2", "4", ...).
template <size_t N>
TComboBox* UnitBox(TComponent* owner, TWinControl* parent, const char* name, int left, int top, const int (&units)[N]) {
  TComboBox* box = Make<TComboBox>(owner, parent, name, left, top, 56, 22);
  box->SetStyle(csDropDownList);
  TStringList items;
  for (int u : units) items.Add(std::to_string(u));
  box->SetItems(items);
  return box;
}
int EditNumber(const TEdit* e, const TUpDown* u) {
  return std::clamp(StrToIntSafe(Trim(e->Text()), u->Position()), u->Min, u->Max);
}

// The index of a top-level node (or of the top-level node above it).
int TopIndex(const TTreeView& tree, TTreeView::TNode node) {
  while (node && tree.Parent(node)) node = tree.Parent(node);
  for (int i = 0; node && i < tree.ChildCount(nullptr); ++i)
    if (tree.Child(nullptr, i) == node) return i;
  return -1;
}

const char* const kPaperNames[] = {"Default", "Letter", "LetterSmall", "Tabloid", "Ledger", "Ligal", "Statement",
                                   "Executive", "A3", "A4", "A4Small", "A5", "B4", "B5", "Folio", "Quarto",
                                   "qr10X14", "qr11X17", "Note", "Env9", "Env10", "Env11", "Env12", "Env14",
                                   "CSheet", "DSheet", "ESheet", "Custom"};
constexpr int kCustomPaper = 27;

// The whole units an up-down shows of a length: its arrows add to them
// and keep the fraction.
int LengthSpinPosition(double tenths, int unit) {
  const double v = SetupLengthIn(tenths, unit);
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(std::floor(v + 1e-9), 0.0, 10000.0));
}

// The setup's lengths in the order of the page's edit boxes.
double* LengthOf(TScoreSetup& s, int i) {
  return i == 0 ? &s.Width : i == 1 ? &s.Height : &s.Margins[i - 2];
}

}  // namespace

TStringList PaperSizeNames() {
  TStringList names;
  for (const char* name : kPaperNames) names.Add(name);
  return names;
}

// ------------------------------------------------------------ TFChooseInstruments

TFChooseInstruments::TFChooseInstruments(TComponent* owner, TIniFile* settings, const TQSInstruments* library)
    : TForm(owner), settings_(settings), library_(library) {
  SetName("FChooseInstruments");
  SetFormHelpTopic(Name(), "ChooseInstrument");
  SetCaption("Instruments");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(560);
  SetClientHeight(400);
  ApplySkinTemplate(*this, skinkind::Normal);
  TVSource = Make<TTreeView>(this, "TVSource", 8, 8, 220, 350);
  TVSource->SetMultiSelect(true);
  TVDest = Make<TTreeView>(this, "TVDest", 332, 8, 220, 350);
  TVDest->SetMultiSelect(true);
  CBAdd = Make<TButton>(this, "CBAdd", 234, 40, 92, 25);
  CBAdd->SetCaption("Add >");
  CBRemove = Make<TButton>(this, "CBRemove", 234, 72, 92, 25);
  CBRemove->SetCaption("< Remove");
  CBRemoveAll = Make<TButton>(this, "CBRemoveAll", 234, 104, 92, 25);
  CBRemoveAll->SetCaption("<< All");
  CBGroup = Make<TCheckBox>(this, "CBGroup", 234, 150, 92, 20);
  CBGroup->SetCaption("Group");
  CBGroup->SetChecked(true);
  CBSort = Make<TCheckBox>(this, "CBSort", 234, 174, 92, 20);
  CBSort->SetCaption("Sort");
  CBSort->SetChecked(true);
  BBOk = MakeOkButton(this, "&OK", 396, 368);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 477, 368);
  language_ = MakeFormLanguage(this, "LChooseInstruments");
  CBAdd->OnClick = [this](TObject*) { Add(); };
  CBRemove->OnClick = [this](TObject*) { Remove(); };
  CBRemoveAll->OnClick = [this](TObject*) { RemoveAll(); };
  CBGroup->OnClick = [this](TObject*) { Rebuild(); };
  CBSort->OnClick = [this](TObject*) { Rebuild(); };
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, "FChooseInstruments", bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
  // The library by its groups, in library order.
  std::map<std::string, TTreeView::TNode> groups;
  if (library_)
    for (const auto& d : library_->Items) {
      auto it = groups.find(d->Group);
      if (it == groups.end()) it = groups.emplace(d->Group, TVSource->AddChild(nullptr, d->Group)).first;
      source_[TVSource->AddChild(it->second, d->Name)] = d.get();
    }
}

TFChooseInstruments::~TFChooseInstruments() {
  if (settings_) WriteFormBounds(*settings_, "FChooseInstruments", BoundsRect());
}

void TFChooseInstruments::SetParts(const std::vector<TSetupPart>& parts) {
  chosen_.clear();
  for (const TSetupPart& p : parts) {
    auto d = std::make_unique<TQSInstrumentDescription>();
    d->Name = p.Name.empty() ? InstrumentName(p.Program) : p.Name;
    d->ShortName = p.ShortName;
    d->Fields.Program = p.Program;
    d->SetStaffCount(static_cast<uint8_t>(std::max<size_t>(1, p.Staves.size())));
    for (size_t s = 0; s < p.Staves.size(); ++s) d->SetClef(static_cast<int>(s), p.Staves[s].Clef);
    if (!p.Staves.empty()) {
      d->Fields.LineCount = static_cast<uint8_t>(p.Staves[0].Lines);
      d->Fields.Tablature = p.Staves[0].Tablature ? 1 : 0;
    }
    if (!p.Accolades.empty()) d->Fields.AccoladeKind = p.Accolades.back().Kind;
    d->SetTransport(static_cast<int>(p.Transports.size()), p.Transports.empty() ? nullptr : p.Transports.data());
    if (library_)
      if (const TQSInstrumentDescription* same = library_->FindEqual(*d)) {
        d->Group = same->Group;
        d->Fields.AccoladeScope = same->Fields.AccoladeScope;
        d->Fields.Order = same->Fields.Order;
      }
    chosen_.push_back(std::move(d));
  }
  Rebuild();
}

void TFChooseInstruments::Rebuild() {
  // Sorting keeps the score order of the library (a stable sort by the
  // order byte); grouping collects each group under one node placed by its
  // first instrument.
  if (CBSort->Checked())
    std::stable_sort(chosen_.begin(), chosen_.end(),
                     [](const auto& a, const auto& b) { return a->Fields.Order < b->Fields.Order; });
  if (CBGroup->Checked()) {
    std::vector<std::unique_ptr<TQSInstrumentDescription>> ordered;
    std::vector<bool> taken(chosen_.size(), false);
    for (size_t i = 0; i < chosen_.size(); ++i) {
      if (taken[i]) continue;
      const std::string group = chosen_[i]->Group;
      for (size_t j = i; j < chosen_.size(); ++j)
        if (!taken[j] && (j == i || (!group.empty() && chosen_[j]->Group == group))) {
          taken[j] = true;
          ordered.push_back(std::move(chosen_[j]));
        }
    }
    chosen_ = std::move(ordered);
  }
  TVDest->Clear();
  dest_.clear();
  TTreeView::TNode group = nullptr;
  std::string groupName;
  for (const auto& d : chosen_) {
    TTreeView::TNode parent = nullptr;
    if (CBGroup->Checked() && !d->Group.empty()) {
      if (!group || groupName != d->Group) {
        group = TVDest->AddChild(nullptr, d->Group);
        groupName = d->Group;
      }
      parent = group;
    } else {
      group = nullptr;
    }
    dest_[TVDest->AddChild(parent, d->Name)] = d.get();
    if (parent) TVDest->SetExpanded(parent, true);
  }
}

void TFChooseInstruments::Add() {
  if (!added_ && library_) {
    // The parts taken over from the score that are no library instrument
    // go at the first addition.
    std::erase_if(chosen_, [this](const auto& d) { return library_->FindEqual(*d) == nullptr; });
    added_ = true;
  }
  for (TTreeView::TNode node : TVSource->Selection()) {
    auto it = source_.find(node);
    if (it == source_.end()) continue;
    auto copy = std::make_unique<TQSInstrumentDescription>();
    copy->Assign(*it->second);
    chosen_.push_back(std::move(copy));
  }
  Rebuild();
}

void TFChooseInstruments::Remove() {
  std::vector<const TQSInstrumentDescription*> gone;
  for (TTreeView::TNode node : TVDest->Selection()) {
    if (auto it = dest_.find(node); it != dest_.end()) gone.push_back(it->second);
    // A group goes with its instruments.
    for (int i = 0; i < TVDest->ChildCount(node); ++i)
      if (auto it = dest_.find(TVDest->Child(node, i)); it != dest_.end()) gone.push_back(it->second);
  }
  std::erase_if(chosen_, [&gone](const auto& d) { return std::find(gone.begin(), gone.end(), d.get()) != gone.end(); });
  Rebuild();
}

void TFChooseInstruments::RemoveAll() {
  chosen_.clear();
  Rebuild();
}

std::vector<const TQSInstrumentDescription*> TFChooseInstruments::Chosen() const {
  std::vector<const TQSInstrumentDescription*> out;
  for (const auto& d : chosen_) out.push_back(d.get());
  return out;
}

bool TFChooseInstruments::Grouped() const { return CBGroup->Checked(); }

// ------------------------------------------------------------ TFNewComposition

TFNewComposition::TFNewComposition(TComponent* owner, TIniFile* settings, const TQSInstruments* library,
                                   const TQSTransports* transports, const TGuitarList* guitars)
    : TForm(owner),
      Preview(std::make_unique<TQSScore>()),
      settings_(settings),
      library_(library),
      transports_(transports),
      guitars_(guitars) {
  SetName("FNewComposition");
  SetFormHelpTopic(Name(), "NewInstrument");
  SetCaption("New score");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(780);
  SetClientHeight(540);
  ApplySkinTemplate(*this, skinkind::Normal);
  constexpr int L = 8, W = 328, F = 120;  // left, column width, field offset
  MakeLabel(this, "LTemplates", "Template", L, 10, F - 8);
  CBTemplates = Make<TComboBox>(this, "CBTemplates", L + F, 8, 344 - F, 22);
  CBTemplates->SetStyle(csDropDownList);
  PCProperties = Make<TECPageControl>(this, "PCProperties", 0, 36, 352, 498);
  PCProperties->PageSetting().SetDoubleSheet(false);
  PCProperties->SetSpiralVisible(false);
  PCProperties->PageSetting().SetOrientation(poBottom);
  auto sheet = [this](const char* name, const char* caption) {
    auto* page = new TECTabSheet(this);
    page->SetName(name);
    page->SetCaption(caption);
    page->SetPageControl(PCProperties);
    return page;
  };
  TSData = sheet("TSData", "Score");
  TSGeneral = sheet("TSGeneral", "Layout");
  TSPage = sheet("TSPage", "Page");
  TWinControl* d = TSData;
  MakeLabel(d, "LTitle", "Title", L, 6, W);
  MTitle = Make<TMemo>(this, d, "MTitle", L, 22, W, 40);
  MakeLabel(d, "LAuthor", "Composer", L, 66, W);
  MAuthor = Make<TMemo>(this, d, "MAuthor", L, 82, W, 30);
  MakeLabel(d, "LTempo", "Tempo", L, 122, F - 8);
  ETempo = Make<TEdit>(this, d, "ETempo", L + F, 120, 50, 21);
  UDTempo = Spin(d, "UDTempo", ETempo, 1, 512, 60);
  MakeLabel(d, "LSize", "Time signature", L, 150, F - 8);
  ENotes = Make<TEdit>(this, d, "ENotes", L + F, 148, 40, 21);
  UDNotes = Spin(d, "UDNotes", ENotes, 1, 128, 4);
  CBSize = UnitBox(this, d, "CBSize", L + F + 64, 148, kMeterUnits);
  {
    TFont music;
    music.Name = MusicFontName;
    music.Height = -24;
    const uint8_t signs[2] = {glyphs::TimeSigCommon, glyphs::TimeSigCutCommon};
    TECCharButton** buttons[2] = {&CBSymbol1, &CBSymbol2};
    for (int i = 0; i < 2; ++i) {
      TECCharButton* b = Make<TECCharButton>(this, d, i == 0 ? "CBSymbol1" : "CBSymbol2", L + F + 124 + 34 * i, 144,
                                             32, 28);
      b->SetFont(music);
      b->SetByte(signs[i]);
      b->SetPosX(8);
      b->SetPosY(-17);
      b->SetGroupIndex(1);
      b->SetAllowAllUp(true);
      b->SetShowHint(true);
      *buttons[i] = b;
    }
    CBSymbol1->SetHint("Common time");
    CBSymbol2->SetHint("Cut time");
  }
  MakeLabel(d, "LTone", "Key", L, 178, F - 8);
  CBKey = Make<TComboBox>(this, d, "CBKey", L + F, 176, W - F, 22);
  CBKey->SetStyle(csDropDownList);

  MakeLabel(d, "LMeasures", "Measures", L, 206, F - 8);
  EMeasures = Make<TEdit>(this, d, "EMeasures", L + F, 204, 50, 21);
  UDMeasures = Spin(d, "UDMeasures", EMeasures, 1, kMaxNewMeasures, 8);
  CBAuftakt = Make<TCheckBox>(this, d, "CBAuftakt", L, 232, F - 8, 20);
  CBAuftakt->SetCaption("Pickup");
  EAufTaktNotes = Make<TEdit>(this, d, "EAufTaktNotes", L + F, 232, 40, 21);
  UDAufTaktNotes = Spin(d, "UDAufTaktNotes", EAufTaktNotes, 0, 128, 1);
  CBAuftaktSize = UnitBox(this, d, "CBAuftaktSize", L + F + 64, 232, kPickupUnits);
  MakeLabel(d, "LParts", "Parts", L, 260, W);
  TVParts = Make<TTreeView>(this, d, "TVParts", L, 276, W, 64);
  // The node panel: the part's rows or the staff's row in one place.
  LName = MakeLabel(d, "LName", "Name", L, 348, 56);
  EName = Make<TEdit>(this, d, "EName", L + 58, 346, 130, 21);
  LBrief = MakeLabel(d, "LBrief", "Short", L + 194, 348, 58);
  EBrief = Make<TEdit>(this, d, "EBrief", L + 254, 346, 74, 21);
  EInstrument = Make<TEdit>(this, d, "EInstrument", L, 372, 124, 21);
  EInstrument->SetReadOnly(true);
  SBInstrument = Make<TButton>(this, d, "SBInstrument", L + 126, 371, 26, 23);
  CBTransport = Make<TComboBox>(this, d, "CBTransport", L, 397, 152, 22);
  CBTransport->SetStyle(csDropDownList);
  SBInstrument->SetCaption("...");
  // The key and the accolade are drawn on their buttons; the arrow of
  // each opens its picker.
  CBTone = Make<TECCharButton>(this, d, "CBTone", L + 158, 369, 74, 52);
  CBTone->SetDropWidth(12);
  CBTone->SetCustomDraw(true);
  LAccolade = MakeLabel(d, "LAccolade", "Accolade", L + 238, 374, 90);
  CBChooseAccolade = Make<TECCharButton>(this, d, "CBChooseAccolade", L + 238, 390, 34, 26);
  CBChooseAccolade->SetDropWidth(10);
  CBChooseAccolade->SetCustomDraw(true);
  CBAccolade = Make<TButton>(this, d, "CBAccolade", L + 274, 390, 18, 26);
  CBAccolade->SetCaption("+");
  CBIncAccolade = Make<TButton>(this, d, "CBIncAccolade", L + 294, 390, 17, 26);
  CBIncAccolade->SetCaption(">");
  CBDecAccolade = Make<TButton>(this, d, "CBDecAccolade", L + 312, 390, 17, 26);
  CBDecAccolade->SetCaption("<");
  for (TControl* c : std::initializer_list<TControl*>{CBTone, CBChooseAccolade, CBAccolade, CBIncAccolade,
                                                       CBDecAccolade, SBInstrument})
    c->SetShowHint(true);
  CBTone->SetHint("Key of the part");
  CBChooseAccolade->SetHint("Accolade of the part");
  CBAccolade->SetHint("Another accolade");
  CBIncAccolade->SetHint("One part more in the accolade");
  CBDecAccolade->SetHint("One part less in the accolade");
  SBInstrument->SetHint("General MIDI instrument");
  EInstrument->SetShowHint(true);
  EInstrument->SetHint("General MIDI instrument");
  CBTransport->SetShowHint(true);
  CBTransport->SetHint("Transposition");
  CBClef = Make<TButton>(this, d, "CBClef", L, 344, 100, 25);
  CBClef->SetCaption("Clef...");
  LLineCount = MakeLabel(d, "LLineCount", "Lines", L + 108, 348, 60);
  CBLineCount = Make<TComboBox>(this, d, "CBLineCount", L + 170, 346, 50, 22);
  CBLineCount->SetStyle(csDropDownList);
  TStringList lineCounts;
  for (const char* n : {"0", "1", "2", "3", "4", "5", "6", "7", "12"}) lineCounts.Add(n);
  CBLineCount->SetItems(lineCounts);
  CBTab = Make<TCheckBox>(this, d, "CBTab", L + 228, 348, 100, 20);
  CBTab->SetCaption("Tablature");
  BBGuitars = Make<TButton>(this, d, "BBGuitars", L, 372, 100, 25);
  BBGuitars->SetCaption("Guitar...");
  SBInstrumentList = Make<TButton>(this, d, "SBInstrumentList", L, 425, 128, 25);
  SBInstrumentList->SetCaption("Instruments...");
  SBAdd = Make<TButton>(this, d, "SBAdd", L + 132, 425, 96, 25);
  SBAdd->SetCaption("Add");
  SBDelete = Make<TButton>(this, d, "SBDelete", L + 232, 425, 96, 25);
  SBDelete->SetCaption("Delete");
  CBPartNames = Make<TCheckBox>(this, d, "CBPartNames", L, 453, W, 20);
  CBPartNames->SetCaption("Show instrument names");

  TWinControl* g = TSGeneral;
  MakeLabel(g, "LInterval", "Staff distance", L, 8, F + 40);
  EInterval = Make<TEdit>(this, g, "EInterval", L + F + 48, 6, 70, 21);
  UDInterval = Spin(g, "UDInterval", EInterval, 0, 10000, 12);
  UDInterval->SetAssociate(nullptr);
  LScale = MakeLabel(g, "LScale", "Scale = 100%", L, 36, W);
  TBScale = Make<TTrackBar>(this, g, "TBScale", L, 54, W, 28);
  TBScale->SetMin(50);
  TBScale->SetMax(200);
  TBScale->SetPosition(100);
  RBEvenly = Make<TRadioButton>(this, g, "RBEvenly", L, 92, F + 40, 20);
  RBEvenly->SetCaption("Evenly");
  ENoteInterval = Make<TEdit>(this, g, "ENoteInterval", L + F + 48, 92, 50, 21);
  UDNoteInterval = Spin(g, "UDNoteInterval", ENoteInterval, 0, 39, 2);
  RBProportional = Make<TRadioButton>(this, g, "RBProportional", L, 118, W, 20);
  RBProportional->SetCaption("Proportionally");
  RBPositional = Make<TRadioButton>(this, g, "RBPositional", L, 144, F + 40, 20);
  RBPositional->SetCaption("Measures a row");
  EMeasureCount = Make<TEdit>(this, g, "EMeasureCount", L + F + 48, 144, 50, 21);
  UDMeasureCount = Spin(g, "UDMeasureCount", EMeasureCount, 1, 155, 3);
  MakeLabel(g, "LAutoJoin", "Beaming", L, 178, W);
  const char* joins[4][2] = {{"RBJoinNone", "None"}, {"RBJoinMeasure", "Whole measure"},
                             {"RBJoinMeter", "By time signature"}, {"RBJoinCustom", "Groups"}};
  auto* joinBox = Make<TPanel>(this, g, "RGAutoJoin", L, 194, W, 104);
  for (int i = 0; i < 4; ++i) {
    RGAutoJoin[i] = Make<TRadioButton>(this, joinBox, joins[i][0], 4, 2 + 24 * i, F + 40, 20);
    RGAutoJoin[i]->SetCaption(joins[i][1]);
  }
  EUnionCount = Make<TEdit>(this, joinBox, "EUnionCount", F + 48, 74, 50, 21);
  UDUnionCount = Spin(joinBox, "UDUnionCount", EUnionCount, 2, 64, 2);
  CBHorzAlign = Make<TCheckBox>(this, g, "CBHorzAlign", L, 306, W, 20);
  CBHorzAlign->SetCaption("Align horizontally");
  CBVertAlign = Make<TCheckBox>(this, g, "CBVertAlign", L, 330, W, 20);
  CBVertAlign->SetCaption("Align vertically");

  TWinControl* pg = TSPage;
  MakeLabel(pg, "LMetric", "Unit", L, 8, W);
  const char* metrics[3][2] = {{"RBMillimetres", "Millimetres"}, {"RBInches", "Inches"}, {"RBPixels", "Pixels"}};
  auto* metricBox = Make<TPanel>(this, pg, "RGMetric", L, 24, W, 28);
  for (int i = 0; i < 3; ++i) {
    RGMetric[i] = Make<TRadioButton>(this, metricBox, metrics[i][0], 4 + 108 * i, 4, 104, 20);
    RGMetric[i]->SetCaption(metrics[i][1]);
  }
  MakeLabel(pg, "LPaperSize", "Paper", L, 62, F - 8);
  CBPaperSize = Make<TComboBox>(this, pg, "CBPaperSize", L + F, 60, W - F, 22);
  CBPaperSize->SetStyle(csDropDownList);
  TStringList papers;
  for (const char* name : kPaperNames) papers.Add(name);
  CBPaperSize->SetItems(papers);
  auto* orientation = Make<TPanel>(this, pg, "POrientation", L, 88, W, 28);
  RBPortrait = Make<TRadioButton>(this, orientation, "RBPortrait", 4, 4, 160, 20);
  RBPortrait->SetCaption("Portrait");
  RBLandscape = Make<TRadioButton>(this, orientation, "RBLandscape", 168, 4, 160, 20);
  RBLandscape->SetCaption("Landscape");
  const char* lengths[6][3] = {{"LWidthPaper", "EWidthPaper", "Width"},   {"LLengthPaper", "ELengthPaper", "Height"},
                               {"LLeftMargin", "ELeftMargin", "Left margin"}, {"LTopMargin", "ETopMargin", "Top margin"},
                               {"LRightMargin", "ERightMargin", "Right margin"},
                               {"LBottomMargin", "EBottomMargin", "Bottom margin"}};
  const char* spins[6] = {"UDWidthPaper", "UDLengthPaper", "UDLeftMargin", "UDTopMargin", "UDRightMargin", "UDBottomMargin"};
  for (int i = 0; i < 6; ++i) {
    const int top = 128 + 28 * i + (i >= 2 ? 12 : 0);
    MakeLabel(pg, lengths[i][0], lengths[i][2], L, top + 2, F + 40);
    Lengths[i] = Make<TEdit>(this, pg, lengths[i][1], L + F + 48, top, 80, 21);
    LengthSpins[i] = Spin(pg, spins[i], Lengths[i], 0, 10000, 10);
    LengthSpins[i]->SetAssociate(nullptr);
  }

  QSWindow = new TQSWindow(this);
  // Only a picture of the score: no rulers, no page buttons and no entry
  // mode beside them.
  QSWindow->Style = wsView;
  QSWindow->Rule.Visible = false;
  QSWindow->SetDataStyle(dsAll);
  QSWindow->SetCursorColor(0x00FFFF);  // yellow
  QSWindow->SetName("QSWindow");
  QSWindow->SetParent(this);
  QSWindow->SetBounds(360, 8, 412, 486);
  BBDefault = Make<TButton>(this, "BBDefault", 360, 506, 90, 25);
  BBDefault->SetCaption("Default");
  BBSave = Make<TButton>(this, "BBSave", 456, 506, 120, 25);
  BBSave->SetCaption("Save template...");
  BBOk = MakeOkButton(this, "&OK", 616, 506);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 697, 506);
  language_ = MakeFormLanguage(this, "FLNewComposition");
  // The keys: no accidentals, the sharp keys, the flat keys.
  TStringList keys;
  for (const std::string& name :
       SplitString(language_->GetMessage(6, "C major,G major,D major,A major,E major,B major,F sharp major,"
                                            "C sharp major,F major,B flat major,E flat major,A flat major,"
                                            "D flat major,G flat major,C flat major"),
                   ','))
    keys.Add(Trim(name));
  CBKey->SetItems(keys);
  TStringList presets;
  presets.Add(language_->GetMessage(8, "No transposition"));
  if (transports_)
    for (const auto& t : transports_->Items) presets.Add(t->Name);
  CBTransport->SetItems(presets);
  CBTransport->SetItemIndex(0);

  // The entry mode the view would show, in the interface language.
  Preview->SetInsertName(LanguageMessage("QSWindow", 1, "Insert"));
  Preview->SetOverwriteName(LanguageMessage("QSWindow", 2, "Overwrite"));
  QSWindow->SetScore(Preview.get());
  QSWindow->SetZoom(50);
  auto changed = [this](TObject*) { ApplyControls(); };
  for (TEdit* e : {ETempo, ENotes, EMeasures, EAufTaktNotes}) e->OnChange = changed;
  MTitle->OnChange = changed;
  MAuthor->OnChange = changed;
  for (TComboBox* c : {CBSize, CBAuftaktSize}) c->OnChange = changed;
  CBKey->OnChange = [this](TObject*) {
    // The box is a shortcut: every part takes the key, in major.
    if (building_ || CBKey->ItemIndex() < 0) return;
    const int k = CBKey->ItemIndex();
    for (TSetupPart& p : Setup.Parts) {
      p.Key = static_cast<uint8_t>(k <= 7 ? k : k + 3);
      p.Minor = false;
    }
    ApplyControls();
  };
  CBAuftakt->OnClick = changed;
  for (TECCharButton* b : {CBSymbol1, CBSymbol2})
    b->OnClick = [this](TObject*) {
      if (building_) return;
      Setup.MeterStyle = CBSymbol1->Down() ? 1 : CBSymbol2->Down() ? 2 : 0;
      ApplyControls();
    };
  for (TEdit* e : {ENoteInterval, EMeasureCount, EUnionCount}) e->OnChange = changed;
  for (TRadioButton* b : {RBEvenly, RBProportional, RBPositional, RBPortrait, RBLandscape}) b->OnClick = changed;
  for (TRadioButton* b : RGAutoJoin) b->OnClick = changed;
  for (TRadioButton* b : RGMetric) b->OnClick = changed;
  for (TCheckBox* b : {CBHorzAlign, CBVertAlign}) b->OnClick = changed;
  CBPaperSize->OnChange = changed;
  TBScale->OnChange = changed;
  // A length is taken from its box as typed, in the unit shown, and
  // written back with its unit when the box is left; its arrows step by
  // whole units and keep the fraction.
  auto lengthControls = [this](TEdit* edit, TUpDown* spin, double* tenths) {
    edit->OnChange = [this, edit, spin, tenths](TObject*) {
      if (building_) return;
      *tenths = SetupLengthFrom(static_cast<double>(ParseSetupLength(edit->Text())), Setup.Unit);
      building_ = true;
      spin->SetPosition(LengthSpinPosition(*tenths, Setup.Unit));
      building_ = false;
      ApplyControls();
    };
    edit->OnExit = [this](TObject*) { ShowLengths(); };
    edit->OnKeyPress = [this](TObject*, char16_t& key) {
      // Digits and one kind of decimal separator; pixels are whole.
      const bool separator = (key == u'.' || key == u',') && Setup.Unit != 2;
      if (key >= u' ' && !(key >= u'0' && key <= u'9') && !separator) key = 0;
    };
    spin->OnClick = [this, spin, tenths](TObject*, TUDBtnType) {
      const double shown = SetupLengthIn(*tenths, Setup.Unit);
      const double fraction = shown - LengthSpinPosition(*tenths, Setup.Unit);
      *tenths = SetupLengthFrom(spin->Position() + std::max(0.0, fraction), Setup.Unit);
      ShowLengths();
      ApplyControls();
    };
  };
  lengthControls(EInterval, UDInterval, &Setup.Interval);
  for (int i = 0; i < 6; ++i) lengthControls(Lengths[i], LengthSpins[i], LengthOf(Setup, i));
  CBPartNames->OnClick = changed;
  CBTemplates->OnChange = [this](TObject*) {
    if (!building_) ApplyTemplate(CBTemplates->ItemIndex());
  };
  SBInstrumentList->OnClick = [this](TObject*) { ChooseInstruments(); };
  SBAdd->OnClick = [this](TObject*) { AddNode(); };
  SBDelete->OnClick = [this](TObject*) { DeleteNode(); };
  TVParts->OnChange = [this](TObject*) {
    if (!building_) UpdateNodeControls();
  };
  auto partText = [this](bool brief) {
    return [this, brief](TObject*) {
      const TNodePath path = SelectedNode();
      if (building_ || path.Part < 0 || path.Staff >= 0) return;
      TSetupPart& part = Setup.Parts[size_t(path.Part)];
      (brief ? part.ShortName : part.Name) = (brief ? EBrief : EName)->Text();
      ApplyControls();
    };
  };
  EName->OnChange = partText(false);
  EBrief->OnChange = partText(true);
  CBLineCount->OnChange = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (building_ || path.Staff < 0) return;
    Setup.Parts[size_t(path.Part)].Staves[size_t(path.Staff)].Lines = StrToIntSafe(CBLineCount->Text(), 5);
    ApplyControls();
  };
  CBTab->OnClick = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (building_ || path.Staff < 0) return;
    TSetupStaff& staff = Setup.Parts[size_t(path.Part)].Staves[size_t(path.Staff)];
    // A tablature staff has six lines and the tablature clef.
    staff.Tablature = CBTab->Checked();
    staff.Lines = staff.Tablature ? 6 : 5;
    staff.Tuning.clear();
    SetStaffClef(path, staff.Tablature ? 13 : 1);
  };
  CBClef->OnClick = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (path.Staff < 0) return;
    auto* picker = new TFChooseClef(this);
    picker->SetClef(Setup.Parts[size_t(path.Part)].Staves[size_t(path.Staff)].Clef);
    picker->OnChoose = [this, path](TObject*, int clef) {
      if (clef > 0) SetStaffClef(path, clef);
    };
    picker->DropDownBelow(*CBClef);
  };
  // The part's key: its picker with the mode, without the respelling of
  // notes (a new score has none).
  auto chooseKey = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (path.Part < 0 || path.Staff >= 0) return;
    const TSetupPart& part = Setup.Parts[size_t(path.Part)];
    auto* picker = new TFChooseTone(this);
    picker->CBModify->SetVisible(false);
    picker->SetMinor(part.Minor);
    picker->SetTone(part.Key);
    const int index = path.Part;
    picker->OnChoose = [this, picker, index](TObject*) {
      SetPartKey(index, picker->GetTone(), picker->GetMinor());
    };
    picker->DropDownBelow(*CBTone);
  };
  CBTone->OnClick = chooseKey;
  CBTone->OnButtonClick = chooseKey;
  CBTone->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    const TNodePath path = SelectedNode();
    if (path.Part < 0 || path.Part >= int(Setup.Parts.size())) return;
    const TSetupPart& part = Setup.Parts[size_t(path.Part)];
    toolface::Raised(*CBTone, r, [&](const TRect& face, TColor ink) {
      DrawKeySignature(c, face, ink != clBlack, face.Top, part.Minor ? 1 : 0, part.Key);
    });
  };
  auto chooseAccolade = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (path.Part < 0 || path.Staff >= 0) return;
    auto* picker = new TFChooseAccolade(this);
    picker->ShowNoneButton();
    picker->SetAccolade(GetPartAccolade(path.Part));
    const int index = path.Part;
    picker->OnChoose = [this, picker, index](TObject*) {
      const int kind = picker->GetAccolade();
      SetPartAccolade(index, kind);
      if (settings_) settings_->WriteInteger(kNewCompositionSection, "Accolade", kind);
    };
    picker->DropDownBelow(*CBChooseAccolade);
  };
  CBChooseAccolade->OnClick = chooseAccolade;
  CBChooseAccolade->OnButtonClick = chooseAccolade;
  CBChooseAccolade->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    const TNodePath path = SelectedNode();
    if (path.Part < 0) return;
    const int kind = GetPartAccolade(path.Part);
    toolface::Raised(*CBChooseAccolade, r,
                     [&](const TRect& face, TColor ink) { DrawAccolade(c, face, ink != clBlack, kind); });
  };
  CBAccolade->OnClick = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (path.Part >= 0 && path.Staff < 0) AddPartAccolade(path.Part);
  };
  CBIncAccolade->OnClick = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (path.Part >= 0 && path.Staff < 0) ChangeAccoladeSpan(path.Part, 1);
  };
  CBDecAccolade->OnClick = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (path.Part >= 0 && path.Staff < 0) ChangeAccoladeSpan(path.Part, -1);
  };
  CBTransport->OnChange = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (building_ || path.Part < 0 || path.Staff >= 0) return;
    std::vector<TQSTransportRecord>& values = Setup.Parts[size_t(path.Part)].Transports;
    const int index = CBTransport->ItemIndex();
    if (index <= 0 || !transports_ || index > int(transports_->Items.size())) values.clear();
    else values = transports_->Items[size_t(index - 1)]->Values;
    ApplyControls();
  };
  SBInstrument->OnClick = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (path.Part < 0 || path.Staff >= 0) return;
    TFChooseTembr chooser(this, settings_);
    chooser.SetTembr(Setup.Parts[size_t(path.Part)].Program);
    if (chooser.ShowModal() != mrOk) return;
    const int program = chooser.GetTembr();
    SetPartProgram(path.Part, program < 0 ? 255 : program);
  };
  BBGuitars->OnClick = [this](TObject*) {
    const TNodePath path = SelectedNode();
    if (path.Staff < 0 || !guitars_ || guitars_->empty()) return;
    auto* chooser = new TFGuitarName(this);
    chooser->HideDirections();
    std::vector<std::string> names;
    for (const auto& g : *guitars_) names.push_back(g->Name);
    chooser->SetNames(names);
    chooser->OnChosen = [this, path](TFGuitarName*, int index, int) { SetStaffGuitar(path, index); };
    PlaceBelowControl(*BBGuitars, *chooser);
    chooser->Show();
  };
  BBDefault->OnClick = [this](TObject*) { ShowSetup(BuiltInSetup()); };
  BBSave->OnClick = [this](TObject*) {
    TFGetName ask(this, settings_);
    if (CBTemplates->ItemIndex() > 0) ask.EName->SetText(CBTemplates->Text());
    ask.OnValidate = [this, &ask](TObject*) { return SaveTemplate(Trim(ask.EName->Text())); };
    ask.ShowModal();
  };
  // The Helper explains the page in front, beside the wizard; the main
  // window's topic comes back when the wizard closes.
  OnShow = [this](TObject*) {
    ShowHelperContext(HelperContext(), true, Left(), Top(), Width(), Height());
    if (CanFocus()) SetFocus();
  };
  PCProperties->OnPageChange = [this](TObject*) {
    if (Visible()) ShowHelperContext(HelperContext(), false);
  };
  OnClose = [](TObject*, TCloseAction&) { ReturnHelperContext(); };
  FillTemplateList();
  ShowSetup(settings_ ? ReadSetupSettings(*settings_) : BuiltInSetup());
}

std::vector<std::string> TFNewComposition::HelperContext() const {
  const TECTabSheet* page = PCProperties->ActivePage();
  const char* topic = page == TSGeneral ? "NewFileGeneral" : page == TSPage ? "NewFilePage" : "NewFileData";
  return {"NewComposition", topic};
}

TFNewComposition::~TFNewComposition() {
  // Also after Cancel: the next wizard starts from this layout.
  if (settings_) WriteSetupSettings(*settings_, Setup);
  if (QSWindow) QSWindow->SetScore(nullptr);
}

void TFNewComposition::ChangeUnit(int unit) {
  // The lengths are kept apart from the unit they are shown in.
  Setup.Unit = std::clamp(unit, 0, 2);
  ShowLengths();
}

void TFNewComposition::ShowLengths() {
  const bool building = building_;
  building_ = true;
  const bool custom = Setup.Paper == kCustomPaper;
  // A named paper shows its own size; the custom size stays kept for when
  // "Custom" is chosen again.
  long double paperWidth = 0, paperHeight = 0;
  const bool named = PaperSizeMM(static_cast<TQSPaperSize>(std::clamp(Setup.Paper, 0, kCustomPaper)), paperWidth,
                                 paperHeight);
  if (!Setup.Portrait) std::swap(paperWidth, paperHeight);
  auto show = [this](TEdit* edit, TUpDown* spin, double tenths) {
    spin->SetPosition(LengthSpinPosition(tenths, Setup.Unit));
    edit->SetText(FormatSetupLength(SetupLengthIn(tenths, Setup.Unit), Setup.Unit));
  };
  show(EInterval, UDInterval, Setup.Interval);
  for (int i = 0; i < 6; ++i) {
    double tenths = *LengthOf(Setup, i);
    if (i < 2 && !custom && named) tenths = static_cast<double>((i == 0 ? paperWidth : paperHeight) * 10);
    show(Lengths[i], LengthSpins[i], tenths);
    if (i < 2) {
      Lengths[i]->SetEnabled(custom);
      LengthSpins[i]->SetEnabled(custom);
    }
  }
  building_ = building;
}

int TFNewComposition::Measures() const { return EditNumber(EMeasures, UDMeasures); }

void TFNewComposition::ShowSetup(const TScoreSetup& setup) {
  Setup = setup;
  building_ = true;
  MTitle->SetLines(ListOf(Setup.Title));
  MAuthor->SetLines(ListOf(Setup.Author));
  UDTempo->SetPosition(Setup.Tempo);
  ETempo->SetText(std::to_string(Setup.Tempo));
  UDNotes->SetPosition(Setup.Beats);
  ENotes->SetText(std::to_string(Setup.Beats));
  CBSize->SetItemIndex(std::clamp(Setup.UnitIndex, 0, 5));
  CBAuftakt->SetChecked(Setup.Pickup);
  UDAufTaktNotes->SetPosition(Setup.PickupCount);
  EAufTaktNotes->SetText(std::to_string(Setup.PickupCount));
  CBAuftaktSize->SetItemIndex(std::clamp(Setup.PickupUnitIndex, 0, 6));
  CBPartNames->SetChecked(Setup.PartNames);
  if (EMeasures->Text().empty()) EMeasures->SetText(std::to_string(UDMeasures->Position()));
  TBScale->SetPosition(Setup.Scale);
  RBEvenly->SetChecked(Setup.Placing < 50);
  RBProportional->SetChecked(Setup.Placing >= 50 && Setup.Placing < 100);
  RBPositional->SetChecked(Setup.Placing >= 100);
  UDNoteInterval->SetPosition(Setup.Placing < 50 ? Setup.Placing - 10 : 2);
  UDMeasureCount->SetPosition(Setup.Placing > 100 ? Setup.Placing - 100 : 3);
  for (int i = 0; i < 4; ++i) RGAutoJoin[i]->SetChecked(std::min(Setup.Join, 3) == i);
  UDUnionCount->SetPosition(Setup.Join > 2 ? Setup.Join - 1 : 2);
  CBHorzAlign->SetChecked(Setup.HorzAlign);
  CBVertAlign->SetChecked(Setup.VertAlign);
  for (int i = 0; i < 3; ++i) RGMetric[i]->SetChecked(Setup.Unit == i);
  CBPaperSize->SetItemIndex(std::clamp(Setup.Paper, 0, kCustomPaper));
  RBPortrait->SetChecked(Setup.Portrait);
  RBLandscape->SetChecked(!Setup.Portrait);
  ShowLengths();
  building_ = false;
  ApplyControls();
}

void TFNewComposition::ApplyControls() {
  if (building_) return;
  Setup.Title = LinesOf(*MTitle);
  Setup.Author = LinesOf(*MAuthor);
  Setup.Tempo = EditNumber(ETempo, UDTempo);
  Setup.Beats = EditNumber(ENotes, UDNotes);
  Setup.UnitIndex = std::max(0, CBSize->ItemIndex());
  // The signs stand for 4/4 (common time) and 2/4 or 4/4 (cut time) only.
  const bool common = Setup.Beats == 4 && Setup.MeterUnit() == 4;
  const bool cut = (Setup.Beats == 2 || Setup.Beats == 4) && Setup.MeterUnit() == 4;
  if ((Setup.MeterStyle == 1 && !common) || (Setup.MeterStyle == 2 && !cut)) Setup.MeterStyle = 0;
  CBSymbol1->SetEnabled(common);
  CBSymbol2->SetEnabled(cut);
  CBSymbol1->SetDown(Setup.MeterStyle == 1);
  CBSymbol2->SetDown(Setup.MeterStyle == 2);
  Setup.Pickup = CBAuftakt->Checked();
  Setup.PickupCount = EditNumber(EAufTaktNotes, UDAufTaktNotes);
  Setup.PickupUnitIndex = std::max(0, CBAuftaktSize->ItemIndex());
  EAufTaktNotes->SetEnabled(Setup.Pickup);
  CBAuftaktSize->SetEnabled(Setup.Pickup);
  Setup.PartNames = CBPartNames->Checked();
  Setup.Scale = TBScale->Position();
  LScale->SetCaption(language_->GetMessage(5, "Scale") + " = " + std::to_string(Setup.Scale) + "%");
  Setup.Placing = RBEvenly->Checked()         ? 10 + EditNumber(ENoteInterval, UDNoteInterval)
                  : RBProportional->Checked() ? 50
                                              : 100 + EditNumber(EMeasureCount, UDMeasureCount);
  ENoteInterval->SetEnabled(RBEvenly->Checked());
  EMeasureCount->SetEnabled(RBPositional->Checked());
  Setup.Join = 2;
  for (int i = 0; i < 3; ++i)
    if (RGAutoJoin[i]->Checked()) Setup.Join = i;
  if (RGAutoJoin[3]->Checked()) Setup.Join = EditNumber(EUnionCount, UDUnionCount) + 1;
  EUnionCount->SetEnabled(RGAutoJoin[3]->Checked());
  Setup.HorzAlign = CBHorzAlign->Checked();
  Setup.VertAlign = CBVertAlign->Checked();
  for (int i = 0; i < 3; ++i)
    if (RGMetric[i]->Checked() && Setup.Unit != i) ChangeUnit(i);
  const int paper = std::max(0, CBPaperSize->ItemIndex());
  const bool portrait = !RBLandscape->Checked();
  if (paper != Setup.Paper || portrait != Setup.Portrait) {
    Setup.Paper = paper;
    Setup.Portrait = portrait;
    ShowLengths();
  }
  BuildSetupScore(*Preview, Setup, Measures());
  // The tree: a node a part, its staves below it and their voices below
  // them; the selected node stays selected.
  const TNodePath selected = SelectedNode();
  building_ = true;
  TVParts->Clear();
  nodes_.clear();
  for (size_t p = 0; p < Setup.Parts.size(); ++p) {
    const TSetupPart& part = Setup.Parts[p];
    const std::string program = part.Program == 255 ? std::string() : InstrumentName(part.Program);
    TTreeView::TNode node = TVParts->AddChild(nullptr, part.Name + " (" + program + ")");
    nodes_[node] = {int(p), -1, -1};
    for (size_t s = 0; s < part.Staves.size(); ++s) {
      TTreeView::TNode staff = TVParts->AddChild(node, language_->GetMessage(4, "Staff") + " " + std::to_string(s + 1));
      nodes_[staff] = {int(p), int(s), -1};
      for (int v = 0; v < part.Staves[s].Voices; ++v)
        nodes_[TVParts->AddChild(staff, language_->GetMessage(7, "Voice") + " " + std::to_string(v + 1))] = {
            int(p), int(s), v};
      TVParts->SetExpanded(staff, true);
    }
    TVParts->SetExpanded(node, true);
  }
  SelectNode(selected);
  building_ = false;
  UpdateNodeControls();
}

TFNewComposition::TNodePath TFNewComposition::SelectedNode() const {
  auto it = nodes_.find(TVParts->Selected());
  return it == nodes_.end() ? TNodePath{} : it->second;
}

void TFNewComposition::SelectNode(const TNodePath& path) {
  TTreeView::TNode best = nullptr;
  for (const auto& [node, p] : nodes_) {
    if (p.Part == std::min(std::max(path.Part, 0), int(Setup.Parts.size()) - 1) && p.Staff == path.Staff &&
        p.Voice == path.Voice)
      best = node;
  }
  if (!best)
    for (const auto& [node, p] : nodes_)
      if (p.Part == 0 && p.Staff < 0) best = node;
  TVParts->SetSelected(best);
}

void TFNewComposition::UpdateNodeControls() {
  const TNodePath path = SelectedNode();
  const bool part = path.Part >= 0 && path.Staff < 0, staff = path.Staff >= 0 && path.Voice < 0;
  const bool building = building_;
  building_ = true;
  for (TControl* c : std::initializer_list<TControl*>{LName, EName, LBrief, EBrief, CBTransport, EInstrument,
                                                       SBInstrument, CBTone, LAccolade, CBChooseAccolade, CBAccolade,
                                                       CBIncAccolade, CBDecAccolade})
    c->SetVisible(part);
  for (TControl* c : std::initializer_list<TControl*>{CBClef, LLineCount, CBLineCount, CBTab, BBGuitars})
    c->SetVisible(staff);
  if (part) {
    EName->SetText(Setup.Parts[size_t(path.Part)].Name);
    EBrief->SetText(Setup.Parts[size_t(path.Part)].ShortName);
    const uint8_t program = Setup.Parts[size_t(path.Part)].Program;
    EInstrument->SetText(program == 255 ? std::string() : InstrumentName(program));
    CBTone->Invalidate();
    CBChooseAccolade->Invalidate();
    // The preset of the part's transposition, "none" when no preset has it.
    const std::vector<TQSTransportRecord>& values = Setup.Parts[size_t(path.Part)].Transports;
    const int preset = transports_ && !values.empty() ? transports_->IndexOfValues(int(values.size()), values.data()) : -1;
    CBTransport->SetItemIndex(preset + 1);
  }
  // The score's key box shows the key all parts share in major, else none.
  int shared = Setup.Parts.empty() ? -1 : Setup.Parts[0].Key;
  for (const TSetupPart& p : Setup.Parts)
    if (p.Key != shared || p.Minor) shared = -1;
  CBKey->SetItemIndex(shared < 0 ? -1 : shared <= 7 ? shared : shared >= 11 && shared <= 17 ? shared - 3 : -1);
  if (staff) {
    const TSetupStaff& s = Setup.Parts[size_t(path.Part)].Staves[size_t(path.Staff)];
    const TStringList items = CBLineCount->Items();
    CBLineCount->SetItemIndex(items.IndexOf(std::to_string(s.Lines)));
    CBTab->SetChecked(s.Tablature);
    BBGuitars->SetEnabled(s.Tablature && guitars_ && !guitars_->empty());
  }
  building_ = building;
}

void TFNewComposition::AddNode() {
  TNodePath path = SelectedNode();
  if (path.Part < 0) return;
  TSetupPart& part = Setup.Parts[size_t(path.Part)];
  if (path.Staff < 0) {
    if (Setup.Parts.size() >= size_t(kMaxTemplateParts)) return;
    TSetupPart added;
    added.Key = part.Key;
    Setup.Parts.insert(Setup.Parts.begin() + path.Part + 1, added);
    ++path.Part;
  } else if (path.Voice < 0) {
    if (part.Staves.size() >= size_t(kMaxSetupStaves)) return;
    part.Staves.push_back(TSetupStaff{});
    // Staves of one part are braced together.
    if (part.Accolades.empty()) part.Accolades.push_back({0, 0});
    path.Staff = int(part.Staves.size()) - 1;
  } else {
    TSetupStaff& staff = part.Staves[size_t(path.Staff)];
    if (staff.Voices >= kMaxSetupVoices) return;
    path.Voice = staff.Voices++;
  }
  ApplyControls();
  SelectNode(path);
  UpdateNodeControls();
}

void TFNewComposition::DeleteNode() {
  TNodePath path = SelectedNode();
  if (path.Part < 0) return;
  TSetupPart& part = Setup.Parts[size_t(path.Part)];
  if (path.Staff < 0) {
    if (Setup.Parts.size() < 2) return;  // the only part stays
    Setup.Parts.erase(Setup.Parts.begin() + path.Part);
    path.Part = std::max(0, path.Part - 1);
  } else if (path.Voice < 0) {
    if (part.Staves.size() < 2) return;
    part.Staves.erase(part.Staves.begin() + path.Staff);
    if (part.Staves.size() == 1 && !part.Accolades.empty()) part.Accolades.erase(part.Accolades.begin());
    path.Staff = std::max(0, path.Staff - 1);
  } else {
    TSetupStaff& staff = part.Staves[size_t(path.Staff)];
    if (staff.Voices < 2) return;
    --staff.Voices;
    path.Voice = std::min(path.Voice, staff.Voices - 1);
  }
  ApplyControls();
  SelectNode(path);
  UpdateNodeControls();
}

void TFNewComposition::SetStaffClef(const TNodePath& path, int clef) {
  if (path.Part < 0 || path.Part >= int(Setup.Parts.size())) return;
  TSetupPart& part = Setup.Parts[size_t(path.Part)];
  if (path.Staff < 0 || path.Staff >= int(part.Staves.size())) return;
  // The channel and percussion rules follow from the clef when the score
  // is built.
  part.Staves[size_t(path.Staff)].Clef = static_cast<uint8_t>(clef);
  ApplyControls();
}

void TFNewComposition::SetStaffGuitar(const TNodePath& path, int guitar) {
  if (!guitars_ || guitar < 0 || guitar >= int(guitars_->size())) return;
  if (path.Part < 0 || path.Part >= int(Setup.Parts.size())) return;
  TSetupPart& part = Setup.Parts[size_t(path.Part)];
  if (path.Staff < 0 || path.Staff >= int(part.Staves.size())) return;
  const TQSGuitarDescription& g = *(*guitars_)[size_t(guitar)];
  TSetupStaff& staff = part.Staves[size_t(path.Staff)];
  // A line a string, where the line-count box has that many.
  const int strings = std::min<int>(g.StringCount, TQSGuitarDescription::kMaxStrings);
  staff.Lines = CBLineCount->Items().IndexOf(std::to_string(strings)) >= 0 ? strings : 5;
  staff.Tuning.clear();
  for (int i = 0; i < strings; ++i) staff.Tuning.push_back(g.GetTuning(i));
  ApplyControls();
}

void TFNewComposition::SetPartKey(int part, int key, bool minor) {
  if (part < 0 || part >= int(Setup.Parts.size())) return;
  if (!((key >= 0 && key <= 7) || (key >= 11 && key <= 17))) return;
  Setup.Parts[size_t(part)].Key = static_cast<uint8_t>(key);
  Setup.Parts[size_t(part)].Minor = minor;
  ApplyControls();
}

void TFNewComposition::SetPartProgram(int part, int program) {
  if (part < 0 || part >= int(Setup.Parts.size()) || program < 0 || program > 255) return;
  Setup.Parts[size_t(part)].Program = static_cast<uint8_t>(program);
  ApplyControls();
}

int TFNewComposition::GetPartAccolade(int part) const {
  if (part < 0 || part >= int(Setup.Parts.size()) || Setup.Parts[size_t(part)].Accolades.empty()) return kNoAccolade;
  return Setup.Parts[size_t(part)].Accolades.back().Kind;
}

void TFNewComposition::SetPartAccolade(int part, int kind) {
  if (part < 0 || part >= int(Setup.Parts.size())) return;
  std::vector<TSetupAccolade>& accolades = Setup.Parts[size_t(part)].Accolades;
  if (kind == kNoAccolade) {
    if (accolades.empty()) return;
    accolades.pop_back();
  } else if (kind >= 0 && kind <= 2) {
    if (accolades.empty()) accolades.push_back({});
    accolades.back().Kind = static_cast<uint8_t>(kind);
  } else {
    return;
  }
  ApplyControls();
}

void TFNewComposition::AddPartAccolade(int part) {
  if (part < 0 || part >= int(Setup.Parts.size())) return;
  std::vector<TSetupAccolade>& accolades = Setup.Parts[size_t(part)].Accolades;
  if (accolades.size() >= size_t(kMaxTemplateAccolades)) return;
  const int kind = GetPartAccolade(part);
  accolades.push_back({static_cast<uint8_t>(kind == kNoAccolade ? 0 : kind), 0});
  ApplyControls();
}

void TFNewComposition::ChangeAccoladeSpan(int part, int step) {
  if (part < 0 || part >= int(Setup.Parts.size())) return;
  std::vector<TSetupAccolade>& accolades = Setup.Parts[size_t(part)].Accolades;
  if (accolades.empty()) return;
  const int span = accolades.back().Span + step;
  if (span < 0 || span > int(Setup.Parts.size()) - part - 1) return;
  accolades.back().Span = static_cast<uint16_t>(span);
  ApplyControls();
}

void TFNewComposition::FillTemplateList(const std::string& select) {
  building_ = true;
  TStringList items;
  items.Add(language_->GetMessage(0, "(none)"));
  int index = 0;
  for (const std::string& name : TemplateNames()) {
    if (name == select) index = items.Count();
    items.Add(name);
  }
  CBTemplates->SetItems(items);
  CBTemplates->SetItemIndex(index);
  building_ = false;
}

bool TFNewComposition::ApplyTemplate(int index) {
  if (index <= 0) return true;
  const std::string file = FindTemplateFile(CBTemplates->Items()[index]);
  if (file.empty()) return false;
  TScoreSetup setup = Setup;
  try {
    LoadScoreTemplate(file, setup);
  } catch (const Exception&) {
    // A template that cannot be read gives the saved defaults.
    ShowSetup(settings_ ? ReadSetupSettings(*settings_) : BuiltInSetup());
    return false;
  }
  ShowSetup(setup);
  return true;
}

bool TFNewComposition::SaveTemplate(const std::string& name) {
  const std::string file = UserTemplateFile(name);
  if (file.empty()) {
    ShowMessageBlock(Caption(), language_->GetMessage(3, "This name cannot be a file name."), kMessageWarning, kMessageOk);
    return false;
  }
  if (FileExists(file) &&
      ShowMessageBlock(language_->GetMessage(1, "Template"),
                       Format(language_->GetMessage(2, "Replace the template %s?").c_str(), file.c_str()),
                       kMessageQuestion, kMessageYes | kMessageNo) != mrYes)
    return false;
  try {
    SaveScoreTemplate(file, Setup);
  } catch (const Exception& e) {
    ShowMessageBlock(Caption(), e.Message(), kMessageWarning, kMessageOk);
    return false;
  }
  FillTemplateList(name);
  return true;
}

void TFNewComposition::ChooseInstruments() {
  TFChooseInstruments chooser(this, settings_, library_);
  chooser.SetParts(Setup.Parts);
  if (chooser.ShowModal() != mrOk) return;
  // The new parts take the key of the first one.
  const uint8_t key = Setup.Parts.empty() ? 0 : Setup.Parts[0].Key;
  const bool minor = !Setup.Parts.empty() && Setup.Parts[0].Minor;
  SetInstrumentParts(Setup, chooser.Chosen(), chooser.Grouped());
  for (TSetupPart& p : Setup.Parts) {
    p.Key = key;
    p.Minor = minor;
    // Tablature is tuned like the library's first guitar.
    if (guitars_ && !guitars_->empty())
      for (TSetupStaff& staff : p.Staves)
        if (staff.Tablature) {
          const TQSGuitarDescription& g = *guitars_->front();
          staff.Tuning.clear();
          for (int i = 0; i < std::min<int>(g.StringCount, TQSGuitarDescription::kMaxStrings); ++i)
            staff.Tuning.push_back(g.GetTuning(i));
        }
  }
  ShowSetup(Setup);
}

void TFNewComposition::Finish() {
  ApplyControls();
  FinishScore(*Preview);
}

bool RunNewCompositionWizard(TIniFile* settings, const TQSInstruments* library, const TQSTransports* transports,
                             const TFNewComposition::TGuitarList* guitars, TQSScore& score) {
  TFNewComposition wizard(nullptr, settings, library, transports, guitars);
  if (wizard.ShowModal() != mrOk) return false;
  wizard.Finish();
  wizard.QSWindow->SetScore(nullptr);
  score.Assign(*wizard.Preview);
  return true;
}

void RegisterNewCompositionForms() {
  RegisterForm("FNewComposition", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFNewComposition>(nullptr, nullptr, nullptr);
  });
  RegisterForm("FChooseInstruments", [](const std::string& language) -> std::unique_ptr<TCustomForm> {
    // The shipped library of the language, with a string quartet chosen.
    static std::map<std::string, std::unique_ptr<TQSInstruments>> libraries;
    auto& library = libraries[language];
    if (!library) {
      library = std::make_unique<TQSInstruments>();
      library->FileName = InstrumentFileForLanguage("Default", language);
      const CodePage saved = DefaultCodePage();
      SetDefaultCodePage(LanguageCodePage(language));
      try {
        library->LoadFromFile();
      } catch (const Exception&) {
        library->Items.clear();
      }
      SetDefaultCodePage(saved);
    }
    auto form = std::make_unique<TFChooseInstruments>(nullptr, nullptr, library.get());
    std::vector<TSetupPart> parts;
    for (const auto& d : library->Items)
      if (d->Fields.Program >= 40 && d->Fields.Program <= 42 && parts.size() < 4) parts.push_back(PartOfInstrument(*d));
    form->SetParts(parts);
    return form;
  });
}

}  // namespace qs
