// formshot: a developer's tool that writes every registered form of the
// program as a PNG file, so that each window can be looked at without
// clicking through the program.
//
//   formshot OUTDIR [--lang ENU|DEU|FRA|ITA|RUS] [--check]
//
// Each form is written as OUTDIR/<form name>-<language>.png, drawn on the
// offscreen platform at 96 pixels per inch. With --check it also names
// every text that is wider than its control at the form's own size (cut
// off on the screen), and every menu bar, tool bar, tool button or track
// bar that reaches past its parent's edge, and ends with status 1 when
// there is one.
#include <algorithm>
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
#include "platform/comctrls.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/extctrls.h"
#include "platform/imagefile.h"
#include "platform/stdctrls.h"
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
               "usage: formshot OUTDIR [--lang ENU|DEU|FRA|ITA|RUS] [--check]\n"
               "Writes every registered form of the program as OUTDIR/<name>-<language>.png.\n");
  return 2;
}

// A caption as shown: an ampersand marks the next letter as the key, two
// stand for one.
std::string Shown(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

// A track bar that reaches past its parent's edge is cut off there, and
// so is a button of a menu bar or tool bar past its bar's edge or its
// bar's parent's; a tool button without a picture needs room for its
// caption. Names each such one; the count of them.
int CheckBar(const TControl& control, const std::string& formName) {
  const auto* menu = dynamic_cast<const TECMenu*>(&control);
  if (!control.Visible() || (!menu && !dynamic_cast<const TTrackBar*>(&control))) return 0;
  const TWinControl* parent = control.Parent();
  int room = control.ClientWidth();
  if (parent) room = std::min(room, parent->ClientWidth() - control.Left());
  if (!menu) {
    if (control.Width() <= room) return 0;
    std::printf("%s.%s: ends at %d pixels, its parent has room for %d\n", formName.c_str(), control.Name().c_str(),
                control.Left() + control.Width(), control.Left() + room);
    return 1;
  }
  if (menu->Item()->Orientation() != ioHorizontal) return 0;
  int problems = 0;
  const TECMenuItem* root = menu->Item();
  static TBitmap measure(1, 1);
  for (int i = 0; i < root->Count(); ++i) {
    const TECMenuItem* item = root->Items(i);
    if (!item->Shown() || item->Kind() == ikSeparator) continue;
    const TRect r = item->ItemRect();
    const std::string caption = Shown(item->Caption());
    if (r.Right > room) {
      std::printf("%s.%s: \"%s\" ends at %d pixels, its bar has room for %d\n", formName.c_str(), item->Name().c_str(),
                  caption.c_str(), r.Right, room);
      ++problems;
    }
    if (root->MenuStyle() != msToolbar || item->Image() >= 0 || caption.empty() || item->Control()) continue;
    measure.Canvas().Font() = item->Font();
    const int width = measure.Canvas().TextWidth(caption) + (item->Kind() == ikDropDown ? 12 : 0);
    if (width > r.Width()) {
      std::printf("%s.%s: \"%s\" is %d pixels wide, its button has room for %d\n", formName.c_str(),
                  item->Name().c_str(), caption.c_str(), width, r.Width());
      ++problems;
    }
  }
  return problems;
}

// Names each text of the control and its children that does not fit its
// control (with the room the control's own parts take); the count of them.
int CheckTexts(const TControl& control, const std::string& formName) {
  int problems = 0;
  const std::string text = Shown(control.Caption());
  int room = -1;
  if (!text.empty() && control.Visible()) {
    if (const auto* label = dynamic_cast<const TLabel*>(&control)) {
      // A label grows with its text; it must stay inside its parent.
      if (!label->WordWrap()) {
        if (label->AutoSize && label->Parent())
          room = label->Parent()->ClientWidth() - label->Left();
        else if (!label->AutoSize)
          room = label->Width();
      }
    } else if (dynamic_cast<const TButton*>(&control)) {
      room = control.Width() - 8;
    } else if (dynamic_cast<const TCheckBox*>(&control) || dynamic_cast<const TRadioButton*>(&control)) {
      room = control.Width() - 18;
    } else if (dynamic_cast<const TGroupBox*>(&control)) {
      room = control.Width() - 12;
    } else if (const auto* speed = dynamic_cast<const TSpeedButton*>(&control)) {
      room = control.Width() - 4 - (speed->HasGlyph() ? const_cast<TSpeedButton*>(speed)->Glyph().Width() + 4 : 0);
    }
  }
  if (room >= 0) {
    static TBitmap measure(1, 1);
    TCanvas& c = measure.Canvas();
    c.Font() = control.Font();
    int width = 0;
    size_t from = 0;
    while (from <= text.size()) {  // each line of a text of several
      const size_t end = std::min(text.find('\n', from), text.size());
      width = std::max(width, c.TextWidth(text.substr(from, end - from)));
      from = end + 1;
    }
    if (width > room) {
      std::printf("%s.%s: \"%s\" is %d pixels wide, its control has room for %d\n", formName.c_str(),
                  control.Name().c_str(), text.c_str(), width, room);
      ++problems;
    }
  }
  problems += CheckBar(control, formName);
  if (const auto* box = dynamic_cast<const TWinControl*>(&control))
    for (int i = 0; i < box->ControlCount(); ++i) problems += CheckTexts(*box->Controls(i), formName);
  return problems;
}

}  // namespace

int main(int argc, char** argv) {
  std::string outDir, language = "ENU";
  bool check = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--lang" && i + 1 < argc)
      language = argv[++i];
    else if (arg == "--check")
      check = true;
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
    int problems = 0;
    for (const TRegisteredForm& entry : RegisteredForms()) {
      std::unique_ptr<TCustomForm> form = entry.Factory(language);
      testdriver::ShowAndWait(*form);
      const std::unique_ptr<TBitmap> shot = testdriver::GrabAsShown(*form);
      const std::string name = (std::filesystem::path(outDir) / (entry.Name + "-" + language + ".png")).string();
      SaveBitmapToPng(*shot, name);
      std::printf("%s\n", name.c_str());
      if (check) problems += CheckTexts(*form, entry.Name);
      form->Hide();
    }
    if (problems > 0) {
      std::printf("%d texts are cut off in %s\n", problems, language.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "formshot: %s\n", e.what());
    return 1;
  }
  return 0;
}
