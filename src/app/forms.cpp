#include "app/forms.h"

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "app/about.h"
#include "app/mail.h"
#include "app/pageviewer.h"
#include "app/preview.h"
#include "chords/chordspalette.h"
#include "chords/guitarpalette.h"
#include "dialogs/exportdialogs.h"
#include "dialogs/firstrun.h"
#include "dialogs/compositionproperties.h"
#include "dialogs/measureproperties.h"
#include "dialogs/objectproperties.h"
#include "dialogs/newcomposition.h"
#include "dialogs/pausecount.h"
#include "dialogs/settingsdialog.h"
#include "help/callout.h"
#include "help/helperwindow.h"
#include "interchange/importmidiform.h"
#include "playback/editorhosts.h"
#include "playback/eventproperties.h"
#include "playback/toolpages.h"
#include "palettes/barunion.h"
#include "palettes/dynamics.h"
#include "palettes/effects.h"
#include "palettes/measurenumber.h"
#include "palettes/terms.h"
#include "palettes/palette.h"
#include "playback/waveexportform.h"
#include "uikit/calculator.h"
#include "uikit/calendar.h"
#include "uikit/editor.h"
#include "uikit/gridstring.h"
#include "uikit/menu.h"
#include "uikit/messagebox.h"
#include "uikit/pagecontrol.h"
#include "uikit/propertygrid.h"
#include "uikit/skin.h"
#include "uikit/timepicker.h"
#include "uikit/uicontrolsform.h"

namespace qs {

void RegisterApplicationForms() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterPageViewerForms();
  RegisterMainWindowForms();
  RegisterImportMidiForms();
  RegisterMessageBlockForms();
  RegisterCalculatorForms();
  RegisterTimePickerForms();
  RegisterMenuForms();
  RegisterSkinForms();
  RegisterPageControlForms();
  RegisterUiControlForms();
  RegisterCalendarForms();
  RegisterStringGridForms();
  RegisterPropertyGridForms();
  RegisterEditorForms();
  RegisterEventPropertiesForms();
  RegisterExportWaveForms();
  RegisterToolPageForms();
  RegisterEditorHostForms();
  RegisterPaletteForms();
  RegisterGuitarPalette();
  RegisterChordsPalette();
  RegisterTermsPalette();
  RegisterPauseCountForms();
  RegisterCalloutForms();
  RegisterMeasureNumberForms();
  RegisterMeasurePropertiesForms();
  RegisterCompositionPropertiesForms();
  RegisterObjectPropertiesForms();
  RegisterBarUnionForms();
  RegisterEffectsForms();
  RegisterDynamicsForms();
  RegisterSettingsForms();
  RegisterSideEditorForms();
  RegisterFirstRunForms();
  RegisterNewCompositionForms();
  RegisterExportDialogForms();
  RegisterPreviewForms();
  RegisterMailForms();
  RegisterAboutForms();
  RegisterHelperForms();
}

}  // namespace qs
