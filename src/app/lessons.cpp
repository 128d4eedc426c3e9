// The main window's lessons: starting a lesson script, the forms and the
// sample score it works on, and the lesson list shown again when it ends.
#include <filesystem>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "chords/guitarpalette.h"
#include "help/callout.h"
#include "help/helperwindow.h"
#include "platform/paths.h"
#include "score/clefs.h"
#include "score/item.h"
#include "score/measure.h"
#include "uikit/catalogue.h"
#include "score/marks.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/interface.h"
#include "uikit/pagecontrol.h"
#include "view/window.h"

namespace qs {

namespace {

// The score every lesson works on, kept apart from the user's files.
constexpr const char* kLessonSampleName = "ZEL Quillstave sample.sfd";
constexpr int kSampleMeasures = 8;
// A guitar without a library guitar: 24 frets, standard tuning from the
// lowest string.
constexpr uint8_t kGuitarTuning[6] = {52, 57, 62, 67, 71, 76};
constexpr uint8_t kGuitarInstrument = 25, kDrumChannel = 9;

TQSPart* AddSamplePart(TQSPiece& piece, int staves, uint8_t firstClef) {
  TQSPart* part = piece.AddPart();
  for (int s = 0; s < staves; ++s) (new TQSStaff(part))->NewVoice();
  for (int m = 0; m < kSampleMeasures; ++m) part->NewMeasure();
  TQSMeasure* first = part->GetMeasure(0);
  static_cast<TQSMark*>(CreateItemByKind(kind::Key, first))->Fields.Kind = 0;
  for (int s = 0; s < staves; ++s) {
    auto* clef = static_cast<TQSMark*>(CreateItemByKind(kind::Clef, first));
    clef->Fields.Kind = s == 0 ? firstClef : clef::Bass;
    clef->Fields.StaffVoice = MakeStaffVoice(s, 0);
  }
  return part;
}

void MakeTablature(TQSPart& part, const TQSGuitarDescription* guitar) {
  TQSStaff* staff = part.GetStaff(0);
  staff->SetTablature(true);
  if (guitar && guitar->StringCount > 0) {
    staff->SetFretCount(guitar->FretCount);
    staff->SetLineCount(guitar->StringCount);
    for (int i = 0; i < guitar->StringCount; ++i) staff->SetTuning(i, guitar->GetTuning(i));
    return;
  }
  staff->SetFretCount(24);
  staff->SetLineCount(6);
  for (int i = 0; i < 6; ++i) staff->SetTuning(i, kGuitarTuning[i]);
}

bool HasClef(const TQSPart& part, uint8_t kindOfClef) {
  const TQSMeasure* m = part.MeasureCount() > 0 ? part.GetMeasure(0) : nullptr;
  if (!m) return false;
  for (const TQSItem* item : m->Items)
    if (item->ItemType == kind::Clef && static_cast<const TQSMark*>(item)->Fields.Kind == kindOfClef) return true;
  return false;
}

}  // namespace

void TFProgramModule::StartLesson(const std::string& name) {
  if (LessonRunning() || destroying_) return;
  const std::string file = platform::FindResource("Ticher/" + name + ".xml");
  if (file.empty() || !FileExists(file)) return;
  TLessonScript script;
  try {
    TFileStream s(file, FileMode::OpenRead);
    script = ReadLessonScript(s);
  } catch (const std::exception&) {
    return;  // an unreadable script is as good as none
  }
  Screen().SetCursor(crDefault);
  CloseHelper();
  for (TPalette* palette : palettes_)
    if (palette) palette->ResetToDefaults();
  continueWithoutStop_ = false;
  lessonEnded_ = false;
  lesson_ = std::make_unique<TLessonPlayer>(*this, std::move(script), InterfaceLanguage());
  lesson_->Start();
}

void TFProgramModule::StopLesson() {
  if (lesson_) lesson_->RequestStop();
}

void TFProgramModule::ShowLessons() {
  lessonEnded_ = false;
  OpenHelper();
  ShowHelperContext({"Lessons"}, false);
}

void TFProgramModule::LessonTimer() {
  if (lesson_ && lesson_->Running()) {
    lesson_->CheckCalloutTimeout();
    return;
  }
  if (!lessonEnded_) return;
  lesson_.reset();
  ShowLessons();
}

TCustomForm* TFProgramModule::FindFormByName(const std::string& name) {
  if (name.empty()) return nullptr;
  for (int i = 0; i < DocumentCount(); ++i)
    if (TFFileEditor* d = Document(i); d && SameText(d->Name(), name)) return d;
  for (TPalette* palette : palettes_)
    if (auto* form = dynamic_cast<TCustomForm*>(palette); form && SameText(form->Name(), name)) return form;
  if (SameText(Name(), name)) return this;
  for (int i = 0; i < Screen().FormCount(); ++i)
    if (TCustomForm* f = Screen().Forms(i); f && SameText(f->Name(), name)) return f;
  return nullptr;
}

void TFProgramModule::OpenLessonSample(const std::string& formName, int kind) {
  TFFileEditor* sample = nullptr;
  for (int i = 0; i < DocumentCount() && !sample; ++i)
    if (std::filesystem::path(Document(i)->FileName()).filename() == kLessonSampleName) sample = Document(i);
  const TQSGuitarDescription* guitar = nullptr;
  if (auto* palette = dynamic_cast<TFGuitar*>(palettes_[PaletteIndex("Guitar")])) guitar = palette->CurrentGuitar();
  if (!sample) {
    auto editor = std::make_unique<TFFileEditor>(this);
    TQSScore& score = editor->Score();
    score.BeginUpdate();
    score.Page.SetPaperSize(TQSPaperSize::A4);
    TQSPiece* piece = score.NewPiece();
    AddSamplePart(*piece, 2, clef::Treble);
    AddSamplePart(*piece, 1, clef::Percussion1)->SetChannel(kDrumChannel);
    TQSPart* tab = AddSamplePart(*piece, 1, clef::Tablature);
    tab->SetInstrument(kGuitarInstrument);
    MakeTablature(*tab, guitar);
    for (int m = 0; m < kSampleMeasures; ++m) piece->AddColumn();
    score.EndUpdate();
    score.Recalculate(0);
    sample = AddNewDocument(std::move(editor));
    sample->SetFileName(platform::DataDir() + kLessonSampleName);
    if (!formName.empty()) sample->SetName(formName);
  }
  if (sample->Sheet) PCFiles->SetActivePage(sample->Sheet);
  if (sample->QSWindow) sample->QSWindow->SetFocus();
  if (kind == lesson::kNormalSample) return;
  // A drum or tablature lesson goes to a part of its kind, made when the
  // score has none.
  TQSScore& score = sample->Score();
  for (int p = 0; p < score.PieceCount(); ++p) {
    TQSPiece* piece = score.GetPiece(p);
    for (int k = 0; k < piece->PartCount(); ++k) {
      TQSPart* part = piece->GetPart(k);
      const bool fits = kind == lesson::kDrumSample ? HasClef(*part, clef::Percussion1)
                                                    : part->StaffCount() > 0 && part->GetStaff(0)->Fields.Tablature;
      if (fits) {
        if (sample->QSWindow && p == sample->QSWindow->CursorPosition.Piece) sample->QSWindow->SetCursorPart(k);
        return;
      }
    }
  }
}

}  // namespace qs

namespace qs {

void TFProgramModule::AQuickTourExecute() { ShowLessons(); }

}  // namespace qs
