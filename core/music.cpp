// music.cpp — when the menu's music plays: from the first frame while
// settings.music is 1 (never with any other value), faded out and paused
// while the game waits in the background, faded out at the end. The sound
// itself is the platform's; this only decides.
#include "assets/assets.h"
#include "core/core.h"

MusicState Music;

void FollowMusicSetting(int fadeMs) {
    const bool wanted = Cfg.settings.music == 1;
    if (wanted == Music.Playing) return;
    Music.Playing = wanted;
    if (wanted) {
        // Opened only when music is wanted: with music off the program never
        // touches the audio output.
        StartSoundOutput();
        PlayMusic(MenuMusicTrack.Data, MenuMusicTrack.Size, fadeMs);
    } else {
        StopMusic(fadeMs);
    }
}

// Once the first frame is on the screen: opening the audio output (loading
// the mixer, reaching a sound server) would otherwise share the cores with
// the start of the picture, and the music fades in from silence anyway.
void BeginMusic() {
    if (Music.Begun) return;
    Music.Begun = true;
    FollowMusicSetting(MusicStartFadeMs);
}

void MusicToBackground() {
    if (Music.Playing) PauseMusic(MusicBackgroundFadeMs);
}

void MusicFromBackground() {
    if (Music.Playing) ResumeMusic(MusicReturnFadeMs);
}

void EndMusic() {
    if (!Music.Playing) return;
    Music.Playing = false;
    StopMusic(MusicQuitFadeMs);
}
