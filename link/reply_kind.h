// How the module answered an AT line.
#pragma once

enum class ReplyKind { Ok, Error, Neither };

// "\r\nOK\r\n" anywhere wins, even beside "\r\nERROR\r\n". The reply is a
// zero-terminated text.
ReplyKind ClassifyReply(const char* reply);
