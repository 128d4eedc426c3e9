#pragma once
// "Preview": a modal print preview of a score, one or two pages side by
// side, with zoom, page navigation and a Print command. It keeps its place
// and the page count in the settings ([PreviewForm]).
#include <string>

#include "platform/forms.h"
#include "uikit/settings.h"

namespace qs {

class TAction;
class TActionList;
class TComboBox;
class TECFormLanguage;
class TECMenu;
class TPanel;
class TQSScore;
class TQSWindow;
class TSpeedButton;

struct TPreviewSettings {
  static constexpr const char* kSection = "PreviewForm";
  TPreviewSettings() { LoadDefaults(*this); }
  bool PageCount;  // true: one page, false: two side by side
  void Visit(TSettingsIO& io);
};

class TFPreviewModule : public TForm {
 public:
  TFPreviewModule(TComponent* owner, TSettings* settings);
  ~TFPreviewModule() override;
  const char* ClassName() const override { return "TFPreviewModule"; }

  TPanel* PTools = nullptr;
  TSpeedButton* CBOnePage = nullptr;
  TSpeedButton* CBTwoPage = nullptr;
  TComboBox* CBScale = nullptr;
  TECMenu* MMPreview = nullptr;
  TQSWindow* QSPreview = nullptr;
  TActionList* ALPreview = nullptr;
  TAction* APrint = nullptr;
  TAction* APrintSettings = nullptr;
  TAction* AFirst = nullptr;
  TAction* APrev = nullptr;
  TAction* ANext = nullptr;
  TAction* ALast = nullptr;
  TECFormLanguage* FLPreview = nullptr;

  // Shows the score (null: none); the title names the print job.
  void SetScore(TQSScore* score, const std::string& title);
  // The first page shown (0 the first).
  int CurrentPage() const;
  void GotoPage(int index);
  void FirstPage();
  void PrevPage();
  void NextPage();
  void LastPage();
  // One or two pages to a row; the zoom is then fitted to the height.
  void SetPagesPerRow(int pages);
  // The zoom list's item: 0 the page width, 1 its height, else a percent.
  void ApplyScale(int item);
  void UpdatePageActions();

 private:
  void KeyDown(uint16_t& key, TShiftState shift);
  int PageCount() const;
  TSettings* settings_;
  TQSScore* score_ = nullptr;
  std::string title_;
};

// Shows the preview of a score modally (the main window's Preview command).
void ShowPreview(TQSScore& score, const std::string& title, TSettings* settings);

void RegisterPreviewForms();

}  // namespace qs
