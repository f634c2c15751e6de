// The settings file (ParamCfg.ini): Windows private-profile semantics.
//
// Section and key names are compared ignoring ASCII case and surrounding
// blanks; the first matching key (searching repeated sections in file order)
// counts. A file that is missing, unreadable or larger than
// kMaxProfileFileBytes reads as empty, so every lookup gives the default.
// Lines end in LF, with any CRs before it (CR LF, or CR CR LF from a file
// converted twice); a UTF-8 byte order mark, blank lines and lines starting
// with ';' are skipped when reading and kept when writing.
//
// Readers hold a shared lock on the file and each write an exclusive one
// over its read, change and write (see file_lock.h), so two instances of
// the tool saving at once lose nothing.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/replace_file.h"

// Larger files are refused: nobody writes a settings file this big, and
// reading one whole on the UI thread would freeze the window.
inline constexpr std::size_t kMaxProfileFileBytes = 4 * 1024 * 1024;

// The leading decimal number of the value (blanks and one sign accepted, reading
// stops at the first non-digit); a value without leading digits reads as 0.
// Numbers beyond the int range saturate at INT_MAX / INT_MIN.
int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& file);

// The value with surrounding blanks removed, and one pair of matching quotes
// around it removed, as Windows does.
std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, const std::string& file);

// Replaces the first matching key's value, or adds the key at the end of the
// first matching section, or adds the section at the end of the file; every
// other line stays byte for byte. The file is replaced as ReplaceFileWhole
// does: a read-only file is left alone, a symbolic link is written through
// (unless planted, kUnsafeLink). False when the file cannot be written, when
// its lock cannot be had in time (kLocked), when it is or would become larger than
// kMaxProfileFileBytes (kTooLarge), or when a name or the value holds a line
// break (or a section name holds ']'), which would break the file's structure
// (kBadEntry); failure, when given, then says why.
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file,
                        FileWriteFailure* failure = nullptr);

// Several keys of one section in one replacement of the file, in order, as
// WriteProfileString would write them one after the other: all of them are
// saved, or none.
using ProfileEntries = std::vector<std::pair<std::string, std::string>>;
bool WriteProfileStrings(const std::string& section, const ProfileEntries& entries,
                         const std::string& file, FileWriteFailure* failure = nullptr);
