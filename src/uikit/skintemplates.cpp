// The five skins of the program. Their pictures are image files among the
// program's resources ("skins/<Skin>-<Role>.png", drawn by tools/skinart);
// a picture that cannot be read leaves its role empty, and the frame draws
// without it.
#include <fstream>
#include <iterator>
#include <map>

#include "platform/bitmap.h"
#include "platform/imagereader.h"
#include "platform/paths.h"
#include "uikit/interface.h"
#include "uikit/skin.h"

namespace qs {

namespace {

// The key colour of the transparent parts of caption buttons.
constexpr TColor kButtonKey = RGB(255, 0, 255);

TSkinPicture LoadPicture(const std::string& name) {
  // Read once per process: every skinned window shares the pictures.
  static std::map<std::string, TSkinPicture> cache;
  if (auto it = cache.find(name); it != cache.end()) return it->second;
  TSkinPicture picture;
  const std::string path = platform::FindResource("skins/" + name + ".png");
  if (!path.empty()) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
      const TDecodedImage image = DecodeImage(bytes);
      picture = std::make_shared<TBitmap>(image.Width, image.Height);
      for (int y = 0; y < image.Height; ++y) {
        uint32_t* line = picture->ScanLine(y);
        for (int x = 0; x < image.Width; ++x) {
          const TColor c = image.Pixel(x, y);
          line[x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
      }
      picture->SetTransparentColor(kButtonKey);
    } catch (const Exception&) {
      picture.reset();
    }
  }
  cache[name] = picture;
  return picture;
}

struct TCaptionFiles {
  const char* Skin;
  bool Inactive;     // left, centre and right for an inactive window
  bool InactiveRight;  // only the right end for an inactive window
  bool MinRight;
};

void SetCaption(TECFormCaption& c, const TCaptionFiles& f) {
  const std::string s = std::string(f.Skin) + "-";
  c.ActiveLeftPicture = LoadPicture(s + "CaptionLeft");
  c.ActiveCenterPicture = LoadPicture(s + "CaptionCenter");
  c.ActiveRightPicture = LoadPicture(s + "CaptionRight");
  if (f.Inactive) {
    c.DeactiveLeftPicture = LoadPicture(s + "DeCaptionLeft");
    c.DeactiveCenterPicture = LoadPicture(s + "DeCaptionCenter");
  }
  if (f.Inactive || f.InactiveRight) c.DeactiveRightPicture = LoadPicture(s + "DeCaptionRight");
  if (f.MinRight) c.ActiveMinRightPicture = LoadPicture(s + "CaptionMinRight");
  // The platform's dialog font, 8 points, bold.
  c.Font = TFont();
  c.Font.SetSize(8);
  c.Font.Style = fsBold;
  c.Font.Color = clCaptionText;
}

// Which border pictures a skin has.
enum TBorderSet : uint8_t { kEdges = 1, kCorners = 2, kInactiveEdges = 4, kInactiveCorners = 8, kInactiveRightTop = 16 };

void SetBorder(TECFormBorder& b, const char* skin, int set) {
  const std::string s = std::string(skin) + "-";
  if (set & kEdges) {
    b.LeftPicture = LoadPicture(s + "Left");
    b.RightPicture = LoadPicture(s + "Right");
    b.BottomPicture = LoadPicture(s + "Bottom");
  }
  if (set & kCorners) {
    b.LeftTopPicture = LoadPicture(s + "LeftTop");
    b.RightTopPicture = LoadPicture(s + "RightTop");
    b.LeftBottomPicture = LoadPicture(s + "LeftBottom");
    b.RightBottomPicture = LoadPicture(s + "RightBottom");
  }
  if (set & kInactiveEdges) {
    b.DeLeftPicture = LoadPicture(s + "DeLeft");
    b.DeRightPicture = LoadPicture(s + "DeRight");
    b.DeBottomPicture = LoadPicture(s + "DeBottom");
  }
  if (set & kInactiveCorners) {
    b.DeLeftTopPicture = LoadPicture(s + "DeLeftTop");
    b.DeLeftBottomPicture = LoadPicture(s + "DeLeftBottom");
    b.DeRightBottomPicture = LoadPicture(s + "DeRightBottom");
  }
  if (set & (kInactiveCorners | kInactiveRightTop)) b.DeRightTopPicture = LoadPicture(s + "DeRightTop");
}

void AddButton(TECFormDesigner& d, TECButtonStyle style, int left, int top, int size, bool transparent,
               const std::string& picture) {
  TECFormButton& b = *d.Buttons().Add();
  b.Style = style;
  b.Left = left;
  b.Top = top;
  b.Width = b.Height = size;
  b.RightAlign = true;
  b.Transparent = transparent;
  b.Picture = LoadPicture(picture);
}

// A template form: a plain form holding the skin's designer.
class TSkinTemplateForm : public TForm {
 public:
  TSkinTemplateForm(const char* className, const char* name) : TForm(nullptr), className_(className) {
    SetName(name);
    Designer = new TECFormDesigner(this);
    Designer->SetName("FormDesigne");
  }
  const char* ClassName() const override { return className_; }
  TECFormDesigner* Designer;

 private:
  const char* className_;
};

void Finish(TECFormDesigner& d, int ellipse) {
  d.FullScreen = false;
  d.FullMaxSize = false;
  d.SetWidthEllipse(ellipse);
  d.SetHeightEllipse(ellipse);
  d.SetActive(true);
}

}  // namespace

TSkinPicture LoadSkinPicture(const std::string& name) { return LoadPicture(name); }

TSkinPicture ProgramIcon() {
  TSkinPicture icon = LoadPicture("Program-Icon");
  // Its rounded corners let the caption show through.
  if (icon) icon->Transparent = true;
  return icon;
}

std::unique_ptr<TForm> CreateSkinTemplate(int kind) {
  using enum TECButtonStyle;
  std::unique_ptr<TSkinTemplateForm> form;
  switch (kind) {
    case skinkind::Normal: {
      form = std::make_unique<TSkinTemplateForm>("TFNormalDesigne", "FNormalDesigne");
      TECFormDesigner& d = *form->Designer;
      TECFormCaption& c = d.CaptionSetting();
      SetCaption(c, {"Normal", true, false, true});
      c.Height = 24;
      c.TextLeft = 10;
      c.Color = clBtnFace;
      SetBorder(d.BorderSetting(), "Normal", kEdges | kCorners | kInactiveEdges | kInactiveCorners);
      AddButton(d, bsClose, 4, 3, 19, true, "Normal-Close");
      Finish(d, 4);
      break;
    }
    case skinkind::Main: {
      form = std::make_unique<TSkinTemplateForm>("TFMainDesigne", "FMainDesigne");
      TECFormDesigner& d = *form->Designer;
      TECFormCaption& c = d.CaptionSetting();
      SetCaption(c, {"Main", false, false, true});
      c.Height = 29;
      c.IconVisible = true;
      c.IconLeft = 6;
      c.IconTop = 6;
      c.TextLeft = 32;
      c.TextRight = 70;
      c.Color = clBtnFace;
      SetBorder(d.BorderSetting(), "Main", kEdges | kCorners | kInactiveEdges | kInactiveRightTop);
      AddButton(d, bsClose, 6, 5, 19, true, "Main-Close");
      AddButton(d, bsMinimized, 44, 5, 19, true, "Main-Minimize");
      AddButton(d, bsMaximized, 25, 5, 19, true, "Main-Maximize");
      AddButton(d, bsNormal, 25, 5, 19, true, "Main-Restore");
      Finish(d, 9);
      break;
    }
    case skinkind::Small: {
      form = std::make_unique<TSkinTemplateForm>("TFSmallDesigne", "FSmallDesigne");
      TECFormDesigner& d = *form->Designer;
      TECFormCaption& c = d.CaptionSetting();
      SetCaption(c, {"Small", false, true, false});
      c.Height = 17;
      c.TextLeft = 4;
      c.TextRight = 20;
      c.Color = clBtnFace;
      SetBorder(d.BorderSetting(), "Small", kEdges);
      AddButton(d, bsClose, 3, 1, 14, false, "Small-Close");
      Finish(d, 2);
      break;
    }
    case skinkind::Tool: {
      form = std::make_unique<TSkinTemplateForm>("TFToolsDesigne", "FToolsDesigne");
      TECFormDesigner& d = *form->Designer;
      TECFormCaption& c = d.CaptionSetting();
      SetCaption(c, {"Tools", false, true, false});
      c.Height = 17;
      c.TextLeft = 4;
      c.TextRight = 18;
      c.Color = clBlack;
      SetBorder(d.BorderSetting(), "Small", kEdges);
      AddButton(d, bsClose, 2, 1, 14, false, "Tools-Close");
      AddButton(d, bsCustom, 15, 1, 14, false, "Tools-Custom");
      Finish(d, 2);
      break;
    }
    case skinkind::Middle: {
      form = std::make_unique<TSkinTemplateForm>("TFMiddleDesigne", "FMiddleDesigne");
      TECFormDesigner& d = *form->Designer;
      TECFormCaption& c = d.CaptionSetting();
      SetCaption(c, {"Normal", false, false, false});
      c.Height = 24;
      c.TextLeft = 2;
      c.TextRight = 16;
      c.Color = clBtnFace;
      SetBorder(d.BorderSetting(), "Small", kEdges);
      AddButton(d, bsClose, 2, 2, 19, true, "Normal-Close");
      Finish(d, 4);
      break;
    }
    default: return nullptr;
  }
  return form;
}

}  // namespace qs
