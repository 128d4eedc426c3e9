#pragma once
// The small windows that hold a side editor (velocities, played notes, MIDI
// events) while the editors are not docked below the score view: a row of
// buttons in the bottom-left corner, the editor over the rest. The buttons
// do nothing themselves: they ask the document window, which acts on its
// first editor of the kind.
#include <cstdint>

#include "platform/forms.h"

namespace qs {

class TIniFile;
class TPanel;
class TECCharButton;
class TECFormLanguage;

// What a host window asks of its document window.
class TQSEditorHostOwner {
 public:
  virtual ~TQSEditorHostOwner() = default;
  // A button of a host window was clicked (sender: the host window); name
  // is the button's name, as "SBIncVelocity" or "CBAddEvent".
  virtual void EditorButtonClick(TObject* sender, const char* name) = 0;
  // The velocity step buttons were pressed or released (auto-repeat).
  virtual void EditorButtonMouse(TObject* sender, const char* name, bool down, TMouseButton button,
                                 TShiftState shift) = 0;
  // Docks the editors back below the score view, this one kept.
  virtual void DockEditor(TControl* editor) = 0;
  // The host window closes: the editor leaves the document's list.
  virtual void RemoveEditor(TControl* editor) = 0;
  // Keys typed in a host window, before its editor sees them.
  virtual void FormKeyDown(TObject* sender, uint16_t& key, TShiftState shift) = 0;
};

class TQSEditorHost : public TForm {
 public:
  // The document window (null: the buttons, docking and closing do
  // nothing beyond the form's own behaviour) and the settings file (null:
  // the bounds are neither read nor written).
  TQSEditorHost(TComponent* owner, TIniFile* settings);
  ~TQSEditorHost() override;

  TQSEditorHostOwner* Document = nullptr;
  // The hosted editor: made a child filling the client area.
  TControl* Editor() const { return editor_; }
  void SetEditor(TControl* editor);
  // The dock action of the window's caption.
  void DockClick();
  TPanel* ButtonPanel() const { return panel_; }

 protected:
  // The window and its button panel; then the buttons; then Finish, which
  // translates the window and puts it where it was.
  void Build(const char* name, const char* caption, int clientWidth, int clientHeight, const char* panelName,
             int panelLeft, int panelTop, int panelWidth);
  TECCharButton* AddButton(const char* name, const char* face, const char* hint, bool repeats = false);
  void Finish();

 private:
  TIniFile* settings_;
  TControl* editor_ = nullptr;
  TPanel* panel_ = nullptr;
  TECFormLanguage* language_ = nullptr;
  int nextButton_ = 0;
};

class TFVelocity : public TQSEditorHost {
 public:
  TFVelocity(TComponent* owner, TIniFile* settings);
  const char* ClassName() const override { return "TFVelocity"; }
  TECCharButton *SBIncVelocity = nullptr, *SBDecVelocity = nullptr, *SBAlignVelocity = nullptr;
};

class TFPlayback : public TQSEditorHost {
 public:
  TFPlayback(TComponent* owner, TIniFile* settings);
  const char* ClassName() const override { return "TFPlayback"; }
  TECCharButton *SBIncSize = nullptr, *SBDecSize = nullptr, *SBShiftRight = nullptr, *SBShiftLeft = nullptr;
};

class TFEvent : public TQSEditorHost {
 public:
  TFEvent(TComponent* owner, TIniFile* settings);
  const char* ClassName() const override { return "TFEvent"; }
  TECCharButton *CBAddEvent = nullptr, *CBEditEvent = nullptr, *CBDeleteEvent = nullptr;
};

void RegisterEditorHostForms();

}  // namespace qs
