// The main window's Play, Record and Stop commands, its MIDI ports, the
// Recording and Playing tool pages while they run, the volume and tempo
// bars, and the recording settings the Recording page changes.
#include <algorithm>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "app/mididevices.h"
#include "chords/guitarpalette.h"
#include "palettes/piano.h"
#include "playback/midiports.h"
#include "playback/noteports.h"
#include "playback/playedkeys.h"
#include "playback/player.h"
#include "playback/playwalker.h"
#include "playback/toolpages.h"
#include "platform/actions.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/timers.h"
#include "score/score.h"
#include "uikit/menu.h"
#include "uikit/pagecontrol.h"
#include "view/window.h"

namespace qs {

namespace {

constexpr int kRecordingPage = 11, kPlayingPage = 12;

}  // namespace

void TFProgramModule::EnterRecordedNotes() {
  if (recording_ && DocumentCount() > 0)
    if (TFFileEditor* editor = ActiveEditor()) editor->EnterRecordedNotes();
}

void TFProgramModule::ShowFullPlayTime() {
  TQSWindow* view = ActiveScoreWindow();
  if (TFPlaying* page = TFPlaying::Instance(); page && view && view->Score)
    page->ShowFullTime(view->Score->TotalMs * 100.0 / std::max(1, view->TempoScale));
}

// ------------------------------------------------------------------ ports

TMidiPorts& TFProgramModule::Ports() {
  if (!ports_) {
    ports_ = std::make_unique<TMidiPorts>(OutputPortFor(devices_.OutputDevice, MidiOutputDevices()));
    ports_->Input.Device = InputDeviceFor(devices_.InputDevice, MidiInputDevices());
    // The document echoes what is played while recording itself.
    ports_->PlayMidi = false;
    ports_->Input.Post = [](std::function<void()> f) { TThread::Queue(std::move(f)); };
    ports_->Input.OnMidiInput = [this] { MidiInputArrived(); };
    if (TBVolume) ports_->Output->SetVolume(TBVolume->Position());
  }
  return *ports_;
}

bool TFProgramModule::OpenMidiOutput() { return Ports().OpenMidiOutput(); }
void TFProgramModule::CloseMidiOutput() {
  if (ports_) ports_->CloseMidiOutput();
}
bool TFProgramModule::OpenMidiInput() { return Ports().OpenMidiInput(); }
void TFProgramModule::CloseMidiInput() {
  if (ports_) ports_->CloseMidiInput();
}

void TFProgramModule::SetMidiDevices(const std::string& output, const std::string& input) {
  StopPlayAndRecord();
  if (settings_) {
    settings_->Set(devices_, &TDevicesSettings::OutputDevice, output);
    settings_->Set(devices_, &TDevicesSettings::InputDevice, input);
  } else {
    devices_.OutputDevice = output;
    devices_.InputDevice = input;
  }
  ports_.reset();
}

void TFProgramModule::MidiInputArrived() {
  if (!ports_) return;
  TMidiInputEvent e;
  while (ports_->Input.TakeEvent(e)) {
    if (destroying_ || DocumentCount() == 0) continue;
    if (TFFileEditor* editor = ActiveEditor()) editor->RecordMidiInput(e.Status, e.Data1, e.Data2);
  }
}

void TFProgramModule::ConnectDocumentPlay(TFFileEditor* editor) {
  editor->PlayHost.Ports = [this] { return &Ports(); };
  editor->PlayHost.Record = &record_;
  editor->PlayHost.Play = &play_;
  editor->PlayHost.Effects = &effects_;
  editor->PlayHost.Stop = [this] {
    AStopExecute();
    UpdateActionStates();
  };
  editor->PlayHost.Played = [this](int status, int data1, int data2) { ShowPlayedNote(status, data1, data2); };
  editor->EntryDuration = [this] { return entryDuration_; };
  editor->OnEditorKey = [this](uint16_t& key, TShiftState shift) { FormKeyDown(key, shift); };
}

void TFProgramModule::AddSideEditorItems() {
  // Each opens or closes its editor in the active document.
  const std::pair<const char*, TSideEditorKind> items[] = {{"MIVelocityEditor", TSideEditorKind::Velocity},
                                                           {"MIPlayBackEditor", TSideEditorKind::Playback},
                                                           {"MIMIDIEventEditor", TSideEditorKind::Events},
                                                           {"MISplit", TSideEditorKind::SecondView}};
  for (const auto& [name, kind] : items) {
    auto* item = new TECMenuItem(this);
    item->SetName(name);
    item->SetKind(ikCheckBox);
    item->OnClick = [this, kind](TObject*) {
      if (DocumentCount() > 0)
        if (TFFileEditor* editor = ActiveEditor()) editor->ToggleSideEditor(kind);
    };
    MIWindow->Add(item);
  }
}

void TFProgramModule::UpdateSideEditorItems() {
  TFFileEditor* editor = DocumentCount() > 0 ? ActiveEditor() : nullptr;
    for (const auto& [name, kind] : {std::pair{"MIVelocityEditor", TSideEditorKind::Velocity},
                                      std::pair{"MIPlayBackEditor", TSideEditorKind::Playback},
                                      std::pair{"MIMIDIEventEditor", TSideEditorKind::Events},
                                      std::pair{"MISplit", TSideEditorKind::SecondView}})
      if (auto* item = dynamic_cast<TECMenuItem*>(FindComponent(name))) {
        item->SetEnabled(editor != nullptr);
        item->SetChecked(editor && editor->HasSideEditor(kind));
      }
}

void TFProgramModule::ShowPlayedNote(int status, int data1, int data2) {
  // A message still queued when playback stopped lights nothing: the keys
  // were put out at the stop and would stay lit.
  if (destroying_ || !effects_.ShowPianoNote || !(playing_ || recording_)) return;
  const TPlayedKey change = PlayedKeyChange(status, data1, data2);
  if (change.Action != TPlayedKey::Light && change.Action != TPlayedKey::Unlight) return;
  // The Piano page or the Guitar page, when it is the current one, shows
  // the played note on its keys or fretboard; a note-on of velocity 0
  // takes it off as a note-off does.
  const int pianoPage = PaletteIndex(TPianoSettings::kSection);
  if (pianoPage >= 0 && ActiveTool() == ToolSheets[pianoPage])
    if (auto* piano = dynamic_cast<TFPiano*>(palettes_[pianoPage]))
      piano->ShowMidiMessage(static_cast<uint8_t>(status), midi::DataByte(data1), midi::DataByte(data2));
  constexpr int kGuitarPage = 8;
  if (ActiveTool() == ToolSheets[kGuitarPage])
    if (auto* guitar = dynamic_cast<TFGuitar*>(palettes_[kGuitarPage]))
      guitar->ShowMidiNote(change.Action == TPlayedKey::Light ? midi::NoteOn : midi::NoteOff, midi::DataByte(data1));
}

void TFProgramModule::PutOutPlayedKeys() {
  const int pianoPage = PaletteIndex(TPianoSettings::kSection);
  if (pianoPage >= 0)
    if (auto* piano = dynamic_cast<TFPiano*>(palettes_[pianoPage])) piano->ClearLitKeys();
}

// ------------------------------------------------------------------ pages

void TFProgramModule::ShowToolPage(int page, TQSToolPage* form) {
  // Its keys come here first; its dock button docks it, and a drag away
  // floats it, which is kept for the next time.
  form->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) { FormKeyDown(key, shift); };
  form->OnSetAttached = [this, page, form](bool attached) {
    if (settings_ && mainSettings_.Attached[page] != attached) {
      mainSettings_.Attached[page] = attached;
      settings_->Store(mainSettings_);
    }
    if (attached) form->ManualDock(ToolSheets[page]);
    ToolSheets[page]->SetTabVisible(attached);
  };
  toolBeforePlay_ = PCTools->ActivePage();
  if (mainSettings_.Attached[page]) {
    form->ManualDock(ToolSheets[page]);
    ToolSheets[page]->SetTabVisible(true);
    PCTools->SetActivePage(ToolSheets[page]);
  } else {
    ToolSheets[page]->SetTabVisible(false);
  }
  form->Show();
}

void TFProgramModule::EndToolPage(int page) {
  ToolSheets[page]->SetTabVisible(false);
  if (toolBeforePlay_ && toolBeforePlay_->TabVisible()) PCTools->SetActivePage(toolBeforePlay_);
  toolBeforePlay_ = nullptr;
}

bool TFProgramModule::PlayPageKey(uint16_t key, TShiftState shift) {
  if (shift & (ssCtrl | ssAlt)) return false;
  TECTabSheet* current = PCTools ? PCTools->ActivePage() : nullptr;
  if (recordingPage_ && (current == ToolSheets[kRecordingPage] || recordingPage_->Floating()))
    return recordingPage_->PageKey(key);
  if (playingPage_ && (current == ToolSheets[kPlayingPage] || playingPage_->Floating()))
    return playingPage_->PageKey(key);
  return false;
}

// ------------------------------------------------------------------ commands

void TFProgramModule::APlayExecute() {
  TFFileEditor* editor = ActiveEditor();
  if (!editor || !OpenMidiOutput()) return;
  if (editor->Busy()) return;
  ports_->DisableCloseTimer();
  editor->Player().Repeat = tools_.Reverce;
  editor->StartPlayback();
  playing_ = true;
  if (!playingPage_) {
    playingPage_ = new TFPlaying(this, settings_ ? &settings_->Ini() : nullptr, play_.PlayMetronome);
    playingPage_->OnSetPlayMetronome = [this](bool value) { SetPlayMetronome(value); };
    ShowToolPage(kPlayingPage, playingPage_);
    ShowFullPlayTime();
  }
  UpdateActionStates();
}

void TFProgramModule::ARecordExecute() {
  TFFileEditor* editor = ActiveEditor();
  if (!editor) return;
  if (OpenMidiInput() && !editor->Busy()) {
    OpenMidiOutput();
    ports_->DisableCloseTimer();
    editor->StartRecording();
    recording_ = true;
    ports_->Input.Start();
    if (!recordingPage_) {
      TRecordSettings record;
      record.Quantize = record_.RecordQuantize;
      record.RealTime = record_.RecordRealTime;
      record.Metronome = record_.RecordMetronome;
      record.TwoHands = record_.TwoHands;
      recordingPage_ = new TFRecording(this, settings_ ? &settings_->Ini() : nullptr, record);
      recordingPage_->OnSetRecordQuantize = [this](int ticks) { SetRecordQuantize(ticks); };
      recordingPage_->OnSetRecordRealTime = [this](bool value) { SetRecordRealTime(value); };
      recordingPage_->OnSetRecordMetronome = [this](bool value) { SetRecordMetronome(value); };
      recordingPage_->OnSetTwoHands = [this](bool value) { SetTwoHands(value); };
      recordingPage_->OnEndRecordChord = [this] {
        if (TFFileEditor* doc = ActiveEditor()) doc->Player().ResetRecordPosition();
      };
      ShowToolPage(kRecordingPage, recordingPage_);
    }
  }
  UpdateActionStates();
}

void TFProgramModule::SetPlayRepeats(bool value) {
  for (int i = 0; i < DocumentCount(); ++i)
    if (TFFileEditor* editor = Document(i))
      if (editor->Busy()) editor->Player().Repeat = value;
}

void TFProgramModule::AStopExecute() {
  if (DocumentCount() == 0) return;
  StopPlayAndRecord();
  UpdateActionStates();
}

void TFProgramModule::StopPlayAndRecord() {
  if (recording_) {
    recording_ = false;
    CloseMidiInput();
    delete recordingPage_;
    recordingPage_ = nullptr;
    if (!destroying_) EndToolPage(kRecordingPage);
  } else if (playing_) {
    playing_ = false;
    delete playingPage_;
    playingPage_ = nullptr;
    if (!destroying_) EndToolPage(kPlayingPage);
  }
  for (int i = 0; i < DocumentCount(); ++i)
    if (TFFileEditor* editor = Document(i)) editor->StopPlayback();
  CloseMidiOutput();
  // The end of the track stops here too: nothing sounds, nothing stays lit.
  if (!destroying_) PutOutPlayedKeys();
}

// ------------------------------------------------------------------ settings

void TFProgramModule::SetRecordQuantize(int ticks) {
  // The active score records with the new value at once.
  Settings.SetRecordQuantize(std::clamp(ticks, 8, 512));
}

void TFProgramModule::SetRecordRealTime(bool value) {
  Settings.Set(record_, &TRecordingSettings::RecordRealTime, value);
  if (TFFileEditor* editor = DocumentCount() > 0 ? ActiveEditor() : nullptr)
    if (editor->Player().IsRecording()) editor->Player().SetRecordRealTime(value);
}

void TFProgramModule::SetRecordMetronome(bool value) {
  Settings.Set(record_, &TRecordingSettings::RecordMetronome, value);
  if (TFFileEditor* editor = DocumentCount() > 0 ? ActiveEditor() : nullptr)
    if (editor->Player().IsRecording()) editor->Player().SetRecordMetronome(value);
}

void TFProgramModule::SetTwoHands(bool value) { Settings.SetTwoHands(value); }

void TFProgramModule::SetPlayMetronome(bool value) {
  Settings.Set(play_, &TPlaySettings::PlayMetronome, value);
  if (TFFileEditor* editor = DocumentCount() > 0 ? ActiveEditor() : nullptr)
    editor->Player().SetPlayMetronome(value);
}

}  // namespace qs
