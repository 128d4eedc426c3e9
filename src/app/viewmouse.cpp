// The view's mouse presses reach the palette of the current tool page
// (drawing lines and shapes, placing texts, pictures and page marks), and
// a double click that the view does not take for editing a text in place
// opens the dialog of the selected texts, pictures, lyrics, instrument
// names or chord symbols.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "editing/properties.h"
#include "palettes/imageproperties.h"
#include "palettes/palette.h"
#include "palettes/textproperties.h"
#include "platform/stdctrls.h"
#include "platform/timers.h"
#include "score/item.h"
#include "score/picture.h"
#include "score/score.h"
#include "uikit/language.h"
#include "view/window.h"

namespace qs {

// The name of the selected chord symbols (in chordcommands.cpp).
void EditSelectedChord(TQSScore& score, TIniFile* settings);

namespace {

// The selected pictures take the dialog's picture, size and flags; the
// dialog shows the last selected one. Nothing changes on Cancel.
void EditSelectedImage(TQSScore& score, TIniFile* settings) {
  int width = 0, height = 0;
  uint8_t flags = 0;
  TQSPicture picture;
  GetSelectedImage(score, width, height, picture, flags);
  TFImageProperties dialog(nullptr, settings);
  dialog.SetPicture(picture);
  dialog.SetPictureSize(width / 8, height / 8);
  dialog.SetFlags(flags);
  if (dialog.ShowModal() != mrOk) return;
  SetSelectedImage(score, dialog.PictureWidth() * 8, dialog.PictureHeight() * 8, dialog.Picture(), dialog.Flags());
}

// The selected page texts take the dialog's lines, font name, size, style
// and colour; the dialog shows the last selected one.
void EditSelectedText(TQSScore& score, TIniFile* settings) {
  std::vector<std::string> lines;
  std::string fontName;
  int size = 0;
  uint8_t style = 0;
  uint32_t colour = clBlack;
  GetSelectedText(score, lines, fontName, size, style, &colour);
  TFTextProperties dialog(nullptr, settings);
  dialog.CBAlignmentNote->SetVisible(false);
  dialog.SetLines(lines);
  dialog.SetTextFont(fontName, size, style, colour);
  if (dialog.ShowModal() != mrOk) return;
  SetSelectedText(score, dialog.Lines(), dialog.FontName(), dialog.FontSize(), dialog.FontStyle(),
                  dialog.FontColor());
}

// The selected syllables, inscriptions and instrument names likewise; the
// continuation of a syllable is offered for lyrics only, and instrument
// names keep the value they had.
void EditSelectedLyric(TQSScore& score, TIniFile* settings, bool instrumentName) {
  std::vector<std::string> lines;
  std::string fontName;
  int size = 0;
  uint8_t style = 0, continued = 0;
  uint32_t colour = clBlack;
  GetSelectedLyric(score, lines, fontName, size, style, continued, &colour);
  TFTextProperties dialog(nullptr, settings);
  dialog.CBAlignmentNote->SetVisible(false);
  dialog.CBContinue->SetVisible(!instrumentName);
  dialog.CBContinue->SetChecked(continued & 1);
  dialog.SetLines(lines);
  dialog.SetTextFont(fontName, size, style, colour);
  if (dialog.ShowModal() != mrOk) return;
  if (!instrumentName) continued = dialog.CBContinue->Checked() ? 1 : 0;
  SetSelectedLyric(score, dialog.Lines(), dialog.FontName(), dialog.FontSize(), dialog.FontStyle(), continued,
                   dialog.FontColor());
}

// The dialog for the first kind the view's selection holds, in this order.
std::function<void(TQSScore&, TIniFile*)> SelectionEditor(const TQSWindow& view) {
  if (view.SelectionHasKind(kind::Text)) return EditSelectedText;
  if (view.SelectionHasKind(kind::Image)) return EditSelectedImage;
  if (view.SelectionHasKind(kind::Lyric, kind::Term))
    return [](TQSScore& score, TIniFile* settings) { EditSelectedLyric(score, settings, false); };
  if (view.SelectionHasKind(kind::InstrumentName))
    return [](TQSScore& score, TIniFile* settings) { EditSelectedLyric(score, settings, true); };
  if (view.SelectionHasKind(kind::Chord)) return EditSelectedChord;
  return nullptr;
}

}  // namespace

void TFProgramModule::ConnectViewMouse(TQSWindow& view) {
  view.OnMouseDown = [this, &view](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    if (button != mbLeft) return;
    try {
      if ((shift & ssDouble) && y < view.ClientHeight() - 24) {
        // The dialog opens once the view has finished with the press.
        auto edit = view.Score ? SelectionEditor(view) : nullptr;
        if (edit)
          TThread::Queue([this, score = view.Score, edit] {
            try {
              if (ActiveScore() == score) edit(*score, settings_ ? &settings_->Ini() : nullptr);
            } catch (const std::exception& e) {
              ShowError(UserErrorText(e));
            }
          });
        return;
      }
      if (TPalette* palette = PaletteOf(ActiveTool())) palette->ViewMouseDown(view, x, y);
    } catch (const std::exception& e) {
      ShowError(UserErrorText(e));
    }
  };
  view.OnMouseUp = [this, &view](TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button != mbLeft) return;
    try {
      if (TPalette* palette = PaletteOf(ActiveTool())) palette->ViewMouseUp(view, x, y);
    } catch (const std::exception& e) {
      ShowError(UserErrorText(e));
    }
  };
}

}  // namespace qs
