#include "platform/dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <array>

#include "base/safefile.h"
#include "base/strings.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/qtcontrols.h"

namespace qs {

namespace {

TPlatformTextSource textSource = nullptr;

// The text in the language, or empty for the toolkit's own.
std::string Text(TPlatformText t, const std::string& language, const std::string& arg = "") {
  if (!textSource) return {};
  std::string s = textSource(t, language);
  if (const size_t at = s.find("%s"); at != std::string::npos) s.replace(at, 2, arg);
  return s;
}

QWidget* ActiveWindow() {
  TCustomForm* f = Screen().ActiveForm();
  return f ? f->Impl().Widget.data() : nullptr;
}

// "Scores (*.sfd)" for each pair, as the toolkit's dialogs show filters.
QStringList NameFilters(const std::string& filter) {
  QStringList list;
  for (const auto& [name, patterns] : ParseFilter(filter)) {
    std::string p = patterns;
    for (char& ch : p)
      if (ch == ';') ch = ' ';
    list << ToQString(name + " (" + p + ")");
  }
  return list;
}

}  // namespace

void SetPlatformTextSource(TPlatformTextSource source) { textSource = source; }

std::vector<std::pair<std::string, std::string>> ParseFilter(const std::string& filter) {
  std::vector<std::pair<std::string, std::string>> pairs;
  const std::vector<std::string> parts = SplitString(filter, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) pairs.emplace_back(parts[i], parts[i + 1]);
  return pairs;
}

std::string AddDefaultExtension(const std::string& fileName, const std::string& filter, int filterIndex,
                                const std::string& defaultExt) {
  if (fileName.empty() || !ExtractFileExt(fileName).empty()) return fileName;
  const auto pairs = ParseFilter(filter);
  if (filterIndex >= 1 && filterIndex <= static_cast<int>(pairs.size())) {
    std::string first = pairs[static_cast<size_t>(filterIndex - 1)].second;
    first = first.substr(0, first.find(';'));
    // "*.bmp" names an extension; "*" and "*.*" do not.
    if (first.size() > 2 && first.compare(0, 2, "*.") == 0 && first.find_first_of("*?", 2) == std::string::npos)
      return fileName + first.substr(1);
  }
  if (defaultExt.empty()) return fileName;
  return fileName + (defaultExt[0] == '.' ? defaultExt : "." + defaultExt);
}

const TPropTable& TOpenDialog::Published() const {
  static const TPropTable table(
      &TComponent::Published(),
      {StringProp<TOpenDialog>(
           "Filter", [](const TOpenDialog& d) { return d.Filter; },
           [](TOpenDialog& d, const std::string& v) { d.Filter = v; }),
       StringProp<TOpenDialog>(
           "Title", [](const TOpenDialog& d) { return d.Title; },
           [](TOpenDialog& d, const std::string& v) { d.Title = v; })});
  return table;
}

bool TOpenDialog::Execute() { return Run(false); }
bool TSaveDialog::Execute() { return Run(true); }

bool TOpenDialog::Run(bool save) {
  EnsureGuiApplication();
  QFileDialog dialog(ActiveWindow(), ToQString(Title));
  // The toolkit's own dialog behaves the same on every desktop and asks
  // before replacing only after the extension has been added (below).
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (save)
    dialog.setFileMode(QFileDialog::AnyFile);
  else
    dialog.setFileMode((Options & ofAllowMultiSelect) ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  const QStringList filters = NameFilters(Filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size()) dialog.selectNameFilter(filters[FilterIndex - 1]);
  }
  std::string dir = InitialDir;
  if (dir.empty() && !FileName.empty()) dir = ExtractFilePath(FileName);
  if (!dir.empty()) dialog.setDirectory(ToQString(dir));
  if (!FileName.empty()) dialog.selectFile(ToQString(ExtractFileName(FileName)));
  for (;;) {
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    const int index = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    const int filterIndex = index >= 0 ? index + 1 : FilterIndex;
    std::vector<std::string> files;
    for (const QString& f : chosen)
      files.push_back(save ? AddDefaultExtension(f.toStdString(), Filter, filterIndex, DefaultExt) : f.toStdString());
    if (save && (Options & ofOverwritePrompt) && FileExists(files[0])) {
      std::string question = Text(TPlatformText::ReplaceQuestion, Language, ExtractFileName(files[0]));
      if (question.empty()) question = ExtractFileName(files[0]) + "?";
      QMessageBox ask(QMessageBox::Warning, ToQString(Text(TPlatformText::ReplaceTitle, Language)),
                      ToQString(question), QMessageBox::Yes | QMessageBox::No, ActiveWindow());
      ask.setDefaultButton(QMessageBox::No);
      // Answering no goes back to the choice of a name.
      if (ask.exec() != QMessageBox::Yes) continue;
    }
    FilterIndex = filterIndex;
    Files = files;
    FileName = files[0];
    return true;
  }
}

bool TColorDialog::Execute() {
  EnsureGuiApplication();
  const QColor initial(GetRValue(Color), GetGValue(Color), GetBValue(Color));
  const QColor c = QColorDialog::getColor(initial, ActiveWindow(), ToQString(Title), QColorDialog::DontUseNativeDialog);
  if (!c.isValid()) return false;
  Color = RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
  return true;
}

bool TFontDialog::Execute() {
  EnsureGuiApplication();
  QFont initial(ToQString(ResolveFont(Font).Family));
  initial.setPointSize(std::max(1, Font.Size()));
  initial.setBold(Font.Style & fsBold);
  initial.setItalic(Font.Style & fsItalic);
  initial.setUnderline(Font.Style & fsUnderline);
  initial.setStrikeOut(Font.Style & fsStrikeOut);
  bool ok = false;
  const QFont f = QFontDialog::getFont(&ok, initial, ActiveWindow(), ToQString(Title), QFontDialog::DontUseNativeDialog);
  if (!ok) return false;
  Font.Name = f.family().toStdString();
  Font.SetSize(f.pointSize() > 0 ? f.pointSize() : Font.Size());
  Font.Style = static_cast<TFontStyles>((f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0) |
                                        (f.underline() ? fsUnderline : 0) | (f.strikeOut() ? fsStrikeOut : 0));
  return true;
}

bool SelectDirectory(const std::string& caption, std::string& dir) {
  EnsureGuiApplication();
  const QString chosen = QFileDialog::getExistingDirectory(ActiveWindow(), ToQString(caption), ToQString(dir),
                                                           QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  if (chosen.isEmpty()) return false;
  dir = chosen.toStdString();
  return true;
}

bool ExecutePrintDialog(TPrintDialog& d, const std::string& language) {
  EnsureGuiApplication();
  QPrinter printer;
  if (!d.PrinterName.empty()) printer.setPrinterName(ToQString(d.PrinterName));
  if (!d.FileName.empty()) printer.setOutputFileName(ToQString(d.FileName));
  printer.setFromTo(d.FromPage, d.ToPage);
  printer.setCopyCount(std::max(1, d.Copies));
  printer.setCollateCopies(d.Collate);
  printer.setPrintRange(d.PrintRange == prPageNums ? QPrinter::PageRange
                        : d.PrintRange == prSelection ? QPrinter::Selection
                                                      : QPrinter::AllPages);
  QPrintDialog dialog(&printer, ActiveWindow());
  dialog.setWindowTitle(ToQString(Text(TPlatformText::PrintTitle, language)));
  dialog.setMinMax(d.MinPage, std::max(d.MinPage, d.MaxPage));
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
  if (dialog.exec() != QDialog::Accepted) return false;
  switch (printer.printRange()) {
    case QPrinter::PageRange: d.PrintRange = prPageNums; break;
    case QPrinter::Selection: d.PrintRange = prSelection; break;
    default: d.PrintRange = prAllPages; break;
  }
  if (d.PrintRange == prPageNums) {
    d.FromPage = std::max(d.MinPage, printer.fromPage());
    d.ToPage = std::min(std::max(d.MinPage, d.MaxPage), std::max(d.FromPage, printer.toPage()));
  }
  d.Copies = std::max(1, printer.copyCount());
  d.Collate = printer.collateCopies();
  d.PrinterName = printer.outputFileName().isEmpty() ? printer.printerName().toStdString() : std::string();
  d.FileName = printer.outputFileName().toStdString();
  return true;
}

bool ExecutePrinterSetupDialog(TPrintDialog& d, TPrinterOrientation& orientation, const std::string& language) {
  EnsureGuiApplication();
  QPrinter printer;
  if (!d.PrinterName.empty()) printer.setPrinterName(ToQString(d.PrinterName));
  printer.setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  QPageSetupDialog dialog(&printer, ActiveWindow());
  dialog.setWindowTitle(ToQString(Text(TPlatformText::PrinterSetupTitle, language)));
  if (dialog.exec() != QDialog::Accepted) return false;
  orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
  if (printer.outputFileName().isEmpty()) d.PrinterName = printer.printerName().toStdString();
  return true;
}

}  // namespace qs
