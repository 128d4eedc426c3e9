#include "editing/undotexts.h"

#include <array>

#include "score/undo.h"

namespace qs {

namespace {

struct TUndoText {
  uint8_t Action;
  const char* Text[5];  // ENU, DEU, FRA, ITA, RUS
};

using namespace undoaction;

constexpr TUndoText kTexts[] = {
    {NoteEntered, {"Insert note", "Note einfügen", "Insérer une note", "Inserisci nota", "Вставка ноты"}},
    {RestEntered, {"Insert rest", "Pause einfügen", "Insérer un silence", "Inserisci pausa", "Вставка паузы"}},
    {MarkInserted, {"Insert symbol", "Zeichen einfügen", "Insérer un signe", "Inserisci simbolo", "Вставка знака"}},
    {TieAttached, {"Insert tie", "Bogen einfügen", "Insérer une liaison", "Inserisci legatura", "Вставка лиги"}},
    {ChordEntered, {"Insert chord", "Akkord einfügen", "Insérer un accord", "Inserisci accordo", "Вставка аккорда"}},
    {TextInserted, {"Insert text", "Text einfügen", "Insérer un texte", "Inserisci testo", "Вставка текста"}},
    {LyricInserted, {"Insert lyrics", "Liedtext einfügen", "Insérer des paroles", "Inserisci testo cantato",
                     "Вставка текста песни"}},
    {SymbolApplied, {"Apply symbol", "Zeichen anwenden", "Appliquer un signe", "Applica simbolo", "Применение знака"}},
    {ImageInserted, {"Insert picture", "Bild einfügen", "Insérer une image", "Inserisci immagine",
                     "Вставка рисунка"}},
    {ShapeInserted, {"Insert shape", "Form einfügen", "Insérer une forme", "Inserisci forma", "Вставка фигуры"}},
    {InstrumentNameInserted, {"Insert instrument name", "Instrumentnamen einfügen", "Insérer le nom de l'instrument",
                              "Inserisci nome dello strumento", "Вставка названия инструмента"}},
    {SelectionDeleted, {"Delete", "Löschen", "Supprimer", "Elimina", "Удаление"}},
    {ItemErased, {"Erase", "Radieren", "Effacer", "Cancella", "Стирание"}},
    {PropertiesChanged, {"Change properties", "Eigenschaften ändern", "Modifier les propriétés",
                         "Modifica proprietà", "Изменение свойств"}},
    {StemDirectionSet, {"Stem direction", "Halsrichtung", "Direction des hampes", "Direzione dei gambi",
                        "Направление штилей"}},
    {MovedHorizontally, {"Move horizontally", "Waagrecht verschieben", "Déplacer horizontalement",
                         "Sposta in orizzontale", "Сдвиг по горизонтали"}},
    {MovedVertically, {"Move vertically", "Senkrecht verschieben", "Déplacer verticalement", "Sposta in verticale",
                       "Сдвиг по вертикали"}},
    {DurationsChanged, {"Change size", "Größe ändern", "Modifier la taille", "Modifica dimensione",
                        "Изменение размера"}},
    {ValuesStepped, {"Change value", "Wert ändern", "Modifier la valeur", "Modifica valore", "Изменение значения"}},
    {BlockPasted, {"Paste", "Einfügen", "Coller", "Incolla", "Вставка"}},
    {NotesSplit, {"Split notes", "Noten trennen", "Séparer les notes", "Separa le note", "Разделение нот"}},
    {NotesJoined, {"Join notes", "Noten verbinden", "Joindre les notes", "Unisci le note", "Объединение нот"}},
    {BeamMoved, {"Move beam", "Balken verschieben", "Déplacer la ligature", "Sposta la travatura",
                 "Сдвиг ребра"}},
    {ItemsAligned, {"Align", "Ausrichten", "Aligner", "Allinea", "Выравнивание"}},
    {MeasureBeamingSet, {"Measure beaming", "Balkung des Takts", "Ligatures de la mesure", "Travature della battuta",
                         "Группировка в такте"}},
    {MeasurePropertiesSet, {"Measure properties", "Takteigenschaften", "Propriétés de la mesure",
                            "Proprietà della battuta", "Свойства такта"}},
    {PieceAdded, {"Add piece", "Stück hinzufügen", "Ajouter un morceau", "Aggiungi brano", "Добавление пьесы"}},
    {PieceDeleted, {"Delete piece", "Stück löschen", "Supprimer le morceau", "Elimina brano", "Удаление пьесы"}},
    {PartAdded, {"Add part", "Instrument hinzufügen", "Ajouter une partie", "Aggiungi parte", "Добавление партии"}},
    {PartDeleted, {"Delete part", "Instrument löschen", "Supprimer la partie", "Elimina parte", "Удаление партии"}},
    {StaffAdded, {"Add staff", "Notensystem hinzufügen", "Ajouter une portée", "Aggiungi pentagramma",
                  "Добавление нотного стана"}},
    {StaffDeleted, {"Delete staff", "Notensystem löschen", "Supprimer la portée", "Elimina pentagramma",
                    "Удаление нотного стана"}},
    {VoiceAdded, {"Add voice", "Stimme hinzufügen", "Ajouter une voix", "Aggiungi voce", "Добавление голоса"}},
    {VoiceDeleted, {"Delete voice", "Stimme löschen", "Supprimer la voix", "Elimina voce", "Удаление голоса"}},
    {MeasuresInserted, {"Insert measures", "Takte einfügen", "Insérer des mesures", "Inserisci battute",
                        "Вставка тактов"}},
    {MeasuresDeleted, {"Delete measures", "Takte löschen", "Supprimer des mesures", "Elimina battute",
                       "Удаление тактов"}},
    {TextEdit, {"Typing", "Eingabe", "Saisie", "Digitazione", "Ввод текста"}},
    {TextEditDelete, {"Delete text", "Text löschen", "Supprimer le texte", "Elimina testo", "Удаление текста"}},
    {TextEditOther, {"Paste into text", "In Text einfügen", "Coller dans le texte", "Incolla nel testo",
                     "Вставка в текст"}},
};

constexpr std::array<const char*, 5> kLanguages = {"ENU", "DEU", "FRA", "ITA", "RUS"};

}  // namespace

std::string UndoActionText(uint8_t action, const std::string& language) {
  size_t column = 0;
  for (size_t i = 0; i < kLanguages.size(); ++i)
    if (language == kLanguages[i]) column = i;
  for (const TUndoText& t : kTexts)
    if (t.Action == action) return t.Text[column];
  return "";
}

}  // namespace qs
