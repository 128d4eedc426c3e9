// Controls and forms driven through the window system.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/bitmap.h"
#include "platform/clipboard.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "platform/timers.h"


using namespace qs;
namespace td = qs::testdriver;

namespace {

// A custom control that writes down its input.
class TProbe : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<std::string> Log;
  std::vector<TRect> PaintClips;
  TColor Fill = clWhite;
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    Log.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y) +
                  ((s & ssDouble) ? " double" : ""));
  }
  void MouseMove(TShiftState s, int x, int y) override {
    if (s & ssLeft) Log.push_back("drag " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseUp(TMouseButton b, TShiftState, int x, int y) override {
    Log.push_back("up " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void Click() override { Log.push_back("click"); }
  void DblClick() override { Log.push_back("dblclick"); }
  void MouseEnter() override { Log.push_back("enter " + Name()); }
  void MouseLeave() override { Log.push_back("leave " + Name()); }
  void CancelMode() override {
    Log.push_back("cancel");
    TCustomControl::CancelMode();
  }
  bool DoMouseWheel(TShiftState, int delta, TPoint) override {
    Log.push_back("wheel " + std::to_string(delta));
    return true;
  }
  void KeyDown(uint16_t& key, TShiftState shift) override {
    Log.push_back("key " + std::to_string(key) + ((shift & ssShift) ? " shift" : "") + ((shift & ssCtrl) ? " ctrl" : ""));
    TCustomControl::KeyDown(key, shift);
  }
  void Paint() override {
    PaintClips.push_back(Canvas().ClipRect());
    Canvas().Brush().Color = Fill;
    Canvas().Brush().Style = bsSolid;
    Canvas().FillRect(ClientRect());
  }
  void WndProc(TMessage& m) override {
    if (m.Msg >= WM_USER) Log.push_back("message " + std::to_string(m.Msg - WM_USER) + " " + std::to_string(m.WParam));
    TCustomControl::WndProc(m);
  }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetName("Form1");
    form->SetBounds(100, 100, 300, 200);
  }
  void TearDown() override {
    delete form;
    Application().OnMessage = nullptr;
    td::ProcessMessages();
  }
  TProbe* AddProbe(const std::string& name, int left, int top, int width = 80, int height = 60) {
    auto* p = new TProbe(form);
    p->SetName(name);
    p->SetBounds(left, top, width, height);
    p->SetParent(form);
    return p;
  }
  TForm* form = nullptr;
};

TEST_F(ControlsTest, MouseCaptureHoldsThroughADragOutsideTheControl) {
  TProbe* a = AddProbe("A", 10, 10);
  TProbe* b = AddProbe("B", 150, 10);
  td::ShowAndWait(*form);
  td::MouseDown(*a, 5, 5);
  // Over B and beyond it, the moves and the release still go to A.
  td::MouseMove(*b, 10, 10);
  td::MouseMove(*b, 200, 30);
  td::MouseUp(*b, 10, 10);
  // The pointer leaves A, and enters B, when the button is let go.
  EXPECT_EQ(a->Log, (std::vector<std::string>{"enter A", "down 0 5,5", "drag 150,10", "drag 340,30", "drag 150,10",
                                              "up 0 150,10", "leave A"}));
  EXPECT_EQ(b->Log, std::vector<std::string>{"enter B"});
}

TEST_F(ControlsTest, ClickDoubleClickAndWheelArriveAsTheControlExpects) {
  TProbe* a = AddProbe("A", 10, 10);
  td::ShowAndWait(*form);
  td::Click(*a, 4, 6);
  td::Click(*a, 4, 6, mbRight);
  a->Log.clear();
  td::DoubleClick(*a, 7, 8);
  td::Wheel(*a, 3, 3, -WHEEL_DELTA);
  EXPECT_EQ(a->Log, (std::vector<std::string>{"down 0 7,8", "up 0 7,8", "click", "down 0 7,8 double", "dblclick",
                                              "up 0 7,8", "wheel -120"}));
}

TEST_F(ControlsTest, EnterAndLeaveFollowThePointer) {
  TProbe* a = AddProbe("A", 10, 10);
  TProbe* b = AddProbe("B", 150, 10);
  td::ShowAndWait(*form);
  td::MouseMove(*a, 5, 5);
  td::MouseMove(*a, 6, 6);
  td::MouseMove(*b, 5, 5);
  EXPECT_EQ(a->Log, (std::vector<std::string>{"enter A", "leave A"}));
  EXPECT_EQ(b->Log, (std::vector<std::string>{"enter B"}));
  EXPECT_TRUE(b->MouseInside());
  EXPECT_FALSE(a->MouseInside());
}

TEST_F(ControlsTest, AnotherControlTakingTheMouseCancelsTheFirstOnesMode) {
  TProbe* a = AddProbe("A", 10, 10);
  TProbe* b = AddProbe("B", 150, 10);
  td::ShowAndWait(*form);
  a->SetMouseCapture(true);
  EXPECT_TRUE(a->MouseCapture());
  b->SetMouseCapture(true);
  EXPECT_EQ(a->Log, std::vector<std::string>{"cancel"});
  EXPECT_FALSE(a->MouseCapture());
  b->SetMouseCapture(false);
  EXPECT_EQ(Application().CaptureControl(), nullptr);
}

TEST_F(ControlsTest, TabMovesTheFocusInTabOrderSkippingWhatCannotTakeIt) {
  auto* e1 = new TEdit(form);
  e1->SetName("E1");
  e1->SetParent(form);
  auto* e2 = new TEdit(form);
  e2->SetName("E2");
  e2->SetParent(form);
  auto* e3 = new TEdit(form);
  e3->SetName("E3");
  e3->SetParent(form);
  auto* e4 = new TEdit(form);
  e4->SetName("E4");
  e4->SetParent(form);
  e3->SetTabOrder(0);  // E3, E1, E2, E4
  e2->SetEnabled(false);
  EXPECT_EQ(e1->TabOrder(), 1);
  td::ShowAndWait(*form);
  EXPECT_TRUE(e3->Focused());  // the first in Tab order
  td::PressKey(*form, VK_TAB);
  EXPECT_TRUE(e1->Focused());
  td::PressKey(*form, VK_TAB);
  EXPECT_TRUE(e4->Focused());
  td::PressKey(*form, VK_TAB);
  EXPECT_TRUE(e3->Focused());
  td::PressKey(*form, VK_TAB, ssShift);
  EXPECT_TRUE(e4->Focused());
  EXPECT_EQ(form->ActiveControl(), e4);
  EXPECT_EQ(Screen().ActiveControl(), e4);
  e2->SetEnabled(true);
  e2->SetFocus();
  EXPECT_TRUE(e2->Focused());
  e1->SetVisible(false);
  EXPECT_THROW(e1->SetFocus(), EInvalidOperation);
}

TEST_F(ControlsTest, KeysArriveAsVirtualKeysWithTheFormSeeingThemFirst) {
  TProbe* a = AddProbe("A", 10, 10);
  a->SetTabStop(true);
  std::vector<std::string> seen;
  form->KeyPreview = true;
  form->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
    seen.push_back("form " + std::to_string(key));
    if (key == VK_F1) key = 0;  // the form keeps F1 to itself
  };
  td::ShowAndWait(*form);
  a->SetFocus();
  td::ProcessMessages();
  struct TCase {
    int Vk;
    TShiftState Shift;
    std::string Expected;
  } cases[] = {
      {'A', 0, "key 65"},
      {'A', ssShift | ssCtrl, "key 65 shift ctrl"},
      {'7', 0, "key 55"},
      {VK_ADD, 0, "key 107"},          // the numeric pad's plus
      {VK_OEM_PLUS, 0, "key 187"},     // the main keyboard's
      {VK_SUBTRACT, 0, "key 109"},
      {VK_NUMPAD0 + 3, 0, "key 99"},
      {VK_INSERT, 0, "key 45"},
      {VK_PRIOR, 0, "key 33"},
      {VK_NEXT, ssShift, "key 34 shift"},
      {VK_ESCAPE, 0, "key 27"},
      {VK_F1 + 4, 0, "key 116"},
      {VK_LEFT, 0, "key 37"},
  };
  for (const TCase& c : cases) {
    a->Log.clear();
    seen.clear();
    td::PressKey(*a, static_cast<uint16_t>(c.Vk), c.Shift);
    // The modifier keys come down first, as on a keyboard.
    ASSERT_FALSE(a->Log.empty());
    EXPECT_EQ(a->Log.back(), c.Expected) << c.Vk;
    EXPECT_EQ(seen.back(), "form " + std::to_string(c.Vk)) << c.Vk;
  }
  a->Log.clear();
  td::PressKey(*a, VK_F1);
  EXPECT_TRUE(a->Log.empty());
  // The application sees every key before both.
  Application().OnMessage = [](TMessage& m, bool& handled) { handled = m.Msg == WM_KEYDOWN && m.WParam == 'Q'; };
  seen.clear();
  td::PressKey(*a, 'Q');
  EXPECT_TRUE(a->Log.empty());
  EXPECT_TRUE(seen.empty());
}

TEST(Keys, TheNumericPadIsToldFromTheMainKeyboard) {
  // The toolkit's codes: printable keys are their characters.
  constexpr int kInsert = 0x01000006, kPageUp = 0x01000016, kEnter = 0x01000005;
  struct TCase {
    int Key;
    bool Keypad;
    int Vk;
  } cases[] = {
      {'+', true, VK_ADD},        {'+', false, VK_OEM_PLUS},   {'=', false, VK_OEM_PLUS},
      {'-', true, VK_SUBTRACT},   {'-', false, VK_OEM_MINUS},  {'*', true, VK_MULTIPLY},
      {'7', true, VK_NUMPAD0 + 7}, {'7', false, '7'},          {'!', false, '1'},
      {'a' - 32, false, 'A'},     {kInsert, true, VK_INSERT},  {kPageUp, false, VK_PRIOR},
      {kEnter, true, VK_RETURN},  {'/', true, VK_DIVIDE},      {'/', false, VK_OEM_2},
  };
  for (const TCase& c : cases) EXPECT_EQ(VirtualKeyFromQt(c.Key, c.Keypad), c.Vk) << c.Key << " " << c.Keypad;
  bool keypad = false;
  EXPECT_EQ(QtKeyFromVirtualKey(VK_ADD, &keypad), '+');
  EXPECT_TRUE(keypad);
  EXPECT_EQ(QtKeyFromVirtualKey(VK_OEM_PLUS, &keypad), '=');
  EXPECT_FALSE(keypad);
}

TEST_F(ControlsTest, ShowModalReturnsTheModalResultOfTheButtonClicked) {
  auto* ok = new TButton(form);
  ok->SetName("OK");
  ok->SetCaption("OK");
  ok->ModalResult = mrOk;
  ok->SetBounds(10, 10, 75, 25);
  ok->SetParent(form);
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  bool wasModal = false;
  TThread::Queue([&] {
    wasModal = form->Modal() && form->Visible();
    td::ShowAndWait(*form);
    td::Click(*ok, 5, 5);
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_TRUE(wasModal);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(Application().ModalLevel(), 0);

  // Esc presses the cancel button, wherever the focus is.
  auto* cancel = new TButton(form);
  cancel->SetCaption("Cancel");
  cancel->ModalResult = mrCancel;
  cancel->Cancel = true;
  cancel->SetBounds(100, 10, 75, 25);
  cancel->SetParent(form);
  auto* edit = new TEdit(form);
  edit->SetBounds(10, 50, 100, 21);
  edit->SetParent(form);
  TThread::Queue([&] {
    td::ShowAndWait(*form);
    edit->SetFocus();
    td::PressKey(*edit, VK_ESCAPE);
  });
  // Should Esc do nothing, the test ends with another result.
  TTimer guard(nullptr);
  guard.SetInterval(3000);
  guard.OnTimer = [&](TObject*) { form->SetModalResult(mrAbort); };
  EXPECT_EQ(form->ShowModal(), mrCancel);
  guard.SetEnabled(false);
  EXPECT_EQ(clicks, 1);

  // Closing the window cancels; a refusing close query keeps it open.
  int asked = 0;
  form->OnCloseQuery = [&](TObject*, bool& canClose) {
    canClose = ++asked > 1;
    if (!canClose) TThread::Queue([&] { form->Close(); });
  };
  TThread::Queue([&] { form->Close(); });
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
}

TEST_F(ControlsTest, CloseActionsHideOrFreeTheForm) {
  td::ShowAndWait(*form);
  form->OnClose = [](TObject*, TCloseAction& action) { action = caNone; };
  form->Close();
  EXPECT_TRUE(form->Visible());
  form->OnClose = nullptr;
  form->Close();
  EXPECT_FALSE(form->Visible());

  auto* other = new TForm(nullptr);
  bool destroyed = false;
  other->OnDestroy = [&](TObject*) { destroyed = true; };
  other->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  other->Show();
  other->Close();
  EXPECT_FALSE(destroyed);  // not while its own handler may still run
  td::ProcessMessages();
  EXPECT_TRUE(destroyed);
}

TEST_F(ControlsTest, PostedMessagesComeAfterTheCurrentOneInOrder) {
  TProbe* a = AddProbe("A", 10, 10);
  td::ShowAndWait(*form);
  a->OnClick = nullptr;
  std::vector<uint32_t> previewed;
  Application().OnMessage = [&](TMessage& m, bool&) {
    if (m.Msg >= WM_USER) previewed.push_back(m.Msg);
  };
  TThread::Queue([&] {
    PostMessage(a, WM_USER + 1, 10);
    PostMessage(a, WM_USER + 2, 20);
    PostMessage(a, WM_USER + 3, 30);
    a->Log.push_back("handler done");
  });
  td::ProcessMessages();
  EXPECT_EQ(a->Log, (std::vector<std::string>{"handler done", "message 1 10", "message 2 20", "message 3 30"}));
  EXPECT_EQ(previewed, (std::vector<uint32_t>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
  // A message to a control freed before delivery is dropped.
  PostMessage(a, WM_USER + 4);
  delete a;
  td::ProcessMessages();
}

TEST_F(ControlsTest, AnErrorInAHandlerIsReportedAndTheProgramGoesOn) {
  TProbe* a = AddProbe("A", 10, 10);
  std::vector<std::string> errors;
  Application().OnException = [&](TObject*, const std::exception& e) { errors.push_back(e.what()); };
  a->OnKeyDown = [](TObject*, uint16_t&, TShiftState) { throw EInvalidOperation("No room for the note"); };
  a->SetTabStop(true);
  td::ShowAndWait(*form);
  a->SetFocus();
  td::PressKey(*a, 'N');
  td::PressKey(*a, 'M');
  Application().OnException = nullptr;
  EXPECT_EQ(errors, (std::vector<std::string>{"No room for the note", "No room for the note"}));
}

TEST_F(ControlsTest, AHintShowsAtOnceAndGoesWhenCancelled) {
  td::ShowAndWait(*form);
  Application().ActivateHint(form->ClientToScreen({20, 20}), "C4");
  td::ProcessMessages();
  EXPECT_TRUE(Application().HintShowing());
  Application().CancelHint();
  td::ProcessMessages();
  EXPECT_FALSE(Application().HintShowing());
}

TEST_F(ControlsTest, TimerFiresOnTheWindowThread) {
  TTimer timer(nullptr);
  timer.SetInterval(5);
  int fired = 0;
  bool onWindowThread = false;
  timer.OnTimer = [&](TObject* sender) {
    onWindowThread = TThread::IsMainThread() && sender == &timer;
    if (++fired == 2) timer.SetEnabled(false);
  };
  const uint64_t start = GetTickCount();
  while (fired < 2 && GetTickCount() - start < 5000) Application().HandleMessage();
  EXPECT_EQ(fired, 2);
  EXPECT_TRUE(onWindowThread);
}

TEST_F(ControlsTest, SynchronizeWaitsForTheWindowThread) {
  struct TWorker : TThread {
    std::atomic<int> Value{0};
    bool RanOnWindowThread = false;
    int SeenAfter = -1;
    void Execute() override {
      Synchronize([this] {
        RanOnWindowThread = IsMainThread();
        Value = 42;
      });
      SeenAfter = Value;  // Synchronize returned: the window thread has run it
      Queue([this] { Value = 7; });
    }
  } worker;
  worker.Start();
  worker.WaitFor();
  EXPECT_TRUE(worker.RanOnWindowThread);
  EXPECT_EQ(worker.SeenAfter, 42);
  td::ProcessMessages();
  EXPECT_EQ(worker.Value, 7);
}

TEST_F(ControlsTest, XorDrawingTwiceRestoresThePixels) {
  TProbe* a = AddProbe("A", 10, 10, 60, 40);
  a->Fill = RGB(200, 220, 240);
  td::ShowAndWait(*form);
  auto before = GrabControl(*a);
  TCanvas& c = a->Canvas();
  c.Pen().Mode = pmXor;
  c.Pen().Color = clWhite;
  c.Brush().Style = bsClear;
  c.Rectangle(5, 5, 40, 30);
  td::ProcessMessages();
  auto drawn = GrabControl(*a);
  EXPECT_NE(drawn->Pixel(5, 5), before->Pixel(5, 5));
  c.Rectangle(5, 5, 40, 30);
  td::ProcessMessages();
  auto after = GrabControl(*a);
  for (int y = 0; y < after->Height(); ++y)
    for (int x = 0; x < after->Width(); ++x) ASSERT_EQ(after->Pixel(x, y), before->Pixel(x, y)) << x << "," << y;
  // The overlay is not painted over when the window is shown again, only
  // when the control is invalidated.
  c.Rectangle(5, 5, 40, 30);
  a->Update();
  EXPECT_NE(GrabControl(*a)->Pixel(5, 5), before->Pixel(5, 5));
  a->Invalidate();
  a->Update();
  EXPECT_EQ(GrabControl(*a)->Pixel(5, 5), before->Pixel(5, 5));
}

TEST_F(ControlsTest, PartialInvalidationPaintsOnlyThatPart) {
  TProbe* a = AddProbe("A", 10, 10, 60, 40);
  td::ShowAndWait(*form);
  a->PaintClips.clear();
  a->InvalidateRect(Rect(5, 6, 15, 16));
  a->Update();
  ASSERT_EQ(a->PaintClips.size(), 1u);
  EXPECT_EQ(a->PaintClips[0], Rect(5, 6, 15, 16));
}

// A graphic control is painted by its parent and gets its mouse input
// through it.
class TSwatch : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  std::vector<std::string> Log;
  void Paint() override {
    Canvas().Brush().Color = clRed;
    Canvas().FillRect(ClientRect());
  }
  void MouseDown(TMouseButton, TShiftState, int x, int y) override {
    Log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseEnter() override { Log.push_back("enter"); }
  void MouseLeave() override { Log.push_back("leave"); }
};

TEST_F(ControlsTest, GraphicControlsArePaintedAndFedByTheirParent) {
  TProbe* panel = AddProbe("Panel", 0, 0, 200, 150);
  auto* swatch = new TSwatch(form);
  swatch->SetBounds(20, 30, 10, 10);
  swatch->SetParent(panel);
  td::ShowAndWait(*form);
  auto shot = GrabControl(*panel);
  EXPECT_EQ(shot->Pixel(20, 30), clRed);
  EXPECT_EQ(shot->Pixel(29, 39), clRed);
  EXPECT_EQ(shot->Pixel(30, 40), clWhite);
  td::MouseMove(*panel, 100, 100);
  td::MouseMove(*swatch, 2, 3);
  td::Click(*swatch, 4, 5);
  td::MouseMove(*panel, 100, 100);
  EXPECT_EQ(swatch->Log, (std::vector<std::string>{"enter", "down 4,5", "leave"}));
  // The parent does not see what went to the child.
  EXPECT_TRUE(std::none_of(panel->Log.begin(), panel->Log.end(), [](const std::string& s) { return s.rfind("down", 0) == 0; }));
}

TEST_F(ControlsTest, AlignAnchorsAndTheParentFont) {
  TProbe* top = AddProbe("Top", 0, 0, 10, 20);
  top->SetAlign(alTop);
  TProbe* left = AddProbe("Left", 0, 0, 30, 10);
  left->SetAlign(alLeft);
  TProbe* client = AddProbe("Client", 0, 0, 10, 10);
  client->SetAlign(alClient);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 20));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 20, 30, 200));
  EXPECT_EQ(client->BoundsRect(), Rect(30, 20, 300, 200));

  auto* dialog = new TForm(nullptr);
  dialog->SetBounds(0, 0, 200, 100);
  auto* ok = new TButton(dialog);
  ok->SetBounds(110, 60, 80, 30);
  ok->SetAnchors(akRight | akBottom);
  ok->SetParent(dialog);
  auto* edit = new TEdit(dialog);
  edit->SetBounds(10, 10, 180, 20);
  edit->SetAnchors(akLeft | akTop | akRight);
  edit->SetParent(dialog);
  dialog->SetBounds(0, 0, 260, 140);
  EXPECT_EQ(ok->BoundsRect(), Rect(170, 100, 250, 130));
  EXPECT_EQ(edit->BoundsRect(), Rect(10, 10, 250, 30));

  // Children take their parent's font until they are given their own.
  TFont big = dialog->Font();
  big.Name = "Arial";
  big.SetSize(14);
  dialog->SetFont(big);
  EXPECT_EQ(ok->Font(), big);
  TFont own = big;
  own.Style = fsBold;
  edit->SetFont(own);
  big.SetSize(9);
  dialog->SetFont(big);
  EXPECT_EQ(ok->Font(), big);
  EXPECT_EQ(edit->Font(), own);
  delete dialog;
}

TEST_F(ControlsTest, APopupClickedDoesNotTakeTheFocusFromTheEditThatOpenedIt) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  td::ShowAndWait(*form);
  ASSERT_TRUE(edit->Focused());
  TForm popup(nullptr);
  popup.SetBorderStyle(bsNone);
  popup.SetNoActivate(true);
  popup.SetBounds(120, 140, 150, 100);
  auto* item = new TProbe(&popup);
  item->SetBounds(0, 0, 150, 50);
  item->SetParent(&popup);
  auto* field = new TEdit(&popup);
  field->SetBounds(0, 60, 150, 20);
  field->SetParent(&popup);
  td::ShowAndWait(popup);
  td::Click(*item, 10, 10);
  EXPECT_EQ(item->Log.back(), "click");
  td::Click(*field, 10, 5);
  EXPECT_TRUE(edit->Focused());
  EXPECT_FALSE(field->Focused());
  EXPECT_EQ(Screen().ActiveForm(), form);
  EXPECT_FALSE(popup.Active());
}

TEST_F(ControlsTest, ADockedFormFloatsAgainWithItsOwnSize) {
  TProbe* site = AddProbe("Site", 0, 0, 300, 200);
  TForm palette(nullptr);
  palette.SetBounds(400, 300, 120, 90);
  palette.Show();
  std::vector<TWinControl*> docked;
  palette.OnEndDock = [&](TObject*, TWinControl* target) { docked.push_back(target); };
  td::ShowAndWait(*form);
  palette.ManualDock(site);
  EXPECT_EQ(palette.HostDockSite(), site);
  EXPECT_FALSE(palette.Floating());
  EXPECT_EQ(palette.BoundsRect(), Rect(0, 0, 300, 200));  // filling the site
  EXPECT_TRUE(palette.Showing());
  palette.ManualFloat();
  EXPECT_TRUE(palette.Floating());
  EXPECT_EQ(palette.Width(), 120);
  EXPECT_EQ(palette.Height(), 90);
  EXPECT_TRUE(palette.Visible());
  EXPECT_EQ(docked, (std::vector<TWinControl*>{site, nullptr}));
  EXPECT_EQ(site->ControlCount(), 0);
}

TEST(Clipboard, RoundTripsAPrivateFormatAndUnicodeText) {
  const TClipboardFormat notes = RegisterClipboardFormat("QSNotes");
  EXPECT_EQ(RegisterClipboardFormat("QSNotes"), notes);
  EXPECT_GE(notes, 0xC000u);
  const std::vector<uint8_t> bytes = {0, 1, 2, 0xFF, 0, 0x80};
  const std::u16string text = u"Notes \u00E9\u0416\u266A";
  TClipboard& clip = Clipboard();
  clip.Open();
  clip.SetBuffer(notes, bytes);
  clip.SetAsUnicodeText(text);
  clip.Close();
  EXPECT_TRUE(clip.HasFormat(notes));
  EXPECT_TRUE(clip.HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(clip.GetBuffer(notes), bytes);
  EXPECT_EQ(clip.AsUnicodeText(), text);
  // Outside Open and Close, setting text replaces the private data.
  clip.SetAsText("plain");
  EXPECT_FALSE(clip.HasFormat(notes));
  EXPECT_TRUE(clip.GetBuffer(notes).empty());
  EXPECT_EQ(clip.AsText(), "plain");
}

}  // namespace
