#include "filenames.h"

#include <fcntl.h>
#include <stdlib.h>

#include <vector>

namespace zorb {

std::string directory_of(const std::string& file) {
    std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return file.substr(0, slash);
}

int new_file_beside(const std::string& target, std::string& name) {
    const std::size_t slash = target.rfind('/');
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::string pattern = target.substr(0, base) + "." + target.substr(base) + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    name = buf.data();
    return fd;
}

}  // namespace zorb
