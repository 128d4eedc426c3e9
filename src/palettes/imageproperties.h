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
class TLabel;
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
  TLabel *LWidth = nullptr, *LHeight = nullptr;
  TECFormLanguage* FLImageImput = nullptr;

  // The picture as the score keeps it (its file's bytes).
  const TQSPicture& Picture() const { return picture_; }
  void SetPicture(const TQSPicture& picture);
  // Loads a picture file; width and height then take the picture's. False
  // when it holds no picture the program can show (the picture shown stays;
  // error, when given, says why).
  bool LoadPicture(const std::string& fileName, std::string* error = nullptr);
  bool HasPicture() const { return !picture_.Empty(); }
  void ClearPicture();
  // The shown size in screen pixels, as entered (0 when not a number).
  int PictureWidth() const;
  int PictureHeight() const;
  void SetPictureSize(int width, int height);
  // The flags of a page picture: $80 centre, $40 stretch, $20 transparent.
  uint8_t Flags() const;
  void SetFlags(uint8_t flags);
  // OK is accepted only with a width and height above 0 (else a message,
  // and the dialog stays).
  bool Accept();

 private:
  void ApplySize();
  TIniFile* settings_;
  TQSPicture picture_;
};

void RegisterImagePropertiesForms();

}  // namespace qs
