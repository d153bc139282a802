#include "print/PageBook.h"

#include "core/ProcessState.h"
#include "platform/paths.h"

#include <QApplication>
#include <QMessageBox>

#include <cmath>
#include <filesystem>
#include <iostream>

namespace print {

PaperMM paperSizeMM(int paperCode, int printableWidthMM, int printableHeightMM)
{
    struct Row {
        int code, w, h;
    };
    static constexpr Row kTable[] = {
        {8, 297, 420},
        {9, 210, 297},
        {11, 148, 210},
        {12, 250, 354},
        {13, 182, 257},
        {16, 254, 356},
        {17, 280, 432},
        {44, 229, 280},
        {45, 254, 280},
        {46, 381, 280},
        {90, 305, 280},
    };
    for (const Row& r : kTable) {
        if (r.code == paperCode)
            return {r.w, r.h, false};
    }
    return {printableWidthMM, printableHeightMM + 20, true};
}

int countTotalPages(int formPages, int dataPages)
{
    const int f = formPages < 1 ? 1 : formPages;
    if (f >= dataPages)
        return f;
    return (dataPages + f - 1) / f * f;
}

int formPageForSheet(int sheet, int formPages)
{
    const int f = formPages < 1 ? 1 : formPages;
    return ((sheet - 1) % f + f) % f + 1;
}

namespace {
bool lineOrOrientation(std::string_view line)
{
    switch (Record(line).kind()) {
    case RecordKind::Orientation:
    case RecordKind::Line:
    case RecordKind::ELine:
    case RecordKind::LineB:
    case RecordKind::SLine:
        return true;
    default:
        return false;
    }
}
} // namespace

PageNumbers pageNumberList(const PageSplit& data, bool numbering)
{
    PageNumbers out;
    int next = 0;
    for (int p = 1; p <= data.pageCount(); ++p) {
        if (!numbering) {
            out.numbers.push_back(0);
            continue;
        }
        const auto lines = data.page(p);
        const bool unnumbered = lines.empty() || (lines.size() == 1 && lineOrOrientation(lines[0]));
        out.numbers.push_back(unnumbered ? 0 : ++next);
    }
    out.total = next;
    return out;
}

std::vector<int> orientationList(const PageSplit& data, int jobOrientation)
{
    std::vector<int> out;
    for (int p = 1; p <= data.pageCount(); ++p) {
        int o = jobOrientation;
        for (std::string_view line : data.page(p)) {
            if (!line.empty() && line[0] == '*')
                continue;
            const Record r(line);
            if (r.kind() == RecordKind::Orientation)
                o = r.number(1, jobOrientation);
        }
        out.push_back(o);
    }
    return out;
}

void updateRatios(int jobPaper, int printerPaper, int jobV, int jobH, double& v, double& h)
{
    if (jobPaper == printerPaper) {
        v = jobV;
        h = jobH;
        return;
    }
    struct Row {
        int job, printer, v, h;
    };
    static constexpr Row kTable[] = {
        {8, 9, 707, 707},
        {8, 12, 843, 842},
        {9, 11, 707, 705},
        {9, 13, 865, 867},
        {12, 13, 726, 728},
        {12, 9, 839, 840},
        {13, 9, 1156, 1154},
        {9, 12, 1192, 1190},
        {9, 8, 1414, 1414},
        {12, 8, 1186, 1188},
    };
    for (const Row& r : kTable) {
        if (r.job == jobPaper && r.printer == printerPaper) {
            v = r.v;
            h = r.h;
            return;
        }
    }
}

Colour applyGreyScale(Colour c, bool greyScale)
{
    if (!greyScale || c == rgb(0, 0, 0) || c == rgb(255, 255, 255))
        return c;
    const int g = static_cast<int>(std::nearbyint(0.299 * redOf(c) + 0.587 * greenOf(c) + 0.114 * blueOf(c)));
    return rgb(g, g, g);
}

namespace {
ErrorBox& errorBox()
{
    static ErrorBox box;
    return box;
}

// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(errorBox());
} // namespace

void setEngineErrorBox(ErrorBox box)
{
    errorBox() = std::move(box);
}

void showEngineError(const std::string& text)
{
    if (errorBox()) {
        errorBox()(text);
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QMessageBox::critical(nullptr, QStringLiteral("LUMEN808"), QString::fromStdString(text));
        return;
    }
    std::cerr << text << std::endl;
}

std::optional<std::string> findFormFile(const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    const std::string full = platform::paths::normalize(name);
    std::error_code ec;
    if (std::filesystem::is_regular_file(full, ec))
        return full;
    showEngineError("<" + name + "> が見つかりません。");
    return std::nullopt;
}

} // namespace print
