#include "ui/read_whole_file.h"

#include "catalogue/lang_text.h"
#include "platform/read_regular_file.h"

int ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& buffer,
                  std::string& message) {
    buffer.clear();
    std::string bytes;
    switch (ReadRegularFile(path, kMaxFirmwareImageBytes, bytes)) {
        case RegularFileRead::kRefused:
            message = GetLangText(TEXT_CANNOT_OPEN_FILE);
            return -1;
        case RegularFileRead::kFailed:
            return -1;
        case RegularFileRead::kRead:
            break;
    }
    buffer.assign(bytes.begin(), bytes.end());
    return static_cast<int>(buffer.size());
}
