#pragma once
// TFImageProperties: a page picture's picture, its shown size in screen
// pixels and its centre, stretch and transparent flags; asked when the
// Design palette's picture tool inserts and when a picture is edited.
#include <string>

#include "platform/forms.h"
#include "score/picture.h"

namespace qs {

class TScrollBox;
class TPanel;
class TImage;
class TButton;
class TCheckBox;
class TEdit;
class TUpDown;
class TIniFile;
class TECFormLanguage;

class TFImageProperties : public TForm {
 public:
  TFImageProperties(TComponent* owner, TIniFile* settings);
  ~TFImageProperties() override;
  const char* ClassName() const override { return "TFImageProperties"; }

  TScrollBox* SBImage = nullptr;
  TPanel* SImage = nullptr;
  TImage* IImage = nullptr;
  TButton *BBLoad = nullptr, *BBClear = nullptr, *BBOk = nullptr, *BBCancel = nullptr;
  TCheckBox *CBCenter = nullptr, *CBStretch = nullptr, *CBTransparent = nullptr;
  TEdit *EWidth = nullptr, *EHeight = nullptr;
  TUpDown *UDWidth = nullptr, *UDHeight = nullptr;
  TECFormLanguage* FLImageImput = nullptr;

  // The picture as the score keeps it (its file's bytes).
  const TQSPicture& Picture() const { return picture_; }
  void SetPicture(const TQSPicture& picture);
  // Loads a picture file; false (and a message shown, nothing changed)
  // when it cannot be read. Width and height then take the picture's.
  bool LoadFile(const std::string& fileName);
  void ClearPicture();
  int PixelWidth() const;
  int PixelHeight() const;
  void SetPixelSize(int width, int height);
  // The flags of a page picture: $80 centre, $40 stretch, $20 transparent.
  uint8_t Flags() const;
  void SetFlags(uint8_t flags);
  // OK is accepted only with a width and height above 0.
  bool AcceptOk();

 private:
  void ApplySize();
  TIniFile* settings_;
  TQSPicture picture_;
};

void RegisterImagePropertiesForms();

}  // namespace qs
