#pragma once

// Where players reach the maker: the crash screen's address and the page with the
// maker's other games.
inline const char* const supportAddress = "support@orvando.games";
inline const char* const otherGamesPage = "https://itch.io/search?q=orvando";
