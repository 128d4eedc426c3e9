// The side editors' own windows: buttons, keys and closing reach the
// document window, the bounds come back by the settings file's rules, and
// the button row stays in the bottom-left corner.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/inifile.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "playback/editorhosts.h"
#include "uikit/charbutton.h"

namespace qs::test {
namespace {

namespace td = testdriver;

struct TDocument : TQSEditorHostOwner {
  std::vector<std::string> Said;
  void EditorButtonClick(TObject*, const char* name) override { Said.push_back(std::string("click ") + name); }
  void EditorButtonMouse(TObject*, const char* name, bool down, TMouseButton, TShiftState) override {
    Said.push_back(std::string(down ? "down " : "up ") + name);
  }
  void DockEditor(TControl*) override { Said.push_back("dock"); }
  void RemoveEditor(TControl* editor) override { Said.push_back(editor ? "remove " + editor->Name() : "remove"); }
  void FormKeyDown(TObject*, uint16_t& key, TShiftState) override {
    Said.push_back("key " + std::to_string(key));
    key = 0;
  }
};

// An editor that notes the keys that reach it.
struct TEditorStandIn : TCustomControl {
  explicit TEditorStandIn(TComponent* owner) : TCustomControl(owner) {
    SetName("Editor");
    SetTabStop(true);
  }
  int Keys = 0;
  void KeyDown(uint16_t& key, TShiftState shift) override {
    ++Keys;
    TCustomControl::KeyDown(key, shift);
  }
};

TEST(EditorHosts, ButtonsKeysAndClosingReachTheDocument) {
  TDocument document;
  TFVelocity velocity(nullptr, nullptr);
  velocity.Document = &document;
  auto* editor = new TEditorStandIn(&velocity);
  velocity.SetEditor(editor);
  td::ShowAndWait(velocity);
  td::Click(*velocity.SBIncVelocity, 8, 8);
  td::Click(*velocity.SBAlignVelocity, 8, 8);
  // The frame's second button docks the editor.
  const TRect frame = velocity.FrameInsets();
  td::Click(velocity, velocity.Width() - 15 - 7 - frame.Left, 8 - frame.Top);
  editor->SetFocus();
  td::PressKey(*editor, VK_RIGHT);
  EXPECT_EQ(editor->Keys, 0);
  velocity.Close();
  EXPECT_EQ(document.Said, (std::vector<std::string>{"down SBIncVelocity", "up SBIncVelocity", "click SBIncVelocity",
                                                     "click SBAlignVelocity", "dock", "key 39", "remove Editor"}));

  TFEvent events(nullptr, nullptr);
  EXPECT_FALSE(events.CBEditEvent->Enabled());
  EXPECT_FALSE(events.CBDeleteEvent->Enabled());
  td::ShowAndWait(events);
  td::Click(*events.CBAddEvent, 8, 8);  // no document: nothing happens
  events.Document = &document;
  td::Click(*events.CBAddEvent, 8, 8);
  EXPECT_EQ(document.Said.back(), "click CBAddEvent");
}

TEST(EditorHosts, BoundsAndTheButtonRow) {
  const std::string file =
      (std::filesystem::temp_directory_path() / ("qs-hosts-" + std::to_string(::getpid()) + ".ini")).string();
  std::filesystem::remove(file);
  TIniFile settings(file);
  struct TCase {
    const char* Saved;
    int Left, Top, Width, Height;  // -1: as designed
  };
  const TCase cases[] = {{"10,20", 10, -1, -1, 20}, {"-800,5,649,193", 0, 5, 649, 193}, {"-600,5,649,193", -600, 5, 649, 193}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Saved);
    TFPlayback designed(nullptr, nullptr);
    settings.WriteString("FPlayback", "Bounds", c.Saved);
    TFPlayback form(nullptr, &settings);
    EXPECT_EQ(form.Left(), c.Left);
    EXPECT_EQ(form.Top(), c.Top < 0 ? designed.Top() : c.Top);
    EXPECT_EQ(form.Width(), c.Width < 0 ? designed.Width() : c.Width);
    EXPECT_EQ(form.Height(), c.Height);
  }
  TDocument document;
  TFPlayback form(nullptr, &settings);
  form.Document = &document;
  td::ShowAndWait(form);
  form.SetBounds(40, 50, form.Width(), form.Height());
  td::ProcessMessages();
  EXPECT_EQ(form.ButtonPanel()->Top() + form.ButtonPanel()->Height(), form.ClientHeight());
  EXPECT_EQ(form.ButtonPanel()->Left(), 24);
  form.Close();
  EXPECT_EQ(settings.ReadString("FPlayback", "Bounds", ""),
            "40,50," + std::to_string(form.Width()) + "," + std::to_string(form.Height()));
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace qs::test
