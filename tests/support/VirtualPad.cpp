#include "VirtualPad.h"

#include "core/ControllerLayout.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int SDLCALL recordRumble(void*, Uint16 low, Uint16 high)
{
    virtualRumbles().emplace_back(low, high);
    return 0;
}

// The GUID SDL gives a USB device on Linux; the database ignores the name's checksum.
SDL_JoystickGUID linuxUsbGuid(Uint16 vendor, Uint16 product, Uint16 version)
{
    SDL_JoystickGUID guid = {};
    const Uint16 words[] = {0x0003, 0, vendor, 0, product, 0, version, 0};
    for (int i = 0; i < 8; i++) {
        guid.data[2 * i] = Uint8(words[i] & 0xff);
        guid.data[2 * i + 1] = Uint8(words[i] >> 8);
    }
    return guid;
}

} // namespace

std::vector<std::pair<Uint16, Uint16>>& virtualRumbles()
{
    static std::vector<std::pair<Uint16, Uint16>> requests;
    return requests;
}

int attachVirtualPad(Uint16 vendor, Uint16 product, const char* name, const PadShape& shape)
{
    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = Uint16(shape.type);
    desc.naxes = Uint16(shape.axes);
    desc.nbuttons = Uint16(shape.buttons);
    desc.nhats = Uint16(shape.hats);
    desc.vendor_id = vendor;
    desc.product_id = product;
    desc.name = name;
    desc.Rumble = recordRumble;
    return SDL_JoystickAttachVirtualEx(&desc);
}

int attachLinuxPad(Uint16 vendor, Uint16 product, Uint16 version, const char* name)
{
    char* found = SDL_GameControllerMappingForGUID(linuxUsbGuid(vendor, product, version));
    std::string mapping = found ? found : "";
    SDL_free(found);
    // "GUID,name,bindings": the pad takes the database's name and bindings.
    size_t nameStart = mapping.find(',') + 1;
    size_t nameEnd = mapping.find(',', nameStart);
    std::string padName = mapping.empty() ? name : mapping.substr(nameStart, nameEnd - nameStart);
    // Room for every input a database mapping names (PS3 pads reach button 16, axis 5).
    int index = attachVirtualPad(vendor, product, padName.c_str(), PadShape{SDL_JOYSTICK_TYPE_UNKNOWN, 6, 17, 1});
    if (index < 0 || mapping.empty())
        return index;
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    SDL_GameControllerAddMapping((guid + mapping.substr(nameStart - 1)).c_str());
    return index;
}

void detachVirtualPads()
{
    for (int index = SDL_NumJoysticks() - 1; index >= 0; index--)
        SDL_JoystickDetachVirtual(index);
}

bool startControllers()
{
    readFaceButtonsByPosition();
    return SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) == 0;
}

void stopControllers()
{
    detachVirtualPads();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
}

void attachPadFromEnvironment()
{
    const char* wanted = std::getenv("VANTREL_TEST_PAD");
    unsigned int vendor, product, version;
    int read = 0;
    while (wanted && std::sscanf(wanted, "%x:%x:%x%n", &vendor, &product, &version, &read) == 3) {
        attachLinuxPad(Uint16(vendor), Uint16(product), Uint16(version), "Generic USB Joystick");
        wanted += read;
        wanted = *wanted == ',' ? wanted + 1 : nullptr;
    }
}
