// What the module sends back: one read as the exchange sees it (at most 4095
// bytes, then a NUL), judged as OK, ERROR or neither, and searched for each
// command's value; and the same bytes as a loader handshake read, raw.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "link/at_command.h"
#include "link/firmware_transfer.h"
#include "link/reply_kind.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr std::size_t kReplySize = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The exchange's buffer: filled with zeros, one byte kept for the end.
    char reply[kReplySize];
    std::memset(reply, 0, sizeof reply);
    const std::size_t taken = size < kReplySize - 1 ? size : kReplySize - 1;
    std::memcpy(reply, data, taken);
    const std::string_view text(reply);

    const ReplyKind kind = ClassifyReply(reply);
    const bool ok = text.find("\r\nOK\r\n") != std::string_view::npos;
    const bool error = text.find("\r\nERROR\r\n") != std::string_view::npos;
    FUZZ_CHECK(kind == (ok ? ReplyKind::Ok : error ? ReplyKind::Error : ReplyKind::Neither));

    InitAtCommandTable();
    for (int i = 0; g_atCommands[i] != nullptr; ++i) {
        const AtCommand& command = *g_atCommands[i];
        std::string strict = "\x01untouched", loose;
        const bool found = command.ParseReply(reply, strict);
        FUZZ_CHECK(command.ParseReplyLoose(reply, loose));
        const std::string tag = command.replyTag + ":";
        FUZZ_CHECK(found == (command.replyTag.empty() || text.find(tag) != std::string_view::npos));
        if (found) {
            FUZZ_CHECK(strict == loose);
        } else {
            FUZZ_CHECK(strict == "\x01untouched");
        }
        // The value is a piece of the reply that stops before any line end.
        FUZZ_CHECK(loose.find("\r\n") == std::string::npos);
        FUZZ_CHECK(text.find(loose) != std::string_view::npos);
    }

    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(LoaderReady(data, size) == (raw.find("PFF-") != std::string_view::npos));
    return 0;
}
