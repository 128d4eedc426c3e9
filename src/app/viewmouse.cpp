// The view's mouse presses reach the palette of the current tool page
// (drawing lines and shapes, placing texts, pictures and page marks), and
// a double click on a picture opens its properties.
#include <exception>

#include "app/mainwindow.h"
#include "editing/properties.h"
#include "palettes/imageproperties.h"
#include "palettes/palette.h"
#include "platform/timers.h"
#include "score/item.h"
#include "score/picture.h"
#include "score/score.h"
#include "uikit/language.h"
#include "view/window.h"

namespace qs {

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

}  // namespace

void TFProgramModule::ConnectViewMouse(TQSWindow& view) {
  view.OnMouseDown = [this, &view](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    if (button != mbLeft) return;
    try {
      if ((shift & ssDouble) && y < view.ClientHeight() - 24) {
        // The dialog opens once the view has finished with the press.
        if (view.Score && view.SelectionHasKind(kind::Image))
          TThread::Queue([this, score = view.Score] {
            try {
              if (ActiveScore() == score) EditSelectedImage(*score, settings_ ? &settings_->Ini() : nullptr);
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
