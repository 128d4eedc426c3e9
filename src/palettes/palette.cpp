#include "palettes/palette.h"

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "base/exceptions.h"
#include "palettes/effects.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/forms.h"
#include "platform/imagereader.h"
#include "platform/paths.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/toolfaces.h"
#include "view/window.h"

namespace qs {

TPlaybackValues TPaletteHost::PlaybackValues() { return {}; }

int StepEntryDuration(int ticks, bool longer) {
  if (longer) return ticks >= 512 ? 8 : ticks * 2;
  return ticks < 9 ? 512 : ticks / 2;
}


TInputRegime RegimeFromValue(int value) {
  return value >= 0 && value <= 2 ? static_cast<TInputRegime>(value) : TInputRegime::Single;
}

TInputRegime NextRegime(TInputRegime regime) {
  switch (regime) {
    case TInputRegime::Single: return TInputRegime::Multiply;
    case TInputRegime::Multiply: return TInputRegime::Quick;
    case TInputRegime::Quick: break;
  }
  return TInputRegime::Single;
}

TInputRegime ShownRegime(const TECCharButton& single, const TECCharButton& quick) {
  if (single.Visible()) return TInputRegime::Single;
  if (quick.Visible()) return TInputRegime::Quick;
  return TInputRegime::Multiply;
}

void ShowRegimeButtons(TECCharButton& single, TECCharButton& multiply, TECCharButton& quick, TInputRegime regime) {
  single.SetVisible(regime == TInputRegime::Single);
  multiply.SetVisible(regime == TInputRegime::Multiply);
  quick.SetVisible(regime == TInputRegime::Quick);
}

void SetUpPointAndErase(TECCharButton& point, TECCharButton& erase) {
  point.SetCustomDraw(true);
  point.OnDrawCharButton = [&point](TObject*, TCanvas& c, TRect r) { toolface::PointerButtonFace(point, c, r); };
  erase.SetCustomDraw(true);
  erase.OnDrawCharButton = [&erase](TObject*, TCanvas& c, TRect r) { toolface::EraserButtonFace(erase, c, r); };
  for (TECCharButton* b : {&point, &erase}) {
    b->SetGroupIndex(20);
    b->SetAllowAllUp(true);
  }
}

namespace {

std::vector<TQSWindow*> Views(TPaletteHost* host) {
  std::vector<TQSWindow*> views;
  TQSScore* score = host ? host->ActiveScore() : nullptr;
  if (!score) return views;
  for (int i = 0; i < score->WindowCount(); ++i)
    if (auto* view = dynamic_cast<TQSWindow*>(score->GetWindow(i))) views.push_back(view);
  return views;
}

// A tool cursor's picture and hot spot ("cursors/<NAME>.png", the hot spots
// in "cursors/hotspots.txt"), read once.
struct TCursorPicture {
  std::shared_ptr<TBitmap> Image;
  int HotX = 0, HotY = 0;
};

std::map<std::string, std::pair<int, int>> ReadHotSpots() {
  std::map<std::string, std::pair<int, int>> spots;
  const std::string path = platform::FindResource("cursors/hotspots.txt");
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream row(line);
    std::string name;
    int x = 0, y = 0;
    if (row >> name >> x >> y) spots[name] = {x, y};
  }
  return spots;
}

const TCursorPicture& CursorPicture(const std::string& name) {
  static std::map<std::string, TCursorPicture> cache;
  static const std::map<std::string, std::pair<int, int>> spots = ReadHotSpots();
  if (auto it = cache.find(name); it != cache.end()) return it->second;
  TCursorPicture& picture = cache[name];
  const auto spot = spots.find(name);
  const std::string path = spot == spots.end() ? std::string() : platform::FindResource("cursors/" + name + ".png");
  if (path.empty()) return picture;
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    const TDecodedImage image = DecodeImage(bytes);
    picture.Image = std::make_shared<TBitmap>(image.Width, image.Height);
    for (int y = 0; y < image.Height; ++y)
      for (int x = 0; x < image.Width; ++x) picture.Image->SetPixel(x, y, image.Pixel(x, y));
    picture.HotX = spot->second.first;
    picture.HotY = spot->second.second;
  } catch (const Exception&) {
    picture.Image.reset();
  }
  return picture;
}

}  // namespace

TQSWindow* ActiveView(TPaletteHost* host) {
  TQSScore* score = host ? host->ActiveScore() : nullptr;
  return score ? dynamic_cast<TQSWindow*>(score->ActiveWindow()) : nullptr;
}

bool LoadToolCursor(const std::string& name) {
  const TCursorPicture& picture = CursorPicture(name);
  if (!picture.Image) return false;
  Screen().SetCursorImage(kToolCursorSlot, *picture.Image, picture.HotX, picture.HotY);
  return true;
}

void SetToolCursor(TPaletteHost* host, const std::string& name) {
  const std::vector<TQSWindow*> views = Views(host);
  if (views.empty()) return;
  // An unknown name leaves the views on the arrow.
  const TCursor shape = LoadToolCursor(name) ? kToolCursorSlot : crDefault;
  for (TQSWindow* view : views) view->ToolCursor = shape;
}

void SetActiveViewCursor(TPaletteHost* host, const std::string& name) {
  TQSWindow* view = ActiveView(host);
  if (!view) return;
  view->ToolCursor = !name.empty() && LoadToolCursor(name) ? kToolCursorSlot : crDefault;
}

void ArmViews(TPaletteHost* host, int code) {
  for (TQSWindow* view : Views(host)) view->ArmPaletteItem(code);
}

void SetModifierFace(TECCharButton& button, TModifierFace face, std::function<int()> count) {
  button.SetCustomDraw(true);
  TECCharButton* b = &button;
  button.OnDrawCharButton = [b, face, count = std::move(count)](TObject*, TCanvas& c, TRect r) {
    c.Brush() = TBrush{};
    toolface::Raised(*b, r, [&](const TRect& f, TColor ink) {
      const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
      switch (face) {
        case TModifierFace::Up: toolface::Arrow(c, cx, cy, ink, true); break;
        case TModifierFace::Down: toolface::Arrow(c, cx, cy, ink, false); break;
        case TModifierFace::Chord:
          // Two heads on one stem.
          c.Pen().Color = ink;
          c.Brush().Color = ink;
          c.Ellipse(cx - 5, cy + 1, cx + 2, cy + 6);
          c.Ellipse(cx - 5, cy - 6, cx + 2, cy - 1);
          toolface::Line(c, cx + 1, cy + 3, cx + 1, cy - 11, ink, 1);
          break;
        case TModifierFace::Dot: toolface::Dots(c, cx, cy, ink, 1); break;
        case TModifierFace::DoubleDot: toolface::Dots(c, cx, cy, ink, 2); break;
        case TModifierFace::Tuplet: toolface::Tuplet(c, cx, cy, ink, count ? count() : 3); break;
        case TModifierFace::Tremolo: toolface::Tremolo(c, cx, cy, ink, count ? count() : 1); break;
      }
    });
  };
}

TUpDown* MakeButtonUpDown(TComponent* owner, TWinControl* parent, const TECCharButton& button, const char* name,
                          int min, int max) {
  auto* ud = new TUpDown(owner);
  ud->SetName(name);
  ud->SetParent(parent);
  ud->SetBounds(button.Left() + button.Width(), button.Top(), 11, button.Height());
  ud->Min = min;
  ud->Max = max;
  ud->Wrap = true;
  return ud;
}

}  // namespace qs
