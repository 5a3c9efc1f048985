#include "core/SteamApi.h"

#include "core/Trace.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const AppId_t offlineAppId = 1;

struct PendingCallback {
    int callbackId;
    std::vector<unsigned char> data;
};

struct OfflinePlatform {
    std::vector<CCallbackBase*> registered;
    std::vector<PendingCallback> pending;
    std::map<std::string, bool> achievements;
    bool loggedOn = false;
    int statsRequests = 0;
};

OfflinePlatform& platform()
{
    TRACE();
    static OfflinePlatform offline;
    return offline;
}

ISteamUser theUser;
ISteamUtils theUtils;
ISteamUserStats theUserStats;

} // namespace

ISteamUser::~ISteamUser() = default;

bool ISteamUser::BLoggedOn()
{
    TRACE();
    return platform().loggedOn;
}

CSteamID ISteamUser::GetSteamID()
{
    TRACE();
    return CSteamID(0);
}

ISteamUtils::~ISteamUtils() = default;

AppId_t ISteamUtils::GetAppID()
{
    TRACE();
    return offlineAppId;
}

ISteamUserStats::~ISteamUserStats() = default;

bool ISteamUserStats::RequestCurrentStats()
{
    TRACE();
    platform().statsRequests++;
    return platform().loggedOn;
}

bool ISteamUserStats::GetAchievement(const char* name, bool* achieved)
{
    TRACE();
    auto found = platform().achievements.find(name);
    if (found == platform().achievements.end())
        return false;
    *achieved = found->second;
    return true;
}

bool ISteamUserStats::SetAchievement(const char* name)
{
    TRACE();
    platform().achievements[name] = true;
    return true;
}

bool ISteamUserStats::StoreStats()
{
    TRACE();
    if (!platform().loggedOn)
        return false;
    UserStatsStored_t stored{CGameID(offlineAppId).ToUint64(), k_EResultOK};
    SteamPlatform::post(stored);
    return true;
}

bool SteamAPI_Init()
{
    TRACE();
    return true;
}

void SteamAPI_Shutdown()
{
    TRACE();
    platform().pending.clear();
}

void SteamAPI_RunCallbacks()
{
    TRACE();
    // Callbacks posted while delivering wait for the next call.
    std::vector<PendingCallback> due;
    due.swap(platform().pending);
    for (PendingCallback& callback : due) {
        std::vector<CCallbackBase*> targets = platform().registered;
        for (CCallbackBase* target : targets)
            if (target->callbackId == callback.callbackId)
                target->Run(callback.data.data());
    }
}

ISteamUser* SteamUser()
{
    TRACE();
    return &theUser;
}

ISteamUtils* SteamUtils()
{
    TRACE();
    return &theUtils;
}

ISteamUserStats* SteamUserStats()
{
    TRACE();
    return &theUserStats;
}

CCallbackBase::CCallbackBase(int callbackId) : callbackId(callbackId)
{
    TRACE();
    platform().registered.push_back(this);
}

CCallbackBase::~CCallbackBase()
{
    TRACE();
    auto& registered = platform().registered;
    registered.erase(std::remove(registered.begin(), registered.end(), this), registered.end());
}

namespace SteamPlatform {

void post(int callbackId, const void* data, size_t size)
{
    TRACE();
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    platform().pending.push_back(PendingCallback{callbackId, std::vector<unsigned char>(bytes, bytes + size)});
}

void setLoggedOn(bool loggedOn)
{
    TRACE();
    platform().loggedOn = loggedOn;
}

void defineAchievement(const char* name, bool achieved)
{
    TRACE();
    platform().achievements[name] = achieved;
}

bool isAchievementSet(const char* name)
{
    TRACE();
    auto found = platform().achievements.find(name);
    return found != platform().achievements.end() && found->second;
}

int statsRequests()
{
    TRACE();
    return platform().statsRequests;
}

void reset()
{
    TRACE();
    platform().pending.clear();
    platform().achievements.clear();
    platform().loggedOn = false;
    platform().statsRequests = 0;
}

} // namespace SteamPlatform
