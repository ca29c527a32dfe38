// The manual pages and the README: the pages render without a warning, and
// every sample session they show is run here, so that what they print cannot
// drift from what the programs print.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace {

const char* const programs[] = {"sixline", "chanconv", "fracfit", "select"};

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
            zt::Run r = zt::run_piped("/bin/bash", {"-c", command}, "",
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

TEST(Readme, SampleSessionsPrintWhatTheyShow) {
    auto samples = samples_of(zt::source("README.md"), "```console", "```", false);
    EXPECT_GE(samples.size(), 5u);
    run_samples(samples);
}
