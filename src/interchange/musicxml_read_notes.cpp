// The MusicXML reader's handlers of notes and rests (pitch, length, voice, staff,
// beams), lyrics, and the backup and forward moves.
#include "interchange/musicxml_reading.h"
#include "platform/musicglyphs.h"
#include "score/headstyles.h"

namespace qs {
namespace mxml {

using namespace mx;

namespace {
// The entries of the drum instrument table a file's cross and diamond
// heads become.
constexpr const char* kCrossHeadName = "Cross";
constexpr const char* kDiamondHeadName = "Diamond";
}  // namespace

bool TReader::OnNote(const TQSTag& tag, int parent) {
  if (parent != mx::Measure || !measure_) return false;
  BeginNote(tag);
  return true;
}

bool TReader::OnRest(const TQSTag& tag, int parent) {
  if (parent != Note || !note_) return false;
  BeginRestFromNote();
  // The note's children are now read as the rest's.
  ctx_[static_cast<size_t>(tag.Depth - 1)] = Rest;
  return false;
}

// Cue notes are drawn small; slash heads show the rhythm alone.
bool TReader::OnCue(const TQSTag&, int parent) {
  if (parent == Note && note_) note_->SetSmall(true);
  return false;
}

// The heads the score can draw: the slash, and on a percussion note as
// entries of the drum instrument table the cross and the diamond. They only
// draw: the key a note plays stays its instrument's (the harmonic head
// would sound an octave up). Other kinds stay normal.
bool TReader::OnNotehead(const TQSTag& tag, int parent) {
  if (parent != Note || !note_ || tag.IsAttribute) return false;
  const std::string kind = Trim(tag.Text);
  uint8_t& style = note_->Fields.HeadStyle;
  auto drumHead = [&](const char* name, uint8_t glyph) {
    const int drum = score_.AddDrumInstrument(name, 0, 0, glyph, 0, score_.MusicFontName, 100, 0);
    if (drum >= 0 && drum + headstyle::FirstDrum < headstyle::NormalToo)
      style = static_cast<uint8_t>(drum + headstyle::FirstDrum);
  };
  if (SameText(kind, "slash"))
    style = headstyle::Slash;
  else if (SameText(kind, "x") && unpitched_)
    drumHead(kCrossHeadName, glyphs::NoteheadXBlack);
  else if (SameText(kind, "diamond") && unpitched_)
    drumHead(kDiamondHeadName, glyphs::NoteheadDiamondBlack);
  return false;
}

// An accidental the file shows at a note: shown here too, though the
// alteration is in force already (a courtesy sign).
bool TReader::OnWrittenAccidental(const TQSTag& tag, int parent) {
  if (parent == Note && note_ && !tag.IsAttribute && info_) info_->AccidentalShown = true;
  return false;
}

bool TReader::OnGrace(const TQSTag&, int parent) {
  if (parent == Note && note_) {
    info_->Grace = true;
    const std::string* slash = AttributeOf(index_, mx::Slash);
    info_->GraceSlash = slash && SameText(Trim(*slash), "yes");
  }
  return false;
}

bool TReader::OnChord(const TQSTag&, int parent) {
  if (parent == Note && note_) {
    note_->SetChordMember(true);
    // A chord note sounds with the note that began the chord.
    if (!info_->Grace) note_->Fields.Time = static_cast<uint16_t>(lastStart_);
  }
  return false;
}

bool TReader::OnPitch(const TQSTag&, int parent) {
  return parent == Note && note_;
}

// A percussion note is written where the file displays it.
bool TReader::OnUnpitched(const TQSTag&, int parent) {
  if (parent != Note || !note_) return false;
  unpitched_ = true;
  // Without a place of its own a percussion note stands on the middle
  // line.
  note_->Fields.Pitch = kMiddleLinePitch;
  return true;
}

bool TReader::OnInstrument(const TQSTag& tag, int parent) {
  return parent == Note && note_ && !tag.IsAttribute;
}

bool TReader::OnStep(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if ((parent == Pitch || parent == Unpitched) && note_)
    note_->Fields.Pitch = static_cast<uint8_t>((note_->Fields.Pitch & 0xF0) | StepIndex(text));
  return false;
}

bool TReader::OnAlter(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Pitch && note_) {
    info_->Alter = std::clamp(NumberOf(text, 0), -2, 2);
    info_->HasAlter = true;
  }
  return false;
}

bool TReader::OnOctave(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if ((parent == Pitch || parent == Unpitched) && note_) {
    // Octaves 0-9: the range of written music.
    int o = std::clamp(NumberOf(text, 5), 0, 9) + 1;
    note_->Fields.Pitch = static_cast<uint8_t>((o << 4) | (note_->Fields.Pitch & 0x0F));
  }
  return false;
}

bool TReader::OnDuration(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Note && note_) NoteDuration(tag);
  else if (parent == Rest && rest_) RestDuration(tag);
  else if (parent == Backup) position_ = std::max(0, position_ - Ticks(text));
  else if (parent == Forward && measure_) {
    int len = Ticks(text);
    CheckItemRoom(measure_);
    rest_ = Make<TQSPause>(kind::Pause, measure_);
    rest_->Fields.Time = static_cast<uint16_t>(position_);
    rest_->Fields.Length = rest_->Fields.RealLength = static_cast<uint16_t>(len);
    rest_->Fields.Flags |= TQSPause::kHidden;
    info_ = &Info(rest_);
    forwardRest_ = true;
    voiceRead_ = false;
    itemDepth_ = tag.Depth - 1;
    Advance(len);
  }
  return false;
}

// The type attribute tells what its element is or does; the type element
// is a note's or rest's written value.
bool TReader::OnType(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (tag.IsAttribute) {
    switch (parent) {
      case Creator:
        CreatorType(text);
        break;
      case mx::Tie:
      case Tied:
        if (note_) StartTie(tag);
        break;
      case Slur:
        slurTypeRead_ = true;
        slurStarts_ = SameText(text, "start");
        HandleSlur();
        break;
      case PartGroup:
        groupType_ = Trim(text);
        break;
      case Ending:
        endingType_ = Trim(text);
        break;
      case OctaveShift:
        shiftType_ = Trim(text);
        break;
      case StrongAccent:
        if (mark_ && mark_->ItemType == kind::Accent && SameText(Trim(text), "down")) mark_->Fields.Kind = 1;
        break;
      case Fermata:
        // An upright fermata stands above the note, an inverted one below.
        if (mark_ && mark_->ItemType == kind::Fermata) mark_->Fields.Kind = SameText(text, "inverted") ? TQSMark::kFermataBelow : TQSMark::kFermataAbove;
        break;
      case Wedge:
        WedgeType(text);
        break;
      case Pedal:
        if (mark_ && mark_->ItemType == kind::Pedal) mark_->Fields.Kind = SameText(text, "start") ? 1 : 0;
        break;
      default:
        break;
    }
  } else if (parent == Note && note_) {
    NoteType(tag);
  } else if (parent == Rest && rest_) {
    int ticks = TypeToTicks(text);
    if (ticks) rest_->Fields.Length = static_cast<uint16_t>(ticks);
  }
  return false;
}

bool TReader::OnDot(const TQSTag& tag, int parent) {
  if (parent == Note && note_) AddDot(note_, tag.Code == DoubleDot ? 2 : 1);
  else if (parent == Rest && rest_) AddDot(rest_, tag.Code == DoubleDot ? 2 : 1);
  return false;
}

bool TReader::OnVoice(const TQSTag& tag, int parent) {
  if ((parent == Note && note_) || (parent == Rest && rest_) || (parent == Forward && rest_)) FileVoice(tag);
  return false;
}

bool TReader::OnStaff(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Note && note_) NoteStaff(note_->Fields.StaffVoice, tag);
  else if ((parent == Rest || parent == Forward) && rest_) NoteStaff(rest_->Fields.StaffVoice, tag);
  else if (parent == Direction) {
    directionStaff_ = std::clamp(NumberOf(text, 1), 1, part_ ? part_->StaffCount() : 1) - 1;
  }
  if (parent == Direction && NumberOf(text, 1) == 2) {
    if (mark_) {
      data_.DirectionStaff[mark_] = 1;
      mark_->OwnStaff = 1;
    }
    int d = Px(lineSpace_ * 4 + interval_) * 8;
    // A hairpin begun here belongs to the second staff as well.
    if (wedgeInDirection_ && wedge_ && !mark_) {
      data_.DirectionStaff[wedge_] = 1;
      wedge_->OwnStaff = 1;
      wedge_->Fields.OffsetY = static_cast<int16_t>(ClampInt16(wedge_->Fields.OffsetY + d));
    }
    if (mark_) mark_->Fields.OffsetY = static_cast<int16_t>(ClampInt16(mark_->Fields.OffsetY + d));
    else if (lyric_) {
      lyric_->Fields.OffsetY = static_cast<int16_t>(ClampInt16(lyric_->Fields.OffsetY + d));
      data_.DirectionStaff[lyric_] = 1;
    }
  }
  return false;
}

bool TReader::OnStem(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  // A stem the file leaves out ("none") is drawn as the score draws it.
  if (parent == Note && note_ && !SameText(Trim(text), "none")) {
    note_->SetStemDown(!SameText(text, "up"));
    info_->StemRead = true;
  }
  return false;
}

bool TReader::OnPrintObject(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (!SameText(Trim(text), "no")) return false;
  if (parent == Note && info_) info_->Hidden = true;
  else if (parent == PartName && part_) names_[part_].first.clear();
  else if (parent == PartAbbreviation && part_) names_[part_].second.clear();
  return false;
}

bool TReader::OnBeam(const TQSTag& tag, int parent) {
  if (parent == Note && note_) SetBeam(tag);
  return false;
}

bool TReader::OnLyric(const TQSTag& tag, int parent) {
  if (parent != Note || !note_ || !measure_) return false;
  CheckItemRoom(measure_);
  lyric_ = Make<TQSLyric>(kind::Lyric, measure_);
  lyric_->Fields.Time = static_cast<uint16_t>(lastStart_);
  TakeVoiceOf(lyric_, lyric_->Fields.StaffVoice);
  SetVerse(1);
  lyricDepth_ = tag.Depth;
  elision_ = false;
  return true;
}

bool TReader::OnSyllabic(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Lyric || !lyric_) return false;
  // Only the first of syllables sung on one note joins the one before, and
  // only when that one left its word open: a first syllable that the file
  // calls a middle or an end gets no hyphen before it.
  bool& open = openWords_[{part_, lyric_->Fields.StaffVoice, lyric_->Fields.Verse}];
  if (open && lyric_->Lines.empty() && (SameText(text, "middle") || SameText(text, "end")))
    lyric_->Fields.Flags |= TQSLyric::kHyphen;
  open = SameText(text, "begin") || SameText(text, "middle");
  return false;
}

bool TReader::OnText(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Lyric || !lyric_) return false;
  if (elision_ && !lyric_->Lines.empty()) lyric_->Lines.back() += elisionText_ + text;
  else lyric_->Lines.push_back(text);
  elision_ = false;
  return false;
}

bool TReader::OnElision(const TQSTag&, int parent) {
  // Syllables sung on one note stand on one line, joined by the file's
  // sign or an undertie.
  if (parent == Lyric && lyric_) {
    elision_ = true;
    elisionText_.assign(1, ' ');
  }
  return false;
}

bool TReader::OnTimeModification(const TQSTag&, int parent) {
  return (parent == Note && note_) || (parent == Rest && rest_);
}

bool TReader::OnNormalType(const TQSTag& tag, int parent) {
  if (parent == TimeModification && (note_ || rest_)) tupletNormalType_ = std::max(0, TypeToTicks(Trim(tag.Text)));
  return false;
}

bool TReader::OnActualNotes(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == TimeModification && (note_ || rest_)) tupletActual_ = NumberOf(text, 3);
  return false;
}

bool TReader::OnNormalNotes(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == TimeModification && (note_ || rest_)) tupletNormal_ = NumberOf(text, 0);
  return false;
}

bool TReader::OnTie(const TQSTag&, int parent) {
  return parent == Note && note_;
}

bool TReader::OnBackup(const TQSTag&, int parent) {
  return parent == mx::Measure && measure_;
}

bool TReader::OnForward(const TQSTag&, int parent) {
  return parent == mx::Measure && measure_;

}

}  // namespace mxml
}  // namespace qs
