// The Templates menu's drum map: the dialog edits "DrumMap.ini", which
// new scores take over; its Test button sounds the row's key on the
// percussion channel.
#include "app/mainwindow.h"
#include "palettes/drummap.h"
#include "playback/midiports.h"
#include "playback/noteports.h"
#include "platform/paths.h"
#include "uikit/settings.h"

namespace qs {

void TFProgramModule::ADrumMapExecute() {
  // The user's copy is written; the shipped one is read until it exists.
  TFDrumMap dialog(nullptr, settings_ ? &settings_->Ini() : nullptr, platform::FindLibraryIndex(kDrumMapFile),
                   platform::LibraryIndexFileName(kDrumMapFile));
  dialog.OnTestKey = [this](int key) {
    if (!ports_) ports_ = std::make_unique<TMidiPorts>(CreateMidiOutput(devices_.OutputDevice));
    // A device that cannot be opened has said so once.
    if (!ports_->OpenMidiOutput() || !ports_->Output) return;
    ports_->Output->PutShort(0xC9, 0, 0);
    ports_->SoundNote(9, static_cast<uint8_t>(key), 64, true, 64);
  };
  dialog.ShowModal();
}

}  // namespace qs
