#include "print/PreviewFile.h"

#include "print/MarginDialog.h"

#include "platform/atomic_file.h"
#include "platform/codec.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <filesystem>

namespace print {

namespace {

namespace fs = std::filesystem;

void copyOver(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec)
        throw PrintDataError(from + " を " + to + " に複写できません: " + ec.message());
}

bool startsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// The value of "*KEY=" in the header lines, nullopt when missing.
std::optional<std::string> headerValue(const std::vector<std::string>& lines, const std::string& key)
{
    const std::string prefix = "*" + key + "=";
    for (const std::string& l : lines) {
        if (startsWith(l, prefix.c_str()))
            return l.substr(prefix.size());
    }
    return std::nullopt;
}

} // namespace

void savePreviewFile(const TP808DEF& job, const std::string& target)
{
    std::vector<std::string> lines = readLines(job.DataFile);
    const std::string folder = platform::paths::folderOf(platform::paths::normalize(target));
    const std::string base = fs::path(target).stem().string();
    const auto inFolder = [&](const std::string& name) { return platform::paths::join(folder, name); };

    bool formLine = false;
    int forms = 0, images = 0;
    for (std::string& l : lines) {
        if (!formLine && startsWith(l, "*FORMFILE=")) {
            l = "*FORMFILE=" + (job.FormFile.empty() ? std::string() : inFolder(base + ".80F"));
            formLine = true;
        } else if (startsWith(l, "FORM;")) {
            const std::string copy = inFolder(base + "_FORMAT-" + std::to_string(++forms) + ".80F");
            copyOver(NthField(l, ';', 1), copy);
            l = "FORM;" + copy + ";" + NthField(l, ';', 2) + ";"
                + std::to_string(platform::text::toIntOr(NthField(l, ';', 3), 0)) + ";"
                + std::to_string(platform::text::toIntOr(NthField(l, ';', 4), 0)) + ";";
        } else if (startsWith(l, "IMAGE;")) {
            const std::string source = NthField(l, ';', 5);
            // numbered, so two images of the same name from different folders stay apart
            const std::string copy
                = inFolder(base + "_IMAGE-" + std::to_string(++images) + "_" + fs::path(source).filename().string());
            copyOver(source, copy);
            l = "IMAGE;" + NthField(l, ';', 1) + ";" + NthField(l, ';', 2) + ";" + NthField(l, ';', 3) + ";"
                + NthField(l, ';', 4) + ";" + copy + ";" + NthField(l, ';', 6) + ";";
        }
    }
    if (!job.FormFile.empty())
        copyOver(job.FormFile, inFolder(base + ".80F"));
    std::string bytes;
    try {
        for (const std::string& l : lines)
            bytes += platform::codec::toSjis(l) + "\r\n";
        platform::writeFileAtomically(inFolder(base + ".808"), bytes, "印刷（プレビュー）ファイル");
    } catch (const std::exception& e) {
        throw PrintDataError(std::string("印刷（プレビュー）ファイルを保存できません: ") + e.what());
    }
}

TP808DEF loadPreviewFile(const std::string& path, const TP808DEF& current)
{
    const std::vector<std::string> lines = readLines(path);
    if (!hasFileMark(lines))
        throw PrintDataError("[LUMEN808]印刷ファイルではありません。");
    std::string form = headerValue(lines, "FORMFILE").value_or("");
    const auto first = form.find_first_not_of(' ');
    form = first == std::string::npos ? std::string() : form.substr(first, form.find_last_not_of(' ') - first + 1);
    std::error_code ec;
    if (!form.empty() && !fs::exists(form, ec))
        throw PrintDataError("<" + form + "> が見つかりません。");

    TP808DEF job = current;
    job.DataFile = path;
    job.FormFile = form;
    const auto number = [&](const char* key, int fallback) {
        return platform::text::toIntOr(headerValue(lines, key).value_or(""), fallback);
    };
    const auto colour = [&](const char* key) {
        const std::string v = headerValue(lines, key).value_or("");
        if (v.size() < 2 || v[0] != '$')
            return Colour {0};
        try {
            return static_cast<Colour>(std::stoul(v.substr(1), nullptr, 16));
        } catch (const std::exception&) {
            return Colour {0};
        }
    };
    job.PaperSize = number("PAPERSIZE", 9);
    job.OutPutPaper = number("OUTPUTPAPER", 9);
    job.Orientation = number("ORIENTATION", 0);
    job.TopMargin = number("TOPMARGIN", 0);
    job.LeftMargin = number("LEFTMARGIN", 0);
    job.FormTopMargin = number("FORMTOPMARGIN", 0);
    job.FormLeftMargin = number("FORMLEFTMARGIN", 0);
    job.Colours.net1 = colour("NETC1");
    job.Colours.net2 = colour("NETC2");
    job.Colours.user1 = colour("USERC1");
    job.Colours.user2 = colour("USERC2");
    job.PrintFom = headerValue(lines, "FORMPRINT").value_or("") == "TRUE";
    job.Copie = number("COPIES", 1);
    // page numbering as the saved job had it
    job.PageBango.Switch = headerValue(lines, "PAGENOSWITCH").value_or("") == "TRUE";
    job.PageBango.Left = number("PAGENOLEFT", 0);
    job.PageBango.Top = number("PAGENOTOP", 0);
    job.PageBango.Alignment = number("PAGENOALIGNMENT", 2);
    if (const auto f = headerValue(lines, "PAGENOFORMAT")) {
        job.PageBango.Format = *f;
        job.PageBango.PageNoCount = pageNumberMarkers(*f);
    }
    return job;
}

} // namespace print
