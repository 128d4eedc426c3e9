#include "help/helperwindow.h"

#include <algorithm>
#include <memory>

#include "base/safefile.h"
#include "base/strings.h"
#include "help/rssreader.h"
#include "help/xmlhelp.h"
#include "platform/desktop.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "uikit/catalogue.h"
#include "uikit/formparts.h"
#include "uikit/settings.h"

namespace qs {

namespace {

constexpr TColor kPaletteGrey = 0xF1EEEC;  // red 236, green 238, blue 241
constexpr TColor kNavy = 0x800000;
constexpr const char* kHelperSection = "HelperModule";
constexpr const char* kNewsSection = "NewsModule";
constexpr const char* kFeedStem = "music_notation_software";
constexpr size_t kMaxLinkArgument = 100;
constexpr int kNoPlacement = -1000;

THelperHost* host = nullptr;
TFHelperModule* helper = nullptr;
TFNewsModule* news = nullptr;

bool StartsWithText(const std::string& s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

// Bottom row shared by both windows: the viewer fills the window above
// a separator and the check box.
void LayOutChildren(TForm& form, TControl* viewer, TControl* separator, TControl* check) {
  const int w = form.ClientWidth(), h = form.ClientHeight();
  if (viewer) viewer->SetBounds(4, 2, std::max(w - 8, 0), std::max(h - 24, 0));
  if (separator) separator->SetBounds(5, h - 20, std::max(w - 10, 0), 2);
  if (check) check->SetBounds(check->Left(), h - 17, check->Width(), check->Height());
}

void ShowContextInHelper(bool recreate, int left, int width);

// The check box below the page, in navy.
TCheckBox* MakeBottomCheck(TForm* form, int top, int width) {
  TCheckBox* check = Make<TCheckBox>(form, "CBCancel", 4, top, width, 17);
  TFont f = check->Font();
  f.Color = kNavy;
  check->SetFont(f);
  return check;
}

}  // namespace

void SetHelperHost(THelperHost* h) {
  host = h;
  SetHelperContextView(h ? THelperContextView(ShowContextInHelper) : THelperContextView());
}

// ------------------------------------------------------------------ links

TLinkTarget ResolveHelpLink(const std::string& ref, TLinkSource source) {
  const std::string r = Trim(ref);
  if (StartsWithText(r, "http://") || StartsWithText(r, "https://")) return {TLinkAction::Web, r};
  if (source != TLinkSource::Help) return {};
  auto rest = [&](size_t n) { return Trim(r.substr(n, kMaxLinkArgument)); };
  if (StartsWithText(r, "chm://")) return {TLinkAction::HelpPage, rest(6)};
  if (StartsWithText(r, "tich://")) return {TLinkAction::Lesson, rest(7)};
  if (StartsWithText(r, "cmd://")) {
    const std::string command = rest(6);
    for (const char* name : {"New", "Open", "Print", "Preview", "Play", "Record"})
      if (SameText(command, name)) return {TLinkAction::Command, std::string("A") + name};
  }
  return {};
}

void FollowHelpLink(const std::string& ref, TLinkSource source) {
  const TLinkTarget t = ResolveHelpLink(ref, source);
  switch (t.Action) {
    case TLinkAction::Web: OpenUrl(t.Argument); break;
    case TLinkAction::HelpPage: ShowHelpTopic(t.Argument); break;
    case TLinkAction::Lesson:
      if (host) host->StartLesson(t.Argument);
      break;
    case TLinkAction::Command:
      if (host) host->RunHelpCommand(t.Argument);
      break;
    case TLinkAction::None: break;
  }
}

// ------------------------------------------------------------------ Helper

int EdgeOnScreen(int edge, int size, int screenSize) {
  return edge + size <= 0 || edge >= screenSize ? 0 : edge;
}

int PlaceHelperBeside(int helperLeft, int helperWidth, int callerLeft, int callerWidth, int screenWidth) {
  if (callerLeft <= kNoPlacement) return helperLeft;
  const int right = callerLeft + callerWidth;
  if (helperLeft > callerLeft && helperLeft < right) {
    // It covers the caller from inside: move it to the caller's right edge.
    int left = right - 16;
    if (left + helperWidth >= screenWidth) left = screenWidth - helperWidth;
    return left;
  }
  if (helperLeft < callerLeft && helperLeft + helperWidth > callerLeft) {
    const int left = callerLeft - helperWidth + 16;
    return left > 0 ? left : 0;
  }
  return helperLeft;
}

std::string HelpContainerFile(const std::string& language) {
  const std::string code = language.empty() ? InterfaceLanguage() : language;
  const std::string own = platform::FindResource("Quillstave4." + code + ".xcf");
  if (!own.empty()) return own;
  const std::string english = std::string("Quillstave4.") + kDefaultLanguage + ".xcf";
  const std::string found = platform::FindResource(english);
  return found.empty() ? platform::ProgramDir() + english : found;
}

TFHelperModule::TFHelperModule(TComponent* owner) : TForm(owner) {
  SetName("FHelperModule");
  SetCaption("Helper");
  SetFormStyle(fsStayOnTop);
  SetColor(kPaletteGrey);
  SetClientWidth(224);
  SetClientHeight(261);
  FDHelper = ApplySkinTemplate(*this, skinkind::Small);
  if (FDHelper) {
    // The window's outline: a one-pixel step at the top-right and
    // bottom-left corners.
    FDHelper->OnCreateRgn = [this](TObject*, std::vector<TPoint>& region) {
      const int w = Width(), h = Height();
      region = {{0, 0}, {w - 1, 0}, {w - 1, 4}, {w, 4}, {w, h}, {4, h}, {4, h - 1}, {0, h - 1}};
    };
    FDHelper->UpdateRegion();
    // Forward and back stand left of the close button.
    const TECFormButton* close = FDHelper->Buttons().Count() > 0 ? FDHelper->Buttons().Items(0) : nullptr;
    int left = close ? close->Left + close->Width + 1 : 3;
    for (const char* picture : {"Small-Forward", "Small-Back"}) {
      TECFormButton* b = FDHelper->Buttons().Add();
      b->Style = TECButtonStyle::bsCustom;
      b->RightAlign = true;
      b->Left = left;
      b->Top = close ? close->Top : 1;
      b->Width = close ? close->Width : 14;
      b->Height = close ? close->Height : 14;
      b->Picture = LoadSkinPicture(picture);
      left += b->Width + 1;
    }
    FDHelper->Buttons().Items(FDHelper->Buttons().Count() - 2)->OnClick = [this](TObject*) { HHelper->GoForward(); };
    FDHelper->Buttons().Items(FDHelper->Buttons().Count() - 1)->OnClick = [this](TObject*) { HHelper->GoBack(); };
  }

  HHelper = new TECXMLHelp(this);
  HHelper->SetName("HHelper");
  HHelper->SetParent(this);
  HHelper->SetParagraph(16);
  HHelper->SetColor(kPaletteGrey);
  SHelper = Make<TBevel>(this, "SHelper", 5, 241, 214, 2);
  CBCancel = MakeBottomCheck(this, 244, 216);
  CBCancel->SetCaption("Do not show at start");
  FLHelperModule = MakeFormLanguage(this, "FLHelperModule");

  if (TSettings* s = ProgramSettings(); s && s->RestoreBounds(*this, kHelperSection)) {
    // A place stored on a larger or another screen is not kept.
    SetBounds(EdgeOnScreen(Left(), Width(), Screen().Width()), EdgeOnScreen(Top(), Height(), Screen().Height()),
              Width(), Height());
  }
  CBCancel->SetChecked(host && !host->HelperAtStart());
  CBCancel->OnClick = [](TObject* sender) {
    if (host) host->SetHelperAtStart(!static_cast<TCheckBox*>(sender)->Checked());
  };
  HHelper->OnClickRef = [](TObject*, const std::string& ref) { FollowHelpLink(ref, TLinkSource::Help); };
  // The program's one Helper goes when it is closed.
  OnClose = [this](TObject*, TCloseAction& action) {
    if (helper == this) action = caFree;
  };
  ShowTopics(kNoPlacement, 0);
  OpenContentFile();
  Resize();
}

TFHelperModule::~TFHelperModule() {
  if (TSettings* s = ProgramSettings()) s->StoreBounds(*this, kHelperSection);
  if (helper == this) helper = nullptr;
}

void TFHelperModule::Resize() {
  TForm::Resize();
  LayOutChildren(*this, HHelper, SHelper, CBCancel);
  if (CBCancel) CBCancel->SetBounds(4, ClientHeight() - 17, std::max(ClientWidth() - 8, 20), 17);
}

void TFHelperModule::ShowTopics(int callerLeft, int callerWidth) {
  HHelper->BeginUpdate();
  HHelper->ClearTopics();
  for (const std::string& name : HelperContextPath()) HHelper->AddTopic(name + ".xml");
  HHelper->EndUpdate();
  const int left = PlaceHelperBeside(Left(), Width(), callerLeft, callerWidth, Screen().Width());
  if (left != Left()) SetBounds(left, Top(), Width(), Height());
}

void TFHelperModule::OpenContentFile() { HHelper->SetFileName(HelpContainerFile()); }

const std::vector<std::string>& HelperContextNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n = {"Main", "Opened"};
    n.insert(n.end(), std::begin(kHelperToolPages), std::end(kHelperToolPages));
    for (const char* name : {"VelocityEditor", "PlaybackEditor", "EventEditor", "Lessons", "NewComposition",
                             "NewFileData", "NewFileGeneral", "NewFilePage", "Settings", "CompositionProperties",
                             "PartProperties", "StaffProperties", "VoiceProperties", "Vorschlag", "DrumStyle",
                             "MeasureUnion", "AlignMeasure"})
      n.push_back(name);
    return n;
  }();
  return names;
}

const std::vector<std::string>& HelpPageTopics() {
  static const std::vector<std::string> topics = {
      kHelpContentsTopic, kHelpEntranceTopic,      "References/NewComposition", "ProgSettings",
      "NewInstrument",    "ChooseInstrument", "InstrumentProp",          "CompositionProp",
      "MeasureProp",      "PartProp",      "StaffProp",                 "TextProp",
      "GraceNoteProp",    "GuitarProp"};
  return topics;
}

TFHelperModule* HelperModule() { return helper; }

namespace {
// A reported context shows in the Helper when there is one.
void ShowContextInHelper(bool recreate, int left, int width) {
  if (!helper) return;
  if (recreate) {
    delete helper;
    OpenHelper();
  }
  helper->ShowTopics(left, width);
}
}  // namespace

TFHelperModule* OpenHelper() {
  SetHelperContextView(ShowContextInHelper);
  if (!helper) helper = new TFHelperModule(Application().MainForm());
  helper->Show();
  return helper;
}

void CloseHelper() {
  if (helper) delete helper;
}

void ReloadHelperContent() {
  if (helper) helper->OpenContentFile();
}

// ------------------------------------------------------------------ news

std::string NewsCacheFile() { return platform::CacheDir() + "News/" + kFeedStem + ".rss"; }

std::string NewsFeedFile(const std::string& language) {
  const std::string folder = platform::CacheDir() + "News/";
  const std::string own = std::string(kFeedStem) + "_" + (language.empty() ? InterfaceLanguage() : language) + ".rss";
  for (const std::string& f : {folder + own, folder + kFeedStem + ".rss"})
    if (FileExists(f)) return f;
  for (const std::string& name : {"News/" + own, std::string("News/") + kFeedStem + ".rss"}) {
    const std::string shipped = platform::FindResource(name);
    if (!shipped.empty() && ExtractFileName(shipped) == ExtractFileName(name)) return shipped;
  }
  return {};
}

TFNewsModule::TFNewsModule(TComponent* owner) : TForm(owner) {
  SetName("FNewsModule");
  SetCaption("News");
  SetFormStyle(fsStayOnTop);
  SetColor(kPaletteGrey);
  SetClientWidth(351);
  SetClientHeight(284);
  ApplySkinTemplate(*this, skinkind::Small);
  HNews = new TECRssReader(this);
  HNews->SetName("HNews");
  HNews->SetParent(this);
  HNews->SetColor(kPaletteGrey);
  SNews = Make<TBevel>(this, "SNews", 5, 264, 341, 2);
  CBCancel = MakeBottomCheck(this, 267, 300);
  CBCancel->SetCaption("Fetch the news");
  FLNews = MakeFormLanguage(this, "FLNews");
  if (TSettings* s = ProgramSettings()) s->RestoreBounds(*this, kNewsSection);
  CBCancel->SetChecked(host && host->NewsEnabled());
  CBCancel->OnClick = [](TObject* sender) {
    if (host) host->SetNewsEnabled(static_cast<TCheckBox*>(sender)->Checked());
  };
  HNews->OnClickRef = [](TObject*, const std::string& ref) { FollowHelpLink(ref, TLinkSource::Feed); };
  OnClose = [this](TObject*, TCloseAction& action) {
    if (news == this) action = caFree;
  };
  OnDeactivate = [this](TObject*) {
    if (news == this) Close();
  };
  KeyPreview = true;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_ESCAPE) Close();
  };
  Resize();
}

TFNewsModule::~TFNewsModule() {
  if (TSettings* s = ProgramSettings()) s->StoreBounds(*this, kNewsSection);
  if (news == this) news = nullptr;
}

void TFNewsModule::Resize() {
  TForm::Resize();
  LayOutChildren(*this, HNews, SNews, CBCancel);
}

bool TFNewsModule::OpenFeedFile() {
  const std::string file = NewsFeedFile();
  if (file.empty()) return false;
  HNews->SetFileName(file);
  return true;
}

bool ShowNewsWindow() {
  if (news) delete news;
  auto* window = new TFNewsModule(Application().MainForm());
  if (!window->OpenFeedFile()) {
    delete window;
    return false;
  }
  news = window;
  news->Show();
  return true;
}

TFNewsModule* NewsModule() { return news; }

void RegisterHelperForms() {
  RegisterForm("FHelperModule", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto f = std::make_unique<TFHelperModule>(nullptr);
    f->HHelper->BeginUpdate();
    f->HHelper->ClearTopics();
    f->HHelper->AddTopic("Main.xml");
    f->HHelper->EndUpdate();
    return f;
  });
  RegisterForm("FNewsModule", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto f = std::make_unique<TFNewsModule>(nullptr);
    f->OpenFeedFile();
    return f;
  });
}

}  // namespace qs
