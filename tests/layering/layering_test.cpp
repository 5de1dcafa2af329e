// The folders of src/ are layers: each may include headers from the layers below it and from its
// own folder, never from above or beside it, and the bottom layers use no Qt at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Layer {
    std::set<std::string> mayInclude;  // besides its own folder
    bool qtAllowed;
};

// Top-level folder (or pages/<page>) -> what it may include.
const std::map<std::string, Layer>& layers() {
    static const std::map<std::string, Layer> table = {
        {"wire", {{}, false}},
        {"records", {{"wire"}, false}},
        {"exchange", {{"wire"}, true}},
        {"files", {{"wire", "records"}, true}},
        {"pagebase", {{"wire", "records", "exchange"}, true}},
        {"pages", {{"wire", "records", "exchange", "files", "pagebase"}, true}},
        {"cli", {{"wire", "records", "exchange", "files"}, true}},
        {"app", {{"wire", "records", "exchange", "files", "pagebase", "pages"}, true}},
    };
    return table;
}

// "pages/camera/X.h" -> "pages/camera"; "records/X.h" -> "records".
std::string unitOf(const std::string& relative) {
    const auto slash = relative.find('/');
    const std::string top = relative.substr(0, slash);
    if (top != "pages")
        return top;
    return relative.substr(0, relative.find('/', slash + 1));
}

TEST(Layering, EveryIncludeGoesDownOrStaysInItsFolder) {
    const fs::path src = TRX_SOURCE_DIR "/src";
    const std::regex quoted(R"re(^\s*#\s*include\s*"([^"]+)")re");
    const std::regex qt(R"re(^\s*#\s*include\s*<Q)re");
    int filesSeen = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension();
        if (ext != ".h" && ext != ".cpp")
            continue;
        const std::string file = fs::relative(entry.path(), src).generic_string();
        const std::string unit = unitOf(file);
        const auto layer = layers().find(unit.substr(0, unit.find('/')));
        ASSERT_NE(layer, layers().end()) << file << ": folder missing from the layer table";
        ++filesSeen;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            const std::string where = file + ":" + std::to_string(number);
            EXPECT_TRUE(layer->second.qtAllowed || !std::regex_search(line, qt))
                << where << ": Qt header in a standard-C++-only layer";
            std::smatch match;
            if (!std::regex_search(line, match, quoted))
                continue;
            const std::string target = unitOf(match[1].str());
            const std::string targetLayer = target.substr(0, target.find('/'));
            EXPECT_TRUE(target == unit || layer->second.mayInclude.contains(targetLayer))
                << where << ": " << unit << " includes " << match[1].str();
        }
    }
    EXPECT_GT(filesSeen, 50);
}

}  // namespace
