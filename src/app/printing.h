#pragma once
// What the main window's File commands do around a document beyond opening
// and saving it: page pictures, PDF and WAVE exports, printing and the
// texts these commands show. Every failure is shown in the message box and
// the program goes on.
#include <string>

namespace qs {

class TFFileEditor;
class TQSScore;
class TSettings;
struct TPrintDialog;

// The numbered texts of the file commands.
enum class TFileCommandText {
  PictureFilter = 0,  // the picture types, in TExportFormat's order
  PdfFilter = 1,
  WaveFilter = 2,
  ExportFailed = 3,   // the file "%s" could not be written (the reason follows)
  ErrorTitle = 4,
  PrintFailed = 5,    // the score could not be printed (the reason follows)
  NoFileToMail = 6,   // the document has no file to send yet
  MailTitle = 7,
};
std::string FileCommandText(TFileCommandText text);

// The hourglass for as long as it lives.
class TBusyCursor {
 public:
  TBusyCursor();
  ~TBusyCursor();
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Each asks for the file (an existing one is confirmed), then for the
// options, and writes the file. False when the user declined a dialog or
// the export failed (the failure was shown).
bool ExportImage(TFFileEditor& document, TSettings* settings);
bool ExportPDF(TFFileEditor& document, TSettings* settings);
bool ExportWave(TFFileEditor& document, TSettings* settings);

// The print dialog for the score (range 1 .. its pages, one copy); on OK
// the pages are printed once the dialog has gone, on the window thread,
// when the score is still one of the main window's documents then.
void PrintScore(TQSScore& score, const std::string& title);
// Prints at once with the dialog's settings; a failure is shown.
void PrintNow(TQSScore& score, TPrintDialog& dialog, const std::string& title);

}  // namespace qs
