#pragma once

#include <string>

class Realm;

// What the memory world tells the screen that owns it: sounds to play, the music to
// fade, and the parts of a game that the screen runs (pause menu, level loading,
// the recorder).
class WorldEvents {
public:
    virtual ~WorldEvents() = default;

    // `limit`: how many copies of this sound may play at once; 0 for no limit.
    virtual void playSound(const std::string& name, int limit) = 0;
    virtual void fadeOutMusic(int milliseconds) = 0;
    // Every input of the player passes here first: an armed recording starts with it.
    virtual void startArmedRecording() = 0;
    virtual void openPauseMenu() = 0;
    // Inputs other than PAUSE while the pause menu is open.
    virtual void pauseMenuInput(int code, int device) = 0;
    virtual void closePauseMenu() = 0;
    // PAUSE during the introduction: the player skips it, the level is to be loaded now.
    virtual void loadLevel() = 0;
    // An instruction ran with the player's bit in one of its operands.
    virtual void playerChangedCode() = 0;
    // A swap wrote the value byte of the cell at (x, y) of `page`.
    virtual void cellWritten(Realm& page, int x, int y) = 0;
    // A tap has taken effect: the first step of a pressed direction, or a page flip.
    // The steps of a held key are no taps.
    virtual void tapTaken() = 0;
};
