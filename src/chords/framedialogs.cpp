#include "chords/framedialogs.h"

#include <algorithm>
#include <memory>

#include "base/inifile.h"
#include "chords/chordeditor.h"
#include "chords/chordname.h"
#include "chords/choosers.h"
#include "chords/frameeditor.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "score/chordcode.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"
#include "uikit/names.h"

namespace qs {

using namespace chordcode;

namespace {

constexpr const char* kFrameEditorSection = "FrameEditor";
constexpr int kAlterNumbers[5] = {5, 7, 9, 11, 13};
constexpr uint8_t kAlterKinds[5] = {kAlter5, kAlter7, kAlter9, kAlter11, kAlter13};
constexpr const char* kBaseCaptions[6] = {"5", "6", "7", "9", "11", "13"};
constexpr const char* kMinorCaptions[3] = {"m", "mi", "min"};
constexpr const char* kMajorCaptions[2] = {"maj", "M"};
constexpr const char* kSusCaptions[3] = {"sus", "sus2", "sus4"};
constexpr const char* kOmitCaptions[4] = {"omit3", "omit5", "no3", "no5"};

template <size_t N>
const char* CaptionOf(const char* const (&captions)[N], int index) {
  return captions[std::clamp(index, 0, static_cast<int>(N) - 1)];
}

}  // namespace

std::string FrameNoteName(int pitchClass) { return PitchName(((pitchClass % 12) + 12) % 12); }

void OpenFingerChooser(TECFrameEditor& editor, int string, bool* keepOpen) {
  auto* chooser = new TFChooseFinger(nullptr);
  chooser->StringIndex = string;
  // The frame editor runs modal: a window that is not its own takes no
  // clicks while it is open.
  chooser->SetPopupParent(editor.ParentForm());
  const TRect box = editor.GetFingerBoxRect(string);
  PlaceBelowControl(editor, *chooser);
  // Opened at the finger box rather than below the whole editor.
  chooser->SetBounds(chooser->Left() + box.Left, chooser->Top() - (editor.Height() - box.Bottom), chooser->Width(),
                     chooser->Height());
  if (keepOpen) *keepOpen = true;
  TECFrameEditor* target = &editor;
  chooser->OnChosen = [target, keepOpen](TFChooser* c) {
    target->SetFinger(static_cast<TFChooseFinger*>(c)->StringIndex, static_cast<uint8_t>(c->GetValue()));
    if (keepOpen) *keepOpen = false;
  };
  chooser->Show();
}

// ------------------------------------------------------------------ user frame

TFUserFrame::TFUserFrame(TComponent* owner) : TForm(owner) {
  SetName("FUserFrame");
  SetCaption("Frame");
  SetClientWidth(200);
  SetClientHeight(200);
  // It stays open while its finger chooser is.
  MakeDropDown(*this, [this] { return fingerOpen_; });
  ApplySkinTemplate(*this, skinkind::Small);
  FEFrame = new TECFrameEditor(this);
  FEFrame->SetName("FEFrame");
  FEFrame->SetParent(this);
  FEFrame->SetBounds(0, 0, 200, 200);
  FEFrame->OnGetNoteName = [](TObject*, int note) { return FrameNoteName(note); };
  FEFrame->OnGetFinger = [this](TObject*, int string) { OpenFingerChooser(*FEFrame, string, &fingerOpen_); };
  FEFrame->OnChanged = [this](TObject*) {
    if (OnFrameChanged) OnFrameChanged(this);
  };
  MakeFormLanguage(this, "LUserFrame");
}

// ------------------------------------------------------------------ frame editor

TFFrameEditor::TFFrameEditor(TComponent* owner, TIniFile* settings) : TForm(owner) {
  SetName("FFrameEditor");
  SetCaption("Frame Editor");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(420);
  SetClientHeight(330);
  ApplySkinTemplate(*this, skinkind::Normal);

  // The chord buttons: root, its sign, base, quality, alterations, bass.
  CBChordNote = ChordButton("CBChordNote", 8, 8, 34, 0, true);
  CBChordDiesis = ChordButton("CBChordDiesis", 56, 8, 20, 2, false);
  CBChordBemol = ChordButton("CBChordBemol", 78, 8, 20, 2, false);
  CBChordDiesis->SetCaption("#");
  CBChordBemol->SetCaption("b");
  CBChordBase = ChordButton("CBChordBase", 104, 8, 34, 0, true);
  CBChordMinor = ChordButton("CBChordMinor", 156, 8, 34, 3, false);
  CBChordMajor = ChordButton("CBChordMajor", 192, 8, 34, 3, false);
  CBChordSus = ChordButton("CBChordSus", 228, 8, 40, 3, false);
  CBChordOmit = ChordButton("CBChordOmit", 270, 8, 46, 3, false);
  for (int i = 0; i < 5; ++i)
    CBChordAdd[static_cast<size_t>(i)] =
        ChordButton(("CBChordAdd" + std::to_string(kAlterNumbers[i])).c_str(), 8 + 60 * i, 36, 46, 10 + i, true);
  CBChordNote1 = ChordButton("CBChordNote1", 312, 36, 34, 4, true);
  CBChordDiesis1 = ChordButton("CBChordDiesis1", 360, 36, 20, 5, false);
  CBChordBemol1 = ChordButton("CBChordBemol1", 382, 36, 20, 5, false);
  CBChordDiesis1->SetCaption("#");
  CBChordBemol1->SetCaption("b");

  CBChordNote->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordNote(nullptr);
    c->SetValue(root_);
    OpenChooser(CBChordNote, c, [this](int v) { root_ = v; });
  };
  CBChordNote1->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordNote(nullptr);
    c->SetValue(bass_);
    OpenChooser(CBChordNote1, c, [this](int v) {
      bass_ = v;
      CBChordNote1->SetDown(true);
    });
  };
  CBChordBase->OnButtonClick = [this](TObject*) {
    auto* c = new TFChooseChordBase(nullptr);
    c->SetValue(base_);
    OpenChooser(CBChordBase, c, [this](int v) { base_ = v; });
  };
  for (int i = 0; i < 5; ++i) {
    TECCharButton* b = CBChordAdd[static_cast<size_t>(i)];
    b->OnButtonClick = [this, b, i](TObject*) {
      auto* c = new TFChooseChordAdd(nullptr);
      c->SetNumber(kAlterNumbers[i]);
      c->SetStyle(255);  // only the first style page here
      c->SetValue(direction_[static_cast<size_t>(i)]);
      OpenChooser(b, c, [this, b, i](int v) {
        direction_[static_cast<size_t>(i)] = v;
        alterStyle_[static_cast<size_t>(i)] = 0;
        b->SetDown(true);
      });
    };
  }

  CEChord = new TECChordEditor(this);
  CEChord->SetName("CEChord");
  CEChord->SetParent(this);
  CEChord->SetBounds(8, 66, 404, 40);
  CEChord->SetEnabled(false);
  TFont chordFont = CEChord->Font();
  chordFont.Name = "Arial";
  chordFont.SetSize(14);
  CEChord->SetFont(chordFont);

  FEFrame = new TECFrameEditor(this);
  FEFrame->SetName("FEFrame");
  FEFrame->SetParent(this);
  FEFrame->SetBounds(110, 110, 200, 180);
  FEFrame->OnGetNoteName = [](TObject*, int note) { return FrameNoteName(note); };
  FEFrame->OnGetFinger = [this](TObject*, int string) { OpenFingerChooser(*FEFrame, string, nullptr); };

  BBSave = MakeOkButton(this, "Ok", 254, 297);
  BBSave->SetName("BBSave");
  BBSave->OnClick = [this](TObject*) {
    code_ = BuildCode();
    SetModalResult(mrOk);
  };
  BBCancel = MakeCancelButton(this, 337, 297);
  BBCancel->Cancel = false;  // Esc does not close the editor: a frame is easily lost
  MakeFormLanguage(this, "LFrameEditor");

  if (settings) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings, kFrameEditorSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
  RefreshCaptions();
  RefreshName();
}

TECCharButton* TFFrameEditor::ChordButton(const char* name, int left, int top, int width, int group, bool arrow) {
  auto* b = new TECCharButton(this);
  b->SetName(name);
  b->SetParent(this);
  b->SetBounds(left, top, width + (arrow ? 12 : 0), 24);
  if (arrow) b->SetDropWidth(12);
  TFont font = b->Font();
  font.Name = "Arial";
  font.SetSize(9);
  b->SetFont(font);
  b->SetShowHint(true);
  if (group) {
    b->SetGroupIndex(group);
    b->SetAllowAllUp(true);
  }
  b->OnClick = [this](TObject*) { RefreshName(); };
  return b;
}

void TFFrameEditor::OpenChooser(TECCharButton* below, TFChooser* chooser, std::function<void(int)> chosen) {
  // Modal as the editor runs, its choosers must be its own windows to be
  // clicked.
  chooser->SetPopupParent(this);
  PlaceBelowControl(*below, *chooser);
  chooser->OnChosen = [this, chosen](TFChooser* c) {
    chosen(c->GetValue());
    RefreshCaptions();
    RefreshName();
  };
  chooser->Show();
}

void TFFrameEditor::RefreshCaptions() {
  CBChordNote->SetCaption(std::string(1, NoteLetter(root_)));
  CBChordNote1->SetCaption(std::string(1, NoteLetter(bass_)));
  CBChordBase->SetCaption(CaptionOf(kBaseCaptions, base_));
  CBChordMinor->SetCaption(CaptionOf(kMinorCaptions, minor_));
  CBChordMajor->SetCaption(CaptionOf(kMajorCaptions, major_));
  CBChordSus->SetCaption(CaptionOf(kSusCaptions, sus_));
  CBChordOmit->SetCaption(CaptionOf(kOmitCaptions, omit_));
  for (size_t i = 0; i < 5; ++i)
    CBChordAdd[i]->SetCaption(TFChooseChordAdd::Caption(kAlterNumbers[i], direction_[i], alterStyle_[i]));
}

std::vector<uint8_t> TFFrameEditor::BuildCode() const {
  std::vector<uint8_t> code = {0, 0};
  const uint8_t sign = CBChordBemol->Down() ? kFlat : CBChordDiesis->Down() ? kSharp : kNatural;
  code.push_back(static_cast<uint8_t>(sign | root_));
  if (CBChordMinor->Down()) code.push_back(static_cast<uint8_t>(kMinor + minor_));
  else if (CBChordMajor->Down()) code.push_back(static_cast<uint8_t>(kMajor + major_));
  code.push_back(static_cast<uint8_t>(kBase + base_));
  if (CBChordSus->Down()) code.push_back(static_cast<uint8_t>(kSus + sus_));
  else if (CBChordOmit->Down()) code.push_back(static_cast<uint8_t>(kOmit + omit_));
  for (size_t i = 0; i < 5; ++i) {
    if (!CBChordAdd[i]->Down()) continue;
    const int d = direction_[i];
    code.push_back(static_cast<uint8_t>(kAlterKinds[i] + (d == 0 ? 0 : Alteration(uint8_t(alterStyle_[i]), uint8_t(d)))));
  }
  code[kCountOffset] = static_cast<uint8_t>(code.size() - 2);
  if (CBChordNote1->Down()) {
    code[kHasBassOffset] = 1;
    const uint8_t bassSign = CBChordBemol1->Down() ? kFlat : CBChordDiesis1->Down() ? kSharp : kNatural;
    code.push_back(static_cast<uint8_t>(bassSign | bass_));
  }
  return code;
}

void TFFrameEditor::ShowCode(const std::vector<uint8_t>& code) {
  for (TECCharButton* b : {CBChordDiesis, CBChordBemol, CBChordMinor, CBChordMajor, CBChordSus, CBChordOmit,
                           CBChordNote1, CBChordDiesis1, CBChordBemol1})
    b->SetDown(false);
  for (TECCharButton* b : CBChordAdd) b->SetDown(false);
  direction_ = {};
  alterStyle_ = {};
  const int count = code.size() > kCountOffset ? code[kCountOffset] : 0;
  if (count > 0 && code.size() > kRootOffset) {
    const uint8_t root = code[kRootOffset];
    root_ = std::min<int>(LowNibble(root), 6);
    CBChordDiesis->SetDown(HighNibble(root) == kSharp);
    CBChordBemol->SetDown(HighNibble(root) == kFlat);
    const int last = std::min<int>(count + 1, static_cast<int>(code.size()) - 1);
    for (int i = kFirstElementOffset; i <= last; ++i) {
      const uint8_t b = code[static_cast<size_t>(i)], kind = HighNibble(b), low = LowNibble(b);
      if (b >= kIgnored) continue;
      switch (kind) {
        case kBase: base_ = std::min<int>(low, 5); break;
        case kMinor: minor_ = std::min<int>(low, 2), CBChordMinor->SetDown(true); break;
        case kMajor: major_ = std::min<int>(low, 1), CBChordMajor->SetDown(true); break;
        case kSus: sus_ = std::min<int>(low, 2), CBChordSus->SetDown(true); break;
        case kOmit: omit_ = std::min<int>(low, 3), CBChordOmit->SetDown(true); break;
        default:
          for (size_t a = 0; a < 5; ++a) {
            if (kind != kAlterKinds[a]) continue;
            const int d = low == 0 ? 0 : (low & 1) ? 1 : 2;
            direction_[a] = d;
            alterStyle_[a] = std::clamp((low - d) / 2, 0, 3);
            CBChordAdd[a]->SetDown(true);
          }
          break;  // brackets, raised markers and "add" are not kept here
      }
    }
    const size_t bassAt = static_cast<size_t>(count) + 2;
    if (code.size() > bassAt && code[kHasBassOffset] == 1) {
      bass_ = std::min<int>(LowNibble(code[bassAt]), 6);
      CBChordNote1->SetDown(true);
      CBChordDiesis1->SetDown(HighNibble(code[bassAt]) == kSharp);
      CBChordBemol1->SetDown(HighNibble(code[bassAt]) == kFlat);
    }
  }
  RefreshCaptions();
}

void TFFrameEditor::SetCode(const std::vector<uint8_t>& code) {
  const int length = CodeLength(code);
  code_.assign(code.begin(), code.begin() + std::clamp(length, 0, static_cast<int>(code.size())));
  if (code_.size() < 2) code_ = {0, 0};
  ShowCode(code_);
  RefreshName();
}

void TFFrameEditor::RefreshName() {
  std::vector<TQSChordFragment> fragments;
  BuildChordName(BuildCode(), fragments);
  CEChord->SetChordFragments(fragments);
  CEChord->Invalidate();
}

// ------------------------------------------------------------------ forms

void RegisterFrameDialogForms() {
  auto sample = [](TECFrameEditor& fe) {
    // G major with a barre on the third fret, as a guitarist marks it.
    fe.SetStringCount(6);
    fe.SetFretCount(24);
    const TQSFrameString strings[6] = {{40, 2, 3}, {45, 1, 2}, {50, 0, 0}, {55, 0, 0}, {59, 0, 0}, {64, 3, 3}};
    for (int i = 0; i < 6; ++i) fe.SetString(i, strings[i]);
    fe.SetBarre(2, 1);
  };
  RegisterForm("FFrameEditor", [sample](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFFrameEditor>(nullptr, nullptr);
    sample(*form->FEFrame);
    form->SetCode({4, 1, 0x04, 0x20, 0x12, 0xC1, 0x06});  // Gm7(9+)/B
    return form;
  });
  RegisterForm("FUserFrame", [sample](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFUserFrame>(nullptr);
    // Shown alone: the form tools own it and close it themselves.
    form->OnDeactivate = nullptr;
    form->OnClose = nullptr;
    sample(*form->FEFrame);
    return form;
  });
}

}  // namespace qs
