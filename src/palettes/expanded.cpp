#include "palettes/expanded.h"

#include <algorithm>
#include <climits>
#include <filesystem>

#include "base/exceptions.h"
#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "editing/palette.h"
#include "palettes/dropdown.h"
#include "palettes/glyphpainters.h"
#include "palettes/libraryfile.h"
#include "palettes/symboldialogs.h"
#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "platform/paths.h"
#include "score/pageobjects.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/scrollpanel.h"
#include "uikit/settings.h"
#include "uikit/toolfaces.h"
#include "view/window.h"

namespace qs {

namespace {

// Point and Erase in the first column, the regime and the save button in
// the second, the drop-down of every symbol beside them and then the
// symbol buttons, 26 x 26 in two rows 27 pixels apart.
constexpr int kTop0 = 5, kTop1 = 32, kToolWidth = 25, kToolHeight = 26;
constexpr int kSymbolsLeft = 54, kSymbolsWidth = 13;
constexpr int kPanelLeft = kSymbolsLeft + kSymbolsWidth + 2;
constexpr int kSymbolSize = 26, kSymbolStep = 27;
constexpr TColor kSymbolBorder = 0x404042;

}  // namespace

// ------------------------------------------------------------- drawings

int SymbolFaceZoom(int W, int H, int w, int h) {
  // The longer side of the drawing decides; a drawing without extent
  // along it has nothing to scale.
  const long long side = w < h ? h : w;
  const long long room = (w < h ? H : W) - 3;
  if (side <= 0 || room <= 0) return 0;
  const long long zoom = room * 800 / side;
  return static_cast<int>(std::min<long long>(zoom, INT_MAX / 65536));
}

void DrawSymbolFace(TCanvas& c, const TRect& r, const TQSSymbolDescription& symbol, bool raised) {
  const int W = r.Right - r.Left, H = r.Bottom - r.Top;
  const int zoom = SymbolFaceZoom(W, H, symbol.Width, symbol.Height);
  if (zoom <= 0) return;
  const int pw = static_cast<int>(static_cast<long long>(symbol.Width) * zoom / 100 / 8);
  const int ph = static_cast<int>(static_cast<long long>(symbol.Height) * zoom / 100 / 8);
  const int level = c.SaveDC();
  const TPoint base = c.ViewportOrg();
  const int x = base.X + r.Left + (W - pw) / 2, y = base.Y + r.Top + (H - ph) / 2;
  if (raised) {
    c.SetViewportOrg(x + 1, y + 1);
    DrawSymbolItems(c, symbol, true, zoom);
    c.SetViewportOrg(x - 1, y - 1);
  } else {
    c.SetViewportOrg(x, y);
  }
  DrawSymbolItems(c, symbol, false, zoom);
  c.RestoreDC(level);
}

void MakeSymbolFromItems(TQSSymbolDescription& symbol, const std::vector<const TQSItem*>& items) {
  std::vector<const TQSItem*> objects;
  for (const TQSItem* item : items)
    if (item && item->ItemType >= kind::Text && item->ItemType <= kind::ChordSegment &&
        std::find(objects.begin(), objects.end(), item) == objects.end())
      objects.push_back(item);
  // What the objects cover, from their own extremes (a page is wider than
  // any fixed starting value would be).
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  auto cover = [&](int x1, int y1, int x2, int y2) {
    left = std::min({left, x1, x2});
    top = std::min({top, y1, y2});
    right = std::max({right, x1, x2});
    bottom = std::max({bottom, y1, y2});
  };
  for (const TQSItem* o : objects) {
    if (const auto* t = dynamic_cast<const TQSText*>(o)) {
      cover(t->Fields.X, t->Fields.Y, t->Fields.X + t->Fields.Width, t->Fields.Y + t->Fields.Height);
    } else if (const auto* i = dynamic_cast<const TQSImage*>(o)) {
      cover(i->Fields.X, i->Fields.Y, i->Fields.X + i->Fields.Width, i->Fields.Y + i->Fields.Height);
    } else if (const auto* l = dynamic_cast<const TQSLine*>(o)) {
      cover(l->Fields.X1, l->Fields.Y1, l->Fields.X2, l->Fields.Y2);
    } else if (const auto* r = dynamic_cast<const TQSRectangle*>(o)) {
      cover(r->Fields.X, r->Fields.Y, r->Fields.X + r->Fields.Width, r->Fields.Y + r->Fields.Height);
    } else if (const auto* a = dynamic_cast<const TQSArc*>(o)) {
      cover(a->Fields.X, a->Fields.Y, a->Fields.X + a->Fields.Width, a->Fields.Y + a->Fields.Height);
    }
  }
  if (objects.empty()) left = top = right = bottom = 0;
  auto at = [](int16_t& v, int by) { v = static_cast<int16_t>(v - by); };
  for (const TQSItem* o : objects) {
    TQSItem* copy = CreateItemByKind(o->ItemType, &symbol);
    if (!copy) continue;
    copy->Assign(*o);
    symbol.Items.Add(copy);
    if (auto* t = dynamic_cast<TQSText*>(copy)) {
      at(t->Fields.X, left), at(t->Fields.Y, top);
    } else if (auto* i = dynamic_cast<TQSImage*>(copy)) {
      at(i->Fields.X, left), at(i->Fields.Y, top);
    } else if (auto* l = dynamic_cast<TQSLine*>(copy)) {
      at(l->Fields.X1, left), at(l->Fields.Y1, top), at(l->Fields.X2, left), at(l->Fields.Y2, top);
    } else if (auto* r = dynamic_cast<TQSRectangle*>(copy)) {
      at(r->Fields.X, left), at(r->Fields.Y, top);
    } else if (auto* a = dynamic_cast<TQSArc*>(copy)) {
      at(a->Fields.X, left), at(a->Fields.Y, top), at(a->Fields.AX, left), at(a->Fields.AY, top);
      at(a->Fields.BX, left), at(a->Fields.BY, top);
    }
  }
  symbol.Width = right - left;
  symbol.Height = bottom - top;
}

TAllSymbolsLayout LayOutAllSymbols(const std::vector<const TQSSymbolDescription*>& symbols) {
  TAllSymbolsLayout out;
  const bool wide = symbols.size() > 39;
  out.Width = wide ? 440 : 310;
  out.PerRow = wide ? 15 : 10;
  std::vector<std::pair<std::string, std::vector<const TQSSymbolDescription*>>> groups;
  for (const TQSSymbolDescription* s : symbols) {
    auto g = std::find_if(groups.begin(), groups.end(), [&](const auto& e) { return SameText(e.first, s->Group); });
    if (g == groups.end()) {
      groups.push_back({s->Group, {}});
      g = groups.end() - 1;
    }
    g->second.push_back(s);
  }
  std::stable_sort(groups.begin(), groups.end(),
                   [](const auto& a, const auto& b) { return CompareText(a.first, b.first) < 0; });
  constexpr int kLabel = 16;
  int y = kLabel;
  for (size_t gi = 0; gi < groups.size(); ++gi) {
    if (gi > 0) y += kSymbolStep + kLabel;
    out.Labels.push_back({groups[gi].first, y - kLabel});
    int column = 0;
    for (const TQSSymbolDescription* s : groups[gi].second) {
      if (column == out.PerRow) {
        column = 0;
        y += kSymbolStep;
      }
      out.Buttons.push_back({s, column * kSymbolStep, y});
      ++column;
    }
  }
  out.Height = groups.empty() ? 0 : y + kSymbolStep;
  // A few rows make a small drop-down; many scroll in one of the usual size.
  out.ClientHeight = out.Height > 40 && out.Height < 400 ? out.Height + 28 : 102;
  return out;
}

// ------------------------------------------------------------------ making

TFExpanded::TFExpanded(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FExpanded"), host_(context.Host) {
  SetCaption("User symbols");
  SetClientWidth(kPanelLeft + 8 * kSymbolStep + 4);
  SetClientHeight(kTop1 + kToolHeight + 8);
  CBPointExpanded = MakeButton("CBPointExpanded", "", 0, kTop0, kToolWidth, kToolHeight);
  CBEraseExpanded = MakeButton("CBEraseExpanded", "", 0, kTop1, kToolWidth, kToolHeight);
  CBSingleExpanded = MakeButton("CBSingleExpanded", "", 26, kTop0, kToolWidth, kToolHeight);
  CBMultiplyExpanded = MakeButton("CBMultiplyExpanded", "", 26, kTop0, kToolWidth, kToolHeight);
  CBQuickExpanded = MakeButton("CBQuickExpanded", "", 26, kTop0, kToolWidth, kToolHeight);
  CBSaveSymbol = MakeButton("CBSaveSymbol", "", 26, kTop1, kToolWidth, kToolHeight);
  CBSymbols = MakeButton("CBSymbols", "", kSymbolsLeft, kTop0, kSymbolsWidth, kTop1 + kToolHeight - kTop0);
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  const std::pair<TECCharButton*, uint8_t> regimes[] = {{CBSingleExpanded, glyphs::NoteQuarterUp},
                                                        {CBMultiplyExpanded, glyphs::Note8thUp},
                                                        {CBQuickExpanded, glyphs::Note16thUp}};
  for (auto [b, glyph] : regimes) {
    b->SetFont(music);
    b->SetByte(glyph);
    b->SetPosX(5);
    b->SetPosY(GlyphFaceTop(glyph) - 2);
    b->OnClick = [this](TObject*) { RegimeClick(); };
  }
  SetUpPointAndErase(*CBPointExpanded, *CBEraseExpanded);
  CBPointExpanded->OnClick = [this](TObject*) { PointClick(); };
  CBEraseExpanded->OnClick = [this](TObject*) { EraseClick(); };
  // The save button: a dashed frame with a plus, the selection becoming a
  // symbol.
  CBSaveSymbol->SetCustomDraw(true);
  CBSaveSymbol->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    c.Brush() = TBrush{};
    toolface::Raised(*CBSaveSymbol, r, [&](const TRect& f, TColor ink) {
      c.Pen() = TPen{};
      c.Pen().Color = ink;
      c.Pen().Style = psDot;
      c.Brush().Style = bsClear;
      c.Rectangle(f.Left + 4, f.Top + 4, f.Right - 4, f.Bottom - 4);
      c.Pen().Style = psSolid;
      const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
      toolface::Line(c, cx - 4, cy, cx + 5, cy, ink, 2);
      toolface::Line(c, cx, cy - 4, cx, cy + 5, ink, 2);
    });
  };
  CBSaveSymbol->OnClick = [this](TObject*) {
    if (OnSaveSymbol) OnSaveSymbol();
  };
  // All of the button is its drop-down part.
  CBSymbols->SetDropWidth(kSymbolsWidth - 1);
  CBSymbols->OnButtonClick = [this](TObject*) { OpenAllSymbols(); };
  CBSymbols->OnClick = [this](TObject*) { OpenAllSymbols(); };

  SPExpanded = new TECScrollPanel(this);
  SPExpanded->SetName("SPExpanded");
  SPExpanded->SetParent(PClient);
  SPExpanded->SetBevelOuter(bvNone);
  SPExpanded->SetHorzScroll(true);
  SPExpanded->SetBounds(kPanelLeft, 0, 8 * kSymbolStep, kTop1 + kToolHeight + 4);
  PClient->OnResize = [this](TObject*) {
    SPExpanded->SetBounds(kPanelLeft, 0, std::max(kSymbolStep, PClient->ClientWidth() - kPanelLeft - 2),
                          std::max(kSymbolSize, PClient->ClientHeight()));
  };
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TExpandedSettings::kSection, attached);
  };
  OnDropped = [this](TPoint screen) {
    if (host_) host_->PaletteDropped(TExpandedSettings::kSection, screen.X, screen.Y);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated(TExpandedSettings::kSection);
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  LoadSettings();
  CBPointExpanded->SetDown(true);
  LoadSymbols();
  FillSymbolButtons();
  loading_ = false;
}

TFExpanded::~TFExpanded() = default;

void TFExpanded::LoadSettings() {
  if (settings_) {
    TSettingsIO io(settings_, TExpandedSettings::kSection, TSettingsIO::TMode::Read);
    values_.Visit(io);
  }
  ShowRegime(RegimeFromValue(values_.ExpandedRegime));
}

// ----------------------------------------------------------------- library

void TFExpanded::LoadSymbols() {
  for (auto& [symbol, button] : buttons_) delete button;
  buttons_.clear();
  library_.clear();
  for (const std::string& entry : ReadLibraryIndex(kSymbolIndex, nullptr)) {
    auto symbol = std::make_unique<TQSSymbolDescription>();
    symbol->FileName = entry;
    library_.push_back(std::move(symbol));
  }
}

void TFExpanded::SaveSymbols() const {
  std::vector<std::string> names;
  for (const auto& symbol : library_) names.push_back(symbol->FileName);
  WriteLibraryIndex(kSymbolIndex, names);
}

void TFExpanded::EnsureLoaded(TQSSymbolDescription& symbol) {
  if (!symbol.Loaded) symbol.LoadFromFile();
  // A template without a file is empty, and stays so.
  symbol.Loaded = true;
}

TQSSymbolDescription* TFExpanded::SymbolOf(const TECCharButton* button) const {
  for (const auto& [symbol, b] : buttons_)
    if (b == button) return symbol;
  return nullptr;
}

TECCharButton* TFExpanded::SymbolButton(const TQSSymbolDescription* symbol) const {
  for (const auto& [s, b] : buttons_)
    if (s == symbol) return b;
  return nullptr;
}

const TQSSymbolDescription* TFExpanded::Chosen() const {
  for (const auto& [symbol, b] : buttons_)
    if (b->Down()) return symbol;
  return nullptr;
}

TECCharButton* TFExpanded::MakeSymbolButton(TQSSymbolDescription* symbol) {
  auto* b = new TECCharButton(this);
  b->SetParent(SPExpanded);
  b->SetGroupIndex(1);
  b->SetAllowAllUp(true);
  b->SetBorderColor(kSymbolBorder);
  b->SetFlat(true);
  b->SetBlackBorder(true);
  b->SetCustomDraw(true);
  b->SetShowHint(true);
  b->OnDrawCharButton = [b, symbol](TObject*, TCanvas& c, TRect r) {
    DrawSymbolFace(c, r, *symbol, b->Hovered() && !b->Down());
  };
  b->OnClick = [this, b](TObject*) { SymbolClick(b); };
  buttons_.emplace_back(symbol, b);
  return b;
}

void TFExpanded::FillSymbolButtons() {
  const int limit = Screen().Width() - 60;
  int x = 0, y = kTop0;
  size_t index = 0;
  for (; x < limit && index < library_.size(); ++index) {
    TQSSymbolDescription& symbol = *library_[index];
    try {
      EnsureLoaded(symbol);
    } catch (const Exception&) {
      // A damaged file shows an empty button; its entry stays the user's.
      symbol.Loaded = true;
    }
    TECCharButton* b = SymbolButton(&symbol);
    if (!b) b = MakeSymbolButton(&symbol);
    b->SetHint(symbol.Description);
    b->SetBounds(x, y, kSymbolSize, kSymbolSize);
    b->Invalidate();
    if (index % 2) x += kSymbolStep;
    y = index % 2 ? kTop0 : kTop1;
  }
  // The templates that did not fit have no button.
  for (auto it = buttons_.begin(); it != buttons_.end();) {
    const auto at = std::find_if(library_.begin(), library_.end(), [&](const auto& s) { return s.get() == it->first; });
    if (at != library_.end() && static_cast<size_t>(at - library_.begin()) < index) {
      ++it;
      continue;
    }
    delete it->second;
    it = buttons_.erase(it);
  }
  SPExpanded->Invalidate();
}

void TFExpanded::AddSymbol(std::unique_ptr<TQSSymbolDescription> symbol, bool keepIndex) {
  // A template saved under the name of one in the library replaces it.
  std::vector<const TQSSymbolDescription*> same;
  for (const auto& s : library_)
    if (s->FileName == symbol->FileName) same.push_back(s.get());
  if (!same.empty()) RemoveSymbols(same, false);
  library_.insert(library_.begin(), std::move(symbol));
  FillSymbolButtons();
  if (keepIndex) SaveSymbols();
}

void TFExpanded::RemoveSymbols(const std::vector<const TQSSymbolDescription*>& symbols, bool deleteFiles) {
  bool chosenGone = false;
  for (const TQSSymbolDescription* symbol : symbols) {
    const auto at = std::find_if(library_.begin(), library_.end(), [&](const auto& s) { return s.get() == symbol; });
    if (at == library_.end()) continue;
    for (auto it = buttons_.begin(); it != buttons_.end(); ++it)
      if (it->first == symbol) {
        chosenGone = chosenGone || it->second->Down();
        delete it->second;
        buttons_.erase(it);
        break;
      }
    if (deleteFiles && !symbol->FileName.empty()) {
      // Only the user's own copy: the files the program ships stay.
      std::error_code ec;
      std::filesystem::remove(platform::TemplatesDir() + ChangeFileExt(ExtractFileName(symbol->FileName), ".smb"), ec);
    }
    library_.erase(at);
  }
  FillSymbolButtons();
  // The index follows at once, so that a removed symbol does not come back
  // at the next start.
  SaveSymbols();
  if (chosenGone) PressPoint();
}

std::vector<std::string> TFExpanded::Groups() const {
  std::vector<std::string> groups;
  for (const auto& s : library_)
    if (!s->Group.empty() &&
        std::none_of(groups.begin(), groups.end(), [&](const std::string& g) { return SameText(g, s->Group); }))
      groups.push_back(s->Group);
  return groups;
}

bool TFExpanded::ImportSymbolFile(const std::string& path,
                                  const std::function<bool(const std::string& description)>& replace,
                                  const std::function<void(int message)>& report) {
  if (!FileExists(path)) {
    if (report) report(2);
    return false;
  }
  auto symbol = std::make_unique<TQSSymbolDescription>();
  try {
    symbol->ImportFromFile(path);
  } catch (const Exception&) {
    if (report) report(3);
    return false;
  }
  symbol->FileName = CleanLibraryFileName(symbol->FileName);
  if (symbol->FileName.empty()) {
    if (report) report(3);
    return false;
  }
  const std::string target = platform::TemplatesDir() + symbol->FileName + ".smb";
  std::error_code ec;
  const bool itself = std::filesystem::equivalent(target, path, ec);
  if (!itself) {
    if (FileExists(target) && !(replace && replace(symbol->Description))) return false;
    // The copy is written beside the target and then put in its place.
    SafeSaveText(target, ReadFileText(path));
  }
  AddSymbol(std::move(symbol));
  return true;
}

bool TFExpanded::ImportSymbol() {
  TECFormLanguage* texts = dynamic_cast<TECFormLanguage*>(FindComponent("FLExpanded"));
  auto text = [&](int i, const char* english) { return texts ? texts->GetMessage(i, english) : std::string(english); };
  TOpenDialog dialog(nullptr);
  dialog.Filter = text(0, "Symbol file (*.smb)|*.smb|All files (*.*)|*");
  dialog.Options |= ofFileMustExist;
  dialog.Language = texts ? texts->Language() : std::string("ENU");
  if (!dialog.Execute()) return false;
  const std::string title = text(1, "User symbols");
  try {
    return ImportSymbolFile(
        dialog.FileName,
        [&](const std::string& description) {
          return ShowMessageBlock(title,
                                  Format(text(4, "Replace the symbol file of \"%s\"?").c_str(), description.c_str()),
                                  kMessageQuestion, kMessageYes | kMessageNo) == mrYes;
        },
        [&](int message) {
          const char* english = message == 2 ? "The file %s does not exist." : "The file %s is not a symbol file.";
          ShowMessageBlock(title, Format(text(message, english).c_str(), dialog.FileName.c_str()), kMessageWarning,
                           kMessageOk);
        });
  } catch (const Exception& e) {
    ShowMessageBlock(title, e.Message(), kMessageWarning, kMessageOk);
    return false;
  }
}

void TFExpanded::ChooseFromAll(const TQSSymbolDescription* symbol) {
  const auto at = std::find_if(library_.begin(), library_.end(), [&](const auto& s) { return s.get() == symbol; });
  if (at == library_.end()) return;
  std::rotate(library_.begin(), at, at + 1);
  FillSymbolButtons();
  if (TECCharButton* b = SymbolButton(symbol)) {
    b->SetDown(true);
    SymbolClick(b);
  }
}

void TFExpanded::OpenAllSymbols() {
  if (popupOpen_) return;
  auto* popup = new TFAllSymbols(this, *this);
  popupOpen_ = true;
  popup->OnDestroy = [this](TObject*) { popupOpen_ = false; };
  const TPoint below = CBSymbols->ClientToScreen({0, CBSymbols->Height()});
  popup->SetBounds(below.X, below.Y, popup->Width(), popup->Height());
  popup->Show();
}

void TFExpanded::ShowSymbolList() {
  TFSymbolList list(nullptr, *this, settings_);
  list.ShowModal();
}

// ----------------------------------------------------------------- regime

TInputRegime TFExpanded::Regime() const { return ShownRegime(*CBSingleExpanded, *CBQuickExpanded); }

void TFExpanded::ShowRegime(TInputRegime regime) {
  ShowRegimeButtons(*CBSingleExpanded, *CBMultiplyExpanded, *CBQuickExpanded, regime);
}

void TFExpanded::RegimeClick() {
  const TInputRegime next = NextRegime(Regime());
  ShowRegime(next);
  values_.ExpandedRegime = static_cast<int>(next);
  if (settings_) {
    TSettingsIO io(settings_, TExpandedSettings::kSection, TSettingsIO::TMode::WriteAll);
    values_.Visit(io);
  }
  ApplyTool();
}

void TFExpanded::ResetToDefaults() {
  ShowRegime(TInputRegime::Multiply);
  PressPoint();
}

// ---------------------------------------------------------------- buttons

void TFExpanded::ReleaseSymbols() {
  for (auto& [symbol, b] : buttons_)
    if (b->Down()) b->SetDown(false);
}

void TFExpanded::PressPoint() { PointClick(); }

void TFExpanded::PointClick() {
  CBPointExpanded->SetDown(true);
  ReleaseSymbols();
  ApplyTool();
}

void TFExpanded::EraseClick() {
  CBEraseExpanded->SetDown(true);
  ReleaseSymbols();
  ApplyTool();
}

void TFExpanded::SymbolClick(TECCharButton* button) {
  if (Regime() == TInputRegime::Quick) {
    // The symbol goes in at the cursor at once, above the staff, and the
    // palette is back on Point.
    if (TQSWindow* view = ActiveView(host_)) {
      view->PartClickOffset = -240;
      button->SetDown(true);
      InsertToolItem(*view, TInsertFrom::QuickButton);
    }
    PressPoint();
    return;
  }
  if (!button->Down()) {
    PressPoint();
    return;
  }
  CBPointExpanded->SetDown(false);
  CBEraseExpanded->SetDown(false);
  ApplyTool();
}

int TFExpanded::ItemCode() const {
  if (Regime() == TInputRegime::Quick || !Chosen()) return paletteitem::None;
  return paletteitem::PartMark;
}

bool TFExpanded::PageKey(uint16_t key, uint16_t shift, uint16_t prefix) {
  (void)shift, (void)prefix;
  switch (key) {
    case VK_ESCAPE:
    case 'Q': PressPoint(); return true;
    case 'W': RegimeClick(); return true;
    case 'E': EraseClick(); return true;
    default: return false;
  }
}

// ------------------------------------------------------------- the views

void TFExpanded::ApplyTool() {
  if (loading_) return;
  if (CBEraseExpanded->Down()) SetActiveViewCursor(host_, "ERASE");
  else if (Chosen() && Regime() != TInputRegime::Quick) SetToolCursor(host_, "USERSYMBOL");
  else SetActiveViewCursor(host_, "");
  if (!host_ || !host_->ActiveScore()) return;
  ArmViews(host_, ItemCode());
  host_->SetEntryDuration(0);
}

bool TFExpanded::InsertToolItem(TQSWindow& view, TInsertFrom from) {
  TQSScore* score = view.Score;
  if (!score) return false;
  const TInputRegime regime = Regime();
  if (from == TInsertFrom::Click && regime == TInputRegime::Quick) return false;
  auto* symbol = const_cast<TQSSymbolDescription*>(Chosen());
  if (!symbol || !score->CurrentStaff()) return false;
  EnsureLoaded(*symbol);
  std::vector<TQSItem*> items;
  for (TQSItem* item : symbol->Items) items.push_back(item);
  const bool entered =
      InsertUserSymbol(*score, symbol->Description, items, symbol->Width, symbol->Height, view.PartClickOffset) != nullptr;
  if (regime == TInputRegime::Single) PressPoint();
  return entered;
}

bool TFExpanded::ItemClick(TQSWindow& view, TQSCalcItem& element) {
  TQSScore* score = view.Score;
  if (!score || Regime() == TInputRegime::Quick) return false;
  if (CBEraseExpanded->Down()) {
    if (!element.Item) return false;
    EraseItem(*score, element.Item);
    return true;
  }
  return InsertToolItem(view, TInsertFrom::Click);
}

// ------------------------------------------------------------ form tools

namespace {

// A few templates of two groups, as a user's library might hold them.
std::vector<std::unique_ptr<TQSSymbolDescription>> SampleSymbols() {
  std::vector<std::unique_ptr<TQSSymbolDescription>> out;
  auto make = [&](const char* description, const char* group, int w, int h) {
    auto s = std::make_unique<TQSSymbolDescription>();
    s->Description = description;
    s->Group = group;
    s->FileName = description;
    s->Width = w;
    s->Height = h;
    s->Loaded = true;
    out.push_back(std::move(s));
    return out.back().get();
  };
  auto line = [](TQSSymbolDescription* s, int x1, int y1, int x2, int y2, uint8_t ends) {
    auto* l = static_cast<TQSLine*>(CreateItemByKind(kind::Line, s));
    s->Items.Add(l);
    l->Fields.X1 = static_cast<int16_t>(x1), l->Fields.Y1 = static_cast<int16_t>(y1);
    l->Fields.X2 = static_cast<int16_t>(x2), l->Fields.Y2 = static_cast<int16_t>(y2);
    l->Fields.LineWidth = 2;
    l->Fields.Ends = ends;
  };
  auto box = [](TQSSymbolDescription* s, TQSItemType k, int x, int y, int w, int h) {
    auto* r = static_cast<TQSRectangle*>(CreateItemByKind(k, s));
    s->Items.Add(r);
    r->Fields.X = static_cast<int16_t>(x), r->Fields.Y = static_cast<int16_t>(y);
    r->Fields.Width = static_cast<int16_t>(w), r->Fields.Height = static_cast<int16_t>(h);
    r->Fields.LineWidth = 2;
    r->Fields.FillStyle = 1;
  };
  line(make("Arrow", "Signs", 400, 160), 0, 80, 400, 80, 0x01);
  box(make("Box", "Signs", 300, 300), kind::Rectangle, 0, 0, 300, 300);
  box(make("Circle", "Signs", 300, 300), kind::Ellipse, 0, 0, 300, 300);
  TQSSymbolDescription* cross = make("Cross", "Percussion", 240, 240);
  line(cross, 0, 0, 240, 240, 0);
  line(cross, 0, 240, 240, 0, 0);
  TQSSymbolDescription* damp = make("Damp", "Percussion", 300, 200);
  box(damp, kind::Ellipse, 0, 0, 300, 200);
  line(damp, 150, 0, 150, 200, 0);
  make("Empty", "Percussion", 0, 0);
  return out;
}

TFExpanded* SamplePalette(TComponent* owner) {
  auto* palette = new TFExpanded(owner, TPaletteContext{});
  auto samples = SampleSymbols();
  for (auto it = samples.rbegin(); it != samples.rend(); ++it) palette->AddSymbol(std::move(*it), false);
  return palette;
}

}  // namespace

void RegisterExpandedForms() {
  // The palette with a few symbols, the second one chosen.
  RegisterForm("FExpanded", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    std::unique_ptr<TFExpanded> palette(SamplePalette(nullptr));
    if (TECCharButton* b = palette->SymbolButton(palette->Library()[1].get())) {
      b->SetDown(true);
      palette->CBPointExpanded->SetDown(false);
    }
    return palette;
  });
  // A selection about to become a symbol of the library.
  RegisterForm("FSymbolProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFSymbolProperties>(nullptr, nullptr);
    TFExpanded* palette = SamplePalette(form.get());
    auto* symbol = new TQSSymbolDescription();
    symbol->Description = "Fanfare";
    symbol->Group = "Signs";
    symbol->FileName = "Fanfare";
    form->OnDestroy = [symbol](TObject*) { delete symbol; };
    form->SetSymbol(symbol, palette->Groups());
    return form;
  });
  RegisterForm("FSymbolList", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto* palette = SamplePalette(nullptr);
    auto form = std::make_unique<TFSymbolList>(nullptr, *palette, nullptr);
    form->InsertComponent(palette);
    form->FillList();
    return form;
  });
  RegisterForm("FAllSymbols", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto* palette = SamplePalette(nullptr);
    auto form = std::make_unique<TFAllSymbols>(nullptr, *palette);
    form->InsertComponent(palette);
    // The form tools free it; closing only hides it.
    form->OnClose = [](TObject*, TCloseAction& action) { action = caHide; };
    form->OnDeactivate = nullptr;
    return form;
  });
}

}  // namespace qs
