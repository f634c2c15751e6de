#pragma once

#include <string>

// Searches `text` as std::regex_search (ECMAScript) would for
//   K7R40(D|S|T)(-N|-E)?(_.*)?_(STANDARD|LRWAN|STD|CLAA)_(V1|V2).*
// taking the leftmost match with the greedy, backtracking choice of groups,
// but by a direct scan: linear time, no recursion, whatever the length.
// As in std::regex on bytes, '.' takes every byte but '\n' and '\r'.
//
// On a match writes model ("T" turned into "D"), band (without its "-"),
// flavour and version as found, suffix (without its leading "_") and returns
// true; otherwise returns false and writes nothing.
bool MatchVersionString(const std::string& text, std::string& model, std::string& band,
                        std::string& flavour, std::string& version, std::string& suffix);
