#include "playback/messages.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace qs {

namespace {

struct TText {
  TPlaybackMessage Message;
  const char* Enu;
  const char* Deu;
  const char* Fra;
  const char* Ita;
  const char* Rus;
};

const TText kTexts[] = {
    {TPlaybackMessage::NoSoundFont,
     "No General MIDI sound font was found (%s). The built-in synthesizer stays silent; editing goes on.",
     "Es wurde keine General-MIDI-Klangbibliothek gefunden (%s). Der eingebaute Synthesizer bleibt stumm; "
     "die Bearbeitung geht weiter.",
     "Aucune banque de sons General MIDI n'a été trouvée (%s). Le synthétiseur intégré reste muet ; "
     "l'édition continue.",
     "Nessun banco di suoni General MIDI trovato (%s). Il sintetizzatore integrato resta muto; "
     "la modifica continua.",
     "Звуковой банк General MIDI не найден (%s). Встроенный синтезатор молчит; редактирование продолжается."},
    {TPlaybackMessage::NoAudioOutput,
     "No sound output is available (%s). Playback is off; editing goes on.",
     "Keine Tonausgabe verfügbar (%s). Die Wiedergabe ist aus; die Bearbeitung geht weiter.",
     "Aucune sortie audio n'est disponible (%s). La lecture est désactivée ; l'édition continue.",
     "Nessuna uscita audio disponibile (%s). La riproduzione è disattivata; la modifica continua.",
     "Нет вывода звука (%s). Воспроизведение отключено; редактирование продолжается."},
    {TPlaybackMessage::OutputPortFailed,
     "The MIDI output \"%s\" could not be opened. Playback is off; editing goes on.",
     "Der MIDI-Ausgang \"%s\" konnte nicht geöffnet werden. Die Wiedergabe ist aus; die Bearbeitung geht weiter.",
     "La sortie MIDI \"%s\" n'a pas pu être ouverte. La lecture est désactivée ; l'édition continue.",
     "Impossibile aprire l'uscita MIDI \"%s\". La riproduzione è disattivata; la modifica continua.",
     "Не удалось открыть выход MIDI \"%s\". Воспроизведение отключено; редактирование продолжается."},
    {TPlaybackMessage::NoInputPort,
     "No MIDI input is connected. Recording is off; editing goes on.",
     "Kein MIDI-Eingang angeschlossen. Die Aufnahme ist aus; die Bearbeitung geht weiter.",
     "Aucune entrée MIDI n'est connectée. L'enregistrement est désactivé ; l'édition continue.",
     "Nessun ingresso MIDI collegato. La registrazione è disattivata; la modifica continua.",
     "Вход MIDI не подключён. Запись отключена; редактирование продолжается."},
    {TPlaybackMessage::InputPortFailed,
     "The MIDI input \"%s\" could not be opened. Recording is off; editing goes on.",
     "Der MIDI-Eingang \"%s\" konnte nicht geöffnet werden. Die Aufnahme ist aus; die Bearbeitung geht weiter.",
     "L'entrée MIDI \"%s\" n'a pas pu être ouverte. L'enregistrement est désactivé ; l'édition continue.",
     "Impossibile aprire l'ingresso MIDI \"%s\". La registrazione è disattivata; la modifica continua.",
     "Не удалось открыть вход MIDI \"%s\". Запись отключена; редактирование продолжается."},
};

std::mutex reportedLock;
std::set<TPlaybackMessage> reported;

}  // namespace

std::function<void(const std::string& text)> PlaybackMessageHandler;
std::string PlaybackMessageLanguage = "ENU";

const char* PlaybackMessageText(TPlaybackMessage message, const std::string& language) {
  for (const TText& t : kTexts) {
    if (t.Message != message) continue;
    if (language == "DEU") return t.Deu;
    if (language == "FRA") return t.Fra;
    if (language == "ITA") return t.Ita;
    if (language == "RUS") return t.Rus;
    return t.Enu;
  }
  return "";
}

void ReportPlaybackProblem(TPlaybackMessage message, const std::string& detail) {
  {
    std::lock_guard lock(reportedLock);
    if (!reported.insert(message).second) return;
  }
  std::string text = PlaybackMessageText(message, PlaybackMessageLanguage);
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, detail);
  if (PlaybackMessageHandler)
    PlaybackMessageHandler(text);
  else
    std::fprintf(stderr, "%s\n", text.c_str());
}

void ResetPlaybackProblems() {
  std::lock_guard lock(reportedLock);
  reported.clear();
}

}  // namespace qs
