// Window skins and the shared window services: the frame a skin gives a
// form, what lies under each point of it, its caption buttons, moving and
// sizing driven by real mouse input, the look of active and inactive
// windows; the help pages chosen for a topic; drop-downs under their
// controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>
#include <memory>

#include "platform/bitmap.h"
#include "platform/desktop.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/skin.h"

namespace qs {
namespace {

namespace td = testdriver;

// A form of client size 300 x 200 in skin kind 0 (caption 24, borders 7),
// so 314 x 231 outside.
struct TSkinnedForm {
  explicit TSkinnedForm(TFormBorderStyle style = bsSizeable, uint8_t kind = skinkind::Normal) {
    Form.SetBorderStyle(style);
    Form.SetCaption("Sonatina");
    Form.SetClientWidth(300);
    Form.SetClientHeight(200);
    Designer = ApplySkinTemplate(Form, kind);
  }
  // A window point in the form's client coordinates (the frame lies at
  // negative ones), as the test driver takes them.
  TPoint Client(TPoint window) const {
    const TRect in = Form.FrameInsets();
    return {window.X - in.Left, window.Y - in.Top};
  }
  TForm Form{nullptr};
  TECFormDesigner* Designer = nullptr;
};

TEST(Skin, TheNormalSkinFramesTheClientAreaAndRoundsTheCorners) {
  TSkinnedForm s;
  ASSERT_NE(s.Designer, nullptr);
  EXPECT_EQ(s.Form.FrameInsets(), (TRect{7, 24, 7, 7}));
  EXPECT_EQ(s.Form.ClientWidth(), 300);
  EXPECT_EQ(s.Form.ClientHeight(), 200);
  EXPECT_EQ(s.Form.Width(), 314);
  EXPECT_EQ(s.Form.Height(), 231);
  EXPECT_FALSE(s.Form.WindowRegionContains({0, 0}));
  EXPECT_FALSE(s.Form.WindowRegionContains({313, 230}));
  EXPECT_TRUE(s.Form.WindowRegionContains({3, 3}));
  EXPECT_TRUE(s.Form.WindowRegionContains({157, 115}));
  // The skin's transparent close button stays transparent on the form.
  ASSERT_EQ(s.Designer->Buttons().Count(), 1);
  EXPECT_TRUE(s.Designer->Buttons().Items(0)->Transparent);

  TForm plain(nullptr);
  plain.SetClientWidth(300);
  EXPECT_EQ(ApplySkinTemplate(plain, skinkind::kCount), nullptr);
  EXPECT_EQ(plain.Frame(), nullptr);
  EXPECT_EQ(plain.Width(), 300);
  EXPECT_FALSE(plain.HasWindowRegion());

  // Switching the skin off gives the window system's frame back and keeps
  // the client area.
  s.Designer->SetActive(false);
  EXPECT_EQ(s.Form.FrameInsets(), TRect{});
  EXPECT_EQ(s.Form.ClientWidth(), 300);
  EXPECT_FALSE(s.Form.HasWindowRegion());
}

TEST(Skin, ADesignerNeedsAFormAndOnlyOne) {
  TSkinnedForm s;
  TComponent notAForm(nullptr);
  const std::pair<TComponent*, const char*> cases[] = {
      {nullptr, "Component must be have class"},
      {&notAForm, "Owner must be a TForm class"},
      {&s.Form, "May be only one TECFormDisigner component on the Form"}};
  for (const auto& [owner, message] : cases) {
    try {
      new TECFormDesigner(owner);
      ADD_FAILURE() << message;
    } catch (const DException& e) {
      EXPECT_STREQ(e.what(), message);
    }
  }
}

TEST(Skin, HitTestFindsCaptionBordersCornersAndButtons) {
  TSkinnedForm sizeable;
  TSkinnedForm dialog(bsDialog);
  const int w = 314, h = 231;
  struct TCase {
    TPoint P;
    TECHitTest Sizeable, Dialog;
  };
  const TCase cases[] = {
      {{100, 12}, TECHitTest::Caption, TECHitTest::Caption},
      {{100, 1}, TECHitTest::Top, TECHitTest::Caption},
      {{2, 100}, TECHitTest::Left, TECHitTest::Border},
      {{w - 3, 100}, TECHitTest::Right, TECHitTest::Border},
      {{100, h - 3}, TECHitTest::Bottom, TECHitTest::Border},
      {{3, 2}, TECHitTest::TopLeft, TECHitTest::Caption},
      {{w - 3, 2}, TECHitTest::TopRight, TECHitTest::Caption},
      {{3, h - 3}, TECHitTest::BottomLeft, TECHitTest::Border},
      {{w - 4, h - 3}, TECHitTest::BottomRight, TECHitTest::Border},
      {{2, h - 14}, TECHitTest::BottomLeft, TECHitTest::Border},
      {{w - 12, 12}, TECHitTest::Button, TECHitTest::Button},
      {{100, 100}, TECHitTest::Client, TECHitTest::Client},
      {{7, 24}, TECHitTest::Client, TECHitTest::Client},
      {{0, 0}, TECHitTest::Nowhere, TECHitTest::Nowhere},
      {{w + 5, 10}, TECHitTest::Nowhere, TECHitTest::Nowhere}};
  for (const TCase& c : cases) {
    EXPECT_EQ(sizeable.Designer->HitTest(c.P), c.Sizeable) << c.P.X << "," << c.P.Y;
    EXPECT_EQ(dialog.Designer->HitTest(c.P), c.Dialog) << c.P.X << "," << c.P.Y;
  }
}

TEST(Skin, TheCloseButtonLightsUpPressesAndClosesOnlyWhenReleasedOverIt) {
  TSkinnedForm s;
  td::ShowAndWait(s.Form);
  TECFormButton& close = *s.Designer->Buttons().Items(0);
  const TPoint on = s.Client({314 - 12, 12}), off = s.Client({100, 12});
  td::MouseMove(s.Form, on.X, on.Y);
  EXPECT_EQ(close.State(), TECButtonState::Hot);
  td::MouseMove(s.Form, off.X, off.Y);
  EXPECT_EQ(close.State(), TECButtonState::Normal);

  // Pressed, then released off the button: the window stays.
  td::MouseMove(s.Form, on.X, on.Y);
  td::MouseDown(s.Form, on.X, on.Y);
  EXPECT_EQ(close.State(), TECButtonState::Pressed);
  td::MouseMove(s.Form, off.X, off.Y);
  td::MouseUp(s.Form, off.X, off.Y);
  EXPECT_EQ(close.State(), TECButtonState::Normal);
  EXPECT_TRUE(s.Form.Visible());

  td::Click(s.Form, on.X, on.Y);
  EXPECT_FALSE(s.Form.Visible());
}

TEST(Skin, TheMainSkinShowsTheButtonsOfTheWindowState) {
  TSkinnedForm s(bsSizeable, skinkind::Main);
  td::ShowAndWait(s.Form);
  using enum TECButtonStyle;
  struct TCase {
    TWindowState State;
    std::vector<std::pair<TECButtonStyle, int>> Shown;  // style and left edge from the right
  };
  const TCase cases[] = {
      {TWindowState::wsNormal, {{bsClose, -25}, {bsMinimized, -63}, {bsMaximized, -44}}},
      {TWindowState::wsMaximized, {{bsClose, -25}, {bsMinimized, -63}, {bsNormal, -44}}},
      {TWindowState::wsMinimized, {{bsClose, -25}, {bsMaximized, -44}, {bsNormal, -28}}},
  };
  for (const TCase& c : cases) {
    s.Form.SetWindowState(c.State);
    td::ProcessMessages();
    ASSERT_EQ(s.Form.WindowState(), c.State);
    GrabControl(s.Form);  // paints the frame, which places the buttons
    const int width = s.Form.Width();
    std::vector<std::pair<TECButtonStyle, int>> shown;
    for (int i = 0; i < s.Designer->Buttons().Count(); ++i) {
      const TECFormButton& b = *s.Designer->Buttons().Items(i);
      if (!b.PaintRect().IsEmpty()) shown.push_back({b.Style, b.PaintRect().Left - width});
    }
    EXPECT_EQ(shown, c.Shown) << static_cast<int>(c.State);
  }
}

TEST(Skin, ASimpleFrameWithoutCaptionADockedFormAndAWallpaper) {
  TSkinnedForm s;
  s.Designer->CaptionSetting().Height = 0;
  s.Designer->BorderSetting().Simple = true;
  s.Designer->RecalcFrame();
  EXPECT_EQ(s.Form.FrameInsets(), (TRect{1, 0, 2, 2}));
  EXPECT_EQ(s.Form.ClientWidth(), 300);

  auto paper = std::make_shared<TBitmap>(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) paper->SetPixel(x, y, (x + y) % 2 ? RGB(200, 0, 0) : RGB(0, 0, 200));
  s.Designer->SetWallPaper(paper);
  td::ShowAndWait(s.Form);
  std::unique_ptr<TBitmap> shot = GrabControl(s.Form);
  EXPECT_EQ(shot->Pixel(0, 100), ColorToRGB(clBlack));  // the pen frame
  EXPECT_EQ(shot->Pixel(1 + 17, 9), RGB(0, 0, 200));    // client (17, 9) is the wallpaper's (1, 1)
  EXPECT_EQ(shot->Pixel(1 + 18, 9), RGB(200, 0, 0));

  // Docked into another window, the form shows no frame.
  TForm host(nullptr);
  s.Form.ManualDock(&host);
  EXPECT_FALSE(s.Designer->Skinned());
  EXPECT_EQ(s.Form.FrameInsets(), TRect{});
  s.Form.ManualFloat();
  EXPECT_TRUE(s.Designer->Skinned());
  EXPECT_EQ(s.Form.FrameInsets(), (TRect{1, 0, 2, 2}));
}

TEST(Skin, AToolWindowsOwnButtonRunsItsHandler) {
  TSkinnedForm s(bsSizeToolWin, skinkind::Tool);
  int clicks = 0;
  s.Designer->Buttons().Items(1)->OnClick = [&](TObject*) { ++clicks; };
  td::ShowAndWait(s.Form);
  const TPoint custom = s.Client({s.Form.Width() - 15 - 7, 8});
  td::Click(s.Form, custom.X, custom.Y);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(s.Form.Visible());
}

TEST(Skin, TheCaptionMovesAndTheBorderSizesTheWindow) {
  TSkinnedForm s;
  s.Form.SetBounds(100, 100, s.Form.Width(), s.Form.Height());
  td::ShowAndWait(s.Form);
  const TRect start = s.Form.BoundsRect();
  // Where the window system moves the window itself, the skin lets it.
  const TPoint caption = s.Client({100, 12});
  td::MouseDown(s.Form, caption.X, caption.Y);
  td::MouseMove(s.Form, caption.X + 30, caption.Y + 20);
  // The pointer has moved with the window: it is over the same caption point.
  td::MouseUp(s.Form, caption.X, caption.Y);
  EXPECT_EQ(s.Form.Left(), start.Left + 30);
  EXPECT_EQ(s.Form.Top(), start.Top + 20);

  const TPoint right = s.Client({314 - 3, 100});
  td::MouseDown(s.Form, right.X, right.Y);
  td::MouseMove(s.Form, right.X + 40, right.Y);
  td::MouseUp(s.Form, right.X + 40, right.Y);
  EXPECT_EQ(s.Form.Width(), 314 + 40);
  EXPECT_EQ(s.Form.ClientWidth(), 300 + 40);
  EXPECT_EQ(s.Form.Height(), 231);
}

TEST(Skin, AnInactiveWindowShowsTheInactivePictures) {
  TSkinnedForm a, b;
  a.Form.SetBounds(0, 0, a.Form.Width(), a.Form.Height());
  b.Form.SetBounds(400, 0, b.Form.Width(), b.Form.Height());
  bool lastReported = false;
  int reports = 0;
  a.Designer->OnChangeActive = [&](TObject*, bool active) { lastReported = active, ++reports; };
  td::ShowAndWait(a.Form);
  ASSERT_TRUE(a.Designer->FrameActive());
  const TColor activeCaption = GrabControl(a.Form)->Pixel(150, 12);
  td::ShowAndWait(b.Form);
  EXPECT_FALSE(a.Designer->FrameActive());
  EXPECT_TRUE(b.Designer->FrameActive());
  EXPECT_FALSE(lastReported);
  EXPECT_GT(reports, 0);
  EXPECT_NE(GrabControl(a.Form)->Pixel(150, 12), activeCaption);
  EXPECT_EQ(GrabControl(b.Form)->Pixel(150, 12), activeCaption);

  // The small skin has no inactive caption centre: an inactive window
  // shows the active one.
  TSkinnedForm small(bsDialog, skinkind::Small);
  small.Form.SetBounds(0, 300, small.Form.Width(), small.Form.Height());
  td::ShowAndWait(small.Form);
  const TColor smallActive = GrabControl(small.Form)->Pixel(150, 12);
  TSkinnedForm next;
  next.Form.SetBounds(400, 300, next.Form.Width(), next.Form.Height());
  td::ShowAndWait(next.Form);
  ASSERT_FALSE(small.Designer->FrameActive());
  // Widened while inactive: the caption's centre reaches into the new
  // part of the window.
  const int oldWidth = small.Form.Width();
  small.Form.SetBounds(0, 300, oldWidth + 20, small.Form.Height());
  td::ProcessMessages();
  EXPECT_EQ(GrabControl(small.Form)->Pixel(oldWidth + 1, 12), smallActive);
}

TEST(Skin, TheMainSkinShowsTheProgramsIconWhereTheCaptionAsksForIt) {
  TSkinnedForm s(bsSizeable, skinkind::Main);
  td::ShowAndWait(s.Form);
  ASSERT_NE(ProgramIcon(), nullptr);
  // The icon's paper, in the caption's 16 x 16 square at (6, 6) only.
  const TColor paper = ProgramIcon()->Pixel(3, 2);
  auto paperPixels = [&](const TRect& r) {
    const std::unique_ptr<TBitmap> shot = GrabControl(s.Form);
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += shot->Pixel(x, y) == paper;
    return n;
  };
  EXPECT_GT(paperPixels(Bounds(6, 6, 16, 16)), 60);
  EXPECT_EQ(paperPixels(TRect{22, 0, s.Form.Width(), 29}), 0);
  // Its rounded corners show the caption.
  EXPECT_NE(GrabControl(s.Form)->Pixel(6, 6), ProgramIcon()->Pixel(0, 0));

  s.Designer->CaptionSetting().IconVisible = false;
  s.Form.InvalidateFrame();
  EXPECT_EQ(paperPixels(Bounds(6, 6, 16, 16)), 0);
}

TEST(Skin, ALongTitleIsCutBeforeItsLimit) {
  TSkinnedForm s(bsDialog, skinkind::Small);  // the title runs from 4 to 20 before the right edge
  s.Form.SetCaption(std::string(80, 'W'));
  td::ShowAndWait(s.Form);
  const std::unique_ptr<TBitmap> shot = GrabControl(s.Form);
  const TColor text = ColorToRGB(clCaptionText);
  const int limit = s.Form.Width() - 20;
  auto textPixels = [&](int from, int to) {
    int n = 0;
    for (int y = 1; y < 16; ++y)
      for (int x = from; x < to; ++x) n += shot->Pixel(x, y) == text;
    return n;
  };
  EXPECT_GT(textPixels(4, limit), 0);
  // Between the limit and the close button: the caption's own picture.
  EXPECT_EQ(textPixels(limit, s.Form.Width() - 17), 0);
}

// ---------------------------------------------------------------------- help

struct THelpFolder {
  THelpFolder() {
    dir = std::filesystem::temp_directory_path() / ("qs_help_" + std::to_string(::getpid()));
    for (const char* page : {"ENU/Introduction.htm", "ENU/OnlyEnglish.htm", "ENU/References/NewComposition.htm",
                             "FRA/Introduction.htm"}) {
      const auto file = dir / "resources" / "help" / page;
      std::filesystem::create_directories(file.parent_path());
      std::ofstream(file) << "<p>page</p>";
    }
    platform::SetProgramDirForTesting(dir.string() + "/");
    SetOpenUrlHandler([this](const std::string& url) {
      opened.push_back(url);
      return browser;
    });
  }
  ~THelpFolder() {
    SetOpenUrlHandler({});
    platform::SetProgramDirForTesting("");
    std::filesystem::remove_all(dir);
  }
  std::string Url(const std::string& page) const { return FileUrl((dir / "resources" / "help" / page).string()); }
  std::filesystem::path dir;
  std::vector<std::string> opened;
  bool browser = true;
};

// Runs fn and answers the message box it may show; its text, or "" when
// none showed.
std::string AnswersAMessage(const std::function<void()>& fn) {
  std::string shown;
  bool done = false;
  td::Later([&] {
    if (!done && td::WaitForModal(3000)) {
      for (int i = 0; i < Screen().FormCount(); ++i)
        if (auto* box = dynamic_cast<TFMessageBlock*>(Screen().Forms(i)); box && box->Visible())
          shown = box->MMessageBlock->Caption();
      std::replace(shown.begin(), shown.end(), '\n', ' ');  // the lines as one text
      td::KeyToModal(VK_ESCAPE);
    }
  });
  fn();
  done = true;
  td::ProcessMessages();
  return shown;
}

TEST(Help, PagesComeInTheInterfaceLanguageOrInEnglish) {
  THelpFolder help;
  TComponent owner(nullptr);
  auto* engine = new TECLanguage(&owner);
  struct TCase {
    const char* Language;
    const char* Topic;
    const char* Page;  // "" when nothing opens
  };
  const TCase cases[] = {
      {"FRA", "Introduction", "FRA/Introduction.htm"},
      {"FRA", "OnlyEnglish", "ENU/OnlyEnglish.htm"},
      {"DEU", "Introduction", "ENU/Introduction.htm"},
      {"FRA", "References/NewComposition", "ENU/References/NewComposition.htm"},
      {"ENU", "Missing", ""},
      {"ENU", "../ENU/Introduction", ""},
  };
  for (const TCase& c : cases) {
    engine->SetLanguage(c.Language);
    help.opened.clear();
    const std::string message = AnswersAMessage([&] { ShowHelpTopic(c.Topic); });
    if (*c.Page) {
      EXPECT_EQ(help.opened, std::vector<std::string>{help.Url(c.Page)}) << c.Topic;
      EXPECT_EQ(message, "") << c.Topic;
    } else {
      EXPECT_TRUE(help.opened.empty()) << c.Topic;
      EXPECT_NE(message.find("not found"), std::string::npos) << message;
    }
  }
  engine->SetLanguage("FRA");
  help.opened.clear();
  ShowHelpContents();
  EXPECT_EQ(help.opened, std::vector<std::string>{help.Url("FRA/Introduction.htm")});

  // No browser: the user is told.
  help.browser = false;
  EXPECT_NE(AnswersAMessage([] { ShowHelpContents(); }).find("web browser"), std::string::npos);
}

// ------------------------------------------------------------------ placing

TEST(PlaceBelowControl, BelowTheControlAboveItAtTheBottomAndNeverOffTheLeftEdge) {
  TForm host(nullptr);
  host.SetBorderStyle(bsNone);
  auto* edit = new TEdit(&host);
  edit->SetParent(&host);
  edit->SetBounds(10, 0, 80, 20);
  TForm dropDown(nullptr);
  dropDown.SetBorderStyle(bsNone);
  dropDown.SetBounds(0, 0, 150, 100);
  const int sw = Screen().Width(), sh = Screen().Height();
  struct TCase {
    TPoint Host;       // the host form's position
    TPoint Expected;   // the drop-down's
  };
  const TCase cases[] = {
      {{100, 100}, {110, 120}},                        // below
      {{sw - 100, 100}, {sw - 150, 120}},              // pushed left to end at the screen's edge
      {{100, sh - 110}, {110, sh - 110 - 100}},        // no room below: above the control
      {{100, sh - 140}, {110, sh - 140 - 100}},        // reaching 20 from the bottom counts as no room
      {{100, sh - 141}, {110, sh - 121}},              // just enough room
      {{100, 50}, {110, 70}},
  };
  for (const TCase& c : cases) {
    host.SetBounds(c.Host.X, c.Host.Y, 200, 40);
    PlaceBelowControl(*edit, dropDown);
    EXPECT_EQ(dropDown.Left(), c.Expected.X) << c.Host.X << "," << c.Host.Y;
    EXPECT_EQ(dropDown.Top(), c.Expected.Y) << c.Host.X << "," << c.Host.Y;
  }
  // A control so close to the top that the drop-down fits neither below
  // nor above: at the top of the screen.
  dropDown.SetBounds(0, 0, 150, sh);
  host.SetBounds(100, 50, 200, 40);
  PlaceBelowControl(*edit, dropDown);
  EXPECT_EQ(dropDown.Top(), 0);
}

}  // namespace
}  // namespace qs
