#include "dialogs/compositionproperties.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "base/inifile.h"
#include "base/strings.h"
#include "dialogs/newcomposition.h"
#include "dialogs/scoretemplate.h"
#include "palettes/drummap.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "score/score.h"
#include "uikit/formparts.h"
#include "uikit/gridstring.h"
#include "uikit/interface.h"
#include "uikit/pagecontrol.h"

namespace qs {

namespace {

constexpr const char* kSection = "CompositionPropertiesForm";
constexpr int kCustomPaper = static_cast<int>(TQSPaperSize::Custom);

TUpDown* Spin(TComponent* owner, TWinControl* parent, const char* name, TEdit* edit, int min, int max) {
  auto* ud = Make<TUpDown>(owner, parent, name, edit->Left() + edit->Width(), edit->Top(), 17, edit->Height());
  ud->Min = min;
  ud->Max = max;
  ud->SetAssociate(edit);
  ud->SetPosition(min);
  return ud;
}

TLabel* Label(TComponent* owner, TWinControl* parent, const char* name, const char* text, int left, int top,
              int width) {
  TLabel* l = Make<TLabel>(owner, parent, name, left, top, width, 16);
  l->SetCaption(text);
  return l;
}

int Typed(const TEdit& edit, const TUpDown& ud) {
  return std::clamp(StrToIntSafe(Trim(edit.Text()), ud.Position()), ud.Min, ud.Max);
}

int SpinPosition(long double value) {
  if (!std::isfinite(static_cast<double>(value))) return 0;
  return static_cast<int>(std::clamp(std::lround(static_cast<double>(value)), 0L, 10000L));
}

}  // namespace

TRect MarginSampleRect(const TRect& paper, long double width, long double height, long double left, long double top,
                       long double right, long double bottom) {
  const int paperWidth = paper.Right - paper.Left, paperHeight = paper.Bottom - paper.Top;
  if (!(width > 0) || !(height > 0) || paperWidth <= 0) return paper;
  const long double f = width / paperWidth;
  auto scaled = [f](long double v) { return static_cast<int>(std::lround(static_cast<double>(v / f))); };
  const int l = scaled(left), t = scaled(top), r = scaled(right), b = scaled(bottom);
  const int w = paperWidth - l - r, h = paperHeight - t - b;
  if (w <= 0 || h <= 0 || left >= width || right >= width || top >= height || bottom >= height) return paper;
  return TRect{paper.Left + l, paper.Top + t, paper.Left + l + w, paper.Top + t + h};
}

TFCompositionProperties::TFCompositionProperties(TComponent* owner, TIniFile* settings)
    : TForm(owner), settings_(settings) {
  SetName("FCompositionProperties");
  SetFormHelpTopic(Name(), "CompositionProp");
  SetCaption("Composition properties");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(384);
  SetClientHeight(478);
  ApplySkinTemplate(*this, skinkind::Normal);
  constexpr int L = 8, W = 352, F = 176;  // left, column width, field offset

  PCProperties = Make<TECPageControl>(this, this, "PCProperties", 0, 0, 384, 436);
  PCProperties->PageSetting().SetDoubleSheet(false);
  PCProperties->SetSpiralVisible(false);
  PCProperties->PageSetting().SetOrientation(poBottom);
  auto sheet = [this](const char* name, const char* caption) {
    auto* page = new TECTabSheet(this);
    page->SetName(name);
    page->SetCaption(caption);
    page->SetPageControl(PCProperties);
    return page;
  };
  TSGeneral = sheet("TSGeneral", "Layout");
  TSPage = sheet("TSPage", "Page");
  TSPrint = sheet("TSPrint", "Print");
  TSDrumMap = sheet("TSDrumMap", "Drum map");
  TSSignature = sheet("TSSignature", "Signature");

  // ---- general
  TWinControl* g = TSGeneral;
  Label(this, g, "LInterval", "Staff distance", L, 10, F - 8);
  EInterval = Make<TEdit>(this, g, "EInterval", L + F, 8, 80, 21);
  UDInterval = Spin(this, g, "UDInterval", EInterval, 0, 10000);
  UDInterval->SetAssociate(nullptr);
  LScale = Label(this, g, "LScale", "Scale = 100%", L, 38, W);
  TBScale = Make<TTrackBar>(this, g, "TBScale", L, 56, W, 28);
  TBScale->SetMin(kMinScale);
  TBScale->SetMax(kMaxScale);
  TBScale->SetPosition(100);
  Label(this, g, "LPlacing", "Note placing", L, 92, W);
  auto* placing = Make<TPanel>(this, g, "PPlacing", L, 110, W, 80);
  placing->SetBevelOuter(bvNone);
  RBEvenly = Make<TRadioButton>(this, placing, "RBEvenly", 4, 2, F - 12, 20);
  RBEvenly->SetCaption("Evenly");
  ENoteInterval = Make<TEdit>(this, placing, "ENoteInterval", F - 8, 2, 50, 21);
  UDNoteInterval = Spin(this, placing, "UDNoteInterval", ENoteInterval, 0, 39);
  RBProportional = Make<TRadioButton>(this, placing, "RBProportional", 4, 28, W - 8, 20);
  RBProportional->SetCaption("Proportionally");
  RBPositional = Make<TRadioButton>(this, placing, "RBPositional", 4, 54, F - 12, 20);
  RBPositional->SetCaption("Measures a row");
  EMeasureCount = Make<TEdit>(this, placing, "EMeasureCount", F - 8, 54, 50, 21);
  UDMeasureCount = Spin(this, placing, "UDMeasureCount", EMeasureCount, 1, 155);
  Label(this, g, "LAutoJoin", "Beaming", L, 198, W);
  auto* joins = Make<TPanel>(this, g, "RGAutoJoin", L, 216, W, 104);
  joins->SetBevelOuter(bvNone);
  const char* joinNames[4][2] = {{"RBJoinNone", "None"}, {"RBJoinMeasure", "Whole measure"},
                                 {"RBJoinMeter", "By time signature"}, {"RBJoinCustom", "Groups"}};
  for (int i = 0; i < 4; ++i) {
    RGAutoJoin[size_t(i)] = Make<TRadioButton>(this, joins, joinNames[i][0], 4, 2 + 24 * i, F - 12, 20);
    RGAutoJoin[size_t(i)]->SetCaption(joinNames[i][1]);
  }
  EUnionCount = Make<TEdit>(this, joins, "EUnionCount", F - 8, 74, 50, 21);
  UDUnionCount = Spin(this, joins, "UDUnionCount", EUnionCount, 2, 64);
  CBHorzAlign = Make<TCheckBox>(this, g, "CBHorzAlign", L, 328, W, 20);
  CBHorzAlign->SetCaption("Align horizontally");
  CBVertAlign = Make<TCheckBox>(this, g, "CBVertAlign", L, 352, W, 20);
  CBVertAlign->SetCaption("Align vertically");
  Label(this, g, "LPageBreak", "Empty pages at the beginning", L, 382, F + 40);
  EPageBreak = Make<TEdit>(this, g, "EPageBreak", L + F + 48, 380, 50, 21);
  UDPageBreak = Spin(this, g, "UDPageBreak", EPageBreak, 0, kMaxEmptyPages);

  // ---- page
  TWinControl* pg = TSPage;
  Label(this, pg, "LMetric", "Unit", L, 8, W);
  auto* metric = Make<TPanel>(this, pg, "PMetric", L, 24, W, 28);
  metric->SetBevelOuter(bvNone);
  const char* metrics[3][2] = {{"RBMillimetres", "Millimetres"}, {"RBInches", "Inches"}, {"RBPixels", "Pixels"}};
  for (int i = 0; i < 3; ++i) {
    RGMetric[size_t(i)] = Make<TRadioButton>(this, metric, metrics[i][0], 4 + 116 * i, 4, 112, 20);
    RGMetric[size_t(i)]->SetCaption(metrics[i][1]);
  }
  Label(this, pg, "LPaperSize", "Paper", L, 62, 100);
  CBPaperSize = Make<TComboBox>(this, pg, "CBPaperSize", L + 108, 60, W - 108, 22);
  CBPaperSize->SetStyle(csDropDownList);
  CBPaperSize->SetItems(PaperSizeNames());
  auto* orientation = Make<TPanel>(this, pg, "POrientation", L, 88, W, 28);
  orientation->SetBevelOuter(bvNone);
  RBPortrait = Make<TRadioButton>(this, orientation, "RBPortrait", 4, 4, 170, 20);
  RBPortrait->SetCaption("Portrait");
  RBLandscape = Make<TRadioButton>(this, orientation, "RBLandscape", 178, 4, 170, 20);
  RBLandscape->SetCaption("Landscape");
  const char* lengths[6][3] = {{"LWidthPaper", "EWidthPaper", "Width"},
                               {"LLengthPaper", "ELengthPaper", "Height"},
                               {"LLeftMargin", "ELeftMargin", "Left margin"},
                               {"LTopMargin", "ETopMargin", "Top margin"},
                               {"LRightMargin", "ERightMargin", "Right margin"},
                               {"LBottomMargin", "EBottomMargin", "Bottom margin"}};
  const char* spins[6] = {"UDWidthPaper", "UDLengthPaper", "UDLeftMargin", "UDTopMargin", "UDRightMargin",
                          "UDBottomMargin"};
  for (int i = 0; i < 6; ++i) {
    const int top = 126 + 28 * i + (i >= 2 ? 10 : 0);
    Label(this, pg, lengths[i][0], lengths[i][2], L, top + 2, 110);
    Lengths[size_t(i)] = Make<TEdit>(this, pg, lengths[i][1], L + 112, top, 80, 21);
    LengthSpins[size_t(i)] = Spin(this, pg, spins[i], Lengths[size_t(i)], 0, 10000);
    LengthSpins[size_t(i)]->SetAssociate(nullptr);
  }
  GBSample = Make<TGroupBox>(this, pg, "GBSample", L + 222, 122, 130, 200);
  GBSample->SetCaption("Sample");
  SPaper = Make<TPanel>(this, GBSample, "SPaper", 15, 50, 70, 100);
  SPaper->SetBevelOuter(bvNone);
  SPaper->SetColor(clWhite);
  SMargin = Make<TPanel>(this, SPaper, "SMargin", 5, 5, 60, 90);
  SMargin->SetBevelOuter(bvNone);
  SMargin->SetColor(clSilver);

  // ---- print
  TWinControl* pr = TSPrint;
  CBPrintLines = Make<TCheckBox>(this, pr, "CBPrintLines", L, 10, W, 20);
  CBPrintLines->SetCaption("Print empty systems at the end");
  CBPrintEmpty = Make<TCheckBox>(this, pr, "CBPrintEmpty", L + 16, 34, W - 16, 20);
  CBPrintEmpty->SetCaption("Print empty measures at the end");
  CBPrintNumber = Make<TCheckBox>(this, pr, "CBPrintNumber", L, 62, W, 20);
  CBPrintNumber->SetCaption("Print measure numbers");

  // ---- drum map
  SGDrumMap = MakeDrumMapGrid(this, TSDrumMap, L, 8, W, 400);
  SGDrumMap->Columns().Items(TFDrumMap::kName).SetWidth(180);

  // ---- signature
  TWinControl* sg = TSSignature;
  Label(this, sg, "LComposer", "Composer", L, 10, 100);
  EComposer = Make<TEdit>(this, sg, "EComposer", L + 108, 8, W - 108, 21);
  Label(this, sg, "LPoet", "Lyricist", L, 38, 100);
  EPoet = Make<TEdit>(this, sg, "EPoet", L + 108, 36, W - 108, 21);
  Label(this, sg, "LRights", "Copyright", L, 66, 100);
  ERights = Make<TEdit>(this, sg, "ERights", L + 108, 64, W - 108, 21);
  Label(this, sg, "LDescription", "Description", L, 96, W);
  MDescription = Make<TMemo>(this, sg, "MDescription", L, 114, W, 290);

  BBOk = MakeOkButton(this, "&OK", 140, 444);
  BBOk->OnClick = [this](TObject*) {
    Apply();
    SetModalResult(mrOk);
  };
  BBCancel = MakeCancelButton(this, 220, 444);
  BBHelp = Make<TButton>(this, "BBHelp", 300, 444, 75, 25);
  BBHelp->SetCaption("Help");
  BBHelp->OnClick = [](TObject*) { ShowHelpTopic("CompositionProp"); };
  language_ = MakeFormLanguage(this, "LCompositionProperties");
  SetDrumMapGridTitles(*SGDrumMap, *language_, 1);

  // ---- behaviour
  auto enabling = [this](TObject*) { UpdateEnabled(); };
  for (TRadioButton* b : {RBEvenly, RBProportional, RBPositional}) b->OnClick = enabling;
  for (TRadioButton* b : RGAutoJoin) b->OnClick = enabling;
  CBPrintLines->OnClick = enabling;
  TBScale->OnChange = [this](TObject*) { ShowScale(); };
  for (int i = 0; i < 3; ++i)
    RGMetric[size_t(i)]->OnClick = [this, i](TObject*) {
      if (filling_) return;
      Page.SetMetrix(static_cast<TQSMetrix>(i));
      ShowPage();
    };
  CBPaperSize->OnChange = [this](TObject*) {
    if (filling_ || CBPaperSize->ItemIndex() < 0) return;
    Page.SetPaperSize(static_cast<TQSPaperSize>(CBPaperSize->ItemIndex()));
    ShowPage();
  };
  auto orient = [this](TQSOrientation o) {
    return [this, o](TObject*) {
      if (filling_) return;
      Page.SetOrientation(o);
      ShowPage();
    };
  };
  RBPortrait->OnClick = orient(TQSOrientation::poPortrait);
  RBLandscape->OnClick = orient(TQSOrientation::poLandscape);
  // A length is taken as typed in the page's unit; its up-down shows the
  // whole units, and a step keeps the fraction.
  auto lengthControls = [this](TEdit* edit, TUpDown* spin, int dimension) {
    edit->OnChange = [this, edit, spin, dimension](TObject*) {
      if (filling_) return;
      Page.SetDimension(dimension, ParseSetupLength(edit->Text()));
      filling_ = true;
      if (dimension != TQSPage::dInterval) spin->SetPosition(SpinPosition(Page.GetDimension(dimension)));
      filling_ = false;
      DrawSample();
    };
    edit->OnExit = [this](TObject*) { ShowPage(); };
    edit->OnKeyPress = [this](TObject*, char16_t& key) {
      const bool separator = (key == u'.' || key == u',') && Page.Metrix() != TQSMetrix::rmPixels;
      if (key >= u' ' && !(key >= u'0' && key <= u'9') && !separator) key = 0;
    };
    spin->OnClick = [this, spin, dimension](TObject*, TUDBtnType) {
      const long double value = Page.GetDimension(dimension);
      const long double fraction = value - std::floor(value);
      Page.SetDimension(dimension, spin->Position() + fraction);
      ShowPage();
    };
  };
  lengthControls(EInterval, UDInterval, TQSPage::dInterval);
  for (int i = 0; i < 6; ++i) lengthControls(Lengths[size_t(i)], LengthSpins[size_t(i)], i);

  OnShow = [this](TObject*) {
    ShowHelperContext({"CompositionProperties"}, true, Left(), Top(), Width(), Height());
    if (CanFocus()) SetFocus();
  };
  OnClose = [](TObject*, TCloseAction&) { ReturnHelperContext(); };
  if (settings_) {
    const int index = settings_->ReadInteger(kSection, "PageIndex", 0);
    if (index >= 0 && index < PCProperties->PageCount()) PCProperties->SetActivePage(PCProperties->Pages(index));
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, kSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
  ShowPage();
  ShowScale();
  UpdateEnabled();
}

TFCompositionProperties::~TFCompositionProperties() {
  if (!settings_) return;
  for (int i = 0; i < PCProperties->PageCount(); ++i)
    if (PCProperties->Pages(i) == PCProperties->ActivePage()) settings_->WriteInteger(kSection, "PageIndex", i);
  WriteFormBounds(*settings_, kSection, BoundsRect());
}

void TFCompositionProperties::SetScore(TQSScore* score) {
  if (score == score_) return;
  score_ = score;
  if (!score) return;
  filling_ = true;
  EComposer->SetText(score->Composer);
  EPoet->SetText(score->Poet);
  ERights->SetText(score->Rights);
  MDescription->SetLines(score->Description);
  Page.SetMetrix(score->Page.Metrix());
  Page.Assign(score->Page);
  TBScale->SetPosition(std::clamp<int>(score->Scale, kMinScale, kMaxScale));
  const int join = score->AutoJoin;
  for (int i = 0; i < 4; ++i) RGAutoJoin[size_t(i)]->SetChecked(std::min(join, 3) == i);
  UDUnionCount->SetPosition(join > 2 ? join - 1 : 2);
  CBVertAlign->SetChecked(score->VertAlign != 0);
  CBHorzAlign->SetChecked(score->HorzAlign != 0);
  const int align = score->Align;
  RBEvenly->SetChecked(align < 50);
  RBProportional->SetChecked(align >= 50 && align < 100);
  RBPositional->SetChecked(align > 100);
  UDNoteInterval->SetPosition(align < 50 ? align - 10 : 0);
  UDMeasureCount->SetPosition(align > 100 ? align - 100 : 3);
  UDPageBreak->SetPosition(std::clamp<int>(score->EmptyPages, 0, kMaxEmptyPages));
  CBPrintEmpty->SetChecked(score->PrintEmptyMeasures != 0);
  CBPrintLines->SetChecked(score->PrintEmptyLines != 0);
  CBPrintNumber->SetChecked(score->PrintMeasureNumbers != 0);
  for (int key = kFirstDrumKey; key <= kLastDrumKey; ++key) SetDrumMapGridEntry(*SGDrumMap, key, TDrumMapEntry{});
  for (const TQSDrumMapEntry& e : score->DrumMap)
    if (e.Key >= kFirstDrumKey && e.Key <= kLastDrumKey)
      SetDrumMapGridEntry(*SGDrumMap, e.Key, TDrumMapEntry{e.Name, e.Head, e.Position, e.Use != 0});
  filling_ = false;
  ShowPage();
  ShowScale();
  UpdateEnabled();
}

void TFCompositionProperties::Apply() {
  if (!score_) return;
  TQSScore& score = *score_;
  score.BeginUpdate();
  try {
    score.Page.Assign(Page);
    score.PrintEmptyMeasures = CBPrintEmpty->Checked();
    score.PrintEmptyLines = CBPrintLines->Checked();
    score.PrintMeasureNumbers = CBPrintNumber->Checked();
    const int align = RBEvenly->Checked()         ? Typed(*ENoteInterval, *UDNoteInterval) + 10
                      : RBProportional->Checked() ? 50
                                                  : Typed(*EMeasureCount, *UDMeasureCount) + 100;
    score.SetAlign(static_cast<uint8_t>(align));
    score.SetHorzAlign(CBHorzAlign->Checked());
    score.SetVertAlign(CBVertAlign->Checked());
    int join = Typed(*EUnionCount, *UDUnionCount) + 1;
    for (int i = 0; i < 3; ++i)
      if (RGAutoJoin[size_t(i)]->Checked()) join = i;
    score.SetAutoJoin(static_cast<uint8_t>(join));
    score.SetEmptyPages(Typed(*EPageBreak, *UDPageBreak));
    score.Composer = EComposer->Text();
    score.Poet = EPoet->Text();
    score.Rights = ERights->Text();
    score.SetDescription(MDescription->Lines());
    score.SetScale(TBScale->Position());
    // The grid is the whole map: rows without a name leave it.
    score.DrumMapRebuildSuppressed = true;
    score.ClearDrumMap();
    for (int key = kFirstDrumKey; key <= kLastDrumKey; ++key) {
      const int row = TFDrumMap::RowOfKey(key);
      const std::string name = Trim(SGDrumMap->Cells(TFDrumMap::kName, row));
      if (name.empty()) continue;
      const int position = StrToIntSafe(Trim(SGDrumMap->Cells(TFDrumMap::kPos, row)), kMiddleDrumPosition);
      const int head = StrToIntSafe(Trim(SGDrumMap->Cells(TFDrumMap::kHead, row)), kNoDrumHead);
      score.SetDrumMapEntry(static_cast<uint8_t>(key), name, static_cast<uint8_t>(std::clamp(head, 0, 255)),
                            static_cast<uint8_t>(std::clamp(position, 0, 255)),
                            SGDrumMap->Cells(TFDrumMap::kUse, row) == "1");
    }
    score.DrumMapRebuildSuppressed = false;
    score.RebuildDrumMap();
    score.Recalculate(0);
  } catch (...) {
    score.DrumMapRebuildSuppressed = false;
    score.EndUpdate();
    throw;
  }
  score.EndUpdate();
  score.RefreshWindows();
  score.FireChanged(&score);
}

void TFCompositionProperties::ShowPage() {
  const bool filling = filling_;
  filling_ = true;
  const int unit = static_cast<int>(Page.Metrix());
  for (int i = 0; i < 3; ++i) RGMetric[size_t(i)]->SetChecked(unit == i);
  const int paper = static_cast<int>(Page.PaperSize());
  CBPaperSize->SetItemIndex(paper);
  RBPortrait->SetChecked(Page.Orientation() == TQSOrientation::poPortrait);
  RBLandscape->SetChecked(Page.Orientation() == TQSOrientation::poLandscape);
  auto show = [this, unit](TEdit* edit, TUpDown* spin, int dimension) {
    const long double value = Page.GetDimension(dimension);
    spin->SetPosition(SpinPosition(value));
    edit->SetText(FormatSetupLength(value, unit));
  };
  show(EInterval, UDInterval, TQSPage::dInterval);
  for (int i = 0; i < 6; ++i) {
    show(Lengths[size_t(i)], LengthSpins[size_t(i)], i);
    if (i < 2) {
      Lengths[size_t(i)]->SetEnabled(paper == kCustomPaper);
      LengthSpins[size_t(i)]->SetEnabled(paper == kCustomPaper);
    }
  }
  filling_ = filling;
  DrawSample();
}

void TFCompositionProperties::DrawSample() {
  const bool portrait = Page.Orientation() == TQSOrientation::poPortrait;
  const int w = portrait ? 70 : 100, h = portrait ? 100 : 70;
  const TRect paper{(GBSample->Width() - w) / 2, (GBSample->Height() - h) / 2, 0, 0};
  SPaper->SetBounds(paper.Left, paper.Top, w, h);
  const TRect margin = MarginSampleRect(TRect{0, 0, w, h}, Page.Width(), Page.Height(), Page.LeftMargin(),
                                        Page.TopMargin(), Page.RightMargin(), Page.BottomMargin());
  SMargin->SetBounds(margin.Left, margin.Top, margin.Right - margin.Left, margin.Bottom - margin.Top);
}

void TFCompositionProperties::ShowScale() {
  LScale->SetCaption(language_->GetMessage(0, "Scale") + " = " + std::to_string(TBScale->Position()) + "%");
}

void TFCompositionProperties::UpdateEnabled() {
  ENoteInterval->SetEnabled(RBEvenly->Checked());
  UDNoteInterval->SetEnabled(RBEvenly->Checked());
  EMeasureCount->SetEnabled(RBPositional->Checked());
  UDMeasureCount->SetEnabled(RBPositional->Checked());
  EUnionCount->SetEnabled(RGAutoJoin[3]->Checked());
  UDUnionCount->SetEnabled(RGAutoJoin[3]->Checked());
  CBPrintEmpty->SetEnabled(CBPrintLines->Checked());
}

void RegisterCompositionPropertiesForms() {
  // One picture a page: the form as it opens, then each further page.
  for (const char* page : {"", "TSPage", "TSPrint", "TSDrumMap", "TSSignature"}) {
    const std::string name = std::string("FCompositionProperties") + (*page ? "-" : "") + page;
    RegisterForm(name, [page = std::string(page)](const std::string&) -> std::unique_ptr<TCustomForm> {
      auto form = std::make_unique<TFCompositionProperties>(nullptr, nullptr);
      form->EComposer->SetText("J. S. Bach");
      form->MDescription->SetText("BWV 1007");
      SetDrumMapGridEntry(*form->SGDrumMap, 38, TDrumMapEntry{"Acoustic Snare", 255, 66, true});
      SetDrumMapGridEntry(*form->SGDrumMap, 42, TDrumMapEntry{"Closed Hi-Hat", 0, 74, true});
      form->SGDrumMap->SetTopRow(TFDrumMap::RowOfKey(50));
      for (int i = 0; i < form->PCProperties->PageCount(); ++i)
        if (form->PCProperties->Pages(i)->Name() == page)
          form->PCProperties->SetActivePage(form->PCProperties->Pages(i));
      return form;
    });
  }
}

}  // namespace qs
