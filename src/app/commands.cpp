#include "app/commands.h"

#include "app/mainwindow.h"

namespace qs {

namespace {

// Shortcuts as ShortCut() makes them: the key in the low byte, Shift,
// Ctrl and Alt in the high bits.
constexpr uint16_t Ctrl(char key) { return static_cast<uint16_t>(0x4000 | key); }
constexpr uint16_t ShiftCtrl(char key) { return static_cast<uint16_t>(0x6000 | key); }
constexpr uint16_t Alt(char key) { return static_cast<uint16_t>(0x8000 | key); }

using S = TCommandState;
using M = TFProgramModule;

}  // namespace

const std::vector<TCommand>& CommandTable() {
  static const std::vector<TCommand> table = {
      // File
      {"ANew", Ctrl('N'), -1, S::Always, &M::ANewExecute},
      {"AOpen", Ctrl('O'), -1, S::Always, &M::AOpenExecute},
      {"AClose", 0, -1, S::Document, &M::ACloseExecute},
      {"ACloseAll", 0, -1, S::Document, &M::ACloseAllExecute},
      {"ASave", Ctrl('S'), -1, S::Modified, &M::ASaveExecute},
      {"ASaveAs", 0, -1, S::Document, &M::ASaveAsExecute},
      {"AExportImage", 0, -1, S::Document, &M::AExportImageExecute},
      {"AExportPDF", 0, -1, S::Document, &M::AExportPDFExecute},
      {"AExportWave", 0, -1, S::Document, &M::AExportWaveExecute},
      {"ASaveSymbol", 0, -1, S::CanSaveSymbol, &M::ASaveSymbolExecute},
      {"ASaveSymbolAs", 0, -1, S::CanSaveSymbol, &M::ASaveSymbolAsExecute},
      {"ASaveChord", 0, -1, S::CanSaveChord, &M::ASaveChordExecute},
      {"ASaveChordAs", 0, -1, S::CanSaveChord, &M::ASaveChordAsExecute},
      {"AMailTo", 0, -1, S::Document, &M::AMailToExecute},
      {"APrint", Ctrl('P'), -1, S::Document, &M::APrintExecute},
      {"APreview", 0, -1, S::Document, &M::APreviewExecute},
      {"AExit", Ctrl('E'), -1, S::Always, &M::AExitExecute},
      // Edit
      {"AUndo", Ctrl('Z'), -1, S::CanUndo, &M::AUndoExecute},
      {"ARedo", ShiftCtrl('Z'), -1, S::CanRedo, &M::ARedoExecute},
      {"ACut", Ctrl('X'), -1, S::CanCopy, &M::ACutExecute},
      {"ACopy", Ctrl('C'), -1, S::CanCopy, &M::ACopyExecute},
      {"APaste", Ctrl('V'), -1, S::CanPaste, &M::APasteExecute},
      {"AToActiveStaff", 0, -1, S::PasteInto, &M::AToActiveStaffExecute},
      {"AToActiveVoice", 0, -1, S::PasteInto, &M::AToActiveVoiceExecute},
      {"ADelete", Ctrl('D'), -1, S::Selecting, &M::ADeleteExecute},
      {"AHide", 0, -1, S::Document, &M::AHideExecute},
      {"ASelectSymbolsAll", Ctrl('A'), -1, S::Selecting, &M::ASelectSymbolsAllExecute},
      {"ASelectSymbolsPiece", 0, -1, S::Selecting, &M::ASelectSymbolsPieceExecute},
      {"ASelectSymbolsPart", 0, -1, S::Selecting, &M::ASelectSymbolsPartExecute},
      {"ASelectSymbolsStaff", 0, -1, S::Selecting, &M::ASelectSymbolsStaffExecute},
      {"ASelectSymbolsVoice", 0, -1, S::Selecting, &M::ASelectSymbolsVoiceExecute},
      {"ASelectDesignAll", 0, -1, S::Selecting, &M::ASelectDesignAllExecute},
      {"ASelectDesignPage", 0, -1, S::Selecting, &M::ASelectDesignPageExecute},
      {"AToggleBookmarks", 0, -1, S::Document, &M::AToggleBookmarksExecute},
      {"AGotoBookmarks", 0, -1, S::Document, &M::AGotoBookmarksExecute},
      // View
      {"AGotoBegin", 0, -1, S::Document, &M::AGotoBeginExecute},
      {"AGotoEnd", 0, -1, S::Document, &M::AGotoEndExecute},
      {"AFirst", 0, -1, S::Document, &M::AFirstExecute},
      {"APrev", 0, -1, S::Document, &M::APrevExecute},
      {"ANext", 0, -1, S::Document, &M::ANextExecute},
      {"ALast", 0, -1, S::Document, &M::ALastExecute},
      {"AZoomIn", Ctrl('I'), -1, S::Document, &M::AZoomInExecute},
      {"AZoomOut", Ctrl('U'), -1, S::Document, &M::AZoomOutExecute},
      {"AActualScale", Ctrl('Q'), -1, S::Document, &M::AActualScaleExecute},
      // Composition
      {"ACompositionProperties", 0, -1, S::Document, &M::ACompositionPropertiesExecute},
      {"AAddPiece", 0, -1, S::Document, &M::AAddPieceExecute},
      {"ADeletePiece", 0, -1, S::SeveralPieces, &M::ADeletePieceExecute},
      {"APieceProperties", 0, -1, S::Document, &M::APiecePropertiesExecute},
      {"AAddPart", 0, -1, S::Document, &M::AAddPartExecute},
      {"ADeletePart", 0, -1, S::SeveralParts, &M::ADeletePartExecute},
      {"APartProperties", 0, -1, S::Document, &M::APartPropertiesExecute},
      {"AAddStaff", 0, -1, S::Document, &M::AAddStaffExecute},
      {"ADeleteStaff", 0, -1, S::SeveralStaves, &M::ADeleteStaffExecute},
      {"AStaffProperties", 0, -1, S::Document, &M::AStaffPropertiesExecute},
      {"AAddVoice", 0, -1, S::Document, &M::AAddVoiceExecute},
      {"ADeleteVoice", 0, -1, S::SeveralVoices, &M::ADeleteVoiceExecute},
      {"AVoiceProperties", 0, -1, S::Document, &M::AVoicePropertiesExecute},
      {"AAddMeasure", 0, -1, S::Document, &M::AAddMeasureExecute},
      {"ADeleteMeasure", 0, -1, S::Document, &M::ADeleteMeasureExecute},
      {"AMeasureUnion", 0, -1, S::Document, &M::AMeasureUnionExecute},
      {"AMeasureProperties", 0, -1, S::Document, &M::AMeasurePropertiesExecute},
      {"AAddPage", 0, -1, S::Document, &M::AAddPageExecute},
      {"ADeletePage", 0, -1, S::Document, &M::ADeletePageExecute},
      {"AMoveUp", 0, -1, S::CanReorder, &M::AMoveUpExecute},
      {"AMoveDown", 0, -1, S::CanReorder, &M::AMoveDownExecute},
      // Playback
      {"APlay", Ctrl('L'), -1, S::CanPlay, &M::APlayExecute},
      {"AStop", Ctrl('T'), -1, S::CanStop, &M::AStopExecute},
      {"ARecord", 0, -1, S::CanPlay, &M::ARecordExecute},
      {"AReverce", 0, -1, S::Document, &M::AReverceExecute},
      // Templates
      {"ASymbolList", 0, -1, S::Always, &M::ASymbolListExecute},
      {"ATermList", 0, -1, S::Always, &M::ATermListExecute},
      {"ADynamic", 0, -1, S::Always, &M::ADynamicExecute},
      {"ATempo", 0, -1, S::Always, &M::ATempoExecute},
      {"AChordList", 0, -1, S::Always, &M::AChordListExecute},
      {"ADrumMap", 0, -1, S::Always, &M::ADrumMapExecute},
      {"AGuitars", 0, -1, S::Always, &M::AGuitarsExecute},
      {"ATransports", 0, -1, S::NotBuilt, nullptr},
      {"AInstruments", 0, -1, S::NotBuilt, nullptr},
      // Service
      {"ASettings", 0, -1, S::Always, &M::ASettingsExecute},
      {"AEnglish", 0, -1, S::Always, &M::AEnglishExecute},
      {"ADeutsch", 0, -1, S::Always, &M::ADeutschExecute},
      {"AFrench", 0, -1, S::Always, &M::AFrenchExecute},
      {"AItalian", 0, -1, S::Always, &M::AItalianExecute},
      {"ARussian", 0, -1, S::Always, &M::ARussianExecute},
      // Help
      {"AContents", 0, -1, S::Always, &M::AContentsExecute},
      {"AReferences", 0, -1, S::Always, &M::AReferencesExecute},
      {"AHelper", 0, -1, S::Always, &M::AHelperExecute},
      {"AQuickTour", 0, -1, S::Always, &M::AQuickTourExecute},
      {"ANews", 0, -1, S::Always, &M::ANewsExecute},
      {"AAbout", 0, -1, S::Always, &M::AAboutExecute},
      // The palette keys: each hides its page.
      {"ANotes", Alt('N'), -1, S::Always, &M::ANotesExecute, true},
      {"ASymbols", Alt('S'), -1, S::Always, &M::ASymbolsExecute, true},
      {"AExpanded", Alt('E'), -1, S::Always, &M::AExpandedExecute, true},
      {"ATerms", Alt('T'), -1, S::Always, &M::ATermsExecute, true},
      {"AChords", Alt('C'), -1, S::Always, &M::AChordsExecute, true},
      {"AIntervals", Alt('I'), -1, S::Always, &M::AIntervalsExecute, true},
      {"ADesign", Alt('D'), -1, S::Always, &M::ADesignExecute, true},
      {"APiano", Alt('P'), -1, S::Always, &M::APianoExecute, true},
      {"AGuitar", Alt('G'), -1, S::Always, &M::AGuitarExecute, true},
      {"AModify", Alt('M'), -1, S::Always, &M::AModifyExecute, true},
      {"ANavigator", Alt('V'), -1, S::Always, &M::ANavigatorExecute, true},
  };
  return table;
}

const TCommand* FindCommand(const std::string& name) {
  for (const TCommand& c : CommandTable())
    if (name == c.Name) return &c;
  return nullptr;
}

const std::vector<TMenuRow>& MenuLayout() {
  static const std::vector<TMenuRow> rows = {
      {"MIFile",
       {"ANew", "AOpen", "MIReopen", "-", "AClose", "ACloseAll", "-", "ASave", "ASaveAs", "MIExport", "-", "MITemplates", "-",
        "AMailTo", "-", "APrint", "APreview", "-", "AExit"}},
      {"MIReopen", {}},
      {"MIExport", {"AExportImage", "AExportPDF", "AExportWave"}},
      {"MITemplates", {"ASaveSymbol", "ASaveSymbolAs", "ASaveChord", "ASaveChordAs"}},
      {"MIEdit",
       {"AUndo", "ARedo", "-", "ACut", "ACopy", "APaste", "MISpecialPaste", "ADelete", "AHide", "-",
        "MISelectSymbols", "MISelectDesign", "-", "AToggleBookmarks", "AGotoBookmarks"}},
      {"MISpecialPaste", {"AToActiveStaff", "AToActiveVoice"}},
      {"MISelectSymbols",
       {"ASelectSymbolsAll", "ASelectSymbolsPiece", "ASelectSymbolsPart", "ASelectSymbolsStaff",
        "ASelectSymbolsVoice"}},
      {"MISelectDesign", {"ASelectDesignAll", "ASelectDesignPage"}},
      {"MIView",
       {"AGotoBegin", "AGotoEnd", "-", "AFirst", "APrev", "ANext", "ALast", "-", "AZoomIn", "AZoomOut",
        "AActualScale", "MIZoom"}},
      {"MIZoom", {}},
      {"MIScore",
       {"ACompositionProperties", "-", "AAddPiece", "ADeletePiece", "APieceProperties", "-", "AAddPart",
        "ADeletePart", "APartProperties", "-", "AAddStaff", "ADeleteStaff", "AStaffProperties", "-", "AAddVoice",
        "ADeleteVoice", "AVoiceProperties", "-", "AAddMeasure", "ADeleteMeasure", "AMeasureUnion",
        "AMeasureProperties", "-", "AAddPage", "ADeletePage", "AMoveUp", "AMoveDown"}},
      {"MIPlayback", {"APlay", "AStop", "ARecord", "-", "AReverce"}},
      {"MILibraries",
       {"ASymbolList", "ATermList", "ADynamic", "ATempo", "AChordList", "ADrumMap", "AGuitars", "-", "ATransports",
        "AInstruments"}},
      {"MIService", {"ASettings", "-", "AEnglish", "ADeutsch", "AFrench", "AItalian", "ARussian"}},
      {"MIHelp", {"AContents", "AReferences", "AHelper", "AQuickTour", "-", "ANews", "-", "AAbout"}},
  };
  return rows;
}

const std::vector<const char*>& MenuBarItems() {
  static const std::vector<const char*> items = {"MIFile",      "MIEdit",    "MIView",   "MIScore", "MIPlayback",
                                                 "MILibraries", "MIService", "MIWindow", "MIHelp"};
  return items;
}

const std::vector<std::vector<const char*>>& ToolBarLayout() {
  static const std::vector<std::vector<const char*>> bars = {
      {"ANew", "AOpen", "ASave"},
      {"AUndo", "ARedo", "-", "ACut", "ACopy", "APaste"},
      {"AZoomIn", "AZoomOut", "AActualScale", "-", "ANews"},
  };
  return bars;
}

}  // namespace qs
