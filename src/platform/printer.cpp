#include "platform/printer.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

#include <algorithm>
#include <map>

#include "platform/canvas.h"
#include "platform/gui.h"
#include "platform/qtsurface.h"

namespace qs {

namespace {

// A painter on a paged device with the program's canvas over it.
class TPageCanvas {
 public:
  ~TPageCanvas() { End(); }

  // Raises EPrinter with message when the device cannot be painted on.
  void Begin(QPagedPaintDevice* device, int ppiX, int ppiY, const std::string& message) {
    if (!painter_.begin(device)) throw EPrinter(message);
    device_ = std::make_shared<TQtDevice>(&painter_, ppiX, ppiY);
    canvas_ = std::make_unique<TCanvas>(device_);
  }
  void End() {
    Flush();
    canvas_.reset();
    device_.reset();
    if (painter_.isActive()) painter_.end();
  }
  // Before a new page is begun.
  void Flush() {
    if (device_) device_->Flush();
  }
  bool Active() const { return canvas_ != nullptr; }
  TCanvas& Canvas() {
    if (!canvas_) throw EPrinter("Printing is not in progress");
    return *canvas_;
  }
  QPainter& Painter() { return painter_; }

 private:
  QPainter painter_;
  std::shared_ptr<TQtDevice> device_;
  std::unique_ptr<TCanvas> canvas_;
};

// ---- Uncompressed documents ---------------------------------------------------------

// The toolkit's PDF writer always deflates its streams. For an uncompressed
// document every deflated stream is stored inflated, and the objects are
// written again with a new cross-reference table.
struct TPdfObject {
  int Number = 0;
  qsizetype Start = 0, End = 0;
};

// The integer value of a direct object "N 0 obj <int> endobj".
qsizetype IntegerObject(const QByteArray& pdf, const std::map<int, TPdfObject>& objects, int number) {
  auto it = objects.find(number);
  if (it == objects.end()) return -1;
  const QByteArray body = pdf.mid(it->second.Start, it->second.End - it->second.Start);
  static const QRegularExpression re(QStringLiteral("^\\s*\\d+\\s+\\d+\\s+obj\\s+(\\d+)\\s+endobj"));
  const auto m = re.match(QString::fromLatin1(body));
  return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

// The object stored with its deflated stream inflated, or an empty array
// when it has none (or it cannot be read).
QByteArray InflatedObject(const QByteArray& body, const QByteArray& pdf, const std::map<int, TPdfObject>& objects) {
  const qsizetype streamAt = body.indexOf("stream");
  if (streamAt < 0) return {};
  QByteArray dict = body.left(streamAt);
  static const QByteArray kFlate("/Filter /FlateDecode");
  const qsizetype filterAt = dict.indexOf(kFlate);
  if (filterAt < 0) return {};
  static const QRegularExpression lengthRe(QStringLiteral("/Length\\s+(\\d+)(\\s+\\d+\\s+R)?"));
  const auto m = lengthRe.match(QString::fromLatin1(dict));
  if (!m.hasMatch()) return {};
  const qsizetype length = m.capturedLength(2) > 0
                               ? IntegerObject(pdf, objects, m.captured(1).toInt())
                               : m.captured(1).toLongLong();
  qsizetype dataAt = streamAt + 6;
  if (body.mid(dataAt, 2) == "\r\n") dataAt += 2;
  else if (dataAt < body.size() && (body[dataAt] == '\n' || body[dataAt] == '\r')) ++dataAt;
  if (length < 0 || dataAt + length > body.size()) return {};
  // The inflating call wants the expected size in front; it grows its
  // buffer when the guess is short.
  const quint32 guess = static_cast<quint32>(std::min<qsizetype>(length * 4 + 64, 0x7FFFFFFF));
  QByteArray packed;
  packed.reserve(length + 4);
  for (int shift = 24; shift >= 0; shift -= 8) packed.append(static_cast<char>((guess >> shift) & 0xFF));
  packed.append(body.mid(dataAt, length));
  const QByteArray data = qUncompress(packed);
  if (data.isEmpty() && length > 8) return {};
  // The later of the two edits first, so that the other's offset holds.
  const auto dropFilter = [&] { dict.remove(filterAt, kFlate.size()); };
  const auto setLength = [&] {
    dict.replace(m.capturedStart(0), m.capturedLength(0), "/Length " + QByteArray::number(data.size()));
  };
  if (filterAt > m.capturedStart(0)) {
    dropFilter();
    setLength();
  } else {
    setLength();
    dropFilter();
  }
  return dict + "stream\n" + data + "\nendstream\nendobj\n";
}

std::vector<uint8_t> InflatePdfStreams(const std::vector<uint8_t>& source) {
  const QByteArray pdf(reinterpret_cast<const char*>(source.data()), static_cast<qsizetype>(source.size()));
  const qsizetype startxref = pdf.lastIndexOf("startxref");
  if (startxref < 0) return source;
  const qsizetype xrefAt = pdf.mid(startxref + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong();
  const qsizetype trailerAt = pdf.indexOf("trailer", xrefAt);
  if (xrefAt <= 0 || pdf.mid(xrefAt, 4) != "xref" || trailerAt < 0) return source;
  // One subsection from object 0, as the writer makes it.
  const QList<QByteArray> lines = pdf.mid(xrefAt, trailerAt - xrefAt).split('\n');
  if (lines.size() < 2) return source;
  const QList<QByteArray> head = lines[1].trimmed().split(' ');
  const int first = head.value(0).toInt(), count = head.value(1).toInt();
  std::map<int, TPdfObject> objects;
  std::vector<TPdfObject> order;
  for (int i = 0; i < count && i + 2 < lines.size(); ++i) {
    const QByteArray entry = lines[i + 2].trimmed();
    if (!entry.endsWith('n')) continue;
    TPdfObject o{first + i, entry.left(10).toLongLong(), 0};
    if (o.Start <= 0 || o.Start >= xrefAt) return source;
    order.push_back(o);
  }
  if (order.empty()) return source;
  std::sort(order.begin(), order.end(), [](const TPdfObject& a, const TPdfObject& b) { return a.Start < b.Start; });
  for (size_t i = 0; i < order.size(); ++i) {
    order[i].End = i + 1 < order.size() ? order[i + 1].Start : xrefAt;
    objects[order[i].Number] = order[i];
  }

  QByteArray out = pdf.left(order.front().Start);
  std::map<int, qsizetype> offsets;
  for (const TPdfObject& o : order) {
    offsets[o.Number] = out.size();
    const QByteArray body = pdf.mid(o.Start, o.End - o.Start);
    const QByteArray inflated = InflatedObject(body, pdf, objects);
    out.append(inflated.isEmpty() ? body : inflated);
  }
  const qsizetype newXref = out.size();
  out.append("xref\n0 " + QByteArray::number(first + count) + "\n");
  for (int n = 0; n < first + count; ++n) {
    auto it = offsets.find(n);
    out.append(it == offsets.end() ? QByteArray("0000000000 65535 f \n")
                                   : QByteArray::number(it->second).rightJustified(10, '0') + " 00000 n \n");
  }
  out.append(pdf.mid(trailerAt, startxref - trailerAt));
  out.append("startxref\n" + QByteArray::number(newXref) + "\n%%EOF\n");
  return std::vector<uint8_t>(out.begin(), out.end());
}

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

class TSystemPrinter final : public TPrinter {
 public:
  explicit TSystemPrinter(const TPrintDialog& dialog) : printer_(QPrinter::HighResolution) {
    if (!dialog.FileName.empty()) {
      printer_.setOutputFormat(QPrinter::PdfFormat);
      printer_.setOutputFileName(FromUtf8(dialog.FileName));
      target_ = dialog.FileName;
      return;
    }
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty()) throw EPrinter("No printer is installed. Choose a file to print to.");
    if (!dialog.PrinterName.empty()) {
      const QString name = FromUtf8(dialog.PrinterName);
      if (!names.contains(name)) throw EPrinter("The printer \"" + dialog.PrinterName + "\" does not exist.");
      printer_.setPrinterName(name);
    }
    printer_.setOutputFormat(QPrinter::NativeFormat);
    target_ = printer_.printerName().toStdString();
  }

  void SetOrientation(TPrinterOrientation orientation) override {
    printer_.setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  }
  void SetCopies(int copies, bool collate) override {
    printer_.setCopyCount(std::max(1, copies));
    printer_.setCollateCopies(collate);
  }
  void BeginDoc(const std::string& title) override {
    printer_.setDocName(FromUtf8(title));
    page_.Begin(&printer_, printer_.logicalDpiX(), printer_.logicalDpiY(),
                "Cannot print to \"" + target_ + "\".");
  }
  void NewPage() override {
    if (!page_.Active()) return;
    page_.Flush();
    printer_.newPage();
  }
  void EndDoc() override { page_.End(); }
  TCanvas& Canvas() override { return page_.Canvas(); }
  int PixelsPerInchX() const override { return printer_.logicalDpiX(); }
  int PixelsPerInchY() const override { return printer_.logicalDpiY(); }
  int PhysicalOffsetX() const override { return Offset().x(); }
  int PhysicalOffsetY() const override { return Offset().y(); }

 private:
  QPoint Offset() const {
    return printer_.pageRect(QPrinter::DevicePixel).topLeft().toPoint() -
           printer_.paperRect(QPrinter::DevicePixel).topLeft().toPoint();
  }

  QPrinter printer_;
  std::string target_;
  TPageCanvas page_;
};

class TQtPdfPrinter final : public TPdfPrinter {
 public:
  explicit TQtPdfPrinter(const TPdfSetup& setup) : setup_(setup) {
    setup_.Scale = std::max(1, setup_.Scale);
    setup_.Resolution = std::max(72, setup_.Resolution);
  }

  // The paper is laid out as given: a page wider than high stays so.
  void SetOrientation(TPrinterOrientation) override {}
  void SetCopies(int, bool) override {}

  void BeginDoc(const std::string& title) override {
    EnsureGuiApplication();
    document_.clear();
    buffer_.setBuffer(&document_);
    buffer_.open(QIODevice::WriteOnly);
    writer_ = std::make_unique<QPdfWriter>(&buffer_);
    writer_->setResolution(setup_.Resolution);
    writer_->setTitle(FromUtf8(title));
    writer_->setCreator(FromUtf8(setup_.Creator));
    const double k = setup_.Scale / 100.0;
    const QPageSize size(QSizeF(setup_.WidthMM * k, setup_.HeightMM * k), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    writer_->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF()));
    page_.Begin(writer_.get(), PixelsPerInchX(), PixelsPerInchY(), "Cannot make a PDF document.");
    page_.Painter().setRenderHint(QPainter::LosslessImageRendering, !setup_.ImagesAsJpeg);
  }
  void NewPage() override {
    if (!page_.Active()) return;
    page_.Flush();
    writer_->newPage();
  }
  void EndDoc() override {
    page_.End();
    writer_.reset();
    buffer_.close();
  }
  TCanvas& Canvas() override { return page_.Canvas(); }
  int PixelsPerInchX() const override { return setup_.Resolution * setup_.Scale / 100; }
  int PixelsPerInchY() const override { return PixelsPerInchX(); }
  int PhysicalOffsetX() const override { return 0; }
  int PhysicalOffsetY() const override { return 0; }

  std::vector<uint8_t> TakeDocument() override {
    std::vector<uint8_t> out(document_.begin(), document_.end());
    document_.clear();
    if (!setup_.Compressed) out = InflatePdfStreams(out);
    return out;
  }

 private:
  TPdfSetup setup_;
  QByteArray document_;
  QBuffer buffer_;
  std::unique_ptr<QPdfWriter> writer_;
  TPageCanvas page_;
};

}  // namespace

std::vector<std::string> PrinterNames() {
  EnsureGuiApplication();
  std::vector<std::string> out;
  for (const QString& name : QPrinterInfo::availablePrinterNames()) out.push_back(name.toStdString());
  return out;
}

std::unique_ptr<TPrinter> CreateSystemPrinter(const TPrintDialog& dialog) {
  EnsureGuiApplication();
  return std::make_unique<TSystemPrinter>(dialog);
}

std::unique_ptr<TPdfPrinter> CreatePdfPrinter(const TPdfSetup& setup) {
  return std::make_unique<TQtPdfPrinter>(setup);
}

}  // namespace qs
