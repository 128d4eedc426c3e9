// A small window in each of the five skins, for a look at the frames with
// the controls they hold: an ordinary dialog, the main window, a small
// window, a tool palette and the middle-sized window. Their texts come from
// the language files like every form's.
#include <array>
#include <memory>

#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/lrf.h"
#include "uikit/skin.h"

namespace qs {

namespace {

template <class T>
T* Place(TForm& form, TWinControl* parent, const char* name, TRect bounds, const char* caption = nullptr) {
  auto* c = new T(&form);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  if (caption) c->SetCaption(caption);
  return c;
}

// OK and Cancel at the bottom right of a client area w x h.
void DialogButtons(TForm& form, int w, int h) {
  auto* ok = Place<TButton>(form, &form, "BOK", Bounds(w - 164, h - 33, 75, 25), "OK");
  ok->ModalResult = mrOk;
  ok->SetDefault(true);
  auto* cancel = Place<TButton>(form, &form, "BCancel", Bounds(w - 83, h - 33, 75, 25), "Cancel");
  cancel->ModalResult = mrCancel;
  cancel->Cancel = true;
}

// The note values of the music font, whole to sixty-fourth.
struct TNoteFace {
  const char* Name;
  uint8_t Glyph;
  const char* Hint;
};
constexpr std::array<TNoteFace, 7> kNoteFaces = {{{"CBWhole", 42, "Whole note"},
                                                  {"CBHalf", 43, "Half note"},
                                                  {"CBQuarter", 44, "Quarter note"},
                                                  {"CBEighth", 45, "Eighth note"},
                                                  {"CBSixteenth", 46, "Sixteenth note"},
                                                  {"CBThirtySecond", 47, "32nd note"},
                                                  {"CBSixtyFourth", 48, "64th note"}}};

// A row of flat music-font buttons in one group, the quarter note down.
void NoteButtons(TForm& form, TWinControl* parent, int left, int top) {
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  for (size_t i = 0; i < kNoteFaces.size(); ++i) {
    auto* b = Place<TECCharButton>(form, parent, kNoteFaces[i].Name, Bounds(left + 27 * int(i), top, 26, 36));
    b->SetFlat(true);
    b->SetFont(music);
    b->SetByte(kNoteFaces[i].Glyph);
    b->SetPosX(6);
    b->SetPosY(-9);
    b->SetHint(kNoteFaces[i].Hint);
    b->SetShowHint(true);
    b->SetGroupIndex(1);
  }
  static_cast<TECCharButton*>(form.FindComponent("CBQuarter"))->SetDown(true);
}

void Shape(TForm& f, const char* caption, TFormBorderStyle style, int clientWidth, int clientHeight) {
  f.SetCaption(caption);
  f.SetBorderStyle(style);
  f.SetClientWidth(clientWidth);
  f.SetClientHeight(clientHeight);
}

void BuildNormal(TForm& f) {
  Shape(f, "Score Information", bsDialog, 320, 132);
  Place<TLabel>(f, &f, "LTitle", Bounds(12, 15, 90, 16), "Title:");
  Place<TEdit>(f, &f, "ETitle", Bounds(104, 12, 204, 22))->SetText("Sonatina op. 36 no. 1");
  Place<TLabel>(f, &f, "LComposer", Bounds(12, 43, 90, 16), "Composer:");
  Place<TEdit>(f, &f, "EComposer", Bounds(104, 40, 204, 22))->SetText("Muzio Clementi");
  Place<TCheckBox>(f, &f, "CBFirstPage", Bounds(104, 70, 204, 20), "Show on the first page")->SetChecked(true);
  DialogButtons(f, 320, 132);
}

void BuildMain(TForm& f) {
  Shape(f, "Quillstave 4 - Sonatina.sfd", bsSizeable, 420, 200);
  auto* tools = Place<TPanel>(f, &f, "PTools", Bounds(0, 0, 420, 42));
  tools->SetAlign(alTop);
  tools->SetBevelOuter(bvNone);
  NoteButtons(f, tools, 4, 3);
  auto* status = Place<TPanel>(f, &f, "PStatus", Bounds(0, 178, 420, 22));
  status->SetAlign(alBottom);
  status->SetBevelOuter(bvLowered);
  Place<TLabel>(f, status, "LStatus", Bounds(6, 3, 200, 16), "Page 1 of 2");
  auto* score = Place<TPanel>(f, &f, "PScore", Bounds(0, 42, 420, 136));
  score->SetAlign(alClient);
  score->SetBevelOuter(bvLowered);
  score->SetColor(clWhite);
}

void BuildSmall(TForm& f) {
  Shape(f, "Zoom", bsDialog, 200, 72);
  Place<TLabel>(f, &f, "LZoom", Bounds(10, 13, 96, 16), "Magnification:");
  Place<TEdit>(f, &f, "EZoom", Bounds(110, 10, 80, 22))->SetText("100 %");
  auto* ok = Place<TButton>(f, &f, "BOK", Bounds(115, 40, 75, 25), "OK");
  ok->ModalResult = mrOk;
  ok->SetDefault(true);
}

void BuildTools(TForm& f) {
  Shape(f, "Notes", bsSizeToolWin, 7 * 27 + 7, 44);
  NoteButtons(f, &f, 4, 4);
}

void BuildMiddle(TForm& f) {
  Shape(f, "Transpose", bsDialog, 280, 112);
  Place<TLabel>(f, &f, "LInterval", Bounds(12, 15, 80, 16), "Interval:");
  Place<TEdit>(f, &f, "EInterval", Bounds(96, 12, 48, 22))->SetText("2");
  Place<TLabel>(f, &f, "LSemitones", Bounds(152, 15, 120, 16), "semitones");
  Place<TRadioButton>(f, &f, "RBUp", Bounds(96, 42, 80, 20), "Up")->SetChecked(true);
  Place<TRadioButton>(f, &f, "RBDown", Bounds(180, 42, 90, 20), "Down");
  DialogButtons(f, 280, 112);
}

}  // namespace

void RegisterSkinForms() {
  struct TSample {
    const char* Name;
    void (*Build)(TForm&);
  };
  // By skin kind.
  static constexpr TSample kSamples[skinkind::kCount] = {{"SkinNormal", BuildNormal},
                                                           {"SkinMain", BuildMain},
                                                           {"SkinSmall", BuildSmall},
                                                           {"SkinTools", BuildTools},
                                                           {"SkinMiddle", BuildMiddle}};
  for (int kind = 0; kind < skinkind::kCount; ++kind) {
    RegisterForm(kSamples[kind].Name, [kind](const std::string&) -> std::unique_ptr<TCustomForm> {
      auto form = std::make_unique<TForm>(nullptr);
      form->SetName(kSamples[kind].Name);
      kSamples[kind].Build(*form);
      auto* language = new TECFormLanguage(form.get());
      language->SetName("FLanguage");
      language->SetExLanguage(kDefaultLanguage);
      language->Loaded();
      ApplySkinTemplate(*form, static_cast<uint8_t>(kind));
      return form;
    });
  }
}

}  // namespace qs
