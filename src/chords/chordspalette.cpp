#include "chords/chordspalette.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "chords/chorddialogs.h"
#include "chords/chordeditor.h"
#include "chords/chordname.h"
#include "chords/choosers.h"
#include "chords/framedialogs.h"
#include "chords/frameeditor.h"
#include "chords/guitarpalette.h"
#include "editing/chords.h"
#include "palettes/notepickers.h"
#include "palettes/libraryfile.h"
#include "platform/dialogs.h"
#include "platform/extctrls.h"
#include "platform/paths.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "score/accidentals.h"
#include "score/chordcode.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/score.h"
#include "uikit/catalogue.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/names.h"
#include "uikit/settings.h"
#include "uikit/toolfaces.h"
#include "view/window.h"

namespace qs {

using namespace chordcode;

namespace {

constexpr int kAlterNumbers[5] = {5, 7, 9, 11, 13};
constexpr uint8_t kAlterKinds[5] = {kAlter5, kAlter7, kAlter9, kAlter11, kAlter13};
constexpr const char* kBaseCaptions[6] = {"5", "6", "7", "9", "11", "13"};
constexpr const char* kMinorCaptions[3] = {"m", "mi", "min"};
constexpr const char* kMajorCaptions[2] = {"maj", "M"};
constexpr const char* kSusCaptions[3] = {"sus", "sus2", "sus4"};
constexpr const char* kOmitCaptions[4] = {"omit3", "omit5", "no3", "no5"};
// Where a symbol stands: above the staff, or below it.
constexpr int kSymbolAbove = -128, kSymbolBelow = 300;
constexpr int kFrameAbove = -300, kFrameBelow = 280;
constexpr int kFrameButtonWidth = 57, kFrameButtonHeight = 56, kFrameCell = 6;

template <size_t N>
const char* CaptionOf(const char* const (&captions)[N], int index) {
  return captions[std::clamp(index, 0, static_cast<int>(N) - 1)];
}

}  // namespace

TFChords::TFChords(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FChords"), host_(context.Host) {
  SetCaption("Chords");
  SetClientWidth(773);
  SetClientHeight(85);
  TFont arial;
  arial.Name = "Arial";
  arial.SetSize(8);
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;

  // The mode buttons share one place; the one of the current mode shows.
  CBChordAddition = MakeButton("CBChordAddition", "", 2, 2, 35, 23);
  CBFrameAddition = MakeButton("CBFrameAddition", "", 2, 2, 35, 23);
  CBDefChordAddition = MakeButton("CBDefChordAddition", "", 2, 2, 35, 23);
  for (TECCharButton* b : {CBChordAddition, CBFrameAddition, CBDefChordAddition}) {
    b->SetFlat(false);
    b->SetFont(arial);
    b->OnClick = [this](TObject*) { NextMode(); };
  }
  // Each face shows what a click enters now: a symbol, notes, a frame.
  CBChordAddition->SetCaption("Cm7");
  CBFrameAddition->SetCustomDraw(true);
  CBFrameAddition->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    toolface::Raised(*CBFrameAddition, r, [&](const TRect& f, TColor ink) {
      const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
      c.Pen() = TPen{};
      c.Pen().Color = ink;
      c.Brush() = TBrush{};
      c.Brush().Color = ink;
      for (int i = 0; i < 3; ++i) c.Ellipse(cx - 4, cy + 3 - 4 * i, cx + 3, cy + 6 - 4 * i);
      c.MoveTo(cx + 2, cy + 4);
      c.LineTo(cx + 2, cy - 10);
    });
  };
  CBDefChordAddition->SetCustomDraw(true);
  CBDefChordAddition->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    toolface::Raised(*CBDefChordAddition, r, [&](const TRect& f, TColor ink) {
      const int left = (f.Left + f.Right) / 2 - 7, top = (f.Top + f.Bottom) / 2 - 7;
      c.Pen() = TPen{};
      c.Pen().Color = ink;
      for (int i = 0; i < 4; ++i) {
        c.MoveTo(left + 5 * i, top);
        c.LineTo(left + 5 * i, top + 15);
        c.MoveTo(left, top + 5 * i);
        c.LineTo(left + 16, top + 5 * i);
      }
    });
  };

  CBChordAbove = MakeButton("CBChordAbove", "", 2, 29, 35, 23);
  CBChordAbove->SetFlat(false);
  CBChordAbove->SetCustomDraw(true);
  CBChordAbove->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    // A small staff with a sample symbol above or below it.
    const int left = r.Left + 3, right = r.Right - 3;
    const int top = values_.ChordAbove ? r.Top + 10 : r.Top + 3;
    c.Pen() = TPen{};
    c.Pen().Color = clBlack;
    for (int i = 0; i < 5; ++i) {
      c.MoveTo(left, top + 2 * i);
      c.LineTo(right, top + 2 * i);
    }
    TFont small;
    small.Name = "Arial";
    small.SetSize(6);
    c.Font() = small;
    c.Brush().Style = bsClear;
    const std::string sample = values_.ChordAbove ? "Cm7+" : "Cm5+";
    const int y = values_.ChordAbove ? r.Top + 1 : top + 9;
    c.TextOut((r.Left + r.Right - c.TextWidth(sample)) / 2, y, sample);
  };
  CBChordAbove->OnClick = [this](TObject*) {
    values_.ChordAbove = !values_.ChordAbove;
    CBChordAbove->Invalidate();
    Store(&values_.ChordAbove);
  };

  CBChordDuration = MakeButton("CBChordDuration", "", 2, 29, 35, 23);
  CBChordDuration->SetFont(music);
  CBChordDuration->SetDropWidth(12);
  CBChordDuration->SetFlat(false);
  CBChordDuration->OnClick = [this](TObject*) { StepDuration(false); };
  CBChordDuration->OnButtonClick = [this](TObject*) {
    auto* picker = new TFDuration(nullptr);
    picker->SetDuration(values_.ChordDuration);
    picker->OnChoose = [this](TObject*, int ticks) { SetDuration(ticks); };
    picker->DropDownBelow(*CBChordDuration);
  };

  CBNoChord = ChordButton("CBNoChord", 2, 56, 35, 13, false);
  CBNoChord->SetCaption("N.C.");
  CBNoChord->OnClick = [this](TObject*) {
    const bool down = CBNoChord->Down();
    ClearChordButtons();
    CBNoChord->SetDown(down);
    RefreshName();
    TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
    if (score) SetChordSymbol(*score, GetChordCode(), nullptr, values_.ChordAbove ? kSymbolAbove : kSymbolBelow);
  };

  CBGuitarKind = MakeButton("CBGuitarKind", "", 2, 56, 35, 23);
  CBGuitarKind->SetFlat(false);
  CBGuitarKind->SetFont(arial);
  CBGuitarKind->SetDropWidth(12);
  CBGuitarKind->SetCustomDraw(true);
  CBGuitarKind->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    const TQSGuitarDescription* g = CurrentGuitar();
    const int n = g ? g->StringCount : 6;
    const int h = r.Bottom - r.Top, spacing = std::max(2, (h - 4) / std::max(1, n));
    c.Pen() = TPen{};
    c.Pen().Color = RGB(128, 128, 128);
    for (int i = 0, y = r.Top + (h - spacing * n) / 2 + 1; i < n && y < r.Bottom; ++i, y += spacing) {
      c.MoveTo(r.Left + 4, y);
      c.LineTo(r.Right - 4, y);
    }
    const std::string count = std::to_string(n);
    c.Font() = CBGuitarKind->Font();
    c.Brush().Style = bsClear;
    c.Font().Color = clBlack;
    c.TextOut((r.Left + r.Right - c.TextWidth(count)) / 2, (r.Top + r.Bottom - c.TextHeight(count)) / 2, count);
  };
  CBGuitarKind->OnClick = [this](TObject*) {
    if (!guitars_->empty()) GuitarChosen((values_.GuitarKind + 1) % static_cast<int>(guitars_->size()));
  };
  CBGuitarKind->OnButtonClick = [this](TObject*) {
    auto* chooser = new TFGuitarName(nullptr);
    std::vector<std::string> names;
    for (const auto& g : *guitars_) names.push_back(g->Name);
    chooser->SetNames(names);
    chooser->SetGuitarIndex(values_.GuitarKind);
    chooser->HideDirections();
    chooser->OnChosen = [this](TFGuitarName*, int index, int) { GuitarChosen(index); };
    PlaceBelowControl(*CBGuitarKind, *chooser);
    chooser->Show();
  };

  // The chord buttons: root and its sign, base, "add" and the five
  // alterations on the first row; the quality words, bracket, raised
  // marker, bass and removal on the second.
  CBChordNote = ChordButton("CBChordNote", 42, 2, 34, 0, true);
  CBChordDiesis = ChordButton("CBChordDiesis", 90, 2, 20, 1, false);
  CBChordBemol = ChordButton("CBChordBemol", 112, 2, 20, 1, false);
  CBChordDiesis->SetCaption("#");
  CBChordBemol->SetCaption("b");
  CBChordBase = ChordButton("CBChordBase", 134, 2, 34, 0, true);
  CBChordAdd = ChordButton("CBChordAdd", 182, 2, 30, 3, false);
  CBChordAdd->SetCaption("add");
  for (int i = 0; i < 5; ++i)
    CBChordAdds[static_cast<size_t>(i)] =
        ChordButton(("CBChordAdd" + std::to_string(kAlterNumbers[i])).c_str(), 214 + 58 * i, 2, 44, 4 + i, true);
  CBChordMinor = ChordButton("CBChordMinor", 42, 29, 34, 2, true);
  CBChordMajor = ChordButton("CBChordMajor", 90, 29, 34, 2, true);
  CBChordSus = ChordButton("CBChordSus", 138, 29, 40, 2, true);
  CBChordOmit = ChordButton("CBChordOmit", 192, 29, 46, 2, true);
  CBChordBracket = ChordButton("CBChordBracket", 252, 29, 28, 9, false);
  CBChordBracket->SetCaption("( )");
  CBChordPlace = ChordButton("CBChordPlace", 282, 29, 24, 10, false);
  CBChordPlace->SetCaption("^");
  CBChordNote1 = ChordButton("CBChordNote1", 308, 29, 34, 11, true);
  CBChordDiesis1 = ChordButton("CBChordDiesis1", 356, 29, 20, 12, false);
  CBChordBemol1 = ChordButton("CBChordBemol1", 378, 29, 20, 12, false);
  CBChordDiesis1->SetCaption("#");
  CBChordBemol1->SetCaption("b");

  CBRemoveChord = MakeButton("CBRemoveChord", "", 404, 29, 26, 23);
  CBRemoveChord->SetFlat(false);
  CBRemoveChord->SetCustomDraw(true);
  CBRemoveChord->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    toolface::Raised(*CBRemoveChord, r, [&](const TRect& f, TColor ink) {
      const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
      c.Pen() = TPen{};
      c.Pen().Color = ink;
      c.Pen().Width = 2;
      c.MoveTo(cx - 5, cy - 5);
      c.LineTo(cx + 5, cy + 5);
      c.MoveTo(cx + 5, cy - 5);
      c.LineTo(cx - 5, cy + 5);
      c.Pen().Width = 1;
    });
  };
  CBRemoveChord->OnClick = [this](TObject*) {
    TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
    if (score) RemoveChord(*score, Mode() == mNotes ? values_.ChordDuration : 0);
  };

  CBChordNote->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordNote(nullptr);
    c->SetValue(values_.ChordNote);
    OpenChooser(CBChordNote, c, [this](int v) { SetChordNote(v); });
  };
  CBChordNote1->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordNote(nullptr);
    c->SetValue(values_.ChordNote1);
    OpenChooser(CBChordNote1, c, [this](int v) {
      SetChordNote1(v);
      CBChordNote1->SetDown(true);
    });
  };
  CBChordBase->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordBase(nullptr);
    c->SetValue(values_.ChordBase);
    OpenChooser(CBChordBase, c, [this](int v) { SetChordBase(v); });
  };
  // A quality chosen from its drop-down goes down with that style.
  CBChordMinor->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordMinor(nullptr);
    c->SetValue(values_.ChordMinor);
    OpenChooser(CBChordMinor, c, [this](int v) {
      SetChordMinor(v);
      CBChordMinor->SetDown(true);
    });
  };
  CBChordMajor->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordMajor(nullptr);
    c->SetValue(values_.ChordMajor);
    OpenChooser(CBChordMajor, c, [this](int v) {
      SetChordMajor(v);
      CBChordMajor->SetDown(true);
    });
  };
  CBChordSus->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordSus(nullptr);
    c->SetValue(values_.ChordSus);
    OpenChooser(CBChordSus, c, [this](int v) {
      SetChordSus(v);
      CBChordSus->SetDown(true);
    });
  };
  CBChordOmit->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordOmit(nullptr);
    c->SetValue(values_.ChordOmit);
    OpenChooser(CBChordOmit, c, [this](int v) {
      SetChordOmit(v);
      CBChordOmit->SetDown(true);
    });
  };
  for (int i = 0; i < 5; ++i) {
    TECCharButton* b = CBChordAdds[static_cast<size_t>(i)];
    b->OnButtonClick = [this, b, i](TObject*) {
      auto* c = new TFChooseChordAdd(nullptr);
      c->SetNumber(kAlterNumbers[i]);
      c->SetStyle(values_.ChordAddStyle);
      c->SetValue(values_.ChordAdd[static_cast<size_t>(i)]);
      c->OnStyleChanged = [this](TFChooseChordAdd* chooser) {
        SetAlterationStyle(chooser->Style());
        ChordButtonClick();
      };
      OpenChooser(b, c, [this, b, i](int v) {
        SetAlteration(i, v);
        b->SetDown(true);
      });
    };
  }

  ECChordName = new TECChordEditor(this);
  ECChordName->SetName("ECChordName");
  ECChordName->SetParent(PClient);
  ECChordName->SetBounds(42, 56, 388, 27);
  ECChordName->SetEnabled(false);
  TFont nameFont = ECChordName->Font();
  nameFont.Name = "Arial";
  nameFont.SetSize(11);
  ECChordName->SetFont(nameFont);

  // Frame mode: the frames the current guitar keeps for the chord.
  PFrames = new TPanel(this);
  PFrames->SetName("PFrames");
  PFrames->SetParent(PClient);
  PFrames->SetBevelOuter(bvNone);
  PFrames->SetBounds(510, 4, 0, kFrameButtonHeight);

  // Modes symbol and notes: the library chords.
  PChords = new TPanel(this);
  PChords->SetName("PChords");
  PChords->SetParent(PClient);
  PChords->SetBevelOuter(bvNone);
  PChords->SetBounds(508, 4, 0, 56);

  CBSaveChord = MakeButton("CBSaveChord", "", 432, 29, 26, 23);
  CBSaveChord->SetFlat(false);
  CBSaveChord->SetCustomDraw(true);
  CBSaveChord->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    // A frame with a plus: the frame at the cursor joins the guitar.
    toolface::Raised(*CBSaveChord, r, [&](const TRect& f, TColor ink) {
      const int left = (f.Left + f.Right) / 2 - 8, top = (f.Top + f.Bottom) / 2 - 6;
      c.Pen() = TPen{};
      c.Pen().Color = ink;
      for (int i = 0; i < 3; ++i) {
        c.MoveTo(left + 4 * i, top);
        c.LineTo(left + 4 * i, top + 12);
        c.MoveTo(left, top + 4 * i);
        c.LineTo(left + 9, top + 4 * i);
      }
      c.MoveTo(left + 13, top + 2);
      c.LineTo(left + 13, top + 9);
      c.MoveTo(left + 10, top + 5);
      c.LineTo(left + 17, top + 5);
    });
  };
  CBSaveChord->OnClick = [this](TObject*) {
    if (Mode() == mFrame) EditCursorFrame();
    else if (OnSaveChord) OnSaveChord();
  };

  CBChords = MakeButton("CBChords", "", 432, 56, 26, 23);
  CBChords->SetFlat(false);
  CBChords->SetCustomDraw(true);
  CBChords->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    toolface::Raised(*CBChords, r, [&](const TRect& f, TColor ink) {
      const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
      c.Pen() = TPen{};
      c.Pen().Color = ink;
      c.Brush() = TBrush{};
      c.Brush().Color = ink;
      c.Polygon({TPoint{cx - 4, cy - 2}, TPoint{cx + 4, cy - 2}, TPoint{cx, cy + 3}});
    });
  };
  CBChords->OnClick = [this](TObject*) {
    if (Mode() == mFrame) {
      OpenUserFrame();
      return;
    }
    auto* all = new TFAllChords(nullptr, *this);
    PlaceBelowControl(*CBChords, *all);
    all->Show();
  };

  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TChordsSettings::kSection, attached);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated(TChordsSettings::kSection);
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  ownGuitars_ = LoadGuitarLibrary(InterfaceLanguage()).Guitars;
  LoadChords();
  if (settings_) {
    TSettingsIO io(settings_, TChordsSettings::kSection, TSettingsIO::TMode::Read);
    values_.Visit(io);
    CBChordBracket->SetDown(settings_->ReadBool(TChordsSettings::kSection, "ChordBracket", false));
    CBChordAdd->SetDown(settings_->ReadBool(TChordsSettings::kSection, "ChordAdd", false));
  }
  ShowDuration();
  ShowMode();
  RefreshCaptions();
  RefreshName();
}

TFChords::~TFChords() = default;

TECCharButton* TFChords::ChordButton(const char* name, int left, int top, int width, int group, bool arrow) {
  TECCharButton* b = MakeButton(name, "", left, top, width + (arrow ? 12 : 0), 23);
  if (arrow) b->SetDropWidth(12);
  b->SetFlat(false);
  TFont font = b->Font();
  font.Name = "Arial";
  font.SetSize(9);
  b->SetFont(font);
  if (group) {
    b->SetGroupIndex(group);
    b->SetAllowAllUp(true);
  }
  b->OnClick = [this](TObject*) { ChordButtonClick(); };
  return b;
}

void TFChords::OpenChooser(TECCharButton* below, TFChooser* chooser, std::function<void(int)> chosen) {
  PlaceBelowControl(*below, *chooser);
  chooser->OnChosen = [this, chosen](TFChooser* c) {
    chosen(c->GetValue());
    ChordButtonClick();
  };
  chooser->Show();
}

void TFChords::Store(const void* field) {
  if (!settings_) return;
  TSettingsIO io(settings_, TChordsSettings::kSection, TSettingsIO::TMode::WriteOne, field);
  values_.Visit(io);
}

// ------------------------------------------------------------------ the code

std::vector<uint8_t> TFChords::GetChordCode() const {
  if (CBNoChord->Down()) return {0, 0};
  std::vector<uint8_t> code = {0, 0};
  const uint8_t sign = CBChordBemol->Down() ? kFlat : CBChordDiesis->Down() ? kSharp : kNatural;
  code.push_back(static_cast<uint8_t>(sign | values_.ChordNote));
  if (CBChordMinor->Down()) code.push_back(static_cast<uint8_t>(kMinor + values_.ChordMinor));
  else if (CBChordMajor->Down()) code.push_back(static_cast<uint8_t>(kMajor + values_.ChordMajor));
  code.push_back(static_cast<uint8_t>(kBase + values_.ChordBase));
  if (CBChordSus->Down()) code.push_back(static_cast<uint8_t>(kSus + values_.ChordSus));
  else if (CBChordOmit->Down()) code.push_back(static_cast<uint8_t>(kOmit + values_.ChordOmit));
  if (CBChordBracket->Down()) code.push_back(kBracket);
  if (CBChordPlace->Down()) code.push_back(kRaisedMarker);
  if (CBChordAdd->Down()) code.push_back(kAdd);
  for (size_t i = 0; i < 5; ++i) {
    if (!CBChordAdds[i]->Down()) continue;
    const int d = values_.ChordAdd[i];
    code.push_back(static_cast<uint8_t>(
        kAlterKinds[i] + (d == 0 ? 0 : Alteration(static_cast<uint8_t>(values_.ChordAddStyle), static_cast<uint8_t>(d)))));
  }
  code[kCountOffset] = static_cast<uint8_t>(code.size() - 2);
  if (CBChordNote1->Down()) {
    code[kHasBassOffset] = 1;
    const uint8_t bassSign = CBChordBemol1->Down() ? kFlat : CBChordDiesis1->Down() ? kSharp : kNatural;
    code.push_back(static_cast<uint8_t>(bassSign | values_.ChordNote1));
  }
  return code;
}

void TFChords::ChordButtonClick() {
  RefreshName();
  if (Mode() == mFrame) {
    FillFrameButtons();
    return;
  }
  CBNoChord->SetDown(false);
  RefreshName();
  TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
  if (!score) return;
  const std::vector<uint8_t> code = GetChordCode();
  if (Mode() == mNotes) {
    TQSChordTones tones{};
    const int count = ChordCodeToTones(code, tones);
    TQSWindow* view = ActiveView(host_);
    // The chord stands in the octave of the cursor's line.
    const int octave = 5 + (view ? (view->CursorLine() - 60) / 7 : 0);
    std::vector<TQSChordTone> list(tones.begin(), tones.end());
    for (TQSChordTone& t : list) {
      t.Octave = static_cast<uint8_t>(std::clamp(t.Octave + octave, 0, 10));
      t.Fret = 0;
    }
    InsertChordNotes(*score, count, list, values_.ChordDuration, true);
    return;
  }
  SetChordSymbol(*score, code, nullptr, values_.ChordAbove ? kSymbolAbove : kSymbolBelow);
}

void TFChords::ClearChordButtons() {
  for (TECCharButton* b : {CBChordDiesis, CBChordBemol, CBChordMinor, CBChordMajor, CBChordSus, CBChordOmit,
                           CBChordAdd, CBChordBracket, CBChordPlace, CBChordNote1, CBChordDiesis1, CBChordBemol1,
                           CBNoChord})
    b->SetDown(false);
  for (TECCharButton* b : CBChordAdds) b->SetDown(false);
  RefreshName();
}

void TFChords::ShowChordCode(const std::vector<uint8_t>* code) {
  ClearChordButtons();
  if (!code || code->size() < 2) return;
  const std::vector<uint8_t>& c = *code;
  const int count = c[kCountOffset];
  if (count == 0 || c.size() <= kRootOffset) {
    CBNoChord->SetDown(true);
    RefreshName();
    return;
  }
  SetChordNote(std::min<int>(LowNibble(c[kRootOffset]), 6));
  CBChordDiesis->SetDown(HighNibble(c[kRootOffset]) == kSharp);
  CBChordBemol->SetDown(HighNibble(c[kRootOffset]) == kFlat);
  // A code that claims more elements than it holds shows those it has.
  const int last = std::min(count + 1, static_cast<int>(c.size()) - 1);
  for (int i = kFirstElementOffset; i <= last; ++i) {
    const uint8_t b = c[static_cast<size_t>(i)], kind = HighNibble(b), low = LowNibble(b);
    if (b >= kIgnored) continue;
    switch (kind) {
      case kBase: SetChordBase(low); break;
      case kMinor: SetChordMinor(low), CBChordMinor->SetDown(true); break;
      case kMajor: SetChordMajor(low), CBChordMajor->SetDown(true); break;
      case kSus: SetChordSus(low), CBChordSus->SetDown(true); break;
      case kOmit: SetChordOmit(low), CBChordOmit->SetDown(true); break;
      case kRaisedMarker: CBChordPlace->SetDown(true); break;
      case kBracket: CBChordBracket->SetDown(true); break;
      case kAdd: CBChordAdd->SetDown(true); break;
      default:
        for (size_t a = 0; a < 5; ++a) {
          if (kind != kAlterKinds[a]) continue;
          const int d = low == 0 ? 0 : (low & 1) ? 1 : 2;
          SetAlteration(static_cast<int>(a), d);
          if (d != 0) SetAlterationStyle((low - d) / 2);
          CBChordAdds[a]->SetDown(true);
        }
        break;
    }
  }
  const size_t bassAt = static_cast<size_t>(count) + 2;
  if (c[kHasBassOffset] == 1 && c.size() > bassAt) {
    SetChordNote1(std::min<int>(LowNibble(c[bassAt]), 6));
    CBChordNote1->SetDown(true);
    CBChordDiesis1->SetDown(HighNibble(c[bassAt]) == kSharp);
    CBChordBemol1->SetDown(HighNibble(c[bassAt]) == kFlat);
  }
  RefreshName();
}

void TFChords::ShowCursorChord(TQSWindow* view) {
  if (!view || Mode() == mFrame) return;
  if (Mode() == mSymbol) {
    const std::vector<uint8_t>* flags = nullptr;
    view->ChordFlagsAtCursor(flags);
    ShowChordCode(flags);
    return;
  }
  // Notes: the chord they make, else nothing pressed.
  std::vector<TQSCursorNote> found(11);
  found.resize(static_cast<size_t>(std::max(0, view->NotesAtCursor(found))));
  std::vector<TSoundingNote> notes;
  for (const TQSCursorNote& n : found) notes.push_back({n.Pitch, n.Step});
  const std::vector<uint8_t> code = RecogniseChord(notes, values_.ChordMinor, values_.ChordMajor);
  ShowChordCode(code.empty() ? nullptr : &code);
}

void TFChords::CursorMoved(TQSWindow& view) { ShowCursorChord(&view); }

// ------------------------------------------------------------------ values

void TFChords::SetChordNote(int letter) {
  if (letter < 0 || letter > 6) letter = 0;
  if (letter == values_.ChordNote) return;
  values_.ChordNote = letter;
  RefreshCaptions();
  Store(&values_.ChordNote);
}

void TFChords::SetChordNote1(int letter) {
  if (letter < 0 || letter > 6) letter = 0;
  if (letter == values_.ChordNote1) return;
  values_.ChordNote1 = letter;
  RefreshCaptions();
  Store(&values_.ChordNote1);
}

// A chord part's style, kept within what its chooser offers (0..high);
// the captions and the settings follow a change.
void TFChords::SetPart(int& field, int value, int high) {
  value = std::clamp(value, 0, high);
  if (value == field) return;
  field = value;
  RefreshCaptions();
  Store(&field);
}

void TFChords::SetChordBase(int base) { SetPart(values_.ChordBase, base, 5); }

void TFChords::SetChordMinor(int style) { SetPart(values_.ChordMinor, style, 2); }

void TFChords::SetChordMajor(int style) { SetPart(values_.ChordMajor, style, 1); }

void TFChords::SetChordSus(int style) { SetPart(values_.ChordSus, style, 2); }

void TFChords::SetChordOmit(int style) { SetPart(values_.ChordOmit, style, 3); }

void TFChords::SetAlteration(int index, int direction) {
  if (index < 0 || index > 4) return;
  values_.ChordAdd[static_cast<size_t>(index)] = std::clamp(direction, 0, 2);
  RefreshCaptions();
  for (const int& d : values_.ChordAdd) Store(&d);
}

void TFChords::SetAlterationStyle(int style) {
  values_.ChordAddStyle = std::clamp(style, 0, 3);
  RefreshCaptions();
  Store(&values_.ChordAddStyle);
}

void TFChords::SetDuration(int ticks) {
  values_.ChordDuration = std::clamp(ticks, 8, 512);
  ShowDuration();
  Store(&values_.ChordDuration);
}

void TFChords::StepChordNote() {
  SetChordNote(values_.ChordNote >= 6 ? 0 : values_.ChordNote + 1);
  ChordButtonClick();
}

void TFChords::StepChordBase() {
  SetChordBase(values_.ChordBase >= 5 ? 0 : values_.ChordBase + 1);
  ChordButtonClick();
}

bool TFChords::PageKey(uint16_t key, uint16_t shift, uint16_t) {
  if (shift & (ssCtrl | ssAlt)) return false;
  auto toggle = [this](TECCharButton* b) {
    b->SetDown(!b->Down());
    ChordButtonClick();
  };
  switch (key) {
    case VK_ESCAPE: ClearChordButtons(); return true;
    case 'R': NextMode(); return true;
    case 'U': CBChordAbove->Click(); return true;
    case VK_ADD: case VK_SUBTRACT: StepDuration(key == VK_ADD); return true;
    case 'N': StepChordNote(); return true;
    case 'M': StepChordBase(); return true;
    case 'D': toggle(CBChordDiesis); return true;
    case 'B': toggle(CBChordBemol); return true;
    case 'I': toggle(CBChordMinor); return true;
    case 'J': toggle(CBChordMajor); return true;
    case 'S': toggle(CBChordSus); return true;
    case 'O': toggle(CBChordOmit); return true;
    case 'A':
      // "add" belongs to symbols only, as its button does.
      if (!CBChordAdd->Enabled()) return false;
      toggle(CBChordAdd);
      return true;
    default: return false;
  }
}

void TFChords::StepDuration(bool longer) { SetDuration(StepEntryDuration(values_.ChordDuration, longer)); }

// ------------------------------------------------------------------ showing

void TFChords::ShowDuration() {
  toolface::NoteValueFace(*CBChordDuration, values_.ChordDuration);
}

void TFChords::ShowMode() {
  const int mode = Mode();
  CBChordAddition->SetVisible(mode == mSymbol);
  CBFrameAddition->SetVisible(mode == mNotes);
  CBDefChordAddition->SetVisible(mode == mFrame);
  CBChordDuration->SetVisible(mode == mNotes);
  CBChordAbove->SetVisible(mode != mNotes);
  CBGuitarKind->SetVisible(mode == mFrame);
  CBNoChord->SetVisible(mode == mSymbol);
  for (TECCharButton* b : {CBChordAdd, CBChordBracket, CBChordPlace}) b->SetEnabled(mode == mSymbol);
  PFrames->SetVisible(mode == mFrame);
  PChords->SetVisible(mode != mFrame);
  // The two buttons serve the frames in frame mode, the library otherwise.
  CBSaveChord->SetHint(Message(mode == mFrame ? 7 : 5));
  CBChords->SetHint(Message(mode == mFrame ? 8 : 6));
  if (mode == mFrame) FillFrameButtons();
  else if (ChordButtons.empty()) FillChordButtons();
}

void TFChords::NextMode() {
  values_.ChordAddition = (values_.ChordAddition + 1) % 3;
  ShowMode();
  Store(&values_.ChordAddition);
}

void TFChords::RefreshCaptions() {
  CBChordNote->SetCaption(std::string(1, NoteLetter(values_.ChordNote)));
  CBChordNote1->SetCaption("/" + std::string(1, NoteLetter(values_.ChordNote1)));
  CBChordBase->SetCaption(CaptionOf(kBaseCaptions, values_.ChordBase));
  CBChordMinor->SetCaption(CaptionOf(kMinorCaptions, values_.ChordMinor));
  CBChordMajor->SetCaption(CaptionOf(kMajorCaptions, values_.ChordMajor));
  CBChordSus->SetCaption(CaptionOf(kSusCaptions, values_.ChordSus));
  CBChordOmit->SetCaption(CaptionOf(kOmitCaptions, values_.ChordOmit));
  for (size_t i = 0; i < 5; ++i)
    CBChordAdds[i]->SetCaption(
        TFChooseChordAdd::Caption(kAlterNumbers[i], values_.ChordAdd[i], values_.ChordAddStyle));
}

void TFChords::RefreshName() {
  std::vector<TQSChordFragment> fragments;
  BuildChordName(GetChordCode(), fragments);
  ECChordName->SetChordFragments(fragments);
  ECChordName->Invalidate();
}

// ------------------------------------------------------------------ frames

TQSGuitarDescription* TFChords::CurrentGuitar() const {
  const int i = values_.GuitarKind;
  return i >= 0 && i < static_cast<int>(guitars_->size()) ? (*guitars_)[static_cast<size_t>(i)].get() : nullptr;
}

void TFChords::GuitarChosen(int index) {
  values_.GuitarKind = std::max(0, index);
  CBGuitarKind->Invalidate();
  Store(&values_.GuitarKind);
  if (Mode() == mFrame) FillFrameButtons();
}

std::vector<TQSGuitarFrame*> TFChords::MatchingFrames() const {
  std::vector<TQSGuitarFrame*> frames;
  const TQSGuitarDescription* g = CurrentGuitar();
  if (!g) return frames;
  const std::vector<uint8_t> code = GetChordCode();
  for (const auto& f : g->Frames) {
    const int length = CodeLength(f->Code);
    if (length == static_cast<int>(code.size()) && length <= static_cast<int>(f->Code.size()) &&
        std::equal(code.begin(), code.end(), f->Code.begin()))
      frames.push_back(f.get());
  }
  return frames;
}

void TFChords::FillFrameButtons() {
  // A guitar kind past the library keeps the row as it was.
  if (!CurrentGuitar()) return;
  shownFrames_ = MatchingFrames();
  const int screenRight = Screen().Width() - 160;
  size_t shown = 0;
  for (; shown < shownFrames_.size(); ++shown) {
    const int left = 2 + (kFrameButtonWidth + 1) * static_cast<int>(shown);
    if (PFrames->Left() + left >= screenRight) break;
    if (shown >= FrameButtons.size()) {
      auto* b = new TECCharButton(this);
      b->SetName("CBFrame" + std::to_string(shown));
      b->SetParent(PFrames);
      b->SetFlat(true);
      b->SetBlackBorder(true);
      b->SetCustomDraw(true);
      b->OnDrawCharButton = [this, b, shown](TObject*, TCanvas& c, TRect r) {
        if (shown < shownFrames_.size()) DrawFrameButton(*b, *shownFrames_[shown], c, r);
      };
      b->OnClick = [this, shown](TObject*) {
        if (shown < shownFrames_.size()) InsertFrame(*shownFrames_[shown]);
      };
      FrameButtons.push_back(b);
    }
    FrameButtons[shown]->SetBounds(left, 0, kFrameButtonWidth, kFrameButtonHeight);
    FrameButtons[shown]->Invalidate();
  }
  while (FrameButtons.size() > shown) {
    delete FrameButtons.back();
    FrameButtons.pop_back();
  }
  shownFrames_.resize(shown);
  PFrames->SetBounds(PFrames->Left(), 4, 2 + (kFrameButtonWidth + 1) * static_cast<int>(shown), kFrameButtonHeight);
}

void TFChords::DrawFrameButton(TECCharButton&, const TQSGuitarFrame& frame, TCanvas& c, TRect r) const {
  const TQSGuitarDescription* g = frame.Guitar();
  const int strings = std::max(1, g ? static_cast<int>(g->StringCount) : static_cast<int>(frame.Strings.size()));
  const int frets = std::max(1, static_cast<int>(frame.UsedFretCount));
  const int width = kFrameCell * (strings - 1), height = kFrameCell * frets;
  const int left = (r.Left + r.Right - width) / 2, top = (r.Top + r.Bottom - height) / 2 + 4;
  c.Pen() = TPen{};
  c.Pen().Color = clBlack;
  for (int s = 0; s < strings; ++s) {
    c.MoveTo(left + kFrameCell * s, top);
    c.LineTo(left + kFrameCell * s, top + height);
  }
  for (int f = 0; f <= frets; ++f) {
    c.MoveTo(left, top + kFrameCell * f);
    c.LineTo(left + width + 1, top + kFrameCell * f);
  }
  TFont small;
  small.Name = "Arial";
  small.SetSize(6);
  c.Font() = small;
  c.Brush().Style = bsClear;
  if (frame.StartFret == 0) {
    c.MoveTo(left, top - 1);
    c.LineTo(left + width + 1, top - 1);
  } else {
    const std::string n = std::to_string(frame.StartFret + 1);
    c.TextOut(left - 2 - c.TextWidth(n), top, n);
  }
  c.Brush() = TBrush{};
  c.Brush().Color = clBlack;
  for (int s = 0; s < strings; ++s) {
    const TQSFrameString* e = frame.GetString(s);
    const int x = left + kFrameCell * s;
    std::string mark;
    if (!e || e->Finger == 0) mark = "0";
    else if (e->Finger == 255) mark = "X";
    else mark = std::to_string(e->Finger);
    if (e && e->Fret > 0 && e->Finger != 255) {
      const int y = top + kFrameCell * (e->Fret - 1) + 1;
      c.RoundRect(x - 2, y, x + 2, y + 4, 2, 2);
    }
    c.Brush().Style = bsClear;
    c.TextOut(x - c.TextWidth(mark) / 2, top - 10, mark);
    c.Brush().Style = bsSolid;
  }
}

void TFChords::InsertFrame(const TQSGuitarFrame& frame) {
  TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
  const TQSGuitarDescription* g = CurrentGuitar();
  if (!score || !g) return;
  SetGuitarFrame(*score, GetChordCode(), frame.Barre, frame.Strings, g->StringCount, g->FretCount,
                 frame.UsedFretCount, frame.StartFret, values_.ChordAbove ? kFrameAbove : kFrameBelow);
}

void TFChords::UseGuitars(std::vector<std::unique_ptr<TQSGuitarDescription>>& guitars) {
  guitars_ = &guitars;
  ownGuitars_.clear();
  shownFrames_.clear();
  CBGuitarKind->Invalidate();
  if (Mode() == mFrame) FillFrameButtons();
}

void TFChords::OpenUserFrame() {
  auto* form = new TFUserFrame(nullptr);
  TECFrameEditor& fe = *form->FEFrame;
  TQSFrameInfo info;
  TQSWindow* view = ActiveView(host_);
  const TQSGuitarDescription* g = CurrentGuitar();
  if (view && view->FrameAtCursor(info)) {
    fe.SetStringCount(info.StringCount);
    fe.SetFretCount(info.FretCount);
    fe.SetUsedFretCount(info.UsedFretCount);
    fe.SetStartFret(info.StartFret);
    for (int i = 0; i < static_cast<int>(info.Strings.size()); ++i) fe.SetString(i, info.Strings[static_cast<size_t>(i)]);
    for (int i = 0; i < static_cast<int>(info.Barre.size()); ++i) fe.SetBarre(i, info.Barre[static_cast<size_t>(i)]);
  } else if (g) {
    fe.SetStringCount(g->StringCount);
    fe.SetFretCount(g->FretCount);
    for (int i = 0; i < g->StringCount; ++i) fe.SetString(i, TQSFrameString{g->GetTuning(i), 0, 0});
  } else {
    fe.SetStringCount(6);
    fe.SetFretCount(24);
  }
  form->OnFrameChanged = [this](TFUserFrame* f) {
    TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
    if (!score) return;
    const TECFrameEditor& e = *f->FEFrame;
    SetGuitarFrame(*score, GetChordCode(), e.Barres(), e.Strings(), e.StringCount(), e.FretCount(),
                   e.UsedFretCount(), e.StartFret(), values_.ChordAbove ? kFrameAbove : kFrameBelow);
  };
  PlaceBelowControl(*CBChords, *form);
  form->Show();
}

bool TFChords::EditCursorFrame() {
  TQSWindow* view = ActiveView(host_);
  TQSGuitarDescription* g = CurrentGuitar();
  TQSFrameInfo info;
  if (!view || !g || !view->FrameAtCursor(info)) return false;
  TFFrameEditor editor(nullptr, settings_);
  TECFrameEditor& fe = *editor.FEFrame;
  fe.SetStringCount(info.StringCount);
  fe.SetFretCount(info.FretCount);
  fe.SetUsedFretCount(info.UsedFretCount);
  fe.SetStartFret(info.StartFret);
  for (int i = 0; i < static_cast<int>(info.Strings.size()); ++i) fe.SetString(i, info.Strings[static_cast<size_t>(i)]);
  for (int i = 0; i < static_cast<int>(info.Barre.size()); ++i) fe.SetBarre(i, info.Barre[static_cast<size_t>(i)]);
  const std::vector<uint8_t>* flags = nullptr;
  view->FrameFlagsAtCursor(flags);
  editor.SetCode(flags ? *flags : GetChordCode());
  if (editor.ShowModal() != mrOk) return false;
  TQSGuitarFrame* frame = g->AddFrame();
  frame->Code = editor.Code();
  frame->StartFret = static_cast<uint8_t>(fe.StartFret());
  frame->SetUsedFretCount(static_cast<uint8_t>(fe.UsedFretCount()));
  frame->Barre = fe.Barres();
  frame->Strings = fe.Strings();
  g->Modified = true;
  // Kept at once: nothing else writes the guitar's file.
  if (!g->FileName.empty()) g->SaveToFile();
  FillFrameButtons();
  return true;
}


// ------------------------------------------------------------------ library

namespace {

constexpr int kChordButtonWidth = 57, kChordButtonHeight = 18;

// The semitone of each step from C.
constexpr int kStepSemitones[7] = {0, 2, 4, 5, 7, 9, 11};

// The accidental a library note carries: -2 .. 2 semitones.
int NoteAlteration(const TQSNote& note) {
  for (const TQSItem* item : note.Items) {
    if (item->ItemType != kind::Accidental) continue;
    switch (static_cast<const TQSMark*>(item)->Fields.Kind) {
      case accidental::Flat: return -1;
      case accidental::DoubleFlat: return -2;
      case accidental::Sharp: return 1;
      case accidental::DoubleSharp: return 2;
      default: return 0;
    }
  }
  return 0;
}

std::string UserChordFile(const std::string& name) {
  return platform::TemplatesDir() + name + kChordIndex.Extension;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

}  // namespace

std::string TFChords::Message(int index) const {
  static const char* const kEnglish[] = {
      "Chord files (*.chd)|*.chd",
      "Chords",
      "The file \"%s\" does not exist.",
      "The file \"%s\" is not a chord file.",
      "The library already holds the chord \"%s\". Replace it?",
      "Save the selected notes as a library chord",
      "All library chords",
      "Edit the frame at the cursor and keep it with the guitar",
      "Draw a frame of your own at the cursor",
  };
  const char* english = index >= 0 && index < static_cast<int>(std::size(kEnglish)) ? kEnglish[index] : "";
  return LanguageMessage("FChords", index, english);
}

void TFChords::EnsureLoaded(TQSChordDescription& chord) {
  if (chord.Loaded) return;
  try {
    chord.LoadFromFile();
  } catch (const std::exception&) {
    // An unreadable file keeps its place and is not read again.
  }
  chord.Loaded = true;
}

void TFChords::LoadChords() {
  library_.clear();
  for (const std::string& name : ReadLibraryIndex(kChordIndex, nullptr)) {
    auto chord = std::make_unique<TQSChordDescription>();
    chord->FileName = name;
    library_.push_back(std::move(chord));
  }
}

void TFChords::SaveChords() {
  std::vector<std::string> names;
  for (const auto& c : library_) names.push_back(c->FileName);
  WriteLibraryIndex(kChordIndex, names);
}

void TFChords::AddChord(std::unique_ptr<TQSChordDescription> chord) {
  if (!chord) return;
  chord->Loaded = true;
  library_.insert(library_.begin(), std::move(chord));
  FillChordButtons();
  SaveChords();
}

int TFChords::RemoveChordsByName(const std::string& fileName, const TQSChordDescription* keep) {
  const auto before = library_.size();
  std::erase_if(library_, [&](const auto& c) { return c.get() != keep && SameText(c->FileName, fileName); });
  if (library_.size() != before) FillChordButtons();
  return static_cast<int>(before - library_.size());
}

void TFChords::RemoveLibraryChord(const TQSChordDescription* chord, bool deleteFile) {
  auto it = std::find_if(library_.begin(), library_.end(), [&](const auto& c) { return c.get() == chord; });
  if (it == library_.end()) return;
  // Only a plain name is a file of the user's library folder.
  if (deleteFile && IsLibraryEntryName((*it)->FileName)) {
    std::error_code ec;
    std::filesystem::remove(UserChordFile((*it)->FileName), ec);
  }
  library_.erase(it);
  FillChordButtons();
  // Written at once, so that the chord does not come back at the next start.
  SaveChords();
}

void TFChords::MoveChordToHead(const TQSChordDescription* chord) {
  auto it = std::find_if(library_.begin(), library_.end(), [&](const auto& c) { return c.get() == chord; });
  if (it == library_.end() || it == library_.begin()) return;
  std::rotate(library_.begin(), it, it + 1);
  FillChordButtons();
  SaveChords();
}

bool TFChords::ImportChord() {
  TOpenDialog dialog(nullptr);
  dialog.Filter = Message(0);
  dialog.Options |= ofAllowMultiSelect | ofFileMustExist;
  dialog.Language = InterfaceLanguage();
  if (!dialog.Execute()) return false;
  std::vector<std::string> files = dialog.Files;
  if (files.empty() && !dialog.FileName.empty()) files.push_back(dialog.FileName);
  return ImportChordFiles(files);
}

bool TFChords::ImportChordFiles(const std::vector<std::string>& paths) {
  auto ask = [this](const std::string& text, uint8_t icon, uint16_t buttons) {
    return Ask ? Ask(Message(1), text, icon, buttons) : ShowMessageBlock(Message(1), text, icon, buttons);
  };
  bool taken = false;
  for (const std::string& path : paths) {
    if (!FileExists(path)) {
      ask(Format(Message(2).c_str(), path.c_str()), kMessageWarning, kMessageOk);
      break;
    }
    auto chord = std::make_unique<TQSChordDescription>();
    try {
      chord->ImportFromFile(path);
    } catch (const std::exception&) {
      ask(Format(Message(3).c_str(), path.c_str()), kMessageWarning, kMessageOk);
      break;
    }
    if (!IsLibraryEntryName(chord->FileName)) {
      ask(Format(Message(3).c_str(), path.c_str()), kMessageWarning, kMessageOk);
      break;
    }
    const std::string target = UserChordFile(chord->FileName);
    const bool sameFile = FileExists(target) && SameFile(target, path);
    const bool known = std::any_of(library_.begin(), library_.end(),
                                   [&](const auto& c) { return SameText(c->FileName, chord->FileName); });
    if (sameFile) {
      if (!known) AddChord(std::move(chord));
    } else {
      if (known || FileExists(target)) {
        if (ask(Format(Message(4).c_str(), chord->GetName().c_str()), kMessageQuestion, kMessageYes | kMessageNo) !=
            mrYes)
          break;
        auto it = std::find_if(library_.begin(), library_.end(),
                               [&](const auto& c) { return SameText(c->FileName, chord->FileName); });
        if (it != library_.end()) library_.erase(it);
      }
      // The library keeps its own copy: the chosen file may go away.
      const std::string bytes = ReadFileText(path);
      SafeSaveText(target, bytes);
      AddChord(std::move(chord));
    }
    taken = true;
  }
  return taken;
}

void TFChords::FillChordButtons() {
  for (TECCharButton* b : ChordButtons) delete b;
  ChordButtons.clear();
  const int screenRight = Screen().Width() - 160;
  int width = 0;
  for (size_t i = 0; i < library_.size(); ++i) {
    const int column = static_cast<int>(i / 3), row = static_cast<int>(i % 3);
    const int left = 2 + (kChordButtonWidth + 1) * column;
    if (PChords->Left() + left >= screenRight) break;
    TQSChordDescription* chord = library_[i].get();
    EnsureLoaded(*chord);
    auto* b = new TECCharButton(this);
    b->SetName("CBLibraryChord" + std::to_string(i));
    b->SetParent(PChords);
    b->SetFlat(true);
    b->SetBlackBorder(true);
    TFont font = b->Font();
    font.Name = "Arial";
    font.SetSize(8);
    b->SetFont(font);
    b->SetCaption(chord->GetName());
    b->SetHint(chord->Description);
    b->SetShowHint(true);
    b->SetBounds(left, (kChordButtonHeight + 1) * row, kChordButtonWidth, kChordButtonHeight);
    b->OnClick = [this, chord](TObject*) {
      if (Mode() == mFrame) {
        FillFrameButtons();
        return;
      }
      InsertLibraryChord(*chord);
    };
    ChordButtons.push_back(b);
    width = left + kChordButtonWidth;
  }
  PChords->SetBounds(PChords->Left(), 4, width + 2, 56);
}

std::vector<TQSChordTone> TFChords::LibraryChordTones(const TQSChordDescription& chord) const {
  // The notes are moved from C to the root by their interval, so that the
  // chord keeps its sound on every root (E on C is a major third, and so is
  // F sharp on D).
  const int rootStep = values_.ChordNote;
  const int rootShift = CBChordBemol->Down() ? -1 : CBChordDiesis->Down() ? 1 : 0;
  std::vector<TQSChordTone> tones;
  for (const TQSItem* item : chord.Notes) {
    if (tones.size() >= 49) break;
    const auto* note = dynamic_cast<const TQSNote*>(item);
    if (!note) continue;
    const int step = std::clamp<int>(PitchStep(note->Fields.Pitch), 0, 6);
    int octave = PitchOctave(note->Fields.Pitch);
    int target = step + rootStep;
    int wrap = 0;
    if (target > 6) target -= 7, wrap = 12, ++octave;
    const int wanted = kStepSemitones[step] + NoteAlteration(*note) + kStepSemitones[rootStep] + rootShift;
    const int alteration = wanted - (kStepSemitones[target] + wrap);
    TQSChordTone t;
    t.Step = static_cast<uint8_t>(target + 1);
    t.Octave = static_cast<uint8_t>(std::clamp(octave, 0, 10));
    switch (alteration) {
      case -2: t.Accidental = kToneDoubleFlat; break;
      case -1: t.Accidental = kToneFlat; break;
      case 1: t.Accidental = kToneSharp; break;
      case 2: t.Accidental = kToneDoubleSharp; break;
      default: t.Accidental = 0; break;
    }
    tones.push_back(t);
  }
  return tones;
}

void TFChords::InsertLibraryChord(TQSChordDescription& chord) {
  TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
  if (!score) return;
  EnsureLoaded(chord);
  if (Mode() == mNotes) {
    const std::vector<TQSChordTone> tones = LibraryChordTones(chord);
    if (!tones.empty()) InsertChordNotes(*score, static_cast<int>(tones.size()), tones, values_.ChordDuration, true);
    return;
  }
  std::vector<TQSChordFragment> names(1);
  names[0].Text = std::string(1, NoteLetter(values_.ChordNote));
  if (CBChordBemol->Down()) names[0].Text += "b";
  else if (CBChordDiesis->Down()) names[0].Text += "#";
  names.insert(names.end(), chord.Fragments.begin(), chord.Fragments.end());
  SetChordSymbol(*score, {0, 0}, &names, values_.ChordAbove ? kSymbolAbove : kSymbolBelow);
}

// ------------------------------------------------------------------ palette

void TFChords::ApplyTool() {
  if (TQSWindow* view = ActiveView(host_)) view->ArmPaletteItem(paletteitem::None);
  if (host_) host_->SetEntryDuration(0);
  ShowCursorChord(ActiveView(host_));
}

bool TFChords::InsertToolItem(TQSWindow&, TInsertFrom) { return false; }

void TFChords::ResetToDefaults() {
  values_.ChordAddition = mSymbol;
  values_.ChordDuration = 64;
  values_.ChordAbove = false;
  CBChordAbove->Invalidate();
  ShowDuration();
  ShowMode();
  FillChordButtons();
  ClearChordButtons();
  RefreshCaptions();
}

// ------------------------------------------------------------------ registry

void RegisterChordsPalette() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterChordDialogForms();
  AddPaletteEntry({"Chords", "TSChords", "ChordsAttached",
                   [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
                     return new TFChords(owner, context);
                   }});
  RegisterForm("FChords", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFChords>(nullptr, TPaletteContext{});
    // Cmaj7 with a raised eleventh over E, as while building it.
    form->SetChordBase(2);
    form->SetAlteration(3, 1);
    form->CBChordMajor->SetDown(true);
    form->CBChordAdds[3]->SetDown(true);
    form->CBChordNote1->SetDown(true);
    form->SetChordNote1(2);
    form->ChordButtonClick();
    return form;
  });
}

}  // namespace qs
