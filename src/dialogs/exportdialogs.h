#pragma once
// The small dialogs of the document window: the options of the page-picture
// export (TFExportSetting) and of the PDF export (TFPDFSetting) and the
// drop-down volume or pan control of a part (TFVolumeBalance); the picture
// dialog is the Design palette's (palettes/imageproperties.h). The export dialogs keep their
// options in the settings, also when they are cancelled.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "uikit/settings.h"

namespace qs {

class TBitmap;
class TButton;
class TCheckBox;
class TECFormLanguage;
class TEdit;
class TGroupBox;
class TLabel;
class TOpenDialog;
class TPanel;
class TRadioButton;
class TTrackBar;
class TUpDown;

struct TExportImageSettings {
  static constexpr const char* kSection = "ExportSetting";
  TExportImageSettings() { LoadDefaults(*this); }
  bool DoublePage;
  int PageRange;    // 0 all pages, 1 FromPage..ToPage
  int FromPage, ToPage;
  int PixelFormat;  // 0 8 bits, 1 24 bits
  int Quality;      // JPEG, 20..100
  int Scale;        // percent, 25..300
  void Visit(TSettingsIO& io);
};

struct TPDFSettings {
  static constexpr const char* kSection = "PDFSetting";
  TPDFSettings() { LoadDefaults(*this); }
  int PageRange;
  int FromPage, ToPage;
  int Scale;  // percent, 25..200
  bool ImagesAsJpeg;
  bool Compressed;
  void Visit(TSettingsIO& io);
};

// "All pages" or "Pages from .. to ..": the group both export dialogs show.
// The up-down buttons keep From at most To: a click on To's lowers From, a
// click on From's raises To.
class TPageRangeChoice {
 public:
  TPageRangeChoice(TCustomForm* form, int left, int top, int width);
  TGroupBox* RGPageRange = nullptr;
  TRadioButton* RBAllPages = nullptr;
  TRadioButton* RBPageRange = nullptr;
  TLabel* LFrom = nullptr;
  TEdit* EFrom = nullptr;
  TUpDown* UDFromPage = nullptr;
  TLabel* LTo = nullptr;
  TEdit* ETo = nullptr;
  TUpDown* UDToPage = nullptr;

  // The first page may be chosen from 1 to n - 1, the last from 1 to n.
  void SetPageCount(int n);
  int PageRange() const;  // 0 all, 1 from .. to
  void SetPageRange(int range);
  // As entered, counted from 1, within the up-downs' bounds.
  int FromPage() const;
  int ToPage() const;
  void SetPages(int from, int to);
};

class TFExportSetting : public TForm {
 public:
  // settings: where the options and the place are kept, or null.
  TFExportSetting(TComponent* owner, TSettings* settings);
  ~TFExportSetting() override;
  const char* ClassName() const override { return "TFExportSetting"; }

  TPageRangeChoice Range;
  TCheckBox* CBDoublePage = nullptr;
  TGroupBox* RGFormat = nullptr;
  TRadioButton* RB8Bit = nullptr;
  TRadioButton* RB24Bit = nullptr;
  TLabel* LQuality = nullptr;
  TTrackBar* TBQuality = nullptr;
  TLabel* LScale = nullptr;
  TTrackBar* TBScale = nullptr;
  TLabel* LScalePerCent = nullptr;
  TButton* BBOk = nullptr;
  TButton* BBCancel = nullptr;
  TECFormLanguage* FLExportSetting = nullptr;

  // Bit 1 shows the JPEG quality, bit 0 the pixel format.
  void SetOptionsVisible(int flags);
  void SetPageCount(int n) { Range.SetPageCount(n); }
  int GetPixelFormat() const;
  int GetQuality() const;
  int GetScale() const;
  bool GetDoublePage() const;
  int GetPageRange() const { return Range.PageRange(); }
  int GetFromPage() const { return Range.FromPage(); }
  int GetToPage() const { return Range.ToPage(); }

 private:
  void ShowQuality();
  TSettings* settings_;
};

class TFPDFSetting : public TForm {
 public:
  TFPDFSetting(TComponent* owner, TSettings* settings);
  ~TFPDFSetting() override;
  const char* ClassName() const override { return "TFPDFSetting"; }

  TPageRangeChoice Range;
  TLabel* LScale = nullptr;
  TTrackBar* TBScale = nullptr;
  TLabel* LScalePerCent = nullptr;
  TCheckBox* CBImagesAsJpeg = nullptr;
  TCheckBox* CBCompressed = nullptr;
  TButton* BBOk = nullptr;
  TButton* BBCancel = nullptr;
  TECFormLanguage* FLPDFSetting = nullptr;

  void SetPageCount(int n) { Range.SetPageCount(n); }
  int GetScale() const;
  bool GetImagesAsJpeg() const;
  bool GetCompressed() const;
  int GetPageRange() const { return Range.PageRange(); }
  int GetFromPage() const { return Range.FromPage(); }
  int GetToPage() const { return Range.ToPage(); }

 private:
  TSettings* settings_;
};

// A drop-down track bar for a part's volume or pan, 0..127; cleared, the
// value is "not set" (-1).
class TFVolumeBalance : public TForm {
 public:
  explicit TFVolumeBalance(TComponent* owner);
  const char* ClassName() const override { return "TFVolumeBalance"; }

  TTrackBar* TBValue = nullptr;
  TCheckBox* CBLock = nullptr;
  TECFormLanguage* FLVolumeBalance = nullptr;

  // A negative value: the track in the middle (63) and the box cleared.
  void SetValue(int value);
  // The track's position while the box is checked, else -1.
  int Value() const;
  std::function<void(TObject* sender, int value)> OnChange;

 private:
  bool setting_ = false;
};

// Makes the dialogs known to the review tools (formshot).
void RegisterExportDialogForms();

}  // namespace qs
