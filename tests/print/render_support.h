#pragma once
// Helpers of the renderer tests: a page drawn into an image or a PDF, and
// the words pdftotext finds in a PDF with their boxes (in points).
#include "print/EngineLog.h"
#include "print/PageRenderer.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPageSize>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace print_test {

// One device pixel per 0.1 mm (254 dpi): record units are pixels.
inline print::RenderSettings unitSettings()
{
    print::RenderSettings s;
    s.scaleX = s.scaleY = 1.0;
    s.ppi = 254;
    return s;
}

inline std::vector<std::string_view> views(const std::vector<std::string>& lines)
{
    return {lines.begin(), lines.end()};
}

inline QImage renderImage(const std::vector<std::string>& lines, const print::RenderSettings& s, print::EngineLog& log,
    print::LayerResult* result = nullptr, QSize size = {600, 600}, print::Layer layer = print::Layer::Data)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    print::PageRenderer r(s, log);
    const auto res = r.render(layer, views(lines), false, p);
    if (result)
        *result = res;
    return img;
}

// Pages drawn into an A4 PDF at 600 dpi.
inline void renderPdf(const std::string& path, const std::vector<std::vector<std::string>>& pages,
    print::RenderSettings s, print::EngineLog& log)
{
    QPdfWriter w(QString::fromStdString(path));
    w.setResolution(600);
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setPageMargins(QMarginsF(0, 0, 0, 0));
    s.scaleX = s.scaleY = 600.0 / 254.0;
    s.ppi = 600;
    QPainter p(&w);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            w.newPage();
        print::PageRenderer r(s, log);
        r.render(print::Layer::Data, views(pages[i]), false, p);
    }
    p.end();
}

struct Word {
    int page;
    std::string text;
    double xMin, yMin, xMax, yMax;
};

inline std::vector<Word> pdfWords(const std::string& pdf)
{
    const std::string cmd = "pdftotext -bbox '" + pdf + "' - 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> f(popen(cmd.c_str(), "r"), pclose);
    std::string out;
    char buf[4096];
    while (f && fgets(buf, sizeof buf, f.get()))
        out += buf;
    std::vector<Word> words;
    int page = 0;
    const std::regex wordRe(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::size_t pos = 0;
    while (pos < out.size()) {
        const std::size_t nl = out.find('\n', pos);
        const std::string line = out.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        pos = nl == std::string::npos ? out.size() : nl + 1;
        if (line.find("<page ") != std::string::npos)
            ++page;
        std::smatch m;
        if (std::regex_search(line, m, wordRe)) {
            words.push_back({page, m[5], std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])});
        }
    }
    return words;
}

inline constexpr double kPtPerUnit = 72.0 / 254.0; // points per 0.1 mm

} // namespace print_test
