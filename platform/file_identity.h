// What others see of a file besides its bytes: its owner, group, mode and
// extended attributes (an access control list among them).
#pragma once

#include <sys/stat.h>

#include <string>

// Gives the new file open as fd everything others see of the existing file
// old (whose stat is oldInfo), so that a rename of the one over the other
// changes nothing but the bytes. False when that cannot be done: the old file
// belongs to another user and this one is not root, its group is not one of
// this user's, or an attribute cannot be copied or removed. The new file may
// then have changed in part; the caller discards it.
bool TakeOverIdentity(int fd, const std::string& old, const struct stat& oldInfo);
