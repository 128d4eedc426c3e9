#pragma once
// A whole score for the document and file tests: two pieces, three parts
// with several staves and voices, every item kind the factory makes (in
// measures, columns, parts, notes, grace groups and at score level), texts,
// description, drum and user-symbol tables, a page format and settings that
// differ from a new score's. And a view that follows the update lock as a
// real view does.
#include <cstdint>
#include <string>
#include <vector>

#include "../common/damaged_copies.h"
#include "base/exceptions.h"
#include "base/stream.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/page.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "tree_fixture.h"

namespace qs::test {

// A view that notes repaints while the score's update lock is held and
// counts the repaints it does.
class TLockedView : public TFakeView {
 public:
  int PageRepaints = 0, RulerRepaints = 0, ButtonBarRepaints = 0;
  std::vector<bool> MarkerCalls;
  void InvalidatePages() override {
    ++Invalidated;
    if (Score && Score->Updating()) {
      PagesRepaintPending = true;
      return;
    }
    PagesRepaintPending = false;
    ++PageRepaints;
  }
  void InvalidateRulers() override {
    if (Score && Score->Updating()) {
      RulersRepaintPending = true;
      return;
    }
    RulersRepaintPending = false;
    ++RulerRepaints;
  }
  void InvalidateButtonBar() override { ++ButtonBarRepaints; }
  void DrawNavigatorMarker(bool visible) override { MarkerCalls.push_back(visible); }
};

// Puts one item of every kind the factory makes somewhere it can live.
inline void AddEveryItemKind(TQSScore& score, TQSPart* part, TQSMeasure* measure, TQSNote* note) {
  int n = 0;
  for (int k = 1; k < 256; ++k) {
    const auto kind = static_cast<TQSItemType>(k);
    if (!IsKnownItemKind(kind)) continue;
    ++n;
    const bool pageObject = (k >= 200 && k <= 207) || k == kind::PageMark;
    TQSItem* item = CreateItemByKind(kind, pageObject ? static_cast<TQSItemOwner*>(&score) : measure);
    if (auto* m = dynamic_cast<TQSMark*>(item)) {
      m->Fields.Time = static_cast<uint16_t>(16 * (n % 32));
      m->Fields.StaffVoice = static_cast<uint8_t>(n % 3 == 0 ? 0x10 : 0x01);
      m->Fields.Value = static_cast<uint16_t>(n * 3);
      if (k == kind::Tuplet) {
        m->Fields.Kind = 5;
        m->Fields.Value = 128;
        m->CalcTupletLengths();
      }
      if (k == kind::Meter || k == kind::Rehearsal || k == kind::Finger) m->FontName = "Times New Roman";
    } else if (auto* text = dynamic_cast<TQSText*>(item)) {
      text->Fields.X = 120;
      text->Fields.Page = 1;
      text->FontName = "Georgia";
      text->Lines = {"Sonata", "für Klavier"};
    } else if (auto* lyric = dynamic_cast<TQSLyric*>(item)) {
      lyric->Fields.Verse = 2;
      lyric->Lines = {"Ky-", "ri-e"};
    } else if (auto* chord = dynamic_cast<TQSChord*>(item)) {
      chord->Definition = {1, 2, 0, 4, 7};
      TQSChordFragment f;
      f.Fields.Size = 10;
      f.Text = "Cm";
      chord->Patterns = {f, f};
      chord->Patterns[1].Text = "7";
    } else if (auto* frame = dynamic_cast<TQSFrame*>(item)) {
      frame->SetStringCount(6);
      frame->SetUsedFretCount(4);
      frame->Strings[2].Finger = 3;
      frame->Barre[0] = 1;
    } else if (auto* event = dynamic_cast<TQSMIDIEvent*>(item)) {
      const uint8_t data[] = {0xB0, 7, 100};
      event->SetData(data, sizeof data);
    } else if (auto* image = dynamic_cast<TQSImage*>(item)) {
      image->Fields.Flags = TQSImage::kStretch;
      image->Picture.LoadFromBytes(TQSGraphicType::Bitmap, {'B', 'M', 1, 2, 3});
    } else if (auto* mark = dynamic_cast<TQSPageMark*>(item)) {
      mark->Fields.IsDate = 1;
      mark->FontName = "Arial";
    }
  }
  // Part-view page objects, attached items of a note and a grace group.
  auto* partText = static_cast<TQSText*>(CreateItemByKind(kind::Text, part));
  partText->Lines = {"part text"};
  CreateItemByKind(kind::Effect, note);
  CreateItemByKind(kind::Bend, note);
  CreateItemByKind(kind::Dot, note);
  auto* grace = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, measure));
  static_cast<TQSNote*>(CreateItemByKind(kind::Note, grace))->Fields.Pitch = 0x52;
  static_cast<TQSNote*>(CreateItemByKind(kind::Note, grace))->Fields.Pitch = 0x54;
}

inline void AddTables(TQSScore& score) {
  score.AddDrumInstrument("Cross", 0x41, 0x42, 3, 0x43, "Quavero Symbols", 90, 1);
  score.AddDrumInstrument("Diamond", 0x51, 0x52, 4, 0x53, "Quavero Symbols", 100, 2);
  score.SetDrumMapEntry(36, "Bass Drum", 0, 58, 1);
  score.SetDrumMapEntry(38, "Snare", 1, 62, 1);
  score.SetDrumMapEntry(42, "Hi-Hat", 255, 66, 0);
  TQSUserSymbol* symbol = score.AddUserSymbol("Star");
  symbol->Fields.First = 40;
  symbol->Fields.Second = -3;
  for (int i = 0; i < 3; ++i) {
    auto* line = static_cast<TQSLine*>(CreateItemByKind(kind::Line, symbol));
    line->Fields.X1 = static_cast<int16_t>(i * 10);
    symbol->Items.Add(line);
  }
  score.AddUserSymbol("Empty");
}

// A score that uses everything a native file holds.
class TRichScoreFixture : public TTreeFixture {
 public:
  TRichScoreFixture() {
    Score.SetScale(90);
    Score.Align = 14;
    Score.AutoJoin = 3;
    Score.HorzAlign = 0;
    Score.PrintEmptyLines = 1;
    Score.PageCount = 3;
    Score.EmptyPages = 1;
    Score.Spacing1 = 25;
    Score.Spacing2 = 60;
    Score.Spacing5 = 9;
    Score.SettingsReserved5[3] = 0x5A;
    Score.SettingsReserved50[1] = 0xA5;
    Score.Page.Fields.Color = 0xF0F0E0;
    Score.Page.Fields.Width = 2100.0L;
    Score.Page.Fields.Height = 2970.0L;
    Score.Page.Fields.LineSpace = 17.5L;
    Score.Page.Fields.Orientation = 1;
    Score.Page.Fields.Metrix = 1;
    Score.Composer = "Komponist";
    Score.Poet = "Dichter";
    Score.Rights = "© 2026";
    Score.Description.Add("first line");
    Score.Description.Add("");
    Score.Description.Add("third line");

    Piece->SetName("Allegro");
    FillPart(Part);
    FillPart(Piece->AddPart());
    while (Piece->ColumnCount() < 3) Piece->AddColumn();
    Piece->GetColumn(1)->Fields.PageBreak = 2;
    CreateItemByKind(kind::RepeatOpen, Piece->GetColumn(1));
    TQSPiece* second = Score.NewPiece();
    second->SetName("Adagio");
    second->Fields.Tempo = 52;
    TQSPart* third = second->AddPart();
    FillPart(third);
    auto* note = static_cast<TQSNote*>(Part->GetMeasure(0)->GetItem(1));
    AddEveryItemKind(Score, third, third->GetMeasure(2), note);
    AddTables(Score);
  }

  std::vector<uint8_t> SavedScore() { return SavedScoreOf(Score); }

  static std::vector<uint8_t> SavedScoreOf(TQSScore& score) {
    TMemoryStream s;
    score.SaveToStream(s);
    return s.Bytes();
  }
};

// Loads every truncation of a file and `rounds` copies of it with one to
// four random bytes changed. Each must end in a clear error or a partial
// score that can be saved again, never in a crash, a hang or a read outside
// the data (run it in the sanitizer build). Returns how many loads raised
// an error.
inline int LoadDamagedCopies(const std::vector<uint8_t>& bytes, int rounds, uint32_t seed) {
  return ReadDamagedCopies(
      bytes,
      [](TStream& s) {
        TQSScore read;
        TLockedView view;
        read.AttachWindow(&view);
        std::exception_ptr error;
        try {
          read.LoadFromStream(s);
        } catch (const Exception&) {
          error = std::current_exception();
        }
        EXPECT_FALSE(read.Updating());
        TMemoryStream out;
        try {
          read.SaveToStream(out);
        } catch (const EWriteError&) {
        }
        read.DetachWindow(&view);
        if (error) std::rethrow_exception(error);
      },
      seed, rounds);
}

}  // namespace qs::test
