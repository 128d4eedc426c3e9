#include "chords/chordfile.h"

#include "base/exceptions.h"
#include "palettes/libraryfile.h"
#include "score/notes.h"
#include "score/record.h"

namespace qs {

namespace {

constexpr uint8_t kChordSignature = 31;
constexpr uint8_t kOldChordSignature = '3';
constexpr uint16_t kChordVersion = 880;

// The accidental of an old note mark by its letter.
int OldAccidental(uint8_t letter) {
  static const char kLetters[] = "ghijkst";
  for (int i = 0; i < 7; ++i)
    if (letter == static_cast<uint8_t>(kLetters[i])) return i;
  return -1;
}

// An old note: a length-prefixed body (step + 21, octave) and its marks.
void ReadOldNote(TStream& s, TQSChordDescription& chord) {
  std::vector<uint8_t> body = s.ReadBytes(s.ReadU8());
  body.resize(2, 0);
  auto* note = new TQSNote(&chord);
  chord.AddNote(note);
  note->Fields.Pitch = static_cast<uint8_t>(body[1] * 16 + body[0] - 21);
  const uint16_t marks = s.ReadU16();
  for (int i = 0; i < marks; ++i) {
    std::vector<uint8_t> mark = s.ReadBytes(s.ReadU8());
    const int accidental = mark.empty() ? -1 : OldAccidental(mark[0]);
    if (accidental < 0) continue;  // not an accidental: nothing of it is kept
    auto* item = static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, note));
    item->Fields.Kind = static_cast<uint8_t>(accidental);
  }
}

}  // namespace

int TQSChordDescription::AddNote(TQSNote* note) {
  Notes.Add(note);
  return Notes.Count() - 1;
}

std::string TQSChordDescription::GetName() const {
  std::string name = "X";
  for (const TQSChordFragment& f : Fragments) name += f.Text;
  return name;
}

void TQSChordDescription::LoadFromStream(TStream& s) {
  Loaded = true;
  const uint8_t signature = ReadLibrarySignature(s, {kChordSignature, kOldChordSignature}, "File is not chord");
  FileVersion = ReadLibraryVersion(s, kChordVersion, "Version of file is more then 3.2");
  const uint16_t sections = s.ReadU16();
  if (sections >= 1) {
    if (FileVersion < kChordVersion) {
      TQSChordFragment f;
      f.Text = ReadStreamString(s);
      Fragments.push_back(std::move(f));
    } else {
      const uint16_t count = s.ReadU16();
      for (int i = 0; i < count; ++i) {
        TQSChordFragment& f = Fragments.emplace_back();
        ApplyBlock(s.ReadBytes(s.ReadU8()), [&](TBlockIO& b) { f.Fields.Visit(b); }, nullptr);
        f.Text = ReadStreamString(s);
      }
    }
  }
  if (sections >= 2) Description = ReadStreamString(s);
  if (sections >= 3) {
    const uint16_t count = s.ReadU16();
    for (int i = 0; i < count; ++i) {
      if (s.Remaining() <= 0) throw EReadError();  // the count promised more than the file holds
      if (signature == kOldChordSignature) {
        ReadOldNote(s, *this);
      } else {
        auto* note = new TQSNote(this);
        AddNote(note);
        note->LoadFromStream(s);
      }
    }
  }
  if (sections >= 4) Group = ReadStreamString(s);
  if (sections >= 5) FixedOctave = s.ReadU8();
}

void TQSChordDescription::SaveToStream(TStream& s) const {
  WriteLibraryHeader(s, kChordSignature, "Quillstave Chord file", kChordVersion);
  s.WriteU16(5);
  WriteCount16(s, Fragments.size(), "chord name");
  for (const TQSChordFragment& f : Fragments) {
    TQSChordFragment::TFields fields = f.Fields;
    TBlockIO b = TBlockIO::Writer();
    fields.Visit(b);
    s.WriteU8(static_cast<uint8_t>(b.Written().size()));
    s.WriteBytes(b.Written());
    WriteStreamString(s, f.Text);
  }
  WriteStreamString(s, Description);
  WriteCount16(s, static_cast<size_t>(Notes.Count()), "note list");
  for (const TQSItem* note : Notes) note->SaveToStream(s);
  WriteStreamString(s, Group);
  s.WriteU8(FixedOctave);
}

}  // namespace qs
