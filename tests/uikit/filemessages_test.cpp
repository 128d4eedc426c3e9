// Messages about files reach the user in the interface language: every
// language file holds them, the English file as the program raises them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/filemessages.h"
#include "platform/components.h"
#include "platform/paths.h"
#include "uikit/language.h"
#include "uikit/lrf.h"

namespace qs {
namespace {

// The numbered messages of a readable language source, in their order.
std::vector<std::string> SourceMessages(const std::string& code) {
  std::ifstream in(std::string(QS_SOURCE_DIR) + "/resources/lang/" + code + "/" + kFileMessageRecord + ".txt");
  std::vector<std::string> messages;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind('#', 0) != 0) continue;
    const size_t eq = line.find(" = ");
    if (eq == std::string::npos) continue;
    EXPECT_EQ(line.substr(1, eq - 1), std::to_string(messages.size())) << code;
    messages.push_back(line.substr(eq + 3));
  }
  return messages;
}

TEST(FileMessageTexts, EveryLanguageHoldsEveryMessage) {
  const std::vector<std::string> english = SourceMessages("ENU");
  ASSERT_EQ(english.size(), static_cast<size_t>(kFileMessageCount));
  for (int i = 0; i < kFileMessageCount; ++i)
    EXPECT_EQ(english[static_cast<size_t>(i)], FileMessageEnglish(static_cast<TFileMessage>(i))) << i;
  for (const char* code : {"DEU", "FRA", "ITA", "RUS"}) {
    const std::vector<std::string> own = SourceMessages(code);
    ASSERT_EQ(own.size(), english.size()) << code;
    for (size_t i = 0; i < own.size(); ++i) {
      EXPECT_NE(own[i], english[i]) << code << " #" << i << " is left in English";
      // The same arguments in every language.
      for (const char* arg : {"%1", "%2"})
        EXPECT_EQ(own[i].find(arg) == std::string::npos, english[i].find(arg) == std::string::npos)
            << code << " #" << i << " " << arg;
    }
  }
}

class FileMessageLanguage : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("qs-filemessages-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    platform::SetProgramDirForTesting(dir_.string() + "/");
    for (const char* code : {"ENU", "DEU", "RUS"}) {
      TLanguageFormRecord record;
      record.FormName = kFileMessageRecord;
      record.Messages = SourceMessages(code);
      const std::vector<uint8_t> bytes = BuildLanguageFile({record}, LanguageCodePage(code));
      std::ofstream(TECLanguage::LanguageFileName(code), std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
  }
  void TearDown() override {
    owner_.reset();
    platform::SetProgramDirForTesting("");
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
  // The engine belongs to its owner and goes with it.
  std::unique_ptr<TComponent> owner_;
  TECLanguage* engine_ = nullptr;
};

TEST_F(FileMessageLanguage, ErrorsAboutFilesSpeakTheInterfaceLanguage) {
  const EFileMessage<EWriteError> full(TFileMessage::SaveDiskFull, {"/tmp/a.sfd"});
  const EFileMessage<EInvalidOperation> pages(TFileMessage::TooManyPages, {"5000", "1000"});
  const EReadError other("Stream read error");
  // Without an engine: English, as raised.
  EXPECT_EQ(UserErrorText(full), full.what());
  owner_ = std::make_unique<TComponent>(nullptr);
  engine_ = new TECLanguage(owner_.get());
  engine_->SetLanguage("DEU");
  EXPECT_EQ(UserErrorText(full), "Die Datei \"/tmp/a.sfd\" konnte nicht gespeichert werden: Der Datenträger ist voll.");
  EXPECT_EQ(UserErrorText(pages),
            "5000 Seiten können nicht auf einmal exportiert werden, höchstens 1000. Exportieren Sie weniger Seiten.");
  EXPECT_EQ(UserErrorText(other), "Stream read error");
  engine_->SetLanguage("RUS");
  EXPECT_EQ(UserErrorText(full), "Не удалось сохранить файл «/tmp/a.sfd»: диск заполнен.");
}

}  // namespace
}  // namespace qs
