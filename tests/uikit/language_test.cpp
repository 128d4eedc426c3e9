// The localisation engine on live forms: language files beside the program
// translate a form when it is made and whenever the language changes, and
// hand out its numbered messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/forms.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "uikit/language.h"
#include "language_entries.h"

namespace qs {
namespace {

using test::Lines;
using test::Text;

// A component with a published string list, as list controls have.
class TLinesHolder : public TComponent {
 public:
  using TComponent::TComponent;
  TStringList Items;
  const TPropTable& Published() const override {
    static const TPropTable table(
        &TComponent::Published(),
        {StringsProp<TLinesHolder>(
            "Items", [](const TLinesHolder& h) { return h.Items; },
            [](TLinesHolder& h, const TStringList& v) { h.Items = v; })});
    return table;
  }
};




class LanguageEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("qs-language-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    platform::SetProgramDirForTesting(dir_.string() + "/");
    Write("ENU", {{"FTest",
                   {Text("Caption", "Settings"), Text("BOk.Caption", "Apply"), Lines("LHolder.Items", {"Staff", "Voice"})},
                   {"Really delete?", "Saved"}}});
    Write("RUS", {{"FTest",
                   {Text("Caption", "Настройки"), Text("BOk.Caption", "Применить"),
                    Lines("LHolder.Items", {"Нотоносец", "Голос"}), test::Font("BOk.Font", "Liberation Serif", 204, 12)},
                   {"Удалить?", "Сохранено"}}});
    Write("DEU", {{"FTest",
                   {Text("Caption", "Einstellungen"), Text("BOk.Caption", "Anwenden"), Lines("LHolder.Items", {})},
                   {"Wirklich löschen?"}}});
  }
  void TearDown() override {
    platform::SetProgramDirForTesting("");
    std::filesystem::remove_all(dir_);
  }
  void Write(const std::string& code, const std::vector<TLanguageFormRecord>& forms) {
    std::vector<uint8_t> bytes = BuildLanguageFile(forms, LanguageCodePage(code));
    std::ofstream(TECLanguage::LanguageFileName(code), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // A form as forms are built in code: its components, then the form's
  // language component, which translates it once everything exists.
  struct TTestForm {
    std::unique_ptr<TForm> Form;
    TButton* Ok = nullptr;
    TLinesHolder* Holder = nullptr;
    TECFormLanguage* Language = nullptr;
  };
  TTestForm MakeForm() {
    TTestForm f;
    f.Form = std::make_unique<TForm>(nullptr);
    f.Form->SetName("FTest");
    f.Form->SetCaption("Settings");
    f.Ok = new TButton(f.Form.get());
    f.Ok->SetName("BOk");
    f.Ok->SetParent(f.Form.get());
    f.Ok->SetCaption("Apply");
    f.Holder = new TLinesHolder(f.Form.get());
    f.Holder->SetName("LHolder");
    f.Language = new TECFormLanguage(f.Form.get());
    f.Language->SetExLanguage("ENU");
    f.Language->Loaded();
    return f;
  }

  std::filesystem::path dir_;
};

TEST_F(LanguageEngine, ALiveFormFollowsTheLanguage) {
  TComponent mainWindow(nullptr);
  auto engine = new TECLanguage(&mainWindow);
  int changes = 0;
  engine->OnLanguageChange = [&](TObject* sender) {
    EXPECT_EQ(sender, engine);
    ++changes;
  };
  TTestForm f = MakeForm();
  EXPECT_EQ(f.Form->Caption(), "Settings");  // nothing loaded yet: the built-in English stays

  engine->SetLanguage("RUS");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(f.Form->Caption(), "Настройки");
  EXPECT_EQ(f.Ok->Caption(), "Применить");
  EXPECT_EQ(f.Holder->Items.Text(), "Нотоносец\nГолос\n");
  EXPECT_EQ(f.Ok->Font().Name, "Liberation Serif");
  EXPECT_EQ(f.Ok->Font().Size(), 12);
  EXPECT_EQ(f.Language->GetMessage(1), "Сохранено");

  engine->SetLanguage("DEU");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(f.Form->Caption(), "Einstellungen");
  EXPECT_EQ(f.Ok->Caption(), "Anwenden");
  EXPECT_EQ(f.Holder->Items.Count(), 0);  // an empty list empties the target
  EXPECT_EQ(f.Language->GetMessage(0), "Wirklich löschen?");
  EXPECT_EQ(f.Language->GetMessage(1), "");  // DEU has one message only
  EXPECT_EQ(f.Language->GetMessage(-1), "");

  engine->SetLanguage("deu");  // the same code in another case
  EXPECT_EQ(changes, 2);
}

TEST_F(LanguageEngine, FormsMadeBeforeTheEngineWaitForIt) {
  TTestForm f = MakeForm();
  EXPECT_EQ(f.Language->GetMessage(0), "");  // no engine: no messages
  TComponent mainWindow(nullptr);
  auto engine = new TECLanguage(&mainWindow);
  engine->SetLanguage("RUS");
  EXPECT_EQ(f.Form->Caption(), "Настройки");
  // A second engine on the same window is refused.
  EXPECT_THROW(new TECLanguage(&mainWindow), ECLanguageException);
  EXPECT_THROW(new TECFormLanguage(nullptr), ECLanguageException);
}

TEST_F(LanguageEngine, FilesOfAnotherVersionOrMissingKeepTheLanguageInUse) {
  TComponent mainWindow(nullptr);
  auto engine = new TECLanguage(&mainWindow);
  TTestForm f = MakeForm();
  engine->SetLanguage("RUS");
  ASSERT_EQ(f.Form->Caption(), "Настройки");

  // ITA with a version byte of 17: Language says ITA, Russian stays loaded.
  Write("ITA", {{"FTest", {Text("Caption", "Impostazioni")}, {}}});
  {
    std::fstream file(TECLanguage::LanguageFileName("ITA"), std::ios::binary | std::ios::in | std::ios::out);
    std::vector<uint8_t> header(2);
    file.read(reinterpret_cast<char*>(header.data()), 2);
    file.seekp(2 + (header[0] | header[1] << 8));
    file.put(17);
  }
  engine->SetLanguage("ITA");
  EXPECT_EQ(engine->Language(), "ITA");
  EXPECT_EQ(f.Form->Caption(), "Настройки");
  EXPECT_EQ(f.Language->GetMessage(0), "Удалить?");

  engine->SetLanguage("FRA");  // no file at all
  EXPECT_EQ(f.Form->Caption(), "Настройки");
}

TEST_F(LanguageEngine, OnlyFormsWithALanguageAreTranslatedButAllGetMessages) {
  TComponent mainWindow(nullptr);
  auto engine = new TECLanguage(&mainWindow);
  TTestForm f = MakeForm();
  f.Language->SetExLanguage("");
  engine->SetLanguage("RUS");
  EXPECT_EQ(f.Form->Caption(), "Settings");
  EXPECT_EQ(f.Language->GetMessage(0), "Удалить?");
}

TEST_F(LanguageEngine, PathsThatLeadNowhereChangeNothing) {
  Write("RUS", {{"FTest",
                 {Text("Nobody.Caption", "x"), Text("BOk.Columns[a].Caption", "x"), Lines("Caption", {"a", "b"}),
                  Text("LHolder.Items", "text into a list"), Text("BOk.Caption", "Да")},
                 {}}});
  TComponent mainWindow(nullptr);
  auto engine = new TECLanguage(&mainWindow);
  TTestForm f = MakeForm();
  f.Holder->Items.Add("kept");
  engine->SetLanguage("RUS");
  EXPECT_EQ(f.Form->Caption(), "Settings");
  EXPECT_EQ(f.Holder->Items.Text(), "kept\n");
  EXPECT_EQ(f.Ok->Caption(), "Да");
}

}  // namespace
}  // namespace qs
