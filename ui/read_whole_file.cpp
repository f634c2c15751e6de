#include "ui/read_whole_file.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>

#include "catalogue/lang_text.h"

int ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& buffer, std::string& message) {
    buffer.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    struct stat info {};
    // A folder opens for reading on Linux but has no bytes to send; a file
    // beyond an int's range cannot be sized by the caller.
    if (file != nullptr &&
        (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > INT_MAX)) {
        std::fclose(file);
        file = nullptr;
    }
    if (file == nullptr) {
        message = GetLangText(TEXT_CANNOT_OPEN_FILE);
        return -1;
    }
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::rewind(file);
    if (size < 0 || size > INT_MAX) {
        std::fclose(file);
        return -1;
    }
    buffer.resize(static_cast<std::size_t>(size));
    const std::size_t read = size > 0 ? std::fread(buffer.data(), 1, buffer.size(), file) : 0;
    std::fclose(file);
    if (read < static_cast<std::size_t>(size)) {
        buffer.clear();
        return -1;
    }
    return static_cast<int>(size);
}
