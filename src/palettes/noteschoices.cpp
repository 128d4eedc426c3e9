// The Notes palette's pickers: each opens below its button preset with the
// palette's value; its answer is kept in the settings, presses the tool and
// runs the tool's click.
#include "palettes/notes.h"

#include "palettes/notepickers.h"
#include "palettes/symbolpickers.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/interface.h"
#include "uikit/names.h"

namespace qs {

using B = TFNotes::TButton;

void TFNotes::Notification(TComponent* component, TOperation operation) {
  TQSToolPage::Notification(component, operation);
  if (operation == opRemove && component == picker_) picker_ = nullptr;
}

void TFNotes::PressTool(TButton b) {
  Press(b);
  buttons_[b]->Invalidate();
}

void TFNotes::OpenPicker(TButton b) {
  // One picker at a time: the one open goes first.
  if (picker_) {
    TDropDownPicker* open = picker_;
    picker_ = nullptr;
    open->RemoveFreeNotification(this);
    open->Close();
  }
  TECCharButton* button = buttons_[b];
  TDropDownPicker* picker = nullptr;
  const TNotesSettings& v = values_;
  switch (b) {
    case B::bClef: {
      auto* p = new TFChooseClef(nullptr);
      p->SetClef(v.Clef);
      p->OnChoose = [this](TObject*, int clef) { ClefChosen(clef); };
      picker = p;
      break;
    }
    case B::bTone: {
      auto* p = new TFChooseTone(nullptr);
      p->SetTone(v.Tone);
      p->SetMinor(v.ToneStyle == 1);
      p->SetModify(v.ToneModify);
      p->OnChoose = [this, p](TObject*) { KeyChosen(p->GetTone(), p->GetMinor(), p->GetModify()); };
      picker = p;
      break;
    }
    case B::bSize: {
      auto* p = new TFChooseSize(nullptr);
      p->SetSize(v.Size);
      p->SetSizeStyle(v.SizeStyle);
      p->OnChange = [this](TObject*, int size, int style) { TimeChosen(size, style); };
      picker = p;
      break;
    }
    case B::bTempo: {
      auto* p = new TFChooseTempo(nullptr);
      p->SetTempoNote(v.TempoNote);
      p->SetTempo(v.TempoSize);
      p->OnChange = [this](TObject* sender) {
        if (auto* tempo = dynamic_cast<TFChooseTempo*>(sender)) TempoChosen(tempo->GetTempoNote(), tempo->GetTempo());
      };
      picker = p;
      break;
    }
    case B::bVorschlag: {
      auto* p = new TFChooseVorschlag(nullptr);
      p->SetBefore(v.VorschlagBefore);
      p->SetShort(v.VorschlagShort);
      p->SetDuration(v.VorschlagDuration);
      p->SetInterval(v.VorschlagInterval);
      p->SetLiga(v.VorschlagLiga);
      p->OnChange = [this](TObject* sender) {
        if (auto* g = dynamic_cast<TFChooseVorschlag*>(sender))
          GraceChosen(g->GetBefore(), g->GetShort(), g->GetDuration(), g->GetInterval(), g->GetLiga());
      };
      ShowHelperContext({"Vorschlag"}, false);
      p->OnDestroy = [](TObject*) { ReturnHelperContext(); };
      picker = p;
      break;
    }
    case B::bAccolade: {
      auto* p = new TFChooseAccolade(nullptr);
      p->ShowNoneButton();
      p->SetAccolade(v.Accolade);
      p->OnChoose = [this, p](TObject*) { AccoladeChosen(p->GetAccolade()); };
      picker = p;
      break;
    }
    case B::bMicrotone: {
      auto* p = new TFMicroTone(nullptr);
      p->SetMicroTone(v.MicroTone);
      p->OnChoose = [this](TObject*, int code) { MicroToneChosen(code); };
      picker = p;
      break;
    }
    case B::bDrumStyles: {
      auto* p = new TFChooseDrum(nullptr);
      p->FillDrumButtons(drumStyles_);
      p->SetDrumStyle(v.DrumStyle);
      p->OnChoose = [this](TObject*, int index) { DrumStyleChosen(index); };
      ShowHelperContext({"DrumStyle"}, false);
      p->OnDestroy = [](TObject*) { ReturnHelperContext(); };
      picker = p;
      break;
    }
    case B::bBracketStyle: {
      auto* p = new TFBracketStyles(nullptr);
      p->SetStyle(v.BracketStyle);
      p->OnChoose = [this](TObject*, int style) { BracketStyleChosen(style); };
      picker = p;
      break;
    }
    default: return;
  }
  picker->Spare = button;
  picker_ = picker;
  picker->FreeNotification(this);
  picker->DropDownBelow(*button);
}

void TFNotes::ClefChosen(int clef) {
  values_.Clef = clef;
  buttons_[B::bClef]->SetHint(ClefName(clef - 1));
  Store();
  PressTool(B::bClef);
}

void TFNotes::KeyChosen(int tone, bool minor, bool modify) {
  values_.Tone = tone;
  values_.ToneStyle = minor ? 1 : 0;
  values_.ToneModify = modify;
  Store();
  PressTool(B::bTone);
  if (host_ && host_->ActiveScore()) host_->ActiveScore()->ToneModify = modify;
}

void TFNotes::TimeChosen(int size, int sizeStyle) {
  values_.Size = size;
  values_.SizeStyle = sizeStyle;
  Store();
  PressTool(B::bSize);
}

void TFNotes::TempoChosen(int note, int tempo) {
  values_.TempoNote = note;
  values_.TempoSize = tempo;
  Store();
  PressTool(B::bTempo);
}

void TFNotes::GraceChosen(bool before, bool isShort, int duration, int interval, bool liga) {
  values_.VorschlagBefore = before;
  values_.VorschlagShort = isShort;
  values_.VorschlagDuration = duration;
  values_.VorschlagInterval = interval;
  values_.VorschlagLiga = liga;
  Store();
  PressTool(B::bVorschlag);
}

void TFNotes::AccoladeChosen(int accolade) {
  values_.Accolade = accolade;
  Store();
  PressTool(B::bAccolade);
}

void TFNotes::MicroToneChosen(int code) {
  values_.MicroTone = code;
  UpdateMicroToneButton();
  PressTool(B::bMicrotone);
  Store();
}

void TFNotes::DrumStyleChosen(int index) {
  values_.DrumStyle = index;
  UpdateDrumButton();
  PressTool(B::bDrumNote);
  Store();
}

void TFNotes::BracketStyleChosen(int style) {
  values_.BracketStyle = style;
  PressTool(B::bBracketStyle);
  Store();
}

void TFNotes::UpdateMicroToneButton() {
  const TMicroToneInfo* m = FindMicroTone(values_.MicroTone);
  if (!m) return;
  TECCharButton* b = buttons_[B::bMicrotone];
  b->SetByte(m->Glyph);
  b->SetHint(m->Hint);
  // The accidentals' own placing, for a button of the palette's size.
  b->SetPosX(m->PosX);
  b->SetPosY(m->PosY + 13);
}

TECDrumDescription* TFNotes::GetDrumStyle() const {
  const int index = values_.DrumStyle;
  return index >= 0 && index < static_cast<int>(drumStyles_.size()) ? drumStyles_[static_cast<size_t>(index)].get()
                                                                    : nullptr;
}

void TFNotes::UpdateDrumButton() {
  // Without a style of that index the button shows its own head.
  buttons_[B::bDrumNote]->SetCustomDraw(GetDrumStyle() != nullptr);
  buttons_[B::bDrumNote]->Invalidate();
}

void TFNotes::PaintDrumFace(TCanvas& c, const TRect& face, bool grey) {
  TECDrumDescription* style = GetDrumStyle();
  if (style) style->EnsureLoaded();
  PaintDrumStyle(c, TRect{face.Left + 1, face.Top + 3, face.Right, face.Bottom}, style, grey);
}

int TFNotes::DrumStyleForEntry(TQSScore& score) {
  return IsDown(B::bDrumNote) ? RegisterDrumStyles(score, drumStyles_, values_.DrumStyle) : 0;
}

void TFNotes::SetMeasurePause(int count) {
  if (count == values_.MeasurePause) return;
  values_.MeasurePause = count;
  Store();
  buttons_[B::bMeasurePause]->Invalidate();
}

}  // namespace qs
