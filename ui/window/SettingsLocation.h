// SPDX-License-Identifier: GPL-3.0-or-later
// Where the settings file lives: beside the program (portable use) when that
// folder is the user's own and can take it, otherwise in the user's
// configuration folder. A system folder is never one for settings or outputs,
// whoever runs the program, root included: a package manager owns it.
#pragma once

#include <functional>
#include <string>

struct SettingsLocation {
    std::string file;           // the settings file's full name
    std::string defaultFolder;  // where the file dialogs open when no folder is remembered
    bool perUser = false;       // in the configuration folder, which may still have to be made
};

struct SettingsHost {
    std::string programFolder;
    std::string configHome;  // $XDG_CONFIG_HOME as set, possibly empty
    std::string home;        // the user's home folder
    // Whether this user may create or replace files in a folder, or rewrite a file.
    std::function<bool(const std::string&)> canWrite;
    // Whether the folder belongs to the user running the program.
    std::function<bool(const std::string&)> ownedByUser;
};

// A folder of the system's own software or data (/usr, /bin, /opt, /etc, ...),
// or one below it.
bool IsSystemFolder(const std::string& folder);

SettingsLocation ChooseSettingsLocation(const SettingsHost& host);

// For this process: its program's folder, its environment and the file system's permissions.
SettingsLocation HostSettingsLocation();

bool CanWrite(const std::string& path);
bool OwnedByUser(const std::string& path);

// Makes the missing folders above the settings file, private to the user as
// configuration folders should be; failures surface when the file is written.
void MakeSettingsFolder(const SettingsLocation& location);
