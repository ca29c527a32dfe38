// What every fuzz target shares: the library run many times in one process.
//
// The library reads the keyboard from descriptor 0 and ends the process on a
// second end of input or a file error.  Here descriptor 0 is a pipe filled
// with the run's keys, and those endings throw `ProgramEnded` (through the
// test seam of input.h), so that one run ends where the program would have
// ended and the next run starts clean.  The shell is replaced by a check that
// only the document viewer's command with a plain file name would reach it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// A run reached a point where the program would have ended.
struct ProgramEnded {
    int status;
    std::string message;
};

// Once per process (from LLVMFuzzerInitialize): the screen goes to /dev/null
// (unless ZORB_FUZZ_SCREEN is set, for looking at one reproducer), the
// endings throw, and a scratch directory of this process is made (in
// $TMPDIR, else /dev/shm, else /tmp; removed when the process ends).
void start();

// While it lives, the scratch directory is the current directory (the
// fuzzer itself names its files relative to the one it was started in).
class InScratch {
public:
    InScratch();
    ~InScratch();
    InScratch(const InScratch&) = delete;
    InScratch& operator=(const InScratch&) = delete;

private:
    int home_;
};

// The scratch directory (absolute, no "/" at the end).
const std::string& scratch_dir();

// Descriptor 0 reads `keys` (at most the room of a pipe) and then ends; the
// reader forgets what it held and that the end of input was met.
void set_keyboard(std::string_view keys);

// Writes `content` to the file `name` of the scratch directory; its path.
std::string write_file(const std::string& name, std::string_view content);
// The whole content of a file ("" when it cannot be read).
std::string read_file(const std::string& path);

// Puts back the process-wide state a run may leave behind: the units it
// opened, the menu and help records, the editor's history.
void reset_dialogue();

// Cuts the input at the first occurrence of `mark`: what stands before it
// is returned, `rest` keeps what follows (empty when there is no mark).
std::string_view take_until(std::string_view& rest, std::string_view mark);

// Stops the fuzzer with a report: an invariant of the routine failed.
[[noreturn]] void fail(const std::string& what);

}  // namespace fuzz
