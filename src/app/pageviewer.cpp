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
#include "uikit/catalogue.h"
#include "view/window.h"

namespace qs {


std::string PageViewerText(TPageViewerText text, const std::string& language, const std::string& arg) {
  static constexpr TMessageId kIds[] = {TMessageId::Caption, TMessageId::Untitled, TMessageId::NoDisplay,
                                        TMessageId::CannotRead, TMessageId::NoMusicFont};
  return CatalogueText(kIds[static_cast<int>(text)], language, arg);
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
  ConnectPageChooser(*View, this);
  SetActiveControl(View);
}

void ConnectPageChooser(TQSWindow& view, TComponent* owner) {
  view.OnChoosePage = [&view, owner](TObject*) {
    auto* chooser = new TFChoosePage(owner);
    chooser->DefaultCloseAction = caFree;
    chooser->SetPageCount(view.Geometry().PageCount);
    chooser->SetPage(view.ShownPage());
    const TPoint corner =
        view.ClientToScreen({view.ChoosePageButtonRight(), view.ClientHeight() - view.Geometry().HorzBar.Thickness});
    const TRect area = Screen().WorkAreaRect();
    chooser->SetBounds(std::max(area.Left, corner.X - chooser->Width()), std::max(area.Top, corner.Y - chooser->Height()),
                       chooser->Width(), chooser->Height());
    chooser->OnChoose = [&view](TObject*, int page) { view.GotoPage(page); };
    chooser->Show();
  };
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
