#pragma once

#include "core/Storage.h"

#include <string>
#include <utility>
#include <vector>

// The per-user folder (settings, saved game, log, crash reports, replays) and the
// read-only resource folder beside the binary. Both end in a path separator.
const std::string& prefPath();
std::string dataPath(const std::string& name);

// The process-wide settings, read from "settings.storage" on first use.
Storage& settingsStorage();
bool saveSettings();
// Drops the settings read so far: the next settingsStorage() reads the file again.
void forgetSettings();

// The settings scheme on any file: a save goes first to a temporary twin, so that an
// interrupted save can be completed from the twin at the next start.
void loadWithTwinRecovery(Storage& storage, const std::string& path);
bool saveWithTwin(Storage& storage, const std::string& path);

// A save that never leaves a half-written file behind: the bytes go to a temporary
// file in the same folder, which is flushed to the disk and then renamed over `path`.
// A failed or interrupted save keeps the previous file.
bool saveReplacing(const std::string& bytes, const std::string& path);

// Stored replays as (label, path) pairs, ascending by label, then by path.
std::vector<std::pair<std::string, std::string>> replayListing();

// Shows a folder in the desktop's file browser or a page in the browser; never
// through a shell. False when the desktop could not open it.
bool openFolder(const std::string& path);
bool openPage(const std::string& url);
// "file://" URL of a local path, with every byte outside the unreserved set escaped.
std::string fileUrl(const std::string& path);
