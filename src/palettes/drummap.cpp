#include "palettes/drummap.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/inifile.h"
#include "base/strings.h"
#include "palettes/drums.h"
#include "palettes/notes.h"
#include "platform/canvas.h"
#include "platform/stdctrls.h"
#include "uikit/formparts.h"
#include "uikit/gridstring.h"
#include "uikit/names.h"

namespace qs {

namespace {
constexpr const char* kSection = "DrumMap";
}  // namespace

TDrumMapEntry ParseDrumMapRecord(const std::string& value) {
  TDrumMapEntry e;
  std::vector<std::string> fields;
  size_t from = 0;
  for (;;) {
    const size_t comma = value.find(',', from);
    fields.push_back(value.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  // The name takes every field but the last three.
  const size_t numbers = fields.size() >= 4 ? 3 : fields.size() - 1;
  const size_t nameFields = fields.size() - numbers;
  for (size_t i = 0; i < nameFields; ++i) e.Name += (i ? "," : "") + fields[i];
  if (numbers >= 1) e.Head = StrToIntSafe(Trim(fields[nameFields]), kNoDrumHead);
  if (numbers >= 2) e.Position = StrToIntSafe(Trim(fields[nameFields + 1]), kMiddleDrumPosition);
  if (numbers >= 3) e.Use = Trim(fields[nameFields + 2]) == "1";
  return e;
}

std::string FormatDrumMapRecord(const TDrumMapEntry& e) {
  return e.Name + "," + std::to_string(e.Head) + "," + std::to_string(e.Position) + "," + (e.Use ? "1" : "0");
}

TDrumMapEntry ReadDrumMapEntry(const TIniFile& ini, int key) {
  const std::string value = ini.ReadString(kDrumMapSection, "Pitch" + std::to_string(key), "");
  return value.empty() ? TDrumMapEntry{} : ParseDrumMapRecord(value);
}

void WriteDrumMapEntry(TIniFile& ini, int key, TDrumMapEntry entry) {
  entry.Name = Trim(entry.Name);
  const std::string name = "Pitch" + std::to_string(key);
  if (entry.Name.empty()) ini.DeleteKey(kDrumMapSection, name);
  else ini.WriteString(kDrumMapSection, name, FormatDrumMapRecord(entry));
}

std::string DrumKeyName(int key) { return PitchName(key % 12) + std::to_string(key / 12 - 1); }

// ------------------------------------------------------------------ grid

namespace {

constexpr int kPitch = TFDrumMap::kPitch, kName = TFDrumMap::kName, kHead = TFDrumMap::kHead,
              kPos = TFDrumMap::kPos, kUse = TFDrumMap::kUse;

void DrawDrumMapCell(TECStringGrid& grid, int col, int row, const TRect& rect) {
  if (row < 1) return;
  TCanvas& c = grid.Canvas();
  const std::string text = grid.Cells(col, row);
  c.Pen().Style = psSolid;
  c.Pen().Width = 1;
  c.Pen().Color = clBlack;
  if (col == kHead) {
    const int head = StrToIntSafe(text, 0);
    TDrumStyles& styles = TFNotes::SharedDrumStyles();
    TECDrumDescription* style = nullptr;
    if (head != kNoDrumHead) {
      if (head < 0 || head >= static_cast<int>(styles.size())) return;
      style = styles[static_cast<size_t>(head)].get();
      style->EnsureLoaded();
    }
    PaintDrumStyle(c, TRect{rect.Left - 4, rect.Top - 2, rect.Right - 4, rect.Bottom - 2}, style, false);
  } else if (col == kPos) {
    // Five staff lines with the note's box; ledger lines beyond them.
    int p = std::clamp(StrToIntSafe(text, kMiddleDrumPosition), 56, 74);
    int shortFrom = 5, shortTo = -1;  // lines drawn short: [shortTo+1 .. ] or [.. shortFrom-1]
    if (p > 68) {
      shortTo = (p - 67) / 2 - 1;
      p = (p - 68) % 2 ? 67 : 68;
    } else if (p < 60) {
      shortFrom = 4 - (61 - p) / 2 + 1;
      p = (60 - p) % 2 ? 61 : 60;
    }
    for (int i = 0; i < 5; ++i) {
      const int y = rect.Top + 3 + 4 * i;
      const bool ledger = i <= shortTo || i >= shortFrom;
      c.MoveTo(rect.Left + (ledger ? 4 : 1), y);
      c.LineTo(rect.Left + (ledger ? 12 : 15), y);
    }
    const int y = rect.Top + 139 - 2 * p;
    c.Brush().Style = bsSolid;
    c.Brush().Color = clBlack;
    c.FillRect(TRect{rect.Left + 6, y - 2, rect.Left + 10, y + 3});
  } else if (col == kUse) {
    const int cx = (rect.Left + rect.Right - 8) / 2, cy = rect.Top + 12;
    c.Brush().Style = bsClear;
    c.Rectangle(cx - 2, cy - 6, cx + 10, cy + 6);
    if (text == "1") {
      c.Brush().Style = bsSolid;
      c.Brush().Color = clBlack;
      c.Polygon({TPoint{cx, cy}, TPoint{cx, cy + 1}, TPoint{cx + 2, cy + 3}, TPoint{cx + 7, cy - 2},
                 TPoint{cx + 7, cy - 3}, TPoint{cx + 2, cy + 2}});
    }
  }
}

}  // namespace

TECStringGrid* MakeDrumMapGrid(TComponent* owner, TWinControl* parent, int left, int top, int width, int height) {
  auto* grid = Make<TECStringGrid>(owner, parent, "SGDrumMap", left, top, width, height);
  grid->SetColCount(5);
  grid->SetRowCount(kLastDrumKey - kFirstDrumKey + 2);
  grid->SetFixedCols(0);
  grid->SetFixedRows(1);
  grid->SetDefaultRowHeight(24);
  struct TColumn {
    ECStringGrid::TEditStyle Style;
    ECStringGrid::TEditType Type;
    int Width;
    bool Drawn;
  };
  const TColumn columns[5] = {{ECStringGrid::esReadOnly, ECStringGrid::etString, 32, false},
                              {ECStringGrid::esEdit, ECStringGrid::etString, 128, false},
                              {ECStringGrid::esEllipsis, ECStringGrid::etInteger, 36, true},
                              {ECStringGrid::esUpDown, ECStringGrid::etInteger, 36, true},
                              {ECStringGrid::esReadOnly, ECStringGrid::etString, 36, true}};
  for (const TColumn& c : columns) {
    TECStringColumn& col = grid->Columns().Add();
    col.EditStyle = c.Style;
    col.EditType = c.Type;
    col.DefaultDrawing = !c.Drawn;
    col.SetWidth(c.Width);
  }
  grid->SetOptions(grid->Options() | goEditing);
  grid->OnDrawCell = [grid](TObject*, int col, int row, const TRect& rect, TGridDrawState) {
    DrawDrumMapCell(*grid, col, row, rect);
  };
  grid->OnMouseDown = [grid](TObject*, TMouseButton, TShiftState, int x, int y) {
    int col = 0, row = 0;
    if (!grid->MouseToCell(x, y, col, row) || col != kUse || row < 1) return;
    grid->SetCells(kUse, row, grid->Cells(kUse, row) == "1" ? "0" : "1");
    grid->Invalidate();
  };
  grid->OnEditButtonClick = [grid](TObject*) {
    if (grid->Col() == kHead) ChooseDrumMapHead(*grid, grid->Row());
  };
  for (int key = kFirstDrumKey; key <= kLastDrumKey; ++key) {
    grid->SetCells(kPitch, TFDrumMap::RowOfKey(key), DrumKeyName(key));
    SetDrumMapGridEntry(*grid, key, TDrumMapEntry{});
  }
  return grid;
}

void SetDrumMapGridTitles(TECStringGrid& grid, TECFormLanguage& language, int firstMessage) {
  const char* titles[5] = {"Pitch", "Name", "Head", "Pos", "Use"};
  for (int c = 0; c < 5; ++c) grid.Columns().Items(c).SetCaption(language.GetMessage(firstMessage + c, titles[c]));
}

TDrumMapEntry DrumMapGridEntry(const TECStringGrid& grid, int key) {
  const int row = TFDrumMap::RowOfKey(key);
  TDrumMapEntry e;
  e.Name = grid.Cells(kName, row);
  e.Head = StrToIntSafe(grid.Cells(kHead, row), 0);
  e.Position = StrToIntSafe(grid.Cells(kPos, row), kMiddleDrumPosition);
  e.Use = grid.Cells(kUse, row) == "1";
  return e;
}

void SetDrumMapGridEntry(TECStringGrid& grid, int key, const TDrumMapEntry& e) {
  const int row = TFDrumMap::RowOfKey(key);
  grid.SetCells(kName, row, e.Name);
  grid.SetCells(kHead, row, std::to_string(e.Head));
  grid.SetCells(kPos, row, std::to_string(e.Position));
  grid.SetCells(kUse, row, e.Use ? "1" : "0");
}

TFChooseDrum* ChooseDrumMapHead(TECStringGrid& grid, int row) {
  TDrumStyles& styles = TFNotes::SharedDrumStyles();
  auto* p = new TFChooseDrum(nullptr);
  p->WithStandard = true;
  p->FillDrumButtons(styles);
  p->SetDrumStyle(StrToIntSafe(grid.Cells(kHead, row), 0));
  p->OnChoose = [&grid, row](TObject*, int index) {
    grid.SetCells(kHead, row, std::to_string(index));
    grid.Invalidate();
  };
  // Right edge at the cell's, top at its bottom; kept on the screen.
  const TRect cell = grid.CellRect(kHead, row);
  const TPoint corner = grid.ClientToScreen(TPoint{cell.Right, cell.Bottom});
  const TRect screen = Screen().WorkAreaRect();
  int left = corner.X - p->Width(), top = corner.Y;
  if (left + p->Width() > screen.Right) left = screen.Right - p->Width();
  if (top + p->Height() > screen.Bottom) top = corner.Y - cell.Height() - p->Height() - 18;
  p->SetBounds(left, top, p->Width(), p->Height());
  p->Show();
  return p;
}

// ------------------------------------------------------------------ dialog

TFDrumMap::TFDrumMap(TComponent* owner, TIniFile* settings, const std::string& readFile,
                     const std::string& writeFile)
    : TForm(owner), settings_(settings), mapFile_(writeFile) {
  SetName("FDrumMap");
  SetCaption("Drum map");
  SetBorderStyle(bsSizeable);
  SetPosition(poScreenCenter);
  SetClientWidth(310);
  SetClientHeight(420);
  ApplySkinTemplate(*this, skinkind::Normal);

  SGDrumMap = MakeDrumMapGrid(this, this, 8, 8, 294, 364);
  SGDrumMap->SetAnchors(akLeft | akTop | akRight | akBottom);

  BBTest = Make<TButton>(this, "BBTest", 8, 386, 75, 25);
  BBTest->SetCaption("Test");
  BBTest->SetAnchors(akLeft | akBottom);
  BBTest->OnClick = [this](TObject*) {
    if (OnTestKey && SGDrumMap->Row() >= 1) OnTestKey(KeyOfRow(SGDrumMap->Row()));
  };
  BBSave = Make<TButton>(this, "BBSave", 146, 386, 75, 25);
  BBSave->SetCaption("&Save");
  BBSave->SetDefault(true);
  BBSave->SetAnchors(akRight | akBottom);
  BBSave->OnClick = [this](TObject*) {
    Save();
    SetModalResult(mrOk);
  };
  BBCancel = MakeCancelButton(this, 227, 386);
  BBCancel->SetAnchors(akRight | akBottom);
  LDrumMap = MakeFormLanguage(this, "LDrumMap");
  SetDrumMapGridTitles(*SGDrumMap, *LDrumMap, 0);

  const TIniFile map(readFile);
  for (int key = kFirstDrumKey; key <= kLastDrumKey; ++key)
    SetEntry(key, readFile.empty() ? TDrumMapEntry{} : ReadDrumMapEntry(map, key));
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, kSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
}

TFDrumMap::~TFDrumMap() {
  if (settings_) WriteFormBounds(*settings_, kSection, BoundsRect());
}

TDrumMapEntry TFDrumMap::Entry(int key) const { return DrumMapGridEntry(*SGDrumMap, key); }

void TFDrumMap::SetEntry(int key, const TDrumMapEntry& e) { SetDrumMapGridEntry(*SGDrumMap, key, e); }

void TFDrumMap::Save() {
  if (mapFile_.empty()) return;
  TIniFile map(mapFile_);
  map.BeginUpdate();
  for (int key = kFirstDrumKey; key <= kLastDrumKey; ++key) WriteDrumMapEntry(map, key, Entry(key));
  map.EndUpdate();
}

TFChooseDrum* TFDrumMap::ChooseHead(int row) { return ChooseDrumMapHead(*SGDrumMap, row); }

void RegisterDrumMapForms() {
  RegisterForm("FDrumMap", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFDrumMap>(nullptr, nullptr, std::string(), std::string());
    TDrumMapEntry snare{"Acoustic Snare", 3, 66, true};
    form->SetEntry(38, snare);
    form->SetEntry(42, TDrumMapEntry{"Closed Hi-Hat", 0, 74, true});
    form->SetEntry(36, TDrumMapEntry{"Bass Drum 1", 3, 57, true});
    form->SGDrumMap->SetTopRow(form->RowOfKey(50));
    return form;
  });
}

}  // namespace qs
