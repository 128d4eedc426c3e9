#pragma once
// For tests: input sent through the window system, as a user's mouse and
// keyboard would send it, to controls on a shown form. Coordinates are the
// control's client coordinates; each call returns after the input has been
// handled.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/controls.h"

namespace qs {

class TBitmap;
class TCustomForm;

namespace testdriver {

// Shows the form and waits until the window system shows and activates it.
void ShowAndWait(TCustomForm& form);
void ProcessMessages();
// The shown form as the screen shows it, with its frame: the windows of
// their own open over it (a drop-down list, a picker) are drawn in place;
// a form docked inside another is drawn by its host, where it shows.
std::unique_ptr<TBitmap> GrabAsShown(TCustomForm& form);

void MouseDown(TControl& control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = 0);
// With the buttons held from earlier MouseDown calls.
void MouseMove(TControl& control, int x, int y, TShiftState shift = 0);
void MouseUp(TControl& control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = 0);
void Click(TControl& control, int x, int y, TMouseButton button = mbLeft, TShiftState shift = 0);
void DoubleClick(TControl& control, int x, int y, TShiftState shift = 0);
// delta in wheel units (WHEEL_DELTA per notch; positive away from the user).
void Wheel(TControl& control, int x, int y, int delta, TShiftState shift = 0);

// To the window that has the keyboard focus in control's form.
void KeyDown(TControl& control, uint16_t vk, TShiftState shift = 0);
void KeyUp(TControl& control, uint16_t vk, TShiftState shift = 0);
void PressKey(TControl& control, uint16_t vk, TShiftState shift = 0);
// Types UTF-8 text character by character.
void TypeText(TControl& control, const std::string& utf8);
// Text composed by an input method and committed to the focused control.
void ComposeText(TControl& control, const std::string& utf8);

// Runs fn from the message loop after ms milliseconds (for answering a
// modal window from inside its own loop).
void Later(std::function<void()> fn, int ms = 0);
// Waits until a modal window (a dialog, a message box) is shown and
// active; false when none appears within the time.
bool WaitForModal(int timeoutMs = 3000);
// Keys and text to the modal window that is active.
void KeyToModal(uint16_t vk, TShiftState shift = 0);
void TypeToModal(const std::string& utf8);

}  // namespace testdriver
}  // namespace qs
