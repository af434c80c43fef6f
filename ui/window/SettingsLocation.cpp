// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/SettingsLocation.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/io/file_names.h"
#include "core/text/text_fields.h"

namespace {
const char* const kFileName = "kesTranscribe.ini";

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder()
{
    std::string home = Environment("HOME");
    if (!home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        home = found->pw_dir;
    return home.empty() ? "/" : home;
}
}  // namespace

bool IsSystemFolder(const std::string& folder)
{
    static const char* const kSystemFolders[] = {"/usr",   "/bin",    "/sbin", "/lib",       "/lib32",
                                                 "/lib64", "/libx32", "/opt",  "/etc",       "/var",
                                                 "/boot",  "/snap",   "/app",  "/nix/store", "/gnu/store"};
    for (const std::string system : kSystemFolders)
        if (folder == system || folder.starts_with(system + "/")) return true;
    return false;
}

SettingsLocation ChooseSettingsLocation(const SettingsHost& host)
{
    const std::string besideProgram = JoinPath(host.programFolder, kFileName);
    const bool ownFolder = !IsSystemFolder(host.programFolder) && host.ownedByUser(host.programFolder);
    const bool folderWritable = ownFolder && host.canWrite(host.programFolder);
    // A file already there that this user can rewrite means portable use too;
    // one that cannot be rewritten would fail every save, so it is left alone.
    if (folderWritable || (ownFolder && host.canWrite(besideProgram)))
        return {besideProgram, folderWritable ? host.programFolder : host.home, false};
    // Only an absolute $XDG_CONFIG_HOME counts; anything else is ignored.
    const std::string configHome =
        !host.configHome.empty() && host.configHome.front() == '/' ? host.configHome : JoinPath(host.home, ".config");
    return {JoinPath(JoinPath(configHome, "kesTranscribe"), kFileName), host.home, true};
}

SettingsLocation HostSettingsLocation()
{
    return ChooseSettingsLocation(
        {ProgramFolder(), Environment("XDG_CONFIG_HOME"), HomeFolder(), CanWrite, OwnedByUser});
}

bool OwnedByUser(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && info.st_uid == ::geteuid();
}

bool CanWrite(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    // Replacing a file in a folder takes the right to search it as well.
    return ::access(path.c_str(), S_ISDIR(info.st_mode) ? W_OK | X_OK : W_OK) == 0;
}

void MakeSettingsFolder(const SettingsLocation& location)
{
    if (!location.perUser) return;
    const std::size_t end = location.file.find_last_of('/');
    if (end == std::string::npos || end == 0) return;
    const std::string folder = location.file.substr(0, end);
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos) break;
    }
}
