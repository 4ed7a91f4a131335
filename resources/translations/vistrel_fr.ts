<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>QObject</name>
    <message>
        <source>every name for it is taken</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Movies and Folders (*)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXAddressPanel</name>
    <message>
        <source>Open Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type or paste web addresses, one per line:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXControlBar</name>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wind Backward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wind Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Presentation Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unlock Aspect Ratio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lock Aspect Ratio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide Playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXHttpDownload</name>
    <message>
        <source>download failed: nothing received for %1 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>download failed: %1 is no web address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>download failed: server answered %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>download failed: the connection ended after %1 of %2 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>download failed: %1</source>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXMPController</name>
    <message>
        <source>Playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Player</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Cannot open: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear Playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous Movie</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Movie</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Address...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Movies</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Sort</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>By Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>By Location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shuffle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide Playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Movie</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wind Backward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wind Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slower</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Faster</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal Speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take Screenshot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Half Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Actual Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Double Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Increase Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Decrease Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit to Screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Presentation Scaling</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Controls over the Picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rotate Clockwise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rotate Counterclockwise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lock Aspect Ratio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Increase Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Decrease Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mute</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vistrel Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Donate...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vistrel Home Page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for Updates...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking for movies… %1 files
Escape stops the search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Loading...
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Loading...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Audio Only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing Selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot;
Double-click to open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no such file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a movie</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Playlist</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXMovie</name>
    <message>
        <source>not a movie</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the movie is not shown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no movie plays</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the player cannot read it as subtitles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not an address to play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>redirect refused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file did not open in time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no answer within 5 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>too slow: no movie within 5 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>server answered 400</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>server answered 401</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>server answered 403</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>server answered 404</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>server answered with an error (4xx)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>server answered with an error (5xx)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>connection refused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server cannot be reached</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server cannot be found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is missing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXMovieDownload</name>
    <message>
        <source>download failed: cannot write %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXMovieEngine</name>
    <message>
        <source>nothing in it can be played</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the stream ended before anything could be played</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a movie</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the stream cannot be loaded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no picture to save</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXMovieTracks</name>
    <message>
        <source>the file is too large for subtitles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is not text</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXOnlineVideoDownloads</name>
    <message>
        <source>no video found on the page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>this page needs yt-dlp, which is not installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1.%2 MB</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXPlaylistMenu</name>
    <message>
        <source>Show Playlist</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXPreferences</name>
    <message>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Controls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit Picture to Screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fill Screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the player window at startup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show file name extensions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause when another user takes over the screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remember how each movie is rotated</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The Rotate button turns the picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>clockwise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>counterclockwise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resume movies where they were left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use hardware decoding</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play movies as they open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause when the window closes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit when the window closes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the controls over the picture in window mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide the controls over the picture after</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The wind buttons move by</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play when presentation mode starts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause when presentation mode ends</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Presentation mode:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start a new playlist when movies are opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the playlist when the window closes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forget the playlist when quitting</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXRWUpdateChecker</name>
    <message>
        <source>Last check: %B %1d, %Y - %1I:%M%p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The check for updates failed: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last attempt: %B %1d, %Y - %1I:%M%p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vistrel %1 is now available!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vistrel is up to date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vistrel %1 is the newest version.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The release notes could not be loaded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for updates automatically at startup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check Now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server&apos;s address is not accepted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server sent the request on to an address that is not accepted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server refused the connection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server&apos;s host was not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no secure connection to the update server could be made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server could not be reached</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server did not answer within a second</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server did not answer within %1 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server answered %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server&apos;s answer is larger than %1 KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the update server&apos;s answer is not a version list</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXResumeKeeper</name>
    <message>
        <source>Resumed at %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXScreenshotTaker</name>
    <message>
        <source>Saved %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot save the screenshot: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder %1 cannot be made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no file can be made in %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXSpeedControl</name>
    <message>
        <source>Speed %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXTrackMenus</name>
    <message>
        <source>Track %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mono</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stereo</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n channels</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>external</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chapter %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;ubtitles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Audio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;hapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Subtitle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous Subtitle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Subtitles Earlier</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Subtitles Later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Subtitle File...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Audio Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous Chapter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Chapter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tracks %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chapters %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subtitles off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot load subtitle: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subtitle is not UTF-8: its letters may show wrong</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Subtitle File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subtitles (*.srt *.ass *.ssa *.vtt *.sub)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXWebLink</name>
    <message>
        <source>No web browser could be opened. The page is at this address:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>USD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. No help yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This beta version does not include documentation. The final Vistrel 1.0 will.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QXYtDlpDownload</name>
    <message>
        <source>download failed: cannot run %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>download failed: yt-dlp stopped unexpectedly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>download failed: yt-dlp saved no file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
