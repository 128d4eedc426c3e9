#include "help/callout.h"

#include <memory>

#include "help/helperwindow.h"
#include "help/xmlhelp.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "uikit/formparts.h"

namespace qs {

namespace {
constexpr int kCornerSize = 9;
// Cream, and the frame's fill.
constexpr TColor kBackground = 0xF0FBFF, kFrameFill = 0xF0FBFF;
}  // namespace

TFShowModule::TFShowModule(TComponent* owner) : TForm(owner) {
  SetName("FShowModule");
  SetCaption("Lesson");
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  KeyPreview = true;
  SetColor(kBackground);
  SetBounds(20, 100, 212, 147);
  SetClientWidth(212);
  SetClientHeight(147);

  HShow = Make<TECXMLHelp>(this, "HShow", 8, 8, 196, 60);
  HShow->SetParagraph(8);
  HShow->SetAutosize(true);
  HShow->OnClickRef = [](TObject*, const std::string& ref) { FollowHelpLink(ref, TLinkSource::Feed); };
  SShow = Make<TBevel>(this, "SShow", 10, 96, 192, 1);
  CBNotStop = Make<TCheckBox>(this, "CBNotStop", 8, 99, 204, 17);
  CBNotStop->SetCaption("Continue without stopping");
  CBNotStop->OnClick = [this](TObject*) {
    if (OnNotStopChange) OnNotStopChange(CBNotStop->Checked());
  };
  BBNext = Make<TButton>(this, "BBNext", 8, 117, 100, 25);
  BBNext->SetCaption("Next (Space)");
  BBNext->OnClick = [this](TObject*) { Close(mrOk); };
  BBStop = Make<TButton>(this, "BBStop", 112, 117, 100, 25);
  BBStop->SetCaption("Stop (Esc)");
  BBStop->OnClick = [this](TObject*) { Close(mrCancel); };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_ESCAPE) {
      key = 0;
      Close(mrCancel);
    } else if (key == VK_SPACE) {
      key = 0;
      Close(mrOk);
    }
  };
  FLShowModule = MakeFormLanguage(this, "FLShowModule");
}

void TFShowModule::LoadTopic(const std::string& containerFile, const std::string& topic) {
  HShow->BeginUpdate();
  HShow->SetFileName(containerFile);
  HShow->ClearTopics();
  HShow->AddTopic(topic);
  HShow->EndUpdate();
}

void TFShowModule::Arrange(TMode mode, bool continueWithoutStop) {
  mode_ = mode;
  HShow->SetBounds(8, 8, HShow->Width(), HShow->Height());
  HShow->LayoutItems();
  const int w = HShow->ContentWidth(), h = HShow->ContentHeight();
  const bool timed = mode == TMode::Timed;
  int width, height;
  if (timed) {
    width = w + 16;
    height = h + 16;
    HShow->SetBounds(8, 8, width - 16, height - 16);
  } else {
    const int b = mode == TMode::Modal ? 85 : 65, c = mode == TMode::Modal ? 65 : 45;
    width = w <= 220 ? 220 : w + 16;
    height = h <= 20 ? b : h + b - 20;
    HShow->SetBounds(8, 8, width - 16, height - c);
    SShow->SetBounds(10, height - 51, width - 20, 1);
    CBNotStop->SetBounds(8, height - 48, width - 16, 17);
    BBStop->SetBounds(width - 8 - BBStop->Width(), height - 30, BBStop->Width(), 25);
    BBNext->SetBounds(BBStop->Left() - 4 - BBNext->Width(), height - 30, BBNext->Width(), 25);
  }
  SShow->SetVisible(mode == TMode::Modal);
  CBNotStop->SetVisible(mode == TMode::Modal);
  BBNext->SetVisible(mode == TMode::Modal);
  BBStop->SetVisible(!timed);
  SetClientWidth(width);
  SetClientHeight(height);
  SetWindowRoundRect(TRect{0, 0, Width() - 1, Height() - 1}, kCornerSize, kCornerSize);
  CBNotStop->SetChecked(continueWithoutStop);
  Invalidate();
}

void TFShowModule::Present() {
  answer_ = mrNone;
  SetNoActivate(mode_ == TMode::Timed);
  Show();
  if (mode_ == TMode::Timed) return;
  BringToFront();
  if (BBNext->Visible()) BBNext->SetFocus();
  else BBStop->SetFocus();
}

void TFShowModule::Close(int answer) {
  answer_ = answer;
  Hide();
}

void TFShowModule::Paint() {
  TCanvas& c = Canvas();
  c.Pen().Width = 2;
  c.Pen().Color = clBlack;
  c.Brush().Color = kFrameFill;
  c.RoundRect(1, 1, ClientWidth() - 2, ClientHeight() - 2, kCornerSize, kCornerSize);
}

void RegisterCalloutForms() {
  RegisterForm("FShowModule", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto f = std::make_unique<TFShowModule>(nullptr);
    f->Arrange(TFShowModule::TMode::Modal, false);
    return f;
  });
}

}  // namespace qs
