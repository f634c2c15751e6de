#pragma once

#include <cstddef>
#include <string>

// Raw bytes shown as text arrive in reads that may cut a UTF-8 character in
// two. The stream hands back what can be shown now and keeps the unfinished
// tail of a character for the next read.
class RawTextStream {
public:
    // The held tail and then `data`, less a character left unfinished at
    // its end, which is kept.
    std::string Take(const char* data, std::size_t length);

    // The held tail as it is, for when the stream ends or other text comes
    // between; empty when nothing is held.
    std::string Release();

private:
    std::string m_tail;  // at most three bytes
};
