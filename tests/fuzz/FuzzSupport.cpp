#include "FuzzSupport.h"

#include "core/KeyBindings.h"
#include "core/UserFiles.h"
#include "core/World.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!std::getenv("XDG_DATA_HOME")) {
        static char folder[] = "/tmp/vantrel-fuzz-XXXXXX";
        if (!mkdtemp(folder))
            std::abort();
        setenv("XDG_DATA_HOME", folder, 1);
    }
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    prepareTarget();
    return 0;
}

std::string writeInput(const std::string& name, const uint8_t* data, size_t size)
{
    std::string path = prefPath() + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, size, 1, file) != 1)
        std::abort();
    std::fclose(file);
    return path;
}

void walkAround(World& world)
{
    const int walk[] = {GameInput::right, GameInput::right, GameInput::down, GameInput::attack, GameInput::left,
        GameInput::up, GameInput::up, GameInput::item, GameInput::attack, GameInput::down, GameInput::left,
        GameInput::right};
    for (int code : walk) {
        world.processInputPressed(code, 0);
        for (int step = 0; step < 3; step++)
            world.step(0.3f);
        world.processInputReleased(code, 0);
        world.step(1.0f / 60);
    }
}
