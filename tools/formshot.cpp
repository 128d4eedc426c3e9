// formshot: a developer's tool that writes every registered form of the
// program as a PNG file, so that each window can be looked at without
// clicking through the program.
//
//   formshot OUTDIR [--lang ENU|DEU|FRA|ITA|RUS]
//
// Each form is written as OUTDIR/<form name>-<language>.png, drawn on the
// offscreen platform at 96 pixels per inch.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "app/forms.h"
#include "layout/layout.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/imagefile.h"
#include "platform/testdriver.h"
#include "uikit/calculator.h"
#include "uikit/calendar.h"
#include "uikit/editor.h"
#include "uikit/gridstring.h"
#include "uikit/language.h"
#include "uikit/menu.h"
#include "uikit/messagebox.h"
#include "uikit/pagecontrol.h"
#include "uikit/skin.h"
#include "uikit/propertygrid.h"
#include "uikit/timepicker.h"
#include "uikit/uicontrolsform.h"

namespace {

using namespace qs;

int Usage() {
  std::fprintf(stderr,
               "usage: formshot OUTDIR [--lang ENU|DEU|FRA|ITA|RUS]\n"
               "Writes every registered form of the program as OUTDIR/<name>-<language>.png.\n");
  return 2;
}

// The form as the screen shows it, with the drop-downs open over it (a
// picker or pick list a sample opens when it is shown) drawn in place.
std::unique_ptr<TBitmap> GrabWithDropDowns(TCustomForm& form) {
  std::unique_ptr<TBitmap> shot = GrabControl(form);
  struct TPiece {
    TPoint at;
    std::unique_ptr<TBitmap> picture;
  };
  std::vector<TPiece> pieces;
  auto origin = [](TCustomForm& f) {
    const TPoint client = f.ClientToScreen({0, 0});
    const TRect frame = f.FrameInsets();
    return TPoint{client.X - frame.Left, client.Y - frame.Top};
  };
  const TPoint at = origin(form);
  TRect all = Rect(at.X, at.Y, at.X + shot->Width(), at.Y + shot->Height());
  for (int i = 0; i < Screen().FormCount(); ++i) {
    TCustomForm* f = Screen().Forms(i);
    if (f == &form || !f->Visible()) continue;
    TPiece piece{origin(*f), GrabControl(*f)};
    all = Rect(std::min(all.Left, piece.at.X), std::min(all.Top, piece.at.Y),
               std::max(all.Right, piece.at.X + piece.picture->Width()),
               std::max(all.Bottom, piece.at.Y + piece.picture->Height()));
    pieces.push_back(std::move(piece));
  }
  if (pieces.empty()) return shot;
  auto picture = std::make_unique<TBitmap>(all.Width(), all.Height());
  TCanvas& c = picture->Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(clBackground);
  c.FillRect(Rect(0, 0, all.Width(), all.Height()));
  c.Draw(at.X - all.Left, at.Y - all.Top, *shot);
  for (const TPiece& piece : pieces) c.Draw(piece.at.X - all.Left, piece.at.Y - all.Top, *piece.picture);
  return picture;
}

}  // namespace

int main(int argc, char** argv) {
  std::string outDir, language = "ENU";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--lang" && i + 1 < argc)
      language = argv[++i];
    else if (arg.rfind("--", 0) == 0 || !outDir.empty())
      return Usage();
    else
      outDir = arg;
  }
  if (outDir.empty()) return Usage();
  if (language != "ENU" && language != "DEU" && language != "FRA" && language != "ITA" && language != "RUS")
    return Usage();
  // The same pictures on every machine: no screen of its own, 96 ppi.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  try {
    EnsureGuiApplication();
    SetScreenPixelsPerInch(96);
    LoadMusicFont();
    InstallLayout();
    RegisterApplicationForms();
    // The forms translate themselves from the language files beside the
    // program, as they do in it.
    TComponent languageOwner(nullptr);
    auto* engine = new TECLanguage(&languageOwner);
    engine->SetLanguage(language);
    std::filesystem::create_directories(outDir);
    for (const TRegisteredForm& entry : RegisteredForms()) {
      std::unique_ptr<TCustomForm> form = entry.Factory(language);
      testdriver::ShowAndWait(*form);
      const std::unique_ptr<TBitmap> shot = GrabWithDropDowns(*form);
      const std::string name = (std::filesystem::path(outDir) / (entry.Name + "-" + language + ".png")).string();
      SaveBitmapToPng(*shot, name);
      std::printf("%s\n", name.c_str());
      form->Hide();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "formshot: %s\n", e.what());
    return 1;
  }
  return 0;
}
