#pragma once
// Shared by the MusicXML tests: documents built around a few measures,
// import into a fresh score, and shorthands to look at what was built.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/stream.h"
#include "interchange/musicxml.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs::test {

// A partwise document with one part "P1" whose content is `measures`.
inline std::string OnePart(const std::string& measures, const std::string& head = "") {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<score-partwise version="4.0">)" +
         head + R"(
  <part-list><score-part id="P1"><part-name>Piano</part-name></score-part></part-list>
  <part id="P1">)" +
         measures + R"(</part>
</score-partwise>)";
}

// One measure with divisions 1 (a quarter note is 1) and 4/4.
inline std::string Measure1(const std::string& body, const std::string& attributes = "") {
  return R"(<measure number="1"><attributes><divisions>1</divisions>)" + attributes +
         R"(<time><beats>4</beats><beat-type>4</beat-type></time></attributes>)" + body + "</measure>";
}

inline std::unique_ptr<TQSScore> ImportText(const std::string& xml) {
  auto score = std::make_unique<TQSScore>();
  TMemoryStream s(std::vector<uint8_t>(xml.begin(), xml.end()));
  ImportMusicXml(*score, s);
  return score;
}

inline TQSPiece* LastPiece(TQSScore& score) { return score.GetPiece(score.PieceCount() - 1); }

template <class T, class Container>
std::vector<T*> ItemsOf(const Container& m, TQSItemType k) {
  std::vector<T*> out;
  for (TQSItem* item : m.Items)
    if (item->ItemType == k) out.push_back(static_cast<T*>(item));
  return out;
}

inline std::vector<TQSNote*> NotesOf(const TQSMeasure& m) { return ItemsOf<TQSNote>(m, kind::Note); }
inline std::vector<TQSPause*> RestsOf(const TQSMeasure& m) { return ItemsOf<TQSPause>(m, kind::Pause); }

// The attached items of a holder of one kind.
template <class T>
std::vector<T*> Attached(const TQSItemHolder& h, TQSItemType k) {
  std::vector<T*> out;
  for (TQSItem* item : h.Items)
    if (item->ItemType == k) out.push_back(static_cast<T*>(item));
  return out;
}

// The native bytes of a piece, for comparing two imports.
inline std::vector<uint8_t> PieceBytes(TQSPiece& piece) {
  TMemoryStream s;
  piece.SaveToStream(s);
  return s.Bytes();
}

// Lays the score out and writes the piece as MusicXML.
std::string ExportText(TQSScore& score, TQSPiece& piece);

// The files of tests/data/musicxml.
std::vector<std::string> FixtureFiles();
std::string ReadFile(const std::string& path);

}  // namespace qs::test
