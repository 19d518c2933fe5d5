// Who is calling, as the entry and the new character both need it: the caller's BBS name,
// the key the character file is searched by and stored under.
#pragma once
#include <string>

#include "engine/store/records.hpp"

// The caller's BBS name as the look-up key and as stored in a new character: the first name
// alone when the last name is "." or empty, else both with one blank; cut to 40 characters,
// as the character file holds it.
std::string caller_bbs_name();
// The caller's character in char_list by BBS name, or null.
character_record* find_caller();
