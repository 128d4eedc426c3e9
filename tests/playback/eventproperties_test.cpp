// The event properties dialog driven by keys and clicks: typed text moves
// the fields, the fields write the text, the controller list picks by
// name, and OK takes only a text that splits into complete messages.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/comctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "playback/eventproperties.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/names.h"

namespace qs::test {
namespace {

namespace td = testdriver;

struct TShownDialog {
  TFEventProperties Form{nullptr, nullptr};
  TShownDialog() { td::ShowAndWait(Form); }
  void Type(const std::string& text) {
    Form.EEvent->SetFocus();
    td::TypeText(*Form.EEvent, text);
  }
};

// The place of a controller in the list of named ones.
int ListIndex(int controller) {
  int index = 0;
  for (int n = 0; n < controller; ++n) index += ControllerName(n).empty() ? 0 : 1;
  return index;
}

TEST(EventProperties, TypedTextMovesTheFields) {
  struct TCase {
    const char* Typed;
    const char* Shown;
    int Row, Channel, Note, Velocity, Value, Program;
  };
  // -1: as the dialog starts (note none, velocity 127, value 8191, program 0).
  const TCase cases[] = {
      {"933c64", "933C64", ekNoteOn, 3, 60, 100, 8191, 0},
      {"8a40", "8A40", ekNoteOff, 10, 64, 127, 8191, 0},
      {"E0", "E0", ekPitchBend, 0, -1, 127, 0, 0},
      {"E0007F", "E0007F", ekPitchBend, 0, -1, 127, 16256, 0},
      {"C0FF", "C0FF", ekProgram, 0, -1, 127, 8191, 255},
      {"C219", "C219", ekProgram, 2, -1, 127, 8191, 25},
      {"D540", "D540", ekChannelPressure, 5, -1, 64, 8191, 0},
      {"B07B00", "B07B00", ekControl, 0, -1, 127, 8191, 0},
      // Only digits are taken; other first digits change nothing.
      {"x5-0", "50", ekFree, 0, -1, 127, 8191, 0},
      {"F0 7E", "F07E", ekFree, 0, -1, 127, 8191, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    TShownDialog d;
    d.Type(c.Typed);
    EXPECT_EQ(d.Form.EventText(), c.Shown);
    EXPECT_EQ(d.Form.LVEvents->ItemIndex(), c.Row);
    EXPECT_EQ(d.Form.CBChannel->ItemIndex(), c.Channel);
    EXPECT_EQ(d.Form.ENote->ItemIndex(), c.Note);
    EXPECT_EQ(d.Form.TBVelocity->Position(), c.Velocity);
    EXPECT_EQ(d.Form.TBValue->Position(), c.Value);
    EXPECT_EQ(d.Form.Program(), c.Program);
    EXPECT_EQ(d.Form.EProgram->Text(), c.Program == 255 ? "" : InstrumentName(c.Program));
    EXPECT_EQ(d.Form.TBValue->Visible(), c.Row == ekPitchBend);
    EXPECT_EQ(d.Form.ENote->Visible(), c.Row >= ekNoteOff && c.Row <= ekKeyPressure);
    EXPECT_EQ(d.Form.EControl->Visible(), c.Row == ekControl);
  }
}

TEST(EventProperties, FieldsWriteTheText) {
  TShownDialog d;
  // Without a language file the notes are named in English, name first.
  EXPECT_EQ(d.Form.ENote->Items()[60], "C 5");
  EXPECT_EQ(d.Form.ENote->Items()[70], "Bb 5");
  // The note-on row, channel 3, the note C 5, velocity 100.
  d.Form.LVEvents->SetFocus();
  td::PressKey(*d.Form.LVEvents, VK_DOWN);
  td::PressKey(*d.Form.LVEvents, VK_DOWN);
  EXPECT_EQ(d.Form.EventText(), "90007F");
  d.Form.CBChannel->SetFocus();
  for (int i = 0; i < 3; ++i) td::PressKey(*d.Form.CBChannel, VK_DOWN);
  d.Form.ENote->SetFocus();
  td::TypeText(*d.Form.ENote, "C 5");
  d.Form.TBVelocity->SetFocus();
  for (int i = 0; i < 27; ++i) td::PressKey(*d.Form.TBVelocity, VK_LEFT);
  EXPECT_EQ(d.Form.EventText(), "933C64");

  // Control change typed: a later change of the channel writes the
  // controller and the value the fields hold.
  d.Form.EEvent->SetFocus();
  td::PressKey(*d.Form.EEvent, 'A', ssCtrl);
  td::PressKey(*d.Form.EEvent, VK_DELETE);
  EXPECT_EQ(d.Form.LVEvents->ItemIndex(), ekFree);
  d.Type("B07B00");
  d.Form.CBChannel->SetFocus();
  td::PressKey(*d.Form.CBChannel, VK_DOWN);
  EXPECT_EQ(d.Form.EventText(), "B10064");
}

TEST(EventProperties, NotesAreNamedInTheInterfaceLanguage) {
  TComponent owner(nullptr);
  auto* engine = new TECLanguage(&owner);
  const std::tuple<const char*, int, const char*> cases[] = {
      {"DEU", 71, "H 5"}, {"DEU", 70, "B 5"}, {"FRA", 67, "Sol 5"}, {"ITA", 62, "Re 5"}, {"RUS", 67, "Соль 5"}};
  for (const auto& [language, key, name] : cases) {
    engine->SetLanguage(language);
    TShownDialog d;
    EXPECT_EQ(d.Form.ENote->Items()[key], name) << language;
  }
}

TEST(EventProperties, TheControllerListPicksByName) {
  TShownDialog d;
  d.Type("B0");
  for (const auto& [key, expected] : {std::pair{VK_ESCAPE, 0}, std::pair{VK_RETURN, 7}}) {
    td::Later([key = key] {
      ASSERT_TRUE(td::WaitForModal());
      auto* chooser = dynamic_cast<TFChooseControl*>(Screen().ActiveForm());
      ASSERT_NE(chooser, nullptr);
      EXPECT_EQ(chooser->ChosenController(), 0);
      for (int i = 0; i < ListIndex(7); ++i) td::KeyToModal(VK_DOWN);
      td::KeyToModal(key);
    });
    td::Click(*d.Form.SBControl, 5, 5);
    EXPECT_EQ(d.Form.Controller(), expected);
  }
  EXPECT_EQ(d.Form.EControl->Text(), ControllerName(7));
  EXPECT_EQ(d.Form.EventText(), "B0077F");

  TFChooseControl list(nullptr);
  EXPECT_EQ(list.LBControls->Items()[ListIndex(7)], "  7." + ControllerName(7));
  EXPECT_EQ(list.LBControls->Items()[ListIndex(100)], "100." + ControllerName(100));
  list.SelectController(3);  // unnamed: nothing changes
  EXPECT_EQ(list.ChosenController(), -1);
}

// The program list begins with no program, written as FF.
TEST(EventProperties, TheProgramListOffersNone) {
  TShownDialog d;
  d.Type("C0");
  for (const auto& [item, program, text] : {std::tuple{0, kNoProgram, "C0FF"}, std::tuple{6, 5, "C005"}}) {
    td::Later([item = item] {
      ASSERT_TRUE(td::WaitForModal());
      td::KeyToModal(VK_HOME);
      for (int i = 0; i < item; ++i) td::KeyToModal(VK_DOWN);
      td::KeyToModal(VK_RETURN);
    });
    td::Click(*d.Form.SBProgram, 5, 5);
    EXPECT_EQ(d.Form.Program(), program);
    EXPECT_EQ(d.Form.EventText(), text);
  }
  EXPECT_EQ(d.Form.EProgram->Text(), InstrumentName(5));
}

TEST(EventProperties, OkTakesOnlyCompleteMessages) {
  TFEventProperties form(nullptr, nullptr);
  std::string refusal;
  td::Later([&] {
    ASSERT_TRUE(td::WaitForModal());
    form.EEvent->SetFocus();
    td::TypeText(*form.EEvent, "933C6");
    td::Later([&] {
      ASSERT_TRUE(td::WaitForModal());
      auto* box = dynamic_cast<TFMessageBlock*>(Screen().ActiveForm());
      ASSERT_NE(box, nullptr);
      refusal = box->MMessageBlock->Caption();
      td::KeyToModal(VK_RETURN);
    });
    td::Click(*form.BBOk, 10, 10);
    EXPECT_EQ(form.ModalResult(), mrNone);
    // Running status: the second note is written out whole.
    td::TypeText(*form.EEvent, "4 3E40");
    td::Click(*form.BBOk, 10, 10);
  });
  ASSERT_EQ(form.ShowModal(), mrOk);
  EXPECT_NE(refusal.find("only one digit"), std::string::npos) << refusal;
  EXPECT_EQ(form.EventBytes(), (std::vector<uint8_t>{0x93, 0x3C, 0x64, 0x93, 0x3E, 0x40}));
}

}  // namespace
}  // namespace qs::test
