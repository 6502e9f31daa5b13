// desktop.h — the desktop's services that are not SDL's, as the rest of the
// program's platform sees them: the speech service (speech_service.cpp, over
// speech-dispatcher's client library) and the screen-reader switch on the
// session bus (screen_reader.cpp, over libdbus). Both libraries are loaded
// at run time, only once their service is wanted, so a machine without them
// runs unchanged.
#pragma once

// Ends the speech thread: what is being said is cut off and the connection
// closed. Returns at once where the speech server does not answer; the
// thread is then left to the end of the process, holding nothing the
// program needs.
void StopSpeechService();
// Ends the watch of the screen-reader switch.
void StopScreenReaderWatch();

// Asked of the sound service by the speech thread: the music plays lower
// while words are spoken. Any thread; never waits.
void LowerMusicForSpeech(bool lowered);
