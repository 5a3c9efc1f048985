#pragma once

// The store platform as the game sees it: user identity and user statistics, with
// results delivered as callbacks on the main thread. This build has no store client,
// so the layer is offline: SteamAPI_Init succeeds, the user ID is 0 and the user is
// never logged on, so no stats are requested and no callback arrives by itself.
// `SteamPlatform` posts answers through the same delivery path, for tests.

#include <cstddef>
#include <cstdint>

typedef uint64_t uint64;
typedef uint32_t uint32;
typedef uint32 AppId_t;

enum EResult {
    k_EResultOK = 1,
    k_EResultFail = 2,
};

class CSteamID {
public:
    explicit CSteamID(uint64 id = 0) : id(id) {}
    uint64 ConvertToUint64() const { return id; }

private:
    uint64 id;
};

class CGameID {
public:
    explicit CGameID(uint64 id = 0) : id(id) {}
    uint64 ToUint64() const { return id; }

private:
    uint64 id;
};

struct UserStatsReceived_t {
    enum { k_iCallback = 1101 };
    uint64 m_nGameID;
    EResult m_eResult;
    CSteamID m_steamIDUser;
};

struct UserStatsStored_t {
    enum { k_iCallback = 1102 };
    uint64 m_nGameID;
    EResult m_eResult;
};

struct UserAchievementStored_t {
    enum { k_iCallback = 1103 };
    uint64 m_nGameID;
    bool m_bGroupAchievement;
    char m_rgchAchievementName[128];
    uint32 m_nCurProgress;
    uint32 m_nMaxProgress;
};

class ISteamUser {
public:
    virtual ~ISteamUser();
    virtual bool BLoggedOn();
    virtual CSteamID GetSteamID();
};

class ISteamUtils {
public:
    virtual ~ISteamUtils();
    virtual AppId_t GetAppID();
};

class ISteamUserStats {
public:
    virtual ~ISteamUserStats();
    virtual bool RequestCurrentStats();
    virtual bool GetAchievement(const char* name, bool* achieved);
    virtual bool SetAchievement(const char* name);
    virtual bool StoreStats();
};

bool SteamAPI_Init();
void SteamAPI_Shutdown();
void SteamAPI_RunCallbacks();
ISteamUser* SteamUser();
ISteamUtils* SteamUtils();
ISteamUserStats* SteamUserStats();

// A registered callback; delivered by SteamAPI_RunCallbacks while it is registered.
class CCallbackBase {
public:
    explicit CCallbackBase(int callbackId);
    virtual ~CCallbackBase();
    virtual void Run(void* parameter) = 0;
    int callbackId;
    CCallbackBase(const CCallbackBase&) = delete;
    CCallbackBase& operator=(const CCallbackBase&) = delete;
};

template <class Target, class Parameter>
class CCallback : public CCallbackBase {
public:
    typedef void (Target::*Handler)(Parameter*);
    CCallback(Target* target, Handler handler)
        : CCallbackBase(Parameter::k_iCallback), target(target), handler(handler)
    {
    }
    void Run(void* parameter) override { (target->*handler)(static_cast<Parameter*>(parameter)); }

private:
    Target* target;
    Handler handler;
};

// The offline platform's own controls, used by tests to stand in for the store.
namespace SteamPlatform {
// Queues a callback; it is delivered by the next SteamAPI_RunCallbacks.
void post(int callbackId, const void* data, size_t size);
template <class Parameter>
void post(const Parameter& parameter)
{
    post(Parameter::k_iCallback, &parameter, sizeof parameter);
}
void setLoggedOn(bool loggedOn);
// The user's record as the store keeps it: GetAchievement fails for unknown names.
void defineAchievement(const char* name, bool achieved);
bool isAchievementSet(const char* name);
int statsRequests();
// Forgets everything above.
void reset();
}
