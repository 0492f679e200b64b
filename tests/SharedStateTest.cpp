// The list of shared state that every test starts from: a change it does
// not cover is reported, and every global the game's and the framework's
// headers declare is on it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "shell/MyGame.h"
#include "support/SharedState.h"
#include "sys/ZARNSys.h"

namespace {

std::vector<ListedGlobal> ListWithout(const std::string& name) {
    std::vector<ListedGlobal> list;
    for (const ListedGlobal& g : SharedGlobals()) {
        if (g.name != name) list.push_back(g);
    }
    return list;
}

struct UnlistedCase {
    const char* name;    // the entry left out of the list
    const char* object;  // the object it belongs to
    const void* base;
    int* member;
};

TEST(SharedState, AChangeOutsideTheListIsReportedWithItsBytes) {
    const UnlistedCase cases[] = {
        {"ThisGame.Scene", "ThisGame", &ThisGame, &ThisGame.Scene.Paused},
        {"ASys.CurBlend", "ASys", &ASys, &ASys.CurBlend},
    };
    for (const UnlistedCase& c : cases) {
        SCOPED_TRACE(c.name);
        UnlistedBytes withoutIt(ListWithout(c.name));
        UnlistedBytes whole(SharedGlobals());
        withoutIt.Take();
        whole.Take();
        const int was = *c.member;
        *c.member = was + 12345;
        std::vector<std::string> changed = withoutIt.Changed();
        std::vector<std::string> changedWhole = whole.Changed();
        *c.member = was;

        // The whole list covers the member; the list without it does not.
        EXPECT_TRUE(changedWhole.empty()) << changedWhole[0];
        ASSERT_EQ(changed.size(), 1u);
        std::smatch m;
        ASSERT_TRUE(std::regex_match(changed[0], m, std::regex(R"((\w+) bytes (\d+)-(\d+), after .+)"))) << changed[0];
        EXPECT_EQ(m[1].str(), c.object);
        const long offset = reinterpret_cast<const char*>(c.member) - static_cast<const char*>(c.base);
        EXPECT_GE(std::stol(m[2].str()), offset);
        EXPECT_LT(std::stol(m[3].str()), offset + long(sizeof(int)));
    }
}

// The mutable variables an extern declaration line names: constants,
// functions and references (another name for storage declared elsewhere)
// are left out.
std::vector<std::string> DeclaredGlobals(const std::string& line) {
    static const std::regex externLine(R"(^\s*extern\s+([^"].*);)");
    static const std::regex pointerToFunction(R"(\(\s*\*\s*(\w+)\s*\)\s*\()");
    static const std::regex constPointer(R"(\*\s*const\s+\w+)");
    static const std::regex lastName(R"((\w+)\s*(\[[^\]]*\]\s*)*$)");
    std::smatch m;
    if (!std::regex_search(line, m, externLine)) return {};
    const std::string decl = m[1];
    if (std::regex_search(decl, m, pointerToFunction)) return {m[1]};
    if (decl.find('(') != std::string::npos) return {};
    if (decl.find('&') != std::string::npos) return {};
    if (std::regex_search(decl, constPointer)) return {};
    if (decl.rfind("const ", 0) == 0 && decl.find('*') == std::string::npos) return {};
    // Several names share one type ("int rw2, rh2"); a template type keeps
    // its commas.
    const char separator = decl.find('<') == std::string::npos ? ',' : '\0';
    std::vector<std::string> names;
    std::stringstream parts(decl);
    std::string part;
    while (std::getline(parts, part, separator)) {
        if (std::regex_search(part, m, lastName)) names.push_back(m[1]);
    }
    return names;
}

TEST(SharedState, HeaderDeclarationsAreReadAsTheVariablesTheyName) {
    const struct {
        const char* line;
        std::vector<std::string> names;
    } cases[] = {
        {"extern int rw2, rh2;     // half the canvas", {"rw2", "rh2"}},
        {"extern int (*MillsSource)();", {"MillsSource"}},
        {"extern void (*Listener)(int slot, const unsigned char* data, int bytes);", {"Listener"}},
        {"extern std::vector<unsigned char> Image[ImageSlots];  // RGBA", {"Image"}},
        {"extern const char* KeyName[350];", {"KeyName"}},
        {"extern int SFXData[SoundSlots][10];", {"SFXData"}},
        {"extern const char* const MissingField;", {}},
        {"extern const char jRand_Txt[257];", {}},
        {"extern int& jRand_Seed;   // the seed", {}},
        {"extern \"C\" {", {}},
        {"int NotExtern;", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(DeclaredGlobals(c.line), c.names) << c.line;
}

TEST(SharedState, EveryGlobalTheHeadersDeclareIsListed) {
    std::set<std::string> listed;
    for (const ListedGlobal& g : SharedGlobals()) {
        listed.insert(g.name);
        // The two objects are listed by their parts; a header inside a
        // namespace declares the bare name.
        size_t dot = g.name.find('.');
        if (dot != std::string::npos) listed.insert(g.name.substr(0, dot));
        size_t scope = g.name.rfind("::");
        if (scope != std::string::npos) listed.insert(g.name.substr(scope + 2));
    }
    namespace fs = std::filesystem;
    std::vector<std::string> declared, missing;
    for (const char* folder : {"ZARNCore", "game", "rules"}) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(GOBBIT_SOURCE_DIR) / folder)) {
            if (entry.path().extension() != ".h") continue;
            std::ifstream in(entry.path());
            std::string line;
            while (std::getline(in, line)) {
                for (const std::string& name : DeclaredGlobals(line)) {
                    declared.push_back(name);
                    if (!listed.count(name)) missing.push_back(name + " (" + entry.path().filename().string() + ")");
                }
            }
        }
    }
    EXPECT_FALSE(declared.empty());
    EXPECT_TRUE(missing.empty()) << "not in tests/support/SharedState.cpp: " << ::testing::PrintToString(missing);
}

}  // namespace
