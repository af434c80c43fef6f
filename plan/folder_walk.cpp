// SPDX-License-Identifier: GPL-3.0-or-later
#include "plan/folder_walk.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "core/io/output_folder.h"

namespace {
constexpr std::array<std::string_view, 7> kSystemNames = {
    ".Spotlight-V100", ".Trashes",  ".fseventsd", "System Volume Information",
    "$RECYCLE.BIN",    "Thumbs.db", "desktop.ini"};

const char* KindOf(mode_t mode)
{
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a file";
}

bool Matches(const std::vector<std::string>& patterns, const std::string& path)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& p) { return ::fnmatch(p.c_str(), path.c_str(), FNM_PERIOD) == 0; });
}

class Walk {
public:
    Walk(const WalkRules& rules, FolderContents& contents) : rules_(rules), contents_(contents)
    {
        struct stat info {};
        if (!rules.outputFolder.empty() && ::stat(rules.outputFolder.c_str(), &info) == 0)
            output_ = {info.st_dev, info.st_ino};
    }

    // Takes the descriptor; `shown` is the folder as the user would name it,
    // `below` its path below the folder given.
    void Folder(int fd, const std::filesystem::path& shown, const std::string& below)
    {
        DIR* listing = ::fdopendir(fd);
        if (listing == nullptr) {
            contents_.unreadable.push_back({shown.string(), std::strerror(errno), false});
            ::close(fd);
            return;
        }
        std::vector<std::string> names;
        errno = 0;
        while (const dirent* entry = ::readdir(listing)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") names.emplace_back(name);
            errno = 0;
        }
        if (errno != 0) contents_.unreadable.push_back({shown.string(), std::strerror(errno), false});
        for (const std::string& name : names) Entry(::dirfd(listing), shown, below, name);
        ::closedir(listing);
    }

private:
    void Entry(int folder, const std::filesystem::path& shown, const std::string& below, const std::string& name)
    {
        const std::string path = (shown / name).string();
        const std::string relative = below.empty() ? name : below + "/" + name;
        if (IsSystemName(name)) return SkipRoutinely(path, "a system file");
        if (IsOwnTemporaryName(name)) return SkipRoutinely(path, "a temporary file of kes-convert");
        if (Matches(rules_.excludes, relative)) return SkipRoutinely(path, "excluded");
        struct stat info {};
        if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return Skip(path, std::string("cannot be examined: ") + std::strerror(errno));
        if (S_ISLNK(info.st_mode)) {
            // A link is taken for what it leads to; a folder's is not followed, as a walk into it could loop.
            if (::fstatat(folder, name.c_str(), &info, 0) != 0) return Skip(path, "a link that leads nowhere");
            if (S_ISDIR(info.st_mode)) return Skip(path, "a link to a folder");
        }
        if (S_ISDIR(info.st_mode)) {
            if (!rules_.recursive || (info.st_dev == output_.first && info.st_ino == output_.second)) return;
            const int sub = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) contents_.unreadable.push_back({path, std::strerror(errno), false});
            else Folder(sub, shown / name, relative);
            return;
        }
        if (!S_ISREG(info.st_mode)) return Skip(path, KindOf(info.st_mode));
        if (!rules_.includes.empty() && !Matches(rules_.includes, relative)) return SkipRoutinely(path, "not included");
        contents_.files.push_back({path, below});
    }

    void Skip(const std::string& path, std::string reason)
    {
        contents_.skipped.push_back({path, std::move(reason), false});
    }
    void SkipRoutinely(const std::string& path, std::string reason)
    {
        contents_.skipped.push_back({path, std::move(reason), true});
    }

    const WalkRules& rules_;
    FolderContents& contents_;
    std::pair<dev_t, ino_t> output_{~dev_t{0}, ~ino_t{0}};
};
}  // namespace

namespace {
// The end of the bracket expression opening at `open` (its ']'), or npos when
// it is never closed; `problem` says what is wrong inside it.
std::size_t BracketEnd(const std::string& pattern, std::size_t open, std::string& problem)
{
    static constexpr std::array<std::string_view, 12> kClasses = {
        "alnum", "alpha", "blank", "cntrl", "digit", "graph", "lower", "print", "punct", "space", "upper", "xdigit"};
    std::size_t at = open + 1;
    if (at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^')) ++at;
    if (at < pattern.size() && pattern[at] == ']') ++at;  // the first ']' is one of the set
    for (; at < pattern.size(); ++at) {
        if (pattern[at] == ']') return at;
        if (pattern[at] != '[' || at + 1 >= pattern.size() ||
            std::string_view(":=.").find(pattern[at + 1]) == std::string_view::npos)
            continue;
        const char kind = pattern[at + 1];
        const std::size_t close = pattern.find(std::string{kind, ']'}, at + 2);
        if (close == std::string::npos) return std::string::npos;
        const std::string name = pattern.substr(at + 2, close - at - 2);
        if (kind == ':' && std::find(kClasses.begin(), kClasses.end(), name) == kClasses.end())
            problem = "'[:" + name + ":]' is no character class";
        at = close + 1;
    }
    return std::string::npos;
}
}  // namespace

std::string PatternProblem(const std::string& pattern)
{
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] == '\\') {
            if (++at == pattern.size()) return "it ends in a '\\' that escapes nothing";
            continue;
        }
        if (pattern[at] != '[') continue;
        std::string problem;
        const std::size_t end = BracketEnd(pattern, at, problem);
        if (end == std::string::npos)
            return "its '[' is never closed by a ']' (a '[' of the name itself is written '\\[')";
        if (!problem.empty()) return problem;
        at = end;
    }
    return {};
}

bool IsSystemName(const std::string& name)
{
    return name.rfind("._", 0) == 0 || std::find(kSystemNames.begin(), kSystemNames.end(), name) != kSystemNames.end();
}

bool IsOwnTemporaryName(const std::string& name)
{
    return IsTemporaryName(name.c_str()) || name.rfind(".kes-spool-", 0) == 0;
}

void WalkFolder(const std::string& folder, const WalkRules& rules, FolderContents& contents)
{
    const std::size_t first = contents.files.size();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) contents.unreadable.push_back({folder, std::strerror(errno), false});
    else Walk(rules, contents).Folder(fd, folder, "");
    const auto byPath = [](const auto& a, const auto& b) { return a.path < b.path; };
    std::sort(contents.files.begin() + static_cast<std::ptrdiff_t>(first), contents.files.end(), byPath);
    std::sort(contents.skipped.begin(), contents.skipped.end(), byPath);
    std::sort(contents.unreadable.begin(), contents.unreadable.end(), byPath);
}
