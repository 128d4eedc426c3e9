#include <fstream>
#include <iterator>
#include "midi_test_support.h"
namespace qs::test {
namespace {
class Scratch : public TMidiImportTest {};
TEST_F(Scratch, Dump) {
  const char* path = std::getenv("SCRATCH_MID");
  if (!path) GTEST_SKIP();
  std::ifstream in(path, std::ios::binary);
  TBytesVec bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  CheckEveryNote = false; CheckExport = false;
  Import(bytes, {.Quantize = 32, .TrackNames = true, .Triplets = true, .AutoClefs = true});
  for (int p = 0; p < Piece()->PartCount(); ++p) {
    TQSPart* part = Part(p);
    printf("part %d '%s' ch %d\n", p, part->Name.c_str(), part->Fields.Channel);
    for (int m = 0; m < part->MeasureCount(); ++m)
      for (TQSItem* item : Measure(m, p)->Items)
        if (item->ItemType == kind::Lyric || item->ItemType == kind::Term)
          printf("  m%d text '%s'\n", m, static_cast<TQSLyric*>(item)->Lines[0].c_str());
  }
}
}  // namespace
}  // namespace qs::test
