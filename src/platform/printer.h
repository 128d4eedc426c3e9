#pragma once
// Printers as printing sees them: a document of pages painted on a canvas
// at the printer's resolution, the offset of the printable area from the
// paper's edge, orientation and copies. The system printer goes through the
// platform's printing system (CUPS) and, where no printer is installed, into
// a PDF file; the PDF printer paints pages into a PDF document in memory.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/exceptions.h"

namespace qs {

class TCanvas;

class EPrinter : public Exception { using Exception::Exception; };

enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };
enum TPrintRange : uint8_t { prAllPages, prSelection, prPageNums };

// What the print dialog hands printing: the page range (1-based), copies
// and collation, and where the pages go.
struct TPrintDialog {
  TPrintRange PrintRange = prAllPages;
  int MinPage = 1, MaxPage = 1;
  int FromPage = 1, ToPage = 1;
  int Copies = 1;
  // Collated copies are made by the printer from pages painted once.
  bool Collate = false;
  std::string PrinterName;  // empty: the default printer
  std::string FileName;     // when set, or when no printer exists: a PDF file
};

class TPrinter {
 public:
  virtual ~TPrinter() = default;
  // Before BeginDoc.
  virtual void SetOrientation(TPrinterOrientation orientation) = 0;
  // How many copies the printer itself makes of the document, and whether
  // it makes them one whole document after the other.
  virtual void SetCopies(int copies, bool collate) = 0;
  // Raises EPrinter when the document cannot be started.
  virtual void BeginDoc(const std::string& title) = 0;
  virtual void NewPage() = 0;
  // Finishes the document (also after a failure while painting).
  virtual void EndDoc() = 0;
  // The canvas of the current page, between BeginDoc and EndDoc; its
  // origin is the printable area's top-left corner.
  virtual TCanvas& Canvas() = 0;
  // Device pixels per inch.
  virtual int PixelsPerInchX() const = 0;
  virtual int PixelsPerInchY() const = 0;
  // The printable area's offset from the paper's edge, in device pixels.
  virtual int PhysicalOffsetX() const = 0;
  virtual int PhysicalOffsetY() const = 0;
};

// The names of the installed printers (empty when none is).
std::vector<std::string> PrinterNames();

// The printer the dialog chose: the named or default printer, or a PDF file
// when FileName is set. Raises EPrinter when there is no printer and no
// file to print to, or when the named printer does not exist.
std::unique_ptr<TPrinter> CreateSystemPrinter(const TPrintDialog& dialog);

// A PDF document of vector pages, fonts embedded.
struct TPdfSetup {
  // The paper in millimetres, as it lies (width and height of the page).
  double WidthMM = 210, HeightMM = 297;
  // Everything, the paper with it, is enlarged by Scale percent.
  int Scale = 100;
  // The device resolution at 100 % (the canvas reports Resolution x Scale
  // / 100, so that points and pixels per inch grow with the scale).
  int Resolution = 2400;
  // Streams deflated; pictures stored as JPEG (otherwise losslessly).
  bool Compressed = true;
  bool ImagesAsJpeg = true;
  std::string Creator;
};

class TPdfPrinter : public TPrinter {
 public:
  // The finished document after EndDoc.
  virtual std::vector<uint8_t> TakeDocument() = 0;
};

std::unique_ptr<TPdfPrinter> CreatePdfPrinter(const TPdfSetup& setup);

}  // namespace qs
