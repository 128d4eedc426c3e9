// The side editors of a document window: the velocity editor, the piano
// roll, the MIDI events and a second view of the score, docked below the
// view (only the last one opened stays) or floating in windows of their
// own; their buttons, refilled from the score and following the cursor.
#include <algorithm>

#include "app/fileeditor.h"
#include "editing/drags.h"
#include "editing/entry.h"
#include "editing/pageobjects.h"
#include "editing/rulers.h"
#include "editing/viewcommands.h"
#include "base/inifile.h"
#include "playback/eventeditor.h"
#include "playback/eventproperties.h"
#include "playback/playbackeditor.h"
#include "playback/samplescore.h"
#include "playback/velocityeditor.h"
#include "platform/extctrls.h"
#include "platform/timers.h"
#include "score/part.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/messagebox.h"
#include "uikit/settings.h"
#include "view/window.h"

namespace qs {

namespace {

// The document window's messages of the side editors.
enum TSideEditorMessage {
  kDeleteEventTitle = 7,
  kDeleteEventQuestion = 8,  // delete the selected MIDI events?
};

// The window of a floating second view.
class TFWindow : public TQSEditorHost {
 public:
  TFWindow(TComponent* owner, TIniFile* settings) : TQSEditorHost(owner, settings) {
    Build("FWindow", "Window", 640, 320, "PWindow", 0, 304, 0);
    Finish();
  }
  const char* ClassName() const override { return "TFWindow"; }
};

TIniFile* SettingsFile() { return ProgramSettings() ? &ProgramSettings()->Ini() : nullptr; }

TSideEditorSettings LoadSideEditorSettings() {
  TSideEditorSettings s;
  if (ProgramSettings()) ProgramSettings()->Load(s);
  return s;
}

int TSideEditorSettings::*HeightOf(TSideEditorKind kind) {
  switch (kind) {
    case TSideEditorKind::Velocity: return &TSideEditorSettings::VelocityHeight;
    case TSideEditorKind::Playback: return &TSideEditorSettings::PlaybackHeight;
    case TSideEditorKind::Events: return &TSideEditorSettings::EventHeight;
    case TSideEditorKind::SecondView: break;
  }
  return &TSideEditorSettings::SplitHeight;
}

void StoreHeight(TSideEditorKind kind, int height) {
  if (!ProgramSettings() || height <= 0) return;
  TSideEditorSettings s = LoadSideEditorSettings();
  ProgramSettings()->Set(s, HeightOf(kind), height);
}

// The buttons of each docked editor's panel, left to right: name, face and
// whether holding it repeats.
struct TPanelButton {
  const char* Name;
  const char* Face;
  bool Repeats;
};
const std::vector<TPanelButton>& PanelButtons(TSideEditorKind kind) {
  static const std::vector<TPanelButton> velocity = {{"SBIncVelocity", "+", true},
                                                     {"SBDecVelocity", "\xE2\x88\x92", true},
                                                     {"SBAlignVelocity", "/", false},
                                                     {"SBUnttachVelocity", "\xE2\x96\xA1", false},
                                                     {"SBCloseVelocity", "\xC3\x97", false}};
  static const std::vector<TPanelButton> playback = {{"SBIncSize", "+", false},
                                                     {"SBDecSize", "\xE2\x88\x92", false},
                                                     {"SBShiftRight", "\xE2\x86\x92", false},
                                                     {"SBUnttachPlayback", "\xE2\x96\xA1", false},
                                                     {"SBShiftLeft", "\xE2\x86\x90", false},
                                                     {"SBClosePlayback", "\xC3\x97", false}};
  static const std::vector<TPanelButton> events = {{"CBAddEvent", "+", false},
                                                   {"CBDeleteEvent", "\xC3\x97", false},
                                                   {"SBUnttachEvent", "\xE2\x96\xA1", false},
                                                   {"SBCloseEvent", "\xE2\x9C\x95", false},
                                                   {"CBEditEvent", "\xE2\x80\xA6", false}};
  static const std::vector<TPanelButton> split = {{"SBUnttachSplit", "\xE2\x96\xA1", false},
                                                  {"CBCloseSplit", "\xC3\x97", false}};
  switch (kind) {
    case TSideEditorKind::Velocity: return velocity;
    case TSideEditorKind::Playback: return playback;
    case TSideEditorKind::Events: return events;
    case TSideEditorKind::SecondView: break;
  }
  return split;
}

const char* PanelName(TSideEditorKind kind) {
  switch (kind) {
    case TSideEditorKind::Velocity: return "PVelocity";
    case TSideEditorKind::Playback: return "PPlayback";
    case TSideEditorKind::Events: return "PEvent";
    case TSideEditorKind::SecondView: break;
  }
  return "PSplit";
}

// The parts of the key of pitch within its octave: the step, and whether
// it is a black key (entered as the sharp of the step below).
constexpr int kStepOfSemitone[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
constexpr bool kBlackKey[12] = {false, true, false, true, false, false, true, false, true, false, true, false};

}  // namespace

void RegisterSideEditorForms() {
  // The second view's window over a short melody.
  RegisterForm("FWindow", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFWindow>(nullptr, nullptr);
    auto* sample = new TQSSampleScore(form.get());
    auto* view = new TQSWindow(form.get());
    view->SetName("QSWindow2");
    form->SetEditor(view);
    view->SetScore(&sample->Score());
    return form;
  });
}

// ------------------------------------------------------------------ panels

void TFFileEditor::BuildSideEditorPanels() {
  auto* splitter = new TSplitter(this);
  splitter->SetName("SEditor");
  splitter->SetParent(PClient);
  splitter->SetAlign(alBottom);
  splitter->SetHeight(4);
  splitter->SetVisible(false);
  splitter->OnMoved = [this](TObject*) {
    if (!editors_.empty() && attachedEditors_) StoreHeight(editors_.back().Kind, editors_.back().Editor->Height());
  };
  SEditor = splitter;
  for (TSideEditorKind kind :
       {TSideEditorKind::Velocity, TSideEditorKind::Playback, TSideEditorKind::Events, TSideEditorKind::SecondView}) {
    auto* panel = Make<TPanel>(this, PClient, PanelName(kind), 0, 0, 16, 16);
    panel->SetBevelOuter(bvNone);
    panel->SetVisible(false);
    int left = 0;
    for (const TPanelButton& b : PanelButtons(kind)) {
      auto* button = Make<TECCharButton>(this, panel, b.Name, left, 0, 16, 16);
      left += 16;
      button->SetFlat(true);
      button->SetCaption(b.Face);
      button->SetShowHint(true);
      const std::string name = b.Name;
      button->OnClick = [this, name](TObject* sender) { EditorButtonClick(sender, name.c_str()); };
      if (b.Repeats) {
        button->OnMouseDown = [this, name](TObject* sender, TMouseButton mb, TShiftState shift, int, int) {
          EditorButtonMouse(sender, name.c_str(), true, mb, shift);
        };
        button->OnMouseUp = [this, name](TObject* sender, TMouseButton mb, TShiftState shift, int, int) {
          EditorButtonMouse(sender, name.c_str(), false, mb, shift);
        };
      }
    }
    panel->SetWidth(left);
    editorPanels_[static_cast<int>(kind)] = panel;
  }
  if (auto* edit = dynamic_cast<TECCharButton*>(FindComponent("CBEditEvent"))) edit->SetEnabled(false);
  if (auto* del = dynamic_cast<TECCharButton*>(FindComponent("CBDeleteEvent"))) del->SetEnabled(false);
  TClick = new TTimer(this);
  TClick->SetName("TClick");
  TClick->SetInterval(100);
  TClick->SetEnabled(false);
  TClick->OnTimer = [this](TObject*) { RepeatTick(); };
  attachedEditors_ = LoadSideEditorSettings().AttachedEditors;
  PClient->OnResize = [this](TObject*) { PlaceEditorPanels(); };
}

void TFFileEditor::PlaceEditorPanels() {
  // Over the bottom-left corner of the document, the second view's panel
  // a little to the right.
  const int top = PClient->Height() - 16;
  for (int i = 0; i < 4; ++i)
    if (editorPanels_[i]) {
      editorPanels_[i]->SetBounds(i == 3 ? 124 : 4, top, editorPanels_[i]->Width(), 16);
      editorPanels_[i]->BringToFront();
    }
}

// ------------------------------------------------------------------ opening

bool TFFileEditor::HasSideEditor(TSideEditorKind kind) const { return SideEditor(kind) != nullptr; }

TControl* TFFileEditor::SideEditor(TSideEditorKind kind) const {
  for (const TSideEditor& e : editors_)
    if (e.Kind == kind) return e.Editor;
  return nullptr;
}

TCustomForm* TFFileEditor::SideEditorHost(TSideEditorKind kind) const {
  for (const TSideEditor& e : editors_)
    if (e.Kind == kind) return e.Host;
  return nullptr;
}

void TFFileEditor::CloseSideEditor(size_t index) {
  const TSideEditor e = editors_[index];
  editors_.erase(editors_.begin() + static_cast<std::ptrdiff_t>(index));
  if (!e.Host) StoreHeight(e.Kind, e.Editor->Height());
  if (e.Kind == TSideEditorKind::SecondView) {
    auto* view = static_cast<TQSWindow*>(e.Editor);
    view->SetScore(nullptr);
    score_->SetActiveWindow(QSWindow);
  }
  switching_ = true;
  delete e.Editor;
  if (e.Host) {
    e.Host->Document = nullptr;
    delete e.Host;
  }
  switching_ = false;
  editorPanels_[static_cast<int>(e.Kind)]->SetVisible(false);
  if (std::none_of(editors_.begin(), editors_.end(), [](const TSideEditor& x) { return !x.Host; }))
    SEditor->SetVisible(false);
}

void TFFileEditor::DockSideEditor(TControl* editor, TSideEditorKind kind) {
  editor->SetParent(PClient);
  editor->SetAlign(alBottom);
  editor->SetHeight(LoadSideEditorSettings().*HeightOf(kind));
  SEditor->SetVisible(true);
  SEditor->SetTop(editor->Top() - SEditor->Height());
  editorPanels_[static_cast<int>(kind)]->SetVisible(true);
  PlaceEditorPanels();
}

void TFFileEditor::ToggleSideEditor(TSideEditorKind kind) {
  // Whichever way it ends, the main window hears of it (the Helper shows
  // the open editors' topics).
  struct TTell {
    TFFileEditor& Self;
    ~TTell() {
      if (Self.OnSideEditorsChanged) Self.OnSideEditorsChanged(Self);
    }
  } tell{*this};
  for (size_t i = 0; i < editors_.size(); ++i)
    if (editors_[i].Kind == kind) {
      CloseSideEditor(i);
      return;
    }
  // Docked there is room for one; a second view also gives way to the
  // other editors when they float.
  for (size_t i = editors_.size(); i-- > 0;)
    if (attachedEditors_ || (editors_[i].Kind == TSideEditorKind::SecondView && kind != TSideEditorKind::SecondView))
      CloseSideEditor(i);

  TControl* editor = nullptr;
  TQSEditorHost* host = nullptr;
  if (!attachedEditors_) {
    switch (kind) {
      case TSideEditorKind::Velocity: host = new TFVelocity(this, SettingsFile()); break;
      case TSideEditorKind::Playback: host = new TFPlayback(this, SettingsFile()); break;
      case TSideEditorKind::Events: host = new TFEvent(this, SettingsFile()); break;
      case TSideEditorKind::SecondView: host = new TFWindow(this, SettingsFile()); break;
    }
    host->Document = this;
  }
  // The document owns the editor, docked or floating: a host window that
  // goes leaves it behind.
  TComponent* owner = this;
  switch (kind) {
    case TSideEditorKind::Velocity: {
      auto* velocity = new TQSVelocityEditor(owner);
      velocity->SetName("QSVelocityEditor");
      editor = velocity;
      break;
    }
    case TSideEditorKind::Playback: {
      auto* roll = new TQSPlaybackEditor(owner);
      roll->SetName("QSPlaybackEditor");
      roll->OnPlaybackNote = [this](TObject*, int measure, int tick, uint8_t key) { PlaybackInsertNote(measure, tick, key); };
      editor = roll;
      break;
    }
    case TSideEditorKind::Events: {
      auto* events = new TQSEventEditor(owner);
      events->SetName("QSEventEditor");
      events->OnAddEvent = [this](TObject*) { CBAddEventClick(); };
      events->OnEditEvent = [this](TObject*) { CBEditEventClick(); };
      events->OnDeleteEvent = [this](TObject*) { CBDeleteEventClick(); };
      events->OnFocusChanged = [this](TObject*) { EventSelectionChanged(); };
      editor = events;
      break;
    }
    case TSideEditorKind::SecondView: {
      auto* view = new TQSWindow(owner);
      view->SetName("QSWindow2");
      editor = view;
      break;
    }
  }
  if (host) {
    host->SetEditor(editor);
    host->Show();
  } else {
    DockSideEditor(editor, kind);
  }
  editors_.push_back({kind, editor, host});
  switch (kind) {
    case TSideEditorKind::Velocity: RefillVelocityEditors(); break;
    case TSideEditorKind::Playback:
      RefillPlaybackEditors();
      if (EntryDuration) SetEntryDuration(EntryDuration());
      break;
    case TSideEditorKind::Events: static_cast<TQSEventEditor*>(editor)->SetScore(score_.get()); break;
    case TSideEditorKind::SecondView: {
      auto* view = static_cast<TQSWindow*>(editor);
      view->SetScore(score_.get());
      view->SetCursorColor(QSWindow->CursorColor());
      ConnectViewCommands(*view, *score_);
      ConnectDragCommands(*view);
      ConnectToolCommands(*view);
      ConnectRulerSpacing(*view);
      view->OnScoreClick = [this, view](TObject*) {
        if (OnScoreClick) OnScoreClick(*view);
      };
      view->OnItemClick = [this, view](TObject*, TQSCalcItem* item) {
        if (OnItemClick) OnItemClick(*view, item);
      };
      view->OnCursorChanged = [this, view](TObject*, bool visible) {
        if (visible && OnCursorMoved) OnCursorMoved(*view);
      };
      view->OnPlayShort = [this](TObject*, int status, int data1, int data2) { PlayShort(status, data1, data2); };
      view->OnStopPlay = [this](TObject*) { StopRequested = true; };
      // The main view stays where clicks and commands go until the second
      // is used.
      score_->SetActiveWindow(QSWindow);
      break;
    }
  }
}

void TFFileEditor::SetAttachedEditors(bool value) {
  if (value == attachedEditors_) return;
  attachedEditors_ = value;
  bool docked = false;
  for (size_t i = editors_.size(); i-- > 0;) {
    TSideEditor& e = editors_[i];
    if (!value) {
      if (!e.Host) {
        switch (e.Kind) {
          case TSideEditorKind::Velocity: e.Host = new TFVelocity(this, SettingsFile()); break;
          case TSideEditorKind::Playback: e.Host = new TFPlayback(this, SettingsFile()); break;
          case TSideEditorKind::Events: e.Host = new TFEvent(this, SettingsFile()); break;
          case TSideEditorKind::SecondView: e.Host = new TFWindow(this, SettingsFile()); break;
        }
        StoreHeight(e.Kind, e.Editor->Height());
        e.Host->Document = this;
        e.Host->SetEditor(e.Editor);
        e.Host->Show();
      }
      editorPanels_[static_cast<int>(e.Kind)]->SetVisible(false);
      SEditor->SetVisible(false);
    } else if (!docked) {
      TQSEditorHost* host = e.Host;
      e.Host = nullptr;
      DockSideEditor(e.Editor, e.Kind);
      if (host) {
        switching_ = true;
        host->Document = nullptr;
        delete host;
        switching_ = false;
      }
      docked = true;
    } else {
      CloseSideEditor(i);
    }
  }
  if (ProgramSettings()) {
    TSideEditorSettings s = LoadSideEditorSettings();
    ProgramSettings()->Set(s, &TSideEditorSettings::AttachedEditors, value);
  }
}

void TFFileEditor::MoveEditorToEnd(TControl* editor) {
  const auto it = std::find_if(editors_.begin(), editors_.end(), [&](const TSideEditor& e) { return e.Editor == editor; });
  if (it == editors_.end()) return;
  const TSideEditor e = *it;
  editors_.erase(it);
  editors_.push_back(e);
}

void TFFileEditor::DockEditor(TControl* editor) {
  MoveEditorToEnd(editor);
  SetAttachedEditors(true);
}

void TFFileEditor::RemoveEditor(TControl* editor) {
  if (switching_) return;
  const auto it = std::find_if(editors_.begin(), editors_.end(), [&](const TSideEditor& e) { return e.Editor == editor; });
  if (it == editors_.end()) return;
  if (it->Kind == TSideEditorKind::SecondView) {
    static_cast<TQSWindow*>(editor)->SetScore(nullptr);
    score_->SetActiveWindow(QSWindow);
  }
  editors_.erase(it);
  if (OnSideEditorsChanged) OnSideEditorsChanged(*this);
}

void TFFileEditor::FormKeyDown(TObject*, uint16_t& key, TShiftState shift) {
  if (OnEditorKey) OnEditorKey(key, shift);
}

// ------------------------------------------------------------------ buttons

void TFFileEditor::EditorButtonClick(TObject*, const char* name) {
  const std::string n = name;
  const auto first = [this](TSideEditorKind kind) { return SideEditor(kind); };
  if (auto* roll = dynamic_cast<TQSPlaybackEditor*>(first(TSideEditorKind::Playback))) {
    if (n == "SBIncSize") return roll->IncreaseSize();
    if (n == "SBDecSize") return roll->DecreaseSize();
    if (n == "SBShiftRight") return roll->ShiftRight();
    if (n == "SBShiftLeft") return roll->ShiftLeft();
  }
  if (auto* velocity = dynamic_cast<TQSVelocityEditor*>(first(TSideEditorKind::Velocity))) {
    if (n == "SBIncVelocity") return velocity->IncreaseVelocity();
    if (n == "SBDecVelocity") return velocity->DecreaseVelocity();
    if (n == "SBAlignVelocity") return velocity->AlignVelocity();
  }
  if (n == "SBUnttachVelocity" || n == "SBUnttachPlayback" || n == "SBUnttachEvent" || n == "SBUnttachSplit")
    return SetAttachedEditors(false);
  if (n == "SBCloseVelocity") return ToggleVelocityEditor();
  if (n == "SBClosePlayback") return TogglePlaybackEditor();
  if (n == "SBCloseEvent") return ToggleEventEditor();
  if (n == "CBCloseSplit") return ToggleSecondWindow();
  if (n == "CBAddEvent") return CBAddEventClick();
  if (n == "CBEditEvent") return CBEditEventClick();
  if (n == "CBDeleteEvent") return CBDeleteEventClick();
}

void TFFileEditor::EditorButtonMouse(TObject*, const char* name, bool down, TMouseButton, TShiftState) {
  if (down) {
    repeatButton_ = name;
    repeatArmed_ = false;
    TClick->SetEnabled(true);
    return;
  }
  if (!repeatArmed_) repeatButton_.clear();
  TClick->SetEnabled(false);
  repeatArmed_ = false;
}

void TFFileEditor::RepeatTick() {
  // The first tick only arms: the repeats start after 200 milliseconds.
  if (repeatButton_.empty()) return;
  if (repeatArmed_) EditorButtonClick(nullptr, repeatButton_.c_str());
  repeatArmed_ = true;
}

// ------------------------------------------------------------------ contents

void TFFileEditor::RefillVelocityEditors() {
  TQSPart* part = score_->CurrentPart();
  if (!part) return;
  const TQSCursorPosition& c = QSWindow->CursorPosition;
  for (const TSideEditor& e : editors_)
    if (auto* velocity = dynamic_cast<TQSVelocityEditor*>(e.Editor)) velocity->Fill(part, c.Staff * 16 + c.Voice);
}

void TFFileEditor::RefillPlaybackEditors() {
  TQSPart* part = score_->CurrentPart();
  if (!part) return;
  const TQSCursorPosition& c = QSWindow->CursorPosition;
  for (const TSideEditor& e : editors_)
    if (auto* roll = dynamic_cast<TQSPlaybackEditor*>(e.Editor)) roll->Fill(part, c.Staff * 16 + c.Voice);
}

void TFFileEditor::SyncSideEditors() {
  for (const TSideEditor& e : editors_) {
    if (auto* voice = dynamic_cast<TQSVoiceEditor*>(e.Editor)) voice->SyncWithCursor();
    if (auto* events = dynamic_cast<TQSEventEditor*>(e.Editor)) events->SyncWithCursor();
  }
}

void TFFileEditor::SetEntryDuration(int ticks) {
  for (const TSideEditor& e : editors_)
    if (auto* roll = dynamic_cast<TQSPlaybackEditor*>(e.Editor)) roll->SetInsertDuration(ticks);
}

void TFFileEditor::PlaybackInsertNote(int measure, int tick, int pitch) {
  if (!QSWindow) return;
  QSWindow->CursorPosition.Measure = measure;
  QSWindow->CursorPosition.Tick = tick;
  const int semitone = ((pitch % 12) + 12) % 12;
  const int octave = pitch / 12, step = kStepOfSemitone[semitone];
  TQSModifiers modifiers;
  if (kBlackKey[semitone]) modifiers.push_back(52);
  const int duration = EntryDuration ? EntryDuration() : 0;
  if (duration <= 0) return;
  InsertNote(*score_, octave, step, duration, modifiers);
  if (PlayHost.Effects && PlayHost.Effects->PlayMouse && PlayHost.Ports)
    if (TMidiPorts* ports = PlayHost.Ports()) SoundPitch(*ports, pitch, 16, 0);
}

// ------------------------------------------------------------------ events

void TFFileEditor::EventSelectionChanged() {
  auto* events = dynamic_cast<TQSEventEditor*>(SideEditor(TSideEditorKind::Events));
  const bool chosen = events && events->HasSelection();
  for (const char* name : {"CBEditEvent", "CBDeleteEvent"}) {
    if (auto* b = dynamic_cast<TECCharButton*>(FindComponent(name))) b->SetEnabled(chosen);
    if (TCustomForm* host = SideEditorHost(TSideEditorKind::Events))
      if (auto* b = dynamic_cast<TECCharButton*>(host->FindComponent(name))) b->SetEnabled(chosen);
  }
}

void TFFileEditor::CBAddEventClick() {
  auto* events = dynamic_cast<TQSEventEditor*>(SideEditor(TSideEditorKind::Events));
  if (!events) return;
  TFEventProperties dialog(nullptr, SettingsFile());
  if (dialog.ShowModal() != mrOk) return;
  // The dialog takes only whole messages of valid hexadecimal digits.
  const std::vector<uint8_t>& bytes = dialog.EventBytes();
  if (bytes.empty()) return;
  QSWindow->CursorPosition.Tick = events->CursorTick();
  InsertMIDIEvent(*score_, events->CursorTick(), bytes.data(), static_cast<int>(bytes.size()));
  events->Reload();
}

void TFFileEditor::CBEditEventClick() {
  auto* events = dynamic_cast<TQSEventEditor*>(SideEditor(TSideEditorKind::Events));
  if (!events || !events->HasSelection()) return;
  TFEventProperties dialog(nullptr, SettingsFile());
  dialog.SetEventText(events->GetSelectedEventText());
  if (dialog.ShowModal() != mrOk) return;
  const std::vector<uint8_t>& bytes = dialog.EventBytes();
  if (bytes.empty()) return;
  events->SetSelectedEventData(bytes.data(), bytes.size());
  if (score_->OnChanged) score_->OnChanged(score_.get());
}

void TFFileEditor::CBDeleteEventClick() {
  auto* events = dynamic_cast<TQSEventEditor*>(SideEditor(TSideEditorKind::Events));
  if (!events || !events->HasSelection()) return;
  if (ShowMessageBlock(LFileEditor->GetMessage(kDeleteEventTitle),
                       Format(LFileEditor->GetMessage(kDeleteEventQuestion).c_str(), Title().c_str()),
                       kMessageQuestion, kMessageYes | kMessageNo) != mrYes)
    return;
  events->DeleteSelected();
  EventSelectionChanged();
}

}  // namespace qs
