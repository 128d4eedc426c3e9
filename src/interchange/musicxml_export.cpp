#include "interchange/musicxml.h"

namespace qs {
void ExportMusicXml(TQSScore&, TQSPiece*, TStream&) {}
}  // namespace qs
