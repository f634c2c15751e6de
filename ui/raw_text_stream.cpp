#include "ui/raw_text_stream.h"

#include <utility>

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Bytes a character that starts with `lead` takes in all; 1 for ASCII and for
// a byte that starts no character, which no later byte can complete.
std::size_t CharacterLength(unsigned char lead) {
    if (lead >= 0xC0 && lead < 0xE0) return 2;
    if (lead >= 0xE0 && lead < 0xF0) return 3;
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    return 1;
}

// Where the character that the text ends inside begins, or the text's size
// when its last character is whole (or no character at all).
std::size_t UnfinishedStart(const std::string& text) {
    const std::size_t size = text.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if (IsContinuation(byte)) continue;
        return CharacterLength(byte) > back ? size - back : size;
    }
    return size;
}

}  // namespace

std::string RawTextStream::Take(const char* data, std::size_t length) {
    std::string text = std::move(m_tail);
    m_tail.clear();
    if (data != nullptr) text.append(data, length);
    const std::size_t cut = UnfinishedStart(text);
    m_tail.assign(text, cut, std::string::npos);
    text.resize(cut);
    return text;
}

std::string RawTextStream::Release() {
    std::string tail = std::move(m_tail);
    m_tail.clear();
    return tail;
}
