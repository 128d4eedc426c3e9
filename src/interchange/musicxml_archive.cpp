// Compressed MusicXML: a ZIP archive whose "META-INF/container.xml" names
// the score document among its entries.
#include <string>

#include "base/strings.h"
#include "base/zip.h"
#include "interchange/musicxml.h"
#include "interchange/musicxml_tags.h"
#include "score/score.h"

namespace qs {

namespace {

constexpr const char* kContainerPath = "META-INF/container.xml";
constexpr const char* kMetaFolder = "META-INF/";

// The path of the first rootfile the container names; empty when it names none.
std::string RootfilePath(const std::vector<uint8_t>& container) {
  const TQSTagList tags = TokenizeMusicXml(
      std::string_view(reinterpret_cast<const char*>(container.data()), container.size()));
  for (size_t i = 0; i < tags.Tags.size(); ++i) {
    const TQSTag& element = tags.Tags[i];
    if (element.IsAttribute || !SameText(element.Name, "rootfile")) continue;
    for (size_t a = i + 1; a < tags.Tags.size() && tags.Tags[a].IsAttribute; ++a)
      if (SameText(tags.Tags[a].Name, "full-path")) {
        const std::string& path = tags.Tags[a].Text;
        // The path is relative to the archive's root, which some write as "/".
        return path.starts_with('/') ? path.substr(1) : path;
      }
    return "";
  }
  return "";
}

}  // namespace

std::vector<uint8_t> UnpackCompressedMusicXml(TStream& stream) {
  const TZipArchive archive(stream);
  const TZipArchive::TEntry* score = nullptr;
  if (const TZipArchive::TEntry* container = archive.Find(kContainerPath)) {
    const std::string path = RootfilePath(archive.Extract(*container));
    if (!path.empty()) {
      score = archive.Find(path);
      if (!score)
        throw EMusicXmlError("The compressed MusicXML file names the score \"" + path + "\", which it does not hold.");
    }
  }
  // Without a container that names it, the score is the first document
  // outside the container's folder.
  for (const TZipArchive::TEntry& e : archive.Entries()) {
    if (score) break;
    if (!StartsText(kMetaFolder, e.Name) && IsMusicXmlDocumentName(e.Name)) score = &e;
  }
  if (!score) throw EMusicXmlError("The compressed MusicXML file holds no score.");
  return archive.Extract(*score);
}

}  // namespace qs
