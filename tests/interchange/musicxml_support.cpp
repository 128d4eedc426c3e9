#include "musicxml_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "score/calcrecords.h"
#include "score/timing.h"

namespace qs::test {

TFakeLayout::TFakeLayout(TQSPiece& piece) : piece_(piece) {
  int measures = 0;
  for (TQSPart* part : piece.PartList()) measures = std::max(measures, part->MeasureCount());
  uint16_t meter = MakeMeter(4, 4);
  std::vector<TQSItem*> keys(static_cast<size_t>(piece.PartCount()), nullptr);
  for (int j = 0; j < measures; ++j) {
    if (TQSColumn* c = piece.GetColumn(j))
      for (TQSItem* item : c->Items)
        if (item->ItemType == kind::Meter) meter = static_cast<TQSMark*>(item)->Fields.Value;
    auto r = std::make_unique<TQSCalcMeasure>();
    r->MeasureIndex = static_cast<uint16_t>(j);
    r->Meter = r->EndMeter = meter;
    r->Length = r->EndLength = static_cast<uint16_t>(MeterLength(meter));
    for (int p = 0; p < piece.PartCount(); ++p)
      if (TQSMeasure* m = piece.GetPart(p)->GetMeasure(j))
        for (TQSItem* item : m->Items)
          if (item->ItemType == kind::Key) keys[static_cast<size_t>(p)] = item;
    r->KeyByPart = keys;
    r->PartCount = static_cast<uint32_t>(keys.size());
    records_.push_back(std::move(r));
  }
  // The upbeat measure is as long as the upbeat.
  if (!records_.empty() && HasUpbeat(piece.Auftakt()))
    records_[0]->Length = static_cast<uint16_t>(UpbeatLength(piece.Auftakt()));
  piece.Slots.clear();
  for (auto& r : records_) piece.Slots.push_back(r.get());
  piece.LastLaidOutMeasure = measures - 1;
}

TFakeLayout::~TFakeLayout() {
  piece_.Slots.clear();
  piece_.LastLaidOutMeasure = -1;
}

std::string ExportText(TQSScore& score, TQSPiece& piece) {
  TFakeLayout layout(piece);
  TMemoryStream s;
  ExportMusicXml(score, &piece, s);
  return std::string(s.Bytes().begin(), s.Bytes().end());
}

std::vector<std::string> FixtureFiles() {
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(std::string(QS_TEST_DATA_DIR) + "/musicxml"))
    if (e.path().extension() == ".xml") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace qs::test
