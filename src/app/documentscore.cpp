#include "app/documentscore.h"

#include "score/page.h"
#include "score/score.h"
#include "uikit/language.h"

namespace qs {

namespace {

constexpr long double kPageWidthMM = 210, kPageHeightMM = 297, kMarginMM = 10, kIntervalMM = 12,
                      kLineSpaceMM = 1.5875L;
constexpr int kScale = 100, kNoteInterval = 0, kStemLength = 20, kMaxUndo = 32;
constexpr uint8_t kAlign = 11, kAutoJoin = 2;

}  // namespace

void ApplyInterfaceTexts(TQSScore& score) {
  // The entry mode the view's status shows, in the interface language.
  score.SetInsertName(LanguageMessage("QSWindow", 1, "Insert"));
  score.SetOverwriteName(LanguageMessage("QSWindow", 2, "Overwrite"));
}

void SetUpDocumentScore(TQSScore& score) {
  score.BeginUpdate();
  TQSPage& page = score.Page;
  page.SetMetrix(TQSMetrix::rmMM);
  page.SetOrientation(TQSOrientation::poPortrait);
  page.SetPaperSize(TQSPaperSize::Custom);
  page.SetWidth(kPageWidthMM);
  page.SetHeight(kPageHeightMM);
  page.SetLeftMargin(kMarginMM);
  page.SetTopMargin(kMarginMM);
  page.SetRightMargin(kMarginMM);
  page.SetBottomMargin(kMarginMM);
  page.SetInterval(kIntervalMM);
  page.SetLineSpace(kLineSpaceMM);
  score.SetScale(kScale);
  score.SetFlazholetName("FL.");
  // The letters of the seven steps in the interface language.
  score.SetNoteNames(LanguageMessage("QSWindow", 3, "CDEFGAB"));
  ApplyInterfaceTexts(score);
  score.SetAutoJoin(kAutoJoin);
  score.SetNoteInterval(kNoteInterval);
  score.SetStemLength(kStemLength);
  score.SetAlign(kAlign);
  score.SetMaxUndo(kMaxUndo);
  score.SetAddState(TQSAddState::asOverwrite);
  score.EndUpdate();
}

}  // namespace qs
