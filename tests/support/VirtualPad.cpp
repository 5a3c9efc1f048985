#include "VirtualPad.h"

int attachVirtualPad(Uint16 vendor, Uint16 product, const char* name)
{
    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 4;
    desc.nbuttons = 12;
    desc.nhats = 1;
    desc.vendor_id = vendor;
    desc.product_id = product;
    desc.name = name;
    return SDL_JoystickAttachVirtualEx(&desc);
}

void detachVirtualPads()
{
    for (int index = SDL_NumJoysticks() - 1; index >= 0; index--)
        SDL_JoystickDetachVirtual(index);
}
