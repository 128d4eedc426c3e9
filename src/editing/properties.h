#pragma once
// The properties of the selected texts, lyrics, images, chord symbols,
// tempo marks, grace-note groups, barres and flageolets, read for their
// dialogs and written back into every selected item of the kind as one
// undo step. A getter leaves its outputs as they are when nothing of its
// kind is selected; a setter then does nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qs {

class TQSScore;
class TQSPicture;
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

}  // namespace qs
