#include "app/preview.h"

#include <algorithm>
#include <memory>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "app/pageviewer.h"
#include "app/printing.h"
#include "base/strings.h"
#include "platform/actions.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "score/score.h"
#include "uikit/formparts.h"
#include "uikit/menu.h"
#include "view/window.h"

namespace qs {

namespace {

constexpr int kToolsHeight = 28;
constexpr int kZoomStep = 25, kZoomMin = 25, kZoomMax = 1000;
// The zoom list after its two fitted entries.
constexpr int kScales[] = {50, 75, 100, 150, 200};
constexpr uint32_t kYellow = 0x00FFFF;  // $BBGGRR
enum TPreviewMessage { kByWidth = 0, kByHeight = 1 };

}  // namespace

void TPreviewSettings::Visit(TSettingsIO& io) { io.Key("PageCount", PageCount, true); }

TFPreviewModule::TFPreviewModule(TComponent* owner, TSettings* settings) : TForm(owner), settings_(settings) {
  SetName("FPreviewModule");
  SetCaption("Preview");
  // Most of the screen: a page fitted to the height is then read easily.
  const TRect area = Screen().WorkAreaRect();
  SetBounds(area.Left, area.Top, std::min(1000, area.Width() * 9 / 10), std::max(400, area.Height() * 9 / 10));
  SetPosition(poScreenCenter);
  KeyPreview = true;
  ApplySkinTemplate(*this, skinkind::Normal);

  ALPreview = new TActionList(this);
  ALPreview->SetName("ALPreview");
  auto action = [this](const char* name, uint16_t shortCut, std::function<void()> run) {
    auto* a = new TAction(this);
    a->SetName(name);
    a->ShortCut = shortCut;
    a->SetActionList(ALPreview);
    a->OnExecute = [run = std::move(run)](TObject*) {
      if (run) run();
    };
    return a;
  };
  APrint = action("APrint", ShortCut('P', ssCtrl), [this] {
    if (score_) PrintScore(*score_, title_);
  });
  // Named for the menu; printing asks its settings in its own dialog.
  APrintSettings = action("APrintSettings", 0, nullptr);
  APrintSettings->SetVisible(false);
  AFirst = action("AFirst", ShortCut(VK_HOME, 0), [this] { FirstPage(); });
  APrev = action("APrev", ShortCut(VK_PRIOR, 0), [this] { PrevPage(); });
  ANext = action("ANext", ShortCut(VK_NEXT, 0), [this] { NextPage(); });
  ALast = action("ALast", ShortCut(VK_END, 0), [this] { LastPage(); });

  PTools = Make<TPanel>(this, "PTools", 0, 0, 760, kToolsHeight);
  PTools->SetAlign(alTop);
  PTools->SetBevelOuter(bvNone);
  CBOnePage = Make<TSpeedButton>(this, PTools, "CBOnePage", 2, 2, 90, 24);
  CBOnePage->SetCaption("Single page");
  CBTwoPage = Make<TSpeedButton>(this, PTools, "CBTwoPage", 94, 2, 90, 24);
  CBTwoPage->SetCaption("Double page");
  for (TSpeedButton* b : {CBOnePage, CBTwoPage}) {
    b->GroupIndex = 1;
    b->Flat = true;
  }
  CBOnePage->OnClick = [this](TObject*) { SetPagesPerRow(1); };
  CBTwoPage->OnClick = [this](TObject*) { SetPagesPerRow(2); };
  CBScale = Make<TComboBox>(this, PTools, "CBScale", 190, 3, 100, 22);
  CBScale->SetStyle(csDropDownList);
  CBScale->OnChange = [this](TObject*) { ApplyScale(CBScale->ItemIndex()); };

  MMPreview = Make<TECMenu>(this, PTools, "MMPreview", 296, 0, 460, kToolsHeight);
  TECMenuItem* root = MMPreview->Item();
  root->SetOrientation(ioHorizontal);
  root->SetMenuStyle(msToolbar);
  root->SetButtonHeight(kToolsHeight);
  root->SetColor(clBtnFace);
  const std::pair<const char*, TAction*> items[] = {{"MIFirstPage", AFirst}, {"MIPrevPage", APrev},
                                                    {"MINextPage", ANext},   {"MILastPage", ALast},
                                                    {"MIPrint", APrint},     {"MIExit", nullptr}};
  for (const auto& [name, a] : items) {
    auto* item = new TECMenuItem(this);
    item->SetName(name);
    if (a) item->SetAction(a);
    else item->OnClick = [this](TObject*) { Close(); };
    root->Add(item);
  }

  QSPreview = new TQSWindow(this);
  QSPreview->SetName("QSPreview");
  QSPreview->SetAlign(alClient);
  QSPreview->SetParent(this);
  QSPreview->Style = wsPreview;
  QSPreview->Rule.Visible = false;
  QSPreview->SetCursorColor(kYellow);
  QSPreview->SetDataStyle(dsAll);

  FLPreview = MakeFormLanguage(this, "FLPreview");
  TStringList scales{FLPreview->GetMessage(kByWidth, "By width"), FLPreview->GetMessage(kByHeight, "By height")};
  for (int percent : kScales) scales.Add(std::to_string(percent) + "%");
  CBScale->SetItems(scales);

  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) { KeyDown(key, shift); };
  OnShow = [this](TObject*) {
    TPreviewSettings stored;
    if (settings_) settings_->Load(stored);
    SetPagesPerRow(stored.PageCount ? 1 : 2);
  };
  if (settings_) settings_->RestoreBounds(*this, TPreviewSettings::kSection);
}

TFPreviewModule::~TFPreviewModule() {
  if (settings_) {
    settings_->StoreBounds(*this, TPreviewSettings::kSection);
    TPreviewSettings stored;
    settings_->Load(stored);
    settings_->Set(stored, &TPreviewSettings::PageCount, CBOnePage->Down());
  }
  // The view goes before the score it shows may go.
  if (score_) QSPreview->SetScore(nullptr);
}

void TFPreviewModule::SetScore(TQSScore* score, const std::string& title) {
  score_ = score;
  title_ = title;
  QSPreview->SetScore(score);
  APrint->SetEnabled(score != nullptr);
  UpdatePageActions();
}

int TFPreviewModule::PageCount() const { return score_ ? score_->LaidOutPages : 0; }

int TFPreviewModule::CurrentPage() const { return QSPreview->ShownPage(); }

void TFPreviewModule::GotoPage(int index) {
  if (PageCount() > 0) QSPreview->GotoPage(std::clamp(index, 0, PageCount() - 1));
  UpdatePageActions();
}

void TFPreviewModule::FirstPage() { GotoPage(0); }
void TFPreviewModule::PrevPage() { GotoPage(CurrentPage() - QSPreview->Geometry().PagePerHorz()); }
void TFPreviewModule::NextPage() { GotoPage(CurrentPage() + QSPreview->Geometry().PagePerHorz()); }
void TFPreviewModule::LastPage() {
  // The first page of the last row.
  const int perRow = QSPreview->Geometry().PagePerHorz();
  GotoPage(perRow * ((PageCount() - 1) / perRow));
}

void TFPreviewModule::SetPagesPerRow(int pages) {
  (pages == 2 ? CBTwoPage : CBOnePage)->SetDown(true);
  const int page = CurrentPage();
  QSPreview->SetPagePerHorz(pages);
  CBScale->SetItemIndex(1);
  ApplyScale(1);
  GotoPage(page);
}

void TFPreviewModule::ApplyScale(int item) {
  if (item == 0) QSPreview->ZoomToPageWidth();
  else if (item == 1) QSPreview->ZoomToPageHeight();
  else if (item >= 2 && item < 2 + static_cast<int>(std::size(kScales))) QSPreview->SetZoom(kScales[item - 2]);
}

void TFPreviewModule::UpdatePageActions() {
  const int page = CurrentPage();
  const bool back = score_ && page > 0, forward = score_ && page < PageCount() - 1;
  AFirst->SetEnabled(back);
  APrev->SetEnabled(back);
  ANext->SetEnabled(forward);
  ALast->SetEnabled(forward);
}

void TFPreviewModule::KeyDown(uint16_t& key, TShiftState shift) {
  if (key == VK_ESCAPE) {
    key = 0;
    Close();
    return;
  }
  if (key == VK_ADD || key == VK_SUBTRACT) {
    const int zoom = QSPreview->Zoom;
    if (key == VK_ADD && zoom < kZoomMax) QSPreview->SetZoom(zoom + kZoomStep);
    if (key == VK_SUBTRACT && zoom > kZoomMin) QSPreview->SetZoom(zoom - kZoomStep);
    key = 0;
    return;
  }
  const uint16_t pressed = ShortCut(key, shift);
  for (TAction* a : {APrint, AFirst, APrev, ANext, ALast})
    if (a->ShortCut == pressed) {
      a->Execute();
      key = 0;
      return;
    }
}

void ShowPreview(TQSScore& score, const std::string& title, TSettings* settings) {
  TFPreviewModule preview(nullptr, settings);
  {
    TBusyCursor busy;
    preview.SetScore(&score, title);
  }
  preview.ShowModal();
}

void TFProgramModule::APreviewExecute() {
  if (TFFileEditor* doc = ActiveEditor()) ShowPreview(doc->Score(), doc->Title(), settings_);
}

void RegisterPreviewForms() {
  RegisterForm("FPreviewModule", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    struct TOwnScorePreview : TFPreviewModule {
      TOwnScorePreview() : TFPreviewModule(nullptr, nullptr), Score(std::make_unique<TQSScore>()) {
        MakeNewScore(*Score);
        SetScore(Score.get(), "");
        SetPagesPerRow(1);
      }
      ~TOwnScorePreview() override {
        QSPreview->SetScore(nullptr);
        BeginDestroy();
      }
      std::unique_ptr<TQSScore> Score;
    };
    return std::make_unique<TOwnScorePreview>();
  });
}

}  // namespace qs
