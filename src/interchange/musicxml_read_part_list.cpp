// The MusicXML reader's handlers of identification, the part list and the parts' instruments.
#include "interchange/musicxml_reading.h"

namespace qs {
namespace mxml {

using namespace mx;

bool TReader::OnScoreHeader(const TQSTag&, int) {
  return true;
}

bool TReader::OnPart(const TQSTag& tag, int) {
  if (tag.IsAttribute) return false;
  EndOttavas();
  volta_ = nullptr;
  part_ = nullptr;
  measure_ = nullptr;
  return true;
}

bool TReader::OnWorkTitle(const TQSTag& tag, int) {
  const std::string& text = tag.Text;
  Title(text, false, tag.Code == WorkNumber);
  return true;
}

bool TReader::OnMovementTitle(const TQSTag& tag, int) {
  const std::string& text = tag.Text;
  Title(text, true, tag.Code == MovementNumber);
  return true;
}

bool TReader::OnCreator(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Identification) return false;
  creator_ = text;
  return true;
}

// The creator just read is the composer or the lyricist.
void TReader::CreatorType(const std::string& text) {
  if (SameText(text, "composer")) {
    score_.Composer = creator_;
    CreatorText(creator_, true);
  } else if (SameText(text, "poet") || SameText(text, "lyricist")) {
    score_.Poet = creator_;
    CreatorText(creator_, false);
  }
}

bool TReader::OnRights(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Identification) return false;
  score_.Rights = text;
  text_ = NewText(text, 10, (PageWidthUnits() - TextWidthOf(text, 10)) / 2,
                  Px(score_.Page.Tenths(TQSPage::dHeight).Value() -
                     score_.Page.Tenths(TQSPage::dBottomMargin).Value()) * 8 - 80);
  headerTexts_.push_back({text_, "rights"});
  return true;
}

// ------------------------------------------------------------- credits
// Texts the file places on its pages itself (titles, composers, rights):
// those of the first page are printed where the file puts them.

bool TReader::OnCredit(const TQSTag& tag, int) {
  if (tag.IsAttribute) return false;
  creditDepth_ = tag.Depth;
  creditPage_ = 1;
  creditType_.clear();
  creditWords_.clear();
  return true;
}

bool TReader::OnCreditPage(const TQSTag& tag, int parent) {
  if (parent == Credit) creditPage_ = NumberOf(tag.Text, 1);
  return false;
}

bool TReader::OnCreditType(const TQSTag& tag, int parent) {
  // The first type names the credit's role.
  if (parent == Credit && creditType_.empty()) creditType_ = Trim(tag.Text);
  return false;
}

bool TReader::OnCreditWords(const TQSTag& tag, int parent) {
  if (parent != Credit || tag.IsAttribute) return false;
  TCreditWords words;
  words.Text = tag.Text;
  creditWords_.push_back(std::move(words));
  return true;
}

// The attributes of a credit's words: where they stand and how.
bool TReader::OnCreditWordsAttribute(const TQSTag& tag, int parent) {
  if (parent != CreditWords || creditWords_.empty()) return false;
  TCreditWords& w = creditWords_.back();
  switch (tag.Code) {
    case DefaultX: w.X = NumberOf(tag.Text, -1); break;
    case DefaultY: w.Y = NumberOf(tag.Text, -1); break;
    case Justify: w.Justify = Trim(tag.Text); break;
    case Halign: if (w.Justify.empty()) w.Justify = Trim(tag.Text); break;
    case Valign: w.Valign = Trim(tag.Text); break;
    case FontSize: w.Points = NumberOf(tag.Text, 0); break;
    default: break;
  }
  return false;
}

bool TReader::OnScaling(const TQSTag& tag, int) { return !tag.IsAttribute; }

bool TReader::OnScalingValue(const TQSTag& tag, int parent) {
  if (parent != Scaling) return false;
  double v = 0;
  if (!TryStrToFloat(Trim(tag.Text), v) || !std::isfinite(v) || v <= 0 || v > 1e6) return false;
  (tag.Code == Millimeters ? fileMillimeters_ : fileTenths_) = v;
  return false;
}

// The page size of the defaults (the first one the file gives).
bool TReader::OnPageSize(const TQSTag& tag, int) {
  int& size = tag.Code == PageWidth ? filePageWidth_ : filePageHeight_;
  if (!tag.IsAttribute && size == 0) size = std::clamp(NumberOf(tag.Text, 0), 0, 1000000);
  return false;
}

void TReader::FinishCredit() {
  creditDepth_ = -1;
  if (creditPage_ != 1 || SameText(creditType_, "page number") || SameText(creditType_, "part name")) return;
  TCreditWords* open = nullptr;
  std::vector<std::string> lines;
  auto place = [&] {
    if (open && !lines.empty()) PlaceCredit(lines, *open);
    lines.clear();
  };
  for (TCreditWords& w : creditWords_) {
    // Words without a place of their own go on where the words before end.
    const bool follows = open && w.X < 0 && w.Y < 0;
    if (!follows) {
      place();
      open = &w;
    }
    std::string text = w.Text;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    size_t from = 0;
    for (bool first = true;; first = false) {
      const size_t end = text.find('\n', from);
      const std::string line = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
      if (first && follows && !lines.empty()) lines.back() += line;
      else lines.push_back(line);
      if (end == std::string::npos) break;
      from = end + 1;
    }
  }
  place();
  creditWords_.clear();
}

// One credit text on the first page. The file measures from the bottom
// left corner of its page; the text keeps its place on a page of another
// size in proportion.
void TReader::PlaceCredit(const std::vector<std::string>& given, const TCreditWords& words) {
  std::vector<std::string> lines;
  for (const std::string& l : given) lines.push_back(Trim(l));
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  while (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
  if (lines.empty()) return;
  std::string whole;
  for (const std::string& l : lines) whole += (whole.empty() ? "" : " ") + l;
  std::string role = UpperCase(creditType_) == "POET" ? "lyricist" : LowerCase(creditType_);
  // What the work, movement or identification already print in the same
  // role, or with the same words, gives way to the credit.
  for (size_t i = headerTexts_.size(); i-- > 0;) {
    const THeaderText& h = headerTexts_[i];
    if ((!role.empty() && h.Role == role) ||
        SameText(Trim(h.Text->Lines.empty() ? std::string() : h.Text->Lines[0]), whole)) {
      if (text_ == h.Text) text_ = nullptr;
      delete h.Text;
      headerTexts_.erase(headerTexts_.begin() + static_cast<long>(i));
    }
  }
  if (role == "composer" && score_.Composer.empty()) score_.Composer = whole;
  if (role == "lyricist" && score_.Poet.empty()) score_.Poet = whole;
  if (role == "rights" && score_.Rights.empty()) score_.Rights = whole;
  const int points = std::clamp(words.Points > 0 ? words.Points : role == "title" ? 20 : role == "subtitle" ? 14 : 10, 4, 96);
  int width = 0;
  for (const std::string& l : lines) width = std::max(width, TextWidthOf(l, points));
  const int lineHeight = LineHeight(points);
  const int height = lineHeight * static_cast<int>(lines.size());
  const int pageWidth = PageWidthUnits();
  const int pageHeight = Px(score_.Page.Tenths(TQSPage::dHeight).Value()) * 8;
  std::string justify = words.Justify;
  int x, top;
  if (words.X >= 0 && words.Y >= 0) {
    auto units = [&](int tenths, int fileSize, int pageSize) {
      if (fileSize > 0) return static_cast<int>(std::llround(static_cast<double>(tenths) * pageSize / fileSize));
      const double millimeters = fileMillimeters_ > 0 && fileTenths_ > 0 ? fileMillimeters_ / fileTenths_ : 7.0 / 40;
      return Px(tenths * millimeters * 10) * 8;
    };
    x = units(words.X, filePageWidth_, pageWidth);
    const int y = pageHeight - units(words.Y, filePageHeight_, pageHeight);
    // The y is the first line's baseline unless the file aligns otherwise.
    if (SameText(words.Valign, "top")) top = y;
    else if (SameText(words.Valign, "bottom")) top = y - height;
    else if (SameText(words.Valign, "middle")) top = y - height / 2;
    else top = y - lineHeight * 4 / 5;
  } else {
    // A credit without a place stands where its role's text stands.
    const bool bottom = role == "rights";
    top = role == "title" ? 80 : role == "subtitle" ? 256 : bottom ? pageHeight - Px(score_.Page.Tenths(TQSPage::dBottomMargin).Value()) * 8 - 80 - height : 512;
    if (justify.empty()) justify = role == "composer" ? "right" : role == "lyricist" ? "left" : "center";
    x = justify == "right" ? Px(score_.Page.Tenths(TQSPage::dWidth).Value() - score_.Page.Tenths(TQSPage::dRightMargin).Value()) * 8
        : justify == "left" ? Px(score_.Page.Tenths(TQSPage::dLeftMargin).Value()) * 8
                            : pageWidth / 2;
  }
  int left = SameText(justify, "center") ? x - width / 2 : SameText(justify, "right") ? x - width : x;
  // Nothing runs off the paper.
  left = std::clamp(left, 0, std::max(0, pageWidth - width));
  top = std::clamp(top, 0, std::max(0, pageHeight - height));
  TQSText* text = NewText(lines[0], points, left, top);
  for (size_t i = 1; i < lines.size(); ++i) text->Lines.push_back(lines[i]);
  if (SameText(justify, "center")) text->Fields.Align = 1 << 4;
  else if (SameText(justify, "right")) text->Fields.Align = 2 << 4;
  if (!role.empty()) headerTexts_.push_back({text, role});
}

bool TReader::OnEncoding(const TQSTag&, int parent) {
  return parent == Identification;
}

bool TReader::OnScorePart(const TQSTag&, int parent) {
  if (parent != PartList) return false;
  if (piece_.PartCount() >= kMaxChildCount) Fail("The piece has too many parts");
  part_ = piece_.AddPart();
  part_->NewStaff()->NewVoice();
  lastStaff_ = part_->GetStaff(0);
  return true;
}

bool TReader::OnId(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == MidiInstrument) {
    midiInstrument_ = Trim(text);
  } else if (parent == Instrument) {
    noteInstrument_ = Trim(text);
  } else if (parent == ScorePart && part_) {
    part_->ShortName = text;
  } else if (parent == Part) {
    part_ = nullptr;
    for (TQSPart* p : piece_.PartList())
      if (p->ShortName == text) part_ = p;
    if (!part_) part_ = piece_.GetPart(0);
    // Every part starts in the same state.
    measureLength_ = MeterLength(data_.FirstTimeSignature);
    divisions_ = 1;
    tuplets_.clear();
    wedge_ = nullptr;
  }
  return false;
}

bool TReader::OnPartName(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != ScorePart || !part_) return false;
  part_->SetName(text);
  names_[part_].first = text;
  return true;
}

bool TReader::OnPartAbbreviation(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != ScorePart || !part_) return false;
  names_[part_].second = text;
  return true;
}

bool TReader::OnPartGroup(const TQSTag& tag, int parent) {
  if (parent != PartList || tag.IsAttribute) return false;
  groupDepth_ = tag.Depth;
  groupType_.clear();
  groupNumber_ = "1";
  groupSymbol_.clear();
  return true;
}

bool TReader::OnGroupSymbol(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == PartGroup) groupSymbol_ = text;
  return false;
}

bool TReader::OnScoreInstrument(const TQSTag&, int parent) {
  return parent == ScorePart;
}

bool TReader::OnMidiInstrument(const TQSTag& tag, int parent) {
  if (parent != ScorePart || tag.IsAttribute) return false;
  midiInstrument_.clear();
  return true;
}

bool TReader::OnMidiChannel(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == MidiInstrument && part_) {
    part_->SetChannel(uint8_t(std::clamp(NumberOf(text, 1), 1, 16) - 1));
    channelGiven_.push_back(part_);
  }
  return false;
}

bool TReader::OnMidiProgram(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == MidiInstrument && part_) part_->SetInstrument(uint8_t(std::clamp(NumberOf(text, 1), 1, 128) - 1));
  return false;
}

bool TReader::OnEncodingDetail(const TQSTag&, int) {
  return false;

}

bool TReader::OnMidiUnpitched(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == MidiInstrument && part_) drumKeys_[{part_, midiInstrument_}] = std::clamp(NumberOf(text, 1), 1, 128) - 1;
  return false;
}

}  // namespace mxml
}  // namespace qs
