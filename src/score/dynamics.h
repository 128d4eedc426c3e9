#pragma once
// The kinds of a dynamics mark (item kind 110): the letter signs and the
// two hairpins. Import, export, layout, drawing and the music font all go
// by this one table.
#include <cstdint>

#include "platform/musicglyphs.h"

namespace qs::dynamic {

constexpr uint8_t kPiano = 0, kPianissimo = 1, kPianississimo = 2, kMezzoPiano = 3, kFortePiano = 4,
                  kMezzoForte = 5, kForte = 6, kFortissimo = 7, kFortississimo = 8, kSforzato = 9,
                  kExtraForzato = 10, kForzando = 11, kSforzando = 12;
constexpr int kLetterKindCount = 13;
constexpr uint8_t kCrescendo = 50, kDiminuendo = 51;

// The letters each letter kind prints (and MusicXML's element of it).
inline constexpr const char* kLetters[kLetterKindCount] = {"p", "pp", "ppp", "mp",   "fp", "mf", "f",
                                                           "ff", "fff", "sf", "sffz", "fz", "sfz"};
// The music font draws letter kind k as glyph kFirstGlyph + k.
constexpr uint8_t kFirstGlyph = glyphs::DynamicPiano;

constexpr bool IsLetterKind(int k) { return k >= 0 && k < kLetterKindCount; }
constexpr bool IsHairpinKind(int k) { return k == kCrescendo || k == kDiminuendo; }

}  // namespace qs::dynamic
