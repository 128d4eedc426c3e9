#include "app/pageviewer.h"

#include <array>
#include <cstdlib>

#include "app/choosepage.h"
#include "editing/viewcommands.h"
#include "editing/drags.h"
#include "editing/rulers.h"
#include "platform/gui.h"
#include "score/page.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "view/window.h"

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
    {"quillstave4: there is no display to open a window on (DISPLAY names no X server that answers, and WAYLAND_DISPLAY is not set). "
     "Run it on a desktop or under a virtual X server, for example: xvfb-run -a quillstave4 FILE; "
     "quillstave4 --print-contents FILE prints what a score holds without a window.",
     "quillstave4: Es gibt keinen Bildschirm für ein Fenster (DISPLAY nennt keinen X-Server, der antwortet, und WAYLAND_DISPLAY ist nicht gesetzt). "
     "Starten Sie es auf einem Desktop oder unter einem virtuellen X-Server, zum Beispiel: xvfb-run -a quillstave4 "
     "DATEI; quillstave4 --print-contents DATEI zeigt ohne Fenster, was eine Partitur enthält.",
     "quillstave4 : aucun écran pour ouvrir une fenêtre (DISPLAY ne désigne aucun serveur X qui réponde, et WAYLAND_DISPLAY n'est pas défini). "
     "Lancez-le sur un bureau ou sous un serveur X virtuel, par exemple : xvfb-run -a quillstave4 FICHIER ; "
     "quillstave4 --print-contents FICHIER affiche le contenu d'une partition sans fenêtre.",
     "quillstave4: non c'è uno schermo su cui aprire una finestra (DISPLAY non indica alcun server X che risponda, e WAYLAND_DISPLAY non è impostato). "
     "Avviatelo su un desktop o sotto un server X virtuale, per esempio: xvfb-run -a quillstave4 FILE; "
     "quillstave4 --print-contents FILE mostra senza finestra il contenuto di una partitura.",
     "quillstave4: нет экрана, на котором можно открыть окно (DISPLAY не указывает на отвечающий X-сервер, а WAYLAND_DISPLAY не задана). "
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
  View = new TQSWindow(this);
  View->SetName("View");
  View->SetAlign(alClient);
  View->SetParent(this);
  View->SetScore(&score);
  // The keys edit: moves, stems, sizes, deletion, the clipboard, undo.
  ConnectViewCommands(*View, score);
  // Dragging a selected note moves it to the pitch under the mouse; marks
  // and page objects move by the distance, handles reshape.
  ConnectDragCommands(*View);
  // What the insertion tools draw becomes items of the score.
  ConnectToolCommands(*View);
  // A ruler marker dropped elsewhere changes the spacing it stands for.
  ConnectRulerSpacing(*View);
  // The page bar's drop-down button opens the page chooser over it.
  View->OnChoosePage = [this](TObject*) {
    auto* chooser = new TFChoosePage(this);
    chooser->DefaultCloseAction = caFree;
    chooser->SetPageCount(View->PageCount);
    chooser->SetPage(View->ShownPage());
    const TPoint corner = View->ClientToScreen({View->ChoosePageButtonRight(), View->ClientHeight() - View->HorzBar.Thickness});
    const TRect area = Screen().WorkAreaRect();
    chooser->SetBounds(std::max(area.Left, corner.X - chooser->Width()), std::max(area.Top, corner.Y - chooser->Height()),
                       chooser->Width(), chooser->Height());
    chooser->OnChoose = [this](TObject*, int page) { View->GotoPage(page); };
    chooser->Show();
  };
  SetActiveControl(View);
}

void RegisterPageViewerForms() {
  RegisterChoosePageForms();
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
