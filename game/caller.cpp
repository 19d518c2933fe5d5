#include "game/caller.hpp"

#include "door/door.hpp"
#include "engine/text/lookups.hpp"

std::string caller_bbs_name() {
    std::string name = user_first_name.str();
    if (!user_last_name.empty() && user_last_name.view() != ".") name += " " + user_last_name.str();
    // Cut as the character file stores it, or a long name would never be found again.
    return fstr<40>(name).str();
}

character_record* find_caller() { return char_real_name_ptr(caller_bbs_name()); }
