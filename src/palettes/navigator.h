#pragma once
// TFNavigator: the timeline of the active document's piece in a panel of
// its own; a click takes the cursor to the measure under it. A dockable
// palette without a tool.
#include "palettes/palette.h"
#include "playback/toolpages.h"

namespace qs {

class TQSNavigatorPanel;

class TFNavigator : public TQSToolPage, public TPalette {
 public:
  TFNavigator(TComponent* owner, const TPaletteContext& context);
  const char* ClassName() const override { return "TFNavigator"; }

  // TPalette: nothing to arm; the panel follows the active document.
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override {}
  bool InsertToolItem(TQSWindow&, TInsertFrom) override { return false; }
  void CursorMoved(TQSWindow& view) override;

  // The panel the active view draws its timeline on.
  TQSNavigatorPanel* PNavigator = nullptr;
  // The view the panel shows now (null without a document).
  TQSWindow* ShownView() const;

 private:
  TPaletteHost* host_;
};

}  // namespace qs
