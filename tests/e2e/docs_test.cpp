// The manual pages, the README and the help files: the pages render without
// a warning, and every sample session they show is run here, the installed
// example files included, so that what they print cannot drift from what the
// programs print.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace {

const char* const programs[] = {"sixline", "chanconv", "fracfit", "select"};

// Where the pages say the examples are, and the example files installed there.
const std::string examples_shown = "/usr/share/doc/zorb/examples";
const char* const example_files[] = {"README", "alpha-iron.in", "window.dat", "select.in",
                                     "run7.asc"};

// The examples as `cmake --install` puts them below a scratch prefix.
const std::string& installed_examples() {
    static const std::string dir = [] {
        const std::string prefix = zt::temp_dir();
        zt::Run r = zt::run_piped(ZORB_CMAKE, {"--install", ZORB_BUILD_DIR, "--prefix", prefix}, "");
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        return prefix + "/share/doc/zorb/examples";
    }();
    return dir;
}

// `text` with every mention of the examples' shown place replaced by the
// place they were installed to.
std::string with_installed_examples(std::string text) {
    for (std::size_t at = 0; (at = text.find(examples_shown, at)) != std::string::npos;) {
        text.replace(at, examples_shown.size(), installed_examples());
        at += installed_examples().size();
    }
    return text;
}

// A sample session: commands ("$ " lines) each followed by the output shown.
struct Sample {
    std::string where;
    std::vector<std::pair<std::string, std::string>> commands;
};

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

// The text a roff line stands for, for the escapes the pages use in examples.
std::string unroff(const std::string& line) {
    const std::pair<std::string, std::string> escapes[] = {
        {"\\(aq", "'"}, {"\\(dq", "\""}, {"\\-", "-"}, {"\\e", "\\"}, {"\\&", ""}, {"\\~", " "}};
    std::string out;
    for (std::size_t i = 0; i < line.size();) {
        bool done = false;
        for (auto& [from, to] : escapes) {
            if (line.compare(i, from.size(), from) == 0) {
                out += to;
                i += from.size();
                done = true;
                break;
            }
        }
        if (!done) out += line[i++];
    }
    return out;
}

// The samples between `open` and `close` lines of a file.
std::vector<Sample> samples_of(const std::string& path, const std::string& open,
                               const std::string& close, bool roff) {
    std::vector<Sample> found;
    bool inside = false;
    int n = 0;
    for (std::string line : lines_of(zt::read_file(path))) {
        ++n;
        if (!inside) {
            if (line == open) {
                inside = true;
                found.push_back({path + ":" + std::to_string(n), {}});
            }
            continue;
        }
        if (line == close) {
            inside = false;
            continue;
        }
        if (roff) line = unroff(line);
        if (line.rfind("$ ", 0) == 0)
            found.back().commands.push_back({line.substr(2), ""});
        else if (!found.back().commands.empty())
            found.back().commands.back().second += line + "\n";
    }
    return found;
}

void run_samples(const std::vector<Sample>& samples) {
    const std::string path = std::filesystem::path(zt::built("sixline")).parent_path().string() +
                             ":/usr/bin:/bin";
    for (const Sample& s : samples) {
        std::string dir = zt::temp_dir();
        for (auto& [command, shown] : s.commands) {
            zt::Run r = zt::run_piped("/bin/bash", {"-c", with_installed_examples(command)}, "",
                                      {{"PATH", path}, {"ZORBHEPATH", zt::unset}}, dir);
            EXPECT_EQ(r.out, shown) << s.where << ": " << command;
            EXPECT_EQ(r.status, 0) << s.where << ": " << command << "\n" << r.err;
        }
    }
}

}  // namespace

TEST(ManualPages, RenderWithoutWarnings) {
    for (const char* p : programs) {
        const std::string page = zt::source("man/") + p + ".1";
        ASSERT_TRUE(zt::file_exists(page)) << page;
        zt::Run r = zt::run_piped("/usr/bin/groff", {"-ww", "-z", "-man", page}, "");
        EXPECT_EQ(r.status, 0) << page;
        EXPECT_EQ(r.err, "") << page;
    }
}

TEST(ManualPages, ExamplesPrintWhatTheyShow) {
    for (const char* p : programs) {
        auto samples = samples_of(zt::source("man/") + p + ".1", ".EX", ".EE", true);
        EXPECT_FALSE(samples.empty()) << p << " has no example";
        run_samples(samples);
    }
}

// Each page shows a session with the example files installed with the suite,
// and each example file is used by a page.
TEST(ManualPages, ExamplesUseTheInstalledExampleFiles) {
    for (const char* f : example_files)
        EXPECT_TRUE(zt::file_exists(installed_examples() + "/" + f)) << f;
    std::string all_commands;
    for (const char* p : programs) {
        std::string commands;
        for (const Sample& s : samples_of(zt::source("man/") + p + ".1", ".EX", ".EE", true))
            for (auto& [command, shown] : s.commands) commands += command + "\n";
        EXPECT_NE(commands.find(examples_shown + "/"), std::string::npos) << p;
        all_commands += commands;
    }
    for (const char* f : example_files) {
        if (std::string(f) == "README") continue;
        EXPECT_NE(all_commands.find(examples_shown + "/" + f), std::string::npos) << f;
    }
}

// The two-headed arrow of "3/2<->1/2" is one glyph on a UTF-8 terminal and
// "<->" in plain ASCII, never an arrow followed by ">".
TEST(ManualPages, TransitionArrowRendersWhole) {
    for (const char* p : programs) {
        const std::string page = zt::source("man/") + p + ".1";
        for (const char* device : {"-Tutf8", "-Tascii"}) {
            zt::Run r = zt::run_piped("/usr/bin/groff", {device, "-man", page}, "");
            EXPECT_EQ(r.out.find("\u2190>"), std::string::npos) << p << " " << device;
            if (std::string(p) != "sixline") continue;
            const std::string arrow = std::string(device) == "-Tutf8" ? "\u2194" : "<->";
            EXPECT_NE(r.out.find("3/2" + arrow + "1/2"), std::string::npos) << device;
        }
    }
}

// A help entry that shows what a program prints: the shown lines, from
// `first` on, each stand as a whole line in the output of `session` (a bash
// command run in a directory that holds copies of the example files).
struct HelpExample {
    std::string file, first;
    int lines;
    std::string session;
};

std::string right_trimmed(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

TEST(HelpFiles, ExamplesPrintWhatTheyShow) {
    const std::string window_plan = "cat window.dat; printf '\\n\\n\\n\\n\\n' | fracfit window.dat";
    const std::vector<HelpExample> examples = {
        {"Mossbauer_spectrum.help", "     EFG        eta      H [kG]      phi     theta", 3,
         "sixline < alpha-iron.in > /dev/null; cat alpha-iron.lst"},
        {"sixline_listing.example", "     EFG        eta      H [kG]      phi     theta", 4,
         "printf '\\n\\n\\n\\n\\nq\\n' | sixline > /dev/null; cat sixline.lst"},
        {"select.help", "      57Fe14.4     Fe122/136   Rh20.2/22.7", 3, window_plan},
        {"fracfit.help", " 57Co/Rh source, 14.4 keV window: Al 0 to 5.2 mm, Ni 0.01 mm; 300 s each",
         11, window_plan},
        {"fracfit.help", "      57Fe14.4     Fe122/136   Rh20.2/22.7", 6, window_plan},
        {"chanconv.example", "run7.asc", 6,
         "printf 'h\\n10\\n20\\n30\\n' > run7.asc; printf 'run7.asc\\n\\n' | chanconv; cat run7.apl"},
    };
    const std::string path = std::filesystem::path(zt::built("sixline")).parent_path().string() +
                             ":/usr/bin:/bin";
    for (const HelpExample& ex : examples) {
        SCOPED_TRACE(ex.file + ": " + ex.first);
        std::vector<std::string> shown;
        for (const std::string& line : lines_of(zt::read_file(zt::source("help/" + ex.file)))) {
            if (shown.empty() && right_trimmed(line) != ex.first) continue;
            shown.push_back(right_trimmed(line));
            if (static_cast<int>(shown.size()) == ex.lines) break;
        }
        ASSERT_EQ(static_cast<int>(shown.size()), ex.lines);

        const std::string dir = zt::temp_dir();
        for (const char* f : example_files)
            zt::write_file(dir + "/" + f, zt::read_file(installed_examples() + "/" + f));
        zt::Run r = zt::run_piped("/bin/bash", {"-c", ex.session}, "",
                                  {{"PATH", path}, {"ZORBHEPATH", zt::unset}}, dir);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> printed;
        for (const std::string& line : lines_of(r.out)) printed.push_back(right_trimmed(line));
        for (const std::string& line : shown) {
            if (line.empty()) continue;
            EXPECT_NE(std::find(printed.begin(), printed.end(), line), printed.end()) << line;
        }
    }
}

TEST(Readme, SampleSessionsPrintWhatTheyShow) {
    auto samples = samples_of(zt::source("README.md"), "```console", "```", false);
    EXPECT_GE(samples.size(), 5u);
    run_samples(samples);
}
