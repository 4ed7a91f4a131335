<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>QObject</name>
    <message>
        <source>every name for it is taken</source>
        <translation>tous les noms possibles sont déjà pris</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Movies and Folders (*)</source>
        <translation>Vidéos et dossiers (*)</translation>
    </message>
</context>
<context>
    <name>QXAddressPanel</name>
    <message>
        <source>Open Address</source>
        <translation>Ouvrir une adresse</translation>
    </message>
    <message>
        <source>Type or paste web addresses, one per line:</source>
        <translation>Saisissez ou collez des adresses web, une par ligne&#xa0;:</translation>
    </message>
</context>
<context>
    <name>QXControlBar</name>
    <message>
        <source>Play</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Wind Backward</source>
        <translation>Retour rapide</translation>
    </message>
    <message>
        <source>Wind Forward</source>
        <translation>Avance rapide</translation>
    </message>
    <message>
        <source>Change Volume</source>
        <translation>Régler le volume</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Faire pivoter</translation>
    </message>
    <message>
        <source>Presentation Mode</source>
        <translation>Mode plein écran</translation>
    </message>
    <message>
        <source>Unlock Aspect Ratio</source>
        <translation>Déverrouiller les proportions</translation>
    </message>
    <message>
        <source>Lock Aspect Ratio</source>
        <translation>Verrouiller les proportions</translation>
    </message>
    <message>
        <source>Hide Playlist</source>
        <translation>Masquer la liste de lecture</translation>
    </message>
    <message>
        <source>Show Playlist</source>
        <translation>Afficher la liste de lecture</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Barre d’outils</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>Plein écran</translation>
    </message>
</context>
<context>
    <name>QXHttpDownload</name>
    <message>
        <source>download failed: nothing received for %1 seconds</source>
        <translation>échec du téléchargement&#xa0;: aucune donnée reçue pendant %1&#xa0;secondes</translation>
    </message>
    <message>
        <source>download failed: %1 is no web address</source>
        <translation>échec du téléchargement&#xa0;: %1 n’est pas une adresse web</translation>
    </message>
    <message>
        <source>download failed: server answered %1</source>
        <translation>échec du téléchargement&#xa0;: le serveur a répondu %1</translation>
    </message>
    <message>
        <source>download failed: the connection ended after %1 of %2 bytes</source>
        <translation>échec du téléchargement&#xa0;: la connexion s’est interrompue après %1 octets sur %2</translation>
    </message>
    <message>
        <source>download failed: %1</source>
        <translation>échec du téléchargement&#xa0;: %1</translation>
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
        <translation>Utilisation&#xa0;: vistrel [options] [fichier ou adresse ...]

Lit des fichiers vidéo, des dossiers de vidéos et des adresses web. Si Vistrel
est déjà lancé, les fichiers et adresses lui sont transmis et ce lancement se
termine.

Arguments&#xa0;:
  fichier ou dossier  un fichier vidéo, ou un dossier dont toutes les vidéos
                      sont ouvertes
  http(s)://...       une adresse web que le lecteur peut lire en flux
  vistrelx://...      le schéma propre au lecteur&#xa0;: ouvert comme http://...
  vistrelxs://...     ouvert comme https://...

Options&#xa0;:
  -h, --help          afficher ce texte
  -v, --version       afficher la version
</translation>
    </message>
</context>
<context>
    <name>QXMPController</name>
    <message>
        <source>Playlist</source>
        <translation>Liste de lecture</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Show Player</source>
        <translation>Afficher le lecteur</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Cannot open: %2</source>
        <translation>«&#xa0;%1&#xa0;»
Impossible d’ouvrir&#xa0;: %2</translation>
    </message>
    <message>
        <source>Clear Playlist</source>
        <translation>Vider la liste de lecture</translation>
    </message>
    <message>
        <source>Previous Movie</source>
        <translation>Vidéo précédente</translation>
    </message>
    <message>
        <source>Next Movie</source>
        <translation>Vidéo suivante</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>Open...</source>
        <translation>Ouvrir…</translation>
    </message>
    <message>
        <source>Open Address...</source>
        <translation>Ouvrir une adresse…</translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation>Préférences…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>É&amp;dition</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>&amp;Playlist</source>
        <translation>&amp;Liste de lecture</translation>
    </message>
    <message>
        <source>&amp;Movies</source>
        <translation>&amp;Vidéos</translation>
    </message>
    <message>
        <source>&amp;Sort</source>
        <translation>&amp;Trier</translation>
    </message>
    <message>
        <source>By Name</source>
        <translation>Par nom</translation>
    </message>
    <message>
        <source>By Location</source>
        <translation>Par emplacement</translation>
    </message>
    <message>
        <source>Shuffle</source>
        <translation>Mélanger</translation>
    </message>
    <message>
        <source>Hide Playlist</source>
        <translation>Masquer la liste de lecture</translation>
    </message>
    <message>
        <source>&amp;Movie</source>
        <translation>&amp;Vidéo</translation>
    </message>
    <message>
        <source>Wind Backward</source>
        <translation>Retour rapide</translation>
    </message>
    <message>
        <source>Wind Forward</source>
        <translation>Avance rapide</translation>
    </message>
    <message>
        <source>Slower</source>
        <translation>Plus lent</translation>
    </message>
    <message>
        <source>Faster</source>
        <translation>Plus rapide</translation>
    </message>
    <message>
        <source>Normal Speed</source>
        <translation>Vitesse normale</translation>
    </message>
    <message>
        <source>Take Screenshot</source>
        <translation>Prendre une capture d’écran</translation>
    </message>
    <message>
        <source>Half Size</source>
        <translation>Demi-taille</translation>
    </message>
    <message>
        <source>Actual Size</source>
        <translation>Taille réelle</translation>
    </message>
    <message>
        <source>Double Size</source>
        <translation>Taille double</translation>
    </message>
    <message>
        <source>Increase Size</source>
        <translation>Agrandir</translation>
    </message>
    <message>
        <source>Decrease Size</source>
        <translation>Réduire</translation>
    </message>
    <message>
        <source>Fit to Screen</source>
        <translation>Adapter à l’écran</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>Plein écran</translation>
    </message>
    <message>
        <source>Presentation Scaling</source>
        <translation>Image en plein écran</translation>
    </message>
    <message>
        <source>Controls over the Picture</source>
        <translation>Commandes sur l’image</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Faire pivoter</translation>
    </message>
    <message>
        <source>Rotate Clockwise</source>
        <translation>Faire pivoter dans le sens horaire</translation>
    </message>
    <message>
        <source>Rotate Counterclockwise</source>
        <translation>Faire pivoter dans le sens antihoraire</translation>
    </message>
    <message>
        <source>Lock Aspect Ratio</source>
        <translation>Verrouiller les proportions</translation>
    </message>
    <message>
        <source>&amp;Sound</source>
        <translation>&amp;Son</translation>
    </message>
    <message>
        <source>Increase Volume</source>
        <translation>Augmenter le volume</translation>
    </message>
    <message>
        <source>Decrease Volume</source>
        <translation>Baisser le volume</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Muet</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>Vistrel Help</source>
        <translation>Aide de Vistrel</translation>
    </message>
    <message>
        <source>Donate...</source>
        <translation>Faire un don…</translation>
    </message>
    <message>
        <source>Vistrel Home Page</source>
        <translation>Site web de Vistrel</translation>
    </message>
    <message>
        <source>Check for Updates...</source>
        <translation>Rechercher des mises à jour…</translation>
    </message>
    <message>
        <source>Looking for movies… %1 files
Escape stops the search</source>
        <translation>Recherche de vidéos… %1 fichiers
Échap arrête la recherche</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Loading...
%2</source>
        <translation>«&#xa0;%1&#xa0;»
Chargement…
%2</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Loading...</source>
        <translation>«&#xa0;%1&#xa0;»
Chargement…</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Audio Only</source>
        <translation>«&#xa0;%1&#xa0;»
Audio seulement</translation>
    </message>
    <message>
        <source>Nothing Selected</source>
        <translation>Aucune sélection</translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Double-click to open</source>
        <translation>«&#xa0;%1&#xa0;»
Double-cliquez pour ouvrir</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>fichier introuvable</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>fichier illisible</translation>
    </message>
    <message>
        <source>not a movie</source>
        <translation>ce n’est pas une vidéo</translation>
    </message>
    <message>
        <source>Show Playlist</source>
        <translation>Afficher la liste de lecture</translation>
    </message>
</context>
<context>
    <name>QXMovie</name>
    <message>
        <source>not a movie</source>
        <translation>ce n’est pas une vidéo</translation>
    </message>
    <message>
        <source>the movie is not shown</source>
        <translation>la vidéo n’est pas affichée</translation>
    </message>
    <message>
        <source>no movie plays</source>
        <translation>aucune vidéo n’est en lecture</translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation>le fichier ne peut pas être lu</translation>
    </message>
    <message>
        <source>the player cannot read it as subtitles</source>
        <translation>le lecteur ne peut pas lire ce fichier comme sous-titres</translation>
    </message>
    <message>
        <source>not an address to play</source>
        <translation>ce n’est pas une adresse lisible</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>trop de redirections</translation>
    </message>
    <message>
        <source>redirect refused</source>
        <translation>redirection refusée</translation>
    </message>
    <message>
        <source>the file did not open in time</source>
        <translation>le fichier ne s’est pas ouvert à temps</translation>
    </message>
    <message>
        <source>no answer within 5 seconds</source>
        <translation>aucune réponse en 5&#xa0;secondes</translation>
    </message>
    <message>
        <source>too slow: no movie within 5 seconds</source>
        <translation>trop lent&#xa0;: aucune vidéo en 5&#xa0;secondes</translation>
    </message>
    <message>
        <source>server answered 400</source>
        <translation>le serveur a répondu 400</translation>
    </message>
    <message>
        <source>server answered 401</source>
        <translation>le serveur a répondu 401</translation>
    </message>
    <message>
        <source>server answered 403</source>
        <translation>le serveur a répondu 403</translation>
    </message>
    <message>
        <source>server answered 404</source>
        <translation>le serveur a répondu 404</translation>
    </message>
    <message>
        <source>server answered with an error (4xx)</source>
        <translation>le serveur a répondu par une erreur (4xx)</translation>
    </message>
    <message>
        <source>server answered with an error (5xx)</source>
        <translation>le serveur a répondu par une erreur (5xx)</translation>
    </message>
    <message>
        <source>connection refused</source>
        <translation>connexion refusée</translation>
    </message>
    <message>
        <source>the server cannot be reached</source>
        <translation>le serveur est injoignable</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>le serveur a fermé la connexion</translation>
    </message>
    <message>
        <source>the server cannot be found</source>
        <translation>le serveur est introuvable</translation>
    </message>
    <message>
        <source>the file is missing</source>
        <translation>le fichier est introuvable</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>accès refusé</translation>
    </message>
</context>
<context>
    <name>QXMovieDownload</name>
    <message>
        <source>download failed: cannot write %1</source>
        <translation>échec du téléchargement&#xa0;: impossible d’écrire %1</translation>
    </message>
</context>
<context>
    <name>QXMovieEngine</name>
    <message>
        <source>nothing in it can be played</source>
        <translation>aucun contenu lisible</translation>
    </message>
    <message>
        <source>the stream ended before anything could be played</source>
        <translation>le flux s’est terminé avant toute lecture</translation>
    </message>
    <message>
        <source>not a movie</source>
        <translation>ce n’est pas une vidéo</translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation>le fichier ne peut pas être lu</translation>
    </message>
    <message>
        <source>the stream cannot be loaded</source>
        <translation>le flux ne peut pas être chargé</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>le serveur a fermé la connexion</translation>
    </message>
    <message>
        <source>no picture to save</source>
        <translation>aucune image à enregistrer</translation>
    </message>
</context>
<context>
    <name>QXMovieTracks</name>
    <message>
        <source>the file is too large for subtitles</source>
        <translation>le fichier est trop volumineux pour des sous-titres</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>le fichier est vide</translation>
    </message>
    <message>
        <source>the file is not text</source>
        <translation>le fichier n’est pas du texte</translation>
    </message>
</context>
<context>
    <name>QXMpris</name>
    <message>
        <source>Only file, http and https addresses open: %1</source>
        <translation>Seules les adresses file, http et https s’ouvrent&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>QXOnlineVideoDownloads</name>
    <message>
        <source>no video found on the page</source>
        <translation>aucune vidéo trouvée sur la page</translation>
    </message>
    <message>
        <source>this page needs yt-dlp, which is not installed</source>
        <translation>cette page nécessite yt-dlp, qui n’est pas installé</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>%1.%2 MB</source>
        <translation>%1,%2&#xa0;Mo</translation>
    </message>
</context>
<context>
    <name>QXPlaylistMenu</name>
    <message>
        <source>Show Playlist</source>
        <translation>Afficher la liste de lecture</translation>
    </message>
</context>
<context>
    <name>QXPreferences</name>
    <message>
        <source>General</source>
        <translation>Général</translation>
    </message>
    <message>
        <source>Controls</source>
        <translation>Commandes</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Liste de lecture</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Mises à jour</translation>
    </message>
    <message>
        <source>Fit Picture to Screen</source>
        <translation>Adapter l’image à l’écran</translation>
    </message>
    <message>
        <source>Fill Screen</source>
        <translation>Remplir l’écran</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Préférences</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>secondes</translation>
    </message>
    <message>
        <source>Show the player window at startup</source>
        <translation>Afficher la fenêtre du lecteur au démarrage</translation>
    </message>
    <message>
        <source>Show file name extensions</source>
        <translation>Afficher les extensions des noms de fichiers</translation>
    </message>
    <message>
        <source>Pause when another user takes over the screen</source>
        <translation>Mettre en pause lors d’un changement d’utilisateur</translation>
    </message>
    <message>
        <source>Remember how each movie is rotated</source>
        <translation>Mémoriser la rotation de chaque vidéo</translation>
    </message>
    <message>
        <source>The Rotate button turns the picture</source>
        <translation>Le bouton de rotation tourne l’image</translation>
    </message>
    <message>
        <source>clockwise</source>
        <translation>dans le sens horaire</translation>
    </message>
    <message>
        <source>counterclockwise</source>
        <translation>dans le sens antihoraire</translation>
    </message>
    <message>
        <source>Resume movies where they were left</source>
        <translation>Reprendre les vidéos là où elles s’étaient arrêtées</translation>
    </message>
    <message>
        <source>Use hardware decoding</source>
        <translation>Utiliser le décodage matériel</translation>
    </message>
    <message>
        <source>Play movies as they open</source>
        <translation>Lire les vidéos dès leur ouverture</translation>
    </message>
    <message>
        <source>Pause when the window closes</source>
        <translation>Mettre en pause à la fermeture de la fenêtre</translation>
    </message>
    <message>
        <source>Quit when the window closes</source>
        <translation>Quitter à la fermeture de la fenêtre</translation>
    </message>
    <message>
        <source>Show the controls over the picture in window mode</source>
        <translation>Afficher les commandes sur l’image en mode fenêtré</translation>
    </message>
    <message>
        <source>Hide the controls over the picture after</source>
        <translation>Masquer les commandes sur l’image après</translation>
    </message>
    <message>
        <source>The wind buttons move by</source>
        <translation>Avance et retour rapides par pas de</translation>
    </message>
    <message>
        <source>Play when presentation mode starts</source>
        <translation>Lancer la lecture au passage en plein écran</translation>
    </message>
    <message>
        <source>Pause when presentation mode ends</source>
        <translation>Mettre en pause à la sortie du plein écran</translation>
    </message>
    <message>
        <source>Presentation mode:</source>
        <translation>En plein écran&#xa0;:</translation>
    </message>
    <message>
        <source>Start a new playlist when movies are opened</source>
        <translation>Commencer une nouvelle liste de lecture à l’ouverture de vidéos</translation>
    </message>
    <message>
        <source>Clear the playlist when the window closes</source>
        <translation>Vider la liste de lecture à la fermeture de la fenêtre</translation>
    </message>
    <message>
        <source>Forget the playlist when quitting</source>
        <translation>Oublier la liste de lecture en quittant</translation>
    </message>
</context>
<context>
    <name>QXRWUpdateChecker</name>
    <message>
        <source>Last check: %B %1d, %Y - %1I:%M%p</source>
        <translation>Dernière vérification&#xa0;: %1d %B %Y à %H:%M</translation>
    </message>
    <message>
        <source>The check for updates failed: %1.</source>
        <translation>La recherche de mises à jour a échoué&#xa0;: %1.</translation>
    </message>
    <message>
        <source>Last attempt: %B %1d, %Y - %1I:%M%p</source>
        <translation>Dernière tentative&#xa0;: %1d %B %Y à %H:%M</translation>
    </message>
    <message>
        <source>Vistrel %1 is now available!</source>
        <translation>Vistrel %1 est disponible&#x202f;!</translation>
    </message>
    <message>
        <source>Vistrel is up to date.</source>
        <translation>Vistrel est à jour.</translation>
    </message>
    <message>
        <source>Vistrel %1 is the newest version.</source>
        <translation>Vistrel %1 est la version la plus récente.</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation>Mise à jour du logiciel</translation>
    </message>
    <message>
        <source>Download...</source>
        <translation>Télécharger…</translation>
    </message>
    <message>
        <source>The release notes could not be loaded.</source>
        <translation>Les notes de version n’ont pas pu être chargées.</translation>
    </message>
    <message>
        <source>Check for updates automatically at startup</source>
        <translation>Rechercher automatiquement les mises à jour au démarrage</translation>
    </message>
    <message>
        <source>Check Now</source>
        <translation>Vérifier maintenant</translation>
    </message>
    <message>
        <source>the update server&apos;s address is not accepted</source>
        <translation>l’adresse du serveur de mises à jour n’est pas acceptée</translation>
    </message>
    <message>
        <source>the update server sent the request on to an address that is not accepted</source>
        <translation>le serveur de mises à jour a redirigé la requête vers une adresse non acceptée</translation>
    </message>
    <message>
        <source>the update server refused the connection</source>
        <translation>le serveur de mises à jour a refusé la connexion</translation>
    </message>
    <message>
        <source>the update server&apos;s host was not found</source>
        <translation>l’hôte du serveur de mises à jour est introuvable</translation>
    </message>
    <message>
        <source>no secure connection to the update server could be made</source>
        <translation>aucune connexion sécurisée n’a pu être établie avec le serveur de mises à jour</translation>
    </message>
    <message>
        <source>the update server could not be reached</source>
        <translation>le serveur de mises à jour est injoignable</translation>
    </message>
    <message>
        <source>the update server did not answer within a second</source>
        <translation>le serveur de mises à jour n’a pas répondu en une seconde</translation>
    </message>
    <message>
        <source>the update server did not answer within %1 seconds</source>
        <translation>le serveur de mises à jour n’a pas répondu en %1&#xa0;secondes</translation>
    </message>
    <message>
        <source>the update server answered %1</source>
        <translation>le serveur de mises à jour a répondu %1</translation>
    </message>
    <message>
        <source>the update server&apos;s answer is larger than %1 KB</source>
        <translation>la réponse du serveur de mises à jour dépasse %1&#xa0;Ko</translation>
    </message>
    <message>
        <source>the update server&apos;s answer is not a version list</source>
        <translation>la réponse du serveur de mises à jour n’est pas une liste de versions</translation>
    </message>
</context>
<context>
    <name>QXResumeKeeper</name>
    <message>
        <source>Resumed at %1</source>
        <translation>Reprise à %1</translation>
    </message>
</context>
<context>
    <name>QXScreenSaverInhibitor</name>
    <message>
        <source>Playing a movie</source>
        <translation>Lecture d’une vidéo</translation>
    </message>
</context>
<context>
    <name>QXScreenshotTaker</name>
    <message>
        <source>Saved %1 to %2</source>
        <translation>%1 enregistré dans %2</translation>
    </message>
    <message>
        <source>Cannot save the screenshot: %1</source>
        <translation>Impossible d’enregistrer la capture d’écran&#xa0;: %1</translation>
    </message>
    <message>
        <source>the folder %1 cannot be made</source>
        <translation>le dossier %1 ne peut pas être créé</translation>
    </message>
    <message>
        <source>no file can be made in %1 (%2)</source>
        <translation>aucun fichier ne peut être créé dans %1 (%2)</translation>
    </message>
</context>
<context>
    <name>QXSpeedControl</name>
    <message>
        <source>Speed %1</source>
        <translation>Vitesse %1</translation>
    </message>
</context>
<context>
    <name>QXTrackMenus</name>
    <message>
        <source>Track %1</source>
        <translation>Piste %1</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>stéréo</translation>
    </message>
    <message numerus="yes">
        <source>%n channels</source>
        <translation>
            <numerusform>%n canal</numerusform>
            <numerusform>%n canaux</numerusform>
        </translation>
    </message>
    <message>
        <source>external</source>
        <translation>externe</translation>
    </message>
    <message>
        <source>Chapter %1</source>
        <translation>Chapitre %1</translation>
    </message>
    <message>
        <source>S&amp;ubtitles</source>
        <translation>Sous-&amp;titres</translation>
    </message>
    <message>
        <source>&amp;Audio</source>
        <translation>A&amp;udio</translation>
    </message>
    <message>
        <source>&amp;Chapters</source>
        <translation>&amp;Chapitres</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Aucun</translation>
    </message>
    <message>
        <source>Next Subtitle</source>
        <translation>Sous-titres suivants</translation>
    </message>
    <message>
        <source>Previous Subtitle</source>
        <translation>Sous-titres précédents</translation>
    </message>
    <message>
        <source>Show Subtitles Earlier</source>
        <translation>Afficher les sous-titres plus tôt</translation>
    </message>
    <message>
        <source>Show Subtitles Later</source>
        <translation>Afficher les sous-titres plus tard</translation>
    </message>
    <message>
        <source>Add Subtitle File...</source>
        <translation>Ajouter un fichier de sous-titres…</translation>
    </message>
    <message>
        <source>Next Audio Track</source>
        <translation>Piste audio suivante</translation>
    </message>
    <message>
        <source>Previous Chapter</source>
        <translation>Chapitre précédent</translation>
    </message>
    <message>
        <source>Next Chapter</source>
        <translation>Chapitre suivant</translation>
    </message>
    <message>
        <source>Tracks %1 to %2</source>
        <translation>Pistes %1 à %2</translation>
    </message>
    <message>
        <source>Chapters %1 to %2</source>
        <translation>Chapitres %1 à %2</translation>
    </message>
    <message>
        <source>Subtitles off</source>
        <translation>Sous-titres désactivés</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Audio&#xa0;: %1</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Décalage des sous-titres&#xa0;: %1&#xa0;s</translation>
    </message>
    <message>
        <source>Cannot load subtitle: %1</source>
        <translation>Impossible de charger les sous-titres&#xa0;: %1</translation>
    </message>
    <message>
        <source>Subtitle is not UTF-8: its letters may show wrong</source>
        <translation>Les sous-titres ne sont pas en UTF-8&#xa0;: certains caractères risquent de mal s’afficher</translation>
    </message>
    <message>
        <source>Add Subtitle File</source>
        <translation>Ajouter un fichier de sous-titres</translation>
    </message>
    <message>
        <source>Subtitles (*.srt *.ass *.ssa *.vtt *.sub)</source>
        <translation>Sous-titres (*.srt *.ass *.ssa *.vtt *.sub)</translation>
    </message>
</context>
<context>
    <name>QXWebLink</name>
    <message>
        <source>No web browser could be opened. The page is at this address:</source>
        <translation>Aucun navigateur web n’a pu être ouvert. La page se trouve à cette adresse&#xa0;:</translation>
    </message>
    <message>
        <source>Copy Address</source>
        <translation>Copier l’adresse</translation>
    </message>
    <message>
        <source>USD</source>
        <translation>EUR</translation>
    </message>
    <message>
        <source>Sorry. No help yet.</source>
        <translation>Désolé, l’aide n’est pas encore disponible.</translation>
    </message>
    <message>
        <source>This beta version does not include documentation. The final Vistrel 1.0 will.</source>
        <translation>Cette version bêta ne comprend pas de documentation. La version finale de Vistrel 1.0 en comprendra une.</translation>
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
        <translation>échec du téléchargement&#xa0;: impossible de lancer %1</translation>
    </message>
    <message>
        <source>download failed: yt-dlp stopped unexpectedly</source>
        <translation>échec du téléchargement&#xa0;: yt-dlp s’est arrêté de manière inattendue</translation>
    </message>
    <message>
        <source>download failed: yt-dlp saved no file</source>
        <translation>échec du téléchargement&#xa0;: yt-dlp n’a enregistré aucun fichier</translation>
    </message>
</context>
</TS>
