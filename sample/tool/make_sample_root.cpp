// Writes a complete sample data root into a folder: make_sample_root <folder>.
// Point MIRUZA_HOME at the folder to run the program on it.

#include "platform/firebird/fb_error.h"
#include "sample_data.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    try {
        // The sample run lists the shared server's data set for the share take.
        sample::SampleOptions options;
        options.registerShareArea = true;
        const sample::SampleRootInfo info = sample::buildSampleRoot(argv[1], options);
        std::printf("sample data root: %s\n", info.dataRoot.c_str());
        std::printf("system database:  %s\n", info.systemDatabase.c_str());
        for (const auto& c : info.companies)
            std::printf("company %s:      %s\n", c.code.c_str(), c.database.c_str());
        if (!info.shareRoot.empty())
            std::printf("share root S:     %s (area %s, data-list row %d)\n", info.shareRoot.c_str(),
                info.shareArea.c_str(), sample::kShareAreaRec);
        std::printf("operator code %d, run with MIRUZA_HOME=%s\n", info.operatorCode, info.folder.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample_root: %s\n", e.what());
        return 1;
    }
}
