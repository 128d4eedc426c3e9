#include "playback/editorhosts.h"

#include "base/inifile.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "playback/eventeditor.h"
#include "uikit/formparts.h"
#include "playback/hiddenview.h"
#include "playback/playbackeditor.h"
#include "playback/samplescore.h"
#include "playback/velocityeditor.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"

namespace qs {

TQSEditorHost::TQSEditorHost(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  KeyPreview = true;
  SetBorderStyle(bsSizeToolWin);
  OnKeyDown = [this](TObject* sender, uint16_t& key, TShiftState shift) {
    if (Document) Document->FormKeyDown(sender, key, shift);
  };
  OnShow = [this](TObject*) {
    if (panel_) panel_->BringToFront();
  };
  OnResize = [this](TObject*) {
    if (panel_) panel_->SetTop(ClientHeight() - panel_->Height());
  };
  OnClose = [this](TObject*, TCloseAction&) {
    if (!Document) return;
    Document->RemoveEditor(editor_);
    if (settings_) WriteFormBounds(*settings_, Name(), BoundsRect());
  };
}

TQSEditorHost::~TQSEditorHost() = default;

void TQSEditorHost::Build(const char* name, const char* caption, int clientWidth, int clientHeight,
                          const char* panelName, int panelLeft, int panelTop, int panelWidth) {
  SetName(name);
  SetCaption(caption);
  SetClientWidth(clientWidth);
  SetClientHeight(clientHeight);
  panel_ = new TPanel(this);
  panel_->SetName(panelName);
  panel_->SetParent(this);
  panel_->SetBevelOuter(bvNone);
  panel_->SetBounds(panelLeft, panelTop, panelWidth, 16);
  panel_->SetAnchors(akLeft | akBottom);
}

TECCharButton* TQSEditorHost::AddButton(const char* name, const char* face, const char* hint, bool repeats) {
  auto* b = new TECCharButton(this);
  b->SetName(name);
  b->SetParent(panel_);
  b->SetBounds(nextButton_, 0, 16, 16);
  nextButton_ += 16;
  b->SetFlat(true);
  b->SetCaption(face);
  b->SetHint(hint);
  b->SetShowHint(true);
  b->OnClick = [this, name](TObject*) {
    if (Document) Document->EditorButtonClick(this, name);
  };
  if (repeats) {
    b->OnMouseDown = [this, name](TObject*, TMouseButton button, TShiftState shift, int, int) {
      if (Document) Document->EditorButtonMouse(this, name, true, button, shift);
    };
    b->OnMouseUp = [this, name](TObject*, TMouseButton button, TShiftState shift, int, int) {
      if (Document) Document->EditorButtonMouse(this, name, false, button, shift);
    };
  }
  return b;
}

void TQSEditorHost::Finish() {
  language_ = MakeFormLanguage(this, (std::string("FL") + (Name().c_str() + 1)).c_str());
  // The frame first: the bounds kept are those of the framed window.
  ApplyToolSkin(*this, [this] { DockClick(); });
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, Name(), bounds)) SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  }
}

void TQSEditorHost::SetEditor(TControl* editor) {
  editor_ = editor;
  if (!editor) return;
  editor->SetParent(this);
  editor->SetAlign(alClient);
  if (panel_) panel_->BringToFront();
}

void TQSEditorHost::DockClick() {
  if (Document) Document->DockEditor(editor_);
}

TFVelocity::TFVelocity(TComponent* owner, TIniFile* settings) : TQSEditorHost(owner, settings) {
  Build("FVelocity", "Velocity editor", 649, 193, "PVelocity", 24, 176, 50);
  SetFormStyle(fsStayOnTop);
  SetColor(RGB(210, 216, 238));
  SBIncVelocity = AddButton("SBIncVelocity", "+", "Increment velocity", true);
  SBDecVelocity = AddButton("SBDecVelocity", "\xE2\x88\x92", "Decrement velocity", true);
  SBAlignVelocity = AddButton("SBAlignVelocity", "/", "Align velocity");
  Finish();
}

TFPlayback::TFPlayback(TComponent* owner, TIniFile* settings) : TQSEditorHost(owner, settings) {
  Build("FPlayback", "Playback editor", 656, 185, "PPlayback", 24, 169, 66);
  SetFormStyle(fsStayOnTop);
  SBIncSize = AddButton("SBIncSize", "+", "Increment size");
  SBDecSize = AddButton("SBDecSize", "\xE2\x88\x92", "Decrement size");
  SBShiftRight = AddButton("SBShiftRight", "\xE2\x86\x92", "Shift right");
  SBShiftLeft = AddButton("SBShiftLeft", "\xE2\x86\x90", "Shift left");
  Finish();
}

TFEvent::TFEvent(TComponent* owner, TIniFile* settings) : TQSEditorHost(owner, settings) {
  Build("FEvent", "MIDI Events editor", 705, 167, "PEvent", 63, 151, 58);
  CBAddEvent = AddButton("CBAddEvent", "+", "Add event");
  CBEditEvent = AddButton("CBEditEvent", "\xE2\x80\xA6", "Edit event");
  CBDeleteEvent = AddButton("CBDeleteEvent", "\xC3\x97", "Delete event");
  CBEditEvent->SetEnabled(false);
  CBDeleteEvent->SetEnabled(false);
  Finish();
}

void RegisterEditorHostForms() {
  // Each window with its editor over a short melody.
  RegisterForm("FVelocity", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFVelocity>(nullptr, nullptr);
    auto* sample = new TQSSampleScore(form.get());
    auto* editor = new TQSVelocityEditor(form.get());
    form->SetEditor(editor);
    editor->Fill(sample->Part(), 0);
    return form;
  });
  RegisterForm("FPlayback", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFPlayback>(nullptr, nullptr);
    auto* sample = new TQSSampleScore(form.get());
    auto* editor = new TQSPlaybackEditor(form.get());
    form->SetEditor(editor);
    editor->Fill(sample->Part(), 0);
    // The melody's keys in the middle of the window.
    editor->VertBar->SetPosition(editor->RowTop(77));
    return form;
  });
  RegisterForm("FEvent", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFEvent>(nullptr, nullptr);
    auto* sample = new TQSSampleScore(form.get());
    auto* editor = new TQSEventEditor(form.get());
    form->SetEditor(editor);
    // At the start, where two events share a tick.
    sample->View().CursorPosition.Measure = 0;
    sample->View().CursorPosition.Tick = 0;
    editor->SetScore(&sample->Score());
    return form;
  });
}

}  // namespace qs
