#include "app/pageviewer.h"

#include <array>
#include <cstdlib>

#include "platform/bitmap.h"
#include "platform/graphics.h"
#include "platform/gui.h"
#include "platform/stdctrls.h"
#include "render/window.h"
#include "score/page.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

namespace {

constexpr std::array<const char*, 5> kLanguages = {"ENU", "DEU", "FRA", "ITA", "RUS"};

// One row per text, one column per language in the order above.
constexpr const char* kTexts[][5] = {
    // Caption: %s is the file name
    {"%s - Quillstave 4", "%s - Quillstave 4", "%s - Quillstave 4", "%s - Quillstave 4", "%s - Quillstave 4"},
    // Untitled
    {"Untitled", "Unbenannt", "Sans titre", "Senza titolo", "Без имени"},
    // NoDisplay
    {"quillstave4: there is no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set). "
     "Run it on a desktop or under a virtual X server, for example: xvfb-run -a quillstave4 FILE; "
     "quillstave4 --print-contents FILE prints what a score holds without a window.",
     "quillstave4: Es gibt keinen Bildschirm für ein Fenster (weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt). "
     "Starten Sie es auf einem Desktop oder unter einem virtuellen X-Server, zum Beispiel: xvfb-run -a quillstave4 "
     "DATEI; quillstave4 --print-contents DATEI zeigt ohne Fenster, was eine Partitur enthält.",
     "quillstave4 : aucun écran pour ouvrir une fenêtre (ni DISPLAY ni WAYLAND_DISPLAY n'est défini). "
     "Lancez-le sur un bureau ou sous un serveur X virtuel, par exemple : xvfb-run -a quillstave4 FICHIER ; "
     "quillstave4 --print-contents FICHIER affiche le contenu d'une partition sans fenêtre.",
     "quillstave4: non c'è uno schermo su cui aprire una finestra (né DISPLAY né WAYLAND_DISPLAY è impostato). "
     "Avviatelo su un desktop o sotto un server X virtuale, per esempio: xvfb-run -a quillstave4 FILE; "
     "quillstave4 --print-contents FILE mostra senza finestra il contenuto di una partitura.",
     "quillstave4: нет экрана, на котором можно открыть окно (не задана ни DISPLAY, ни WAYLAND_DISPLAY). "
     "Запустите программу на рабочем столе или под виртуальным X-сервером, например: xvfb-run -a quillstave4 "
     "ФАЙЛ; quillstave4 --print-contents ФАЙЛ показывает содержимое партитуры без окна."},
    // CannotRead: %s is the file name, then the reason on the next line
    {"The file \"%s\" could not be read:", "Die Datei \"%s\" konnte nicht gelesen werden:",
     "Le fichier « %s » n'a pas pu être lu :", "Impossibile leggere il file \"%s\":",
     "Не удалось прочитать файл «%s»:"},
    // NoMusicFont
    {"The music font could not be loaded; notes are drawn without it:",
     "Die Notenschrift konnte nicht geladen werden; Noten werden ohne sie gezeichnet:",
     "La police musicale n'a pas pu être chargée ; les notes sont dessinées sans elle :",
     "Impossibile caricare il font musicale; le note vengono disegnate senza:",
     "Не удалось загрузить нотный шрифт; ноты рисуются без него:"},
};

int LanguageIndex(const std::string& language) {
  for (size_t i = 0; i < kLanguages.size(); ++i)
    if (language == kLanguages[i]) return static_cast<int>(i);
  return 0;
}

std::string FillIn(std::string text, const std::string& arg) {
  if (const size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

}  // namespace

std::string PageViewerText(TPageViewerText text, const std::string& language, const std::string& arg) {
  return FillIn(kTexts[static_cast<int>(text)][LanguageIndex(language)], arg);
}

std::string LanguageFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (!v || !*v) continue;
    const std::string code = std::string(v).substr(0, 2);
    if (code == "de") return "DEU";
    if (code == "fr") return "FRA";
    if (code == "it") return "ITA";
    if (code == "ru") return "RUS";
    return "ENU";
  }
  return "ENU";
}

void MakeNewScore(TQSScore& score) {
  score.BeginUpdate();
  score.Page.SetPaperSize(TQSPaperSize::A4);
  TQSPiece* piece = score.NewPiece();
  TQSPart* part = piece->AddPart();
  (new TQSStaff(part))->NewVoice();
  part->NewMeasure();
  piece->AddColumn();
  score.EndUpdate();
}

// ------------------------------------------------------------- TPageViewer

// The render view of the score, which tells the viewer when the pages
// change.
struct TPageViewer::TView : TQSPageView {
  explicit TView(TPageViewer& viewer) : Viewer(viewer) {}
  TPageViewer& Viewer;
  void InvalidatePages() override {
    TQSPageView::InvalidatePages();
    Viewer.PagesChanged();
  }
};

TPageViewer::TPageViewer(TComponent* owner, TQSScore& score)
    : TCustomControl(owner), score_(score), view_(std::make_unique<TView>(*this)) {
  SetColor(clGray);
  SetTabStop(true);
  WantArrows = true;
  score_.AttachWindow(view_.get());
  view_->Zoom = 100;
}

TPageViewer::~TPageViewer() {
  BeginDestroy();
  view_.reset();
}

int TPageViewer::PageCount() const { return score_.LaidOutPages; }

int TPageViewer::ContentHeight() const {
  const int pageHeight = score_.Page.PixelHeight() * view_->Zoom / 100;
  return kGap + PageCount() * (pageHeight + kGap);
}

void TPageViewer::SetScrollY(int v) {
  v = std::clamp(v, 0, std::max(0, ContentHeight() - ClientHeight()));
  if (v == scrollY_) return;
  scrollY_ = v;
  Invalidate();
  Fire(OnScroll, this);
}

void TPageViewer::Paint() {
  TCanvas& canvas = Canvas();
  const int zoom = view_->Zoom;
  const int pageWidth = score_.Page.PixelWidth() * zoom / 100;
  const int pageHeight = score_.Page.PixelHeight() * zoom / 100;
  const TRect clip = canvas.ClipRect();
  const int x = std::max(kGap, (ClientWidth() - pageWidth) / 2);
  std::map<int, std::unique_ptr<TBitmap>> shown;
  for (int page = 0; page < PageCount(); ++page) {
    const int y = kGap + page * (pageHeight + kGap) - scrollY_;
    if (y >= ClientHeight() || y + pageHeight <= 0) continue;
    if (y < clip.Bottom && y + pageHeight > clip.Top) canvas.Draw(x, y, PageImage(page, pageWidth, pageHeight));
    shown[page] = std::move(pages_[page]);
  }
  // Pages scrolled out of sight are drawn again when they come back.
  pages_ = std::move(shown);
}

const TBitmap& TPageViewer::PageImage(int page, int width, int height) {
  std::unique_ptr<TBitmap>& image = pages_[page];
  if (image && image->Width() == width && image->Height() == height) return *image;
  image = std::make_unique<TBitmap>(width, height);
  TCanvas& canvas = image->Canvas();
  // The painter draws the music; the paper is the view's.
  canvas.Brush().Color = score_.Page.Color();
  canvas.Brush().Style = bsSolid;
  canvas.FillRect(Bounds(0, 0, width, height));
  std::unique_ptr<TGraphics> graphics;
  if (UseAntiAliasedSurface()) {
    graphics = std::make_unique<TGraphics>(canvas);
    graphics->SetSmoothingMode(SmoothingModeAntiAlias);
  }
  view_->PaintPage(page, canvas, graphics.get(), view_->Zoom, view_->Zoom, 0, 0);
  return *image;
}

void TPageViewer::PagesChanged() {
  pages_.clear();
  Invalidate();
}

bool TPageViewer::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  // Three lines of 20 pixels per notch.
  SetScrollY(scrollY_ - wheelDelta * 60 / WHEEL_DELTA);
  return true;
}

void TPageViewer::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const int page = std::max(20, ClientHeight() - 40);
  switch (key) {
    case VK_UP: SetScrollY(scrollY_ - 20); break;
    case VK_DOWN: SetScrollY(scrollY_ + 20); break;
    case VK_PRIOR: SetScrollY(scrollY_ - page); break;
    case VK_NEXT: SetScrollY(scrollY_ + page); break;
    case VK_HOME: SetScrollY(0); break;
    case VK_END: SetScrollY(ContentHeight()); break;
    default: return;
  }
  key = 0;
}

// --------------------------------------------------------- TPageViewerForm

TPageViewerForm::TPageViewerForm(TComponent* owner, TQSScore& score, const std::string& fileName,
                                 const std::string& language)
    : TForm(owner) {
  SetName("PageViewerForm");
  const std::string title = fileName.empty() ? PageViewerText(TPageViewerText::Untitled, language) : fileName;
  SetCaption(PageViewerText(TPageViewerText::Caption, language, title));
  const TRect area = Screen().WorkAreaRect();
  SetBounds(area.Left, area.Top, std::min(900, area.Width()), std::min(1000, area.Height()));
  SetPosition(poScreenCenter);
  ScrollBar = new TScrollBar(this);
  ScrollBar->SetName("ScrollBar");
  ScrollBar->SetKind(sbVertical);
  ScrollBar->SetWidth(16);
  ScrollBar->SetAlign(alRight);
  ScrollBar->SetParent(this);
  Viewer = new TPageViewer(this, score);
  Viewer->SetName("Viewer");
  Viewer->SetAlign(alClient);
  Viewer->SetParent(this);
  SetActiveControl(Viewer);
  ScrollBar->OnChange = [this](TObject*) { Viewer->SetScrollY(ScrollBar->Position()); };
  Viewer->OnScroll = [this](TObject*) { UpdateScrollBar(); };
  UpdateScrollBar();
}

void TPageViewerForm::Resize() {
  TForm::Resize();
  if (Viewer) {
    Viewer->SetScrollY(Viewer->ScrollY());
    UpdateScrollBar();
  }
}

void TPageViewerForm::UpdateScrollBar() {
  if (!ScrollBar || !Viewer) return;
  ScrollBar->SmallChange = 20;
  ScrollBar->LargeChange = std::max(20, Viewer->ClientHeight() - 40);
  ScrollBar->SetParams(Viewer->ScrollY(), 0, std::max(0, Viewer->ContentHeight() - 1),
                       std::max(1, Viewer->ClientHeight()));
}

void RegisterPageViewerForms() {
  RegisterForm("PageViewerForm", [](const std::string& language) -> std::unique_ptr<TCustomForm> {
    // The form shows a new score of its own, which lives as long as it.
    struct TOwnScoreForm : TPageViewerForm {
      explicit TOwnScoreForm(TQSScore* score, const std::string& language)
          : TPageViewerForm(nullptr, *score, "", language), Score(score) {}
      ~TOwnScoreForm() override { BeginDestroy(); }
      std::unique_ptr<TQSScore> Score;
    };
    auto score = std::make_unique<TQSScore>();
    MakeNewScore(*score);
    TQSScore* raw = score.release();
    return std::make_unique<TOwnScoreForm>(raw, language);
  });
}

}  // namespace qs
