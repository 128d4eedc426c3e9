// The File menu's exports and printing, and the main window's commands
// that run them on the active document.
#include "app/printing.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "base/exceptions.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "dialogs/exportdialogs.h"
#include "platform/controls.h"
#include "platform/forms.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/timers.h"
#include "playback/waveexportform.h"
#include "render/print.h"
#include "render/window.h"
#include "score/score.h"
#include "uikit/catalogue.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/settings.h"

namespace qs {

namespace {

constexpr const char* kRecord = "FFileCommands";

void ShowFailure(const std::string& text) {
  ShowMessageBlock(FileCommandText(TFileCommandText::ErrorTitle), text, kMessageWarning, kMessageOk);
}

// The file to export to: the save dialog with the filter, starting from the
// document's name. The filter index follows the typed extension when it
// names one of the filter's types (a name typed as "page.gif" is a GIF
// whatever type the list shows). False when cancelled.
bool AskExportFile(TFFileEditor& document, const std::string& filter, std::string& fileName, int& filterIndex) {
  TSaveDialog dialog(nullptr);
  dialog.Filter = filter;
  dialog.FilterIndex = 1;
  dialog.FileName = ChangeFileExt(document.FileName(), "");
  dialog.Language = InterfaceLanguage();
  if (!dialog.Execute()) return false;
  fileName = dialog.FileName;
  filterIndex = dialog.FilterIndex;
  const std::string ext = LowerCase(ExtractFileExt(fileName));
  const auto types = ParseFilter(filter);
  for (size_t i = 0; i < types.size(); ++i)
    for (const std::string& pattern : SplitString(types[i].second, ';'))
      if (!ext.empty() && LowerCase(pattern) == "*" + ext) filterIndex = static_cast<int>(i) + 1;
  fileName = AddDefaultExtension(fileName, filter, filterIndex, "");
  return true;
}

// The page range of an export dialog: its own, or every page.
template <class Dialog>
void ChosenPages(const Dialog& options, int pageCount, int& from, int& to) {
  from = 1;
  to = pageCount;
  if (options.GetPageRange() == 1) {
    from = options.GetFromPage();
    to = std::max(from, options.GetToPage());
  }
}

// Runs an export through a view of its own on the score; a failure is
// shown with the file's name. False when it failed.
bool WriteExport(TQSScore& score, const std::string& fileName, const std::function<void(TQSPageView&)>& write) {
  try {
    TBusyCursor busy;
    TQSPageView view;
    score.AttachWindow(&view);
    write(view);
  } catch (const std::exception& e) {
    ShowFailure(Format(FileCommandText(TFileCommandText::ExportFailed).c_str(), fileName.c_str()) + "\n" +
                UserErrorText(e));
    return false;
  }
  return true;
}

bool IsOpenScore(const TQSScore* score) {
  TFProgramModule* main = ProgramModule();
  if (!main) return true;
  for (int i = 0; i < main->DocumentCount(); ++i)
    if (TFFileEditor* doc = main->Document(i); doc && &doc->Score() == score) return true;
  return false;
}

}  // namespace

TBusyCursor::TBusyCursor() { Screen().SetCursor(crHourGlass); }
TBusyCursor::~TBusyCursor() { Screen().SetCursor(crDefault); }

std::string FileCommandText(TFileCommandText text) {
  static const char* const kEnglish[] = {
      "BMP picture (*.bmp)|*.bmp|GIF picture (*.gif)|*.gif|JPEG picture (*.jpg)|*.jpg;*.jpeg|Enhanced metafile "
      "(*.emf)|*.emf",
      "PDF document (*.pdf)|*.pdf",
      "WAVE sound (*.wav)|*.wav",
      "The file \"%s\" could not be written:",
      "Error",
      "The score could not be printed:",
      "The score has not been saved in a file yet. Save it, then send it.",
      "Send by e-mail",
  };
  const int index = static_cast<int>(text);
  if (TECLanguage* engine = GlobalLanguage())
    if (const auto record = engine->FindFormRecord(kRecord)) {
      std::string translated = engine->Data().Message(*record, index);
      if (!translated.empty()) return translated;
    }
  return kEnglish[index];
}

bool ExportImage(TFFileEditor& document, TSettings* settings) {
  const std::string filter = FileCommandText(TFileCommandText::PictureFilter);
  std::string fileName;
  int filterIndex = 1;
  if (!AskExportFile(document, filter, fileName, filterIndex)) return false;
  const int format = std::clamp(filterIndex - 1, static_cast<int>(efBmp), static_cast<int>(efMetafile));
  TQSScore& score = document.Score();
  int from = 1, to = 1, pixelFormat = 0, quality = 30, scale = 100;
  bool doublePage = false;
  {
    TFExportSetting options(nullptr, settings);
    options.SetOptionsVisible((format == efJpeg ? 2 : 0) | (format == efBmp || format == efJpeg ? 1 : 0));
    options.SetPageCount(score.LaidOutPages);
    if (options.ShowModal() != mrOk) return false;
    ChosenPages(options, score.LaidOutPages, from, to);
    pixelFormat = options.GetPixelFormat();
    quality = options.GetQuality();
    scale = options.GetScale();
    doublePage = options.GetDoublePage();
  }
  return WriteExport(score, fileName, [&](TQSPageView& view) {
    view.Zoom = scale;
    SafeSaveFile(fileName,
                 [&](TStream& stream) { view.ExportPage(stream, format, from, to, pixelFormat, quality, doublePage); });
  });
}

bool ExportPDF(TFFileEditor& document, TSettings* settings) {
  const std::string filter = FileCommandText(TFileCommandText::PdfFilter);
  std::string fileName;
  int filterIndex = 1;
  if (!AskExportFile(document, filter, fileName, filterIndex)) return false;
  TQSScore& score = document.Score();
  int from = 1, to = 1, scale = 100;
  bool jpeg = true, compressed = true;
  {
    TFPDFSetting options(nullptr, settings);
    options.SetPageCount(score.LaidOutPages);
    if (options.ShowModal() != mrOk) return false;
    ChosenPages(options, score.LaidOutPages, from, to);
    scale = options.GetScale();
    jpeg = options.GetImagesAsJpeg();
    compressed = options.GetCompressed();
  }
  return WriteExport(score, fileName,
                     [&](TQSPageView& view) { view.ExportPDF(fileName, from, to, scale, compressed, jpeg); });
}

bool ExportWave(TFFileEditor& document, TSettings* settings) {
  std::string fileName;
  int filterIndex = 1;
  if (!AskExportFile(document, FileCommandText(TFileCommandText::WaveFilter), fileName, filterIndex)) return false;
  // The dialog plays the score into the file itself and reports its own
  // failures.
  TFExportWaveSettings dialog(nullptr, settings ? &settings->Ini() : nullptr, &document.Score(), fileName);
  return dialog.ShowModal() == mrOk;
}

void PrintNow(TQSScore& score, TPrintDialog& dialog, const std::string& title) {
  try {
    TBusyCursor busy;
    PrintScoreJob(score, dialog, title);
  } catch (const std::exception& e) {
    ShowFailure(FileCommandText(TFileCommandText::PrintFailed) + "\n" + UserErrorText(e));
  }
}

void PrintScore(TQSScore& score, const std::string& title) {
  auto dialog = std::make_shared<TPrintDialog>();
  dialog->MinPage = 1;
  dialog->MaxPage = std::max(1, score.LaidOutPages);
  dialog->FromPage = 1;
  dialog->ToPage = dialog->MaxPage;
  dialog->Copies = 1;
  if (!ExecutePrintDialog(*dialog, InterfaceLanguage())) return;
  // The pages are painted once the window system has taken the dialog
  // away; a document closed meanwhile is not printed.
  TQSScore* pending = &score;
  TThread::Queue([pending, dialog, title] {
    if (IsOpenScore(pending)) PrintNow(*pending, *dialog, title);
  });
}

// ------------------------------------------------------------ commands

void TFProgramModule::AExportImageExecute() {
  if (TFFileEditor* doc = ActiveEditor()) ExportImage(*doc, settings_);
}

void TFProgramModule::AExportPDFExecute() {
  if (TFFileEditor* doc = ActiveEditor()) ExportPDF(*doc, settings_);
}

void TFProgramModule::AExportWaveExecute() {
  if (TFFileEditor* doc = ActiveEditor()) ExportWave(*doc, settings_);
}

void TFProgramModule::APrintExecute() {
  if (TFFileEditor* doc = ActiveEditor()) PrintScore(doc->Score(), doc->Title());
}

}  // namespace qs
