#include "link/reply_kind.h"

#include <cstring>

ReplyKind ClassifyReply(const char* reply)
{
    if (std::strstr(reply, "\r\nOK\r\n") != nullptr) {
        return ReplyKind::Ok;
    }
    if (std::strstr(reply, "\r\nERROR\r\n") != nullptr) {
        return ReplyKind::Error;
    }
    return ReplyKind::Neither;
}
