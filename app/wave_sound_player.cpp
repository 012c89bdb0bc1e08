#include "app/wave_sound_player.h"

#include <windows.h>

#include <mmsystem.h>

#include <string>

namespace ardentis::app {

void WaveSoundPlayer::playToEnd(std::string_view resourceName) {
    // Resource names are ASCII ("BB", "WARNING"); each byte is its own UTF-16 unit.
    const std::wstring name(resourceName.begin(), resourceName.end());
    lastPlayed_ = PlaySoundW(name.c_str(), GetModuleHandleW(nullptr),
                             SND_RESOURCE | SND_SYNC | SND_NODEFAULT) != FALSE;
}

}  // namespace ardentis::app
