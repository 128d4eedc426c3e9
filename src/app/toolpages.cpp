// The main window's tool pages: each palette docks in its page of the tool
// notebook or floats in a window of its own. Dragging a page's tab out of
// the notebook floats the palette where it is let go; moving a floating
// palette by its caption onto the notebook docks it again, as does its
// frame's dock button. The choice and the floating place are kept.
#include "app/fileeditor.h"
#include "app/helpcommands.h"
#include "app/mainwindow.h"
#include "platform/forms.h"
#include "playback/toolpages.h"
#include "score/score.h"
#include "uikit/menu.h"
#include "uikit/menuitem.h"
#include "uikit/pagecontrol.h"

namespace qs {

namespace {
// The palettes with a check item in the Windows menu (not recording and
// playing, whose pages come and go with them).
constexpr int kMenuPalettes = kToolPageCount - 2;
}  // namespace

void TFProgramModule::BuildWindowMenu() {
  // One check item per palette page, the side editors of the active
  // document, then the documents.
  for (int i = 0; i < kMenuPalettes; ++i) {
    auto* item = new TECMenuItem(this);
    item->SetName(std::string("MI") + kToolPageNames[i]);
    item->SetKind(ikCheckBox);
    item->OnClick = [this, i](TObject* sender) { ShowPalette(i, static_cast<TECMenuItem*>(sender)->Checked()); };
    MIWindow->Add(item);
  }
  MIWindow->Add(MenuItemFor("-"));
  AddSideEditorItems();
  auto* separator = MenuItemFor("-");
  separator->SetName("MIWindowsFiles");
  MIWindow->Add(separator);
  MIWindow->OnMenuShow = [this](TObject*) { WindowMenuShow(); };
}

void TFProgramModule::WindowMenuShow() {
  UpdateSideEditorItems();
  for (int i = 0; i < kMenuPalettes; ++i)
    if (auto* item = dynamic_cast<TECMenuItem*>(FindComponent(std::string("MI") + kToolPageNames[i])))
      item->SetChecked(PaletteShown(i));
  if (auto* separator = dynamic_cast<TECMenuItem*>(FindComponent("MIWindowsFiles")))
    separator->SetVisible(DocumentCount() > 0);
  for (int i = 0; i < DocumentCount(); ++i)
    if (TFFileEditor* editor = Document(i))
      if (editor->WindowItem) editor->WindowItem->SetChecked(editor->Sheet == PCFiles->ActivePage());
}

bool TFProgramModule::PaletteAttached(int page) const {
  return page >= 0 && page < kToolPageCount && mainSettings_.Attached[page];
}

bool TFProgramModule::PaletteShown(int page) const {
  if (page < 0 || page >= kToolPageCount) return false;
  if (ToolSheets[page] && ToolSheets[page]->TabVisible()) return true;
  return palettes_[page] && palettes_[page]->Form().Floating() && palettes_[page]->Form().Visible();
}

void TFProgramModule::ShowPalette(int page, bool visible) {
  if (page < 0 || page >= kToolPageCount || !ToolSheets[page]) return;
  TPalette* palette = palettes_[page];
  if (PaletteAttached(page) || !palette) {
    ToolSheets[page]->SetTabVisible(visible);
    if (visible) PCTools->SetActivePage(ToolSheets[page]);
    return;
  }
  palette->Form().SetVisible(visible);
}

void TFProgramModule::SetPaletteAttached(int page, bool attached) {
  if (page < 0 || page >= kToolPageCount || !palettes_[page]) return;
  TCustomForm& form = palettes_[page]->Form();
  if (settings_ && mainSettings_.Attached[page] != attached) {
    mainSettings_.Attached[page] = attached;
    settings_->Store(mainSettings_);
  } else {
    mainSettings_.Attached[page] = attached;
  }
  ToolSheets[page]->SetTabVisible(attached);
  if (attached) {
    form.ManualDock(ToolSheets[page]);
    form.Show();
    PCTools->SetActivePage(ToolSheets[page]);
    SetActiveTool(ToolSheets[page]);
  } else {
    // It floats where it was put (a tab dragged out places it first) and
    // stays the current palette.
    if (!form.Floating()) {
      const TRect r = form.BoundsRect();
      form.ManualFloat(&r);
    }
    form.Show();
    SetActiveTool(ToolSheets[page]);
  }
}

bool TFProgramModule::OverTools(TPoint screen) const {
  if (!PCTools || !PCTools->Showing()) return false;
  const TPoint p = PCTools->ScreenToClient(screen);
  return p.X >= 0 && p.Y >= 0 && p.X < PCTools->Width() && p.Y < PCTools->Height();
}

void TFProgramModule::PaletteDropped(const std::string& name, int x, int y) {
  const int page = PaletteIndex(name);
  if (page >= 0 && !PaletteAttached(page) && OverTools(TPoint{x, y})) SetPaletteAttached(page, true);
}

void TFProgramModule::DocumentActivated() {
  ApplyActiveTool();
  if (TFFileEditor* doc = ActiveEditor()) {
    TQSScore& score = doc->Score();
    score.SetAutoVelocity(effects_.AutoVelocity);
    score.SetAutoEffect(effects_.AutoEffect);
    score.SetAutoPages(effects_.AutoPages);
  }
  UpdateActionStates();
  // The Helper follows the document in front and its open editors.
  if (help_) help_->ReportContext();
}

void TFProgramModule::HookNotebooks() {
  // The floating palettes come up with the main window, above it.
  TNotifyEvent shown = OnShow;
  OnShow = [this, shown, first = true](TObject* sender) mutable {
    if (shown) shown(sender);
    if (!first) return;
    first = false;
    for (int i = 0; i < kToolPageCount; ++i)
      if (palettes_[i] && !PaletteAttached(i)) palettes_[i]->Form().Show();
  };
  // A right click on a document's tab: Close, Save, Save as, Print, Preview.
  auto* files = new TECContextMenu(this);
  files->SetName("CMFiles");
  for (const char* name : {"AClose", "ASave", "ASaveAs", "APrint", "APreview"})
    files->Item()->Add(MenuItemFor(name, "CM"));
  PCFiles->OnMouseDown = [this, files](TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button != mbRight || !PCFiles->GetTabAt(x, y)) return;
    const TPoint at = PCFiles->ClientToScreen(TPoint{x, y});
    files->Popup(at.X, at.Y, PCFiles);
  };
  // The submenu of the selection scopes checks the scope in force.
  static constexpr const char* kScopes[] = {"MISelectSymbolsAll", "MISelectSymbolsPiece", "MISelectSymbolsPart",
                                            "MISelectSymbolsStaff", "MISelectSymbolsVoice"};
  for (const char* name : kScopes)
    if (auto* item = dynamic_cast<TECMenuItem*>(FindComponent(name))) item->SetKind(ikCheckBox);
  if (auto* scopes = dynamic_cast<TECMenuItem*>(FindComponent("MISelectSymbols")))
    scopes->OnMenuShow = [this](TObject*) {
      TFFileEditor* doc = ActiveEditor();
      for (int scope = 0; scope < 5; ++scope)
        if (auto* item = dynamic_cast<TECMenuItem*>(FindComponent(kScopes[scope])))
          item->SetChecked(doc && doc->Score().SymbolSelectScope == scope);
    };

  PCTools->OnMouseDown = [this](TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button == mbLeft) ToolsMouseDown(x, y);
  };
  PCTools->OnMouseUp = [this](TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button == mbLeft) ToolsMouseUp(x, y);
  };
}

void TFProgramModule::ToolsMouseDown(int x, int y) {
  toolDragPage_ = -1;
  TECTabSheet* sheet = PCTools->GetTabAt(x, y);
  for (int i = 0; i < kToolPageCount; ++i)
    if (sheet && ToolSheets[i] == sheet && palettes_[i]) toolDragPage_ = i;
  toolDragStart_ = PCTools->ClientToScreen(TPoint{x, y});
}

void TFProgramModule::ToolsMouseUp(int x, int y) {
  const int page = toolDragPage_;
  toolDragPage_ = -1;
  if (page < 0) return;
  auto* tool = dynamic_cast<TQSToolPage*>(&palettes_[page]->Form());
  const TPoint drop = PCTools->ClientToScreen(TPoint{x, y});
  // Let go over the notebook, or too near where it began, the palette stays
  // in its page.
  if (!tool || OverTools(drop) || !TQSToolPage::MovedFar(toolDragStart_, drop)) return;
  // Out of its page at the size it has as a window of its own; the drag's
  // end then puts its bottom-left corner where it was let go, floats it
  // for good and keeps the place.
  const int width = tool->UndockWidth() > 0 ? tool->UndockWidth() : tool->Width();
  const int height = tool->UndockHeight() > 0 ? tool->UndockHeight() : tool->Height();
  const TRect r{drop.X, drop.Y - height, drop.X + width, drop.Y};
  tool->ManualFloat(&r);
  tool->SetBounds(r.Left, r.Top, width, height);
  tool->EndDrag(toolDragStart_, drop);
}

}  // namespace qs
