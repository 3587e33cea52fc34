// Where the game's files live. The shipped ones (pictures, sounds, settings) sit in the game's
// folder; a player's own settings in the per-user config folder and whatever the game writes
// for the player in the per-user data folder, after the XDG base directory convention.
#pragma once
#include <initializer_list>
#include <string>
#include <utility>

// The folder with the shipped files: the program's own folder (the build folder, a copied
// game folder), or for an installed game, whose program folder holds no config.txt, the
// installation's data folder beside it (PREFIX/share/games/kestrova for PREFIX/games/kestrova).
std::string GameFolder();
// Whether the game runs from an installation: its shipped files lie apart from its program.
// Its folders then belong to the package manager, and what it writes goes to the player's.
bool RunsInstalled();
// Makes GameFolder() the current directory, so every shipped file opens by its bare name;
// false when that fails.
bool EnterGameFolder();

// $XDG_CONFIG_HOME/kestrova, else ~/.config/kestrova; empty when neither is known.
std::string UserConfigFolder();
// $XDG_DATA_HOME/kestrova, else ~/.local/share/kestrova; empty when neither is known.
std::string UserDataFolder();
// $XDG_CACHE_HOME/kestrova, else ~/.cache/kestrova; empty when neither is known. For files the
// game makes again at every launch, which a player may delete.
std::string UserCacheFolder();
// Where F12 screenshots go: the screenshots folder in UserDataFolder().
std::string ScreenshotFolder();

// The settings file to read: the player's own copy in UserConfigFolder() when there is one,
// else the bare name (the shipped file in the game's folder).
std::string SettingsFile(const std::string& name);
// Makes the folder and any missing parents. False when it cannot, with *problem saying why.
bool MakeFolders(const std::string& folder, std::string* problem);

// Where writing to path leads: the path itself, or for a symbolic link what it points to,
// link after link, even when the last does not exist yet (writing creates it).
std::string FollowLinks(const std::string& path);

// Whether two paths name the same file: one file under two names (links, "./", "..") when it
// exists, else the same absolute place once the links on the way are followed, as a file
// written there would be, or the same name in one folder reached two ways (a bind mount).
bool SameFile(const std::string& a, const std::string& b);

// False with `error` set when two of the named files (option, path; empty paths skipped) are
// one file: a demo, a report or an output written over another the run reads or writes.
bool FilesApart(std::initializer_list<std::pair<const char*, std::string>> files, std::string& error);
