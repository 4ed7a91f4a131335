<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>QObject</name>
    <message>
        <source>every name for it is taken</source>
        <translation>alle Namen dafür sind vergeben</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Movies and Folders (*)</source>
        <translation>Filme und Ordner (*)</translation>
    </message>
</context>
<context>
    <name>QXAddressPanel</name>
    <message>
        <source>Open Address</source>
        <translation>Adresse öffnen</translation>
    </message>
    <message>
        <source>Type or paste web addresses, one per line:</source>
        <translation>Webadressen eingeben oder einfügen, eine pro Zeile:</translation>
    </message>
</context>
<context>
    <name>QXControlBar</name>
    <message>
        <source>Play</source>
        <translation>Wiedergeben</translation>
    </message>
    <message>
        <source>Wind Backward</source>
        <translation>Zurückspulen</translation>
    </message>
    <message>
        <source>Wind Forward</source>
        <translation>Vorspulen</translation>
    </message>
    <message>
        <source>Change Volume</source>
        <translation>Lautstärke ändern</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Drehen</translation>
    </message>
    <message>
        <source>Presentation Mode</source>
        <translation>Präsentationsmodus</translation>
    </message>
    <message>
        <source>Unlock Aspect Ratio</source>
        <translation>Seitenverhältnis entsperren</translation>
    </message>
    <message>
        <source>Lock Aspect Ratio</source>
        <translation>Seitenverhältnis sperren</translation>
    </message>
    <message>
        <source>Hide Playlist</source>
        <translation>Wiedergabeliste ausblenden</translation>
    </message>
    <message>
        <source>Show Playlist</source>
        <translation>Wiedergabeliste anzeigen</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>Vollbild</translation>
    </message>
</context>
<context>
    <name>QXHttpDownload</name>
    <message>
        <source>download failed: nothing received for %1 seconds</source>
        <translation>Download fehlgeschlagen: %1 Sekunden lang nichts empfangen</translation>
    </message>
    <message>
        <source>download failed: %1 is no web address</source>
        <translation>Download fehlgeschlagen: %1 ist keine Webadresse</translation>
    </message>
    <message>
        <source>download failed: server answered %1</source>
        <translation>Download fehlgeschlagen: Der Server antwortete mit %1</translation>
    </message>
    <message>
        <source>download failed: the connection ended after %1 of %2 bytes</source>
        <translation>Download fehlgeschlagen: Die Verbindung endete nach %1 von %2 Bytes</translation>
    </message>
    <message>
        <source>download failed: %1</source>
        <translation>Download fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>QXLaunchArguments</name>
    <message>
        <source>Usage: vistrel [options] [file or address ...]

Plays movie files, folders of movies and web addresses. When Vistrel is already
running, the files and addresses are handed to it and this launch exits.

Arguments:
  file or folder    a movie file, or a folder whose movies are all opened
  http(s)://...     a web address the player can stream
  vistrelx://...    the player&apos;s own scheme: opened as http://...
  vistrelxs://...   opened as https://...

Options:
  -h, --help        show this text
  -v, --version     print the version
</source>
        <translation>Aufruf: vistrel [Optionen] [Datei oder Adresse ...]

Spielt Filmdateien, Ordner mit Filmen und Webadressen ab. Läuft Vistrel bereits,
erhält das laufende Programm die Dateien und Adressen, und dieser Aufruf endet.

Argumente:
  Datei oder Ordner  eine Filmdatei oder ein Ordner, dessen Filme alle geöffnet werden
  http(s)://...      eine Webadresse, die der Player streamen kann
  vistrelx://...     das eigene Schema des Players: als http://... geöffnet
  vistrelxs://...    als https://... geöffnet

Optionen:
  -h, --help         diesen Text anzeigen
  -v, --version      die Version ausgeben
</translation>
    </message>
</context>
<context>
    <name>QXMPController</name>
    <message>
        <source>Playlist</source>
        <translation>Wiedergabeliste</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Wiedergeben</translation>
    </message>
    <message>
        <source>Show Player</source>
        <translation>Player anzeigen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Cannot open: %2</source>
        <translation>„%1“
Kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Clear Playlist</source>
        <translation>Wiedergabeliste leeren</translation>
    </message>
    <message>
        <source>Previous Movie</source>
        <translation>Vorheriger Film</translation>
    </message>
    <message>
        <source>Next Movie</source>
        <translation>Nächster Film</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausieren</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Open...</source>
        <translation>Öffnen …</translation>
    </message>
    <message>
        <source>Open Address...</source>
        <translation>Adresse öffnen …</translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>&amp;Playlist</source>
        <translation>&amp;Wiedergabeliste</translation>
    </message>
    <message>
        <source>&amp;Movies</source>
        <translation>&amp;Filme</translation>
    </message>
    <message>
        <source>&amp;Sort</source>
        <translation>&amp;Sortieren</translation>
    </message>
    <message>
        <source>By Name</source>
        <translation>Nach Name</translation>
    </message>
    <message>
        <source>By Location</source>
        <translation>Nach Ort</translation>
    </message>
    <message>
        <source>Shuffle</source>
        <translation>Zufällig mischen</translation>
    </message>
    <message>
        <source>Hide Playlist</source>
        <translation>Wiedergabeliste ausblenden</translation>
    </message>
    <message>
        <source>&amp;Movie</source>
        <translation>&amp;Film</translation>
    </message>
    <message>
        <source>Wind Backward</source>
        <translation>Zurückspulen</translation>
    </message>
    <message>
        <source>Wind Forward</source>
        <translation>Vorspulen</translation>
    </message>
    <message>
        <source>Slower</source>
        <translation>Langsamer</translation>
    </message>
    <message>
        <source>Faster</source>
        <translation>Schneller</translation>
    </message>
    <message>
        <source>Normal Speed</source>
        <translation>Normale Geschwindigkeit</translation>
    </message>
    <message>
        <source>Take Screenshot</source>
        <translation>Bildschirmfoto aufnehmen</translation>
    </message>
    <message>
        <source>Half Size</source>
        <translation>Halbe Größe</translation>
    </message>
    <message>
        <source>Actual Size</source>
        <translation>Originalgröße</translation>
    </message>
    <message>
        <source>Double Size</source>
        <translation>Doppelte Größe</translation>
    </message>
    <message>
        <source>Increase Size</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Decrease Size</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Fit to Screen</source>
        <translation>An Bildschirm anpassen</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>Presentation Scaling</source>
        <translation>Skalierung im Präsentationsmodus</translation>
    </message>
    <message>
        <source>Controls over the Picture</source>
        <translation>Steuerelemente über dem Bild</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Drehen</translation>
    </message>
    <message>
        <source>Rotate Clockwise</source>
        <translation>Im Uhrzeigersinn drehen</translation>
    </message>
    <message>
        <source>Rotate Counterclockwise</source>
        <translation>Gegen den Uhrzeigersinn drehen</translation>
    </message>
    <message>
        <source>Lock Aspect Ratio</source>
        <translation>Seitenverhältnis sperren</translation>
    </message>
    <message>
        <source>&amp;Sound</source>
        <translation>&amp;Ton</translation>
    </message>
    <message>
        <source>Increase Volume</source>
        <translation>Lauter</translation>
    </message>
    <message>
        <source>Decrease Volume</source>
        <translation>Leiser</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Vistrel Help</source>
        <translation>Vistrel-Hilfe</translation>
    </message>
    <message>
        <source>Donate...</source>
        <translation>Spenden …</translation>
    </message>
    <message>
        <source>Vistrel Home Page</source>
        <translation>Vistrel-Webseite</translation>
    </message>
    <message>
        <source>Check for Updates...</source>
        <translation>Nach Aktualisierungen suchen …</translation>
    </message>
    <message>
        <source>Looking for movies… %1 files
Escape stops the search</source>
        <translation>Filme werden gesucht … %1 Dateien
Esc bricht die Suche ab</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Loading...
%2</source>
        <translation>„%1“
Wird geladen …
%2</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Loading...</source>
        <translation>„%1“
Wird geladen …</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Audio Only</source>
        <translation>„%1“
Nur Ton</translation>
    </message>
    <message>
        <source>Nothing Selected</source>
        <translation>Nichts ausgewählt</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Double-click to open</source>
        <translation>„%1“
Zum Öffnen doppelklicken</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>die Datei existiert nicht</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>not a movie</source>
        <translation>kein Film</translation>
    </message>
    <message>
        <source>Show Playlist</source>
        <translation>Wiedergabeliste anzeigen</translation>
    </message>
</context>
<context>
    <name>QXMovie</name>
    <message>
        <source>not a movie</source>
        <translation>kein Film</translation>
    </message>
    <message>
        <source>the movie is not shown</source>
        <translation>der Film wird nicht angezeigt</translation>
    </message>
    <message>
        <source>no movie plays</source>
        <translation>es läuft kein Film</translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation>die Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>the player cannot read it as subtitles</source>
        <translation>der Player kann sie nicht als Untertitel lesen</translation>
    </message>
    <message>
        <source>not an address to play</source>
        <translation>keine abspielbare Adresse</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>zu viele Weiterleitungen</translation>
    </message>
    <message>
        <source>redirect refused</source>
        <translation>Weiterleitung abgelehnt</translation>
    </message>
    <message>
        <source>the file did not open in time</source>
        <translation>die Datei ließ sich nicht rechtzeitig öffnen</translation>
    </message>
    <message>
        <source>no answer within 5 seconds</source>
        <translation>keine Antwort innerhalb von 5 Sekunden</translation>
    </message>
    <message>
        <source>too slow: no movie within 5 seconds</source>
        <translation>zu langsam: kein Film innerhalb von 5 Sekunden</translation>
    </message>
    <message>
        <source>server answered 400</source>
        <translation>der Server antwortete mit 400</translation>
    </message>
    <message>
        <source>server answered 401</source>
        <translation>der Server antwortete mit 401</translation>
    </message>
    <message>
        <source>server answered 403</source>
        <translation>der Server antwortete mit 403</translation>
    </message>
    <message>
        <source>server answered 404</source>
        <translation>der Server antwortete mit 404</translation>
    </message>
    <message>
        <source>server answered with an error (4xx)</source>
        <translation>der Server antwortete mit einem Fehler (4xx)</translation>
    </message>
    <message>
        <source>server answered with an error (5xx)</source>
        <translation>der Server antwortete mit einem Fehler (5xx)</translation>
    </message>
    <message>
        <source>connection refused</source>
        <translation>Verbindung abgelehnt</translation>
    </message>
    <message>
        <source>the server cannot be reached</source>
        <translation>der Server ist nicht erreichbar</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>der Server hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>the server cannot be found</source>
        <translation>der Server wurde nicht gefunden</translation>
    </message>
    <message>
        <source>the file is missing</source>
        <translation>die Datei fehlt</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
</context>
<context>
    <name>QXMovieDownload</name>
    <message>
        <source>download failed: cannot write %1</source>
        <translation>Download fehlgeschlagen: %1 kann nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>QXMovieEngine</name>
    <message>
        <source>nothing in it can be played</source>
        <translation>nichts darin lässt sich abspielen</translation>
    </message>
    <message>
        <source>the stream ended before anything could be played</source>
        <translation>der Datenstrom endete, bevor etwas abgespielt werden konnte</translation>
    </message>
    <message>
        <source>not a movie</source>
        <translation>kein Film</translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation>die Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>the stream cannot be loaded</source>
        <translation>der Datenstrom kann nicht geladen werden</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>der Server hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>no picture to save</source>
        <translation>kein Bild zum Speichern</translation>
    </message>
</context>
<context>
    <name>QXMovieTracks</name>
    <message>
        <source>the file is too large for subtitles</source>
        <translation>die Datei ist zu groß für Untertitel</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>die Datei ist leer</translation>
    </message>
    <message>
        <source>the file is not text</source>
        <translation>die Datei ist kein Text</translation>
    </message>
</context>
<context>
    <name>QXMpris</name>
    <message>
        <source>Only file, http and https addresses open: %1</source>
        <translation>Nur Datei-, HTTP- und HTTPS-Adressen lassen sich öffnen: %1</translation>
    </message>
</context>
<context>
    <name>QXOnlineVideoDownloads</name>
    <message>
        <source>no video found on the page</source>
        <translation>kein Video auf der Seite gefunden</translation>
    </message>
    <message>
        <source>this page needs yt-dlp, which is not installed</source>
        <translation>diese Seite benötigt yt-dlp, das nicht installiert ist</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>%1.%2 MB</source>
        <translation>%1,%2&#xa0;MB</translation>
    </message>
</context>
<context>
    <name>QXPlaylistMenu</name>
    <message>
        <source>Show Playlist</source>
        <translation>Wiedergabeliste anzeigen</translation>
    </message>
</context>
<context>
    <name>QXPreferences</name>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Controls</source>
        <translation>Steuerung</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Wiedergabeliste</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Aktualisierungen</translation>
    </message>
    <message>
        <source>Fit Picture to Screen</source>
        <translation>Bild an Bildschirm anpassen</translation>
    </message>
    <message>
        <source>Fill Screen</source>
        <translation>Bildschirm füllen</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>Show the player window at startup</source>
        <translation>Player-Fenster beim Start anzeigen</translation>
    </message>
    <message>
        <source>Show file name extensions</source>
        <translation>Dateinamenserweiterungen anzeigen</translation>
    </message>
    <message>
        <source>Pause when another user takes over the screen</source>
        <translation>Pausieren, wenn ein anderer Benutzer den Bildschirm übernimmt</translation>
    </message>
    <message>
        <source>Remember how each movie is rotated</source>
        <translation>Drehung jedes Films merken</translation>
    </message>
    <message>
        <source>The Rotate button turns the picture</source>
        <translation>Der Knopf „Drehen“ dreht das Bild</translation>
    </message>
    <message>
        <source>clockwise</source>
        <translation>im Uhrzeigersinn</translation>
    </message>
    <message>
        <source>counterclockwise</source>
        <translation>gegen den Uhrzeigersinn</translation>
    </message>
    <message>
        <source>Resume movies where they were left</source>
        <translation>Filme an der zuletzt gesehenen Stelle fortsetzen</translation>
    </message>
    <message>
        <source>Use hardware decoding</source>
        <translation>Hardware-Dekodierung verwenden</translation>
    </message>
    <message>
        <source>Play movies as they open</source>
        <translation>Filme beim Öffnen abspielen</translation>
    </message>
    <message>
        <source>Pause when the window closes</source>
        <translation>Pausieren, wenn das Fenster geschlossen wird</translation>
    </message>
    <message>
        <source>Quit when the window closes</source>
        <translation>Beenden, wenn das Fenster geschlossen wird</translation>
    </message>
    <message>
        <source>Show the controls over the picture in window mode</source>
        <translation>Steuerelemente im Fenstermodus über dem Bild anzeigen</translation>
    </message>
    <message>
        <source>Hide the controls over the picture after</source>
        <translation>Steuerelemente über dem Bild ausblenden nach</translation>
    </message>
    <message>
        <source>The wind buttons move by</source>
        <translation>Die Spulknöpfe springen um</translation>
    </message>
    <message>
        <source>Play when presentation mode starts</source>
        <translation>Wiedergeben, wenn der Präsentationsmodus beginnt</translation>
    </message>
    <message>
        <source>Pause when presentation mode ends</source>
        <translation>Pausieren, wenn der Präsentationsmodus endet</translation>
    </message>
    <message>
        <source>Presentation mode:</source>
        <translation>Präsentationsmodus:</translation>
    </message>
    <message>
        <source>Start a new playlist when movies are opened</source>
        <translation>Beim Öffnen von Filmen eine neue Wiedergabeliste beginnen</translation>
    </message>
    <message>
        <source>Clear the playlist when the window closes</source>
        <translation>Wiedergabeliste leeren, wenn das Fenster geschlossen wird</translation>
    </message>
    <message>
        <source>Forget the playlist when quitting</source>
        <translation>Wiedergabeliste beim Beenden vergessen</translation>
    </message>
</context>
<context>
    <name>QXRWUpdateChecker</name>
    <message>
        <source>Last check: %B %1d, %Y - %1I:%M%p</source>
        <translation>Letzte Prüfung: %1d. %B %Y, %H:%M</translation>
    </message>
    <message>
        <source>The check for updates failed: %1.</source>
        <translation>Die Suche nach Aktualisierungen ist fehlgeschlagen: %1.</translation>
    </message>
    <message>
        <source>Last attempt: %B %1d, %Y - %1I:%M%p</source>
        <translation>Letzter Versuch: %1d. %B %Y, %H:%M</translation>
    </message>
    <message>
        <source>Vistrel %1 is now available!</source>
        <translation>Vistrel %1 ist jetzt verfügbar!</translation>
    </message>
    <message>
        <source>Vistrel is up to date.</source>
        <translation>Vistrel ist auf dem neuesten Stand.</translation>
    </message>
    <message>
        <source>Vistrel %1 is the newest version.</source>
        <translation>Vistrel %1 ist die neueste Version.</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation>Softwareaktualisierung</translation>
    </message>
    <message>
        <source>Download...</source>
        <translation>Herunterladen …</translation>
    </message>
    <message>
        <source>The release notes could not be loaded.</source>
        <translation>Die Versionshinweise konnten nicht geladen werden.</translation>
    </message>
    <message>
        <source>Check for updates automatically at startup</source>
        <translation>Beim Start automatisch nach Aktualisierungen suchen</translation>
    </message>
    <message>
        <source>Check Now</source>
        <translation>Jetzt prüfen</translation>
    </message>
    <message>
        <source>the update server&apos;s address is not accepted</source>
        <translation>die Adresse des Aktualisierungsservers wird nicht akzeptiert</translation>
    </message>
    <message>
        <source>the update server sent the request on to an address that is not accepted</source>
        <translation>der Aktualisierungsserver hat die Anfrage an eine nicht akzeptierte Adresse weitergeleitet</translation>
    </message>
    <message>
        <source>the update server refused the connection</source>
        <translation>der Aktualisierungsserver hat die Verbindung abgelehnt</translation>
    </message>
    <message>
        <source>the update server&apos;s host was not found</source>
        <translation>der Rechner des Aktualisierungsservers wurde nicht gefunden</translation>
    </message>
    <message>
        <source>no secure connection to the update server could be made</source>
        <translation>es konnte keine sichere Verbindung zum Aktualisierungsserver hergestellt werden</translation>
    </message>
    <message>
        <source>the update server could not be reached</source>
        <translation>der Aktualisierungsserver war nicht erreichbar</translation>
    </message>
    <message>
        <source>the update server did not answer within a second</source>
        <translation>der Aktualisierungsserver hat nicht innerhalb einer Sekunde geantwortet</translation>
    </message>
    <message>
        <source>the update server did not answer within %1 seconds</source>
        <translation>der Aktualisierungsserver hat nicht innerhalb von %1 Sekunden geantwortet</translation>
    </message>
    <message>
        <source>the update server answered %1</source>
        <translation>der Aktualisierungsserver antwortete mit %1</translation>
    </message>
    <message>
        <source>the update server&apos;s answer is larger than %1 KB</source>
        <translation>die Antwort des Aktualisierungsservers ist größer als %1 KB</translation>
    </message>
    <message>
        <source>the update server&apos;s answer is not a version list</source>
        <translation>die Antwort des Aktualisierungsservers ist keine Versionsliste</translation>
    </message>
</context>
<context>
    <name>QXResumeKeeper</name>
    <message>
        <source>Resumed at %1</source>
        <translation>Fortgesetzt bei %1</translation>
    </message>
</context>
<context>
    <name>QXScreenSaverInhibitor</name>
    <message>
        <source>Playing a movie</source>
        <translation>Ein Film wird abgespielt</translation>
    </message>
</context>
<context>
    <name>QXScreenshotTaker</name>
    <message>
        <source>Saved %1 to %2</source>
        <translation>%1 in %2 gespeichert</translation>
    </message>
    <message>
        <source>Cannot save the screenshot: %1</source>
        <translation>Das Bildschirmfoto kann nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>the folder %1 cannot be made</source>
        <translation>der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>no file can be made in %1 (%2)</source>
        <translation>in %1 kann keine Datei angelegt werden (%2)</translation>
    </message>
</context>
<context>
    <name>QXSpeedControl</name>
    <message>
        <source>Speed %1</source>
        <translation>Geschwindigkeit %1</translation>
    </message>
</context>
<context>
    <name>QXTrackMenus</name>
    <message>
        <source>Track %1</source>
        <translation>Spur %1</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>Stereo</translation>
    </message>
    <message numerus="yes">
        <source>%n channels</source>
        <translation>
            <numerusform>%n Kanal</numerusform>
            <numerusform>%n Kanäle</numerusform>
        </translation>
    </message>
    <message>
        <source>external</source>
        <translation>extern</translation>
    </message>
    <message>
        <source>Chapter %1</source>
        <translation>Kapitel %1</translation>
    </message>
    <message>
        <source>S&amp;ubtitles</source>
        <translation>&amp;Untertitel</translation>
    </message>
    <message>
        <source>&amp;Audio</source>
        <translation>T&amp;onspur</translation>
    </message>
    <message>
        <source>&amp;Chapters</source>
        <translation>&amp;Kapitel</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Next Subtitle</source>
        <translation>Nächster Untertitel</translation>
    </message>
    <message>
        <source>Previous Subtitle</source>
        <translation>Vorheriger Untertitel</translation>
    </message>
    <message>
        <source>Show Subtitles Earlier</source>
        <translation>Untertitel früher anzeigen</translation>
    </message>
    <message>
        <source>Show Subtitles Later</source>
        <translation>Untertitel später anzeigen</translation>
    </message>
    <message>
        <source>Add Subtitle File...</source>
        <translation>Untertiteldatei hinzufügen …</translation>
    </message>
    <message>
        <source>Next Audio Track</source>
        <translation>Nächste Tonspur</translation>
    </message>
    <message>
        <source>Previous Chapter</source>
        <translation>Vorheriges Kapitel</translation>
    </message>
    <message>
        <source>Next Chapter</source>
        <translation>Nächstes Kapitel</translation>
    </message>
    <message>
        <source>Tracks %1 to %2</source>
        <translation>Spuren %1 bis %2</translation>
    </message>
    <message>
        <source>Chapters %1 to %2</source>
        <translation>Kapitel %1 bis %2</translation>
    </message>
    <message>
        <source>Subtitles off</source>
        <translation>Untertitel aus</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Tonspur: %1</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Untertitelverzögerung: %1 s</translation>
    </message>
    <message>
        <source>Cannot load subtitle: %1</source>
        <translation>Untertitel kann nicht geladen werden: %1</translation>
    </message>
    <message>
        <source>Subtitle is not UTF-8: its letters may show wrong</source>
        <translation>Untertitel ist nicht UTF-8: Zeichen werden eventuell falsch angezeigt</translation>
    </message>
    <message>
        <source>Add Subtitle File</source>
        <translation>Untertiteldatei hinzufügen</translation>
    </message>
    <message>
        <source>Subtitles (*.srt *.ass *.ssa *.vtt *.sub)</source>
        <translation>Untertitel (*.srt *.ass *.ssa *.vtt *.sub)</translation>
    </message>
</context>
<context>
    <name>QXWebLink</name>
    <message>
        <source>No web browser could be opened. The page is at this address:</source>
        <translation>Es konnte kein Webbrowser geöffnet werden. Die Seite befindet sich unter dieser Adresse:</translation>
    </message>
    <message>
        <source>Copy Address</source>
        <translation>Adresse kopieren</translation>
    </message>
    <message>
        <source>USD</source>
        <translation>EUR</translation>
    </message>
    <message>
        <source>Sorry. No help yet.</source>
        <translation>Leider gibt es noch keine Hilfe.</translation>
    </message>
    <message>
        <source>This beta version does not include documentation. The final Vistrel 1.0 will.</source>
        <translation>Diese Betaversion enthält keine Dokumentation. Die fertige Version 1.0 wird eine enthalten.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>QXYtDlpDownload</name>
    <message>
        <source>download failed: cannot run %1</source>
        <translation>Download fehlgeschlagen: %1 kann nicht ausgeführt werden</translation>
    </message>
    <message>
        <source>download failed: yt-dlp stopped unexpectedly</source>
        <translation>Download fehlgeschlagen: yt-dlp wurde unerwartet beendet</translation>
    </message>
    <message>
        <source>download failed: yt-dlp saved no file</source>
        <translation>Download fehlgeschlagen: yt-dlp hat keine Datei gespeichert</translation>
    </message>
</context>
</TS>
