// The MusicXML reader's interpretation: one walk over the tag list builds a
// piece with its parts, staves, measures and items.
#include "interchange/musicxml_reading.h"

namespace qs {
namespace mxml {

int TImportData::MeasureLength(int part, int measure) const {
  if (part < 0 || part >= static_cast<int>(MeasureLengths.size())) return kTicksWhole;
  const std::vector<int>& lengths = MeasureLengths[static_cast<size_t>(part)];
  return measure >= 0 && measure < static_cast<int>(lengths.size()) ? lengths[static_cast<size_t>(measure)]
                                                                      : kTicksWhole;
}

// One handler per element code; the others are read by OnOther.
const std::array<TReader::THandler, mx::Count>& TReader::Handlers() {
  static const std::array<THandler, mx::Count> kTable = [] {
    std::array<THandler, mx::Count> table;
    table.fill(&TReader::OnOther);
    table[mx::Work] = &TReader::OnScoreHeader;
    table[mx::Identification] = &TReader::OnScoreHeader;
    table[mx::PartList] = &TReader::OnScoreHeader;
    table[mx::Part] = &TReader::OnPart;
    table[mx::WorkNumber] = &TReader::OnWorkTitle;
    table[mx::WorkTitle] = &TReader::OnWorkTitle;
    table[mx::MovementNumber] = &TReader::OnMovementTitle;
    table[mx::MovementTitle] = &TReader::OnMovementTitle;
    table[mx::Creator] = &TReader::OnCreator;
    table[mx::Rights] = &TReader::OnRights;
    table[mx::Encoding] = &TReader::OnEncoding;
    table[mx::ScorePart] = &TReader::OnScorePart;
    table[mx::Id] = &TReader::OnId;
    table[mx::PartName] = &TReader::OnPartName;
    table[mx::PartAbbreviation] = &TReader::OnPartAbbreviation;
    table[mx::PartGroup] = &TReader::OnPartGroup;
    table[mx::GroupSymbol] = &TReader::OnGroupSymbol;
    table[mx::ScoreInstrument] = &TReader::OnScoreInstrument;
    table[mx::MidiInstrument] = &TReader::OnMidiInstrument;
    table[mx::MidiChannel] = &TReader::OnMidiChannel;
    table[mx::MidiProgram] = &TReader::OnMidiProgram;
    table[mx::Software] = &TReader::OnEncodingDetail;
    table[mx::Credit] = &TReader::OnCredit;
    table[mx::CreditPage] = &TReader::OnCreditPage;
    table[mx::CreditType] = &TReader::OnCreditType;
    table[mx::CreditWords] = &TReader::OnCreditWords;
    for (int code : {mx::DefaultX, mx::DefaultY, mx::Justify, mx::Halign, mx::Valign, mx::FontSize})
      table[static_cast<size_t>(code)] = &TReader::OnCreditWordsAttribute;
    table[mx::Scaling] = &TReader::OnScaling;
    table[mx::Millimeters] = &TReader::OnScalingValue;
    table[mx::Tenths] = &TReader::OnScalingValue;
    table[mx::PageWidth] = &TReader::OnPageSize;
    table[mx::PageHeight] = &TReader::OnPageSize;
    table[mx::EncodingDate] = &TReader::OnEncodingDetail;
    table[mx::Measure] = &TReader::OnMeasure;
    table[mx::Number] = &TReader::OnNumber;
    table[mx::Attributes] = &TReader::OnAttributes;
    table[mx::Divisions] = &TReader::OnDivisions;
    table[mx::Key] = &TReader::OnKey;
    table[mx::Fifths] = &TReader::OnFifths;
    table[mx::Mode] = &TReader::OnMode;
    table[mx::Time] = &TReader::OnTime;
    table[mx::Beats] = &TReader::OnBeats;
    table[mx::BeatType] = &TReader::OnBeatType;
    table[mx::Staves] = &TReader::OnStaves;
    table[mx::Clef] = &TReader::OnClef;
    table[mx::Sign] = &TReader::OnSign;
    table[mx::Line] = &TReader::OnLine;
    table[mx::ClefOctaveChange] = &TReader::OnClefOctaveChange;
    table[mx::StaffDetails] = &TReader::OnStaffDetails;
    table[mx::StaffLines] = &TReader::OnStaffLines;
    table[mx::StaffTuning] = &TReader::OnStaffTuning;
    table[mx::TuningStep] = &TReader::OnTuningStep;
    table[mx::TuningOctave] = &TReader::OnTuningOctave;
    table[mx::Note] = &TReader::OnNote;
    table[mx::Rest] = &TReader::OnRest;
    table[mx::Cue] = &TReader::OnCue;
    table[mx::Notehead] = &TReader::OnNotehead;
    table[mx::Grace] = &TReader::OnGrace;
    table[mx::Chord] = &TReader::OnChord;
    table[mx::Pitch] = &TReader::OnPitch;
    table[mx::Unpitched] = &TReader::OnUnpitched;
    table[mx::Instrument] = &TReader::OnInstrument;
    table[mx::MidiUnpitched] = &TReader::OnMidiUnpitched;
    table[mx::Step] = &TReader::OnStep;
    table[mx::DisplayStep] = &TReader::OnStep;
    table[mx::Alter] = &TReader::OnAlter;
    table[mx::Octave] = &TReader::OnOctave;
    table[mx::DisplayOctave] = &TReader::OnOctave;
    table[mx::Duration] = &TReader::OnDuration;
    table[mx::Type] = &TReader::OnType;
    table[mx::Dot] = &TReader::OnDot;
    table[mx::DoubleDot] = &TReader::OnDot;
    table[mx::Voice] = &TReader::OnVoice;
    table[mx::Staff] = &TReader::OnStaff;
    table[mx::Stem] = &TReader::OnStem;
    table[mx::PrintObject] = &TReader::OnPrintObject;
    table[mx::Beam] = &TReader::OnBeam;
    table[mx::Lyric] = &TReader::OnLyric;
    table[mx::Syllabic] = &TReader::OnSyllabic;
    table[mx::Text] = &TReader::OnText;
    table[mx::Elision] = &TReader::OnElision;
    table[mx::Transpose] = &TReader::OnTranspose;
    table[mx::Chromatic] = &TReader::OnTransposeAmount;
    table[mx::OctaveChange] = &TReader::OnTransposeAmount;
    table[mx::TimeModification] = &TReader::OnTimeModification;
    table[mx::ActualNotes] = &TReader::OnActualNotes;
    table[mx::NormalNotes] = &TReader::OnNormalNotes;
    table[mx::NormalType] = &TReader::OnNormalType;
    table[mx::Tie] = &TReader::OnTie;
    table[mx::Notations] = &TReader::OnNotations;
    table[mx::Slur] = &TReader::OnSlur;
    table[mx::Placement] = &TReader::OnPlacement;
    table[mx::Articulations] = &TReader::OnArticulations;
    table[mx::Staccato] = &TReader::OnStaccato;
    table[mx::Portamento] = &TReader::OnTenuto;
    table[mx::Tenuto] = &TReader::OnTenuto;
    table[mx::Accent] = &TReader::OnAccent;
    table[mx::StrongAccent] = &TReader::OnNoteSign;
    table[mx::BreathMark] = &TReader::OnNoteSign;
    table[mx::Ornaments] = &TReader::OnOrnaments;
    table[mx::TrillMark] = &TReader::OnOrnamentSign;
    table[mx::Mordent] = &TReader::OnOrnamentSign;
    table[mx::InvertedMordent] = &TReader::OnOrnamentSign;
    table[mx::Turn] = &TReader::OnOrnamentSign;
    table[mx::Arpeggiate] = &TReader::OnArpeggiate;
    table[mx::Tremolo] = &TReader::OnTremolo;
    table[mx::Tuplet] = &TReader::OnTuplet;
    table[mx::Degree] = &TReader::OnDegree;
    table[mx::WrittenAccidental] = &TReader::OnWrittenAccidental;
    table[mx::WavyLine] = &TReader::OnWavyLine;
    table[mx::Orientation] = &TReader::OnOrientation;
    table[mx::Glissando] = &TReader::OnGlissando;
    table[mx::Slide] = &TReader::OnGlissando;
    table[mx::DegreeValue] = &TReader::OnDegree;
    table[mx::DegreeAlter] = &TReader::OnDegree;
    table[mx::DegreeType] = &TReader::OnDegree;
    table[mx::UpBow] = &TReader::OnBowing;
    table[mx::DownBow] = &TReader::OnBowing;
    table[mx::Fingering] = &TReader::OnFingering;
    table[mx::Fermata] = &TReader::OnFermata;
    table[mx::Technical] = &TReader::OnTechnical;
    table[mx::String] = &TReader::OnString;
    table[mx::Fret] = &TReader::OnFret;
    table[mx::Tied] = &TReader::OnTied;
    table[mx::Backup] = &TReader::OnBackup;
    table[mx::Forward] = &TReader::OnForward;
    table[mx::Direction] = &TReader::OnDirection;
    table[mx::DirectionType] = &TReader::OnDirectionType;
    table[mx::Metronome] = &TReader::OnMetronome;
    table[mx::BeatUnit] = &TReader::OnBeatUnit;
    table[mx::BeatUnitDot] = &TReader::OnBeatUnitDot;
    table[mx::PerMinute] = &TReader::OnPerMinute;
    table[mx::Tempo] = &TReader::OnTempo;
    table[mx::OctaveShift] = &TReader::OnOctaveShift;
    table[mx::Bracket] = &TReader::OnBracket;
    table[mx::Size] = &TReader::OnSize;
    table[mx::Rehearsal] = &TReader::OnRehearsal;
    table[mx::Segno] = &TReader::OnJumpSign;
    table[mx::Coda] = &TReader::OnJumpSign;
    table[mx::Dynamics] = &TReader::OnDynamics;
    table[mx::Fff] = &TReader::OnDynamicsLetters;
    table[mx::Ff] = &TReader::OnDynamicsLetters;
    table[mx::F] = &TReader::OnDynamicsLetters;
    table[mx::Fp] = &TReader::OnDynamicsLetters;
    table[mx::P] = &TReader::OnDynamicsLetters;
    table[mx::Pp] = &TReader::OnDynamicsLetters;
    table[mx::Ppp] = &TReader::OnDynamicsLetters;
    table[mx::Mp] = &TReader::OnDynamicsLetters;
    table[mx::Mf] = &TReader::OnDynamicsLetters;
    table[mx::Sf] = &TReader::OnDynamicsLetters;
    table[mx::Sfz] = &TReader::OnDynamicsLetters;
    table[mx::Fz] = &TReader::OnDynamicsLetters;
    table[mx::Sffz] = &TReader::OnDynamicsLetters;
    table[mx::Pppp] = &TReader::OnDynamicsLetters;
    table[mx::Ppppp] = &TReader::OnDynamicsLetters;
    table[mx::Pppppp] = &TReader::OnDynamicsLetters;
    table[mx::Ffff] = &TReader::OnDynamicsLetters;
    table[mx::Fffff] = &TReader::OnDynamicsLetters;
    table[mx::Ffffff] = &TReader::OnDynamicsLetters;
    table[mx::Sfp] = &TReader::OnDynamicsLetters;
    table[mx::Sfpp] = &TReader::OnDynamicsLetters;
    table[mx::Rf] = &TReader::OnDynamicsLetters;
    table[mx::Rfz] = &TReader::OnDynamicsLetters;
    table[mx::OtherDynamics] = &TReader::OnOtherDynamics;
    table[mx::Wedge] = &TReader::OnWedge;
    table[mx::Words] = &TReader::OnWords;
    table[mx::FontStyle] = &TReader::OnFontStyle;
    table[mx::FontWeight] = &TReader::OnFontWeight;
    table[mx::Pedal] = &TReader::OnPedal;
    table[mx::RelativeY] = &TReader::OnRelativeY;
    table[mx::RelativeX] = &TReader::OnRelativeX;
    table[mx::Sound] = &TReader::OnSound;
    table[mx::Directive] = &TReader::OnDirective;
    table[mx::Harmony] = &TReader::OnHarmony;
    table[mx::Root] = &TReader::OnRoot;
    table[mx::RootStep] = &TReader::OnRootStep;
    table[mx::RootAlter] = &TReader::OnRootAlter;
    table[mx::Kind] = &TReader::OnKind;
    table[mx::Bass] = &TReader::OnBass;
    table[mx::BassStep] = &TReader::OnBassStep;
    table[mx::BassAlter] = &TReader::OnBassAlter;
    table[mx::Barline] = &TReader::OnBarline;
    table[mx::Location] = &TReader::OnLocation;
    table[mx::BarStyle] = &TReader::OnBarStyle;
    table[mx::Repeat] = &TReader::OnRepeat;
    table[mx::Ending] = &TReader::OnEnding;
    table[mx::Print] = &TReader::OnPrint;
    table[mx::NewSystem] = &TReader::OnNewSystem;
    table[mx::NewPage] = &TReader::OnNewPage;
    return table;
  }();
  return kTable;
}

bool TReader::Handle(const TQSTag& tag, int parent) {
  const THandler handler = tag.Code > 0 && tag.Code < mx::Count ? Handlers()[static_cast<size_t>(tag.Code)] : &TReader::OnOther;
  return (this->*handler)(tag, parent);
}

namespace {


// Where interpretation begins: the score-partwise element.
size_t FindRoot(const TQSTagList& tags) {
  for (size_t i = 0; i < tags.Tags.size(); ++i) {
    const TQSTag& t = tags.Tags[i];
    if (t.IsAttribute) continue;
    if (SameText(t.Name, "score-partwise")) return i;
    if (SameText(t.Name, "score-timewise"))
      throw EMusicXmlError("The file is a timewise MusicXML score, which cannot be read; only partwise scores can.");
    if (t.Depth == 0) break;
  }
  throw EMusicXmlError("The file is not a MusicXML score: it has no <score-partwise> element.");
}

}  // namespace
}  // namespace mxml

void ImportMusicXml(TQSScore& score, TStream& stream) {
  TQSTagList tags;
  if (BeginsAsZipArchive(stream)) {
    TMemoryStream document(UnpackCompressedMusicXml(stream));
    tags = TokenizeMusicXml(document);
  } else {
    tags = TokenizeMusicXml(stream);
  }
  score.BeginUpdate();
  score.MarksClearOfTheMusic = true;
  try {
    TQSPiece* piece = score.NewPiece();
    auto* numbering = static_cast<TQSMark*>(CreateItemByKind(kind::MeasureNumbering, piece->AddColumn()));
    numbering->Fields.Value = 1;
    numbering->Fields.Style = 1;
    const size_t root = mxml::FindRoot(tags);
    TQSSpacingTable& rows = piece->Spacing.RowOffsets;
    if (rows.empty()) rows.push_back(0);
    rows[0] = static_cast<int16_t>(rows[0] + 160);
    mxml::TImportData data;
    {
      mxml::TReader reader(score, *piece, tags, data);
      reader.Run(root + 1);
    }
    mxml::FinishImport(score, *piece, data);
  } catch (...) {
    score.EndUpdate();
    throw;
  }
  score.EndUpdate();
}

void InstallMusicXmlImporter() {
  TQSScore::SetMusicXmlImporter([](TQSScore& score, TStream& stream) { ImportMusicXml(score, stream); });
}

}  // namespace qs
