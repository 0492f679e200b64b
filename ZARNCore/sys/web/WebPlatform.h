// The browser page around the game: what the web build's entry
// (game/shell/web/WebMain.cpp) asks of the platform layer.
#pragma once

// Puts the page's answers in front of GLFW's where the browser differs
// (focus is the page being shown).
void StartPagePlatform();

// Once per animation frame, before the game's pass: the canvas takes the
// page's size, and the full-screen state follows the browser's (a player
// may leave full screen with the browser's own key).
void FollowPage();

// Stores the save folder in the browser (IndexedDB) when it is asked to
// flush a folder to disk, which a save does once a file is in place; files
// themselves need nothing. Returns 0, as fsync does.
int PersistSaveFolder(int fd);

// Tells the page the game has closed; the page says so once the saves are
// stored and offers to play again.
void TellPageClosed(int exitCode);
