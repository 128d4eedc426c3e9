#pragma once
// The properties of the selected texts, lyrics, images, chord symbols,
// tempo marks, grace-note groups, barres and flageolets, read for their
// dialogs and written back into every selected item of the kind as one
// undo step. A getter leaves its outputs as they are when nothing of its
// kind is selected; a setter then does nothing.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "score/transport.h"

namespace qs {

class TQSScore;
class TQSPicture;
class TQSPiece;
class TQSPart;
class TQSStaff;
class TQSVoice;
struct TQSChordFragment;

// The last selected free text of the page selection; every selected text.
// The colour is read where asked for and written where given: the text
// dialog that shows it lets it be changed.
void GetSelectedText(TQSScore& score, std::vector<std::string>& lines, std::string& fontName, int& size,
                     uint8_t& style, uint32_t* colour = nullptr);
void SetSelectedText(TQSScore& score, const std::vector<std::string>& lines, const std::string& fontName, int size,
                     uint8_t style, std::optional<uint32_t> colour = std::nullopt);
// The last selected syllable, inscription or instrument name; continued is
// bit 0 of its flags.
void GetSelectedLyric(TQSScore& score, std::vector<std::string>& lines, std::string& fontName, int& size,
                      uint8_t& style, uint8_t& continued, uint32_t* colour = nullptr);
void SetSelectedLyric(TQSScore& score, const std::vector<std::string>& lines, const std::string& fontName, int size,
                      uint8_t style, uint8_t continued, std::optional<uint32_t> colour = std::nullopt);
// The last selected image of the page selection (width and height in
// layout units); the setter gives every selected image a copy of picture.
void GetSelectedImage(TQSScore& score, int& width, int& height, TQSPicture& picture, uint8_t& flags);
void SetSelectedImage(TQSScore& score, int width, int height, const TQSPicture& picture, uint8_t flags);
// The name entries of the first selected chord symbol, appended; the
// setter makes every selected chord symbol's entries equal to entries.
void GetSelectedChord(TQSScore& score, std::vector<TQSChordFragment>& entries);
void SetSelectedChord(TQSScore& score, const std::vector<TQSChordFragment>& entries);
// The first selected tempo mark: the beat's note value (0 whole .. 4
// sixteenth) and beats per minute.
void GetSelectedTempo(TQSScore& score, uint8_t& noteValue, int16_t& tempo);
void SetSelectedTempo(TQSScore& score, uint8_t noteValue, int16_t tempo);
// The grace-note group of the first selected grace note.
void GetSelectedVorschlag(TQSScore& score, uint8_t& flags, int16_t& duration, uint8_t& interval);
void SetSelectedVorschlag(TQSScore& score, uint8_t flags, int16_t duration, uint8_t interval);
// The first selected barre mark: fret, barre style and line style.
void GetSelectedBarre(TQSScore& score, uint8_t& fret, uint8_t& style, uint8_t& lineStyle);
void SetSelectedBarre(TQSScore& score, uint8_t fret, uint8_t style, uint8_t lineStyle);
// The first selected flageolet mark: fret, continued and line style.
void GetSelectedFlajolet(TQSScore& score, uint8_t& fret, uint8_t& continued, uint8_t& lineStyle);
void SetSelectedFlajolet(TQSScore& score, uint8_t fret, uint8_t continued, uint8_t lineStyle);

// The own properties of a piece, part, staff or voice, as their dialogs
// show them. A setter writes what differs as one undo step with one layout
// pass; when nothing differs it records nothing.
struct TPieceProperties {
  std::string Name;
  int Tempo = 60;
  uint16_t Auftakt = 4;  // count << 8 | note value; 4 = no upbeat
  bool operator==(const TPieceProperties&) const = default;
};
struct TPartProperties {
  std::string Name;
  uint8_t Instrument = 0, Channel = 0;
  uint8_t Volume = 255, Pan = 255;  // 255 = not set
  bool Mute = false;
  std::vector<TQSTransportRecord> Transports;
  bool operator==(const TPartProperties&) const = default;
};
struct TStaffProperties {
  uint8_t LineCount = 5;
  bool Tablature = false, Stems = true, Mute = false;
  uint8_t FretCount = 24;
  uint8_t Scale = 100;  // percent
  std::array<uint8_t, 24> Tuning{};  // MIDI pitch of string i + 1
  bool operator==(const TStaffProperties&) const = default;
};
struct TVoiceProperties {
  uint8_t Instrument = 255;  // 255 = the part's
  uint8_t Channel = 0;
  bool Mute = false;
  bool operator==(const TVoiceProperties&) const = default;
};

TPieceProperties GetPieceProperties(const TQSPiece& piece);
TPartProperties GetPartProperties(const TQSPart& part);
TStaffProperties GetStaffProperties(const TQSStaff& staff);
TVoiceProperties GetVoiceProperties(const TQSVoice& voice);
void SetPieceProperties(TQSScore& score, TQSPiece& piece, const TPieceProperties& values);
void SetPartProperties(TQSScore& score, TQSPart& part, const TPartProperties& values);
void SetStaffProperties(TQSScore& score, TQSStaff& staff, const TStaffProperties& values);
void SetVoiceProperties(TQSScore& score, TQSVoice& voice, const TVoiceProperties& values);

}  // namespace qs
