#include "platform/share_roots.h"

#include "platform/atomic_file.h"
#include "platform/codec.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/xdg_folders.h"

#include <algorithm>

namespace platform::share_roots {

std::string defaultPath()
{
    return paths::join(xdg_folders::configDir(), "share_roots.ini");
}

std::vector<ShareRoot> load(const std::string& file)
{
    std::vector<ShareRoot> roots;
    const IniFile ini(file);
    for (const auto& section : ini.readSections()) {
        if (section.size() != 1)
            continue;
        char letter = section[0];
        if (letter >= 'a' && letter <= 'z')
            letter = static_cast<char>(letter - 'a' + 'A');
        if (letter < 'A' || letter > 'Z')
            continue;
        const std::string folder = ini.readString(section, "FOLDER", "");
        if (folder.empty())
            continue;
        ShareRoot root;
        root.letter = letter;
        root.folder = folder == "/" ? folder : paths::excludeDelimiter(folder);
        root.remote = ini.readBool(section, "REMOTE", false);
        roots.push_back(std::move(root));
    }
    std::sort(roots.begin(), roots.end(), [](const ShareRoot& a, const ShareRoot& b) { return a.letter < b.letter; });
    return roots;
}

void save(const std::vector<ShareRoot>& roots, const std::string& file)
{
    std::string text;
    for (const auto& r : roots) {
        text += std::string("[") + r.letter + "]\r\n";
        text += "FOLDER=" + r.folder + "\r\n";
        text += std::string("REMOTE=") + (r.remote ? "1" : "0") + "\r\n";
    }
    writeFileAtomically(file, codec::toSjis(text), "share_roots::save");
}

std::optional<ShareRoot> rootOf(std::string_view path, const std::string& file)
{
    const std::string p(path);
    std::optional<ShareRoot> best;
    for (auto& r : load(file)) {
        const bool inside = p == r.folder
            || (p.size() > r.folder.size() && p.compare(0, r.folder.size(), r.folder) == 0
                && (p[r.folder.size()] == '/' || r.folder == "/"));
        if (inside && (!best || r.folder.size() > best->folder.size()))
            best = std::move(r);
    }
    return best;
}

bool isRemotePath(std::string_view path, const std::string& file)
{
    const auto root = rootOf(path, file);
    return root && root->remote;
}

} // namespace platform::share_roots
