#include "dialogs/devicehost.h"

#include <algorithm>

#include "platform/stdctrls.h"

namespace qs {

namespace {

void List(TComboBox* box, const std::vector<std::string>& devices, const std::string& chosen) {
  TStringList items;
  for (const std::string& d : devices) items.Add(d);
  box->SetItems(items);
  const auto it = std::find(devices.begin(), devices.end(), chosen);
  box->SetItemIndex(it != devices.end() ? static_cast<int>(it - devices.begin()) : devices.empty() ? -1 : 0);
}

std::string Chosen(const TComboBox* box, const std::vector<std::string>& devices) {
  const int i = box->ItemIndex();
  return i >= 0 && i < static_cast<int>(devices.size()) ? devices[static_cast<size_t>(i)] : std::string();
}

}  // namespace

void TDeviceControls::Fill() {
  if (Host) {
    Outputs = Host->OutputDevices();
    Inputs = Host->InputDevices();
  }
  List(Output, Outputs, Host ? Host->OutputDevice() : std::string());
  List(Input, Inputs, Host ? Host->InputDevice() : std::string());
  Test->SetVisible(Host && Host->HasTestFile());
  Stop->SetVisible(false);
  Volume->SetVisible(Host && Host->HasVolumeProgram());
  Test->OnClick = [this](TObject*) { TestClick(); };
  Stop->OnClick = [this](TObject*) { StopClick(); };
  Volume->OnClick = [this](TObject*) {
    if (Host) Host->StartVolumeProgram();
  };
}

void TDeviceControls::Choose() {
  if (!Host) return;
  const std::string output = Output->ItemIndex() > 0 ? Chosen(Output, Outputs) : std::string();
  Host->SetMidiDevices(output, Chosen(Input, Inputs));
}

void TDeviceControls::TestClick() {
  if (!Host) return;
  Stop->SetVisible(true);
  Test->SetVisible(false);
  if (!Host->StartTestPlay([this] { StopClick(); })) StopClick();
}

void TDeviceControls::StopClick() {
  if (Host) Host->StopTestPlay();
  Test->SetVisible(Host && Host->HasTestFile());
  Stop->SetVisible(false);
}

}  // namespace qs
