// The help browser: shows one entry of a help file page by page, then offers
// the entries it names as related in a menu, up to four levels deep.
//
// The help-file format is described in help/README.md.  Sequences written
// here (sequences.h): normal, red, bold and underline, and cursor up by two
// and by one line to move back over a page answer and before the footer.
//
// The related entries of the open levels are held by the browser itself (each
// level beginning with "return") and shown through the menu engine directly:
// help never writes the shared menu record `scrd`, so a menu or prompt that
// asked for help finds its entries as it left them, also when a help request
// is made again from inside the browser's own menus.
#include <array>
#include <string>
#include <vector>

#include "filenames.h"
#include "help.h"
#include "helpfiles.h"
#include "key.h"
#include "menu_engine.h"
#include "readalinef.h"
#include "sequences.h"
#include "text.h"
#include "units.h"
#include "visible.h"

namespace zorb {

CmpaRecord cmpa;

namespace {

constexpr int max_depth = 4;       // levels of related entries
constexpr int level_room = 24;     // related entries of all open levels together
constexpr int max_items = 32;      // "return" and up to 31 related entries
constexpr int max_redirects = 32;  // "/>" hops before a circle is assumed

// One line of the help file, without a carriage return left by a DOS editor.
bool read_help_line(std::string& raw) {
    if (!read_line(unit_helpfile, raw)) return false;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    return true;
}

// Text of the help file as the screen gets it: control characters visible
// (visible.h), then cut to `width` characters, so that a file can neither
// drive the terminal nor widen a line past the window.
std::string shown_text(std::string_view text, int width) {
    std::string shown = visible_text(text);
    if (width >= 0 && shown.size() > static_cast<std::size_t>(width))
        shown.resize(static_cast<std::size_t>(width));
    return shown;
}

// The item that follows the keyword of a "/#more" or "/#details" line.
std::string item_after_keyword(const Text80& line) {
    Text132 chl(line.view());
    int il = 3, ip = 0, ia = 0;
    Text132 cha;
    nextchar(chl, il, ip, cha, ia);
    return std::string(cha.sub(1, ia));
}

// Whether the related line names the keyword as a word of its own.
bool keyword_line(const Text80& line, std::string_view word) {
    int end = 3 + static_cast<int>(word.size());
    return line.sub(3, end - 1) == word && (end > 80 || line(end) == ' ' || line(end) == ',');
}

// What the browser's own menu entries do, for "he" asked on one of them in a
// menu of related entries (their help topics are their names).  A help file
// may still give an entry of that name; it is found first.
std::vector<std::string> own_entry_text(const std::string& marker) {
    if (marker == "/return")
        return {" return: back to the previous menu of related entries; from the first",
                " menu, back to the question or menu that asked for help."};
    if (marker == "/more")
        return {" more: opens the document of this entry in the viewer xdvi, which runs",
                " beside the program; the help ends."};
    if (marker == "/details")
        return {" details: lists the file of details that belongs to this entry; the",
                " help ends."};
    return {};
}

class Browser {
public:
    Browser(Text132& chcom, Text132& helpfile) : chcom_(chcom), helpfile_(helpfile) {}
    void run();

private:
    enum class Step { search, text_done, menu, footer, end };

    Step search();
    Step show_text();
    Step related(Text80 line);
    Step level_menu();
    Step after_text();
    void show_line(const Text80& line);
    void show_details(const std::string& file);
    void footer();
    void measure();
    void push_level(const std::array<Text80, max_items + 1>& que,
                    const std::array<std::string, max_items + 1>& targets, int k);
    void pop_level();
    int held() const;
    int choose_related();

    // One related entry of an open level.
    struct Item {
        Text132 text;        // as the menu shows it (cut to the window when shown)
        Text132 topic;       // its help topic: the entry as the help file names it
        std::string target;  // what a "more" or "details" entry opens
    };

    Text132& chcom_;
    Text132& helpfile_;
    Text132 marker_;        // the entry sought, "/" + name
    bool star_ = false;     // show only the marker line
    int width_ = 80;        // columns of a text line on the screen
    int height_ = 24;       // rows of the window: a page is height - 1 lines
    std::string file_;      // the help file read
    std::string details_dir_;
    char attribute_ = 'b';  // attribute of the last "\" line: 'b' bold, 'u' underline
    int redirects_ = 0;

    std::vector<std::vector<Item>> levels_;    // the open levels, the current one last
    std::array<Text80, max_depth + 1> chdfi_;   // each level's menu default, by depth
    Text132 title_;
};

void Browser::footer() {
    write_line(cmpa.nwrwin, std::string(seq::red) + seq::up_one);
    write_line(cmpa.nwrwin,
               "   from help-file:" + std::string(helpfile_.sub(1, 64)) + seq::normal);
}

// Finds the marker from the current position of the help file.
Browser::Step Browser::search() {
    std::string raw;
    bool any = false;
    while (read_help_line(raw)) {
        any = true;
        Text132 line(raw);
        int l = 0;
        stringlength(line, l);
        // A marker with "nn" in columns 6 and 7 stands for any two characters.
        if (line(6) == 'n' && line(7) == 'n') {
            line(6) = marker_(6);
            line(7) = marker_(7);
        }
        if (line != marker_) continue;
        if (star_) {
            write_line(cmpa.nwrwin, visible_text(line.trimmed()));
            return Step::text_done;
        }
        return show_text();
    }
    if (!any) return Step::footer;
    std::vector<std::string> own = own_entry_text(marker_.trimmed());
    if (!own.empty()) {
        for (const std::string& text : own) write_line(cmpa.nwrwin, text);
        return Step::end;
    }
    write_line(cmpa.nwrwin, "no entry found for " + visible_text(marker_.trimmed()) + (star_ ? "*" : "") +
                                " in helpfile:");
    write_line(cmpa.nwrwin, helpfile_.view());
    return Step::end;
}

// One text line, never wider than the window, so that a page fills no more
// rows than it has lines: a plain line is cut at the window width, a bold or
// underlined one (shown from column 4) after as many characters.
void Browser::show_line(const Text80& line) {
    if (line(1) == '\\') {
        if (line.sub(2, 3) == "bf") attribute_ = 'b';
        else if (line.sub(2, 3) == "ul") attribute_ = 'u';
        if (attribute_ == 'b') {
            write_line(cmpa.nwrwin, std::string(seq::bold) +
                                        shown_text(line.sub(4, std::min(80, width_ + 3)), width_) +
                                        seq::normal);
        } else {
            int last = std::min(79, width_ + 3);
            while (last >= 4 && line(last) == ' ') --last;
            write_line(cmpa.nwrwin, std::string(seq::underline) +
                                        shown_text(line.sub(4, last), width_) + seq::normal);
        }
        return;
    }
    write_line(cmpa.nwrwin, shown_text(line.sub(1, std::min(width_, 132)), width_));
}

// The text of the entry found, in pages of height - 1 lines; a first line
// "/>" sends the search on to another entry.
Browser::Step Browser::show_text() {
    std::string raw;
    if (!read_help_line(raw)) return Step::footer;
    Text80 line(raw);
    bool first_page = true;
    bool full = true;
    while (full) {
        measure();
        int shown = 0;
        while (shown < height_ - 1 && line(1) != '/') {
            show_line(line);
            ++shown;
            if (!read_help_line(raw)) return Step::footer;
            line.assign(raw);
        }
        if (first_page && shown == 0 && line(1) == '/' && line(2) == '>') {
            // The entry is taken from another one (only a "/>" line right
            // after the marker redirects; after text it ends the text).
            if (++redirects_ > max_redirects) {
                write_line(cmpa.nwrwin, " help entries redirect in a circle at " +
                                            visible_text(marker_.trimmed()));
                return Step::footer;
            }
            marker_.assign("/" + std::string(line.sub(3, 80)));
            rewind_unit(unit_helpfile);
            return search();
        }
        first_page = false;
        std::string answer = "q";
        if (shown > 0) {
            read_line(unit_keyboard, answer);
            write_line(cmpa.nwrwin, seq::up_line(2));
        }
        std::size_t start = answer.find_first_not_of(' ');
        if (start != std::string::npos && (answer[start] == 'q' || answer[start] == '*')) {
            // The level's menu starts again at "return".
            chdfi_[levels_.size()].assign("return");
        }
        full = shown == height_ - 1;
    }
    return related(line);
}

// The run of "/#" lines that follows the text, if any: a new level of
// related entries.
Browser::Step Browser::related(Text80 line) {
    if (!(line(1) == '/' && line(2) == '#')) return after_text();
    std::array<Text80, max_items + 1> que;
    std::array<std::string, max_items + 1> targets;
    que[1].assign("return");
    int k = 1;
    std::string raw;
    while (line(1) == '/' && line(2) == '#') {
        // Entries beyond the 31st are left out.
        if (k < max_items) {
            ++k;
            targets[k].clear();
            if (keyword_line(line, "more")) {
                que[k].assign("more");
                targets[k] = item_after_keyword(line);
            } else if (keyword_line(line, "details")) {
                que[k].assign("details");
                targets[k] = item_after_keyword(line);
            } else {
                // Shown in the menu, and sought by what is shown.
                que[k].assign(visible_text(line.sub(3, 80)));
            }
        }
        if (!read_help_line(raw)) return Step::footer;
        line.assign(raw);
    }
    if (static_cast<int>(levels_.size()) + 1 > max_depth) {
        write_line(cmpa.nwrwin, " there was no way back to the preceeding level");
        return Step::end;
    }
    // Entries that do not fit below the places of the open levels are left out.
    k = std::min(k, level_room - held());
    if (k < 1) return after_text();
    push_level(que, targets, k);
    return Step::menu;
}

int Browser::held() const {
    int n = 0;
    for (const std::vector<Item>& level : levels_) n += static_cast<int>(level.size());
    return n;
}

void Browser::push_level(const std::array<Text80, max_items + 1>& que,
                         const std::array<std::string, max_items + 1>& targets, int k) {
    std::vector<Item> level;
    for (int i = 1; i <= k; ++i) {
        // "he" on a related entry shows that entry.
        level.push_back(Item{Text132(que[i].view()), Text132(que[i].view()), targets[i]});
    }
    levels_.push_back(level);
    chdfi_[levels_.size()].assign("return");
    title_.assign("further related information");
}

void Browser::pop_level() {
    levels_.pop_back();
    title_.assign("related information");
}

// An entry without related entries leads back to the open level.
Browser::Step Browser::after_text() { return levels_.empty() ? Step::footer : Step::menu; }

void Browser::show_details(const std::string& name) {
    if (!plain_file_name(name)) {
        write_line(cmpa.nwrwin, " details file name refused (letters, digits, \".\", \"_\" "
                                "and \"-\" only): " + visible_text(name));
        return;
    }
    const std::string file = details_dir_ + "/" + name;
    if (is_regular_file(file) && open_unit(unit_details, file, OpenMode::read)) {
        std::string raw;
        while (read_line(unit_details, raw)) {
            Text80 line(raw);
            write_line(cmpa.nwrwin, visible_text(line.view()));
        }
        close_unit(unit_details);
        return;
    }
    write_line(cmpa.nwrwin, " file " + file + " for details not found");
}

// The menu of the current level, asked through the menu engine with the
// level's own entries; the entry chosen (the level's size for a menu only
// shown, as with an empty default).
int Browser::choose_related() {
    std::vector<Item>& level = levels_.back();
    // A menu shown before anyone asked for the window size asks for it.
    if (term.ncol(1) == 0) window(1);
    const int ncol = term.ncol(1);
    Text80 chdf(chdfi_[levels_.size()].view());
    chdf(80) = '#';  // the column layout
    Text132 header(title_);
    MenuRequest r;
    take_texts(r, header, chdf, ncol, Measure::left_justified);
    for (Item& item : level) {
        // The text is cut to the window as shown, and kept so.
        Text16 ext;
        r.entries.push_back(take_entry(item.text, ext, item.topic, ncol, Measure::left_justified, false));
    }
    r.q_quits = !q_begins_an_entry(r.entries);
    return choose(r).chosen.value_or(static_cast<int>(level.size()));
}

// The menu of the current level and what its choice opens: a related entry,
// a document, a details file, or the level before ("return").
Browser::Step Browser::level_menu() {
    for (;;) {
        const int depth = static_cast<int>(levels_.size());
        const int size = static_cast<int>(levels_.back().size());
        const int chosen = choose_related();
        // "he" in a menu of this browser runs a help request of its own,
        // which closes the help file when it ends: open it again.
        if (!unit_is_open(unit_helpfile) && !open_unit(unit_helpfile, file_, OpenMode::read))
            return Step::footer;
        const std::vector<Item>& level = levels_.back();
        if (chosen >= 1 && chosen <= size) {
            if (chosen < size) chdfi_[depth].assign(level[static_cast<std::size_t>(chosen)].text.sub(1, 80));
            else chdfi_[depth].assign("return");
        }
        if (chosen < 1 || chosen > size || chosen == 1) {
            if (depth == 1) return Step::footer;
            pop_level();
            continue;
        }
        const Item& item = level[static_cast<std::size_t>(chosen) - 1];
        std::string text = item.text.trimmed();
        if (text == "more") {
            const std::string& name = item.target;
            if (plain_file_name(name)) {
                // Shown as written, run with the help root quoted: a root
                // with a blank in it stays one argument of the viewer.
                const std::string document = "/dvifiles/" + name + "/" + name + ".dvi &";
                const std::string shown = "$ZORBHEPATH" + document;
                const std::string run = "\"$ZORBHEPATH\"" + document;
                viewdvi(shown.c_str(), run.c_str());
            } else {
                write_line(cmpa.nwrwin, " document name refused (letters, digits, \".\", \"_\" "
                                        "and \"-\" only): " + visible_text(name));
            }
            return Step::footer;
        }
        if (text == "details") {
            show_details(item.target);
            return Step::footer;
        }
        write_line(cmpa.nwrwin, "");
        write_line(cmpa.nwrwin, "");
        rewind_unit(unit_helpfile);
        marker_.assign("/" + text);
        redirects_ = 0;
        return Step::search;
    }
}

// The window's size, taken at the start and before every page, so that a
// window made smaller while help is open gets pages that fit it.
void Browser::measure() {
    window(1);
    width_ = std::min<int>(term.ncol(1), 132);
    if (width_ < 1) width_ = 80;
    height_ = term.nrows(1);
    // A window of fewer than two rows would give pages of no lines at all.
    if (height_ < 2) height_ = 24;
}

void Browser::run() {
    cmpa.nwrwin = unit_screen;
    measure();

    std::string name = help_name_text(helpfile_.view());
    if (name.empty()) {
        write_line(cmpa.nwrwin, "entry of helpfile  could not be identified");
        return;
    }
    file_ = usable_help_file(name);
    if (file_.empty() || !open_unit(unit_helpfile, file_, OpenMode::read)) {
        footer();
        return;
    }
    details_dir_ = directory_of(file_);
    cmpa.helproot.assign(details_dir_);

    int l = 0;
    stringlength(chcom_, l);
    marker_ = chcom_;
    if (l > 0 && marker_(l) == '*') {
        star_ = true;
        marker_(l) = ' ';
    }

    Step step = Step::search;
    while (step != Step::end) {
        switch (step) {
            case Step::search:
                step = search();
                star_ = false;
                break;
            case Step::text_done:
                step = after_text();
                break;
            case Step::menu:
                step = level_menu();
                break;
            case Step::footer:
                footer();
                step = Step::end;
                break;
            case Step::end:
                break;
        }
    }

    close_unit(unit_helpfile);
}

}  // namespace

void helproutine(Text132& chcom, Text132& helpfile) {
    // The browser measures the window (window() caps the usable width at
    // 130); the caller's usable width comes back as it was, since a program
    // may have set it wider (sixline takes the width as reported).
    const int32_t caller_npl = term.npl;
    Browser browser(chcom, helpfile);
    browser.run();
    term.npl = caller_npl;
}

}  // namespace zorb
